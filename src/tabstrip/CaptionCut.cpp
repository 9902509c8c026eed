#include "tabstrip/CaptionCut.h"

namespace velm {

std::string CutCaption(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == limit) {
            return text.substr(0, i);
        }
    }
    return text;
}

} // namespace velm
