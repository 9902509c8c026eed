// The updater's one parameter string: the client's directory, "|", the client's executable.
// Window-free, so it is also built and tested natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velm {

struct UpdaterArguments {
    std::wstring directory;  // without a trailing backslash, except a drive root
    std::wstring executable; // directory, "\" (unless the directory ends in one), name ".exe"

    // Accepts exactly what the client writes: an absolute directory (drive or UNC), "|", and an
    // executable named *.exe directly inside that directory. Surrounding blanks and one pair of
    // surrounding quotes are dropped. Anything else gives no result.
    static std::optional<UpdaterArguments> Parse(std::wstring_view parameters);
};

// The parameters of a process command line: everything after the program name (quoted or not)
// and the blanks that follow it. The parameter string may contain blanks of its own, as the
// client passes the paths unquoted.
std::wstring_view CommandLineParameters(std::wstring_view commandLine);

} // namespace velm
