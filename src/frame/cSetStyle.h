// Turns a top-level window into a borderless one that still behaves like a window: resizing by
// its four edges and four corners with a dotted outline while dragging, a maximise toggle that
// fills the screen above the taskbar, a re-fit when system settings change, and events for the
// system close command and the border under the pointer.
#pragma once

#include "base/Handles.h"
#include "frame/FrameGeometry.h"
#include "frame/cFormSubclass.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace velm {

class cSetStyle {
public:
    static constexpr DWORD kStyle = 0x000A0000; // WS_SYSMENU | WS_MINIMIZEBOX

    cSetStyle();
    cSetStyle(const cSetStyle&) = delete;
    cSetStyle& operator=(const cSetStyle&) = delete;
    ~cSetStyle();

    // The form to frame; set it before the other calls.
    HWND objForm() const { return form_; }
    void SetobjForm(HWND form) { form_ = form; }
    // Makes the window borderless (style 0x000A0000, keeping only its visible and clipping
    // bits) and has its messages reported before it handles them.
    void SetWindowStyle(HWND hWnd);
    // Maximises to the work area or restores; returns true when now maximised.
    bool CallWindowStateChange();

    bool Maximised() const { return maximised_; }
    // While maximised: the rectangle restoring returns to, in screen pixels.
    FrameRect RestoreRect() const;
    bool Resizing() const { return resizing_; }
    int Border() const { return code_; }
    // The form's mouse pointer (1 arrow, 6-9 the sizing arrows).
    int MousePointer() const { return pointer_; }
    // The outline being dragged, in screen pixels.
    FrameRect Outline() const { return outline_; }

    // Events, in their declared order. When the owner takes CloseClick, the system close command
    // is answered by that handler alone (it is not passed on to the window as well).
    std::function<void()> CloseClick;
    std::function<void()> SettingChange;
    std::function<void(std::int32_t& code)> MouseSize;

private:
    void MsgCome(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg,
                 WPARAM& wParam, LPARAM& lParam);
    void OnMouseMove(WPARAM wParam);
    void OnButtonDown();
    void OnButtonUp();
    void CancelResize();
    void SetMousePointer(int pointer);
    void DrawOutline(const FrameRect& r) const;
    FrameRect WindowRect() const;
    int FormDpi() const;

    // The form's place in twips.
    long FormLeft() const;
    long FormTop() const;
    long FormWidth() const;
    long FormHeight() const;
    void FormMove(long left, long top, long width, long height) const;

    std::unique_ptr<cFormSubclass> objSubclass_;
    HWND form_ = nullptr;
    HWND hwnd_ = nullptr;
    std::unique_ptr<WindowDc> screenDc_;
    bool resizing_ = false;
    bool maximised_ = false;
    long savedWidth_ = 0;
    long savedHeight_ = 0;
    long savedLeft_ = 0;
    long savedTop_ = 0;
    POINT lastCursor_{};
    FrameRect startRect_;
    FrameRect lastOutline_;
    FrameRect outline_;
    int code_ = kBorderNone;
    int pointer_ = kPointerArrow;
};

} // namespace velm
