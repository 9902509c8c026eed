#include "browser/IBrowser.h"

#include "base/Log.h"
#include "browser/CBasicBrowser.h"
#include "browser/CModernBrowser.h"
#include "browser/CSystemBrowser.h"
#include "browser/ModernRuntime.h"

#include "BrowserEngine.h"

#include <optional>

namespace velm {
namespace {

BrowserEngine BuiltEngine() {
#if defined(VELM_BROWSER_ENGINE_AUTO)
    return BrowserEngine::Auto;
#elif defined(VELM_BROWSER_ENGINE_MODERN)
    return BrowserEngine::Modern;
#elif defined(VELM_BROWSER_ENGINE_SYSTEM)
    return BrowserEngine::System;
#else
    return BrowserEngine::Basic;
#endif
}

// Support's override: VELM_BROWSER=system|modern|auto.
std::optional<BrowserEngine> EngineOverride() {
    char value[16] = {};
    DWORD n = ::GetEnvironmentVariableA("VELM_BROWSER", value, sizeof(value));
    if (n == 0 || n >= sizeof(value)) {
        return std::nullopt;
    }
    const std::string name(value, n);
    if (name == "system") {
        return BrowserEngine::System;
    }
    if (name == "modern") {
        return BrowserEngine::Modern;
    }
    if (name == "auto") {
        return BrowserEngine::Auto;
    }
    LogError("VELM_BROWSER=" + name + " is not system, modern or auto; ignored");
    return std::nullopt;
}

bool MayUseModern(BrowserEngine engine) {
    return engine == BrowserEngine::Modern || engine == BrowserEngine::Auto;
}

} // namespace

BrowserEngine ConfiguredBrowserEngine() {
    static const BrowserEngine engine = EngineOverride().value_or(BuiltEngine());
    return engine;
}

void PrepareBrowserEngine() {
    if (MayUseModern(ConfiguredBrowserEngine())) {
        ModernRuntime::Start();
    }
}

BrowserEngine ChosenBrowserEngine() {
    static const BrowserEngine chosen = [] {
        const BrowserEngine configured = ConfiguredBrowserEngine();
        if (!MayUseModern(configured)) {
            return configured;
        }
        ModernRuntime::Start();
        if (ModernRuntime::Wait(ModernRuntime::kStartLimitMs)) {
            LogError("Browser engine: modern, WebView2 runtime " + ModernRuntime::Version());
            return BrowserEngine::Modern;
        }
        LogError("Browser engine: system, the WebView2 runtime did not start: " +
                 ModernRuntime::Failure());
        return BrowserEngine::System;
    }();
    return chosen;
}

std::unique_ptr<IBrowser> CreateBrowser(HWND parent, const RECT& place) {
    return CreateBrowser(ChosenBrowserEngine(), parent, place);
}

std::unique_ptr<IBrowser> CreateBrowser(BrowserEngine engine, HWND parent, const RECT& place) {
    switch (engine) {
    case BrowserEngine::Auto:
    case BrowserEngine::Modern:
        if (auto modern = CModernBrowser::Create(parent, place)) {
            return modern;
        }
        LogError("CreateBrowser: the modern engine failed; the system control takes its place");
        return CSystemBrowser::Create(parent, place);
    case BrowserEngine::System:
        return CSystemBrowser::Create(parent, place);
    case BrowserEngine::Basic:
        break;
    }
    return CBasicBrowser::Create(parent, place);
}

} // namespace velm
