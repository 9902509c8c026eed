// How a tab keeps a page's title. Window-free, so it is also built and tested natively.
#pragma once

#include <cstddef>
#include <string>

namespace velm {

// `text` (UTF-8) cut to its first `limit` characters. Lead bytes are counted, so the cut falls
// between two characters, never inside one; the text is read no further than the cut.
std::string CutCaption(const std::string& text, std::size_t limit);

} // namespace velm
