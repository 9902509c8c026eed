// The tab strip as a real child window: painting read back from its surfaces, the events of real
// mouse messages, form hosting in a container, the saved properties and a resource soak.
#include "tabstrip/uTab.h"

#include "base/PropertyBag.h"
#include "base/Units.h"
#include "tabstrip/ITabForm.h"
#include "tabstrip/mdlTabAPI.h"

#include "support/FakeTabForm.h"
#include "support/SavePng.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::Pixels;
using test::Pump;
using test::ReadBitmap;
using test::ReadSurface;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kBold = RGB(4, 96, 163);

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    return ::DefWindowProcA(h, msg, w, l);
}

void RegisterPlain() {
    static bool done = false;
    if (!done) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "VelmTabStripTestWindow";
        ::RegisterClassA(&wc);
        done = true;
    }
}

// A page form whose refreshes, when it is given an event list, go into it.
class Form : public test::FakeTabForm {
public:
    explicit Form(std::vector<std::string>* log = nullptr, std::string name = {})
        : FakeTabForm(name, [log](const std::string& event) {
              if (log && event.rfind("RefreshPage ", 0) == 0) {
                  log->push_back(event);
              }
          }) {}
};

struct Host {
    HWND window = nullptr;
    HWND container = nullptr;
    Host() {
        RegisterPlain();
        window = ::CreateWindowExA(0, "VelmTabStripTestWindow", "host",
                                   WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1000, 400,
                                   nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        container =
            ::CreateWindowExA(0, "VelmTabStripTestWindow", "", WS_CHILD | WS_VISIBLE, 0, 40, 600,
                              300, window, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    }
    ~Host() { ::DestroyWindow(window); }
};

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

class TabStrip : public ::testing::Test {
protected:
    void SetUp() override { ::SetCursorPos(1010, 760); }
    void TearDown() override {
        strip.reset();
        host.reset();
        Pump(150);
    }
    // A strip of `width` with the style and margins, drawing enabled, with `n` tabs.
    void Make(int style, int width, int left, int right, int n, bool hideButtons = false) {
        PropertyBag design;
        design.WriteLong("TabStyle", style, 0);
        design.WriteLong("TabLeftSize", left, 40);
        design.WriteLong("TabRightSize", right, 0);
        strip = std::make_unique<uTab>();
        ASSERT_TRUE(strip->Create(host->window, 0, 0, width, design));
        strip->hContainerWnd(host->container);
        strip->LockReDraw(false);
        for (int i = 0; i < n; ++i) {
            auto form = std::make_shared<Form>(&events, std::to_string(i));
            forms.push_back(form);
            strip->TabItems().Add("", form);
            if (hideButtons) {
                strip->TabItems().Item(i)->HideButton(true);
            }
        }
    }
    void Record() {
        auto mouse = [this](const char* name) {
            return
                [this, name](std::int32_t i, std::int16_t& b, std::int16_t& s, float& x, float& y) {
                    events.push_back(std::string(name) + " " + std::to_string(i) + " b" +
                                     std::to_string(b) + " s" + std::to_string(s) + " " +
                                     std::to_string(static_cast<int>(x)) + "," +
                                     std::to_string(static_cast<int>(y)));
                };
        };
        strip->TabChanged = [this] { events.push_back("TabChanged"); };
        strip->OnDblClick = mouse("OnDblClick");
        strip->OnMouseDown = mouse("OnMouseDown");
        strip->OnMouseHover = mouse("OnMouseHover");
        strip->OnMouseMove = mouse("OnMouseMove");
        strip->OnMouseUp = mouse("OnMouseUp");
        strip->OnMouseLeave = [this] { events.push_back("OnMouseLeave"); };
        strip->OnItemColose = [this](std::int32_t i, bool& cancel) {
            events.push_back("OnItemColose " + std::to_string(i));
            cancel = vetoClose;
        };
        events.clear();
    }
    LRESULT Send(UINT msg, WPARAM keys, int x, int y) {
        return ::SendMessageA(strip->hWnd(), msg, keys, At(x, y));
    }
    // Compares a w x h block of the tab area at (dx, dy) with the skin block at (sx, sy): skin
    // pixels of the key colour must show the background instead.
    void ExpectBlock(const Pixels& area, int dx, int dy, const Pixels& skin, int sx, int sy, int w,
                     int h, const Pixels* background, int backgroundX, const char* what) {
        int mismatches = 0;
        int compared = 0;
        int budget = 12;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                COLORREF want = skin.rgb(sx + x, sy + y);
                if (want == kMagenta) {
                    if (!background) {
                        continue; // whatever lies beneath shows through
                    }
                    want = background->rgb(backgroundX + dx + x, dy + y);
                } else {
                    ++compared;
                }
                if (area.rgb(dx + x, dy + y) != want) {
                    ++mismatches;
                }
            }
        }
        EXPECT_GT(compared, w * h / 6) << what;
        EXPECT_EQ(mismatches, 0) << what;
        if (mismatches) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    COLORREF want = skin.rgb(sx + x, sy + y);
                    if (want == kMagenta) {
                        if (!background) {
                            continue;
                        }
                        want = background->rgb(backgroundX + dx + x, dy + y);
                    }
                    if (area.rgb(dx + x, dy + y) != want) {
                        printf("(%d,%d) got %06lx want %06lx skin %06lx\n", x, y,
                               area.rgb(dx + x, dy + y), want, skin.rgb(sx + x, sy + y));
                        if (--budget < 0)
                            return;
                    }
                }
            }
        }
    }

    std::unique_ptr<Host> host = std::make_unique<Host>();
    std::unique_ptr<uTab> strip;
    std::vector<std::shared_ptr<Form>> forms;
    std::vector<std::string> events;
    bool vetoClose = false;
};

