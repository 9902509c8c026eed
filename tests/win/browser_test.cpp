// Both browser engines in real windows under Wine: the basic engine against a real HTTP server
// (events and their order, title, inner HTML, painting, links, refresh, context menu), and the
// system WebBrowser control as far as Wine's control goes (creation, in-place activation,
// before-navigate with cancel, navigation errors).
#include "browser/CBasicBrowser.h"
#include "browser/CSystemBrowser.h"
#include "browser/IBrowser.h"

#include "app/Startup.h"
#include "base/Ole.h"
#include "base/Text.h"
#include "base/WindowObject.h"
#include "support/HttpTestServer.h"
#include "support/WinTest.h"

#include <mshtmhst.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::HttpTestServer;
using test::Pump;
using test::PumpUntil;
using test::Response;

// A plain visible top-level window to hold a browser.
class Host {
public:
    Host(int width = 640, int height = 480) {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"velm.test.BrowserHost";
            wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
            return ::RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        hwnd_ = ::CreateWindowExW(0, L"velm.test.BrowserHost", L"host",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, width, height,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~Host() { ::DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
};

// Records the events as text, in order.
struct Recorder {
    std::vector<std::string> events;
    bool cancelAll = false;
    void Attach(IBrowser& b) {
        b.events.BeforeNavigate2 = [this](const std::string& url, bool& cancel) {
            events.push_back("before " + url);
            cancel = cancelAll;
        };
        b.events.DocumentComplete = [this](const std::string& url, bool top) {
            events.push_back(std::string(top ? "top " : "frame ") + url);
        };
        b.events.TitleChange = [this](const std::string& t) { events.push_back("title " + t); };
        b.events.NavigateError = [this](const std::string& url, long status) {
            events.push_back("error " + url + " " + std::to_string(status));
        };
    }
    size_t Count(const std::string& prefix) const {
        size_t n = 0;
        for (const auto& e : events) {
            n += e.compare(0, prefix.size(), prefix) == 0;
        }
        return n;
    }
};

Response Html(const std::string& body) {
    return Response{200, body};
}

class BasicEngine : public ::testing::Test {
protected:
    void SetUp() override {
        browser = CreateBrowser(BrowserEngine::Basic, host.hwnd(), RECT{0, 0, 600, 440});
        ASSERT_TRUE(browser);
        basic = dynamic_cast<CBasicBrowser*>(browser.get());
        ASSERT_NE(basic, nullptr);
        rec.Attach(*browser);
    }
    bool WaitTop(size_t n = 1) {
        return PumpUntil([&] { return rec.Count("top ") >= n; });
    }
    HttpTestServer server;
    Host host;
    std::unique_ptr<IBrowser> browser;
    CBasicBrowser* basic = nullptr;
    Recorder rec;
};

TEST_F(BasicEngine, EventsInTheControlsOrderWithFramesBeforeTheTopDocument) {
    const std::string inner = "<head><title>Two &amp; frames</title></head><body>x<iframe "
                              "src=\"f1\"></iframe><iframe src=\"/sub/f2\"></iframe></body>";
    server.Route("/dir/top", Html("<!DOCTYPE html><html>" + inner + "</html>"));
    server.Route("/dir/f1", Html("<p>one</p>"));
    server.Route("/sub/f2", Html("<p>two</p>"));
    const std::string url = server.Url("/dir/top");
    browser->Navigate(url);
    ASSERT_EQ(rec.events.size(), 1u) << "before-navigate is raised inside Navigate";
    ASSERT_TRUE(WaitTop());
    std::vector<std::string> expected = {"before " + url, "title Two & frames",
                                         "frame " + server.Url("/dir/f1"),
                                         "frame " + server.Url("/sub/f2"), "top " + url};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(browser->DocumentUrl(), url);
    EXPECT_EQ(browser->RootInnerHtml(), inner);
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/dir/top", "/dir/f1", "/sub/f2"}));
    EXPECT_EQ(test::WindowText(browser->hWnd()), Widen(url));
}

TEST_F(BasicEngine, CancelledNavigationLoadsNothing) {
    server.Route("/a", Html("<title>A</title>"));
    rec.cancelAll = true;
    browser->Navigate(server.Url("/a"));
    Pump(500);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"before " + server.Url("/a")}));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(browser->DocumentUrl(), "");
    EXPECT_FALSE(browser->SetRootStyle("overflow", "hidden")) << "no document yet";
}

