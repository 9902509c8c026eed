// The image button under Wine: real windows, real GDI surfaces read back, real cursor and input.
#include "base/Dib.h"
#include "controls/iButton.h"
#include "support/SkinTest.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::MouseButton;
using test::MouseTo;
using test::Pump;
using test::PumpUntil;

// A strip of equally wide solid slices; `paint` may change single pixels.
Picture MakeStrip(const std::vector<COLORREF>& colours, int sliceWidth, int height,
                  const std::function<COLORREF(int x, int y, COLORREF c)>& paint = {}) {
    const int width = sliceWidth * static_cast<int>(colours.size());
    BITMAPINFO bi = TopDownDib32(width, height);
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            COLORREF c = colours[static_cast<size_t>(x / sliceWidth)];
            if (paint) {
                c = paint(x, y, c);
            }
            px[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
    return Picture::FromBitmap(UniqueBitmap(bmp));
}

test::Pixels Image(const iButton& b) {
    return test::ReadBitmap(b.hdc(), b.Image());
}

const std::vector<COLORREF> kSix = {RGB(200, 0, 0),   RGB(0, 200, 0),   RGB(0, 0, 200),
                                    RGB(200, 200, 0), RGB(0, 200, 200), RGB(200, 0, 200)};

class iButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The pointer starts far from everything.
        MouseTo(1000, 740);
        form = std::make_unique<test::TestForm>(100, 100, 400, 200, RGB(0, 128, 0));
        ::ShowWindow(form->hwnd(), SW_SHOWNA);
        Pump(30);
    }
    void TearDown() override {
        ::ReleaseCapture();
        form.reset();
        Pump(20);
    }
    // A shown button at (30, 40) px of the form.
    std::unique_ptr<iButton> Make(const Picture& strip, std::int32_t style, bool autoSize,
                                  long w = 600, long h = 300) {
        auto b = std::make_unique<iButton>();
        EXPECT_TRUE(b->Create(form->hwnd(), 450, 600, w, h));
        b->SetAutoSize(autoSize);
        b->SetStyle(style);
        b->SetBackPicture(strip);
        b->Show();
        Pump(20);
        return b;
    }
    POINT Centre(const iButton& b) {
        RECT r{};
        ::GetWindowRect(b.hWnd(), &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    std::unique_ptr<test::TestForm> form;
};

TEST_F(iButtonTest, ToggleStripOfSixSlicesShowsTheSecondSetWhenOn) {
    auto b = Make(MakeStrip(kSix, 25, 18), 1, true);
    EXPECT_EQ(b->Width(), 375);
    EXPECT_EQ(b->Height(), 270);
    ASSERT_TRUE(b->StateImagesReady());
    EXPECT_EQ(b->StateImages().size(), 8u);
    EXPECT_EQ(Image(*b).rgb(12, 9), kSix[0]);
    b->SetValue(true);
    EXPECT_EQ(Image(*b).rgb(12, 9), kSix[3]) << "normal look of the 'on' set: x 75-99";
    b->cMouseAction(2, false);
    EXPECT_EQ(Image(*b).rgb(12, 9), kSix[5]);
    EXPECT_EQ(b->ShownLook(), 2);
    b->cMouseAction(1, false);
    EXPECT_EQ(Image(*b).rgb(0, 0), kSix[4]);
    b->SetValue(false);
    b->cMouseAction(1, true);
    EXPECT_EQ(Image(*b).rgb(24, 17), kSix[1]);
}

TEST_F(iButtonTest, ValueStaysFalseForAPushButton) {
    auto b = Make(MakeStrip({kSix[0], kSix[1], kSix[2]}, 20, 10), 0, true);
    b->SetValue(true);
    EXPECT_FALSE(b->Value());
    EXPECT_EQ(Image(*b).rgb(5, 5), kSix[0]);
}

TEST_F(iButtonTest, AnswerStripMakesAControlOfOneSlice) {
    auto b = Make(Picture::FromBitmapResource(201), 0, true);
    EXPECT_EQ(b->Width(), 1125);
    EXPECT_EQ(b->Height(), 330);
    // Without AutoSize the slice is stretched over the design size instead.
    auto c = Make(Picture::FromBitmapResource(201), 0, false, 975, 375);
    EXPECT_EQ(c->Width(), 975);
    EXPECT_EQ(c->Height(), 375);
    auto px = Image(*c);
    EXPECT_EQ(px.width, 65);
    EXPECT_EQ(px.height, 25);
}

TEST_F(iButtonTest, StretchedSliceFillsTheControlAndTheResizeKeepsAutoSize) {
    auto b = Make(MakeStrip({kSix[0], kSix[1], kSix[2]}, 10, 10), 0, false, 900, 450);
    auto px = Image(*b);
    EXPECT_EQ(px.rgb(0, 0), kSix[0]);
    EXPECT_EQ(px.rgb(59, 29), kSix[0]);
    b->SetAutoSize(true);
    EXPECT_EQ(b->Width(), 150);
    b->Move(b->Left(), b->Top(), 3000, 3000);
    EXPECT_EQ(b->Width(), 150) << "AutoSize sets the size back to one slice";
    EXPECT_EQ(b->Height(), 150);
}

// Where the caption's pixels are: colour `ink`, or with `different` anything but `ink`.
RECT InkBox(const test::Pixels& px, COLORREF ink, bool different = false) {
    RECT r{px.width, px.height, -1, -1};
    for (int y = 0; y < px.height; ++y) {
        for (int x = 0; x < px.width; ++x) {
            if ((px.rgb(x, y) == ink) != different) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x);
                r.bottom = std::max<LONG>(r.bottom, y);
            }
        }
    }
    return r;
}

