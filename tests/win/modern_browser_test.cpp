// The modern engine through IBrowser, against the tests' fake runtime (tests/fakewebview2)
// registered in the prefix as the user's installed runtime:
// - the loader, each case in a process of its own since a process chooses its engine once:
//   found, not installed, entry point missing, creation failing, creation never completing,
//   version too old;
// - in this process: the events (before-navigate with its veto, for frames too; title;
//   completion and the root style script), the keys the runtime hands back, a failing page
//   process, an ended browser process, focus and hiding, the cache cleaner, a view that comes
//   after its browser went, and the order of release.
#include "browser/IBrowser.h"

#include "base/Log.h"
#include "base/WindowObject.h"
#include "support/FakeWebView2Runtime.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::FakeRuntime;
using test::InstalledRuntime;
using test::Pump;
using test::PumpUntil;
using test::ScopedEnv;

class Host {
public:
    Host() {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"velm.test.ModernHost";
            return ::RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        hwnd_ = ::CreateWindowExW(0, L"velm.test.ModernHost", L"host",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, 640, 480,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~Host() { ::DestroyWindow(hwnd_); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
};

// The lines of the fake's log that start with `prefix`.
std::vector<std::string> Lines(const std::string& log, const std::string& prefix = "") {
    std::vector<std::string> out;
    std::istringstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            out.push_back(line);
        }
    }
    return out;
}

size_t Position(const std::string& log, const std::string& text) {
    return log.find(text);
}

// ---------------------------------------------------------------------------------------------
// The loader. The parent test registers a runtime (or none), starts this program again with
// VELM_LOADER_REPORT naming a file, and reads what the child wrote there: the engine its first
// browser got, the log entries, whether the fake was loaded, and how long the choice took.
const char kReportVariable[] = "VELM_LOADER_REPORT";

TEST(ModernLoaderChild, ChoosesAndReports) {
    char path[MAX_PATH] = {};
    if (!::GetEnvironmentVariableA(kReportVariable, path, MAX_PATH)) {
        GTEST_SKIP() << "runs as the child of a ModernLoader test";
    }
    ::OleInitialize(nullptr);
    std::string entries;
    SetLogSink([&entries](const std::string& e) { entries += "log " + e + "\n"; });
    Host host;
    const DWORD start = ::GetTickCount();
    PrepareBrowserEngine();
    RECT place{0, 0, 400, 300};
    std::unique_ptr<IBrowser> browser = CreateBrowser(host.hwnd(), place);
    const DWORD waited = ::GetTickCount() - start;
    const BrowserEngine engine = ChosenBrowserEngine();
    std::string report = std::string("engine ") +
                         (engine == BrowserEngine::Modern   ? "modern"
                          : engine == BrowserEngine::System ? "system"
                                                            : "other") +
                         "\nbrowser " + (browser ? "yes" : "no") + "\nloaded " +
                         (FakeRuntime::Loaded() ? "yes" : "no") + "\nwaited " +
                         std::to_string(waited) + "\n" + entries;
    browser.reset();
    ReleaseDeferredBrowsers();
    test::WriteFileBytes(path, report);
    ::OleUninitialize();
}

struct LoaderRun {
    std::string report;
    bool Has(const std::string& line) const {
        return report.find("\n" + line) != std::string::npos || report.rfind(line, 0) == 0;
    }
    DWORD Waited() const {
        size_t at = report.find("\nwaited ");
        return at == std::string::npos ? 0 : std::stoul(report.substr(at + 8));
    }
};

LoaderRun RunLoader(const std::wstring& runtimeFolder, const std::string& createMode = "") {
    InstalledRuntime registered(runtimeFolder);
    test::TempDir dir;
    const std::string report = dir.path() + "report.txt";
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    test::ChildProcess child;
    std::map<std::wstring, std::wstring> env{
        {L"VELM_LOADER_REPORT", std::wstring(report.begin(), report.end())},
        {L"VELM_BROWSER", L"auto"},
        {L"VELM_FAKE_WEBVIEW2_CREATE", std::wstring(createMode.begin(), createMode.end())}};
    EXPECT_TRUE(child.Start(exe, L"--gtest_filter=ModernLoaderChild.*", env));
    EXPECT_TRUE(child.Wait(60000));
    return {test::ReadFileBytes(report)};
}

TEST(ModernLoader, AnInstalledRuntimeGivesTheModernEngineAndItsVersionIsLogged) {
    LoaderRun run = RunLoader(test::FakeRuntimeFolder());
    EXPECT_TRUE(run.Has("engine modern")) << run.report;
    EXPECT_TRUE(run.Has("browser yes")) << run.report;
    EXPECT_TRUE(run.Has("log Browser engine: modern, WebView2 runtime " VELM_FAKE_WEBVIEW2_VERSION))
        << run.report;
}

TEST(ModernLoader, EveryFailureToStartGivesTheSystemControlAndSaysWhy) {
    struct Case {
        const char* what;
        std::wstring folder;
        std::string mode;
        const char* reason; // the error code the log names
    };
    const Case cases[] = {
        {"not installed", L"", "", "(0x00000002)"},
        {"entry point missing", test::NoEntryRuntimeFolder(), "", "(0x0000007F)"},
        {"creation failing", test::FakeRuntimeFolder(), "fail:0x80004005", "(0x80004005)"},
        {"creation refused", test::FakeRuntimeFolder(), "refuse:0x80070005", "(0x80070005)"},
        {"version too old", test::OldFakeRuntimeFolder(), "", "(0x00000666)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderRun run = RunLoader(c.folder, c.mode);
        EXPECT_TRUE(run.Has("engine system")) << run.report;
        EXPECT_TRUE(run.Has("browser yes")) << run.report;
        EXPECT_TRUE(run.Has("log Browser engine: system, the WebView2 runtime did not start"))
            << run.report;
        EXPECT_NE(run.report.find(c.reason), std::string::npos) << run.report;
    }
}

TEST(ModernLoader, AnEnvironmentThatNeverComesGivesTheSystemControlAfterTenSeconds) {
    LoaderRun run = RunLoader(test::FakeRuntimeFolder(), "never");
    EXPECT_TRUE(run.Has("engine system")) << run.report;
    EXPECT_TRUE(run.Has("browser yes")) << run.report;
    EXPECT_GE(run.Waited(), 9900u) << run.report;
    EXPECT_LT(run.Waited(), 20000u) << run.report;
}

// ---------------------------------------------------------------------------------------------
// One browser of the modern engine in this process, the fake registered; each test ends by
// releasing everything, so the next starts a new environment.
class ModernBrowser : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::OleInitialize(nullptr);
        registered_ = new InstalledRuntime(test::FakeRuntimeFolder());
    }
    static void TearDownTestSuite() {
        delete registered_;
        registered_ = nullptr;
        ::OleUninitialize();
    }

