// The page zoom kept per game site in the settings file.
#pragma once

#include "browser/IBrowser.h"

#include <string>

namespace velm {

// The zoom kept for the site of `url` (100 when none).
int SiteZoom(const std::string& url);
// Shows the page `browser` holds at its site's zoom (a page of that site has just opened).
void ApplySiteZoom(IBrowser& browser, const std::string& url);
// One step larger (`direction` > 0), smaller (< 0), or back to 100 % (0) for the site of the page
// in `browser`; the new zoom is kept for that site.
void ChangeZoom(IBrowser& browser, int direction);

} // namespace velm
