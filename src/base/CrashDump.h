// Crash dumps: a program that fails with an exception nothing handles leaves a minidump for the
// maintainers in OrvikVelmora\crashes\ of the user's local application data folder (the newest
// five are kept), then ends just as it would have without one.
#pragma once

namespace velm {

// Puts the dump writer in front of the process's unhandled exceptions. `program` and `version`
// name the dumps; both must live as long as the process (string literals). Each program's entry
// calls it right after RestrictDllSearch, before anything that could fail.
void InstallCrashDumps(const char* program, const char* version) noexcept;

} // namespace velm
