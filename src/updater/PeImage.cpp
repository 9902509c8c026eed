#include "updater/PeImage.h"

namespace velm {
namespace {

std::uint32_t Little(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

} // namespace

std::optional<std::uint16_t> PeMachine(std::string_view head) {
    constexpr std::size_t kNewHeaderOffset = 0x3C;
    if (head.size() < kNewHeaderOffset + 4 || head.substr(0, 2) != "MZ") {
        return std::nullopt;
    }
    const std::uint32_t pe = Little(head, kNewHeaderOffset, 4);
    // Compared without adding to `pe`, which comes from the file and may be near 2^32.
    if (pe > head.size() || head.size() - pe < 6 ||
        head.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(Little(head, pe + 4, 2));
}

} // namespace velm
