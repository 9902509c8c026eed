// The strip's arithmetic, free of any window: the two styles' constants, the width of unlocked
// tabs, the tab positions, hit-testing and where each part of a tab is painted. All lengths are
// pixels at the strip's `dpi` (the design is at 96); the skin's source places stay as drawn.
#pragma once

#include <cstdint>
#include <vector>

namespace velm {

struct CTabStyleMetrics {
    std::int32_t height;    // strip height
    std::int32_t fullWidth; // width of locked tabs and cap of the standard width
    std::int32_t firstLeft; // Left of the first tab
    std::int32_t gap;       // added after each tab
    // Close zone: x relative to the tab's right end (Left + Width), y absolute; inclusive.
    std::int32_t closeX0, closeX1, closeY0, closeY1;
    // Skin: rows of the background column, tab source size and x of the three looks.
    std::int32_t skinRows;
    std::int32_t tabSrcWidth, tabSrcHeight;
    std::int32_t srcOrdinary, srcHover, srcSelected;
    // Tab body destination: x = Left + bodyDx, width = Width + bodyExtra, height bodyHeight.
    std::int32_t bodyDx, bodyExtra, bodyHeight;
    // Close glyph (12 x 12): x = Left + Width + glyphDx, y = glyphY, and its four sources.
    std::int32_t glyphDx, glyphY;
    std::int32_t glyphSelected, glyphOther, glyphHot, glyphPressed;
};

struct CTabRect {
    std::int32_t x, y, width, height;
    friend bool operator==(const CTabRect&, const CTabRect&) = default;
};

// What layout and hit-testing need of one tab.
struct CTabBox {
    std::int32_t left = 0;
    std::int32_t width = 0;
    bool lockSize = false;
    bool hideButton = false;
};

struct CTabHit {
    std::int32_t index; // 0..Count-1 a tab; -1 no tab; -2 margin; -3 outside the strip
    bool onClose;
};

class CTabLayout {
public:
    static constexpr std::int32_t kGlyphSize = 12;
    // The smallest width an unlocked tab is given (see CalcStandardWidth).
    static constexpr std::int32_t kMinStandardWidth = 1;

    // Style 0 is slanted; any other value is the pill style.
    static CTabStyleMetrics Style(std::int32_t tabStyle, std::int32_t dpi = 96) noexcept;

    // The width of every unlocked tab. Many tabs in a narrow strip would make it zero or
    // negative; it stays at least kMinStandardWidth so every tab keeps a body to draw and click.
    static std::int32_t CalcStandardWidth(std::int32_t tabStyle, std::int32_t stripWidth,
                                          std::int32_t leftSize, std::int32_t rightSize,
                                          const std::vector<CTabBox>& tabs,
                                          std::int32_t dpi = 96) noexcept;
    // Sets left and width of every tab.
    static void CalcPositions(std::int32_t tabStyle, std::int32_t standardWidth,
                              std::vector<CTabBox>& tabs, std::int32_t dpi = 96) noexcept;
    static CTabHit HitTest(std::int32_t tabStyle, std::int32_t stripWidth, std::int32_t leftSize,
                           std::int32_t rightSize, const std::vector<CTabBox>& tabs, std::int32_t x,
                           std::int32_t y, std::int32_t dpi = 96) noexcept;

    // Where a tab's parts go inside the tab area.
    static CTabRect Body(std::int32_t tabStyle, const CTabBox& tab, std::int32_t dpi = 96) noexcept;
    static CTabRect Caption(std::int32_t tabStyle, const CTabBox& tab, bool selected,
                            std::int32_t dpi = 96) noexcept;
    // The close glyph, drawn 12 x 12 and shown at the strip's scale like its zone.
    static CTabRect Glyph(std::int32_t tabStyle, const CTabBox& tab,
                          std::int32_t dpi = 96) noexcept;
};

} // namespace velm