    void SetUp() override {
        previousSink_ = SetLogSink([this](const std::string& e) { logged_.push_back(e); });
        FakeRuntime::ClearLog();
    }
    void TearDown() override {
        browser_.reset();
        Pump(50);
        ReleaseDeferredBrowsers();
        SetLogSink(previousSink_);
    }

    // A browser whose view exists, with its events recorded.
    IBrowser& Open() {
        RECT place{0, 0, 400, 300};
        browser_ = CreateBrowser(BrowserEngine::Modern, host_.hwnd(), place);
        EXPECT_TRUE(browser_);
        if (!browser_) {
            throw std::runtime_error("no browser of the modern engine");
        }
        browser_->events.BeforeNavigate2 = [this](const std::string& url, bool& cancel) {
            events_.push_back("before " + url);
            cancel = url.rfind("app://", 0) == 0;
        };
        browser_->events.DocumentComplete = [this](const std::string& url, bool top) {
            events_.push_back(std::string(top ? "top " : "frame ") + url);
        };
        browser_->events.TitleChange = [this](const std::string& t) {
            events_.push_back("title " + t);
        };
        browser_->events.NavigateError = [this](const std::string& url, long status) {
            events_.push_back("error " + url + " " + std::to_string(status));
        };
        EXPECT_TRUE(PumpUntil(
            [] { return FakeRuntime::Log().find(" view created") != std::string::npos; }));
        return *browser_;
    }
    std::string Log() const { return FakeRuntime::Log(); }
    bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }

    Host host_;
    std::unique_ptr<IBrowser> browser_;
    std::vector<std::string> events_;
    std::vector<std::string> logged_;
    LogSink previousSink_;
    static inline InstalledRuntime* registered_ = nullptr;
};

