// The tab strip's arithmetic for any strip size, margins and tab flags: the standard width stays
// within its bounds and fills the strip as nearly as rounding allows, tabs follow each other
// without overlapping, and a hit names the first tab whose box holds the point; the middle of a
// tab and the middle of its close glyph hit that tab. Also the index argument's number reading
// and rounding.
#include "FuzzCheck.h"

#include "tabstrip/CTabIndex.h"
#include "tabstrip/CTabLayout.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace velm;

using velm::fuzz::Check;

void CheckRounding(double v) {
    const double r = CTabIndex::RoundHalfEven(v);
    if (!std::isfinite(v)) {
        Check(std::isnan(v) ? std::isnan(r) : r == v);
        return;
    }
    Check(r == std::floor(r));
    Check(std::fabs(r - v) <= 0.5);
    if (std::fabs(r - v) == 0.5) {
        Check(std::fmod(r, 2.0) == 0);
    }
}

void FuzzIndex(FuzzedDataProvider& in) {
    const std::uint32_t n = in.ConsumeIntegral<std::uint32_t>();
    char text[32];
    std::snprintf(text, sizeof text, "&H%X", n);
    Check(CTabIndex::ParseNumber(text) == static_cast<double>(static_cast<std::int32_t>(n)));
    std::snprintf(text, sizeof text, " &o%o ", n);
    Check(CTabIndex::ParseNumber(text) == static_cast<double>(static_cast<std::int32_t>(n)));
    const std::int32_t d = static_cast<std::int32_t>(n);
    std::snprintf(text, sizeof text, "%d", d);
    Check(CTabIndex::ParseNumber(text) == static_cast<double>(d));
    Check(CTabIndex(std::string(text)).Number() == static_cast<double>(d));
    CheckRounding(in.ConsumeFloatingPoint<double>());
    CheckRounding(static_cast<double>(in.ConsumeIntegral<std::int16_t>()) / 2);
    const std::string any = in.ConsumeRandomLengthString(40);
    if (auto v = CTabIndex::ParseNumber(any)) {
        Check(std::isfinite(*v));
        CheckRounding(*v);
    }
}

