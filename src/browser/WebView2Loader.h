// Finds the modern web runtime (WebView2) on this machine and loads its EmbeddedBrowserWebView.dll
// by full path, the way the runtime's own loader does: a fixed-version folder named by
// WEBVIEW2_BROWSER_EXECUTABLE_FOLDER (or the machine's policy), else the installed runtime that
// EdgeUpdate registers, stable channel first, machine before user.
#pragma once

#include "browser/ModernScript.h"
#include "browser/WebView2.h"

#include <optional>
#include <string>

namespace velm {

struct WebView2Runtime {
    std::wstring dll;     // full path of EmbeddedBrowserWebView.dll
    std::wstring version; // "138.0.3351.48"
    std::wstring channel; // "" for the stable runtime, else "beta", "dev", "canary", "internal"
    WebView2RuntimeType type = WebView2RuntimeInstalled;
};

// The step that failed and its error code (a system error or an HRESULT).
struct WebView2Failure {
    std::string step;
    unsigned long code = 0;
};

// The runtime to load, or why there is none (ERROR_FILE_NOT_FOUND when none is installed,
// ERROR_PRODUCT_VERSION when every one found is older than kOldestRuntime).
std::optional<WebView2Runtime> FindWebView2Runtime(WebView2Failure& failure);

// Loads the runtime's DLL from its own folder only (what it loads in turn comes from that folder
// or System32) and finds its entry point. The DLL stays loaded for the life of the process.
CreateWebViewEnvironmentWithOptionsInternalProc LoadWebView2Runtime(const WebView2Runtime& runtime,
                                                                    WebView2Failure& failure);

} // namespace velm
