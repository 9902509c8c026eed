// The tab strip: a child-window control that draws its tabs itself from two skin bitmaps and
// hosts one form per tab in a container window. Style 0: slanted overlapping tabs in a 25-pixel
// strip; any other style: pill tabs with gaps in a 32-pixel strip. All lengths are pixels.
#pragma once

#include "base/Handles.h"
#include "base/Window.h"
#include "base/PropertyBag.h"
#include "frame/CSubclass.h"
#include "tabstrip/CTabCaptionCache.h"
#include "tabstrip/CTabCompositor.h"
#include "tabstrip/CTabItems.h"
#include "tabstrip/CTabLayout.h"
#include "tabstrip/IuTab.h"
#include "tabstrip/mdlTabAPI.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace velm {

class uTab : public Window, public IuTab {
public:
    enum MouseStates : std::int32_t { Normal = 0, CloseHot = 1, ClosePressed = 2 };
    // ItemIndex by value; Button (1 left, 2 right, 4 middle), Shift (1 shift, 2 ctrl, 4 alt), X
    // and Y by reference.
    using MouseEvent = std::function<void(std::int32_t ItemIndex, std::int16_t& Button,
                                          std::int16_t& Shift, float& X, float& Y)>;

    // Events, in their declared order.
    std::function<void()> TabChanged;
    MouseEvent OnDblClick;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseHover;
    MouseEvent OnMouseMove;
    MouseEvent OnMouseUp;
    std::function<void()> OnMouseLeave;
    std::function<void(std::int32_t ItemIndex, bool& Cancel)> OnItemColose;
    std::function<void(HDC hdc, std::int32_t cx, std::int32_t cy, bool& bSkipDefault)>
        OnDrawBackground;

    // Loads the skins, creates the collection, the interceptor and the caption fonts. Nothing is
    // laid out or painted until LockReDraw(false).
    uTab();
    ~uTab() override;
    uTab(const uTab&) = delete;
    uTab& operator=(const uTab&) = delete;

    // Creates the strip's window as a child of `parent` with the saved properties of `design`,
    // then intercepts its own window. The height follows the style.
    bool Create(HWND parent, int x, int y, int width, const PropertyBag& design = {});
    // Writes the three persisted properties (defaults are not stored) and the extent.
    void WriteProperties(PropertyBag& design) const;

    std::int32_t TabStyle() const noexcept { return tabStyle_; }
    void TabStyle(std::int32_t value) noexcept { tabStyle_ = value; }
    std::int32_t TabLeftSize() const noexcept { return tabLeftSize_; }
    void TabLeftSize(std::int32_t value) noexcept { tabLeftSize_ = value; }
    std::int32_t TabRightSize() const noexcept { return tabRightSize_; }
    void TabRight(std::int32_t value) noexcept { tabRightSize_ = value; }
    HWND hContainerWnd() const noexcept { return container_; }
    void hContainerWnd(HWND value);

    void refresh() { DrawAll(true); }
    void LockReDraw(bool bLock);
    // Reloads the selected tab's form; nothing when no tab is selected.
    void RefreshPage();

    // IuTab.
    void Add(const std::string& Caption, const std::shared_ptr<ITabForm>& Form,
             const std::string& Key, const CTabIndex& Index) override;
    bool BeforeRemove(std::int32_t Index) override;
    void Remove(std::int32_t Index) override;
    void Clear() override;
    void Redraw(bool bUpdate) override;
    void ChangeForm(CTabItem* Item, ITabForm* Form) override;
    std::int32_t Selected() override { return selected_; }
    void Selected(std::int32_t value) override;
    CTabItems& TabItems() override { return *items_; }
    HWND hWnd() override { return Window::hWnd(); }
    HWND hParent() override;
    uTab* Control() override { return this; }

    // Layout, hit-testing and form hosting.
    void CalcStandardWidth();
    void CalcPositions();
    CTabHit HitTest(std::int32_t x, std::int32_t y) const;
    void FitSelectedForm();
    void AttachForm(HWND form);
    static void ChangeWindowStyle(HWND window, int index, LONG remove, LONG add, UINT flags);