TEST_F(iButtonTest, CaptionIsCentredAndMovesOnePixelRightAndDownWhenPressed) {
    const COLORREF flat = RGB(250, 250, 250);
    auto b = Make(MakeStrip({flat, flat, flat}, 75, 25), 0, true);
    b->SetcForeColor(0);
    b->SetCaption("是");
    RECT normal = InkBox(Image(*b), flat, true);
    ASSERT_GE(normal.right, 0) << "caption printed";
    // Centred: the ink box's middle is within two pixels of the control's middle.
    EXPECT_NEAR((normal.left + normal.right) / 2.0, 37, 2.5);
    EXPECT_NEAR((normal.top + normal.bottom) / 2.0, 12, 2.5);
    b->cMouseAction(2, false);
    RECT pressed = InkBox(Image(*b), flat, true);
    EXPECT_EQ(pressed.left, normal.left + 1);
    EXPECT_EQ(pressed.top, normal.top + 1);
    EXPECT_EQ(pressed.right, normal.right + 1);
    b->cMouseAction(1, false);
    RECT over = InkBox(Image(*b), flat, true);
    EXPECT_EQ(over.left, normal.left);
    EXPECT_EQ(over.top, normal.top);
    b->SetCaption("");
    EXPECT_LT(InkBox(Image(*b), flat, true).right, 0) << "an empty caption prints nothing";
}

TEST_F(iButtonTest, LockedShowsThePressedSliceWhileTheCaptionMovesOnlyWhenPressed) {
    auto b = Make(MakeStrip({kSix[0], kSix[1], kSix[2]}, 75, 25), 0, true);
    b->SetcForeColor(RGB(255, 255, 255));
    b->SetCaption("否");
    RECT unlocked = InkBox(Image(*b), RGB(255, 255, 255));
    b->SetLocked(true);
    auto px = Image(*b);
    EXPECT_EQ(px.rgb(1, 1), kSix[2]);
    RECT locked = InkBox(px, RGB(255, 255, 255));
    EXPECT_EQ(locked.left, unlocked.left);
    EXPECT_EQ(locked.top, unlocked.top);
    b->cMouseAction(1, false);
    EXPECT_EQ(Image(*b).rgb(1, 1), kSix[2]);
    b->cMouseAction(2, false);
    EXPECT_EQ(InkBox(Image(*b), RGB(255, 255, 255)).left, unlocked.left + 1);
    b->SetLocked(false);
    EXPECT_EQ(Image(*b).rgb(1, 1), kSix[0]);
}

