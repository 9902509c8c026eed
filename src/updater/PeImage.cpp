#include "updater/PeImage.h"

#include <vector>

namespace velm {
namespace {

std::uint32_t Little(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// A version resource is a few hundred bytes; more is not one.
constexpr std::uint32_t kMaxVersionResource = 64 * 1024;
// Resource directories of a real program list a handful of entries per level.
constexpr std::uint32_t kMaxDirectoryEntries = 4096;

struct Section {
    std::uint32_t address; // relative virtual address
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

class ProgramFile {
public:
    explicit ProgramFile(const ReadProgramBytes& read) : read_(read) {}

    bool Read(std::uint64_t offset, std::size_t size, std::string& out) const {
        return read_(offset, size, out) && out.size() == size;
    }
    bool U32(std::uint64_t offset, std::uint32_t& value) const {
        std::string bytes;
        if (!Read(offset, 4, bytes)) {
            return false;
        }
        value = Little(bytes, 0, 4);
        return true;
    }
    bool U16(std::uint64_t offset, std::uint32_t& value) const {
        std::string bytes;
        if (!Read(offset, 2, bytes)) {
            return false;
        }
        value = Little(bytes, 0, 2);
        return true;
    }

    // The file offset of `size` bytes at relative virtual address `rva`, where a section's raw
    // data holds all of them.
    std::optional<std::uint64_t> FileOffset(std::uint32_t rva, std::uint32_t size) const {
        for (const Section& section : sections_) {
            if (rva >= section.address && rva - section.address <= section.rawSize &&
                size <= section.rawSize - (rva - section.address)) {
                return std::uint64_t{section.rawOffset} + (rva - section.address);
            }
        }
        return std::nullopt;
    }

    // Reads the headers and the section table; the resource directory's address and size.
    bool Load(std::uint32_t& resourceRva, std::uint32_t& resourceSize) {
        std::uint32_t pe = 0, signature = 0;
        std::string mz;
        if (!Read(0, 2, mz) || mz != "MZ" || !U32(0x3C, pe) || !U32(pe, signature) ||
            signature != 0x00004550) {
            return false;
        }
        std::uint32_t sectionCount = 0, optionalSize = 0, magic = 0;
        const std::uint64_t fileHeader = std::uint64_t{pe} + 4;
        const std::uint64_t optional = fileHeader + 20;
        if (!U16(fileHeader + 2, sectionCount) || !U16(fileHeader + 16, optionalSize) ||
            !U16(optional, magic)) {
            return false;
        }
        // PE32 and PE32+ differ in where the data directories begin.
        std::uint64_t countAt = 0;
        if (magic == 0x10B) {
            countAt = optional + 92;
        } else if (magic == 0x20B) {
            countAt = optional + 108;
        } else {
            return false;
        }
        std::uint32_t directories = 0;
        constexpr std::uint32_t kResourceDirectory = 2;
        if (!U32(countAt, directories) || directories <= kResourceDirectory ||
            countAt + 4 + 8 * (kResourceDirectory + 1) > optional + optionalSize ||
            !U32(countAt + 4 + 8 * kResourceDirectory, resourceRva) ||
            !U32(countAt + 8 + 8 * kResourceDirectory, resourceSize)) {
            return false;
        }
        const std::uint64_t table = optional + optionalSize;
        for (std::uint32_t i = 0; i < sectionCount; ++i) {
            Section section{};
            if (!U32(table + 40 * i + 12, section.address) ||
                !U32(table + 40 * i + 16, section.rawSize) ||
                !U32(table + 40 * i + 20, section.rawOffset)) {
                return false;
            }
            sections_.push_back(section);
        }
        return true;
    }

private:
    const ReadProgramBytes& read_;
    std::vector<Section> sections_;
};

// In the resource directory at `directory` (an offset into the resource data at file offset
// `base`, `size` bytes), the entry with numeric `id`, or the first entry when `id` is 0: its
// offset field (a subdirectory when the high bit is set).
std::optional<std::uint32_t> FindEntry(const ProgramFile& file, std::uint64_t base,
                                       std::uint32_t size, std::uint32_t directory,
                                       std::uint32_t id) {
    std::uint32_t named = 0, numbered = 0;
    if (std::uint64_t{directory} + 16 > size || !file.U16(base + directory + 12, named) ||
        !file.U16(base + directory + 14, numbered) || named + numbered > kMaxDirectoryEntries) {
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < named + numbered; ++i) {
        const std::uint64_t entry = std::uint64_t{directory} + 16 + 8 * i;
        std::uint32_t name = 0, target = 0;
        if (entry + 8 > size || !file.U32(base + entry, name) ||
            !file.U32(base + entry + 4, target)) {
            return std::nullopt;
        }
        if (id == 0 || ((name & 0x80000000u) == 0 && name == id)) {
            return target;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<ReleaseVersion> ProgramFileVersion(const ReadProgramBytes& read) {
    ProgramFile file(read);
    std::uint32_t rva = 0, size = 0;
    if (!file.Load(rva, size) || size < 16) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> base = file.FileOffset(rva, size);
    if (!base) {
        return std::nullopt;
    }
    constexpr std::uint32_t kSubdirectory = 0x80000000u;
    constexpr std::uint32_t kVersionType = 16;
    constexpr std::uint32_t kVersionId = 1;
    // Type, then name, then language: two subdirectories and a data entry.
    std::uint32_t at = 0;
    for (std::uint32_t id : {kVersionType, kVersionId}) {
        std::optional<std::uint32_t> entry = FindEntry(file, *base, size, at, id);
        if (!entry || (*entry & kSubdirectory) == 0) {
            return std::nullopt;
        }
        at = *entry & ~kSubdirectory;
    }
    std::optional<std::uint32_t> language = FindEntry(file, *base, size, at, 0);
    if (!language || (*language & kSubdirectory) != 0 || std::uint64_t{*language} + 16 > size) {
        return std::nullopt;
    }
    std::uint32_t dataRva = 0, dataSize = 0;
    if (!file.U32(*base + *language, dataRva) || !file.U32(*base + *language + 4, dataSize) ||
        dataSize > kMaxVersionResource) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> data = file.FileOffset(dataRva, dataSize);
    std::string resource;
    if (!data || !file.Read(*data, dataSize, resource)) {
        return std::nullopt;
    }
    return FixedFileVersion(resource);
}

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
