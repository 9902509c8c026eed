// The text the modern engine exchanges with its pages' script: string literals it writes into
// the scripts it runs, the JSON answers it reads back, and the runtime's version numbers.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velm {

// `text` as a double-quoted script string literal that evaluates to exactly `text`, whatever it
// holds (quotes, backslashes, line breaks, control characters, U+2028/U+2029).
std::wstring ScriptStringLiteral(std::wstring_view text);

// The string an ExecuteScript answer (the script's result as JSON) carries; nothing when the
// answer is not a JSON string (null, a number, an object, or malformed).
std::optional<std::wstring> JsonStringValue(std::wstring_view json);

// A runtime version "major.minor.build.patch" (a channel name after a space is ignored); missing
// components read as 0. Nothing when the text does not start with a number.
using RuntimeVersion = std::array<unsigned long, 4>;
std::optional<RuntimeVersion> ParseRuntimeVersion(std::wstring_view text);
// The oldest runtime the modern engine starts: the first one with every interface it needs.
inline constexpr RuntimeVersion kOldestRuntime{86, 0, 616, 0};

} // namespace velm