void FuzzLayout(FuzzedDataProvider& in) {
    const std::int32_t style = in.ConsumeIntegralInRange<std::int32_t>(-1, 2);
    const CTabStyleMetrics& s = CTabLayout::Style(style);
    const std::int32_t width = in.ConsumeIntegralInRange<std::int32_t>(-50, 4000);
    const std::int32_t leftSize = in.ConsumeIntegralInRange<std::int32_t>(-20, 300);
    const std::int32_t rightSize = in.ConsumeIntegralInRange<std::int32_t>(-20, 300);
    const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 80);
    std::vector<CTabBox> tabs(n);
    std::int32_t locked = 0;
    for (CTabBox& t : tabs) {
        const std::uint8_t flags = in.ConsumeIntegral<std::uint8_t>();
        t.lockSize = (flags & 3) == 3;
        t.hideButton = (flags & 4) != 0;
        locked += t.lockSize ? 1 : 0;
    }

    const std::int32_t w = CTabLayout::CalcStandardWidth(style, width, leftSize, rightSize, tabs);
    Check(w >= CTabLayout::kMinStandardWidth && w <= s.fullWidth);
    const std::int32_t unlocked = static_cast<std::int32_t>(n) - locked;
    if (unlocked == 0) {
        Check(w == s.fullWidth);
    } else {
        // The room left for the unlocked tabs, shared out as evenly as whole pixels allow.
        const double area = static_cast<double>(width) - leftSize - rightSize;
        const double rest = style == 0 ? area - static_cast<double>(s.fullWidth) * locked - 14
                                       : area - static_cast<double>(s.fullWidth) * locked - 5.0 * n;
        const double share = rest / unlocked;
        if (w > CTabLayout::kMinStandardWidth && w < s.fullWidth) {
            Check(std::fabs(w - share) <= 0.5);
        } else if (w == s.fullWidth) {
            Check(share >= s.fullWidth - 0.5);
        } else {
            Check(share <= CTabLayout::kMinStandardWidth + 0.5);
        }
    }
    // One more tab never widens the others; a wider strip never narrows them.
    std::vector<CTabBox> more = tabs;
    more.push_back(CTabBox{0, 0, in.ConsumeBool(), false});
    Check(CTabLayout::CalcStandardWidth(style, width, leftSize, rightSize, more) <= w);
    Check(CTabLayout::CalcStandardWidth(style, width + 7, leftSize, rightSize, tabs) >= w);

    CTabLayout::CalcPositions(style, w, tabs);
    for (std::size_t i = 0; i < n; ++i) {
        const CTabBox& t = tabs[i];
        Check(t.width == (t.lockSize ? s.fullWidth : w));
        if (i == 0) {
            Check(t.left == s.firstLeft);
        } else {
            const CTabBox& p = tabs[i - 1];
            if (style == 0) {
                Check(t.left == p.left + p.width); // neighbours share their slanted edge
            } else {
                Check(t.left == p.left + p.width + 5); // a gap between pills
                Check(p.left + p.width < t.left);
            }
        }
        const CTabRect body = CTabLayout::Body(style, t);
        Check(body.x <= t.left && body.x + body.width >= t.left + t.width);
        const CTabRect glyph = CTabLayout::Glyph(style, t);
        Check(glyph.x + glyph.width <= t.left + t.width);
    }

    auto hit = [&](std::int32_t x, std::int32_t y) {
        const CTabHit h = CTabLayout::HitTest(style, width, leftSize, rightSize, tabs, x, y);
        const bool outside = x < 0 || x > width || y < 0 || y > 25;
        Check((h.index == -3) == outside);
        if (outside) {
            return h;
        }
        const bool margin = x > width - rightSize || x < leftSize;
        Check((h.index == -2) == margin);
        if (margin) {
            return h;
        }
        const std::int32_t u = x - leftSize;
        std::int32_t first = -1;
        for (std::size_t i = 0; i < n && first < 0; ++i) {
            if (tabs[i].left <= u && u <= tabs[i].left + tabs[i].width) {
                first = static_cast<std::int32_t>(i);
            }
        }
        if (n > 0 && u <= 14) {
            Check(h.index == 0);
        } else {
            Check(h.index == first);
        }
        Check(h.index >= -1 && h.index < static_cast<std::int32_t>(n));
        if (h.onClose) {
            Check(h.index >= 0);
            const CTabBox& t = tabs[static_cast<std::size_t>(h.index)];
            Check(!t.hideButton);
            const CTabRect g = CTabLayout::Glyph(style, t);
            Check(u >= g.x && u <= g.x + g.width && y >= g.y && y <= g.y + g.height);
        }
        return h;
    };

    // Points from the input, and the middles of every tab and of every close glyph.
    for (int k = 0; k < 8; ++k) {
        hit(in.ConsumeIntegralInRange<std::int32_t>(-10, std::max(width + 10, -10)),
            in.ConsumeIntegralInRange<std::int32_t>(-3, 30));
    }
    for (std::size_t i = 0; i < n; ++i) {
        const CTabBox& t = tabs[i];
        const std::int32_t mid = leftSize + t.left + (t.width + 1) / 2;
        if (t.width >= 2 && t.left + (t.width + 1) / 2 > 14 && mid >= leftSize &&
            mid <= width - rightSize && mid >= 0 && mid <= width) {
            Check(hit(mid, 12).index == static_cast<std::int32_t>(i));
        }
        const CTabRect g = CTabLayout::Glyph(style, t);
        const std::int32_t gx = leftSize + g.x + g.width / 2;
        const std::int32_t gy = g.y + g.height / 2;
        if (!t.hideButton && g.x > t.left && g.x + g.width / 2 > 14 && gx >= leftSize &&
            gx <= width - rightSize && gx >= 0 && gx <= width) {
            const CTabHit h = hit(gx, gy);
            Check(h.index == static_cast<std::int32_t>(i) && h.onClose);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        FuzzIndex(in);
    } else {
        FuzzLayout(in);
    }
    return 0;
}
