// The page zoom's arithmetic: the steps between 50 % and 200 % and the site a zoom belongs to.
#pragma once

#include <string>
#include <string_view>

namespace velm {

inline constexpr int kZoomDefault = 100;
inline constexpr int kZoomMin = 50;
inline constexpr int kZoomMax = 200;

// The next step up (`direction` > 0) or down (< 0) from `percent`, held within 50..200; a
// percent between two steps goes to the nearer one in that direction.
int NextZoomStep(int percent, int direction);
// The site of an address: its scheme and host, lower case ("http://127.0.0.1"); "" for an
// address without both (about:blank, a file name).
std::string ZoomSite(std::string_view url);

} // namespace velm