TEST_F(BasicEngine, PageWithoutTitleIsTitledByItsAddress) {
    server.Route("/plain", Html("<body>no title</body>"));
    browser->Navigate(server.Url("/plain"));
    ASSERT_TRUE(WaitTop());
    EXPECT_EQ(rec.events.at(1), "title " + server.Url("/plain"));
}

TEST_F(BasicEngine, RootStyleSetAndReadBack) {
    server.Route("/s", Html("<html style=\"overflow:auto\"><body>x</body></html>"));
    browser->Navigate(server.Url("/s"));
    ASSERT_TRUE(WaitTop());
    EXPECT_EQ(browser->RootStyle("overflow"), "auto");
    EXPECT_TRUE(browser->SetRootStyle("overflow", "hidden"));
    EXPECT_EQ(browser->RootStyle("overflow"), "hidden");
}

TEST_F(BasicEngine, ClickedLinkIsFollowed) {
    server.Route("/p1", Html("<body style='margin:0'><p>text <a href='p2'>next page</a></p>"));
    server.Route("/p2", Html("<title>Second</title>"));
    browser->Navigate(server.Url("/p1"));
    ASSERT_TRUE(WaitTop());
    const PageLayout& layout = basic->Layout();
    const DisplayItem* link = nullptr;
    for (const auto& item : layout.items) {
        if (item.text == "next page") {
            link = &item;
        }
    }
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->href, server.Url("/p2"));
    LPARAM at = MAKELPARAM(link->x + 3, link->y + 3);
    ::PostMessageW(browser->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(browser->hWnd(), WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(WaitTop(2));
    EXPECT_EQ(rec.Count("before " + server.Url("/p2")), 1u);
    EXPECT_EQ(browser->DocumentUrl(), server.Url("/p2"));
    // A press that ends off the link follows nothing.
    size_t before = rec.events.size();
    ::PostMessageW(browser->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 400));
    ::PostMessageW(browser->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(300, 400));
    Pump(300);
    EXPECT_EQ(rec.events.size(), before);
}

TEST_F(BasicEngine, RefreshMetaNavigatesAfterItsSeconds) {
    server.Route("/r", Html("<head><meta http-equiv=\"refresh\" content=\"1;url=/done\"></head>"));
    server.Route("/done", Html("<title>Done</title>"));
    browser->Navigate(server.Url("/r"));
    ASSERT_TRUE(WaitTop());
    DWORD completed = ::GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("before " + server.Url("/done")) == 1; }, 5000));
    DWORD waited = ::GetTickCount() - completed;
    EXPECT_GE(waited, 900u);
    EXPECT_LT(waited, 3000u);
    ASSERT_TRUE(WaitTop(2));
    EXPECT_EQ(browser->DocumentUrl(), server.Url("/done"));
}

TEST_F(BasicEngine, RefreshMetaToAnAppAddressCanBeCancelled) {
    server.Route("/r", Html("<meta http-equiv=refresh content=\"0; url=app://minimize\">"));
    browser->events.BeforeNavigate2 = [this](const std::string& url, bool& cancel) {
        rec.events.push_back("before " + url);
        cancel = url.rfind("app://", 0) == 0;
    };
    browser->Navigate(server.Url("/r"));
    ASSERT_TRUE(WaitTop());
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("before app://minimize") == 1; }, 3000));
    Pump(300);
    EXPECT_EQ(rec.Count("error "), 0u) << "cancelled: not even tried";
    EXPECT_EQ(browser->DocumentUrl(), server.Url("/r"));
}

TEST_F(BasicEngine, RefreshReloadsTheSameAddressAndCompletesAgain) {
    server.Route("/x", Html("<title>X</title>"));
    browser->Navigate(server.Url("/x"));
    ASSERT_TRUE(WaitTop());
    browser->SetRootStyle("overflow", "hidden");
    browser->Refresh();
    ASSERT_TRUE(WaitTop(2));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(rec.Count("before "), 1u) << "a reload is no new navigation";
    EXPECT_EQ(browser->RootStyle("overflow"), "") << "the reloaded document is a new one";
}

