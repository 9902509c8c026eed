// A font as a control stores it: face name (UTF-8), size in points and style.
// Text form: "name|size|flags", flags a subset of "biu" (bold, italic, underline), e.g.
// "宋体|9|u". Sizes may have a fraction ("10.5").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velm {

struct FontInfo {
    std::string name = "宋体";
    double size = 9.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    // The height for the platform's font record at `dpi`: minus the character height in pixels.
    int LogicalHeight(int dpi = 96) const;

    std::string ToText() const;
    static std::optional<FontInfo> FromText(std::string_view text);

    friend bool operator==(const FontInfo&, const FontInfo&) = default;
};

} // namespace velm
