// The updater's reading of the update manifest: the client's version line plus the lines that
// tell where the new executable is, how long it is, its SHA-256 digest, and a signature over all
// of that. Window-free, so it is also built and tested natively.
//
// The format (every line ends in CR LF):
//
//   [velm]                      any lines without a key below are allowed and signed
//   version=1.1.1               must be the first line containing "version" in any case
//   url=http://host/path.exe    http or https, printable ASCII without spaces
//   size=1234567                decimal, 1 .. 2147483647
//   sha256=<64 hex digits>      digest of the executable's bytes
//   downgrade=allowed           optional, a roll-back: the release may replace the clients
//   replaces=1.1.2,1.1.3        named here (both lines or neither), though they are as new or newer
//   signature=<128 hex digits>  the last line: ECDSA P-256 over SHA-256 of every byte before
//                               this line, as r then s, 32 bytes each, big-endian
#pragma once

#include "download/ReleaseVersion.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

enum class ManifestError {
    None,
    TooLarge,     // more than kMaxManifestBytes
    BadLineEnd,   // a CR without LF or an LF without CR
    NoSignature,  // the last line is not a signature line
    BadSignature, // the signature line's value is not 128 hex digits
    TextAfterSignature,
    MissingKey,      // version, url, size or sha256 is absent
    DuplicateKey,    // a key appears twice, or a signature line before the last
    BadVersion,      // not one to four decimal numbers of at most 65535 joined by dots
    VersionMismatch, // the client would read another line or value as the version
    BadUrl,
    BadSize,
    BadDigest,
    BadDowngrade, // a downgrade line with another value than "allowed"
    BadReplaces,  // a replaces line that is not a list of versions, or one without the other
};

// A short English name of the error, for logs and test output.
const char* ManifestErrorName(ManifestError error) noexcept;

inline constexpr std::size_t kMaxManifestBytes = 64 * 1024;

struct UpdateManifest {
    std::string version;
    std::string url;
    std::uint32_t size = 0;
    std::array<std::uint8_t, 32> sha256{};
    bool downgradeAllowed = false;
    // The versions a roll-back may replace; empty unless downgradeAllowed.
    std::vector<ReleaseVersion> replaces;
    std::array<std::uint8_t, 64> signature{};
    // The bytes the signature covers: the manifest up to the signature line.
    std::string signedPart;

    static ManifestError Parse(std::string_view bytes, UpdateManifest& out);
};

} // namespace velm