TEST_F(BasicEngine, UnreachableServerCompletesAnEmptyDocumentAfterTheError) {
    std::string url = "http://127.0.0.1:" + std::to_string(test::UnusedPort()) + "/velm/login/";
    browser->Navigate(url);
    ASSERT_TRUE(WaitTop());
    ASSERT_GE(rec.events.size(), 3u);
    EXPECT_EQ(rec.events[1].rfind("error " + url, 0), 0u);
    EXPECT_EQ(rec.events.back(), "top " + url);
    EXPECT_EQ(browser->RootInnerHtml(), "");
}

TEST_F(BasicEngine, HttpErrorIsReportedAndItsPageShown) {
    browser->Navigate(server.Url("/missing"));
    ASSERT_TRUE(WaitTop());
    EXPECT_EQ(rec.events.at(1), "error " + server.Url("/missing") + " 404");
    EXPECT_EQ(browser->RootInnerHtml(), "not found");
}

TEST_F(BasicEngine, UnknownSchemeIsAnErrorAndKeepsTheDocument) {
    server.Route("/k", Html("<title>K</title>"));
    browser->Navigate(server.Url("/k"));
    ASSERT_TRUE(WaitTop());
    browser->Navigate("app://loadgame|http://x/");
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("error ") == 1; }));
    EXPECT_EQ(rec.events.back(),
              "error app://loadgame|http://x/ " + std::to_string(static_cast<long>(0x800C000DL)));
    EXPECT_EQ(browser->DocumentUrl(), server.Url("/k"));
}

TEST_F(BasicEngine, AboutBlankCompletesAsAnEmptyDocument) {
    browser->Navigate("about:blank");
    ASSERT_TRUE(WaitTop());
    EXPECT_EQ(rec.events.back(), "top about:blank");
    EXPECT_TRUE(browser->SetRootStyle("overflow", "hidden"));
}

TEST_F(BasicEngine, LaterNavigationReplacesAnEarlierOne) {
    server.Route("/slow", Response{200, "<title>slow</title>", true, -1, false, std::string::npos,
                                   false, 600});
    server.Route("/fast", Html("<title>fast</title>"));
    browser->Navigate(server.Url("/slow"));
    browser->Navigate(server.Url("/fast"));
    ASSERT_TRUE(WaitTop());
    Pump(1000);
    EXPECT_EQ(rec.Count("top "), 1u);
    EXPECT_EQ(rec.Count("title slow"), 0u);
    EXPECT_EQ(browser->DocumentUrl(), server.Url("/fast"));
}

TEST_F(BasicEngine, HandlerMayDestroyTheBrowser) {
    server.Route("/d", Html("<title>D</title><iframe src=/f></iframe>"));
    server.Route("/f", Html("f"));
    browser->events.DocumentComplete = [this](const std::string&, bool) { browser.reset(); };
    browser->Navigate(server.Url("/d"));
    ASSERT_TRUE(PumpUntil([&] { return !browser; }));
    Pump(200);
    browser = CreateBrowser(BrowserEngine::Basic, host.hwnd(), RECT{0, 0, 100, 100});
    ASSERT_TRUE(browser);
    browser->events.BeforeNavigate2 = [this](const std::string&, bool&) { browser.reset(); };
    browser->Navigate(server.Url("/d"));
    EXPECT_FALSE(browser);
    Pump(300);
}

