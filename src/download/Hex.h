// Hexadecimal text of byte strings, as the update manifest and the public key carry them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velm {

// Decodes exactly `size` bytes from 2 * `size` hex digits (either case). Returns false, leaving
// `out` partly written, when the text has another length or a character that is no hex digit.
bool DecodeHex(std::string_view text, std::uint8_t* out, std::size_t size) noexcept;
// Lower-case hex digits, two per byte.
std::string EncodeHex(const std::uint8_t* bytes, std::size_t size);

} // namespace velm
