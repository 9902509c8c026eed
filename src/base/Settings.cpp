#include "base/Settings.h"

#include <charconv>

namespace velm {
namespace {

bool ValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        unsigned long code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size()) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past the last code point are no UTF-8.
        static constexpr unsigned long kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (code < kLeast[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

bool Fail(std::string* why, std::string text) {
    if (why) {
        *why = std::move(text);
    }
    return false;
}

bool Storable(std::string_view text) {
    for (char c : text) {
        if (c == '\n' || c == '\r' || c == '\0') {
            return false;
        }
    }
    return ValidUtf8(text) && Trim(text).size() == text.size();
}

} // namespace

std::optional<Settings> Settings::Parse(std::string_view text, std::string* why) {
    if (text.size() > kMaxSize) {
        Fail(why, "larger than " + std::to_string(kMaxSize) + " bytes");
        return std::nullopt;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    if (!ValidUtf8(text)) {
        Fail(why, "not UTF-8");
        return std::nullopt;
    }
    Settings result;
    std::map<std::string, std::string>* section = nullptr;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::string where = "line " + std::to_string(lineNumber);
        if (line.find('\0') != std::string_view::npos) {
            Fail(why, where + ": a NUL byte");
            return std::nullopt;
        }
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                Fail(why, where + ": a section without its name or closing bracket");
                return std::nullopt;
            }
            section = &result.sections_[std::string(Trim(line.substr(1, line.size() - 2)))];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0) {
            Fail(why, where + ": neither a section nor key=value");
            return std::nullopt;
        }
        if (!section) {
            Fail(why, where + ": a key before any section");
            return std::nullopt;
        }
        (*section)[std::string(Trim(line.substr(0, eq)))] = std::string(Trim(line.substr(eq + 1)));
    }
    return result;
}

std::string Settings::Serialise() const {
    std::string text;
    for (const auto& [name, keys] : sections_) {
        if (keys.empty()) {
            continue;
        }
        if (!text.empty()) {
            text += "\r\n";
        }
        text += "[" + name + "]\r\n";
        for (const auto& [key, value] : keys) {
            text += key + "=" + value + "\r\n";
        }
    }
    return text;
}

std::optional<std::string> Settings::Get(const std::string& section, const std::string& key) const {
    auto s = sections_.find(section);
    if (s == sections_.end()) {
        return std::nullopt;
    }
    auto k = s->second.find(key);
    if (k == s->second.end()) {
        return std::nullopt;
    }
    return k->second;
}

long Settings::GetLong(const std::string& section, const std::string& key, long fallback, long low,
                       long high) const {
    auto text = Get(section, key);
    if (!text) {
        return fallback;
    }
    long value = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || value < low || value > high) {
        return fallback;
    }
    return value;
}

bool Settings::GetBool(const std::string& section, const std::string& key, bool fallback) const {
    return GetLong(section, key, fallback ? 1 : 0, 0, 1) == 1;
}

bool Settings::Set(const std::string& section, const std::string& key, const std::string& value) {
    if (section.empty() || key.empty() || !Storable(section) || !Storable(key) ||
        !Storable(value) || key.find('=') != std::string::npos ||
        section.find(']') != std::string::npos || key.front() == '[' || key.front() == ';' ||
        key.front() == '#') {
        return false;
    }
    sections_[section][key] = value;
    return true;
}

void Settings::SetLong(const std::string& section, const std::string& key, long value) {
    Set(section, key, std::to_string(value));
}

void Settings::SetBool(const std::string& section, const std::string& key, bool value) {
    Set(section, key, value ? "1" : "0");
}

void Settings::Erase(const std::string& section, const std::string& key) {
    auto s = sections_.find(section);
    if (s != sections_.end()) {
        s->second.erase(key);
    }
}

} // namespace velm
