// The title bar under Wine: the strip and the frame land where the twip arithmetic puts them,
// and pressing the strip drags the host window.
#include "controls/BForm.h"
#include "support/SkinTest.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <memory>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::MouseButton;
using test::MouseTo;
using test::Pump;

// The skin as the program carries it.
struct Skin {
    Skin() : picture(Picture::FromBitmapResource(108)), dc(::CreateCompatibleDC(nullptr)) {
        SelectScope sel(dc.get(), picture.Bitmap());
        px = test::ReadBitmap(dc.get(), picture.Bitmap());
    }
    COLORREF at(int x, int y) const { return px.rgb(x, y); }
    Picture picture;
    UniqueMemoryDc dc;
    test::Pixels px;
};

class BFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        MouseTo(1000, 740);
        form = std::make_unique<test::TestForm>(100, 100, 500, 300, RGB(255, 255, 255));
        ::ShowWindow(form->hwnd(), SW_SHOWNA);
        Pump(20);
    }
    void TearDown() override {
        form.reset();
        Pump(20);
    }
    std::unique_ptr<BForm> Make(long widthTwips) {
        auto b = std::make_unique<BForm>();
        EXPECT_TRUE(b->Create(form->hwnd(), 0, 0, widthTwips, 495));
        b->Show();
        return b;
    }
    test::Pixels Title(const BForm& b) { return test::ReadBitmap(b.hdc(), b.Image()); }
    std::unique_ptr<test::TestForm> form;
    Skin skin;
};

TEST_F(BFormTest, SkinIsTheResourceOfTheGivenSize) {
    EXPECT_EQ(skin.px.width, 94);
    EXPECT_EQ(skin.px.height, 85);
}

TEST_F(BFormTest, StripIsLeftEndMiddleSlicesAndRightEndAtTheirTwipPlaces) {
    for (int widthPx : {433, 300, 80}) {
        auto b = Make(widthPx * 15L);
        b->SetCaption("");
        auto px = Title(*b);
        ASSERT_EQ(px.width, widthPx);
        ASSERT_EQ(px.height, 33);
        int mismatches = 0;
        for (int y = 0; y < 33; ++y) {
            for (int x = 0; x < widthPx; ++x) {
                COLORREF want;
                if (x >= widthPx - 67) {
                    want = skin.at(27 + x - (widthPx - 67), y); // right end, 1000 twips
                } else if (x < 36) {
                    want = skin.at(x, y); // left end, 545 twips
                } else {
                    want = skin.at(20 + x % 20, y); // slices of 300 twips from 300
                }
                mismatches += px.rgb(x, y) != want;
            }
        }
        EXPECT_EQ(mismatches, 0) << "width " << widthPx;
    }
}

TEST_F(BFormTest, CaptionIsWhiteFromTenOrFortyPixelsAcrossAndTenDown) {
    auto b = Make(433 * 15L);
    b->SetCaption("Zentra客户端");
    auto whiteBox = [&](const test::Pixels& px) {
        RECT r{px.width, px.height, -1, -1};
        for (int y = 0; y < px.height; ++y) {
            for (int x = 0; x < px.width; ++x) {
                if (px.rgb(x, y) == RGB(255, 255, 255)) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x);
                    r.bottom = std::max<LONG>(r.bottom, y);
                }
            }
        }
        return r;
    };
    RECT plain = whiteBox(Title(*b));
    EXPECT_GE(plain.left, 10);
    EXPECT_LE(plain.left, 13);
    EXPECT_GE(plain.top, 10);
    EXPECT_LE(plain.bottom, 32);
    EXPECT_GT(plain.right - plain.left, 60) << "the whole caption is printed";
    b->SetHasLogo(true);
    RECT logo = whiteBox(Title(*b));
    EXPECT_EQ(logo.left, plain.left + 30);
    b->SetCaption("");
    EXPECT_LT(whiteBox(Title(*b)).right, 0) << "no text, no white";
}

TEST_F(BFormTest, HeightStaysFiveHundredTwips) {
    auto b = Make(6000);
    b->Move(0, 0, 6000, 3000);
    EXPECT_EQ(b->Height(), 495) << "500 twips is 33 whole pixels";
    RECT r{};
    ::GetClientRect(b->hWnd(), &r);
    EXPECT_EQ(r.bottom, 33);
    EXPECT_EQ(r.right, 400);
}

TEST_F(BFormTest, BackColorIsDecimalTextAndRefusesOtherText) {
    auto b = Make(6000);
    EXPECT_EQ(b->BackColor(), "14346732");
    EXPECT_FALSE(b->SetBackColor("blue"));
    EXPECT_FALSE(b->SetBackColor("99999999999"));
    EXPECT_EQ(b->BackColor(), "14346732");
    EXPECT_TRUE(b->SetBackColor("14606046"));
    EXPECT_EQ(b->BackColor(), "14606046");
}

