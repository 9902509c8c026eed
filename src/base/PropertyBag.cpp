#include "base/PropertyBag.h"

#include <charconv>

namespace velm {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::optional<std::int32_t> ParseLong(std::string_view text) {
    std::int32_t value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end) {
        return std::nullopt;
    }
    return value;
}

void Escape(std::string& out, std::string_view value) {
    static const char hex[] = "0123456789ABCDEF";
    for (char ch : value) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = Lower(c);
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            if (i + 2 >= text.size()) {
                return std::nullopt;
            }
            int hi = HexDigit(text[i + 1]);
            int lo = HexDigit(text[i + 2]);
            if (hi < 0 || lo < 0) {
                return std::nullopt;
            }
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

} // namespace

bool KeysEqual(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::vector<std::pair<std::string, std::string>>::iterator PropertyBag::Find(std::string_view key) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (KeysEqual(it->first, key)) {
            return it;
        }
    }
    return entries_.end();
}

std::vector<std::pair<std::string, std::string>>::const_iterator
PropertyBag::Find(std::string_view key) const {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (KeysEqual(it->first, key)) {
            return it;
        }
    }
    return entries_.end();
}

std::string PropertyBag::ReadProperty(std::string_view key, std::string_view defaultValue) const {
    auto it = Find(key);
    return it == entries_.end() ? std::string(defaultValue) : it->second;
}

void PropertyBag::WriteProperty(std::string_view key, std::string_view value,
                                std::string_view defaultValue) {
    auto it = Find(key);
    if (value == defaultValue) {
        if (it != entries_.end()) {
            entries_.erase(it);
        }
        return;
    }
    if (it != entries_.end()) {
        it->second = std::string(value);
    } else {
        entries_.emplace_back(std::string(key), std::string(value));
    }
}

std::int32_t PropertyBag::ReadLong(std::string_view key, std::int32_t defaultValue) const {
    auto it = Find(key);
    if (it == entries_.end()) {
        return defaultValue;
    }
    return ParseLong(it->second).value_or(defaultValue);
}

void PropertyBag::WriteLong(std::string_view key, std::int32_t value, std::int32_t defaultValue) {
    WriteProperty(key, std::to_string(value), std::to_string(defaultValue));
}

bool PropertyBag::ReadBool(std::string_view key, bool defaultValue) const {
    auto it = Find(key);
    if (it == entries_.end()) {
        return defaultValue;
    }
    const std::string& v = it->second;
    if (KeysEqual(v, "true") || v == "-1" || v == "1") {
        return true;
    }
    if (KeysEqual(v, "false") || v == "0") {
        return false;
    }
    return defaultValue;
}

void PropertyBag::WriteBool(std::string_view key, bool value, bool defaultValue) {
    WriteProperty(key, value ? "True" : "False", defaultValue ? "True" : "False");
}

void PropertyBag::SetExtent(std::int32_t cx, std::int32_t cy) {
    // Extents are the container's, always stored whatever their value.
    for (auto [key, value] : {std::pair{kExtentX, cx}, std::pair{kExtentY, cy}}) {
        auto it = Find(key);
        if (it != entries_.end()) {
            it->second = std::to_string(value);
        } else {
            entries_.emplace_back(key, std::to_string(value));
        }
    }
}

bool PropertyBag::Contains(std::string_view key) const {
    return Find(key) != entries_.end();
}

void PropertyBag::Remove(std::string_view key) {
    auto it = Find(key);
    if (it != entries_.end()) {
        entries_.erase(it);
    }
}

std::string PropertyBag::ToText() const {
    std::string out;
    for (const auto& [key, value] : entries_) {
        out += key;
        out += '=';
        Escape(out, value);
        out += '\n';
    }
    return out;
}

std::optional<PropertyBag> PropertyBag::FromText(std::string_view text) {
    PropertyBag bag;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0) {
            return std::nullopt;
        }
        std::string_view key = line.substr(0, eq);
        for (char c : key) {
            if (static_cast<unsigned char>(c) < 0x20 || c == '\\') {
                return std::nullopt;
            }
        }
        auto value = Unescape(line.substr(eq + 1));
        if (!value) {
            return std::nullopt;
        }
        auto it = bag.Find(key);
        if (it != bag.entries_.end()) {
            it->second = std::move(*value);
        } else {
            bag.entries_.emplace_back(std::string(key), std::move(*value));
        }
    }
    return bag;
}

bool operator==(const PropertyBag& a, const PropertyBag& b) {
    if (a.entries_.size() != b.entries_.size()) {
        return false;
    }
    for (const auto& [key, value] : a.entries_) {
        auto it = b.Find(key);
        if (it == b.entries_.end() || it->second != value) {
            return false;
        }
    }
    return true;
}

} // namespace velm