// Columns holding a colour.
std::pair<int, int> Columns(const test::Pixels& px, COLORREF c) {
    int lo = px.width, hi = -1;
    for (int y = 0; y < px.height; ++y) {
        for (int x = 0; x < px.width; ++x) {
            if (px.rgb(x, y) == c) {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
        }
    }
    return {lo, hi};
}

TEST_F(iButtonTest, IconIsCentredWithoutCaptionAndLeftOfItWithOne) {
    const COLORREF flat = RGB(20, 60, 140);
    auto b = Make(MakeStrip({flat, flat, flat}, 99, 22), 0, true);
    b->SetIcon(Picture::FromIconResource(211)); // a white figure, 16 x 16
    b->cMouseAction(0, true);
    auto [lo, hi] = Columns(Image(*b), RGB(255, 255, 255));
    // x = W/2 - IW/2 = 742.5 - 120 twips: pixel 41, so the figure lies in columns 41-56.
    EXPECT_GE(lo, 41);
    EXPECT_LE(hi, 56);
    EXPECT_GT(hi, lo);
    const COLORREF ink = RGB(255, 255, 0);
    b->SetcForeColor(ink);
    b->SetCaption("游戏官网");
    auto px = Image(*b);
    auto [tlo, thi] = Columns(px, ink);
    auto [ilo, ihi] = Columns(px, RGB(255, 255, 255));
    ASSERT_LE(tlo, thi);
    EXPECT_LT(ihi, tlo) << "the icon ends before the caption starts";
    // The caption starts IW (16 px) after W/2 - TW/2 and the icon IW/2 before it.
    EXPECT_NEAR(tlo - ilo, 24, 3);
}

TEST_F(iButtonTest, TransparentButtonLetsTheHostShowThroughTheMagentaParts) {
    const COLORREF magenta = RGB(255, 0, 255);
    // Slices with a magenta left half.
    auto strip = MakeStrip({kSix[0], kSix[1], kSix[2]}, 40, 20,
                           [&](int x, int, COLORREF c) { return (x % 40) < 20 ? magenta : c; });
    auto b = Make(strip, 0, true);
    b->SetcBackStyle(0);
    ::UpdateWindow(form->hwnd());
    Pump(50);
    RECT r{};
    ::GetWindowRect(b->hWnd(), &r);
    EXPECT_EQ(test::ScreenPixel(r.left + 5, r.top + 10), RGB(0, 128, 0)) << "host shows through";
    EXPECT_EQ(test::ScreenPixel(r.left + 30, r.top + 10), kSix[0]);
    // The see-through part is not the control's either: the pointer there is over the host.
    EXPECT_EQ(::WindowFromPoint({r.left + 5, r.top + 10}), form->hwnd());
    EXPECT_EQ(::WindowFromPoint({r.left + 30, r.top + 10}), b->hWnd());
    // Opaque again: the magenta shows.
    b->SetcBackStyle(1);
    ::UpdateWindow(b->hWnd());
    Pump(50);
    EXPECT_EQ(test::ScreenPixel(r.left + 5, r.top + 10), magenta);
}

TEST_F(iButtonTest, TransparentWithoutAutoSizeMasksTheStretchedImage) {
    const COLORREF magenta = RGB(255, 0, 255);
    auto strip = MakeStrip({kSix[0], kSix[1], kSix[2]}, 10, 10,
                           [&](int x, int, COLORREF c) { return (x % 10) < 5 ? magenta : c; });
    auto b = Make(strip, 0, false, 600, 300); // 40 x 20 px, slice stretched 4 x 2
    b->SetcBackStyle(0);
    Pump(30);
    RECT r{};
    ::GetWindowRect(b->hWnd(), &r);
    EXPECT_EQ(::WindowFromPoint({r.left + 10, r.top + 10}), form->hwnd());
    EXPECT_EQ(::WindowFromPoint({r.left + 30, r.top + 10}), b->hWnd());
}

TEST_F(iButtonTest, PropertiesAreReadInTheirOrderAndDefaultsAreNotStored) {
    PropertyBag bag;
    // Stored the way the hosts spell them: lower case.
    bag.WriteProperty("backpicture", "bitmap:201");
    bag.WriteProperty("icon", "icon:212");
    bag.WriteProperty("caption", "游戏官网");
    bag.WriteProperty("autosize", "False");
    bag.WriteProperty("cforecolor", "16777215");
    bag.WriteProperty("cfont", "宋体|9|u");
    bag.WriteProperty("cdrawmode", "13");
    auto b = std::make_unique<iButton>();
    ASSERT_TRUE(b->Create(form->hwnd(), 0, 0, 1215, 330));
    std::vector<std::string> changed;
    b->PropertyChanged = [&](const char* key) { changed.push_back(key); };
    b->ReadProperties(bag);
    // Then the host gives it its design size.
    b->Move(0, 0, 1215, 330);
    EXPECT_EQ(changed, (std::vector<std::string>{"Enabled", "cBackStyle", "Caption", "Style",
                                                 "AutoSize", "cForeColor", "cFont", "cDrawMode"}));
    EXPECT_EQ(b->Caption(), "游戏官网");
    EXPECT_FALSE(b->AutoSize());
    EXPECT_TRUE(b->cFont().underline);
    EXPECT_EQ(b->cForeColor(), 0xFFFFFFu);
    EXPECT_TRUE(b->BackPicture());
    EXPECT_TRUE(b->Icon().IsIcon());
    EXPECT_EQ(b->Width(), 1215) << "AutoSize false keeps the design size";

    PropertyBag out;
    b->WriteProperties(out);
    std::vector<std::string> keys;
    for (const auto& [k, v] : out.Entries()) {
        keys.push_back(k);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"BackPicture", "Icon", "Caption", "AutoSize", "cFont",
                                              "cDrawMode", "cForeColor", "_ExtentX", "_ExtentY"}));
    EXPECT_EQ(out.ReadProperty("BackPicture"), "bitmap:201");
    EXPECT_EQ(out.ReadProperty("cForeColor"), "16777215");
    EXPECT_EQ(out.ReadLong("_ExtentX", 0), 2143); // 81 px

    // A new control with nothing stored writes only what has no fixed default.
    iButton fresh;
    ASSERT_TRUE(fresh.Create(form->hwnd(), 0, 0, 600, 300));
    PropertyBag empty;
    fresh.ReadProperties(empty);
    PropertyBag written;
    fresh.WriteProperties(written);
    EXPECT_FALSE(written.Contains("Enabled"));
    EXPECT_FALSE(written.Contains("Style"));
    EXPECT_FALSE(written.Contains("Caption"));
    EXPECT_TRUE(written.Contains("cFont"));
    EXPECT_EQ(written.ReadProperty("cDrawMode"), "13");
    EXPECT_EQ(written.ReadLong("cForeColor", 0), static_cast<std::int32_t>(0x80000012));
}

