// Size benchmark: the bytes of velm.exe, Update.exe (the updater it carries) and the installer,
// against a static program of the same tool chain that does nothing but this (its own file).
//
//   bench_sizes.exe [folder]   (default: this program's folder, the build tree)
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

long long FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The first file matching `pattern` in `dir`, or "".
std::string First(const std::string& dir, const char* pattern) {
    WIN32_FIND_DATAA found{};
    HANDLE h = ::FindFirstFileA((dir + pattern).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        return {};
    }
    ::FindClose(h);
    return dir + found.cFileName;
}

} // namespace

int main(int argc, char** argv) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self);
    dir.resize(dir.find_last_of('\\') + 1);
    const long long anchor = FileBytes(self);
    if (argc > 1) {
        dir = std::string(argv[1]) + "\\";
    }
    const std::string files[] = {dir + "velm.exe", dir + "src\\updater\\Update.exe",
                                 First(dir, "velm-setup-*.exe")};
    const char* names[] = {"velm.exe", "Update.exe", "installer"};
    for (int i = 0; i < 3; ++i) {
        std::string path = files[i];
        if (i == 1 && FileBytes(path) < 0) {
            path = dir + "Update.exe";
        }
        const long long bytes = FileBytes(path);
        std::printf("size %-10s %8.1f KiB, anchor: this static program %6.1f KiB, ratio %.1fx\n",
                    names[i], static_cast<double>(bytes) / 1024.0,
                    static_cast<double>(anchor) / 1024.0,
                    anchor > 0 ? static_cast<double>(bytes) / static_cast<double>(anchor) : 0.0);
    }
    return 0;
}