TEST_F(BasicEngine, PaintsBackgroundTextAndLinks) {
    server.Route("/look", Html("<body style='margin:0;background:#FEFEFE'>"
                               "<div style='margin:40px 0 0 40px;width:300px;padding:10px;"
                               "background:#FFFFFF'><h2>Title text</h2><a href='/x'>a link "
                               "here</a></div></body>"));
    browser->Navigate(server.Url("/look"));
    ASSERT_TRUE(WaitTop());
    ::UpdateWindow(browser->hWnd());
    Pump(300);
    test::Pixels screen = test::CaptureScreen();
    POINT origin{0, 0};
    ::ClientToScreen(browser->hWnd(), &origin);
    EXPECT_EQ(screen.rgb(origin.x + 5, origin.y + 5), RGB(0xFE, 0xFE, 0xFE)) << "page background";
    EXPECT_EQ(screen.rgb(origin.x + 45, origin.y + 45), RGB(0xFF, 0xFF, 0xFF)) << "box background";
    const DisplayItem* link = nullptr;
    const DisplayItem* title = nullptr;
    for (const auto& item : basic->Layout().items) {
        if (item.text == "a link here") {
            link = &item;
        }
        if (item.text == "Title text") {
            title = &item;
        }
    }
    ASSERT_NE(link, nullptr);
    ASSERT_NE(title, nullptr);
    int blue = 0;
    for (int y = link->y; y < link->y + link->height; ++y) {
        for (int x = link->x; x < link->x + link->width; ++x) {
            blue += screen.rgb(origin.x + x, origin.y + y) == RGB(0, 0, 0xEE);
        }
    }
    EXPECT_GT(blue, link->width) << "link text and its underline are blue";
    int dark = 0;
    for (int y = title->y; y < title->y + title->height; ++y) {
        for (int x = title->x; x < title->x + title->width; ++x) {
            dark += screen.rgb(origin.x + x, origin.y + y) == RGB(0, 0, 0);
        }
    }
    EXPECT_GT(dark, 30) << "the heading is painted in black";
    test::SaveBmp(screen, test::ShotsDir() + "basic_browser.bmp");
}

// Answers a context menu the way a person would (Escape), noting that it was shown.
class MenuWatcher {
public:
    MenuWatcher()
        : later_(400, [this] {
              HWND menu = ::FindWindowW(L"#32768", nullptr);
              if (menu && ::IsWindowVisible(menu)) {
                  seen_ = true;
                  ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
              }
          }) {}
    bool seen() const { return seen_; }

private:
    volatile bool seen_ = false;
    test::Later later_;
};

TEST_F(BasicEngine, ContextMenuOnlyWhenNotSuppressed) {
    server.Route("/m", Html("<title>M</title>"));
    browser->Navigate(server.Url("/m"));
    ASSERT_TRUE(WaitTop());
    POINT pt{50, 50};
    ::ClientToScreen(browser->hWnd(), &pt);
    {
        MenuWatcher watcher;
        ::SendMessageW(browser->hWnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(browser->hWnd()),
                       MAKELPARAM(pt.x, pt.y));
        Pump(600);
        EXPECT_TRUE(watcher.seen()) << "the page's own menu";
    }
    browser->SuppressContextMenu(true);
    {
        MenuWatcher watcher;
        ::SendMessageW(browser->hWnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(browser->hWnd()),
                       MAKELPARAM(pt.x, pt.y));
        Pump(600);
        EXPECT_FALSE(watcher.seen());
    }
}

// A window that records the keys it is sent.
class KeySink {
public:
    KeySink(HWND parent, int x) {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &KeySink::Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"velm.test.KeySink";
            return ::RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        hwnd_ = ::CreateWindowExW(0, L"velm.test.KeySink", L"", WS_CHILD | WS_VISIBLE, x, 0, 50, 50,
                                  parent, nullptr, ::GetModuleHandleW(nullptr), this);
    }
    ~KeySink() { ::DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }
    std::vector<WPARAM> keys;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_NCCREATE) {
            ::SetWindowLongPtrW(
                h, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
        } else if (msg == WM_KEYDOWN) {
            reinterpret_cast<KeySink*>(::GetWindowLongPtrW(h, GWLP_USERDATA))->keys.push_back(w);
        }
        return ::DefWindowProcW(h, msg, w, l);
    }
    HWND hwnd_;
};

// An engine that takes Tab as its own accelerator and records every key it is offered.
class AcceleratorBrowser final : public IBrowser {
public:
    explicit AcceleratorBrowser(HWND window) : window_(window) {}
    HWND hWnd() const override { return window_; }
    void Move(int, int, int, int) override {}
    void Navigate(const std::string&) override {}
    void Refresh() override {}
    void ShowHtml(const std::string&) override {}
    std::string DocumentUrl() const override { return {}; }
    std::string RootInnerHtml() const override { return {}; }
    bool SetRootStyle(const std::string&, const std::string&) override { return false; }
    std::string RootStyle(const std::string&) const override { return {}; }
    void SuppressContextMenu(bool) override {}
    void Focus() override {}
    void SetZoom(int) override {}
    void SetMuted(bool) override {}
    bool TranslateAccelerator(MSG& msg) override {
        offered.push_back(msg.wParam);
        return msg.message == WM_KEYDOWN && msg.wParam == VK_TAB;
    }
    std::vector<WPARAM> offered;

private:
    HWND window_;
};