TEST_F(ModernBrowser, NavigationRaisesBeforeNavigateTitleAndCompletionAndStylesTheRoot) {
    IBrowser& b = Open();
    b.Navigate("http://127.0.0.1:1/page");
    ASSERT_TRUE(PumpUntil([&] { return b.DocumentUrl() == "http://127.0.0.1:1/page"; }));
    EXPECT_EQ(events_, (std::vector<std::string>{"before http://127.0.0.1:1/page",
                                                 "title http://127.0.0.1:1/page",
                                                 "top http://127.0.0.1:1/page"}));
    EXPECT_EQ(FakeRuntime::Command("0 title 游戏"), 0);
    EXPECT_EQ(events_.back(), "title 游戏");

    ASSERT_TRUE(b.SetRootStyle("overflow", "hidden"));
    Pump(50);
    auto scripts = Lines(Log(), "v");
    bool styled = false;
    for (const auto& line : scripts) {
        styled = styled || (line.find("ExecuteScript") != std::string::npos &&
                            line.find("overflow") != std::string::npos &&
                            line.find("hidden") != std::string::npos);
    }
    EXPECT_TRUE(styled) << Log();
    EXPECT_EQ(b.RootStyle("overflow"), "hidden");
}

TEST_F(ModernBrowser, BeforeNavigateVetoesAppAddressesFromThePageAndFromItsFrames) {
    IBrowser& b = Open();
    b.Navigate("http://127.0.0.1:1/login");
    ASSERT_TRUE(PumpUntil([&] { return !b.DocumentUrl().empty(); }));
    events_.clear();
    // 1: the page's own handler cancelled it.
    EXPECT_EQ(FakeRuntime::Command("0 frame app://close"), 1);
    EXPECT_EQ(FakeRuntime::Command("0 navigate app://relogin"), 1);
    EXPECT_EQ(FakeRuntime::Command("0 frame http://127.0.0.1:1/ad"), 0);
    EXPECT_EQ(events_, (std::vector<std::string>{"before app://close", "before app://relogin",
                                                 "before http://127.0.0.1:1/ad"}));
    EXPECT_EQ(b.DocumentUrl(), "http://127.0.0.1:1/login");
}

bool TakesF11(MSG& msg) {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_F11;
}

TEST_F(ModernBrowser, TheRuntimesKeysReachTheProgramsKeyFilters) {
    Open();
    AddMessageFilter(&TakesF11, FilterOrder::Window);
    const int f11 = FakeRuntime::Command("0 key 0x7A");
    const int letter = FakeRuntime::Command("0 key 0x41");
    RemoveMessageFilter(&TakesF11);
    EXPECT_EQ(f11, 1) << "F11 was not taken by the main window's filter";
    EXPECT_EQ(letter, 0) << "a key nobody takes stays the page's";
}

TEST_F(ModernBrowser, AFailingPageProcessIsReloadedOnceThenTheTabSaysSo) {
    IBrowser& b = Open();
    b.Navigate("http://127.0.0.1:1/game");
    ASSERT_TRUE(PumpUntil([&] { return !b.DocumentUrl().empty(); }));
    FakeRuntime::Command("0 fail 1"); // the render process exited
    Pump(100);
    FakeRuntime::Command("0 fail 1");
    Pump(100);
    size_t reloads = 0;
    for (const auto& line : Lines(Log())) {
        reloads += line.find(" Reload") != std::string::npos;
    }
    EXPECT_EQ(reloads, 1u) << Log();
    EXPECT_TRUE(LogHas(" NavigateToString ")) << Log();
}

TEST_F(ModernBrowser, AnEndedBrowserProcessBringsTheTabBackInANewEnvironment) {
    IBrowser& b = Open();
    b.Navigate("http://127.0.0.1:1/game");
    ASSERT_TRUE(PumpUntil([&] { return !b.DocumentUrl().empty(); }));
    FakeRuntime::ClearLog();
    FakeRuntime::Command("0 fail 0"); // the browser process exited
    ASSERT_TRUE(PumpUntil([this] { return LogHas(" view created"); })) << Log();
    EXPECT_TRUE(LogHas("create first=1")) << "a new environment: " << Log();
    EXPECT_TRUE(PumpUntil([this] { return LogHas(" loaded http://127.0.0.1:1/game"); })) << Log();
}

