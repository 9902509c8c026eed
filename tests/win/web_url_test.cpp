// The web page tab form in real windows with the basic browser against a real HTTP server: the
// blank first document, the page title on its tab, scroll bars hidden after every document,
// reloading, and the frame and browser geometry.
#include "mainwindow/WebUrl.h"

#include "support/HttpTestServer.h"
#include "support/WinTest.h"
#include "tabstrip/CTabItem.h"
#include "tabstrip/IuTab.h"
#include "tabstrip/uTab.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::HttpTestServer;
using test::Pump;
using test::PumpUntil;
using test::Response;

RECT ChildRect(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class WebUrlForm : public ::testing::Test {
protected:
    void SetUp() override { WindowObject::SetQuitOnLastWindow(false); }
    void TearDown() override {
        item.reset();
        if (form) {
            form->Unload();
        }
    }
    // Waits until the browser's document is `url` and its completion has been handled.
    bool WaitDocument(const std::string& url) {
        return PumpUntil([&] {
            return form->wb() && form->wb()->DocumentUrl() == url &&
                   form->wb()->RootStyle("overflow") == "hidden";
        });
    }
    HttpTestServer server;
    std::shared_ptr<WebUrl> form = std::make_shared<WebUrl>();
    std::unique_ptr<CTabItem> item = std::make_unique<CTabItem>();
};

TEST_F(WebUrlForm, LoadGoesToTheBlankPageThenOpenUrlToTheAddress) {
    server.Route("/g", {200, "<html><head><title>Game One</title></head><body>g</body></html>"});
    std::vector<std::string> before;
    form->Load();
    ASSERT_NE(form->wb(), nullptr);
    ASSERT_TRUE(WaitDocument("about:blank")) << "the load navigates to the blank page";
    form->OpenURL(server.Url("/g"));
    ASSERT_TRUE(WaitDocument(server.Url("/g")));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/g"}));
}

TEST_F(WebUrlForm, OpenUrlLoadsTheFormFirst) {
    server.Route("/g", {200, "<title>G</title>"});
    EXPECT_FALSE(form->IsLoaded());
    form->OpenURL(server.Url("/g"));
    EXPECT_TRUE(form->IsLoaded());
    ASSERT_TRUE(WaitDocument(server.Url("/g")));
}

TEST_F(WebUrlForm, TitleBecomesTheTabCaptionOnlyOnceTheItemIsSet) {
    server.Route("/a", {200, "<title>First title</title>"});
    server.Route("/b", {200, "<title>中文标题</title>"});
    server.Route("/c", {200, "<title></title>"});
    form->OpenURL(server.Url("/a"));
    ASSERT_TRUE(WaitDocument(server.Url("/a")));
    EXPECT_EQ(form->Item(), nullptr);
    item->Caption("Game" + server.Url("/b"));
    item->Form(form);
    EXPECT_EQ(form->Item(), item.get()) << "the item hands itself to the form";
    EXPECT_EQ(item->Caption(), "Game" + server.Url("/b")) << "no title arrived since";
    form->OpenURL(server.Url("/b"));
    ASSERT_TRUE(WaitDocument(server.Url("/b")));
    EXPECT_EQ(item->Caption(), "中文标题");
    form->OpenURL(server.Url("/c"));
    ASSERT_TRUE(WaitDocument(server.Url("/c")));
    EXPECT_EQ(item->Caption(), "") << "an empty title gives an empty caption";
}

TEST_F(WebUrlForm, RepeatedTitleChangesEachReachTheCaption) {
    server.Route("/1", {200, "<title>one</title><meta http-equiv=refresh content='0;url=/2'>"});
    server.Route("/2", {200, "<title>two</title>"});
    item->Form(form);
    std::vector<std::string> captions;
    std::string last;
    form->OpenURL(server.Url("/1"));
    ASSERT_TRUE(PumpUntil([&] {
        if (item->Caption() != last) {
            last = item->Caption();
            captions.push_back(last);
        }
        return last == "two";
    }));
    EXPECT_EQ(captions, (std::vector<std::string>{"one", "two"}))
        << "the blank first document was replaced before it completed";
}

TEST_F(WebUrlForm, InitializeKeepsTheLatestStripAndItem) {
    CTabItem other;
    form->Initialize(nullptr, item.get());
    EXPECT_EQ(form->Item(), item.get());
    form->Initialize(nullptr, &other);
    EXPECT_EQ(form->Item(), &other);
    form->Initialize(nullptr, nullptr);
}

TEST_F(WebUrlForm, EveryDocumentHidesTheScrollBarsAgainAfterARefresh) {
    server.Route("/s", {200, "<html style=\"overflow:scroll\"><body>s</body></html>"});
    form->OpenURL(server.Url("/s"));
    ASSERT_TRUE(WaitDocument(server.Url("/s")));
    EXPECT_EQ(form->wb()->RootStyle("overflow"), "hidden");
    form->RefreshPage();
    ASSERT_TRUE(PumpUntil([&] { return server.Requests().size() == 2; }));
    ASSERT_TRUE(WaitDocument(server.Url("/s")));
    EXPECT_EQ(form->wb()->DocumentUrl(), server.Url("/s")) << "a reload keeps the address";
}

TEST_F(WebUrlForm, FrameFillsTheFormAndTheBrowserOverlapsItByTwoPixels) {
    form->Load();
    ::SetWindowPos(form->WindowObject::hWnd(), nullptr, 10, 10, 640, 400,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    form->Show();
    Pump(100);
    RECT client{};
    ::GetClientRect(form->WindowObject::hWnd(), &client);
    RECT picture = ChildRect(form->Picture1());
    EXPECT_EQ(picture.left, 0);
    EXPECT_EQ(picture.top, 0);
    EXPECT_EQ(picture.right, client.right);
    EXPECT_EQ(picture.bottom, client.bottom);
    RECT web = ChildRect(form->wb()->hWnd());
    EXPECT_EQ(web.left, -2);
    EXPECT_EQ(web.top, -2);
    EXPECT_EQ(web.right, client.right + 2);
    EXPECT_EQ(web.bottom, client.bottom + 2);

    // Made a child of another window and resized there, as the strip does.
    HWND container = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700,
                                       nullptr, nullptr, nullptr, nullptr);
    HWND h = form->WindowObject::hWnd();
    ::SetWindowLongW(h, GWL_STYLE,
                     (::GetWindowLongW(h, GWL_STYLE) & ~(WS_CAPTION | WS_THICKFRAME)) | WS_CHILD);
    ::SetParent(h, container);
    ::MoveWindow(h, 0, 0, 877, 555, TRUE);
    Pump(50);
    RECT web2 = ChildRect(form->wb()->hWnd());
    EXPECT_EQ(web2.right - web2.left, 877 + 4);
    EXPECT_EQ(web2.bottom - web2.top, 555 + 4);
    EXPECT_EQ(ChildRect(form->Picture1()).right, 877);
    form->Unload();
    ::DestroyWindow(container);
}

TEST_F(WebUrlForm, UnloadedByItsTabWhenTheItemGoes) {
    form->OpenURL("about:blank");
    item->Form(form);
    HWND h = form->WindowObject::hWnd();
    ASSERT_TRUE(::IsWindow(h));
    item.reset();
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(form->wb(), nullptr) << "the browser went with the form";
}

TEST_F(WebUrlForm, HostedInTheTabStripItsTitleBecomesTheTabCaption) {
    server.Route("/t", {200, "<title>晨曦一区</title>"});
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                    0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    HWND container = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 40, 700, 500,
                                       window, nullptr, nullptr, nullptr);
    auto strip = std::make_unique<uTab>();
    ASSERT_TRUE(strip->Create(window, 0, 0, 700));
    strip->hContainerWnd(container);
    strip->LockReDraw(false);
    const std::string url = server.Url("/t");
    form->OpenURL(url);
    ASSERT_TRUE(strip->TabItems().Add("Game" + url, form, url));
    HWND h = form->WindowObject::hWnd();
    EXPECT_EQ(::GetParent(h), container) << "the strip hosts the form in its container";
    EXPECT_EQ(form->Item(), strip->TabItems().Item(0).get());
    ASSERT_TRUE(PumpUntil([&] { return strip->TabItems().Item(0)->Caption() == "晨曦一区"; }));
    EXPECT_EQ(form->wb()->RootStyle("overflow"), "hidden");
    RECT client{};
    ::GetClientRect(h, &client);
    RECT web = ChildRect(form->wb()->hWnd());
    EXPECT_EQ(web.right - web.left, client.right + 4);
    EXPECT_EQ(web.bottom - web.top, client.bottom + 4);

    strip->RefreshPage();
    ASSERT_TRUE(PumpUntil([&] { return server.Requests().size() == 2; }));
    strip.reset();
    EXPECT_FALSE(::IsWindow(h)) << "clearing the strip unloads the form";
    ::DestroyWindow(window);
}

} // namespace
} // namespace velm
