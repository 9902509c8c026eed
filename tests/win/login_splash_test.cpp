// The login windows while the loading window is still up: the splash stays until the page has
// completed, and an exit command before that ends the client with the splash.
#include "startup/LoadFrm.h"
#include "startup/LoginBgFrm.h"
#include "startup/LoginFrm.h"

#include "support/HttpTestServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <functional>

namespace velm {
namespace {

using test::HttpTestServer;
using test::Pump;
using test::PumpUntil;
using test::Response;

class Splash : public ::testing::Test {
protected:
    void SetUp() override {
        // The update check at the loading window's creation reads and writes the temporary
        // folder: give it a fresh one.
        ::SetEnvironmentVariableW(L"TMP", temp.wpath().c_str());
        ::SetEnvironmentVariableW(L"TEMP", temp.wpath().c_str());
        WindowObject::SetQuitOnLastWindow(false);
        LoadFrm::SetLoginLoader([] { LoginFrm::Get().Load(); });
    }
    void TearDown() override {
        for (WindowObject* w : std::initializer_list<WindowObject*>{
                 &LoginBgFrm::Get(), &LoginFrm::Get(), &LoadFrm::Get()}) {
            w->Unload();
        }
        LoginFrm::SetLoginPageUrl("");
    }
    void Serve(unsigned delayMs) {
        Response page{200, "<body style='background:#FEFEFE'>login</body>"};
        page.delayMs = delayMs;
        server.Route("/velm/login/", page);
        LoginFrm::SetLoginPageUrl(server.Url("/velm/login/"));
    }
    test::TempDir temp;
    HttpTestServer server;
};

TEST_F(Splash, StaysUntilTheLoginPageHasCompleted) {
    Serve(800);
    LoadFrm& splash = LoadFrm::Get();
    ASSERT_TRUE(splash.Load());
    splash.Show();
    ASSERT_TRUE(LoginBgFrm::Get().IsLoaded()) << "the login windows load with the splash";
    Pump(300);
    EXPECT_TRUE(::IsWindowVisible(splash.hWnd()));
    EXPECT_FALSE(::IsWindowVisible(LoginBgFrm::Get().hWnd()));
    EXPECT_FALSE(::IsWindowVisible(LoginFrm::Get().hWnd()));
    ASSERT_TRUE(PumpUntil([] { return !LoadFrm::Get().IsLoaded(); }));
    EXPECT_TRUE(::IsWindowVisible(LoginBgFrm::Get().hWnd()));
    EXPECT_TRUE(::IsWindowVisible(LoginFrm::Get().hWnd()));
}

TEST_F(Splash, ExitBeforeThePageCompletedEndsTheClientWithTheSplash) {
    Serve(3000);
    LoadFrm& splash = LoadFrm::Get();
    ASSERT_TRUE(splash.Load());
    splash.Show();
    ASSERT_TRUE(LoginFrm::Get().IsLoaded());
    bool cancel = false;
    LoginFrm::Get().OnBeforeNavigate2("app://exitgame", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_FALSE(LoginBgFrm::Get().IsLoaded());
    EXPECT_FALSE(LoginFrm::Get().IsLoaded());
    EXPECT_FALSE(splash.IsLoaded()) << "no window is left, so the client ends";
    EXPECT_EQ(WindowObject::LiveWindows(), 0);
}

} // namespace
} // namespace velm
