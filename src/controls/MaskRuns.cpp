#include "controls/MaskRuns.h"

#include <cstddef>

namespace velm {

std::vector<MaskRun> MaskRuns::Build(const std::uint8_t* bgra, int width, int height,
                                     std::uint32_t maskColour) {
    std::vector<MaskRun> runs;
    if (!bgra || width <= 0 || height <= 0) {
        return runs;
    }
    const std::uint8_t r = maskColour & 0xFF;
    const std::uint8_t g = (maskColour >> 8) & 0xFF;
    const std::uint8_t b = (maskColour >> 16) & 0xFF;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bgra + static_cast<size_t>(y) * width * 4;
        int x = 0;
        while (x < width) {
            while (x < width && row[x * 4] == b && row[x * 4 + 1] == g && row[x * 4 + 2] == r) {
                ++x;
            }
            int start = x;
            while (x < width && !(row[x * 4] == b && row[x * 4 + 1] == g && row[x * 4 + 2] == r)) {
                ++x;
            }
            if (x > start) {
                runs.push_back({start, x, y});
            }
        }
    }
    return runs;
}

} // namespace velm
