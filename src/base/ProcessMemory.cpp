#include "base/ProcessMemory.h"

#include <psapi.h>

namespace velm {

std::size_t CommittedPrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof(pmc);
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                               sizeof(pmc)) &&
        pmc.PrivateUsage > 0) {
        return pmc.PrivateUsage;
    }
    std::size_t total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (auto* at = static_cast<char*>(nullptr);
         ::VirtualQueryEx(process, at, &info, sizeof(info)) == sizeof(info);
         at = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
            total += info.RegionSize;
        }
        // The last region wraps around the end of the address space.
        if (static_cast<char*>(info.BaseAddress) + info.RegionSize <= at) {
            break;
        }
    }
    return total;
}

} // namespace velm
