// The skinned push and toggle button: a strip of picture slices gives its looks (normal, mouse
// over, pressed, and the same again for a toggle that is on), with an optional icon and a centred
// caption. It follows the pointer with a 50 ms hover timer, takes Enter and Space, and reports
// mouse, key and hover events. Lengths are in twips.
#pragma once

#include "base/Handles.h"
#include "base/PropertyBag.h"
#include "controls/ControlWindow.h"
#include "controls/FontInfo.h"
#include "controls/FormCanvas.h"
#include "controls/Picture.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velm {

class iButton : public ControlWindow {
public:
    static constexpr COLORREF kMaskColour = RGB(255, 0, 255);
    static constexpr std::uint32_t kButtonTextColour = 0x80000012; // the system's button text
    static constexpr UINT kHoverInterval = 50;

    iButton();
    ~iButton() override;

    // Creates the control (hidden) as a child of `parent`; the hover timer runs from here.
    bool Create(HWND parent, long left, long top, long width, long height);
    // Reads the stored properties in their order.
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;
    // Shows the control; the first show builds the state images.
    void Show();

    const Picture& BackPicture() const { return backPicture_; }
    void SetBackPicture(const Picture& picture);
    const Picture& Icon() const { return icon_; }
    void SetIcon(const Picture& picture);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::int16_t cBackStyle() const { return backStyle_; }
    void SetcBackStyle(std::int16_t style);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    std::int32_t Style() const { return style_; }
    void SetStyle(std::int32_t style);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    std::uint32_t cForeColor() const { return foreColour_; }
    void SetcForeColor(std::uint32_t colour);
    const FontInfo& cFont() const { return font_; }
    void SetcFont(const FontInfo& font);
    std::int16_t cDrawMode() const { return drawMode_; }
    void SetcDrawMode(std::int16_t mode);
    bool Value() const { return value_; }
    void SetValue(bool value);
    bool Locked() const { return locked_; }
    void SetLocked(bool locked);
    HDC hdc() const { return canvas_.Dc(); }
    HBITMAP Image() const { return canvas_.Image(); }

    // Shows look `cAction`; repaints only when it differs from the look shown or when forced.
    void cMouseAction(std::int32_t cAction, bool vComplePaint);

    std::int32_t ShownLook() const { return shownLook_; }
    bool Hovering() const { return hovering_; }
    bool StateImagesReady() const { return imagesReady_; }
    const std::vector<Picture>& StateImages() const { return images_; }

    // Events, in their declared order; arguments by reference.
    std::function<void()> Click;
    std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)> MouseDown;
    std::function<void(std::int16_t& KeyCode, std::int16_t& Shift)> KeyDown;
    std::function<void(std::int16_t& KeyCode, std::int16_t& Shift)> KeyUP;
    std::function<void(std::int16_t& KeyAscii)> KeyPress;
    std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)> MouseUp;
    std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)> MouseMove;
    std::function<void()> MouseOut;
    std::function<void()> MouseOver;
    std::function<void()> DBClick;
    // Raised with a property's key whenever a persisted property is set.
    std::function<void(const char* key)> PropertyChanged;

protected:
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCreated() override;
    void OnDpiChanged() override;

private:
    void BuildStateImages();
    void Repaint(std::int32_t look);
    void RepaintCurrent();
    std::int32_t CurrentLook() const;
    bool PointerOver() const;
    void DrawFocus();
    void ApplyMask();
    void Changed(const char* key);
    void SliceSize(int& w, int& h) const;

    void OnPress(std::int16_t button, WPARAM wParam, LPARAM lParam);
    void OnRelease(std::int16_t button, WPARAM wParam, LPARAM lParam);
    void OnCaptureLost();
    void OnDoubleClick();
    void OnMove(WPARAM wParam, LPARAM lParam);
    void OnTimer();
    void OnKeyDown(std::int16_t key);
    void OnKeyUp(std::int16_t key);
    void OnSize();

    Picture backPicture_;
    Picture icon_;
    bool enabled_ = true;
    std::int16_t backStyle_ = 1;
    std::string caption_;
    std::int32_t style_ = 0;
    bool autoSize_ = true;
    std::uint32_t foreColour_ = kButtonTextColour;
    FontInfo font_;
    std::int16_t drawMode_ = R2_COPYPEN;
    bool value_ = false;
    bool locked_ = false;

    std::int32_t shownLook_ = 0;
    bool hovering_ = false;
    bool leftHeld_ = false;
    std::int16_t lastButton_ = 0;
    int buttonsPressedHere_ = 0; // presses that began on the control, for the platform's click
    bool imagesReady_ = false;
    std::vector<Picture> images_;
    bool shown_ = false; // the state images are built again at the first show only
    bool timerRunning_ = false;
    bool sizing_ = false;

    FormCanvas canvas_;
    UniqueFont fontHandle_;
};

} // namespace velm