TEST_F(ModernBrowser, FocusGoesIntoTheViewAndHidingTheWindowHidesTheView) {
    IBrowser& b = Open();
    b.Focus();
    EXPECT_TRUE(LogHas(" MoveFocus 0")) << Log();
    EXPECT_EQ(::GetFocus(), FakeRuntime::Window());
    ShowBrowsersIn(host_.hwnd(), false);
    EXPECT_TRUE(LogHas(" put_IsVisible 0")) << Log();
    ShowBrowsersIn(host_.hwnd(), true);
    EXPECT_TRUE(Log().rfind(" put_IsVisible 1") > Log().find(" put_IsVisible 0")) << Log();
}

TEST_F(ModernBrowser, ZoomAndMuteReachTheView) {
    IBrowser& b = Open();
    b.SetZoom(150);
    EXPECT_TRUE(LogHas(" put_ZoomFactor 150%")) << Log();
    b.SetMuted(true);
    EXPECT_TRUE(LogHas(" put_IsMuted 1")) << Log();
    b.SetMuted(false);
    EXPECT_TRUE(LogHas(" put_IsMuted 0")) << Log();
    EXPECT_TRUE(logged_.empty()) << logged_.front();
}

TEST_F(ModernBrowser, TheCacheCleanerEmptiesTheProfilesDiskCacheAndReportsOnceWhenDone) {
    IBrowser& b = Open();
    b.Navigate("http://127.0.0.1:1/game");
    ASSERT_TRUE(PumpUntil([&] { return !b.DocumentUrl().empty(); }));
    int done = 0;
    bool clearedFirst = false;
    ClearBrowserCaches([&] {
        ++done;
        clearedFirst = LogHas("ClearBrowsingData completed");
    });
    ASSERT_TRUE(PumpUntil([&] { return done > 0; }));
    Pump(100);
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(clearedFirst) << "reported before the runtime was done";
    // Disk cache only (0x100): cookies and history stay.
    EXPECT_TRUE(LogHas(" ClearBrowsingData 0x100 ")) << Log();
}

TEST_F(ModernBrowser, AViewThatComesAfterItsBrowserWentIsClosedAtOnce) {
    ScopedEnv slow("VELM_FAKE_WEBVIEW2_CONTROLLER", "delay:300");
    RECT place{0, 0, 400, 300};
    browser_ = CreateBrowser(BrowserEngine::Modern, host_.hwnd(), place);
    ASSERT_TRUE(browser_);
    ASSERT_TRUE(PumpUntil([this] { return LogHas(" controller requested"); }));
    browser_.reset();
    ASSERT_TRUE(PumpUntil([this] { return LogHas(" view created"); }));
    Pump(100);
    EXPECT_TRUE(LogHas(" Close")) << Log();
    EXPECT_TRUE(LogHas(" controller destroyed\n")) << Log();
}

TEST_F(ModernBrowser, EndingReleasesHandlersThenClosesThenViewsThenTheEnvironment) {
    IBrowser& b = Open();
    b.Navigate("http://127.0.0.1:1/game");
    ASSERT_TRUE(PumpUntil([&] { return !b.DocumentUrl().empty(); }));
    browser_.reset();
    Pump(50);
    ReleaseDeferredBrowsers();
    const std::string log = Log();
    const size_t close = Position(log, " Close\n");
    ASSERT_NE(close, std::string::npos) << log;
    size_t lastRemove = 0;
    for (size_t at = log.find(" remove_"); at != std::string::npos;
         at = log.find(" remove_", at + 1)) {
        lastRemove = at;
    }
    EXPECT_GT(lastRemove, 0u) << "no handler removed";
    EXPECT_LT(lastRemove, close) << log;
    EXPECT_EQ(log.find("never removed"), std::string::npos) << log;
    EXPECT_LT(close, Position(log, " webview destroyed")) << log;
    EXPECT_LT(close, Position(log, " controller destroyed\n")) << log;
    EXPECT_LT(Position(log, " webview destroyed"), Position(log, "environment destroyed")) << log;
    EXPECT_EQ(log.find("still alive"), std::string::npos) << log;
    EXPECT_EQ(FakeRuntime::LiveObjects(), 0) << log;
}

} // namespace
} // namespace velm
