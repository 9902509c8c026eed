#include "download/ReleaseVersion.h"

namespace velm {

std::optional<ReleaseVersion> ParseReleaseVersion(std::string_view text) {
    ReleaseVersion version{};
    std::size_t part = 0;
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (digits == 0 || part == version.size()) {
                return std::nullopt;
            }
            version[part++] = static_cast<std::uint16_t>(value);
            value = 0;
            digits = 0;
        } else if (text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
            if (++digits > 5 || value > 0xFFFF) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    return version;
}

int CompareReleaseVersions(const ReleaseVersion& a, const ReleaseVersion& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

bool MayReplace(std::string_view offered, const ReleaseVersion& installed,
                const std::vector<ReleaseVersion>& rollsBack) {
    std::optional<ReleaseVersion> version = ParseReleaseVersion(offered);
    if (!version) {
        return false;
    }
    if (CompareReleaseVersions(*version, installed) > 0) {
        return true;
    }
    for (const ReleaseVersion& named : rollsBack) {
        if (CompareReleaseVersions(named, installed) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace velm
