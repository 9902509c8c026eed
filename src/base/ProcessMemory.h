// What a process holds in committed private memory: the figure the soak test watches for growth
// and the memory benchmark reports.
#pragma once

#include <windows.h>

#include <cstddef>

namespace velm {

// PrivateUsage where the system fills it in; Wine leaves it 0, and there the committed private
// regions of the address space are added up instead, which is what PrivateUsage counts.
std::size_t CommittedPrivateBytes(HANDLE process);

} // namespace velm
