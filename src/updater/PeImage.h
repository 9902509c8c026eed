// The processor a Windows program file is built for, read from its headers: the updater installs
// only a release built for the same processor as the client it replaces.
#pragma once

#include "download/ReleaseVersion.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velm {

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

// How many leading bytes of a file PeMachine needs at most.
inline constexpr std::size_t kPeHeadBytes = 4096;

// The machine field of the file whose first bytes are `head`; empty when they are not the
// headers of a Windows program (no "MZ", no "PE\0\0" where the DOS header points, or cut short).
std::optional<std::uint16_t> PeMachine(std::string_view head);

// The file version of a version resource (the bytes of resource RT_VERSION 1): the four parts of
// its fixed file information. Empty when the bytes are not such a resource.
std::optional<ReleaseVersion> FixedFileVersion(std::string_view resource);

// Reads `size` bytes at `offset` of a program file into `out`; false when the file is shorter.
using ReadProgramBytes =
    std::function<bool(std::uint64_t offset, std::size_t size, std::string& out)>;

// The file version of a program file's version resource (RT_VERSION 1, its first language), found
// through the file's own headers, sections and resource directory without loading or running any
// of it. Empty when the file has no such resource or its headers do not hold together.
std::optional<ReleaseVersion> ProgramFileVersion(const ReadProgramBytes& read);

// The machine this program itself was built for.
constexpr std::uint16_t OwnMachine() {
    return sizeof(void*) == 4 ? kMachineI386 : kMachineAmd64;
}

} // namespace velm
