#include "frame/CSubclass.h"

#include "base/DllSearch.h"
#include "frame/ProcSlots.h"

#include <commctrl.h>

#include <map>
#include <utility>

namespace velm {
namespace {

// The interceptor's share of the compiled procedures: past this many live records it reports
// the allocation failure its callers expect.
constexpr int kSlots = 256;

LRESULT DispatchSlot(void* record, HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    return static_cast<LRESULT>(CSubclassEngine::Dispatch(*static_cast<CSubclassRecord*>(record),
                                                          msg, static_cast<SubclassWparam>(wParam),
                                                          static_cast<SubclassLparam>(lParam)));
}

HWND H(SubclassHandle h) {
    return reinterpret_cast<HWND>(h);
}

class Win32Platform final : public CSubclassPlatform {
public:
    bool IsWindow(SubclassHandle hWnd) override { return ::IsWindow(H(hWnd)) != FALSE; }
    bool IsOwnProcess(SubclassHandle hWnd) override {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(H(hWnd), &pid);
        return pid == ::GetCurrentProcessId();
    }
    bool IsWindowUnicode(SubclassHandle hWnd) override {
        return ::IsWindowUnicode(H(hWnd)) != FALSE;
    }
    bool AllocateThunk(CSubclassRecord& record) override {
        const int slot = live_ < kSlots ? ProcSlots::Take(&DispatchSlot, &record) : -1;
        if (slot < 0) {
            error_ = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        ++live_;
        record.slot = slot;
        record.thunk = reinterpret_cast<std::uintptr_t>(ProcSlots::Proc(slot));
        return true;
    }
    void FreeThunk(CSubclassRecord& record) override {
        if (record.slot < 0) {
            return;
        }
        ProcSlots::Give(record.slot, reinterpret_cast<WNDPROC>(record.prevProc), record.unicode);
        --live_;
        record.slot = -1;
    }
    std::uintptr_t InstallProc(CSubclassRecord& record) override {
        ::SetLastError(0);
        const auto proc = static_cast<LONG_PTR>(record.thunk);
        const LONG_PTR prev = record.unicode
                                  ? ::SetWindowLongPtrW(H(record.hWnd), GWLP_WNDPROC, proc)
                                  : ::SetWindowLongPtrA(H(record.hWnd), GWLP_WNDPROC, proc);
        error_ = ::GetLastError();
        return static_cast<std::uintptr_t>(prev);
    }
    std::uint32_t LastError() override { return error_; }
    bool RestoreProc(CSubclassRecord& record) override {
        HWND h = H(record.hWnd);
        const LONG_PTR current = record.unicode ? ::GetWindowLongPtrW(h, GWLP_WNDPROC)
                                                : ::GetWindowLongPtrA(h, GWLP_WNDPROC);
        if (static_cast<std::uintptr_t>(current) != record.thunk) {
            return false;
        }
        const auto prev = static_cast<LONG_PTR>(record.prevProc);
        if (record.unicode) {
            ::SetWindowLongPtrW(h, GWLP_WNDPROC, prev);
        } else {
            ::SetWindowLongPtrA(h, GWLP_WNDPROC, prev);
        }
        return true;
    }
    SubclassResult CallPrevious(CSubclassRecord& record, std::uint32_t uMsg, SubclassWparam wParam,
                                SubclassLparam lParam) override {
        WNDPROC prev = reinterpret_cast<WNDPROC>(record.prevProc);
        const LRESULT r =
            record.unicode
                ? ::CallWindowProcW(prev, H(record.hWnd), uMsg, static_cast<WPARAM>(wParam),
                                    static_cast<LPARAM>(lParam))
                : ::CallWindowProcA(prev, H(record.hWnd), uMsg, static_cast<WPARAM>(wParam),
                                    static_cast<LPARAM>(lParam));
        return static_cast<SubclassResult>(r);
    }
    std::uintptr_t StartReleaseTimer(CSubclassRecord& record) override {
        const UINT_PTR id = ::SetTimer(nullptr, 0, 100, &Win32Platform::TimerProc);
        if (id) {
            timers_[id] = &record;
        }
        return id;
    }
    void KillReleaseTimer(std::uintptr_t id) override {
        ::KillTimer(nullptr, id);
        timers_.erase(id);
    }
    void DestroyWindow(SubclassHandle hWnd) override { ::DestroyWindow(H(hWnd)); }

    static Win32Platform& Instance() {
        // Immortal for the same reason as the records: procedures may run during exit.
        static auto* platform = new Win32Platform();
        return *platform;
    }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        auto& timers = Instance().timers_;
        auto it = timers.find(id);
        if (it == timers.end()) {
            return;
        }
        CSubclassRecord* record = it->second;
        timers.erase(it);
        CSubclassEngine::OnReleaseTimer(*record);
    }

