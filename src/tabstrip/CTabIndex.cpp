#include "tabstrip/CTabIndex.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace velm {

std::optional<double> CTabIndex::Number() const {
    if (kind_ == Kind::Number) {
        // NaN is no position at all, and it would slip through every range check.
        if (std::isnan(number_)) {
            return std::nullopt;
        }
        return number_;
    }
    if (kind_ == Kind::Text) {
        return ParseNumber(text_);
    }
    return std::nullopt;
}

std::optional<double> CTabIndex::ParseNumber(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.size() > 2 && text[0] == '&') {
        const char radixChar = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
        const int radix = radixChar == 'H' ? 16 : radixChar == 'O' ? 8 : 0;
        if (radix == 0 || text.size() > 2 + (radix == 16 ? 8 : 11)) {
            return std::nullopt;
        }
        std::uint32_t v = 0;
        for (char c : text.substr(2)) {
            int d = std::isdigit(static_cast<unsigned char>(c))
                        ? c - '0'
                        : (radix == 16 && std::isxdigit(static_cast<unsigned char>(c))
                               ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                               : -1);
            if (d < 0 || d >= radix) {
                return std::nullopt;
            }
            v = v * static_cast<std::uint32_t>(radix) + static_cast<std::uint32_t>(d);
        }
        // Hexadecimal and octal literals are 32-bit and signed.
        return static_cast<double>(static_cast<std::int32_t>(v));
    }
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-') {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        std::size_t expDigits = 0;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0) {
            return std::nullopt;
        }
        i = j;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    const std::string copy(text);
    const double v = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

double CTabIndex::RoundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) {
        return floor + 1;
    }
    if (diff < 0.5) {
        return floor;
    }
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

} // namespace velm