// ---- painting ----

TEST_F(TabStrip, FullWidthSlantedTabIsCopiedUnscaledAndTheSelectedTabFromItsSlice) {
    Make(0, 500, 40, 0, 2, true);
    strip->Selected(1);
    ASSERT_EQ(strip->TabItems().Item(0)->Width(), 108);
    const Pixels area = ReadSurface(strip->TabAreaDC());
    const Pixels skin = ReadSurface(strip->SkinDC(0));
    const Pixels back = ReadSurface(strip->BackgroundDC());
    ASSERT_EQ(area.width, 460);
    ASSERT_EQ(skin.width, 415);
    ASSERT_EQ(skin.height, 25);
    // Tab 0: body x 0..121, its last 14 columns lie under the selected tab 1.
    ExpectBlock(area, 0, 0, skin, 1, 0, 108, 25, &back, 40, "ordinary tab, unscaled");
    // Tab 1, selected, drawn last: body x 108..229 from the selected slice.
    ExpectBlock(area, 108, 0, skin, 245, 0, 122, 25, nullptr, 40, "selected tab");
    const Pixels shown = ReadSurface(strip->BackBufferDC());
    EXPECT_EQ(shown.rgb(40 + 150, 12), area.rgb(150, 12)) << "the tab area lands at TabLeftSize";
}

TEST_F(TabStrip, NarrowSlantedTabKeepsItsEdges) {
    Make(0, 174, 40, 0, 2, true); // A = 134: two tabs of 60
    strip->Selected(1);
    ASSERT_EQ(strip->StandardWidth(), 60);
    const Pixels area = ReadSurface(strip->TabAreaDC());
    const Pixels skin = ReadSurface(strip->SkinDC(0));
    const Pixels back = ReadSurface(strip->BackgroundDC());
    ExpectBlock(area, 0, 0, skin, 1, 0, 14, 25, &back, 40, "left edge of tab 0");
    // Tab 1 body: x 60..133 (74 wide); its right edge is the slice's last 14 columns.
    ExpectBlock(area, 120, 0, skin, 245 + 108, 0, 14, 25, &back, 40, "right edge of tab 1");
    ExpectBlock(area, 60, 0, skin, 245, 0, 14, 25, nullptr, 40, "left edge of tab 1");
}

TEST_F(TabStrip, HoverBodyAndCloseGlyphVariants) {
    Make(0, 500, 40, 0, 3);
    strip->Selected(2);
    Record();
    const Pixels skin = ReadSurface(strip->SkinDC(0));
    const Pixels back = ReadSurface(strip->BackgroundDC());
    // Pointer over tab 0's body (u = 40, y = 3; not on its glyph).
    Send(WM_MOUSEMOVE, 0, 40 + 40, 3);
    ASSERT_EQ(strip->HoverIndex(), 0);
    Pixels area = ReadSurface(strip->TabAreaDC());
    ExpectBlock(area, 0, 0, skin, 123, 0, 60, 25, &back, 40, "pointer-over body");
    // Tab 1 (not hovered) shows the glyph for other tabs; tab 2 (selected) its own.
    // Glyphs at Left + Width - 24: tab 1 at 122 + 84 = 206, tab 2 at 230 + 84 = 314.
    ExpectBlock(area, 206, 6, skin, 379, 0, 12, 12, nullptr, 40, "glyph of another tab");
    ExpectBlock(area, 314, 6, skin, 367, 0, 12, 12, nullptr, 40, "glyph of the selected tab");
    // Onto tab 0's glyph: x = Left + Width - 24 .. -12 = 98 .. 110.
    Send(WM_MOUSEMOVE, 0, 40 + 100, 10);
    ASSERT_EQ(strip->MouseState(), uTab::CloseHot);
    area = ReadSurface(strip->TabAreaDC());
    ExpectBlock(area, 98, 6, skin, 391, 0, 12, 12, nullptr, 40, "CloseHot glyph");
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 40 + 100, 10);
    ASSERT_EQ(strip->MouseState(), uTab::ClosePressed);
    area = ReadSurface(strip->TabAreaDC());
    ExpectBlock(area, 98, 6, skin, 403, 0, 12, 12, nullptr, 40, "ClosePressed glyph");
    // The selected tab never takes the pointer-over body.
    Send(WM_LBUTTONUP, 0, 900, 300);
    Send(WM_MOUSEMOVE, 0, 40 + 230 + 40, 3);
    ASSERT_EQ(strip->HoverIndex(), 2);
    area = ReadSurface(strip->TabAreaDC());
    ExpectBlock(area, 216 + 14, 0, skin, 245 + 14, 0, 60, 25, nullptr, 40, "selected, hovered");
}

