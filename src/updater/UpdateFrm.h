// The updater's progress window: one status line, a progress bar and a Cancel button.
#pragma once

#include "base/Dpi.h"
#include "base/Handles.h"
#include "base/WindowObject.h"

#include <functional>
#include <string_view>

namespace velm {

class UpdateFrm : public WindowObject {
public:
    static constexpr int kCancelId = IDCANCEL;
    static constexpr int kStatusId = 100;
    static constexpr int kProgressId = 101;
    static constexpr int kProgressRange = 1000;

    UpdateFrm() = default;
    ~UpdateFrm() override;

    // Raised by the Cancel button and by the window's close command; the window stays.
    std::function<void()> Cancel;

    void SetStatus(std::string_view utf8);
    // `done` of `total`; a total of 0 empties the bar.
    void SetProgress(long long done, long long total);
    void EnableCancel(bool enable);

protected:
    FormDesign Design() const override;
    void OnLoad() override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void RaiseCancel();
    // The message font at the window's DPI, given to every control.
    void ApplyFont();

    UniqueFont font_;
    int shownDpi_ = kDesignDpi;
};

} // namespace velm
