#include "frame/cFormSubclass.h"

#include "base/Log.h"
#include "frame/SubclassRecord.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace velm {

namespace {
int g_pending = 0;
}

// The executable part of a record: the window's procedure slot points at `code`, which puts the
// stub's own address in place of the window handle and jumps to Proc.
struct SubclassStub {
    std::uint8_t code[16];
    SubclassRecord* record;
    bool installed; // still in the window's chain of procedures

    static SubclassStub* Make(SubclassRecord* record);
    static void Free(SubclassStub* stub);
    static LRESULT CALLBACK Proc(HWND self, UINT msg, WPARAM wParam, LPARAM lParam);
};

SubclassStub* SubclassStub::Make(SubclassRecord* record) {
    void* memory = ::VirtualAlloc(nullptr, sizeof(SubclassStub), MEM_COMMIT | MEM_RESERVE,
                                  PAGE_EXECUTE_READWRITE);
    if (!memory) {
        return nullptr;
    }
    auto* stub = static_cast<SubclassStub*>(memory);
    std::uint8_t* c = stub->code;
    std::memset(c, 0x90, sizeof(stub->code));
    // mov dword ptr [esp+4], stub
    c[0] = 0xC7;
    c[1] = 0x44;
    c[2] = 0x24;
    c[3] = 0x04;
    auto self = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(stub));
    std::memcpy(c + 4, &self, 4);
    // jmp Proc
    c[8] = 0xE9;
    auto target = reinterpret_cast<std::uintptr_t>(&SubclassStub::Proc);
    auto rel = static_cast<std::int32_t>(target - (reinterpret_cast<std::uintptr_t>(c) + 13));
    std::memcpy(c + 9, &rel, 4);
    stub->record = record;
    stub->installed = false;
    ::FlushInstructionCache(::GetCurrentProcess(), stub, sizeof(SubclassStub));
    return stub;
}

void SubclassStub::Free(SubclassStub* stub) {
    if (stub->record->Released()) {
        --g_pending;
    }
    delete stub->record;
    ::VirtualFree(stub, 0, MEM_RELEASE);
}

LRESULT CALLBACK SubclassStub::Proc(HWND self, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* stub = reinterpret_cast<SubclassStub*>(self);
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
            LogError("cFormSubclass: message handler failed");
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
                LogError("cFormSubclass: message handler failed");
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
                reinterpret_cast<LONG_PTR>(stub->code)) {
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
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(stub->code));
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
        ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(stub->code)) {
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