TEST_F(TabStrip, GradientBackgroundFromTheSkinColumn) {
    Make(0, 500, 40, 20, 1);
    const Pixels shown = ReadSurface(strip->BackBufferDC());
    const Pixels skin = ReadSurface(strip->SkinDC(0));
    for (int y = 0; y < 25; ++y) {
        EXPECT_EQ(shown.rgb(5, y), skin.rgb(0, y)) << y;
        EXPECT_EQ(shown.rgb(490, y), skin.rgb(0, y)) << y;
    }
    EXPECT_EQ(skin.rgb(0, 0), RGB(61, 162, 232));
    EXPECT_EQ(skin.rgb(0, 24), RGB(15, 106, 172));

    strip.reset();
    Make(1, 400, 10, 0, 0);
    const Pixels pill = ReadSurface(strip->BackBufferDC());
    const Pixels skin1 = ReadSurface(strip->SkinDC(1));
    ASSERT_EQ(pill.height, 32);
    EXPECT_EQ(pill.rgb(200, 0), skin1.rgb(0, 0));
    EXPECT_EQ(pill.rgb(200, 31), skin1.rgb(0, 27)) << "28 rows stretched to 32";
    for (int y = 1; y < 32; ++y) {
        EXPECT_GE(pill.g(200, y - 1), pill.g(200, y)) << "darker downwards, row " << y;
    }
}

TEST_F(TabStrip, OwnBackgroundWithSkipDefault) {
    Make(1, 400, 10, 0, 1);
    bool skip = true;
    strip->OnDrawBackground = [&](HDC dc, std::int32_t cx, std::int32_t cy, bool& bSkipDefault) {
        EXPECT_EQ(cx, 400);
        EXPECT_EQ(cy, 32);
        RECT r{0, 0, cx, cy};
        UniqueBrush brush(::CreateSolidBrush(RGB(10, 200, 30)));
        ::FillRect(dc, &r, brush.get());
        bSkipDefault = skip;
    };
    strip->refresh();
    EXPECT_EQ(ReadSurface(strip->BackBufferDC()).rgb(3, 31), RGB(10, 200, 30));
    skip = false;
    strip->refresh();
    EXPECT_EQ(ReadSurface(strip->BackBufferDC()).rgb(3, 31),
              ReadSurface(strip->SkinDC(1)).rgb(0, 27));
}

int CountDark(const Pixels& p, int x0, int x1) {
    int n = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = x0; x < x1; ++x) {
            n += p.r(x, y) + p.g(x, y) + p.b(x, y) < 400;
        }
    }
    return n;
}

int CountColour(const Pixels& p, int x0, int x1, COLORREF c) {
    int n = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, p.width); ++x) {
            n += p.rgb(x, y) == c;
        }
    }
    return n;
}

TEST_F(TabStrip, BoldCaptionColourOnlyOnTheSelectedTab) {
    Make(1, 610, 10, 0, 3);
    strip->TabItems().Item(0)->Caption("首页大厅");
    strip->TabItems().Item(1)->Caption("游戏中心");
    strip->TabItems().Item(2)->Caption("充值服务");
    strip->Selected(1);
    Pixels shown = ReadSurface(strip->BackBufferDC());
    // Tabs at strip x 10.., 210.., 410.., each 195 wide.
    EXPECT_GT(CountColour(shown, 210, 405, kBold), 10);
    EXPECT_EQ(CountColour(shown, 0, 205, kBold), 0);
    EXPECT_EQ(CountColour(shown, 405, 610, kBold), 0);
    EXPECT_GT(CountDark(shown, 10, 205), 10) << "other captions are black";
    strip->Selected(-5);
    EXPECT_EQ(strip->Selected(), -1);
    shown = ReadSurface(strip->BackBufferDC());
    EXPECT_EQ(CountColour(shown, 0, 610, kBold), 0) << "nothing selected, nothing bold";
}

// Repaints reuse what each caption drew last time; a new text, or a tab that changes between
// selected and not, must still show exactly what a strip that never drew before shows.
TEST_F(TabStrip, CaptionsDrawnEarlierGiveWayToNewTextAndSelection) {
    Make(1, 610, 10, 0, 3);
    const std::vector<std::string> first{"首页大厅", "游戏中心", "充值服务"};
    const std::vector<std::string> later{"首页大厅", "游戏中心", "活动专区"};
    for (int i = 0; i < 3; ++i) {
        strip->TabItems().Item(i)->Caption(first[static_cast<std::size_t>(i)]);
    }
    strip->Selected(2);
    strip->Selected(1);
    strip->TabItems().Item(2)->Caption(later[2]);
    const Pixels repainted = ReadSurface(strip->BackBufferDC());

    PropertyBag design;
    design.WriteLong("TabStyle", 1, 0);
    design.WriteLong("TabLeftSize", 10, 40);
    uTab fresh;
    ASSERT_TRUE(fresh.Create(host->window, 0, 40, 610, design));
    fresh.hContainerWnd(host->container);
    for (const std::string& caption : later) {
        fresh.TabItems().Add(caption, std::make_shared<Form>(&events, caption));
    }
    fresh.LockReDraw(false);
    fresh.Selected(1);
    const Pixels expected = ReadSurface(fresh.BackBufferDC());
    ASSERT_EQ(repainted.bgra.size(), expected.bgra.size());
    int differing = 0;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            differing += repainted.rgb(x, y) != expected.rgb(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

// The bounding box of pixels darker than mid-grey.
RECT InkBox(const Pixels& p) {
    RECT r{p.width, p.height, -1, -1};
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            if (p.g(x, y) < 128) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x);
                r.bottom = std::max<LONG>(r.bottom, y);
            }
        }
    }
    return r;
}

