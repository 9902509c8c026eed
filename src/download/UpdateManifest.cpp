#include "download/UpdateManifest.h"

#include "download/Manifest.h"
#include "download/Hex.h"

#include <limits>
#include <vector>

namespace velm {
namespace {

constexpr std::string_view kVersionKey = "version=";
constexpr std::string_view kUrlKey = "url=";
constexpr std::string_view kSizeKey = "size=";
constexpr std::string_view kDigestKey = "sha256=";
constexpr std::string_view kSignatureKey = "signature=";
constexpr std::string_view kDowngradeKey = "downgrade=";
constexpr std::string_view kReplacesKey = "replaces=";
constexpr std::size_t kMaxUrl = 2048;

struct Line {
    std::size_t start; // offset of the line's first byte in the manifest
    std::string_view text;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lowerPrefix[i]) {
            return false;
        }
    }
    return true;
}

bool PrintableWithoutSpace(std::string_view text) {
    for (char c : text) {
        if (c <= 0x20 || c >= 0x7F) {
            return false;
        }
    }
    return true;
}

// Splits at CR LF. Any other CR or LF makes the manifest ambiguous: the client ends lines at a
// bare CR too, so the two readers could disagree about which line is which.
bool SplitLines(std::string_view bytes, std::vector<Line>& lines) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            return false;
        }
        if (bytes[i] == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') {
                return false;
            }
            lines.push_back({start, bytes.substr(start, i - start)});
            start = i + 2;
            ++i;
        }
    }
    if (start < bytes.size()) {
        lines.push_back({start, bytes.substr(start)});
    }
    return true;
}

bool ParseSize(std::string_view text, std::uint32_t& size) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    // The downloader counts in signed 32-bit numbers.
    if (value == 0 ||
        value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    size = static_cast<std::uint32_t>(value);
    return true;
}

// "1.1.2" or "1.1.2,1.1.3": versions as the version line writes them, separated by commas.
bool ParseVersionList(std::string_view text, std::vector<ReleaseVersion>& out) {
    while (true) {
        std::size_t comma = text.find(',');
        std::optional<ReleaseVersion> version = ParseReleaseVersion(text.substr(0, comma));
        if (!version) {
            return false;
        }
        out.push_back(*version);
        if (comma == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(comma + 1);
    }
}

} // namespace

const char* ManifestErrorName(ManifestError error) noexcept {
    switch (error) {
    case ManifestError::None:
        return "none";
    case ManifestError::TooLarge:
        return "too large";
    case ManifestError::BadLineEnd:
        return "bad line end";
    case ManifestError::NoSignature:
        return "no signature";
    case ManifestError::BadSignature:
        return "bad signature text";
    case ManifestError::TextAfterSignature:
        return "text after signature";
    case ManifestError::MissingKey:
        return "missing key";
    case ManifestError::DuplicateKey:
        return "duplicate key";
    case ManifestError::BadVersion:
        return "bad version";
    case ManifestError::VersionMismatch:
        return "version mismatch";
    case ManifestError::BadUrl:
        return "bad url";
    case ManifestError::BadSize:
        return "bad size";
    case ManifestError::BadDigest:
        return "bad digest";
    case ManifestError::BadDowngrade:
        return "bad downgrade";
    case ManifestError::BadReplaces:
        return "bad replaces";
    }
    return "unknown";
}

ManifestError UpdateManifest::Parse(std::string_view bytes, UpdateManifest& out) {
    out = UpdateManifest{};
    if (bytes.size() > kMaxManifestBytes) {
        return ManifestError::TooLarge;
    }
    std::vector<Line> lines;
    if (!SplitLines(bytes, lines)) {
        return ManifestError::BadLineEnd;
    }
    // The signature line is the last line; only an empty line may not follow it (a final CR LF
    // already ends it).
    if (lines.empty() || !StartsWith(lines.back().text, kSignatureKey)) {
        for (const Line& line : lines) {
            if (StartsWith(line.text, kSignatureKey)) {
                return ManifestError::TextAfterSignature;
            }
        }
        return ManifestError::NoSignature;
    }
    const Line signatureLine = lines.back(); // a copy: the line leaves the list below
    if (!DecodeHex(signatureLine.text.substr(kSignatureKey.size()), out.signature.data(),
                   out.signature.size())) {
        return ManifestError::BadSignature;
    }
    lines.pop_back();

    bool haveVersion = false, haveUrl = false, haveSize = false, haveDigest = false;
    bool haveDowngrade = false, haveReplaces = false;
    for (const Line& line : lines) {
        std::string_view text = line.text;
        auto value = [&](std::string_view key) { return text.substr(key.size()); };
        if (StartsWith(text, kSignatureKey)) {
            return ManifestError::DuplicateKey;
        }
        if (StartsWith(text, kVersionKey)) {
            if (haveVersion) {
                return ManifestError::DuplicateKey;
            }
            haveVersion = true;
            out.version = std::string(value(kVersionKey));
            // A version no client can order is one no client would ever install.
            if (!PrintableWithoutSpace(out.version) || !ParseReleaseVersion(out.version)) {
                return ManifestError::BadVersion;
            }
        } else if (StartsWith(text, kUrlKey)) {
            if (haveUrl) {
                return ManifestError::DuplicateKey;
            }
            haveUrl = true;
            out.url = std::string(value(kUrlKey));
            bool scheme =
                StartsWithNoCase(out.url, "http://") || StartsWithNoCase(out.url, "https://");
            if (!scheme || out.url.size() > kMaxUrl || !PrintableWithoutSpace(out.url) ||
                out.url.find_first_of("/", out.url.find("//") + 2) == std::string::npos) {
                return ManifestError::BadUrl;
            }
        } else if (StartsWith(text, kSizeKey)) {
            if (haveSize) {
                return ManifestError::DuplicateKey;
            }
            haveSize = true;
            if (!ParseSize(value(kSizeKey), out.size)) {
                return ManifestError::BadSize;
            }
        } else if (StartsWith(text, kDigestKey)) {
            if (haveDigest) {
                return ManifestError::DuplicateKey;
            }
            haveDigest = true;
            if (!DecodeHex(value(kDigestKey), out.sha256.data(), out.sha256.size())) {
                return ManifestError::BadDigest;
            }
        } else if (StartsWith(text, kDowngradeKey)) {
            if (haveDowngrade) {
                return ManifestError::DuplicateKey;
            }
            haveDowngrade = true;
            if (value(kDowngradeKey) != "allowed") {
                return ManifestError::BadDowngrade;
            }
            out.downgradeAllowed = true;
        } else if (StartsWith(text, kReplacesKey)) {
            if (haveReplaces) {
                return ManifestError::DuplicateKey;
            }
            haveReplaces = true;
            if (!ParseVersionList(value(kReplacesKey), out.replaces)) {
                return ManifestError::BadReplaces;
            }
        }
    }
    // A roll-back names what it rolls back; a list of versions without the roll-back is a slip.
    if (haveDowngrade != haveReplaces) {
        return ManifestError::BadReplaces;
    }
    if (!haveVersion || !haveUrl || !haveSize || !haveDigest) {
        return ManifestError::MissingKey;
    }
    // The client decides whether to update from its own reading of the whole file; the updater
    // installs only what that same reading names.
    std::string clientValue;
    bool truncated = false;
    if (!ReadManifestVersion(bytes, clientValue, &truncated) || truncated ||
        clientValue != out.version) {
        return ManifestError::VersionMismatch;
    }
    out.signedPart = std::string(bytes.substr(0, signatureLine.start));
    return ManifestError::None;
}

} // namespace velm