TEST_F(iButtonTest, CopyThroughAPaletteKeepsThePixelsAndOwnsThePalette) {
    Picture strip = MakeStrip({kSix[0], kSix[1], kSix[2]}, 8, 4);
    test::TestForm f(0, 0, 10, 10);
    HDC dc = ::GetDC(f.hwnd());
    Picture copy = strip.CopyRect(dc, 8, 0, 8, 4, true);
    ::ReleaseDC(f.hwnd(), dc);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Palette(), nullptr);
    EXPECT_EQ(copy.PixelSize().cx, 8);
    UniqueMemoryDc mem(::CreateCompatibleDC(nullptr));
    SelectScope sel(mem.get(), copy.Bitmap());
    auto px = test::ReadBitmap(mem.get(), copy.Bitmap());
    EXPECT_EQ(px.rgb(3, 2), kSix[1]);
}

TEST_F(iButtonTest, ControlsLeaveNoGdiObjectsBehind) {
    std::vector<HGDIOBJ> handles;
    {
        auto b = Make(MakeStrip(kSix, 25, 18), 1, true);
        b->SetCaption("否");
        b->SetcBackStyle(0);
        handles.push_back(b->Image());
        handles.push_back(b->hdc());
        handles.push_back(b->BackPicture().Bitmap());
        for (const Picture& p : b->StateImages()) {
            handles.push_back(p.Bitmap());
        }
        ASSERT_EQ(handles.size(), 3u + 8u);
        for (HGDIOBJ h : handles) {
            ASSERT_NE(::GetObjectType(h), 0u);
        }
    }
    for (HGDIOBJ h : handles) {
        EXPECT_EQ(::GetObjectType(h), 0u) << "released with the control";
    }
}

// ---- Input: real cursor positions and buttons ----

