#include "base/Text.h"

#include <windows.h>

namespace velm {
namespace {

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    int n =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              n);
    }
    return out;
}

std::string FromWide(std::wstring_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                  0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              n, nullptr, nullptr);
    }
    return out;
}

} // namespace

std::wstring Widen(std::string_view utf8) {
    return ToWide(utf8, CP_UTF8);
}
std::string Narrow(std::wstring_view wide) {
    return FromWide(wide, CP_UTF8);
}
std::string ToAnsi(std::string_view utf8) {
    return FromWide(Widen(utf8), CP_ACP);
}
std::string FromAnsi(std::string_view ansi) {
    return Narrow(ToWide(ansi, CP_ACP));
}

int ShowMessage(void* owner, std::string_view text, std::string_view caption, unsigned flags) {
    return ::MessageBoxW(static_cast<HWND>(owner), Widen(text).c_str(), Widen(caption).c_str(),
                         flags);
}

} // namespace velm
