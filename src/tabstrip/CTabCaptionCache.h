// What each tab's caption left on the tab area the last time it was drawn. Measuring and drawing
// text is by far the dearest part of a repaint, and most repaints (a hover change, a selection
// elsewhere, a resize of the window that leaves the tabs' widths alone) draw the same captions
// over the same pixels again. A caption is drawn anew only when its text, its font (selected or
// not), its rectangle or the pixels beneath it differ from last time; otherwise the kept result
// is copied back, which gives the very pixels the drawing would. Window-free.
#pragma once

#include "tabstrip/CTabCompositor.h"
#include "tabstrip/CTabLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velm {

class CTabCaptionCache {
public:
    struct Slot {
        // The measured caption: text, the font it was measured with, and its extent.
        std::string text;
        bool selected = false;
        bool measured = false;
        std::string ansi;
        std::int32_t textWidth = 0;
        std::int32_t textHeight = 0;
        // The last drawing: the caption's whole rectangle (the text is placed within it), its
        // clipped part, and the pixels beneath that part before and after.
        CTabRect whole{0, 0, 0, 0};
        CTabRect region{0, 0, 0, 0};
        std::vector<std::uint32_t> before;
        std::vector<std::uint32_t> after;

        bool MeasuredAs(const std::string& caption, bool bold) const {
            return measured && selected == bold && text == caption;
        }
        // Forgets the drawing and takes the new measurement.
        void Measure(const std::string& caption, bool bold, std::string ansiText,
                     std::int32_t width, std::int32_t height);
    };

    // The slot of tab `index`; slots beyond the tabs' count are dropped by Trim.
    Slot& At(std::size_t index);
    void Trim(std::size_t count);
    void Clear() { slots_.clear(); }

    // `region` clipped to the view: what a drawing clipped to `region` may change.
    static CTabRect Clip(const CPixelView& view, const CTabRect& region);
    // Copies the kept drawing of `slot` into the view when it was made in the same whole
    // `region` over the pixels that lie there now; false (and nothing changed) otherwise.
    static bool Replay(Slot& slot, CPixelView view, const CTabRect& region);
    // Keeps the pixels of `region` before the caption is drawn, and after.
    static void KeepBefore(Slot& slot, const CPixelView& view, const CTabRect& region);
    static void KeepAfter(Slot& slot, const CPixelView& view);

private:
    std::vector<Slot> slots_;
};

} // namespace velm
