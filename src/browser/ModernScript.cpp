#include "browser/ModernScript.h"

#include <cstdio>

namespace velm {

std::wstring ScriptStringLiteral(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size() + 2);
    out += L'"';
    for (wchar_t c : text) {
        switch (c) {
        case L'"':
            out += L"\\\"";
            break;
        case L'\\':
            out += L"\\\\";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        default:
            if (c < 0x20 || c == 0x2028 || c == 0x2029 || c == 0x7f) {
                wchar_t escape[8];
                std::swprintf(escape, 8, L"\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    out += L'"';
    return out;
}

namespace {
int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}
} // namespace

std::optional<std::wstring> JsonStringValue(std::wstring_view json) {
    while (!json.empty() && (json.front() == L' ' || json.front() == L'\t')) {
        json.remove_prefix(1);
    }
    while (!json.empty() && (json.back() == L' ' || json.back() == L'\t')) {
        json.remove_suffix(1);
    }
    if (json.size() < 2 || json.front() != L'"' || json.back() != L'"') {
        return std::nullopt;
    }
    json = json.substr(1, json.size() - 2);
    std::wstring out;
    out.reserve(json.size());
    for (size_t i = 0; i < json.size(); ++i) {
        wchar_t c = json[i];
        if (c == L'"') {
            return std::nullopt; // a quote inside must be escaped
        }
        if (c != L'\\') {
            out += c;
            continue;
        }
        if (++i >= json.size()) {
            return std::nullopt;
        }
        switch (json[i]) {
        case L'"':
            out += L'"';
            break;
        case L'\\':
            out += L'\\';
            break;
        case L'/':
            out += L'/';
            break;
        case L'b':
            out += L'\b';
            break;
        case L'f':
            out += L'\f';
            break;
        case L'n':
            out += L'\n';
            break;
        case L'r':
            out += L'\r';
            break;
        case L't':
            out += L'\t';
            break;
        case L'u': {
            if (json.size() - i < 5) {
                return std::nullopt;
            }
            unsigned value = 0;
            for (size_t k = 1; k <= 4; ++k) {
                int d = HexDigit(json[i + k]);
                if (d < 0) {
                    return std::nullopt;
                }
                value = value * 16 + static_cast<unsigned>(d);
            }
            // UTF-16 code units as they come: on Windows they make up the text as it was.
            out += static_cast<wchar_t>(value);
            i += 4;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<RuntimeVersion> ParseRuntimeVersion(std::wstring_view text) {
    RuntimeVersion version{};
    size_t i = 0;
    for (size_t part = 0; part < version.size(); ++part) {
        if (i >= text.size() || text[i] < L'0' || text[i] > L'9') {
            if (part == 0) {
                return std::nullopt;
            }
            break;
        }
        unsigned long value = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
            if (value > 100000000UL) {
                return std::nullopt;
            }
            value = value * 10 + static_cast<unsigned long>(text[i] - L'0');
            ++i;
        }
        version[part] = value;
        if (i < text.size() && text[i] == L'.') {
            ++i;
        } else {
            break;
        }
    }
    return version;
}

} // namespace velm
