// The title bar of the skinned windows: paints the title strip of the window skin (bitmap 108)
// across its width with the window caption, drags its host window when pressed, and paints the
// rest of the skin frame onto its host on request. Lengths are in twips.
#pragma once

#include "base/PropertyBag.h"
#include "controls/ControlWindow.h"
#include "controls/FormCanvas.h"
#include "controls/Picture.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velm {

class BForm : public ControlWindow {
public:
    static constexpr int kSkinResource = 108;
    static constexpr const char* kDefaultBackColor = "14346732"; // 0xDAE9EC
    static constexpr const char* kDefaultCaption = "NewForm";

    BForm();
    ~BForm() override;

    // Creates the control (hidden) and loads the skin.
    bool Create(HWND parent, long left, long top, long width, long height);
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;
    void Show();

    // The colour as decimal text. A text that is not a 32-bit whole number is refused: the
    // colour stays and false is returned.
    std::string BackColor() const;
    bool SetBackColor(std::string_view text);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool HasLogo() const { return hasLogo_; }
    void SetHasLogo(bool hasLogo);
    HWND frmHwnd() const { return frmHwnd_; }
    void SetfrmHwnd(HWND window);

    // Paints the skin frame (bottom, left and right borders, bottom corners) onto `frm`.
    void Printform(FormCanvas& frm) const;
    // Covers the right part of the strip with plain title strip and prints the caption there.
    void Nomin();

    const Picture& PP() const { return skin_; }
    HDC hdc() const { return canvas_.Dc(); }
    HBITMAP Image() const { return canvas_.Image(); }

    // Events, in their declared order; arguments by reference. CloseClick and MinClick are for
    // the hosts; this control does not raise them.
    std::function<void()> CloseClick;
    std::function<void()> MinClick;
    std::function<void()> DblClick;
    std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)> MouseDown;
    std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)> MouseMove;
    std::function<void(const char* key)> PropertyChanged;

protected:
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCreated() override;
    void OnDpiChanged() override;

private:
    void PrintTitle(const std::string& caption);
    void PrintCaption(HDC dc, const std::string& caption, long x, long y) const;
    void OnSize();
    void OnPress(std::int16_t button, LPARAM lParam);
    void Changed(const char* key);
    long SkinWidth() const;
    long SkinHeight() const;

    Picture skin_; // PP
    std::uint32_t backColour_ = 14346732;
    std::string caption_ = kDefaultCaption;
    bool hasLogo_ = false;
    HWND frmHwnd_ = nullptr;
    bool sizing_ = false;
    FormCanvas canvas_;
    UniqueFont font_;
};

} // namespace velm
