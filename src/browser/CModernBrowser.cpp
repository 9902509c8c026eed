#include "browser/CModernBrowser.h"

#include "base/Log.h"
#include "base/Text.h"
#include "base/Window.h"
#include "base/WindowObject.h"
#include "browser/ModernRuntime.h"
#include "browser/ModernScript.h"
#include "browser/WebView2Handler.h"

#include <objbase.h>
#include <wininet.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace velm {
namespace {

// A string the runtime allocated, as UTF-8; the runtime's memory is freed.
std::string TakeString(LPWSTR text) {
    std::string out = text ? Narrow(text) : std::string();
    ::CoTaskMemFree(text);
    return out;
}

void Check(const char* call, HRESULT hr) {
    if (FAILED(hr)) {
        LogCallFailed(std::string("WebView2: ") + call, static_cast<unsigned long>(hr));
    }
}

constexpr const wchar_t* kRootHtmlScript =
    L"(function(){var r=document.documentElement;return r?r.innerHTML:null;})()";

// What a tab shows when its page's process failed twice in a row.
constexpr const char* kFailurePage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>页面出错</title></head>"
    "<body style=\"font:14px sans-serif;margin:40px;color:#333\"><h3>页面出错</h3>"
    "<p>显示这个页面的进程接连两次意外结束，已不再自动重新加载。</p>"
    "<p>请稍后从菜单选择“刷新”再试。</p></body></html>";

// The runtime's reason for a failed navigation in the terms the other engines report theirs: the
// matching WinINet error as an HRESULT, or the HTTP status it stands for.
long ErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS status) {
    auto wininet = [](DWORD error) { return static_cast<long>(HRESULT_FROM_WIN32(error)); };
    switch (status) {
    case COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_COMMON_NAME_IS_INCORRECT:
        return wininet(ERROR_INTERNET_SEC_CERT_CN_INVALID);
    case COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_EXPIRED:
        return wininet(ERROR_INTERNET_SEC_CERT_DATE_INVALID);
    case COREWEBVIEW2_WEB_ERROR_STATUS_CLIENT_CERTIFICATE_CONTAINS_ERRORS:
        return wininet(ERROR_INTERNET_SEC_CERT_ERRORS);
    case COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_REVOKED:
        return wininet(ERROR_INTERNET_SEC_CERT_REVOKED);
    case COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID:
        return wininet(ERROR_INTERNET_SEC_INVALID_CERT);
    case COREWEBVIEW2_WEB_ERROR_STATUS_SERVER_UNREACHABLE:
        return wininet(ERROR_INTERNET_SERVER_UNREACHABLE);
    case COREWEBVIEW2_WEB_ERROR_STATUS_TIMEOUT:
        return wininet(ERROR_INTERNET_TIMEOUT);
    case COREWEBVIEW2_WEB_ERROR_STATUS_ERROR_HTTP_INVALID_SERVER_RESPONSE:
        return wininet(ERROR_HTTP_INVALID_SERVER_RESPONSE);
    case COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED:
        return wininet(ERROR_INTERNET_CONNECTION_ABORTED);
    case COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_RESET:
        return wininet(ERROR_INTERNET_CONNECTION_RESET);
    case COREWEBVIEW2_WEB_ERROR_STATUS_DISCONNECTED:
        return wininet(ERROR_INTERNET_DISCONNECTED);
    case COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT:
        return wininet(ERROR_INTERNET_CANNOT_CONNECT);
    case COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED:
        return wininet(ERROR_INTERNET_NAME_NOT_RESOLVED);
    case COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED:
        return static_cast<long>(E_ABORT);
    case COREWEBVIEW2_WEB_ERROR_STATUS_REDIRECT_FAILED:
        return wininet(ERROR_HTTP_REDIRECT_FAILED);
    case COREWEBVIEW2_WEB_ERROR_STATUS_VALID_AUTHENTICATION_CREDENTIALS_REQUIRED:
        return 401;
    case COREWEBVIEW2_WEB_ERROR_STATUS_VALID_PROXY_AUTHENTICATION_REQUIRED:
        return 407;
    case COREWEBVIEW2_WEB_ERROR_STATUS_UNEXPECTED_ERROR:
        return static_cast<long>(E_UNEXPECTED);
    default:
        return static_cast<long>(E_FAIL);
    }
}

} // namespace

// The browser's state, shared with the runtime's handlers (which hold it weakly) and, when the
// browser goes inside one of its own events, with the list of views still to close.
struct CModernBrowser::Core : std::enable_shared_from_this<Core> {
    class Host final : public Window {
    public:
        explicit Host(Core* core) : core_(core) {}
        ~Host() override = default;
        bool Create(HWND parent, const RECT& place) {
            ClassInfo cls;
            cls.name = L"velm.ModernBrowser";
            return CreateFor(cls, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place.left,
                             place.top, place.right - place.left, place.bottom - place.top,
                             parent) != nullptr;
        }
        void Destroy() { DestroyNow(); }

