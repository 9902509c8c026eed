#include "browser/IBrowser.h"

#include "browser/CBasicBrowser.h"
#include "browser/CSystemBrowser.h"

#include "BrowserEngine.h"

namespace velm {

BrowserEngine ConfiguredBrowserEngine() {
#if defined(VELM_BROWSER_ENGINE_SYSTEM)
    return BrowserEngine::System;
#else
    return BrowserEngine::Basic;
#endif
}

std::unique_ptr<IBrowser> CreateBrowser(HWND parent, const RECT& place) {
    return CreateBrowser(ConfiguredBrowserEngine(), parent, place);
}

std::unique_ptr<IBrowser> CreateBrowser(BrowserEngine engine, HWND parent, const RECT& place) {
    if (engine == BrowserEngine::System) {
        return CSystemBrowser::Create(parent, place);
    }
    return CBasicBrowser::Create(parent, place);
}

} // namespace velm