TEST_F(BFormTest, PropertiesUseTheirKeysAndDefaults) {
    auto b = Make(6000);
    PropertyBag fresh;
    b->WriteProperties(fresh);
    EXPECT_EQ(fresh.ReadProperty("HasLogo"), "False") << "always written";
    EXPECT_FALSE(fresh.Contains("BackColor"));
    EXPECT_FALSE(fresh.Contains("Caption"));
    EXPECT_FALSE(fresh.Contains("frmHwnd"));

    PropertyBag stored;
    stored.WriteProperty("backcolor", "14606046");
    stored.WriteProperty("caption", "Zentra客户端");
    stored.WriteProperty("haslogo", "True");
    stored.SetExtent(27331, 873);
    std::vector<std::string> changed;
    b->PropertyChanged = [&](const char* key) { changed.push_back(key); };
    b->ReadProperties(stored);
    EXPECT_EQ(b->BackColor(), "14606046");
    EXPECT_EQ(b->Caption(), "Zentra客户端");
    EXPECT_TRUE(b->HasLogo());
    EXPECT_EQ(b->frmHwnd(), nullptr);
    PropertyBag out;
    b->WriteProperties(out);
    std::vector<std::string> keys;
    for (const auto& [k, v] : out.Entries()) {
        keys.push_back(k);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"BackColor", "Caption", "HasLogo", "_ExtentX",
                                              "_ExtentY"}));
    EXPECT_EQ(out.ReadLong("_ExtentY", 0), 873) << "33 px";
}

TEST_F(BFormTest, PrintformPaintsBordersAndBottomCornersOntoTheHost) {
    auto b = Make(500 * 15L);
    b->Printform(form->canvas());
    auto& c = form->canvas();
    auto px = test::ReadBitmap(c.Dc(), c.Image());
    const int W = 500, H = 300;
    ASSERT_EQ(px.width, W);
    int bad = 0;
    // Bottom border: the skin's last 4 rows, slices of 20 px from x 20.
    for (int x = 36; x < W - 33; ++x) {
        for (int k = 0; k < 4; ++k) {
            bad += px.rgb(x, H - 4 + k) != skin.at(20 + x % 20, 81 + k);
        }
    }
    // Left and right borders: the skin's outer 4 columns from row 53, slices of 20 px.
    for (int y = 20; y < H - 4; ++y) {
        for (int k = 0; k < 4; ++k) {
            bad += px.rgb(k, y) != skin.at(k, 53 + y % 20);
            bad += px.rgb(W - 4 + k, y) != skin.at(90 + k, 53 + y % 20);
        }
    }
    // Corners: 545 x 60 from the bottom-left, 500 x 60 from the bottom-right.
    for (int k = 0; k < 4; ++k) {
        for (int x = 0; x < 36; ++x) {
            bad += px.rgb(x, H - 4 + k) != skin.at(x, 81 + k);
        }
        for (int x = 0; x < 33; ++x) {
            bad += px.rgb(W - 33 + x, H - 4 + k) != skin.at(61 + x, 81 + k);
        }
    }
    EXPECT_EQ(bad, 0);
    // The inside and the first 300 twips of the side edges are left as cleared.
    EXPECT_EQ(px.rgb(250, 150), RGB(255, 255, 255));
    EXPECT_EQ(px.rgb(1, 10), RGB(255, 255, 255));
    EXPECT_EQ(px.rgb(W - 2, 10), RGB(255, 255, 255));
}

TEST_F(BFormTest, NominCoversTheRightPartWithPlainStripAndReprintsTheCaption) {
    auto b = Make(433 * 15L);
    b->SetCaption("");
    b->Nomin();
    auto px = Title(*b);
    // Skin x 210-610 twips (14-41 px) goes to 433 px - 830 twips = 377.67 px, i.e. 378.
    int bad = 0;
    for (int y = 0; y < 33; ++y) {
        for (int x = 0; x < 27; ++x) {
            bad += px.rgb(378 + x, y) != skin.at(14 + x, y);
        }
    }
    EXPECT_EQ(bad, 0);
    b->SetCaption("OrvikVelmora");
    b->Nomin();
    px = Title(*b);
    bool white = false;
    for (int x = 0; x < 12 && !white; ++x) {
        for (int y = 0; y < 33; ++y) {
            white |= px.rgb(8 + x, y) == RGB(255, 255, 255) && y >= 6 && y < 7 + 14;
        }
    }
    EXPECT_TRUE(white) << "caption printed again from (120, 100) twips";
}

TEST_F(BFormTest, TheSkinAndTheSurfaceGoWithTheControl) {
    std::vector<HGDIOBJ> handles;
    {
        auto b = Make(6000);
        handles = {b->Image(), b->hdc(), b->PP().Bitmap()};
        for (HGDIOBJ h : handles) {
            ASSERT_NE(::GetObjectType(h), 0u);
        }
    }
    for (HGDIOBJ h : handles) {
        EXPECT_EQ(::GetObjectType(h), 0u);
    }
}

