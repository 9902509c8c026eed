#include "controls/FontInfo.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velm {

int FontInfo::LogicalHeight(int dpi) const {
    return -static_cast<int>(std::lround(size * dpi / 72.0));
}

std::string FontInfo::ToText() const {
    char number[32];
    std::snprintf(number, sizeof(number), "%g", size);
    std::string out = name + "|" + number + "|";
    if (bold) {
        out += 'b';
    }
    if (italic) {
        out += 'i';
    }
    if (underline) {
        out += 'u';
    }
    return out;
}

std::optional<FontInfo> FontInfo::FromText(std::string_view text) {
    size_t a = text.find('|');
    if (a == std::string_view::npos || a == 0) {
        return std::nullopt;
    }
    size_t b = text.find('|', a + 1);
    if (b == std::string_view::npos) {
        return std::nullopt;
    }
    FontInfo f;
    f.name = std::string(text.substr(0, a));
    std::string number(text.substr(a + 1, b - a - 1));
    if (number.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    f.size = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size() || !(f.size > 0) || f.size > 1000) {
        return std::nullopt;
    }
    for (char c : text.substr(b + 1)) {
        switch (c) {
        case 'b':
            f.bold = true;
            break;
        case 'i':
            f.italic = true;
            break;
        case 'u':
            f.underline = true;
            break;
        default:
            return std::nullopt;
        }
    }
    return f;
}

} // namespace velm