struct Recorder {
    std::vector<std::string> events;
    void Attach(iButton& b) {
        b.Click = [this] { events.push_back("Click"); };
        b.MouseDown = [this](std::int16_t& btn, std::int16_t&, float&, float&) {
            events.push_back("MouseDown" + std::to_string(btn));
        };
        b.MouseUp = [this](std::int16_t& btn, std::int16_t&, float&, float&) {
            events.push_back("MouseUp" + std::to_string(btn));
        };
        b.KeyDown = [this](std::int16_t& k, std::int16_t&) {
            events.push_back("KeyDown" + std::to_string(k));
        };
        b.KeyUP = [this](std::int16_t& k, std::int16_t&) {
            events.push_back("KeyUP" + std::to_string(k));
        };
        b.MouseOver = [this] { events.push_back("MouseOver"); };
        b.MouseOut = [this] { events.push_back("MouseOut"); };
        b.DBClick = [this] { events.push_back("DBClick"); };
    }
    int Count(const std::string& e) const {
        return static_cast<int>(std::count(events.begin(), events.end(), e));
    }
};

TEST_F(iButtonTest, HoverTimerRunsFromCreationAndReportsOverAndOut) {
    auto b = std::make_unique<iButton>();
    Recorder rec;
    rec.Attach(*b);
    ASSERT_TRUE(b->Create(form->hwnd(), 450, 600, 600, 300));
    b->SetAutoSize(true);
    b->SetBackPicture(MakeStrip({kSix[0], kSix[1], kSix[2]}, 40, 20));
    b->Show();
    // The pointer is elsewhere: the first tick says MouseOut once and stops the timer.
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("MouseOut") == 1; }, 1000));
    Pump(200);
    EXPECT_EQ(rec.Count("MouseOut"), 1);

    POINT c = Centre(*b);
    MouseTo(c.x, c.y);
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("MouseOver") == 1; }));
    EXPECT_TRUE(b->Hovering());
    EXPECT_EQ(b->ShownLook(), 1);
    EXPECT_EQ(Image(*b).rgb(20, 10), kSix[1]);
    MouseTo(c.x + 3, c.y + 2);
    EXPECT_EQ(rec.Count("MouseOver"), 1) << "once per entry";
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));

    MouseTo(c.x + 200, c.y + 100);
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("MouseOut") == 2; }, 1000));
    EXPECT_FALSE(b->Hovering());
    EXPECT_EQ(b->ShownLook(), 0);
    EXPECT_EQ(Image(*b).rgb(20, 10), kSix[0]);
}

TEST_F(iButtonTest, AWindowCoveringTheButtonCountsAsNotOver) {
    auto b = Make(MakeStrip({kSix[0], kSix[1], kSix[2]}, 40, 20), 0, true);
    Recorder rec;
    rec.Attach(*b);
    POINT c = Centre(*b);
    MouseTo(c.x, c.y);
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("MouseOver") == 1; }));
    test::TestForm cover(c.x - 10, c.y - 10, 20, 20, RGB(0, 0, 0), WS_POPUP | WS_VISIBLE);
    ::SetWindowPos(cover.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("MouseOut") == 1; }, 1000));
    EXPECT_EQ(b->ShownLook(), 0);
}

TEST_F(iButtonTest, ClickIsAPressAndReleaseOnTheButtonAndTogglesValue) {
    auto b = Make(MakeStrip(kSix, 25, 18), 1, true);
    Recorder rec;
    rec.Attach(*b);
    POINT c = Centre(*b);
    MouseTo(c.x, c.y);
    MouseButton(1, true);
    EXPECT_EQ(b->ShownLook(), 2);
    EXPECT_EQ(Image(*b).rgb(2, 2), kSix[2]);
    MouseButton(1, false);
    EXPECT_TRUE(b->Value());
    EXPECT_EQ(b->ShownLook(), 1);
    EXPECT_EQ(Image(*b).rgb(2, 2), kSix[4]) << "over look of the 'on' set";
    std::vector<std::string> mouse;
    for (const auto& e : rec.events) {
        if (e != "MouseOver") {
            mouse.push_back(e);
        }
    }
    EXPECT_EQ(mouse, (std::vector<std::string>{"MouseDown1", "MouseUp1", "Click"}));
}