    protected:
        LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    private:
        Core* core_;
    };

    IBrowser* owner = nullptr;
    Host host{this};
    std::string profile;
    ComPtr<ICoreWebView2Environment> environment;
    ComPtr<ICoreWebView2Controller> controller;
    ComPtr<ICoreWebView2> view;
    struct Token {
        EventRegistrationToken token{};
        bool added = false;
    };
    Token navigationStarting, frameNavigationStarting, navigationCompleted, titleChanged,
        acceleratorKey, processFailed, fullScreen;

    // Kept until the view exists.
    std::string pendingUrl;
    std::string pendingHtml; // a page of ours, shown instead of pendingUrl
    bool pendingRefresh = false;
    bool focusWanted = false;
    bool suppressMenu = false;
    bool visible = true;
    int zoom = 100;
    bool muted = false;
    // What the host shows when no view could be made.
    std::string failure;

    // The top document: a number per top-level navigation, and what script said of it.
    unsigned long long navigation = 0;
    // The runtime's id of the top-level navigation under way, and those this side cancelled:
    // the runtime completes a cancelled or superseded navigation too, which is no document.
    UINT64 topNavigationId = 0;
    std::vector<UINT64> cancelledIds;
    bool documentReady = false;
    bool hasRoot = false;
    std::string url;
    std::string innerHtml;
    std::map<std::string, std::string> styles;

    DWORD lastProcessFailure = 0;
    bool reloadedAfterFailure = false;
    int eventDepth = 0;

    // Raises one of the owner's events; the handler may destroy the owner.
    template <class Raise> void RaiseEvent(Raise&& raise) {
        if (!owner) {
            return;
        }
        ++eventDepth;
        Guarded("CModernBrowser: event handler", [&] { raise(*owner); });
        --eventDepth;
    }

    void Attach(ICoreWebView2Environment* env);
    void OnControllerCreated(HRESULT result, ICoreWebView2Controller* created);
    void AddHandlers();
    void RemoveHandlers() noexcept;
    void CloseView() noexcept;
    void Fit();
    // The zoom and mute asked for, given to the view (kept until it exists).
    void ApplyZoom();
    void ApplyMuted();
    void OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* args, bool frame);
    void OnNavigationCompleted(ICoreWebView2NavigationCompletedEventArgs* args);
    void FinishDocument(unsigned long long number, bool ok, const std::string& address,
                        HRESULT scriptResult, LPCWSTR json);
    void OnAcceleratorKey(ICoreWebView2AcceleratorKeyPressedEventArgs* args);
    void OnProcessFailed(ICoreWebView2ProcessFailedEventArgs* args);
    std::string Source() const;
    void RunScript(const std::wstring& script);
};

namespace {

std::vector<std::shared_ptr<CModernBrowser::Core>> g_closing;
// Every browser's state, for the work that spans them (the cache cleaner).
std::vector<std::weak_ptr<CModernBrowser::Core>> g_cores;
UINT_PTR g_closingTimer = 0;

void CloseWaiting() noexcept {
    if (g_closingTimer) {
        ::KillTimer(nullptr, g_closingTimer);
        g_closingTimer = 0;
    }
    while (!g_closing.empty()) {
        auto closing = std::move(g_closing);
        g_closing.clear();
        for (auto& core : closing) {
            core->CloseView();
            core->host.Destroy();
        }
    }
}

void CALLBACK CloseWaitingTimer(HWND, UINT, UINT_PTR, DWORD) {
    CloseWaiting();
}

} // namespace

