// Release versions as the client, its manifest and its version resource give them, and the rule
// that decides whether a signed release may replace the installed client. Window-free.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velm {

// major, minor, revision, build: the four 16-bit parts of a version resource.
using ReleaseVersion = std::array<std::uint16_t, 4>;

// "1", "1.10" ... "1.2.3.4": one to four decimal parts of at most 65535, missing parts 0. Empty
// for anything else, so a version the rule cannot order is never taken for a newer one.
std::optional<ReleaseVersion> ParseReleaseVersion(std::string_view text);

// Part by part as numbers, so 1.10.0 is newer than 1.9.0. Negative, zero or positive.
int CompareReleaseVersions(const ReleaseVersion& a, const ReleaseVersion& b);

// Whether the release `offered` may replace `installed`: a newer release always, an older or the
// same one only where its signed manifest names `installed` among the versions it rolls back.
// Every signed manifest ever published stays valid, so without this an old release with a known
// fault could be installed again by anyone who kept its manifest, and a roll-back manifest would
// roll back every later client as well.
bool MayReplace(std::string_view offered, const ReleaseVersion& installed,
                const std::vector<ReleaseVersion>& rollsBack);

} // namespace velm