TEST_F(iButtonTest, PressDragOffAndReleaseOutsideGivesNoClick) {
    auto b = Make(MakeStrip(kSix, 25, 18), 1, true);
    Recorder rec;
    rec.Attach(*b);
    POINT c = Centre(*b);
    MouseTo(c.x, c.y);
    MouseButton(1, true);
    ASSERT_EQ(b->ShownLook(), 2);
    MouseTo(c.x + 150, c.y + 60);
    // Look 0 at the next tick, but no MouseOut while the button is held.
    ASSERT_TRUE(PumpUntil([&] { return b->ShownLook() == 0; }, 500));
    Pump(120);
    EXPECT_EQ(rec.Count("MouseOut"), 0);
    // Back on while holding: pressed again at the next tick.
    MouseTo(c.x, c.y);
    ASSERT_TRUE(PumpUntil([&] { return b->ShownLook() == 2; }, 500));
    MouseTo(c.x + 150, c.y + 60);
    ASSERT_TRUE(PumpUntil([&] { return b->ShownLook() == 0; }, 500));
    MouseButton(1, false);
    EXPECT_EQ(rec.Count("MouseUp1"), 1) << "the release outside still reaches the button";
    EXPECT_EQ(rec.Count("Click"), 0);
    EXPECT_FALSE(b->Value());
    EXPECT_EQ(b->ShownLook(), 0);
    EXPECT_EQ(Image(*b).rgb(2, 2), kSix[0]);
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("MouseOut") == 1; }, 500));
}

// The maximise button's glyph and the strip's drag rule read Value: it may change only with a
// Click.
TEST_F(iButtonTest, PressElsewhereThenReleaseOnTheToggleChangesNothing) {
    auto b = Make(MakeStrip(kSix, 25, 18), 1, true);
    Recorder rec;
    rec.Attach(*b);
    RECT r{};
    ::GetWindowRect(b->hWnd(), &r);
    MouseTo(r.right + 60, r.bottom + 40); // on the host form
    MouseButton(1, true);
    POINT c = Centre(*b);
    MouseTo(c.x, c.y);
    MouseButton(1, false);
    EXPECT_EQ(rec.Count("MouseUp1"), 1) << "the release reached the button";
    EXPECT_EQ(rec.Count("Click"), 0);
    EXPECT_FALSE(b->Value());
    EXPECT_EQ(Image(*b).rgb(2, 2), kSix[1]) << "over look of the 'off' set";
}

// Alt+Tab, a menu or another window taking the pointer in the middle of a press ends it.
TEST_F(iButtonTest, LostCaptureEndsThePress) {
    auto b = Make(MakeStrip(kSix, 25, 18), 1, true);
    Recorder rec;
    rec.Attach(*b);
    POINT c = Centre(*b);
    MouseTo(c.x, c.y);
    MouseButton(1, true);
    ASSERT_EQ(Image(*b).rgb(2, 2), kSix[2]);
    ::SetCapture(form->hwnd());
    EXPECT_EQ(Image(*b).rgb(2, 2), kSix[1]) << "drawn unpressed at once";
    Pump(200); // hover timer ticks with the pointer still on the button
    EXPECT_EQ(b->ShownLook(), 1);
    EXPECT_EQ(Image(*b).rgb(2, 2), kSix[1]);
    MouseButton(1, false);
    ::ReleaseCapture();
    EXPECT_EQ(rec.Count("Click"), 0);
    EXPECT_FALSE(b->Value());
}

TEST_F(iButtonTest, RightButtonGivesNoClickAndItsDoubleClickNoPressedLook) {
    auto b = Make(MakeStrip({kSix[0], kSix[1], kSix[2]}, 40, 20), 0, true);
    Recorder rec;
    rec.Attach(*b);
    POINT c = Centre(*b);
    MouseTo(c.x, c.y);
    MouseButton(2, true, 10);
    MouseButton(2, false, 10);
    MouseButton(2, true, 10);
    EXPECT_EQ(b->ShownLook(), 1) << "no pressed look for the right button";
    MouseButton(2, false, 10);
    EXPECT_EQ(rec.Count("Click"), 0);
    EXPECT_EQ(rec.Count("MouseDown2"), 1);
    EXPECT_EQ(rec.Count("DBClick"), 1);
    EXPECT_EQ(rec.Count("MouseUp2"), 2);

    // A left double click shows the pressed look and raises DBClick after one Click.
    Pump(600);
    MouseButton(1, true, 10);
    MouseButton(1, false, 10);
    MouseButton(1, true, 10);
    EXPECT_EQ(b->ShownLook(), 2);
    MouseButton(1, false, 10);
    EXPECT_EQ(rec.Count("Click"), 1);
    EXPECT_EQ(rec.Count("DBClick"), 2);
}

