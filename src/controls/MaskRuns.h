// The see-through parts of a masked control: every pixel of the mask colour is left out of the
// control's window region. Rows of top-down 32-bit BGRA pixels become runs of kept pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace velm {

struct MaskRun {
    int left = 0;  // first kept pixel
    int right = 0; // one past the last kept pixel
    int top = 0;   // row
    friend bool operator==(const MaskRun&, const MaskRun&) = default;
};

class MaskRuns {
public:
    // `bgra` holds width * height pixels; `maskColour` is 0x00BBGGRR.
    static std::vector<MaskRun> Build(const std::uint8_t* bgra, int width, int height,
                                      std::uint32_t maskColour);
};

} // namespace velm
