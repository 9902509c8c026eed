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
//   downgrade=allowed           optional: the release may replace a newer client (a roll-back)
//   signature=<128 hex digits>  the last line: ECDSA P-256 over SHA-256 of every byte before
//                               this line, as r then s, 32 bytes each, big-endian
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
    BadVersion,      // empty, or with characters other than printable ASCII
    VersionMismatch, // the client would read another line or value as the version
    BadUrl,
    BadSize,
    BadDigest,
    BadDowngrade, // a downgrade line with another value than "allowed"
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
    std::array<std::uint8_t, 64> signature{};
    // The bytes the signature covers: the manifest up to the signature line.
    std::string signedPart;

    static ManifestError Parse(std::string_view bytes, UpdateManifest& out);
};

} // namespace velm
