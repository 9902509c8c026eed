// The updater's manifest parser takes whatever lies in the temporary folder: any bytes must be
// refused or read to fields that keep every rule of the format, and what it accepts must be read
// the same way again from its own parts and by the client's version reading.
#include "FuzzCheck.h"

#include "download/Hex.h"
#include "download/Manifest.h"
#include "download/ReleaseVersion.h"
#include "download/UpdateManifest.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace {

using namespace velm;

using velm::fuzz::Check;

bool StartsNoCase(std::string_view text, std::string_view lower) {
    if (text.size() < lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lower.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lower[i]) {
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    UpdateManifest m;
    const ManifestError error = UpdateManifest::Parse(bytes, m);
    Check(ManifestErrorName(error) != nullptr);
    if (size > kMaxManifestBytes) {
        Check(error == ManifestError::TooLarge);
    }
    // A version read as numbers reads the same from its parts written out again.
    if (auto v = ParseReleaseVersion(bytes)) {
        const std::string written = std::to_string((*v)[0]) + "." + std::to_string((*v)[1]) + "." +
                                    std::to_string((*v)[2]) + "." + std::to_string((*v)[3]);
        Check(ParseReleaseVersion(written) == v);
        Check(CompareReleaseVersions(*v, *v) == 0);
    }
    if (error != ManifestError::None) {
        return 0;
    }
    Check(!m.version.empty() && PrintableWithoutSpace(m.version));
    Check(StartsNoCase(m.url, "http://") || StartsNoCase(m.url, "https://"));
    Check(m.url.size() <= 2048 && PrintableWithoutSpace(m.url));
    Check(m.size >= 1 &&
          m.size <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()));

    // The signed part is the manifest up to its last line, which is the signature line.
    Check(bytes.substr(0, m.signedPart.size()) == m.signedPart);
    Check(m.signedPart.empty() || m.signedPart.size() >= 2);
    Check(m.signedPart.size() < 2 || bytes.substr(m.signedPart.size() - 2, 2) == "\r\n");
    std::string_view last = bytes.substr(m.signedPart.size());
    if (last.size() >= 2 && last.substr(last.size() - 2) == "\r\n") {
        last.remove_suffix(2);
    }
    std::uint8_t signature[64];
    Check(last.substr(0, 10) == "signature=" && DecodeHex(last.substr(10), signature, 64) &&
          std::memcmp(signature, m.signature.data(), 64) == 0);

    // The client reads the very version the updater installs.
    std::string clientVersion;
    bool truncated = true;
    Check(ReadManifestVersion(bytes, clientVersion, &truncated) && !truncated &&
          clientVersion == m.version);

    // The signed part with a signature line written anew reads the same.
    UpdateManifest again;
    const std::string rebuilt =
        m.signedPart + "signature=" + EncodeHex(m.signature.data(), m.signature.size()) + "\r\n";
    Check(UpdateManifest::Parse(rebuilt, again) == ManifestError::None);
    Check(again.version == m.version && again.url == m.url && again.size == m.size &&
          again.sha256 == m.sha256 && again.signature == m.signature &&
          again.downgradeAllowed == m.downgradeAllowed && again.replaces == m.replaces &&
          again.signedPart == m.signedPart);
    return 0;
}
