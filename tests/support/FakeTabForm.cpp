#include "support/FakeTabForm.h"

#include "base/Text.h"

namespace velm::test {

FakeTabForm::FakeTabForm(std::string name, Recorder record, DWORD style)
    : name_(std::move(name)), record_(std::move(record)) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &FakeTabForm::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"velm.test.FakeTabForm";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    // The window keeps its own copy of what it reports with: it may outlive this object.
    auto* witness = new Witness{name_, record_};
    hwnd_ = ::CreateWindowExW(0, L"velm.test.FakeTabForm", Widen(name_).c_str(), style, 10, 10, 300,
                              200, nullptr, nullptr, ::GetModuleHandleW(nullptr), witness);
    if (!hwnd_) {
        delete witness;
    }
}

FakeTabForm::~FakeTabForm() {
    if (::IsWindow(hwnd_)) {
        ::DestroyWindow(hwnd_);
    }
}

void FakeTabForm::Initialize(IuTab* strip, CTabItem* item) {
    Record("Initialize " + name_ + (strip ? " strip" : " none") + (item ? " item" : ""));
    lastItem = item;
}

void FakeTabForm::RefreshPage() {
    Record("RefreshPage " + name_);
}

void FakeTabForm::Record(const std::string& event) const {
    if (record_) {
        record_(event);
    }
}

LRESULT CALLBACK FakeTabForm::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* witness = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(witness));
    }
    auto* witness = reinterpret_cast<Witness*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (witness && msg == WM_DESTROY && witness->record) {
        witness->record("destroyed " + witness->name);
    }
    if (witness && msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete witness;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace velm::test
