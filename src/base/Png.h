// PNG files from pixels, with the system's own encoder (GDI+).
#pragma once

#include <optional>
#include <string>

namespace velm {

// The PNG bytes of a top-down picture of `width` x `height` pixels given as 0x00RRGGBB words
// (blue first in memory); alpha is not kept. Nothing when the encoder fails.
std::optional<std::string> EncodePng(int width, int height, const unsigned char* bgra);

} // namespace velm
