#include "frame/cFormSubclass.h"

#include "base/Log.h"
#include "frame/ProcSlots.h"
#include "frame/SubclassRecord.h"

#include <cstdint>
#include <memory>
#include <string>

namespace velm {

namespace {
int g_pending = 0;
}

// The routing part of a record: the window's procedure slot holds one of the compiled slot
// procedures, bound to this stub.
struct SubclassStub {
    SubclassRecord* record = nullptr;
    int slot = -1;
    bool installed = false; // still in the window's chain of procedures

    static SubclassStub* Make(SubclassRecord* record);
    static void Free(SubclassStub* stub);
    static LRESULT Proc(void* self, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    WNDPROC Code() const { return ProcSlots::Proc(slot); }
};

SubclassStub* SubclassStub::Make(SubclassRecord* record) {
    auto stub = std::make_unique<SubclassStub>();
    stub->record = record;
    stub->slot = ProcSlots::Take(&SubclassStub::Proc, stub.get());
    if (stub->slot < 0) {
        LogError("cFormSubclass: no free window procedure slot for window " +
                 std::to_string(record->Window()));
        return nullptr;
    }
    return stub.release();
}

void SubclassStub::Free(SubclassStub* stub) {
    if (stub->record->Released()) {
        --g_pending;
    }
    ProcSlots::Give(stub->slot, reinterpret_cast<WNDPROC>(stub->record->PreviousProc()), true);
    delete stub->record;
    delete stub;
}

LRESULT SubclassStub::Proc(void* self, HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* stub = static_cast<SubclassStub*>(self);
    SubclassRecord* record = stub->record;
    HWND hwnd = reinterpret_cast<HWND>(record->Window());
    auto previous = reinterpret_cast<WNDPROC>(record->PreviousProc());
    record->Enter();
    bool handled = false;
    LRESULT result = 0;
    UINT m = msg;
    if (auto* owner = static_cast<cFormSubclass*>(record->Owner());
        owner && record->Before().Contains(m)) {
        try {
            owner->zSubclass_Proc(true, handled, result, hwnd, m, wParam, lParam);
        } catch (...) {
            LogCaught("cFormSubclass: handler before message " + std::to_string(m));
        }
    }
    if (!handled) {
        result = ::CallWindowProcW(previous, hwnd, m, wParam, lParam);
        // The owner may have gone while the previous procedure ran.
        if (auto* owner = static_cast<cFormSubclass*>(record->Owner());
            owner && record->After().Contains(m)) {
            try {
                owner->zSubclass_Proc(false, handled, result, hwnd, m, wParam, lParam);
            } catch (...) {
                LogCaught("cFormSubclass: handler after message " + std::to_string(m));
            }
        }
    }
    if (msg == WM_NCDESTROY) {
        // The window is going: its procedure slot no longer matters, and its entry is free.
        if (auto* owner = static_cast<cFormSubclass*>(record->Owner())) {
            owner->Forget(record);
        }
        if (stub->installed) {
            HWND window = reinterpret_cast<HWND>(record->Window());
            if (::GetWindowLongPtrW(window, GWLP_WNDPROC) ==
                reinterpret_cast<LONG_PTR>(stub->Code())) {
                ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            }
            stub->installed = false;
        }
        if (!record->Released()) {
            record->Release();
            ++g_pending;
        }
        // Freed below once this call is done with it.
    }
    if (record->Leave() && !stub->installed) {
        Free(stub);
    }
    return result;
}

cFormSubclass::~cFormSubclass() {
    for (std::size_t i = table_.size(); i-- > 0;) {
        if (table_[i]) {
            UnsubclassWindow(i);
        }
    }
}

bool cFormSubclass::AddWindowMsgs(HWND hWnd) {
    SubclassWindow(hWnd);
    AddBeforeMsg(hWnd, MsgList::kAll);
    return true;
}

bool cFormSubclass::DeleteWindowMsg(HWND) {
    return false;
}

void cFormSubclass::AddBeforeMsg(HWND hWnd, std::int32_t msg) {
    for (SubclassRecord* r : table_) {
        if (r && r->Window() == reinterpret_cast<std::uintptr_t>(hWnd)) {
            r->Before().Add(msg);
        }
    }
}

void cFormSubclass::AddAfterMsg(HWND hWnd, std::int32_t msg) {
    for (SubclassRecord* r : table_) {
        if (r && r->Window() == reinterpret_cast<std::uintptr_t>(hWnd)) {
            r->After().Add(msg);
        }
    }
}

void cFormSubclass::zSubclass_Proc(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& hWnd,
                                   UINT& uMsg, WPARAM& wParam, LPARAM& lParam) {
    if (MsgCome) {
        MsgCome(bBefore, bHandled, lReturn, hWnd, uMsg, wParam, lParam);
    }
}

std::size_t cFormSubclass::WindowCount() const {
    std::size_t n = 0;
    for (SubclassRecord* r : table_) {
        n += r ? 1 : 0;
    }
    return n;
}

int cFormSubclass::PendingRecords() {
    return g_pending;
}

void cFormSubclass::SubclassWindow(HWND hWnd) {
    if (!::IsWindow(hWnd)) {
        return;
    }
    auto record = std::make_unique<SubclassRecord>(reinterpret_cast<std::uintptr_t>(hWnd), this);
    SubclassStub* stub = SubclassStub::Make(record.get());
    if (!stub) {
        return;
    }
    // From here the stub owns the record.
    SubclassRecord* r = record.release();
    r->SetStub(stub);
    LONG_PTR previous =
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(stub->Code()));
    if (previous == 0) {
        // Not ours to subclass (another process's window): nothing was replaced.
        SubclassStub::Free(stub);
        return;
    }
    // Setting the procedure sends the window nothing, so no message has met the stub yet.
    r->SetPreviousProc(static_cast<std::uintptr_t>(previous));
    stub->installed = true;
    std::size_t slot = SubclassRecord::FreeSlot(table_);
    if (slot == table_.size()) {
        table_.push_back(nullptr);
    }
    table_[slot] = r;
}

void cFormSubclass::UnsubclassWindow(std::size_t index) {
    SubclassRecord* record = table_[index];
    table_[index] = nullptr;
    if (!record) {
        return;
    }
    auto* stub = static_cast<SubclassStub*>(record->Stub());
    HWND hwnd = reinterpret_cast<HWND>(record->Window());
    if (stub->installed && ::IsWindow(hwnd) &&
        ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(stub->Code())) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, static_cast<LONG_PTR>(record->PreviousProc()));
        stub->installed = false;
    }
    // Otherwise another procedure was put on top of ours after us: taking ours out would cut
    // that one off too, so the stub stays in the chain, passing every message on, until the
    // window goes.
    bool freeNow = record->Release();
    ++g_pending;
    if (freeNow && !stub->installed) {
        SubclassStub::Free(stub);
    }
}

void cFormSubclass::Forget(SubclassRecord* record) {
    for (auto& r : table_) {
        if (r == record) {
            r = nullptr;
        }
    }
}

} // namespace velm
