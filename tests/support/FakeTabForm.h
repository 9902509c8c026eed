// A page form for the tab collection and strip tests: a plain top-level window of its own that
// tells a recorder what happened to it ("Initialize <name> strip|none[ item]",
// "RefreshPage <name>", "destroyed <name>").
#pragma once

#include "tabstrip/ITabForm.h"

#include <windows.h>

#include <functional>
#include <string>

namespace velm::test {

class FakeTabForm : public ITabForm {
public:
    using Recorder = std::function<void(const std::string& event)>;

    explicit FakeTabForm(std::string name = "form", Recorder record = {},
                         DWORD style = WS_OVERLAPPEDWINDOW);
    ~FakeTabForm() override;

    HWND hWnd() override { return hwnd_; }
    void Initialize(IuTab* strip, CTabItem* item) override;
    void RefreshPage() override;
    // Whether its window still exists.
    bool Open() const { return ::IsWindow(hwnd_) != FALSE; }

    CTabItem* lastItem = nullptr;

private:
    struct Witness {
        std::string name;
        Recorder record;
    };
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Record(const std::string& event) const;

    std::string name_;
    Recorder record_;
    HWND hwnd_ = nullptr;
};

} // namespace velm::test
