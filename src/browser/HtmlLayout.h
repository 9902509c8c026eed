// Lays out the basic engine's document as a list of filled rectangles and text runs: block
// boxes with inline margin, padding, width, height and background, absolutely placed boxes, and
// wrapped text with links. Fonts are measured through an interface, so the arithmetic runs
// without a window.
#pragma once

#include "browser/HtmlDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

// Whatever a server sends, a page's layout stays bounded: positions in the flow are held within
// +/- kMaxPageHeight pixels (far past any window, and far enough from int's limits that a box's
// lengths added to them never overflow), and at most kMaxDisplayItems runs and fills are made.
inline constexpr int kMaxPageHeight = 1000000;
inline constexpr std::size_t kMaxDisplayItems = 100000;

struct PageFont {
    int size = 16; // pixels
    bool bold = false;
    bool operator==(const PageFont&) const = default;
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual int Width(std::string_view utf8, const PageFont& font) = 0;
    virtual int LineHeight(const PageFont& font) = 0;
};

struct DisplayItem {
    enum class Kind { Fill, Text };
    Kind kind = Kind::Text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::uint32_t colour = 0; // 0x00BBGGRR
    std::string text;         // UTF-8
    PageFont font;
    bool underline = false;
    std::string href; // absolute; empty when the run is no link
};

struct PageLayout {
    std::uint32_t background = 0xFFFFFF;
    std::vector<DisplayItem> items; // in painting order
    int height = 0;

    // The link under (x, y), or "".
    std::string LinkAt(int x, int y) const;
};

PageLayout LayoutPage(const HtmlDocument& document, int width, TextMeasurer& measurer);

} // namespace velm