TEST_F(TabStrip, CaptionsCentredOrCutWithAnEllipsis) {
    Make(1, 400, 10, 0, 0);
    mdlTabAPI::Surface surface = mdlTabAPI::CreateMemDC(300, 40);
    HDC dc = surface->dc();
    auto clear = [&] {
        RECT all{0, 0, 300, 40};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    };
    SelectScope font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    clear();
    strip->DrawCaption(dc, "标签", 100, 5, 120, 30);
    RECT fit = InkBox(ReadSurface(dc));
    ASSERT_GE(fit.right, fit.left);
    EXPECT_NEAR((fit.left + fit.right) / 2.0, 160, 3) << "centred";
    EXPECT_NEAR((fit.top + fit.bottom) / 2.0, 20, 3);
    clear();
    strip->DrawCaption(dc, "Hello world, a caption far too long", 100, 5, 80, 30);
    RECT cut = InkBox(ReadSurface(dc));
    EXPECT_LE(cut.left, 102) << "left-aligned";
    EXPECT_LE(cut.right, 180) << "cut at the rectangle";
    EXPECT_GE(cut.right, 160) << "filled up to the ellipsis";
    EXPECT_NEAR((cut.top + cut.bottom) / 2.0, 20, 3) << "vertically centred by its height";
    clear();
    strip->DrawCaption(dc, "", 100, 5, 80, 30);
    EXPECT_LT(InkBox(ReadSurface(dc)).right, 0) << "an empty caption draws nothing";
}

TEST_F(TabStrip, SurfaceErrorsCarryTheirDescriptions) {
    try {
        mdlTabAPI::CreateMemDC(200000, 200000);
        FAIL() << "no error";
    } catch (const CTabError& e) {
        EXPECT_EQ(e.Description(), "CreateCompatibleBitmap调用失败");
    }
    Make(1, 400, 10, 0, 0);
    mdlTabAPI::Surface dest = mdlTabAPI::CreateMemDC(10, 10);
    EXPECT_EQ(
        mdlTabAPI::NineGridBlt(dest->dc(), 0, 0, 0, 10, strip->SkinDC(1), 0, 0, 10, 10, 1, 1, 1, 1),
        0);
}

TEST_F(TabStrip, DrawingModuleCopiesKeyedNineGridsAndGlyphs) {
    Make(0, 400, 40, 0, 0);
    const Pixels skin = ReadSurface(strip->SkinDC(0));
    mdlTabAPI::Surface dest = mdlTabAPI::CreateMemDC(130, 30);
    RECT all{0, 0, 130, 30};
    UniqueBrush green(::CreateSolidBrush(RGB(0, 128, 0)));
    ::FillRect(dest->dc(), &all, green.get());
    EXPECT_NE(mdlTabAPI::NineGridBlt(dest->dc(), 4, 2, 122, 25, strip->SkinDC(0), 123, 0, 122, 25,
                                     14, 0, 14, 0, mdlTabAPI::kKeyColour),
              0);
    EXPECT_NE(mdlTabAPI::TransBlt(dest->dc(), 100, 10, 12, 12, strip->SkinDC(0), 391, 0,
                                  mdlTabAPI::kKeyColour),
              0);
    const Pixels out = ReadSurface(dest->dc());
    int wrong = 0;
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 122; ++x) {
            if (x >= 96 && x < 108 && y >= 8 && y < 20) {
                continue; // under the glyph
            }
            const COLORREF s = skin.rgb(123 + x, y);
            wrong += out.rgb(4 + x, 2 + y) != (s == kMagenta ? RGB(0, 128, 0) : s);
        }
    }
    EXPECT_EQ(wrong, 0);
    int glyphWrong = 0;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const COLORREF s = skin.rgb(391 + x, y);
            if (s != kMagenta) {
                glyphWrong += out.rgb(100 + x, 10 + y) != s;
            }
        }
    }
    EXPECT_EQ(glyphWrong, 0);
    EXPECT_EQ(out.rgb(0, 0), RGB(0, 128, 0));
    EXPECT_TRUE(mdlTabAPI::DeleteMemDC(dest));
    EXPECT_EQ(dest, nullptr);
}

TEST_F(TabStrip, MarginsAndStyleWrittenWithoutAResizeTakeEffectSafely) {
    Make(0, 500, 40, 0, 3);
    strip->TabLeftSize(0);
    strip->TabStyle(1);
    strip->LockReDraw(false); // buffers still 25 rows and 460 wide
    EXPECT_EQ(strip->StandardWidth(), 162) << "(500 - 15) / 3";
    EXPECT_EQ(strip->TabItems().Item(2)->Left(), 2 * 167);
    ::SetWindowPos(strip->hWnd(), nullptr, 0, 0, 520, 25, SWP_NOMOVE | SWP_NOZORDER);
    RECT r{};
    ::GetClientRect(strip->hWnd(), &r);
    EXPECT_EQ(r.bottom, 32);
    EXPECT_EQ(ReadSurface(strip->TabAreaDC()).width, 520);
    EXPECT_EQ(ReadSurface(strip->BackBufferDC()).height, 32);
}

