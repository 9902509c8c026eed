// The player's settings as text: sections of key=value lines ("[window]", "left=120"), UTF-8.
// Reading refuses a damaged or oversized text as a whole, so a half-written or foreign file
// yields the defaults instead of a mix of values.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velm {

class Settings {
public:
    // Far more than the settings of every site a player visits; anything larger is not ours.
    static constexpr std::size_t kMaxSize = 64 * 1024;

    // The settings in `text`, or nothing when it is damaged (`why` then says how).
    static std::optional<Settings> Parse(std::string_view text, std::string* why = nullptr);
    // The text Parse reads back to the same settings; sections and keys in sorted order.
    std::string Serialise() const;

    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    // A number within [low, high]; `fallback` when missing, not a number or out of range.
    long GetLong(const std::string& section, const std::string& key, long fallback, long low,
                 long high) const;
    bool GetBool(const std::string& section, const std::string& key, bool fallback) const;
    // Keys and values that the text form cannot carry (line breaks, a key with "=" or starting
    // a section or comment) are not stored; returns false for them.
    bool Set(const std::string& section, const std::string& key, const std::string& value);
    void SetLong(const std::string& section, const std::string& key, long value);
    void SetBool(const std::string& section, const std::string& key, bool value);
    void Erase(const std::string& section, const std::string& key);

    bool operator==(const Settings&) const = default;

private:
    std::map<std::string, std::map<std::string, std::string>> sections_;
};

} // namespace velm
