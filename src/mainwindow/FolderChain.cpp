#include "mainwindow/FolderChain.h"

namespace velm {
namespace {

// Where the first folder below the root begins; npos when there is no root.
size_t BelowRoot(const std::wstring& path) {
    std::wstring_view rest(path);
    size_t prefix = 0;
    if (rest.starts_with(L"\\\\?\\UNC\\")) {
        prefix = 8; // "\\?\UNC\server\share\"
    } else if (rest.starts_with(L"\\\\?\\")) {
        prefix = 4; // "\\?\C:\"
        rest.remove_prefix(4);
    } else if (rest.starts_with(L"\\\\")) {
        prefix = 2; // "\\server\share\"
    }
    if (prefix == 8 || prefix == 2) {
        // The server and the share: two names, each ended by a backslash.
        const size_t server = path.find(L'\\', prefix);
        if (server == std::wstring::npos || server == prefix) {
            return std::wstring::npos;
        }
        const size_t share = path.find(L'\\', server + 1);
        if (share == std::wstring::npos || share == server + 1) {
            return std::wstring::npos;
        }
        return share + 1;
    }
    // A drive: "C:\".
    if (rest.size() >= 3 && rest[1] == L':' && rest[2] == L'\\') {
        return prefix + 3;
    }
    return std::wstring::npos;
}

} // namespace

std::vector<std::wstring> FolderChain(const std::wstring& folder) {
    std::vector<std::wstring> chain;
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    const size_t start = BelowRoot(path);
    if (start == std::wstring::npos) {
        return chain;
    }
    for (size_t at = path.find(L'\\', start); at != std::wstring::npos;
         at = path.find(L'\\', at + 1)) {
        chain.push_back(path.substr(0, at));
    }
    return chain;
}

} // namespace velm