TEST_F(TabStrip, PaintCopiesTheBackBufferAndEraseIsSuppressed) {
    Make(1, 400, 10, 0, 2);
    strip->Selected(0);
    strip->LockReDraw(true);
    strip->TabItems().Item(0)->Caption("not painted while locked");
    {
        WindowDc dc(strip->hWnd());
        RECT r{0, 0, 400, 32};
        ::FillRect(dc.get(), &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    ::RedrawWindow(strip->hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    WindowDc dc(strip->hWnd());
    MemorySurface copy;
    ASSERT_TRUE(copy.Create(dc.get(), 400, 32));
    ::BitBlt(copy.dc(), 0, 0, 400, 32, dc.get(), 0, 0, SRCCOPY);
    const Pixels window = ReadSurface(copy.dc());
    const Pixels back = ReadSurface(strip->BackBufferDC());
    int differ = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 400; ++x) {
            differ += window.rgb(x, y) != back.rgb(x, y);
        }
    }
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(CountColour(back, 0, 400, RGB(0, 0, 0)), 0) << "caption change not drawn yet";
}

// ---- layout, selection and hosting ----

TEST_F(TabStrip, LayoutFollowsTheStripWidth) {
    Make(1, 610, 10, 0, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(strip->TabItems().Item(i)->Left(), 200 * i);
        EXPECT_EQ(strip->TabItems().Item(i)->Width(), 195);
    }
    RECT r{};
    ::GetClientRect(strip->hWnd(), &r);
    EXPECT_EQ(r.bottom, 32) << "height set by the style";
    ::SetWindowPos(strip->hWnd(), nullptr, 0, 0, 1000, 50, SWP_NOMOVE | SWP_NOZORDER);
    ::GetClientRect(strip->hWnd(), &r);
    EXPECT_EQ(r.bottom, 32);
    EXPECT_EQ(strip->StandardWidth(), 200);
    EXPECT_EQ(ReadSurface(strip->BackBufferDC()).width, 1000) << "buffers made anew";
    strip->TabItems().Item(1)->LockSize(true);
    strip->TabStyle(0); // takes effect at the next layout
    EXPECT_EQ(strip->StandardWidth(), 200);
}

TEST_F(TabStrip, NothingIsLaidOutUntilUnlocked) {
    PropertyBag design;
    design.WriteLong("TabStyle", 1, 0);
    strip = std::make_unique<uTab>();
    ASSERT_TRUE(strip->Create(host->window, 0, 0, 610, design));
    strip->hContainerWnd(host->container);
    auto form = std::make_shared<Form>();
    strip->TabItems().Add("a", form);
    EXPECT_FALSE(strip->RedrawEnabled());
    EXPECT_EQ(strip->TabItems().Item(0)->Width(), 0);
    strip->LockReDraw(false);
    EXPECT_EQ(strip->TabItems().Item(0)->Width(), 200);
}

TEST_F(TabStrip, FormsLiveInTheContainerAndTheSelectedOneFillsIt) {
    Make(1, 610, 10, 0, 3);
    for (auto& f : forms) {
        EXPECT_EQ(::GetParent(f->hWnd()), host->container);
        EXPECT_TRUE(::GetWindowLongA(f->hWnd(), GWL_STYLE) & WS_CHILD);
        EXPECT_FALSE(::GetWindowLongA(f->hWnd(), GWL_STYLE) & WS_CAPTION);
    }
    EXPECT_EQ(strip->Selected(), 0) << "the first add selects tab 0";
    EXPECT_TRUE(::IsWindowVisible(forms[0]->hWnd())) << "shown when the next tab's form came";
    EXPECT_FALSE(::IsWindowVisible(forms[1]->hWnd())) << "hidden until selected";
    EXPECT_FALSE(::IsWindowVisible(forms[2]->hWnd()));
    strip->TabItems().Selected(2);
    EXPECT_TRUE(::IsWindowVisible(forms[2]->hWnd()));
    RECT r{};
    ::GetWindowRect(forms[2]->hWnd(), &r);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 300);
    // The container's size is followed after its own handling.
    ::SetWindowPos(host->container, nullptr, 0, 0, 500, 200, SWP_NOMOVE | SWP_NOZORDER);
    ::GetWindowRect(forms[2]->hWnd(), &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 200);
    strip->Selected(3);
    EXPECT_EQ(strip->Selected(), 2) << "above Count - 1 is ignored";
    strip->RefreshPage();
    EXPECT_EQ(events, std::vector<std::string>{"RefreshPage 2"});
    strip->Selected(-1);
    strip->RefreshPage();
    EXPECT_EQ(events.size(), 1u) << "nothing selected, nothing to refresh";
    EXPECT_EQ(strip->hParent(), host->window);
    EXPECT_EQ(strip->Control(), strip.get());
}

TEST_F(TabStrip, SelectionAfterRemovals) {
    Make(1, 610, 10, 0, 4);
    strip->Selected(2);
    strip->TabItems().Remove(0, true);
    EXPECT_EQ(strip->Selected(), 1) << "closing a tab left of the selected one";
    strip->TabItems().Remove(1, true);
    EXPECT_EQ(strip->Selected(), 0) << "closing the selected tab selects tab 0";
    EXPECT_TRUE(::IsWindowVisible(strip->TabItems().Item(0)->Form()->hWnd()));
    strip->TabItems().Remove(1, true);
    strip->TabItems().Remove(0, true);
    EXPECT_EQ(strip->TabItems().Count(), 0);
    EXPECT_EQ(strip->Selected(), 0) << "the last tab closed leaves 0";
    strip->TabItems().Clear();
    EXPECT_EQ(strip->Selected(), 0);
}

