#include "tabstrip/CTabLayout.h"

#include "base/Dpi.h"
#include "tabstrip/CTabIndex.h"

namespace velm {
namespace {

constexpr CTabStyleMetrics kSlanted{.height = 25,
                                    .fullWidth = 108,
                                    .firstLeft = 14,
                                    .gap = 0,
                                    .closeX0 = -24,
                                    .closeX1 = -12,
                                    .closeY0 = 6,
                                    .closeY1 = 18,
                                    .skinRows = 25,
                                    .tabSrcWidth = 122,
                                    .tabSrcHeight = 25,
                                    .srcOrdinary = 1,
                                    .srcHover = 123,
                                    .srcSelected = 245,
                                    .bodyDx = -14,
                                    .bodyExtra = 14,
                                    .bodyHeight = 25,
                                    .glyphDx = -24,
                                    .glyphY = 6,
                                    .glyphSelected = 367,
                                    .glyphOther = 379,
                                    .glyphHot = 391,
                                    .glyphPressed = 403};
constexpr CTabStyleMetrics kPill{.height = 32,
                                 .fullWidth = 200,
                                 .firstLeft = 0,
                                 .gap = 5,
                                 .closeX0 = -20,
                                 .closeX1 = -8,
                                 .closeY0 = 7,
                                 .closeY1 = 19,
                                 .skinRows = 28,
                                 .tabSrcWidth = 124,
                                 .tabSrcHeight = 26,
                                 .srcOrdinary = 1,
                                 .srcHover = 125,
                                 .srcSelected = 249,
                                 .bodyDx = 0,
                                 .bodyExtra = 0,
                                 .bodyHeight = 26,
                                 .glyphDx = -20,
                                 .glyphY = 7,
                                 .glyphSelected = 373,
                                 .glyphOther = 385,
                                 .glyphHot = 397,
                                 .glyphPressed = 409};

std::int32_t Px(std::int32_t design, std::int32_t dpi) {
    return ScaleDesignPixels(design, dpi);
}

} // namespace

CTabStyleMetrics CTabLayout::Style(std::int32_t tabStyle, std::int32_t dpi) noexcept {
    CTabStyleMetrics s = tabStyle == 0 ? kSlanted : kPill;
    for (std::int32_t* v :
         {&s.height, &s.fullWidth, &s.firstLeft, &s.gap, &s.closeX0, &s.closeX1, &s.closeY0,
          &s.closeY1, &s.bodyDx, &s.bodyExtra, &s.bodyHeight, &s.glyphDx, &s.glyphY}) {
        *v = Px(*v, dpi);
    }
    return s;
}

std::int32_t CTabLayout::CalcStandardWidth(std::int32_t tabStyle, std::int32_t stripWidth,
                                           std::int32_t leftSize, std::int32_t rightSize,
                                           const std::vector<CTabBox>& tabs,
                                           std::int32_t dpi) noexcept {
    const CTabStyleMetrics s = Style(tabStyle, dpi);
    const auto n = static_cast<std::int32_t>(tabs.size());
    std::int32_t locked = 0;
    for (const CTabBox& t : tabs) {
        locked += t.lockSize ? 1 : 0;
    }
    const std::int64_t area = std::int64_t{stripWidth} - leftSize - rightSize;
    const std::int64_t rest = tabStyle == 0
                                  ? area - std::int64_t{s.fullWidth} * locked - Px(14, dpi)
                                  : area - std::int64_t{s.fullWidth} * locked - Px(5, dpi) * n;
    std::int32_t w = s.fullWidth;
    if (n > locked) {
        w = static_cast<std::int32_t>(
            CTabIndex::RoundHalfEven(static_cast<double>(rest) / (n - locked)));
    }
    if (w > s.fullWidth) {
        w = s.fullWidth;
    }
    if (w < kMinStandardWidth) {
        w = kMinStandardWidth;
    }
    return w;
}

void CTabLayout::CalcPositions(std::int32_t tabStyle, std::int32_t standardWidth,
                               std::vector<CTabBox>& tabs, std::int32_t dpi) noexcept {
    const CTabStyleMetrics s = Style(tabStyle, dpi);
    std::int32_t x = s.firstLeft;
    for (CTabBox& t : tabs) {
        t.left = x;
        t.width = t.lockSize ? s.fullWidth : standardWidth;
        x += t.width + s.gap;
    }
}

CTabHit CTabLayout::HitTest(std::int32_t tabStyle, std::int32_t stripWidth, std::int32_t leftSize,
                            std::int32_t rightSize, const std::vector<CTabBox>& tabs,
                            std::int32_t x, std::int32_t y, std::int32_t dpi) noexcept {
    const CTabStyleMetrics s = Style(tabStyle, dpi);
    // The strip's area is 25 rows deep for the hit test in both styles.
    if (x < 0 || x > stripWidth || y < 0 || y > Px(25, dpi)) {
        return {-3, false};
    }
    if (x > stripWidth - rightSize || x < leftSize) {
        return {-2, false};
    }
    if (tabs.empty()) {
        return {-1, false};
    }
    const std::int32_t u = x - leftSize;
    if (u <= Px(14, dpi)) {
        return {0, false};
    }
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        const CTabBox& t = tabs[i];
        if (t.left <= u && u <= t.left + t.width) {
            const std::int32_t right = t.left + t.width;
            const bool onClose = !t.hideButton && u >= right + s.closeX0 &&
                                 u <= right + s.closeX1 && y >= s.closeY0 && y <= s.closeY1;
            return {static_cast<std::int32_t>(i), onClose};
        }
    }
    return {-1, false};
}

CTabRect CTabLayout::Body(std::int32_t tabStyle, const CTabBox& tab, std::int32_t dpi) noexcept {
    const CTabStyleMetrics s = Style(tabStyle, dpi);
    return {tab.left + s.bodyDx, 0, tab.width + s.bodyExtra, s.bodyHeight};
}

CTabRect CTabLayout::Caption(std::int32_t tabStyle, const CTabBox& tab, bool selected,
                             std::int32_t dpi) noexcept {
    auto px = [dpi](std::int32_t v) { return Px(v, dpi); };
    if (tabStyle == 0) {
        if (selected) {
            return {tab.left, 0, tab.width - px(26), px(25)};
        }
        return {tab.left, 0, tab.hideButton ? tab.width - px(14) : tab.width - px(38), px(25)};
    }
    return {tab.left + px(12), 0, tab.hideButton ? tab.width - px(8) : tab.width - px(28), px(26)};
}

CTabRect CTabLayout::Glyph(std::int32_t tabStyle, const CTabBox& tab, std::int32_t dpi) noexcept {
    const CTabStyleMetrics s = Style(tabStyle, dpi);
    const std::int32_t size = Px(kGlyphSize, dpi);
    return {tab.left + tab.width + s.glyphDx, s.glyphY, size, size};
}

} // namespace velm
