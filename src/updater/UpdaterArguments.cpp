#include "updater/UpdaterArguments.h"

namespace velm {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

wchar_t LowerAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Characters no path of the client can contain (the ':' of a drive is checked apart).
bool HasBadCharacter(std::wstring_view path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        wchar_t c = path[i];
        if (c < 0x20 || c == L'"' || c == L'<' || c == L'>' || c == L'*' || c == L'?' ||
            c == L'|' || c == L'/') {
            return true;
        }
        if (c == L':' && i != 1) {
            return true;
        }
    }
    return false;
}

bool IsAbsoluteDirectory(std::wstring_view dir) {
    if (dir.size() >= 2 && IsDriveLetter(dir[0]) && dir[1] == L':') {
        // "X:" alone means the current folder of drive X, not its root.
        return dir.size() >= 3 && dir[2] == L'\\';
    }
    // \\server\share[\...]
    if (dir.size() > 2 && dir[0] == L'\\' && dir[1] == L'\\') {
        std::wstring_view rest = dir.substr(2);
        std::size_t slash = rest.find(L'\\');
        return slash != std::wstring_view::npos && slash > 0 && slash + 1 < rest.size();
    }
    return false;
}

bool HasEmptyOrDotSegment(std::wstring_view path, std::size_t from) {
    std::size_t start = from;
    while (start <= path.size()) {
        std::size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) {
            end = path.size();
        }
        std::wstring_view segment = path.substr(start, end - start);
        if (segment == L"." || segment == L"..") {
            return true;
        }
        if (segment.empty() && end != path.size()) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

std::optional<UpdaterArguments> UpdaterArguments::Parse(std::wstring_view parameters) {
    std::wstring_view text = Trim(parameters);
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
        text = Trim(text.substr(1, text.size() - 2));
    }
    std::size_t bar = text.find(L'|');
    if (bar == std::wstring_view::npos || text.find(L'|', bar + 1) != std::wstring_view::npos) {
        return std::nullopt;
    }
    std::wstring_view dir = text.substr(0, bar);
    std::wstring_view exe = text.substr(bar + 1);
    if (!IsAbsoluteDirectory(dir) || HasBadCharacter(dir) || HasBadCharacter(exe)) {
        return std::nullopt;
    }
    bool root = dir.back() == L'\\';
    if (root && dir.size() != 3) {
        return std::nullopt; // only a drive root keeps its backslash
    }
    std::size_t prefix = dir.size() + (root ? 0 : 1);
    // The client joins a drive root and the name with one more backslash ("C:\|C:\\velm.exe").
    bool doubled = root && exe.size() > prefix && exe[prefix] == L'\\';
    if (doubled) {
        ++prefix;
    }
    if (exe.size() <= prefix || !EqualNoCase(exe.substr(0, dir.size()), dir) ||
        (!root && exe[dir.size()] != L'\\')) {
        return std::nullopt;
    }
    std::wstring_view name = exe.substr(prefix);
    if (name.find(L'\\') != std::wstring_view::npos || name.size() <= 4 ||
        !EqualNoCase(name.substr(name.size() - 4), L".exe") || name.front() == L' ' ||
        name.back() == L' ') {
        return std::nullopt;
    }
    std::size_t skip = dir[0] == L'\\' ? 2 : 3;
    if (HasEmptyOrDotSegment(root ? std::wstring_view{} : dir.substr(skip), 0)) {
        return std::nullopt;
    }
    UpdaterArguments out;
    out.directory = std::wstring(dir);
    out.executable = std::wstring(dir) + (root ? L"" : L"\\") + std::wstring(name);
    return out;
}

std::wstring_view CommandLineParameters(std::wstring_view commandLine) {
    std::size_t i = 0;
    while (i < commandLine.size() && IsBlank(commandLine[i])) {
        ++i;
    }
    if (i < commandLine.size() && commandLine[i] == L'"') {
        std::size_t close = commandLine.find(L'"', i + 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i])) {
            ++i;
        }
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) {
        ++i;
    }
    return commandLine.substr(i);
}

} // namespace velm