TEST_F(TabStrip, SavedPropertiesRoundTripThroughTheTextForm) {
    Make(1, 610, 10, 0, 0);
    PropertyBag saved;
    strip->WriteProperties(saved);
    EXPECT_EQ(saved.ReadLong("tabstyle", 0), 1);
    EXPECT_EQ(saved.ReadLong("TABLEFTSIZE", 40), 10);
    EXPECT_FALSE(saved.Contains("TabRightSize")) << "default values are not stored";
    EXPECT_EQ(saved.ExtentX(), PixelsToHimetric(610));
    EXPECT_EQ(saved.ExtentY(), PixelsToHimetric(32));
    const std::string text = saved.ToText();
    auto back = PropertyBag::FromText(text);
    ASSERT_TRUE(back.has_value());
    uTab other;
    ASSERT_TRUE(other.Create(host->window, 0, 0, 300, *back));
    EXPECT_EQ(other.TabStyle(), 1);
    EXPECT_EQ(other.TabLeftSize(), 10);
    EXPECT_EQ(other.TabRightSize(), 0);
    other.TabRight(7);
    PropertyBag again;
    other.WriteProperties(again);
    EXPECT_EQ(again.ReadLong("TabRightSize", 0), 7);
    uTab fresh;
    EXPECT_EQ(fresh.TabStyle(), 0);
    EXPECT_EQ(fresh.TabLeftSize(), 40);
    EXPECT_EQ(fresh.Selected(), -1);
    EXPECT_EQ(fresh.HoverIndex(), -1);
    EXPECT_EQ(fresh.StandardWidth(), 108);
}

TEST_F(TabStrip, ManyTabsInANarrowStripStayDrawableAndReachable) {
    Make(1, 300, 10, 0, 0);
    for (int i = 0; i < 80; ++i) {
        EXPECT_NO_THROW(strip->TabItems().Add("t", std::make_shared<Form>()));
    }
    EXPECT_EQ(strip->StandardWidth(), 1);
    EXPECT_EQ(strip->TabItems().Item(3)->Left(), 18);
    // Every tab that starts inside the strip can still be clicked.
    Record();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 10 + 18, 10);
    Send(WM_LBUTTONUP, 0, 10 + 18, 10);
    EXPECT_EQ(strip->Selected(), 3);
}

// ---- mouse ----

TEST_F(TabStrip, PressSelectsAndRaisesTabChangedThenMouseDown) {
    Make(1, 610, 10, 0, 3);
    Record();
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 260, 12);
    EXPECT_EQ(events, (std::vector<std::string>{"TabChanged", "OnMouseDown 1 b1 s1 260,12"}));
    EXPECT_EQ(strip->Selected(), 1);
    EXPECT_TRUE(::IsWindowVisible(forms[1]->hWnd()));
    Send(WM_LBUTTONUP, 0, 260, 12);
    events.clear();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 262, 12);
    EXPECT_EQ(events, (std::vector<std::string>{"TabChanged", "OnMouseDown 1 b1 s0 262,12"}))
        << "the selected tab again: nothing else";
    EXPECT_EQ(strip->MouseState(), uTab::Normal);
    Send(WM_LBUTTONUP, 0, 262, 12);
    events.clear();
    Send(WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, 460, 12);
    Send(WM_RBUTTONUP, MK_CONTROL, 460, 12);
    EXPECT_EQ(events,
              (std::vector<std::string>{"OnMouseDown 0 b2 s2 460,12", "OnMouseUp 0 b2 s2 460,12"}));
    EXPECT_EQ(strip->Selected(), 1);
    events.clear();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 12);
    EXPECT_EQ(events, std::vector<std::string>{"OnMouseDown -2 b1 s0 5,12"}) << "margin";
}

TEST_F(TabStrip, HoverAndMoveEvents) {
    Make(1, 610, 10, 0, 3);
    Record();
    Send(WM_MOUSEMOVE, 0, 460, 5);
    Send(WM_MOUSEMOVE, 0, 470, 5);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 60, 5);
    const std::vector<std::string> want = {"OnMouseHover 2 b0 s0 460,5",
                                           "OnMouseMove 2 b0 s0 460,5", "OnMouseMove 2 b0 s0 470,5",
                                           "OnMouseMove 0 b1 s0 60,5"};
    EXPECT_EQ(events, want);
    EXPECT_EQ(strip->HoverIndex(), 2) << "a move with a button held changes nothing";
    events.clear();
    Send(WM_MOUSEMOVE, 0, 207, 5); // the gap between tab 0 and tab 1
    EXPECT_EQ(events.front(), "OnMouseHover -1 b0 s0 207,5");
    Send(WM_MOUSEMOVE, 0, 460, 5);
    events.clear();
    ::SendMessageA(strip->hWnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(events, std::vector<std::string>{"OnMouseLeave"});
    EXPECT_EQ(strip->HoverIndex(), -1);
}

