// SHA-256 through the system's cryptography (CNG).
#pragma once

#include "download/CngHandles.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velm {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    // False when the system offers no SHA-256; every later call then fails too.
    bool Ok() const noexcept { return static_cast<bool>(hash_); }
    bool Update(const void* data, std::size_t size) noexcept;
    // Ends the hash; the object cannot be fed again.
    bool Finish(Digest& digest) noexcept;

    static bool OfBytes(std::string_view bytes, Digest& digest);
    // Hashes a whole file and reports its length. False when it cannot be read.
    static bool OfFile(const std::wstring& path, Digest& digest, std::uint64_t& size);
    // The same for a file already open for reading, from its first byte whatever its position.
    static bool OfOpenFile(HANDLE file, Digest& digest, std::uint64_t& size);

private:
    UniqueCngAlgorithm algorithm_;
    UniqueCngHash hash_;
};

} // namespace velm
