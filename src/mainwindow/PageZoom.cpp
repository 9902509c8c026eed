#include "mainwindow/PageZoom.h"

#include "base/SettingsFile.h"
#include "mainwindow/ZoomSteps.h"

namespace velm {
namespace {
constexpr const char* kSection = "zoom";
}

int SiteZoom(const std::string& url) {
    const std::string site = ZoomSite(url);
    if (site.empty()) {
        return kZoomDefault;
    }
    return static_cast<int>(
        AppSettings().GetLong(kSection, site, kZoomDefault, kZoomMin, kZoomMax));
}

void ApplySiteZoom(IBrowser& browser, const std::string& url) {
    browser.SetZoom(SiteZoom(url));
}

void ChangeZoom(IBrowser& browser, int direction) {
    const std::string url = browser.DocumentUrl();
    const std::string site = ZoomSite(url);
    if (site.empty()) {
        return; // no site to keep it for (a blank page)
    }
    const int zoom = direction == 0 ? kZoomDefault : NextZoomStep(SiteZoom(url), direction);
    Settings& settings = AppSettings();
    if (zoom == kZoomDefault) {
        settings.Erase(kSection, site);
    } else {
        settings.SetLong(kSection, site, zoom);
    }
    SaveAppSettings();
    browser.SetZoom(zoom);
}

} // namespace velm