TEST_F(TabStrip, CloseGlyphClosesOnReleaseOverIt) {
    Make(1, 610, 10, 0, 3);
    Record();
    HWND form2 = forms[2]->hWnd();
    forms.clear(); // the strip's items hold the forms alone now
    // Tab 2's glyph: u 575..587 -> x 585..597, y 7..19.
    Send(WM_MOUSEMOVE, 0, 590, 12);
    EXPECT_EQ(strip->MouseState(), uTab::CloseHot);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 590, 12);
    EXPECT_EQ(strip->MouseState(), uTab::ClosePressed);
    EXPECT_EQ(strip->Selected(), 0) << "pressing a glyph does not select";
    Send(WM_LBUTTONUP, 0, 590, 12);
    const std::vector<std::string> want = {"OnMouseHover 2 b0 s0 590,12",
                                           "OnMouseMove 2 b0 s0 590,12",
                                           "TabChanged",
                                           "OnMouseDown 2 b1 s0 590,12",
                                           "OnItemColose 2",
                                           "OnMouseUp 2 b1 s0 590,12"};
    EXPECT_EQ(events, want);
    EXPECT_EQ(strip->TabItems().Count(), 2);
    EXPECT_FALSE(::IsWindow(form2)) << "the form was unloaded";
    EXPECT_EQ(strip->MouseState(), uTab::Normal);
}

TEST_F(TabStrip, CloseIsVetoedOrMissedElsewhere) {
    Make(1, 610, 10, 0, 3);
    Record();
    vetoClose = true;
    Send(WM_MOUSEMOVE, 0, 590, 12);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 590, 12);
    Send(WM_LBUTTONUP, 0, 590, 12);
    EXPECT_EQ(strip->TabItems().Count(), 3) << "vetoed";
    EXPECT_TRUE(::IsWindow(forms[2]->hWnd()));
    vetoClose = false;
    events.clear();
    Send(WM_MOUSEMOVE, 0, 590, 12);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 590, 12);
    Send(WM_LBUTTONUP, 0, 300, 12); // released over tab 1's body
    EXPECT_EQ(strip->TabItems().Count(), 3);
    EXPECT_EQ(strip->MouseState(), uTab::Normal);
    // Pointer last moved over tab 0's glyph, released over tab 1's glyph: not the same tab.
    Send(WM_MOUSEMOVE, 0, 190, 12);
    Send(WM_LBUTTONUP, 0, 390, 12);
    EXPECT_EQ(strip->TabItems().Count(), 3);
    for (const std::string& e : events) {
        EXPECT_EQ(e.find("OnItemColose"), std::string::npos) << e;
    }
    // A tab without a glyph cannot be closed with the pointer.
    strip->TabItems().Item(0)->HideButton(true);
    Send(WM_MOUSEMOVE, 0, 190, 12);
    EXPECT_EQ(strip->MouseState(), uTab::Normal);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 190, 12);
    Send(WM_LBUTTONUP, 0, 190, 12);
    EXPECT_EQ(strip->TabItems().Count(), 3);
}

TEST_F(TabStrip, DoubleClickReportsThePressPosition) {
    Make(1, 610, 10, 0, 3);
    Record();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 250, 9);
    Send(WM_LBUTTONUP, 0, 250, 9);
    events.clear();
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 250, 9);
    Send(WM_LBUTTONUP, 0, 250, 9);
    const std::vector<std::string> want = {"TabChanged", "OnMouseDown 1 b1 s0 250,9",
                                           "OnDblClick 1 b1 s0 250,9", "OnMouseUp 1 b1 s0 250,9"};
    EXPECT_EQ(events, want);
}

TEST_F(TabStrip, RightAndMiddleDoubleClicksAreDoubleClicks) {
    Make(1, 610, 10, 0, 3);
    Record();
    Send(WM_RBUTTONDBLCLK, MK_RBUTTON, 250, 9);
    Send(WM_RBUTTONUP, 0, 250, 9);
    Send(WM_MBUTTONDBLCLK, MK_MBUTTON | MK_SHIFT, 450, 9);
    Send(WM_MBUTTONUP, MK_SHIFT, 450, 9);
    const std::vector<std::string> want = {"OnMouseDown 0 b2 s0 250,9", "OnDblClick 1 b2 s0 250,9",
                                           "OnMouseUp 0 b2 s0 250,9",   "OnMouseDown 0 b4 s1 450,9",
                                           "OnDblClick 2 b4 s1 450,9",  "OnMouseUp 0 b4 s1 450,9"};
    EXPECT_EQ(events, want);
}

TEST_F(TabStrip, RealPointerLeavingTheStrip) {
    Make(1, 610, 10, 0, 3);
    Record();
    POINT p{460, 10};
    ::ClientToScreen(strip->hWnd(), &p);
    ::SetCursorPos(p.x, p.y);
    Pump(200);
    EXPECT_EQ(strip->HoverIndex(), 2);
    ::SetCursorPos(p.x, 700);
    Pump(1000); // the system looks for the pointer every hover time (400 ms)
    EXPECT_EQ(strip->HoverIndex(), -1);
    EXPECT_EQ(events.back(), "OnMouseLeave");
}

