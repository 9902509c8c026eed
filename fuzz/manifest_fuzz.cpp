// The manifest reader: fed in arbitrary pieces it must give the answer of a plain reading of the
// whole text, and never hold more than its bound.
#include "download/Manifest.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The rules read literally: split at CR LF or a bare CR, first line containing "version"
// case-blind, value from the 9th character with spaces trimmed.
bool Reference(std::string_view text, std::string& value) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t cr = text.find('\r', start);
        std::string_view line =
            text.substr(start, cr == std::string_view::npos ? text.npos : cr - start);
        std::string lower(line);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        if (lower.find("version") != std::string::npos) {
            std::string_view v = line.size() > 8 ? line.substr(8) : std::string_view{};
            size_t b = v.find_first_not_of(' ');
            size_t e = v.find_last_not_of(' ');
            value =
                b == std::string_view::npos ? std::string() : std::string(v.substr(b, e - b + 1));
            return true;
        }
        if (cr == std::string_view::npos) {
            return false;
        }
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const size_t piece = 1 + data[0] % 17;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    velm::ManifestReader reader(64);
    for (size_t i = 0; i < text.size() && !reader.Done(); i += piece) {
        reader.Feed(text.substr(i, piece));
    }
    reader.Finish();

    std::string expected;
    bool found = Reference(text, expected);
    if (found != reader.Found()) {
        std::abort();
    }
    if (found) {
        if (reader.Value().size() > 64) {
            std::abort();
        }
        if (reader.Truncated() != (expected.size() > 64)) {
            std::abort();
        }
        if (!reader.Truncated() && reader.Value() != expected) {
            std::abort();
        }
        if (reader.ValueEquals(expected) == reader.Truncated()) {
            std::abort();
        }
    }
    return 0;
}
