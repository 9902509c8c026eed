#include "mainwindow/ZoomSteps.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace velm {
namespace {
constexpr std::array<int, 11> kSteps{50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}
} // namespace

int NextZoomStep(int percent, int direction) {
    if (direction > 0) {
        auto it = std::upper_bound(kSteps.begin(), kSteps.end(), percent);
        return it == kSteps.end() ? kZoomMax : *it;
    }
    if (direction < 0) {
        auto it = std::lower_bound(kSteps.begin(), kSteps.end(), percent);
        return it == kSteps.begin() ? kZoomMin : *(it - 1);
    }
    return std::clamp(percent, kZoomMin, kZoomMax);
}

std::string ZoomSite(std::string_view url) {
    const std::size_t colon = url.find("://");
    if (colon == std::string_view::npos || colon == 0) {
        return {};
    }
    const std::string_view scheme = url.substr(0, colon);
    if (!std::all_of(scheme.begin(), scheme.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
        })) {
        return {};
    }
    std::string_view rest = url.substr(colon + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    // No user name or password in a settings key; no port either: the site is scheme and host.
    const std::size_t at = rest.rfind('@');
    if (at != std::string_view::npos) {
        rest.remove_prefix(at + 1);
    }
    std::string_view host = rest;
    if (!host.empty() && host.front() == '[') {
        host = host.substr(0, host.find(']') + 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    if (host.empty()) {
        return {};
    }
    return Lower(scheme) + "://" + Lower(host);
}

} // namespace velm