    int live_ = 0;
    std::map<UINT_PTR, CSubclassRecord*> timers_;
    DWORD error_ = 0;
};

bool DetectTrackMouseEvent() {
    HMODULE user = LoadSystemLibrary("user32.dll");
    if (!user) {
        return false;
    }
    const bool found = ::GetProcAddress(user, "TrackMouseEvent") != nullptr;
    ::FreeLibrary(user);
    return found;
}

} // namespace

CSubclass::CSubclass()
    : trackMouseEvent_(DetectTrackMouseEvent()), engine_(Win32Platform::Instance()) {}

CSubclass::~CSubclass() = default;

void CSubclass::SetWindowProc(WindowProcHandler handler) {
    if (!handler) {
        engine_.SetHandler(nullptr);
        return;
    }
    engine_.SetHandler([h = std::move(handler)](bool bBefore, bool& bHandled,
                                                SubclassResult& lReturn, SubclassHandle hWnd,
                                                std::uint32_t uMsg, SubclassWparam wParam,
                                                SubclassLparam lParam, std::int32_t& lParamUser) {
        LRESULT result = static_cast<LRESULT>(lReturn);
        const LONG given = lParamUser;
        LONG user = given;
        h(bBefore, bHandled, result, H(hWnd), uMsg, static_cast<WPARAM>(wParam),
          static_cast<LPARAM>(lParam), user);
        lReturn = static_cast<SubclassResult>(result);
        // The handler may have set the value through zSet_lParamUser instead: only a change
        // made through the argument replaces it.
        if (user != given) {
            lParamUser = user;
        }
    });
}

bool CSubclass::ssc_Subclass(HWND hWnd, LONG lParamUser, LONG nOrdinal, bool bIdeSafety,
                             bool& bUnicode, bool bIsAPIwindow) {
    (void)bIdeSafety;
    return engine_.Subclass(reinterpret_cast<SubclassHandle>(hWnd), lParamUser, nOrdinal, bUnicode,
                            bIsAPIwindow);
}

bool CSubclass::ssc_Subclass(HWND hWnd) {
    bool unicode = false;
    return ssc_Subclass(hWnd, 0, 1, true, unicode, false);
}

void CSubclass::ssc_UnSubclass(HWND hWnd) {
    engine_.UnSubclass(reinterpret_cast<SubclassHandle>(hWnd));
}

void CSubclass::ssc_Terminate() {
    engine_.Terminate();
}

void CSubclass::ssc_AddMsg(HWND hWnd, LONG uMsg, LONG When) {
    engine_.AddMsg(reinterpret_cast<SubclassHandle>(hWnd), uMsg, When);
}

void CSubclass::ssc_DelMsg(HWND hWnd, LONG When,
                           std::initializer_list<CSubclassMessageArg> Messages) {
    engine_.DelMsg(reinterpret_cast<SubclassHandle>(hWnd), When, Messages);
}

LRESULT CSubclass::ssc_CallOrigWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return static_cast<LRESULT>(engine_.CallOrigWndProc(reinterpret_cast<SubclassHandle>(hWnd),
                                                        uMsg, static_cast<SubclassWparam>(wParam),
                                                        static_cast<SubclassLparam>(lParam)));
}

void CSubclass::zSet_lParamUser(HWND hWnd_Hook_ID, LONG NewValue) {
    engine_.SetlParamUser(reinterpret_cast<SubclassHandle>(hWnd_Hook_ID), NewValue);
}

LONG CSubclass::zGet_lParamUser(HWND hWnd_Hook_ID) {
    return engine_.GetlParamUser(reinterpret_cast<SubclassHandle>(hWnd_Hook_ID));
}

void CSubclass::TrackMouseTracking(HWND hWnd) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = hWnd;
    tme.dwHoverTime = 0;
    if (trackMouseEvent_) {
        ::TrackMouseEvent(&tme);
    } else {
        ::_TrackMouseEvent(&tme);
    }
}

} // namespace velm
