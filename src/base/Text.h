// Conversions between the UTF-8 the sources keep and the platform's UTF-16 and ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace velm {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// UTF-8 to the system's ANSI code page (CP_ACP), for the platform's A calls.
std::string ToAnsi(std::string_view utf8);
// The system's ANSI code page to UTF-8.
std::string FromAnsi(std::string_view ansi);

// A modal message box with Unicode text. `flags` are the MB_* flags; returns the button id.
int ShowMessage(void* owner, std::string_view text, std::string_view caption, unsigned flags);

} // namespace velm
