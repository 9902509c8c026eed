// Checks ECDSA P-256 signatures over SHA-256 digests with the system's cryptography (CNG).
#pragma once

#include "download/CngHandles.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace velm {

class SignatureVerifier {
public:
    using PublicKey = std::array<std::uint8_t, 64>; // X then Y, 32 bytes each, big-endian
    using Signature = std::array<std::uint8_t, 64>; // r then s, 32 bytes each, big-endian

    explicit SignatureVerifier(const PublicKey& key);
    // False when the key could not be imported (not a point of the curve, or no ECDSA in the
    // system); every verification then fails.
    bool Ok() const noexcept { return static_cast<bool>(key_); }
    // True only for a valid signature of `message` under the key.
    bool Verify(std::string_view message, const Signature& signature) const;

private:
    UniqueCngAlgorithm algorithm_;
    UniqueCngKey key_;
};

} // namespace velm