    // Painting.
    void DrawAll(bool bUpdate);
    void DrawBackground();
    void DrawTabs(bool bUpdate);
    void DrawCaption(HDC surface, const std::string& caption, int x, int y, int width, int height);
    // DrawCaption of tab `index` on the tab area, whose pixels are `view`, through the kept
    // captions.
    void DrawKeptCaption(HDC surface, CPixelView view, std::int32_t index, bool selected, int x,
                         int y, int width, int height);
    void CreateBuffers();
    void FreeBuffers() noexcept;

    // State, for the host and for inspection.
    std::int32_t StandardWidth() const noexcept { return standardWidth_; }
    std::int32_t HoverIndex() const noexcept { return hoverIndex_; }
    MouseStates MouseState() const noexcept { return mouseState_; }
    bool RedrawEnabled() const noexcept { return redrawEnabled_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return CTabLayout::Style(tabStyle_, Dpi()).height; }
    // The strip's DPI (its parent's before it exists) and its margins at that scale.
    int Dpi() const noexcept;
    int LeftSizePx() const noexcept;
    int RightSizePx() const noexcept;
    HDC BackBufferDC() const noexcept { return DcOf(backBuffer_); }
    HDC BackgroundDC() const noexcept { return DcOf(background_); }
    HDC TabAreaDC() const noexcept { return DcOf(tabArea_); }
    HDC SkinDC(std::int32_t tabStyle) const noexcept {
        return DcOf(tabStyle == 0 ? skin0_ : skin1_);
    }

private:
    struct SkinPixels {
        std::vector<std::uint32_t> pixels;
        CPixelView view;
    };
    struct Pointer {
        std::int16_t button = 0;
        std::int16_t shift = 0;
        float x = 0;
        float y = 0;
    };

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A failing handler answers 0: the strip's messages are all its own.
    LRESULT OnHandlerFailed(HWND, UINT, WPARAM, LPARAM) override { return 0; }
    void OnInterceptedMessage(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND hWnd, UINT uMsg);
    void OnResize();
    // Fonts made for the window's DPI; what was kept from drawing at another one is dropped.
    void FitScale();
    void Paint();
    void Press(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Move(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Release(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void DblClick();
    void PointerLeft();
    void RaiseMouse(const MouseEvent& event, std::int32_t index, std::int16_t Button,
                    std::int16_t Shift, float X, float Y);
    std::vector<CTabBox> Boxes() const;
    static HDC DcOf(const mdlTabAPI::Surface& s) noexcept { return s ? s->dc() : nullptr; }
    HDC Skin() const noexcept { return DcOf(tabStyle_ == 0 ? skin0_ : skin1_); }
    const CPixelView& SkinView() const noexcept {
        return (tabStyle_ == 0 ? skinPixels0_ : skinPixels1_).view;
    }
    static mdlTabAPI::Surface LoadSkin(int id, SkinPixels& pixels);
    std::shared_ptr<CTabItem> SelectedItem() const;

    // Persisted properties.
    std::int32_t tabStyle_ = 0;
    std::int32_t tabLeftSize_ = 40;
    std::int32_t tabRightSize_ = 0;
    // State.
    std::int32_t selected_ = -1;
    HWND container_ = nullptr;
    int width_ = 0;
    std::int32_t standardWidth_ = 108;
    std::int32_t hoverIndex_ = -1;
    MouseStates mouseState_ = Normal;
    bool redrawEnabled_ = false;
    Pointer last_;
    // Lets handlers that raise events notice that an event handler destroyed the strip.
    // Owned parts, released in the order the destructor gives.
    // The skins' pixels, for composing the tab area in memory (filled while the skins load).
    SkinPixels skinPixels0_;
    SkinPixels skinPixels1_;
    mdlTabAPI::Surface skin0_;
    mdlTabAPI::Surface skin1_;
    std::unique_ptr<CTabItems> items_;
    std::unique_ptr<CSubclass> c_Subclass;
    UniqueFont font_;
    UniqueFont boldFont_;
    int fontDpi_;
    mdlTabAPI::Surface backBuffer_;
    mdlTabAPI::Surface background_;
    mdlTabAPI::Surface tabArea_;
    std::uint32_t* tabAreaBits_ = nullptr;
    // The size and style the default background in background_ was last drawn for.
    using PlainBackground = std::tuple<int, int, std::int32_t>;
    std::optional<PlainBackground> plainBackground_;
    CTabCaptionCache captions_;
    CTabBodyCache bodies_;
};

} // namespace velm