TEST(MessageLoops, KeysReachThePagesAcceleratorsFirst) {
    Host host;
    KeySink page(host.hwnd(), 0);
    KeySink field(page.hwnd(), 0); // a field inside the page's window
    KeySink outside(host.hwnd(), 100);
    AcceleratorBrowser browser(page.hwnd());
    auto post = [&] {
        for (HWND h : {field.hwnd(), outside.hwnd()}) {
            ::PostMessageW(h, WM_KEYDOWN, VK_TAB, 0);
            ::PostMessageW(h, WM_KEYDOWN, 'A', 0);
        }
    };
    post();
    ProcessPendingMessages();
    post();
    ::PostQuitMessage(0);
    RunMessageLoop();
    // Each loop: the page was offered the keys of its own windows only, and kept Tab.
    EXPECT_EQ(browser.offered, (std::vector<WPARAM>{VK_TAB, 'A', 'a', VK_TAB, 'A', 'a'}));
    EXPECT_EQ(field.keys, (std::vector<WPARAM>{'A', 'A'}));
    EXPECT_EQ(outside.keys, (std::vector<WPARAM>{VK_TAB, 'A', VK_TAB, 'A'}));
}

class SystemEngine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartOle(); }
    static void TearDownTestSuite() { EndOle(); }
    void SetUp() override {
        browser = CreateBrowser(BrowserEngine::System, host.hwnd(), RECT{0, 0, 600, 440});
        ASSERT_TRUE(browser) << "the control is created and activated in place";
        sys = dynamic_cast<CSystemBrowser*>(browser.get());
        ASSERT_NE(sys, nullptr);
        rec.Attach(*browser);
    }
    void TearDown() override { browser.reset(); }
    Host host;
    std::unique_ptr<IBrowser> browser;
    CSystemBrowser* sys = nullptr;
    Recorder rec;
};

TEST_F(SystemEngine, ActiveInPlaceInsideItsParent) {
    EXPECT_TRUE(sys->InPlaceActive());
    HWND control = browser->hWnd();
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(::IsChild(host.hwnd(), control));
    browser->Move(10, 20, 300, 200);
    RECT r{};
    ::GetWindowRect(control, &r);
    POINT tl{r.left, r.top};
    ::ScreenToClient(host.hwnd(), &tl);
    EXPECT_EQ(tl.x, 10);
    EXPECT_EQ(tl.y, 20);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
}

TEST_F(SystemEngine, AppAddressReachesTheHandlerAndIsCancelled) {
    rec.cancelAll = true;
    browser->Navigate("app://exitgame");
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("before ") >= 1; }, 5000));
    EXPECT_EQ(rec.events.front(), "before app://exitgame");
    Pump(1000);
    EXPECT_EQ(rec.Count("error "), 0u) << "a cancelled navigation goes nowhere";
}

TEST_F(SystemEngine, NavigateErrorReachesTheSink) {
    HttpTestServer server;
    server.Route("/p", Html("<title>P</title>"));
    browser->Navigate(server.Url("/p"));
    ASSERT_TRUE(PumpUntil([&] { return rec.Count("error ") >= 1; }, 10000))
        << "Wine's control has no renderer and reports an error";
    EXPECT_EQ(rec.events.front(), "before " + server.Url("/p"));
    std::string error;
    for (const auto& e : rec.events) {
        if (e.rfind("error ", 0) == 0) {
            error = e;
        }
    }
    EXPECT_EQ(error.rfind("error " + server.Url("/p") + " ", 0), 0u) << error;
}

