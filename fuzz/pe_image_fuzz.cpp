// The updater reads the processor and the version of a program it downloaded before it trusts
// it: any bytes must be refused or read to the values a plain reading of the headers gives.
#include "FuzzCheck.h"

#include "updater/PeImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace velm;

using velm::fuzz::Check;

std::uint64_t Read(std::string_view b, std::uint64_t at, int width) {
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i) {
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
    }
    return v;
}

// The DOS header's "MZ", its pointer at 0x3C to "PE\0\0", and the machine word after it; read
// with sums that cannot wrap.
std::optional<std::uint16_t> Machine(std::string_view b) {
    if (b.size() < 0x40 || b[0] != 'M' || b[1] != 'Z') {
        return std::nullopt;
    }
    const std::uint64_t pe = Read(b, 0x3C, 4);
    if (pe + 6 > b.size() || b.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(Read(b, pe + 4, 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto machine = PeMachine(bytes);
    Check(machine == Machine(bytes));
    if (machine) {
        // More of the file never changes what its headers said.
        Check(PeMachine(std::string(bytes) + std::string(64, '\xFF')) == machine);
    }

    const auto version = FixedFileVersion(bytes);
    if (version) {
        Check(size >= 56 && Read(bytes, 2, 2) >= 52 && Read(bytes, 40, 4) == 0xFEEF04BD);
        const std::u16string_view key = u"VS_VERSION_INFO";
        for (std::size_t i = 0; i <= key.size(); ++i) {
            Check(Read(bytes, 6 + 2 * i, 2) == (i < key.size() ? key[i] : 0));
        }
        const std::uint64_t high = Read(bytes, 48, 4);
        const std::uint64_t low = Read(bytes, 52, 4);
        Check(*version == ReleaseVersion{static_cast<std::uint16_t>(high >> 16),
                                         static_cast<std::uint16_t>(high & 0xFFFF),
                                         static_cast<std::uint16_t>(low >> 16),
                                         static_cast<std::uint16_t>(low & 0xFFFF)});
    }

    // A program's version found through its headers is a version resource somewhere in the file,
    // and the walk there takes a bounded number of reads whatever the headers claim.
    std::size_t reads = 0;
    const auto program =
        ProgramFileVersion([&](std::uint64_t offset, std::size_t count, std::string& out) {
            ++reads;
            if (offset > size || count > size - offset) {
                return false;
            }
            out.assign(bytes.substr(offset, count));
            return true;
        });
    Check(reads <= 4096);
    if (program) {
        bool found = false;
        for (std::size_t at = 0; at + 56 <= size && !found; ++at) {
            found = FixedFileVersion(bytes.substr(at)) == program;
        }
        Check(found);
    }
    return 0;
}
