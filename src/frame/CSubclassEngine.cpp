#include "frame/CSubclassEngine.h"

#include "base/Log.h"

#include <algorithm>
#include <memory>
#include <string>

namespace velm {
namespace {

// Records outlive their interceptor until their release timer fires, so they belong to the
// process. Deliberately never destroyed: a window message arriving while static objects are torn
// down at exit must still find valid memory.
std::vector<std::unique_ptr<CSubclassRecord>>& Store() {
    static auto* store = new std::vector<std::unique_ptr<CSubclassRecord>>();
    return *store;
}

} // namespace

CSubclassEngine::CSubclassEngine(CSubclassPlatform& platform)
    : platform_(platform), owner_(std::make_shared<CSubclassOwner>()) {
    owner_->engine = this;
}

CSubclassEngine::~CSubclassEngine() {
    Terminate();
    owner_->engine = nullptr;
}

void CSubclassEngine::SetHandler(CSubclassOwner::Handler handler) {
    owner_->handler = std::move(handler);
}

void CSubclassEngine::Log(const char* routine, const std::string& message) {
    LogError(std::string("CSubclass.") + routine + ": " + message);
}

CSubclassRecord* CSubclassEngine::NewRecord() {
    Store().push_back(std::make_unique<CSubclassRecord>());
    return Store().back().get();
}

void CSubclassEngine::FreeRecord(CSubclassRecord* r) noexcept {
    auto& store = Store();
    auto it = std::find_if(store.begin(), store.end(), [r](const auto& p) { return p.get() == r; });
    if (it == store.end()) {
        return;
    }
    if (r->platform && r->slot >= 0) {
        r->platform->FreeThunk(*r);
    }
    store.erase(it);
}

std::size_t CSubclassEngine::LiveRecords() noexcept {
    return Store().size();
}

const CSubclassRecord* CSubclassEngine::Find(SubclassHandle hWnd) const noexcept {
    if (!registry_) {
        return nullptr;
    }
    for (const CSubclassRecord* r : *registry_) {
        if (r->hWnd == hWnd) {
            return r;
        }
    }
    return nullptr;
}

CSubclassRecord* CSubclassEngine::Lookup(SubclassHandle hWnd, bool logMissing) {
    if (!registry_) {
        if (logMissing) {
            Log("zMap_VFunction", "Thunk hasn't been initialized");
        }
        return nullptr;
    }
    if (registry_->empty()) {
        return nullptr;
    }
    if (const CSubclassRecord* r = Find(hWnd)) {
        return const_cast<CSubclassRecord*>(r);
    }
    if (logMissing) {
        // The window's name was never part of this message: two blanks are what is logged.
        Log("zMap_VFunction", "Thunk type for  does not exist");
    }
    return nullptr;
}

void CSubclassEngine::Forget(const CSubclassRecord* r) noexcept {
    if (!registry_) {
        return;
    }
    auto it = std::find(registry_->begin(), registry_->end(), r);
    if (it != registry_->end()) {
        registry_->erase(it);
    }
}

bool CSubclassEngine::Subclass(SubclassHandle hWnd, std::int32_t lParamUser, std::int32_t nOrdinal,
                               bool& bUnicode, bool bIsAPIwindow) {
    if (!platform_.IsWindow(hWnd)) {
        Log("ssc_Subclass", "Invalid window handle");
        return false;
    }
    if (!platform_.IsOwnProcess(hWnd)) {
        Log("ssc_Subclass", "Window handle belongs to another process");
        return false;
    }
    // The only routine that receives messages is the one raising WindowProc, ordinal 1.
    if (nOrdinal != 1) {
        Log("ssc_Subclass", "Callback method not found");
        return false;
    }
    CSubclassRecord* r = NewRecord();
    r->platform = &platform_;
    if (!platform_.AllocateThunk(*r)) {
        const std::uint32_t error = platform_.LastError();
        FreeRecord(r);
        Log("ssc_Subclass", "VirtualAlloc failed, error: " + std::to_string(error));
        return false;
    }
    if (!registry_) {
        registry_.emplace();
    }
    if (Find(hWnd)) {
        FreeRecord(r);
        Log("ssc_Subclass", "Window handle is already subclassed");
        return false;
    }
    registry_->push_back(r);
    r->hWnd = hWnd;
    r->owner = owner_;
    r->lParamUser = lParamUser;
    r->destroyOnOwnerLoss = bIsAPIwindow;
    if (bUnicode) {
        bUnicode = platform_.IsWindowUnicode(hWnd);
    }
    r->unicode = bUnicode;
    const std::uintptr_t prev = platform_.InstallProc(*r);
    if (prev == 0) {
        const std::uint32_t error = platform_.LastError();
        Forget(r);
        FreeRecord(r);
        Log("ssc_Subclass", "SetWindowLong failed, error #" + std::to_string(error));
        return false;
    }
    r->prevProc = prev;
    return true;
}

void CSubclassEngine::UnSubclass(SubclassHandle hWnd) {
    CSubclassRecord* r = Lookup(hWnd, false);
    if (!r) {
        return;
    }
    r->release = SubclassRelease::Requested;
    r->before.Clear();
    r->after.Clear();
    Forget(r);
}

void CSubclassEngine::Terminate() {
    if (!registry_) {
        return;
    }
    while (registry_ && !registry_->empty()) {
        UnSubclass(registry_->back()->hWnd);
    }
    registry_.reset();
}

void CSubclassEngine::AddMsg(SubclassHandle hWnd, std::int32_t uMsg, std::int32_t When) {
    CSubclassRecord* r = Lookup(hWnd, true);
    if (!r) {
        return;
    }
    for (CSubclassTable* table :
         {(When & MSG_BEFORE) ? &r->before : nullptr, (When & MSG_AFTER) ? &r->after : nullptr}) {
        if (table && !table->Add(uMsg)) {
            Log("zAddMsg", "Message table overflow. Either increase the value of Const "
                           "MSG_ENTRIES or use ALL_MESSAGES instead of specific message values");
        }
    }
}

void CSubclassEngine::DelMsg(SubclassHandle hWnd, std::int32_t When,
                             std::initializer_list<CSubclassMessageArg> Messages) {
    CSubclassRecord* r = Lookup(hWnd, true);
    if (!r) {
        return;
    }
    for (const CSubclassMessageArg& value : Messages) {
        std::int32_t uMsg = 0;
        if (const auto* b = std::get_if<std::uint8_t>(&value)) {
            uMsg = *b;
        } else if (const auto* i = std::get_if<std::int16_t>(&value)) {
            uMsg = *i;
        } else if (const auto* l = std::get_if<std::int32_t>(&value)) {
            uMsg = *l;
        } else if (const auto* u = std::get_if<std::uint32_t>(&value)) {
            uMsg = static_cast<std::int32_t>(*u);
        } else {
            continue;
        }
        if (When & MSG_BEFORE) {
            r->before.Delete(uMsg);
        }
        if (When & MSG_AFTER) {
            r->after.Delete(uMsg);
        }
    }
}

SubclassResult CSubclassEngine::CallOrigWndProc(SubclassHandle hWnd, std::uint32_t uMsg,
                                                SubclassWparam wParam, SubclassLparam lParam) {
    CSubclassRecord* r = Lookup(hWnd, true);
    if (!r) {
        return 0;
    }
    return platform_.CallPrevious(*r, uMsg, wParam, lParam);
}

void CSubclassEngine::SetlParamUser(SubclassHandle hWnd, std::int32_t NewValue) {
    if (CSubclassRecord* r = Lookup(hWnd, true)) {
        r->lParamUser = NewValue;
    }
}

std::int32_t CSubclassEngine::GetlParamUser(SubclassHandle hWnd) {
    CSubclassRecord* r = Lookup(hWnd, true);
    return r ? r->lParamUser : 0;
}

void CSubclassEngine::Abandon() noexcept {
    owner_->engine = nullptr;
    owner_ = std::make_shared<CSubclassOwner>();
    owner_->engine = this;
    registry_.reset();
}

SubclassResult CSubclassEngine::PassOn(CSubclassRecord& r, std::uint32_t uMsg,
                                       SubclassWparam wParam, SubclassLparam lParam) {
    if (r.releaseTimer) {
        r.platform->KillReleaseTimer(r.releaseTimer);
        r.releaseTimer = 0;
    }
    return r.platform->CallPrevious(r, uMsg, wParam, lParam);
}

SubclassResult CSubclassEngine::Dispatch(CSubclassRecord& r, std::uint32_t uMsg,
                                         SubclassWparam wParam, SubclassLparam lParam) noexcept {
    ++r.depth;
    SubclassResult lReturn = 0;
    if (r.release != SubclassRelease::None) {
        lReturn = PassOn(r, uMsg, wParam, lParam);
    } else if (std::shared_ptr<CSubclassOwner> owner = r.owner.lock(); !owner || !owner->engine) {
        r.release = SubclassRelease::OwnerLost;
        lReturn = PassOn(r, uMsg, wParam, lParam);
    } else {
        // `owner` keeps the handler alive for this call even if the handler destroys its own
        // interceptor; nothing below touches the interceptor itself.
        bool bHandled = false;
        if (r.before.Matches(uMsg) && owner->handler) {
            try {
                owner->handler(true, bHandled, lReturn, r.hWnd, uMsg, wParam, lParam, r.lParamUser);
            } catch (...) {
                // A failing handler must not unwind through the window system.
                LogCaught("CSubclass.WindowProc: before message " + std::to_string(uMsg));
            }
        }
        if (!bHandled) {
            lReturn = PassOn(r, uMsg, wParam, lParam);
            // Once interception has ended (from inside the before-call or by a nested
            // WM_NCDESTROY) no further event is raised.
            if (r.release == SubclassRelease::None && r.after.Matches(uMsg) && owner->handler) {
                bool ignored = false;
                try {
                    owner->handler(false, ignored, lReturn, r.hWnd, uMsg, wParam, lParam,
                                   r.lParamUser);
                } catch (...) {
                    LogCaught("CSubclass.WindowProc: after message " + std::to_string(uMsg));
                }
            }
        }
    }
    --r.depth;
    if (uMsg == kWmNcDestroy) {
        r.release = SubclassRelease::WindowDestroyed;
    }
    if (r.depth == 0 && r.release != SubclassRelease::None) {
        Release(r);
    }
    return lReturn;
}

void CSubclassEngine::Release(CSubclassRecord& r) {
    if (std::shared_ptr<CSubclassOwner> owner = r.owner.lock(); owner && owner->engine) {
        owner->engine->Forget(&r);
    }
    if (!r.unhooked) {
        r.unhooked = r.platform->RestoreProc(r);
    }
    if (r.release == SubclassRelease::OwnerLost && r.destroyOnOwnerLoss) {
        r.platform->DestroyWindow(r.hWnd);
    }
    // A record that could not step out of the chain keeps passing messages on and tries again
    // after the next one; once the window is gone nothing can reach it any more.
    if ((r.unhooked || r.release == SubclassRelease::WindowDestroyed) && r.releaseTimer == 0) {
        r.releaseTimer = r.platform->StartReleaseTimer(r);
    }
}

void CSubclassEngine::OnReleaseTimer(CSubclassRecord& r) noexcept {
    r.releaseTimer = 0;
    if (r.depth > 0 || r.release == SubclassRelease::None) {
        return;
    }
    FreeRecord(&r);
}

} // namespace velm