TEST_F(iButtonTest, EnterClicksOnKeyDownAndSpaceOnKeyUp) {
    auto b = Make(MakeStrip(kSix, 25, 18), 1, true);
    Recorder rec;
    rec.Attach(*b);
    test::Activate(form->hwnd());
    ::SetFocus(b->hWnd());
    Pump(100);
    ASSERT_EQ(::GetFocus(), b->hWnd());
    rec.events.clear();
    test::Key(VK_RETURN, true);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"KeyDown13", "Click"}));
    EXPECT_TRUE(b->Value());
    test::Key(VK_RETURN, false);
    rec.events.clear();

    test::Key(VK_SPACE, true);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"KeyDown32"}));
    EXPECT_EQ(b->ShownLook(), 2);
    EXPECT_EQ(Image(*b).rgb(12, 9), kSix[5]);
    test::Key(VK_SPACE, false);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"KeyDown32", "KeyUP32", "Click"}));
    EXPECT_FALSE(b->Value());
    std::vector<int> typed;
    b->KeyPress = [&](std::int16_t& ascii) { typed.push_back(ascii); };
    rec.events.clear();
    test::Key('A', true);
    test::Key('A', false);
    EXPECT_EQ(typed, (std::vector<int>{'a'}));
    EXPECT_EQ(rec.events, (std::vector<std::string>{"KeyDown65", "KeyUP65"}));
}

TEST_F(iButtonTest, FocusDrawsADottedRectangleThreePixelsInside) {
    const COLORREF flat = RGB(250, 250, 250);
    auto b = Make(MakeStrip({flat, flat, flat}, 75, 22), 0, true);
    test::Activate(form->hwnd());
    ::SetFocus(b->hWnd());
    Pump(20);
    auto px = Image(*b);
    int changed = 0;
    for (int x = 3; x < 72; ++x) {
        changed += px.rgb(x, 3) != flat;
    }
    EXPECT_GT(changed, 20) << "dotted line along the top at y 3";
    EXPECT_EQ(px.rgb(2, 2), flat);
    EXPECT_EQ(px.rgb(10, 10), flat);
    ::SetFocus(form->hwnd());
    Pump(20);
    px = Image(*b);
    for (int x = 3; x < 72; ++x) {
        EXPECT_EQ(px.rgb(x, 3), flat) << "the repaint on losing focus removes it";
    }
}

TEST_F(iButtonTest, DisabledButtonShowsTheNormalSliceAndTakesNoInput) {
    auto b = Make(MakeStrip({kSix[0], kSix[1], kSix[2]}, 40, 20), 0, true);
    Recorder rec;
    rec.Attach(*b);
    b->SetEnabled(false);
    EXPECT_EQ(b->ShownLook(), 3);
    EXPECT_EQ(Image(*b).rgb(5, 5), kSix[0]);
    POINT c = Centre(*b);
    MouseTo(c.x, c.y);
    MouseButton(1, true);
    MouseButton(1, false);
    EXPECT_EQ(rec.Count("Click"), 0);
}

// The button lives in storage of the test's own, so that what a handler that destroyed it leaves
// behind can be overwritten the way a freed block is reused: nothing may be written there after.
TEST_F(iButtonTest, AButtonDestroyedFromItsOwnEventTouchesNothingAfterwards) {
    std::vector<std::max_align_t> storage(sizeof(iButton) / sizeof(std::max_align_t) + 1);
    auto* own = new (storage.data()) iButton();
    ASSERT_TRUE(own->Create(form->hwnd(), 450, 600, 600, 300));
    own->Show();
    HWND h = own->hWnd();
    own->MouseDown = [&storage, own](std::int16_t&, std::int16_t&, float&, float&) {
        void* block = storage.data();
        own->~iButton();
        std::memset(block, 0xCC, sizeof(iButton));
    };
    ::SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(::IsWindow(h));
    const auto* bytes = reinterpret_cast<const unsigned char*>(storage.data());
    EXPECT_EQ(std::count(bytes, bytes + sizeof(iButton), 0xCC),
              static_cast<std::ptrdiff_t>(sizeof(iButton)));
}

} // namespace
} // namespace velm
