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

std::optional<ReleaseVersion> FixedFileVersion(std::string_view resource) {
    // wLength, wValueLength, wType, L"VS_VERSION_INFO" with its terminator, padding to 32 bits,
    // then the fixed information: signature, structure version, file version high, low.
    constexpr std::size_t kFixedAt = 40;
    constexpr std::uint32_t kSignature = 0xFEEF04BD;
    constexpr char16_t kKey[] = u"VS_VERSION_INFO";
    if (resource.size() < kFixedAt + 16 || Little(resource, 2, 2) < 52) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < sizeof(kKey) / sizeof(kKey[0]); ++i) {
        if (Little(resource, 6 + 2 * i, 2) != kKey[i]) {
            return std::nullopt;
        }
    }
    if (Little(resource, kFixedAt, 4) != kSignature) {
        return std::nullopt;
    }
    const std::uint32_t high = Little(resource, kFixedAt + 8, 4);
    const std::uint32_t low = Little(resource, kFixedAt + 12, 4);
    return ReleaseVersion{
        static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high & 0xFFFF),
        static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low & 0xFFFF)};
}

} // namespace velm
