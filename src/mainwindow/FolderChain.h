// The folders to create, from the top down, so that a folder path exists: everything below its
// root, the root being a drive ("C:\"), a share ("\\server\share\") or either behind the "\\?\"
// prefix. A server or a share cannot be created, only the folders in it. Window-free.
#pragma once

#include <string>
#include <vector>

namespace velm {

// `folder` may end in a backslash; the last entry is the folder itself without it. Empty when
// the path names a root only or no root at all.
std::vector<std::wstring> FolderChain(const std::wstring& folder);

} // namespace velm