TEST_F(TabStrip, AStripDestroyedFromItsOwnCloseEvent) {
    Make(1, 610, 10, 0, 3);
    Record();
    strip->OnItemColose = [this](std::int32_t, bool&) { strip.reset(); };
    Send(WM_MOUSEMOVE, 0, 590, 12);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 590, 12);
    HWND h = strip->hWnd();
    ::SendMessageA(h, WM_LBUTTONUP, 0, At(590, 12));
    EXPECT_EQ(strip, nullptr);
    EXPECT_FALSE(::IsWindow(h));
    // The container lets go at its next message; then every record is freed.
    ::SendMessageA(host->container, WM_NULL, 0, 0);
    Pump(250);
    EXPECT_EQ(CSubclass::PendingRecords(), 0u);
    EXPECT_EQ(::GetWindowLongPtrA(host->container, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&PlainProc));
}

// The strip lives in storage of the test's own, so that what is left of it after the handler
// destroyed it can be overwritten the way a freed block is reused: a strip that went on drawing
// would follow the garbage.
TEST_F(TabStrip, AStripDestroyedFromItsBackgroundHandlerStopsDrawing) {
    std::vector<std::max_align_t> storage(sizeof(uTab) / sizeof(std::max_align_t) + 1);
    auto* own = new (storage.data()) uTab();
    ASSERT_TRUE(own->Create(host->window, 0, 0, 400));
    own->hContainerWnd(host->container);
    own->LockReDraw(false);
    own->TabItems().Add("a", std::make_shared<Form>());
    HWND h = own->hWnd();
    bool destroyed = false;
    own->OnDrawBackground = [&](HDC, std::int32_t, std::int32_t, bool&) {
        // This handler is stored in the strip: what it needs is taken out first.
        void* block = storage.data();
        bool* flag = &destroyed;
        own->~uTab();
        std::memset(block, 0xCC, sizeof(uTab));
        *flag = true;
    };
    own->refresh();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(::IsWindow(h));
}

// ---- screenshot ----

TEST_F(TabStrip, ScreenshotOfFivePillTabs) {
    Make(1, 900, 10, 0, 0);
    const char* captions[] = {"首页", "游戏大厅 - 第一区", "充值中心", "论坛", "客服与帮助"};
    for (const char* c : captions) {
        auto form = std::make_shared<Form>();
        forms.push_back(form);
        strip->TabItems().Add(c, form);
    }
    strip->TabItems().Item(3)->HideButton(true);
    strip->Selected(1);
    Send(WM_MOUSEMOVE, 0, 10 + 3 * 178 + 60, 12); // tab 3 hovered
    ASSERT_EQ(strip->HoverIndex(), 3);
    const Pixels shot = ReadSurface(strip->BackBufferDC());
    const std::string dir = test::ShotsDir();
    EXPECT_TRUE(test::SaveBmp(shot, dir + "tabstrip.bmp"));
    EXPECT_TRUE(test::SavePng(shot, dir + "tabstrip.png"));
    EXPECT_GT(CountColour(shot, 10 + 178, 10 + 2 * 178, kBold), 10);
}

// ---- soak ----

// GDI objects of this process. Wine answers GetGuiResources with 0; there a GDI handle's low word
// alone names its table entry, so the live entries can be counted one by one.
DWORD GdiObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) {
        return n;
    }
    DWORD n = 0;
    for (ULONG_PTR i = 1; i < 0x10000; ++i) {
        n += ::GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
    }
    return n;
}

BOOL CALLBACK CountWindow(HWND h, LPARAM counter) {
    ++*reinterpret_cast<DWORD*>(counter);
    ::EnumChildWindows(h, CountWindow, counter);
    return TRUE;
}

// USER objects of this process; where GetGuiResources answers 0, the windows of this thread.
DWORD UserObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) {
        return n;
    }
    DWORD n = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

TEST_F(TabStrip, TwoThousandTabsLeaveNoGdiOrUserObjectsBehind) {
    Make(1, 900, 10, 0, 0);
    Record();
    auto cycle = [&](int n) {
        for (int i = 0; i < n; ++i) {
            strip->TabItems().Add("tab " + std::to_string(i), std::make_shared<Form>());
            strip->TabItems().Selected(strip->TabItems().Count() - 1);
        }
        while (strip->TabItems().Count() > 0) {
            strip->TabItems().Remove(strip->TabItems().Count() / 2, true);
        }
    };
    cycle(5); // anything created on first use
    const DWORD gdi = GdiObjects();
    const DWORD user = UserObjects();
    ASSERT_GT(gdi, 20u) << "the strip's own surfaces, fonts and skins are counted";
    DWORD peakUser = 0;
    DWORD peakGdi = 0;
    for (int round = 0; round < 40; ++round) {
        for (int i = 0; i < 50; ++i) {
            strip->TabItems().Add("tab", std::make_shared<Form>());
        }
        peakUser = std::max(peakUser, UserObjects());
        if (round == 0) {
            // A surface left behind shows in the count.
            mdlTabAPI::Surface probe = mdlTabAPI::CreateMemDC(4, 4);
            peakGdi = GdiObjects();
        }
        strip->TabItems().Selected(25);
        while (strip->TabItems().Count() > 0) {
            strip->TabItems().Remove(strip->TabItems().Count() - 1, true);
        }
    }
    Pump(50);
    EXPECT_EQ(GdiObjects(), gdi);
    EXPECT_EQ(UserObjects(), user);
    EXPECT_GE(peakUser, user + 50) << "the forms' windows did count";
    EXPECT_GE(peakGdi, gdi + 2) << "a surface and its bitmap did count";
}

} // namespace
} // namespace velm