TEST_F(SystemEngine, HandlerMayDestroyTheBrowser) {
    size_t pendingInHandler = 0;
    browser->events.BeforeNavigate2 = [&](const std::string&, bool& cancel) {
        cancel = true;
        browser.reset();
        pendingInHandler = CSystemBrowser::PendingReleases();
    };
    browser->Navigate("app://exitgame");
    ASSERT_TRUE(PumpUntil([&] { return !browser; }, 5000));
    EXPECT_EQ(pendingInHandler, 1u) << "the control is released after its event returns";
    ASSERT_TRUE(PumpUntil([] { return CSystemBrowser::PendingReleases() == 0; }, 2000));
    browser = CreateBrowser(BrowserEngine::System, host.hwnd(), RECT{0, 0, 200, 200});
    ASSERT_TRUE(browser);
    rec.Attach(*browser);
    rec.cancelAll = true;
    browser->Navigate("app://minimize");
    EXPECT_TRUE(PumpUntil([&] { return rec.Count("before app://minimize") == 1; }, 5000));
}

// What the control names as its active object when its user interface activates (a click into
// the page on Windows; Wine's control never does): it takes Tab and records what it is offered.
class RecordingActiveObject final : public IOleInPlaceActiveObject {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceActiveObject
                   ? this
                   : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override {
        offered.push_back(msg->wParam);
        return msg->wParam == VK_TAB ? S_OK : S_FALSE;
    }
    STDMETHODIMP OnFrameWindowActivate(WINBOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(WINBOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(WINBOOL) override { return S_OK; }
    ULONG refs = 1;
    std::vector<WPARAM> offered;
};

TEST_F(SystemEngine, ActiveObjectNamedByTheControlGetsThePagesKeys) {
    ComPtr<IOleObject> object;
    ASSERT_EQ(sys->Control()->QueryInterface(IID_IOleObject, object.put_void()), S_OK);
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(object->GetClientSite(site.put()), S_OK);
    auto frame = site.As<IOleInPlaceFrame>(IID_IOleInPlaceFrame);
    ASSERT_TRUE(frame);
    RecordingActiveObject active;
    ASSERT_EQ(frame->SetActiveObject(&active, L"page"), S_OK);
    MSG tab{browser->hWnd(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    MSG letter{browser->hWnd(), WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_TRUE(TranslateBrowserAccelerator(tab)) << "Tab moves between the page's fields";
    EXPECT_FALSE(TranslateBrowserAccelerator(letter)) << "a letter goes on to the field";
    EXPECT_EQ(active.offered, (std::vector<WPARAM>{VK_TAB, 'A'}));
    frame->SetActiveObject(nullptr, nullptr);
    EXPECT_EQ(active.refs, 1u) << "given back when the control deactivates";
}

TEST_F(SystemEngine, ReleasedInsideItsEventBeforeComGoes) {
    // The page closes its window from its own event, and that window was the last one.
    browser->events.BeforeNavigate2 = [&](const std::string&, bool& cancel) {
        cancel = true;
        browser.reset();
        ::PostQuitMessage(0);
    };
    browser->Navigate("app://exitgame");
    RunMessageLoop();
    ASSERT_FALSE(browser);
    EXPECT_EQ(CSystemBrowser::PendingReleases(), 1u) << "the loop ended before the release";
    EndClient();
    EXPECT_EQ(CSystemBrowser::PendingReleases(), 0u) << "released while COM was alive";
    StartOle(); // the suite's own pairing
}

TEST_F(SystemEngine, DocumentHostAnswersTheContextMenu) {
    ComPtr<IOleObject> object;
    ASSERT_EQ(sys->Control()->QueryInterface(IID_IOleObject, object.put_void()), S_OK);
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(object->GetClientSite(site.put()), S_OK);
    auto handler = site.As<IDocHostUIHandler>(__uuidof(IDocHostUIHandler));
    ASSERT_TRUE(handler);
    POINT pt{5, 5};
    EXPECT_EQ(handler->ShowContextMenu(0, &pt, nullptr, nullptr), S_FALSE) << "default menu";
    browser->SuppressContextMenu(true);
    EXPECT_EQ(handler->ShowContextMenu(0, &pt, nullptr, nullptr), S_OK) << "no menu";
}

TEST_F(SystemEngine, ProgramIsListedForTheStandardsMode) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path);
    exe = exe.substr(exe.find_last_of(L"\\/") + 1);
    DWORD value = 0;
    DWORD size = sizeof(value);
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\"
                             L"FEATURE_BROWSER_EMULATION",
                             exe.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 11001u);
}

} // namespace
} // namespace velm
