#include "browser/IBrowser.h"

#include "base/WindowObject.h"
#include "browser/CModernBrowser.h"
#include "browser/CSystemBrowser.h"

#include <algorithm>
#include <vector>

namespace velm {
namespace {

std::vector<IBrowser*> g_browsers;
std::string g_profile;

} // namespace

IBrowser::IBrowser() {
    if (g_browsers.empty()) {
        AddMessageFilter(&TranslateBrowserAccelerator, FilterOrder::Page);
    }
    g_browsers.push_back(this);
}

IBrowser::~IBrowser() {
    std::erase(g_browsers, this);
}

bool TranslateBrowserAccelerator(MSG& msg) {
    if (!msg.hwnd || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) {
        return false;
    }
    auto holds = [&msg](IBrowser* b) {
        HWND own = b->hWnd();
        return own && (own == msg.hwnd || ::IsChild(own, msg.hwnd));
    };
    auto it = std::find_if(g_browsers.begin(), g_browsers.end(), holds);
    // The page may close its own browser while it handles the key; nothing here is used after.
    return it != g_browsers.end() && (*it)->TranslateAccelerator(msg);
}

IBrowser* BrowserIn(HWND window) {
    for (IBrowser* b : g_browsers) {
        HWND own = b->hWnd();
        if (own && window && (own == window || ::IsChild(window, own))) {
            return b;
        }
    }
    return nullptr;
}

void ShowBrowsersIn(HWND top, bool visible) {
    const std::vector<IBrowser*> browsers = g_browsers;
    for (IBrowser* b : browsers) {
        HWND own = b->hWnd();
        if (own && top && ::IsChild(top, own)) {
            b->ShowView(visible);
        }
    }
}

void SetBrowserProfile(std::string name) {
    g_profile = std::move(name);
}

const std::string& BrowserProfile() {
    return g_profile;
}

void ReleaseDeferredBrowsers() {
    CSystemBrowser::ReleasePending();
    ReleaseModernBrowsers();
}

} // namespace velm
