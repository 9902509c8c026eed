// A tab keeps the first characters of any page title: the kept text is a beginning of the title,
// ends between two characters and holds as many of them as the limit allows.
#include "tabstrip/CaptionCut.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool IsLead(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

std::size_t Characters(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) {
        n += IsLead(c);
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t limit = (data[0] | data[1] << 8) % 300;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string kept = velm::CutCaption(text, limit);
    bool ok = text.compare(0, kept.size(), kept) == 0;
    if (Characters(text) <= limit) {
        ok = ok && kept == text;
    } else {
        ok = ok && Characters(kept) == limit && IsLead(text[kept.size()]);
    }
    if (!ok) {
        std::abort();
    }
    return 0;
}
