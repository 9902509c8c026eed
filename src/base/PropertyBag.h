// Persisted control properties: what a window design stores for each of its controls.
//
// Keys are matched without regard to ASCII letter case and keep the spelling of their first
// write. A value equal to its default is not stored, and a missing key reads as the default.
// The container keeps a control's size under "_ExtentX" and "_ExtentY" in HIMETRIC.
//
// Text form, one property a line, in the order written:  Key=Value
// Values escape backslash, CR, LF, TAB and other control bytes as \\ \r \n \t \xHH; any other
// byte (UTF-8 included) stands as it is. Blank lines and lines starting with '#' are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velm {

class PropertyBag {
public:
    static constexpr const char* kExtentX = "_ExtentX";
    static constexpr const char* kExtentY = "_ExtentY";

    // Text values.
    std::string ReadProperty(std::string_view key, std::string_view defaultValue = {}) const;
    void WriteProperty(std::string_view key, std::string_view value,
                       std::string_view defaultValue = {});
    // Whole numbers (decimal text). A stored value that is not a number reads as the default.
    std::int32_t ReadLong(std::string_view key, std::int32_t defaultValue) const;
    void WriteLong(std::string_view key, std::int32_t value, std::int32_t defaultValue);
    // Booleans, stored as "True"/"False"; "-1", "1", "true", "0", "false" are read too.
    bool ReadBool(std::string_view key, bool defaultValue) const;
    void WriteBool(std::string_view key, bool value, bool defaultValue);

    // The container's size of the control in HIMETRIC (always stored).
    void SetExtent(std::int32_t cx, std::int32_t cy);
    std::int32_t ExtentX() const { return ReadLong(kExtentX, 0); }
    std::int32_t ExtentY() const { return ReadLong(kExtentY, 0); }

    bool Contains(std::string_view key) const;
    void Remove(std::string_view key);
    std::size_t Size() const noexcept { return entries_.size(); }
    const std::vector<std::pair<std::string, std::string>>& Entries() const noexcept {
        return entries_;
    }

    std::string ToText() const;
    // Parses the text form. Returns nothing on malformed input (a line without '=', an empty key,
    // a bad escape); a later line for the same key replaces the earlier value.
    static std::optional<PropertyBag> FromText(std::string_view text);

    friend bool operator==(const PropertyBag& a, const PropertyBag& b);

private:
    std::vector<std::pair<std::string, std::string>>::iterator Find(std::string_view key);
    std::vector<std::pair<std::string, std::string>>::const_iterator
    Find(std::string_view key) const;

    std::vector<std::pair<std::string, std::string>> entries_;
};

// ASCII case-blind equality of two keys.
bool KeysEqual(std::string_view a, std::string_view b) noexcept;

} // namespace velm