LRESULT CModernBrowser::Core::Host::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        core_->Fit();
        return 0;
    case WM_SETFOCUS:
        if (core_->controller) {
            Check("ICoreWebView2Controller::MoveFocus",
                  core_->controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
        } else {
            core_->focusWanted = true;
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        ::FillRect(dc, &ps.rcPaint, ::GetSysColorBrush(COLOR_WINDOW));
        if (!core_->failure.empty()) {
            RECT r{};
            ::GetClientRect(hwnd, &r);
            ::SetBkMode(dc, TRANSPARENT);
            const std::wstring text = Widen(core_->failure);
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return Window::WndProc(hwnd, msg, wParam, lParam);
    }
}

std::unique_ptr<IBrowser> CModernBrowser::Create(HWND parent, const RECT& place) {
    std::unique_ptr<CModernBrowser> self(new CModernBrowser());
    self->core_ = std::make_shared<Core>();
    Core& core = *self->core_;
    core.owner = self.get();
    core.profile = BrowserProfile();
    std::erase_if(g_cores, [](const std::weak_ptr<Core>& c) { return c.expired(); });
    g_cores.push_back(self->core_);
    if (!core.host.Create(parent, place)) {
        return nullptr;
    }
    ModernRuntime::Start();
    if (ModernRuntime::HasFailed()) {
        return nullptr;
    }
    std::weak_ptr<Core> weak = self->core_;
    ModernRuntime::WhenReady([weak](ICoreWebView2Environment* env) {
        if (auto core = weak.lock()) {
            core->Attach(env);
        }
    });
    return self;
}

CModernBrowser::~CModernBrowser() {
    Core& core = *core_;
    core.owner = nullptr;
    if (core.eventDepth == 0) {
        core.CloseView();
        core.host.Destroy();
        return;
    }
    // The runtime is still inside the call that raised the event: the view is hidden now and
    // closed once that call has returned.
    if (core.controller) {
        core.controller->put_IsVisible(FALSE);
    }
    if (core.host.hWnd()) {
        ::ShowWindow(core.host.hWnd(), SW_HIDE);
    }
    g_closing.push_back(core_);
    if (!g_closingTimer) {
        g_closingTimer = ::SetTimer(nullptr, 0, 0, &CloseWaitingTimer);
    }
}

void ReleaseModernBrowsers() noexcept {
    CloseWaiting();
    ModernRuntime::Release();
}

void CModernBrowser::Core::Attach(ICoreWebView2Environment* env) {
    if (!owner || controller) {
        return;
    }
    if (!env) {
        failure = "页面无法显示：浏览器组件未能启动。";
        if (host.hWnd()) {
            ::InvalidateRect(host.hWnd(), nullptr, TRUE);
        }
        return;
    }
    environment = ComPtr<ICoreWebView2Environment>::Attach((env->AddRef(), env));
    std::weak_ptr<Core> weak = weak_from_this();
    auto handler = ControllerCompletedHandler::Make(
        "CModernBrowser: view created", [weak](HRESULT result, ICoreWebView2Controller* created) {
            auto core = weak.lock();
            if (!core || !core->owner) {
                // The browser went before its view came: the view goes at once.
                if (created) {
                    Check("ICoreWebView2Controller::Close (late view)", created->Close());
                }
                return;
            }
            core->OnControllerCreated(result, created);
        });
    HRESULT hr = E_NOINTERFACE;
    // A profile of its own where the runtime has profiles; an older one shares its default.
    auto env10 = environment.As<ICoreWebView2Environment10>(IID_ICoreWebView2Environment10);
    if (!profile.empty() && env10) {
        ComPtr<ICoreWebView2ControllerOptions> options;
        hr = env10->CreateCoreWebView2ControllerOptions(options.put());
        if (SUCCEEDED(hr) && options) {
            const std::wstring name = Widen(profile);
            Check("ICoreWebView2ControllerOptions::put_ProfileName",
                  options->put_ProfileName(name.c_str()));
            hr = env10->CreateCoreWebView2ControllerWithOptions(host.hWnd(), options.get(),
                                                                handler.get());
            Check("ICoreWebView2Environment10::CreateCoreWebView2ControllerWithOptions", hr);
        } else {
            Check("ICoreWebView2Environment10::CreateCoreWebView2ControllerOptions",
                  FAILED(hr) ? hr : E_POINTER);
        }
    } else if (!profile.empty()) {
        LogError("WebView2: this runtime has no profiles; " + profile + " shares the default one");
    }
    if (FAILED(hr)) {
        hr = environment->CreateCoreWebView2Controller(host.hWnd(), handler.get());
    }
    if (FAILED(hr)) {
        Check("ICoreWebView2Environment::CreateCoreWebView2Controller", hr);
        failure = "页面无法显示：浏览器组件未能启动。";
        ::InvalidateRect(host.hWnd(), nullptr, TRUE);
    }
}

void CModernBrowser::Core::OnControllerCreated(HRESULT result, ICoreWebView2Controller* created) {
    if (FAILED(result) || !created) {
        Check("creating the view", FAILED(result) ? result : E_POINTER);
        failure = "页面无法显示：浏览器组件未能启动。";
        ::InvalidateRect(host.hWnd(), nullptr, TRUE);
        return;
    }
    if (controller) {
        Check("ICoreWebView2Controller::Close (second view)", created->Close());
        return;
    }
    controller = ComPtr<ICoreWebView2Controller>::Attach((created->AddRef(), created));
    HRESULT hr = controller->get_CoreWebView2(view.put());
    if (FAILED(hr) || !view) {
        Check("ICoreWebView2Controller::get_CoreWebView2", FAILED(hr) ? hr : E_POINTER);
        CloseView();
        failure = "页面无法显示：浏览器组件未能启动。";
        ::InvalidateRect(host.hWnd(), nullptr, TRUE);
        return;
    }
    ComPtr<ICoreWebView2Settings> settings;
    hr = view->get_Settings(settings.put());
    if (SUCCEEDED(hr) && settings) {
        Check("ICoreWebView2Settings::put_AreDefaultContextMenusEnabled",
              settings->put_AreDefaultContextMenusEnabled(suppressMenu ? FALSE : TRUE));
    } else {
        Check("ICoreWebView2::get_Settings", FAILED(hr) ? hr : E_POINTER);
    }
    AddHandlers();
    Fit();
    Check("ICoreWebView2Controller::put_IsVisible", controller->put_IsVisible(visible));
    ApplyZoom();
    ApplyMuted();
    if (!pendingHtml.empty()) {
        const std::wstring page = Widen(pendingHtml);
        pendingHtml.clear();
        pendingUrl.clear();
        pendingRefresh = false;
        Check("ICoreWebView2::NavigateToString", view->NavigateToString(page.c_str()));
    } else if (!pendingUrl.empty()) {
        const std::wstring address = Widen(pendingUrl);
        pendingUrl.clear();
        pendingRefresh = false;
        Check("ICoreWebView2::Navigate", view->Navigate(address.c_str()));
    } else if (pendingRefresh) {
        pendingRefresh = false;
        Check("ICoreWebView2::Reload", view->Reload());
    }
    if (focusWanted) {
        focusWanted = false;
        Check("ICoreWebView2Controller::MoveFocus",
              controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
    }
}

void CModernBrowser::Core::AddHandlers() {
    std::weak_ptr<Core> weak = weak_from_this();
    auto starting = [weak](bool frame) {
        return NavigationStartingHandler::Make(
            "CModernBrowser: navigation starting",
            [weak, frame](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
                if (auto core = weak.lock()) {
                    core->OnNavigationStarting(args, frame);
                }
            });
    };
    Check("ICoreWebView2::add_NavigationStarting",
          view->add_NavigationStarting(starting(false).get(), &navigationStarting.token));
    navigationStarting.added = true;
    Check("ICoreWebView2::add_FrameNavigationStarting",
          view->add_FrameNavigationStarting(starting(true).get(), &frameNavigationStarting.token));
    frameNavigationStarting.added = true;
    Check("ICoreWebView2::add_NavigationCompleted",
          view->add_NavigationCompleted(
              NavigationCompletedHandler::Make(
                  "CModernBrowser: navigation completed",
                  [weak](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
                      if (auto core = weak.lock()) {
                          core->OnNavigationCompleted(args);
                      }
                  })
                  .get(),
              &navigationCompleted.token));
    navigationCompleted.added = true;
    Check("ICoreWebView2::add_DocumentTitleChanged",
          view->add_DocumentTitleChanged(
              TitleChangedHandler::Make("CModernBrowser: title changed",
                                        [weak](ICoreWebView2*, IUnknown*) {
                                            auto core = weak.lock();
                                            if (!core || !core->view) {
                                                return;
                                            }
                                            LPWSTR title = nullptr;
                                            HRESULT hr = core->view->get_DocumentTitle(&title);
                                            if (FAILED(hr)) {
                                                Check("ICoreWebView2::get_DocumentTitle", hr);
                                                return;
                                            }
                                            const std::string text = TakeString(title);
                                            core->RaiseEvent([&](IBrowser& b) {
                                                if (auto handler = b.events.TitleChange) {
                                                    handler(text);
                                                }
                                            });
                                        })
                  .get(),
              &titleChanged.token));
    titleChanged.added = true;
    Check("ICoreWebView2Controller::add_AcceleratorKeyPressed",
          controller->add_AcceleratorKeyPressed(
              AcceleratorKeyHandler::Make(
                  "CModernBrowser: key",
                  [weak](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* a) {
                      if (auto core = weak.lock()) {
                          core->OnAcceleratorKey(a);
                      }
                  })
                  .get(),
              &acceleratorKey.token));
    acceleratorKey.added = true;
    Check("ICoreWebView2::add_ProcessFailed",
          view->add_ProcessFailed(
              ProcessFailedHandler::Make(
                  "CModernBrowser: process failed",
                  [weak](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) {
                      if (auto core = weak.lock()) {
                          core->OnProcessFailed(args);
                      }
                  })
                  .get(),
              &processFailed.token));
    processFailed.added = true;
    Check("ICoreWebView2::add_ContainsFullScreenElementChanged",
          view->add_ContainsFullScreenElementChanged(
              FullScreenChangedHandler::Make("CModernBrowser: full screen",
                                             [weak](ICoreWebView2*, IUnknown*) {
                                                 auto core = weak.lock();
                                                 if (!core || !core->view) {
                                                     return;
                                                 }
                                                 BOOL full = FALSE;
                                                 HRESULT hr =
                                                     core->view->get_ContainsFullScreenElement(
                                                         &full);
                                                 if (FAILED(hr)) {
                                                     Check("ICoreWebView2::get_"
                                                           "ContainsFullScreenElement",
                                                           hr);
                                                     return;
                                                 }
                                                 core->RaiseEvent([&](IBrowser& b) {
                                                     if (auto handler = b.events.FullScreenChange) {
                                                         handler(full != FALSE);
                                                     }
                                                 });
                                             })
                  .get(),
              &fullScreen.token));
    fullScreen.added = true;
}

void CModernBrowser::Core::RemoveHandlers() noexcept {
    auto remove = [](Token& t, auto&& call) {
        if (t.added) {
            t.added = false;
            call(t.token);
        }
    };
    if (view) {
        remove(navigationStarting, [this](EventRegistrationToken t) {
            Check("ICoreWebView2::remove_NavigationStarting", view->remove_NavigationStarting(t));
        });
        remove(frameNavigationStarting, [this](EventRegistrationToken t) {
            Check("ICoreWebView2::remove_FrameNavigationStarting",
                  view->remove_FrameNavigationStarting(t));
        });
        remove(navigationCompleted, [this](EventRegistrationToken t) {
            Check("ICoreWebView2::remove_NavigationCompleted", view->remove_NavigationCompleted(t));
        });
        remove(titleChanged, [this](EventRegistrationToken t) {
            Check("ICoreWebView2::remove_DocumentTitleChanged",
                  view->remove_DocumentTitleChanged(t));
        });
        remove(processFailed, [this](EventRegistrationToken t) {
            Check("ICoreWebView2::remove_ProcessFailed", view->remove_ProcessFailed(t));
        });
        remove(fullScreen, [this](EventRegistrationToken t) {
            Check("ICoreWebView2::remove_ContainsFullScreenElementChanged",
                  view->remove_ContainsFullScreenElementChanged(t));
        });
    }
    if (controller) {
        remove(acceleratorKey, [this](EventRegistrationToken t) {
            Check("ICoreWebView2Controller::remove_AcceleratorKeyPressed",
                  controller->remove_AcceleratorKeyPressed(t));
        });
    }
}

void CModernBrowser::Core::CloseView() noexcept {
    // Handlers first, then the view closed, then the runtime's objects released, the
    // environment last.
    RemoveHandlers();
    if (controller) {
        Check("ICoreWebView2Controller::Close", controller->Close());
    }
    view.reset();
    controller.reset();
    environment.reset();
}

void CModernBrowser::Core::Fit() {
    if (!controller || !host.hWnd()) {
        return;
    }
    RECT r{};
    ::GetClientRect(host.hWnd(), &r);
    Check("ICoreWebView2Controller::put_Bounds", controller->put_Bounds(r));
}

std::string CModernBrowser::Core::Source() const {
    if (!view) {
        return {};
    }
    LPWSTR source = nullptr;
    HRESULT hr = view->get_Source(&source);
    if (FAILED(hr)) {
        Check("ICoreWebView2::get_Source", hr);
        return {};
    }
    return TakeString(source);
}

void CModernBrowser::Core::RunScript(const std::wstring& script) {
    if (!view) {
        return;
    }
    auto done = ScriptCompletedHandler::Make("CModernBrowser: script", [](HRESULT hr, LPCWSTR) {
        Check("ICoreWebView2::ExecuteScript (completion)", hr);
    });
    Check("ICoreWebView2::ExecuteScript", view->ExecuteScript(script.c_str(), done.get()));
}

void CModernBrowser::Core::OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* args,
                                                bool frame) {
    if (!args) {
        return;
    }
    LPWSTR uri = nullptr;
    HRESULT hr = args->get_Uri(&uri);
    if (FAILED(hr)) {
        Check("ICoreWebView2NavigationStartingEventArgs::get_Uri", hr);
        return;
    }
    const std::string address = TakeString(uri);
    bool cancel = false;
    RaiseEvent([&](IBrowser& b) {
        if (auto handler = b.events.BeforeNavigate2) {
            handler(address, cancel);
        }
    });
    UINT64 id = 0;
    const bool hasId = SUCCEEDED(args->get_NavigationId(&id));
    if (cancel) {
        Check("ICoreWebView2NavigationStartingEventArgs::put_Cancel", args->put_Cancel(TRUE));
        if (hasId && !frame) {
            if (cancelledIds.size() >= 16) {
                cancelledIds.erase(cancelledIds.begin());
            }
            cancelledIds.push_back(id);
        }
        return;
    }
    if (!frame) {
        if (hasId) {
            topNavigationId = id;
        }
        // A new top document: what script said of the last one no longer holds.
        ++navigation;
        documentReady = false;
        hasRoot = false;
        innerHtml.clear();
        styles.clear();
    }
}

void CModernBrowser::Core::OnNavigationCompleted(ICoreWebView2NavigationCompletedEventArgs* args) {
    UINT64 id = 0;
    if (args && SUCCEEDED(args->get_NavigationId(&id))) {
        auto cancelled = std::find(cancelledIds.begin(), cancelledIds.end(), id);
        if (cancelled != cancelledIds.end()) {
            cancelledIds.erase(cancelled);
            return; // vetoed here: the page stays as it was
        }
        if (id != topNavigationId) {
            return; // superseded by a later one
        }
    }
    BOOL ok = FALSE;
    if (args) {
        Check("ICoreWebView2NavigationCompletedEventArgs::get_IsSuccess", args->get_IsSuccess(&ok));
    }
    const std::string address = Source();
    if (!ok && args) {
        COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
        Check("ICoreWebView2NavigationCompletedEventArgs::get_WebErrorStatus",
              args->get_WebErrorStatus(&status));
        RaiseEvent([&](IBrowser& b) {
            if (auto handler = b.events.NavigateError) {
                handler(address, ErrorStatus(status));
            }
        });
        if (!owner) {
            return;
        }
    }
    const unsigned long long number = navigation;
    if (!ok || !view) {
        FinishDocument(number, false, address, S_OK, nullptr);
        return;
    }
    std::weak_ptr<Core> weak = weak_from_this();
    auto done = ScriptCompletedHandler::Make(
        "CModernBrowser: root element read", [weak, number, address](HRESULT hr, LPCWSTR json) {
            if (auto core = weak.lock()) {
                core->FinishDocument(number, true, address, hr, json);
            }
        });
    HRESULT hr = view->ExecuteScript(kRootHtmlScript, done.get());
    if (FAILED(hr)) {
        FinishDocument(number, true, address, hr, nullptr);
    }
}

void CModernBrowser::Core::FinishDocument(unsigned long long number, bool ok,
                                          const std::string& address, HRESULT scriptResult,
                                          LPCWSTR json) {
    if (number != navigation || !owner) {
        return; // another top document has started since
    }
    Check("ICoreWebView2::ExecuteScript (root element)", scriptResult);
    std::optional<std::wstring> html;
    if (ok && SUCCEEDED(scriptResult) && json) {
        html = JsonStringValue(json);
    }
    documentReady = true;
    hasRoot = html.has_value();
    // A navigation that failed counts as an empty page, whatever error page the runtime shows.
    innerHtml = html ? Narrow(*html) : std::string();
    url = address;
    RaiseEvent([&](IBrowser& b) {
        if (auto handler = b.events.DocumentComplete) {
            handler(address, true);
        }
    });
}

void CModernBrowser::Core::OnAcceleratorKey(ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
    if (!args || !host.hWnd()) {
        return;
    }
    COREWEBVIEW2_KEY_EVENT_KIND kind = COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN;
    UINT key = 0;
    INT lParam = 0;
    if (FAILED(args->get_KeyEventKind(&kind)) || FAILED(args->get_VirtualKey(&key)) ||
        FAILED(args->get_KeyEventLParam(&lParam))) {
        LogError("WebView2: the accelerator key event gave no key");
        return;
    }
    static constexpr UINT kMessages[] = {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP};
    if (static_cast<unsigned>(kind) > 3) {
        return;
    }
    // The key as this thread's queue would have carried it, to the program's key filters (the
    // main window's own keys first).
    MSG msg{};
    msg.hwnd = host.hWnd();
    msg.message = kMessages[kind];
    msg.wParam = key;
    msg.lParam = static_cast<LPARAM>(static_cast<unsigned>(lParam));
    msg.time = static_cast<DWORD>(::GetMessageTime());
    bool taken = false;
    ++eventDepth;
    taken = FilterKey(msg);
    --eventDepth;
    if (taken) {
        Check("ICoreWebView2AcceleratorKeyPressedEventArgs::put_Handled", args->put_Handled(TRUE));
    }
}

void CModernBrowser::Core::OnProcessFailed(ICoreWebView2ProcessFailedEventArgs* args) {
    COREWEBVIEW2_PROCESS_FAILED_KIND kind = COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED;
    if (!args || FAILED(args->get_ProcessFailedKind(&kind))) {
        return;
    }
    if (kind == COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED) {
        // Every view of the environment is gone with it. This one comes back in a new one, at
        // the address it showed.
        LogError("WebView2: the browser process ended under " + url);
        ModernRuntime::BrowserProcessExited(environment.get());
        const std::string again = url.empty() ? pendingUrl : url;
        CloseView();
        pendingUrl = again;
        documentReady = false;
        std::weak_ptr<Core> weak = weak_from_this();
        ModernRuntime::WhenReady([weak](ICoreWebView2Environment* env) {
            if (auto core = weak.lock()) {
                core->Attach(env);
            }
        });
        return;
    }
    if (kind != COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED &&
        kind != COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE &&
        kind != COREWEBVIEW2_PROCESS_FAILED_KIND_FRAME_RENDER_PROCESS_EXITED) {
        LogError("WebView2: a helper process failed (kind " + std::to_string(kind) + ")");
        return; // the runtime starts its helpers again by itself
    }
    const DWORD now = ::GetTickCount();
    const bool again =
        reloadedAfterFailure && now - lastProcessFailure < CModernBrowser::kRepeatedFailureMs;
    lastProcessFailure = now;
    if (again) {
        LogError("WebView2: the page's process failed again (kind " + std::to_string(kind) +
                 "); the tab says so: " + url);
        reloadedAfterFailure = false;
        const std::wstring page = Widen(kFailurePage);
        Check("ICoreWebView2::NavigateToString", view->NavigateToString(page.c_str()));
        return;
    }
    LogError("WebView2: the page's process failed (kind " + std::to_string(kind) + "); reloading " +
             url);
    reloadedAfterFailure = true;
    Check("ICoreWebView2::Reload", view->Reload());
}

void ClearBrowserCaches(std::function<void()> done) {
    struct Pending {
        int left = 1; // the loop below holds one
        std::function<void()> done;
        void Finish() {
            if (--left == 0 && done) {
                auto call = std::move(done);
                done = nullptr;
                call();
            }
        }
    };
    auto pending = std::make_shared<Pending>();
    pending->done = std::move(done);
    std::vector<std::string> cleared;
    for (const auto& weak : g_cores) {
        auto core = weak.lock();
        if (!core || !core->view) {
            continue;
        }
        auto view13 = core->view.As<ICoreWebView2_13>(IID_ICoreWebView2_13);
        ComPtr<ICoreWebView2Profile> profile;
        HRESULT hr = view13 ? view13->get_Profile(profile.put()) : E_NOINTERFACE;
        auto profile2 =
            profile ? profile.As<ICoreWebView2Profile2>(IID_ICoreWebView2Profile2) : nullptr;
        if (FAILED(hr) || !profile2) {
            Check("the view's profile (ICoreWebView2_13, ICoreWebView2Profile2)",
                  FAILED(hr) ? hr : E_NOINTERFACE);
            continue;
        }
        LPWSTR raw = nullptr;
        std::string name = SUCCEEDED(profile2->get_ProfileName(&raw)) ? TakeString(raw) : "";
        if (std::find(cleared.begin(), cleared.end(), name) != cleared.end()) {
            continue;
        }
        cleared.push_back(name);
        ++pending->left;
        auto handler = ClearBrowsingDataHandler::Make(
            "ClearBrowserCaches: profile emptied", [pending, name](HRESULT result) {
                Check(("ICoreWebView2Profile2::ClearBrowsingData (completion) " + name).c_str(),
                      result);
                pending->Finish();
            });
        hr =
            profile2->ClearBrowsingData(COREWEBVIEW2_BROWSING_DATA_KINDS_DISK_CACHE, handler.get());
        if (FAILED(hr)) {
            Check(("ICoreWebView2Profile2::ClearBrowsingData " + name).c_str(), hr);
            pending->Finish();
        }
    }
    pending->Finish();
}

HWND CModernBrowser::hWnd() const {
    return core_->host.hWnd();
}

void CModernBrowser::Move(int left, int top, int width, int height) {
    if (HWND h = core_->host.hWnd()) {
        // The host's size change fits the view to it (physical pixels).
        ::MoveWindow(h, left, top, width, height, TRUE);
    }
}

void CModernBrowser::Navigate(const std::string& url) {
    Core& core = *core_;
    if (!core.view) {
        core.pendingUrl = url;
        core.pendingHtml.clear();
        return;
    }
    const std::wstring address = Widen(url);
    Check("ICoreWebView2::Navigate", core.view->Navigate(address.c_str()));
}

void CModernBrowser::ShowHtml(const std::string& html) {
    Core& core = *core_;
    if (!core.view) {
        core.pendingHtml = html;
        return;
    }
    const std::wstring page = Widen(html);
    Check("ICoreWebView2::NavigateToString", core.view->NavigateToString(page.c_str()));
}

void CModernBrowser::Refresh() {
    Core& core = *core_;
    if (!core.view) {
        core.pendingRefresh = true;
        return;
    }
    Check("ICoreWebView2::Reload", core.view->Reload());
}

std::string CModernBrowser::DocumentUrl() const {
    return core_->documentReady ? core_->url : std::string();
}

std::string CModernBrowser::RootInnerHtml() const {
    return core_->innerHtml;
}

bool CModernBrowser::SetRootStyle(const std::string& name, const std::string& value) {
    Core& core = *core_;
    if (!core.documentReady || !core.hasRoot || !core.view) {
        return false;
    }
    core.styles[name] = value;
    core.RunScript(L"(function(){var r=document.documentElement;if(r)r.style[" +
                   ScriptStringLiteral(Widen(name)) + L"]=" + ScriptStringLiteral(Widen(value)) +
                   L";})()");
    return true;
}

std::string CModernBrowser::RootStyle(const std::string& name) const {
    auto it = core_->styles.find(name);
    return it != core_->styles.end() ? it->second : std::string();
}

void CModernBrowser::SuppressContextMenu(bool suppress) {
    Core& core = *core_;
    core.suppressMenu = suppress;
    if (!core.view) {
        return;
    }
    ComPtr<ICoreWebView2Settings> settings;
    HRESULT hr = core.view->get_Settings(settings.put());
    if (FAILED(hr) || !settings) {
        Check("ICoreWebView2::get_Settings", FAILED(hr) ? hr : E_POINTER);
        return;
    }
    Check("ICoreWebView2Settings::put_AreDefaultContextMenusEnabled",
          settings->put_AreDefaultContextMenusEnabled(suppress ? FALSE : TRUE));
}

void CModernBrowser::Focus() {
    Core& core = *core_;
    if (!core.controller) {
        core.focusWanted = true;
        return;
    }
    Check("ICoreWebView2Controller::MoveFocus",
          core.controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
}

void CModernBrowser::Core::ApplyZoom() {
    if (controller) {
        Check("ICoreWebView2Controller::put_ZoomFactor", controller->put_ZoomFactor(zoom / 100.0));
    }
}

void CModernBrowser::Core::ApplyMuted() {
    if (!view) {
        return;
    }
    // The view's own mute came with runtimes of 2021; an older one plays on (logged).
    auto view8 = view.As<ICoreWebView2_8>(IID_ICoreWebView2_8);
    if (!view8) {
        Check("ICoreWebView2::QueryInterface(ICoreWebView2_8)", E_NOINTERFACE);
        return;
    }
    Check("ICoreWebView2_8::put_IsMuted", view8->put_IsMuted(muted ? TRUE : FALSE));
}

void CModernBrowser::SetZoom(int percent) {
    core_->zoom = percent;
    core_->ApplyZoom();
}

void CModernBrowser::SetMuted(bool muted) {
    core_->muted = muted;
    core_->ApplyMuted();
}

void CModernBrowser::ShowView(bool visible) {
    Core& core = *core_;
    core.visible = visible;
    if (core.controller) {
        Check("ICoreWebView2Controller::put_IsVisible",
              core.controller->put_IsVisible(visible ? TRUE : FALSE));
    }
}

bool CModernBrowser::CapturePage(std::function<void(const std::string& png)> done) {
    Core& core = *core_;
    if (!core.view) {
        return false;
    }
    ComPtr<IStream> stream;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    if (FAILED(hr) || !stream) {
        Check("CreateStreamOnHGlobal", FAILED(hr) ? hr : E_POINTER);
        return false;
    }
    auto handler = CapturePreviewHandler::Make(
        "CModernBrowser: picture taken", [stream, done](HRESULT result) {
            std::string png;
            HGLOBAL memory = nullptr;
            STATSTG stat{};
            if (FAILED(result)) {
                Check("ICoreWebView2::CapturePreview (completion)", result);
            } else if (SUCCEEDED(::GetHGlobalFromStream(stream.get(), &memory)) &&
                       SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
                       stat.cbSize.QuadPart <= ::GlobalSize(memory)) {
                if (const void* bytes = ::GlobalLock(memory)) {
                    png.assign(static_cast<const char*>(bytes),
                               static_cast<size_t>(stat.cbSize.QuadPart));
                    ::GlobalUnlock(memory);
                }
            }
            done(png);
        });
    hr = core.view->CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG, stream.get(),
                                   handler.get());
    if (FAILED(hr)) {
        Check("ICoreWebView2::CapturePreview", hr);
        return false;
    }
    return true;
}

ICoreWebView2Controller* CModernBrowser::Controller() const noexcept {
    return core_->controller.get();
}

ICoreWebView2* CModernBrowser::View() const noexcept {
    return core_->view.get();
}

} // namespace velm
