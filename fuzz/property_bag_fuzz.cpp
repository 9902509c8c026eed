// The property bag's text form: any text parses or is refused without harm, and what parses
// writes back to a text that parses to the same bag.
#include "base/PropertyBag.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto bag = velm::PropertyBag::FromText(text);
    if (!bag) {
        return 0;
    }
    std::string written = bag->ToText();
    auto again = velm::PropertyBag::FromText(written);
    if (!again || !(*again == *bag) || again->ToText() != written) {
        std::abort();
    }
    for (const auto& [key, value] : bag->Entries()) {
        if (bag->ReadProperty(key, "\x01") != value) {
            std::abort();
        }
        (void)bag->ReadLong(key, 0);
        (void)bag->ReadBool(key, false);
    }
    return 0;
}
