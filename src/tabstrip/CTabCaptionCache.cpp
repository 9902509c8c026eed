#include "tabstrip/CTabCaptionCache.h"

#include <algorithm>
#include <cstring>

namespace velm {
namespace {

void CopyOut(const CPixelView& view, const CTabRect& r, std::vector<std::uint32_t>& to) {
    to.resize(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height));
    for (int y = 0; y < r.height; ++y) {
        std::memcpy(to.data() + static_cast<std::size_t>(y) * r.width,
                    view.pixels + static_cast<std::size_t>(r.y + y) * view.stride + r.x,
                    static_cast<std::size_t>(r.width) * sizeof(std::uint32_t));
    }
}

} // namespace

void CTabCaptionCache::Slot::Measure(const std::string& caption, bool bold, std::string ansiText,
                                     std::int32_t width, std::int32_t height) {
    text = caption;
    selected = bold;
    measured = true;
    ansi = std::move(ansiText);
    textWidth = width;
    textHeight = height;
    before.clear();
    after.clear();
}

CTabCaptionCache::Slot& CTabCaptionCache::At(std::size_t index) {
    if (index >= slots_.size()) {
        slots_.resize(index + 1);
    }
    return slots_[index];
}

void CTabCaptionCache::Trim(std::size_t count) {
    if (slots_.size() > count) {
        slots_.resize(count);
    }
}

CTabRect CTabCaptionCache::Clip(const CPixelView& view, const CTabRect& region) {
    const int left = std::max(region.x, 0);
    const int top = std::max(region.y, 0);
    const int right = std::min(region.x + region.width, view.width);
    const int bottom = std::min(region.y + region.height, view.height);
    if (right <= left || bottom <= top) {
        return CTabRect{0, 0, 0, 0};
    }
    return CTabRect{left, top, right - left, bottom - top};
}

bool CTabCaptionCache::Replay(Slot& slot, CPixelView view, const CTabRect& region) {
    const CTabRect r = Clip(view, region);
    if (!(region == slot.whole) || !(r == slot.region) || slot.after.empty() ||
        slot.before.size() != static_cast<std::size_t>(r.width) * r.height) {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(r.width) * sizeof(std::uint32_t);
    for (int y = 0; y < r.height; ++y) {
        if (std::memcmp(slot.before.data() + static_cast<std::size_t>(y) * r.width,
                        view.pixels + static_cast<std::size_t>(r.y + y) * view.stride + r.x,
                        rowBytes) != 0) {
            return false;
        }
    }
    for (int y = 0; y < r.height; ++y) {
        std::memcpy(view.pixels + static_cast<std::size_t>(r.y + y) * view.stride + r.x,
                    slot.after.data() + static_cast<std::size_t>(y) * r.width, rowBytes);
    }
    return true;
}

void CTabCaptionCache::KeepBefore(Slot& slot, const CPixelView& view, const CTabRect& region) {
    slot.whole = region;
    slot.region = Clip(view, region);
    CopyOut(view, slot.region, slot.before);
    slot.after.clear();
}

void CTabCaptionCache::KeepAfter(Slot& slot, const CPixelView& view) {
    CopyOut(view, slot.region, slot.after);
}

} // namespace velm