TEST_F(BFormTest, NarrowHostGetsTheRightCornerOverTheLeftOne) {
    test::TestForm narrow(50, 50, 50, 100);
    auto b = Make(3000);
    b->Printform(narrow.canvas());
    auto px = test::ReadBitmap(narrow.canvas().Dc(), narrow.canvas().Image());
    // The bottom-right piece starts at 50 - 33 = 17 px and covers the left one there.
    EXPECT_EQ(px.rgb(20, 98), skin.at(64, 83));
    EXPECT_EQ(px.rgb(5, 98), skin.at(5, 83));
}

TEST_F(BFormTest, PressingTheStripDragsTheHostAndReportsAfterwards) {
    auto b = Make(500 * 15L);
    b->SetfrmHwnd(form->hwnd());
    RECT before{};
    ::GetWindowRect(form->hwnd(), &before);
    RECT atMouseDown{};
    std::vector<int> buttons;
    b->MouseDown = [&](std::int16_t& button, std::int16_t&, float& x, float& y) {
        buttons.push_back(button);
        ::GetWindowRect(form->hwnd(), &atMouseDown);
        EXPECT_EQ(x, 200 * 15.0f);
        EXPECT_EQ(y, 15 * 15.0f);
    };
    MouseTo(before.left + 200, before.top + 15);
    {
        // The move loop runs inside the press; a second thread moves and lets go.
        test::Later later(300, [&] {
            for (int i = 1; i <= 5; ++i) {
                MouseTo(before.left + 200 + i * 12, before.top + 15 + i * 8, 40);
            }
            Sleep(100);
            INPUT up{};
            up.type = INPUT_MOUSE;
            up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
            ::SendInput(1, &up, sizeof(up));
        });
        MouseButton(1, true, 1500);
    }
    Pump(50);
    RECT after{};
    ::GetWindowRect(form->hwnd(), &after);
    EXPECT_EQ(after.left - before.left, 60);
    EXPECT_EQ(after.top - before.top, 40);
    ASSERT_EQ(buttons, (std::vector<int>{1}));
    EXPECT_EQ(atMouseDown.left, after.left) << "MouseDown comes after the drag";
}

TEST_F(BFormTest, WithoutHostOrWithTheRightButtonNothingMoves) {
    auto b = Make(500 * 15L);
    RECT before{};
    ::GetWindowRect(form->hwnd(), &before);
    std::vector<int> buttons;
    int doubles = 0;
    b->MouseDown = [&](std::int16_t& button, std::int16_t&, float&, float&) {
        buttons.push_back(button);
    };
    b->DblClick = [&] { ++doubles; };
    MouseTo(before.left + 100, before.top + 10);
    MouseButton(1, true);
    MouseTo(before.left + 160, before.top + 50);
    MouseButton(1, false, 300);
    b->SetfrmHwnd(form->hwnd());
    MouseTo(before.left + 100, before.top + 10, 100);
    MouseButton(2, true);
    MouseTo(before.left + 160, before.top + 50);
    MouseButton(2, false);
    RECT after{};
    ::GetWindowRect(form->hwnd(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(buttons, (std::vector<int>{1, 2}));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    MouseTo(before.left + 100, before.top + 10);
    b->SetfrmHwnd(nullptr);
    MouseButton(1, true, 10);
    MouseButton(1, false, 10);
    MouseButton(1, true, 10);
    MouseButton(1, false, 10);
    EXPECT_EQ(doubles, 1);
}

// A host whose window goes away during the drag takes its title bar with it; the block the bar
// lived in may hold another bar by the time the drag returns, whose events must stay quiet.
std::function<void()> g_onDrag;
LRESULT CALLBACK DragHostProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCLBUTTONDOWN && g_onDrag) {
        auto onDrag = std::move(g_onDrag); // once
        g_onDrag = nullptr;
        onDrag();
        return 0;
    }
    return ::DefWindowProcW(h, msg, w, l);
}

TEST_F(BFormTest, ABarDestroyedDuringItsDragRaisesNoEvent) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DragHostProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmDragHost";
    ::RegisterClassW(&wc);
    HWND host = ::CreateWindowExW(0, L"VelmDragHost", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    std::vector<std::max_align_t> storage(sizeof(BForm) / sizeof(std::max_align_t) + 1);
    auto* own = new (storage.data()) BForm();
    ASSERT_TRUE(own->Create(form->hwnd(), 0, 0, 500 * 15L, 495));
    own->SetfrmHwnd(host);
    HWND h = own->hWnd();
    int raised = 0;
    g_onDrag = [&] {
        own->~BForm();
        auto* next = new (storage.data()) BForm();
        next->MouseDown = [&](std::int16_t&, std::int16_t&, float&, float&) { ++raised; };
    };
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(raised, 0);
    std::launder(reinterpret_cast<BForm*>(storage.data()))->~BForm();
    ::DestroyWindow(host);
}

} // namespace
} // namespace velm
