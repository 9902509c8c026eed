// The updater's one parameter string comes from whoever starts it. Any text must be refused or
// read to a directory and an executable that keep the rule (absolute, no "." or "..", the
// executable a *.exe directly inside the directory), and what the client writes for a path must
// be read back to that path.
#include "FuzzCheck.h"

#include "download/Manifest.h"
#include "updater/UpdaterArguments.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace velm;

using velm::fuzz::Check;

// Characters from the alphabet of paths, so that drives, shares and names come up often.
std::wstring PathText(FuzzedDataProvider& in, std::size_t most) {
    static constexpr std::wstring_view kAlphabet = L"C:\\\\|.exE \"ab/\t?*\x4E2D\x01:.";
    std::wstring text;
    const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, most);
    for (std::size_t i = 0; i < n && in.remaining_bytes() > 0; ++i) {
        const std::uint8_t b = in.ConsumeIntegral<std::uint8_t>();
        text += b < 224 ? kAlphabet[b % kAlphabet.size()] : static_cast<wchar_t>(b);
    }
    return text;
}

wchar_t Lower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

void CheckAccepted(const UpdaterArguments& a) {
    const std::wstring& d = a.directory;
    const std::wstring& e = a.executable;
    const bool drive = d.size() >= 3 && d[1] == L':' && d[2] == L'\\';
    const bool share = d.size() > 2 && d[0] == L'\\' && d[1] == L'\\';
    Check(drive || share);
    Check(d.back() != L'\\' || d.size() == 3);
    Check(e.size() > d.size() + 4 && e.compare(0, d.size(), d) == 0);
    const std::wstring_view name = std::wstring_view(e).substr(d.size() + (d.size() == 3 ? 0 : 1));
    Check(d.size() == 3 || e[d.size()] == L'\\');
    Check(name.find(L'\\') == std::wstring_view::npos && name.size() > 4);
    std::wstring ext;
    for (wchar_t c : name.substr(name.size() - 4)) {
        ext += Lower(c);
    }
    Check(ext == L".exe");
    for (std::size_t i = 0; i < e.size(); ++i) {
        const wchar_t c = e[i];
        Check(c >= 0x20 && c != L'"' && c != L'<' && c != L'>' && c != L'*' && c != L'?' &&
              c != L'|' && c != L'/' && (c != L':' || i == 1));
    }
    for (std::size_t at = 0; at <= e.size();) {
        std::size_t next = e.find(L'\\', at);
        if (next == std::wstring::npos) {
            next = e.size();
        }
        const std::wstring_view segment = std::wstring_view(e).substr(at, next - at);
        Check(segment != L"." && segment != L"..");
        at = next + 1;
    }
    // The same two paths as the client writes them read back the same.
    auto again = UpdaterArguments::Parse(d + L"|" + e);
    Check(again && again->directory == d && again->executable == e);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::wstring text = PathText(in, 300);
    if (auto args = UpdaterArguments::Parse(text)) {
        CheckAccepted(*args);
    }
    const std::wstring_view parameters = CommandLineParameters(text);
    Check(text.size() >= parameters.size() &&
          std::wstring_view(text).substr(text.size() - parameters.size()) == parameters);
    Check(parameters.empty() || (parameters[0] != L' ' && parameters[0] != L'\t'));

    // The client's parameter string for an ASCII path of a program.
    std::string exePath;
    for (wchar_t c : PathText(in, 80)) {
        exePath += c < 0x80 ? static_cast<char>(c) : 'x';
    }
    const std::string parameterString = UpdaterParameters(exePath);
    std::wstring wide(parameterString.begin(), parameterString.end());
    if (auto args = UpdaterArguments::Parse(wide)) {
        CheckAccepted(*args);
        std::string executable(args->executable.begin(), args->executable.end());
        std::string lowerExe, lowerPath;
        for (char c : executable) {
            lowerExe += static_cast<char>(Lower(static_cast<unsigned char>(c)));
        }
        for (char c : exePath) {
            lowerPath += static_cast<char>(Lower(static_cast<unsigned char>(c)));
        }
        // The client names the program "<name>.exe" whatever its file's extension; a doubled
        // backslash inside a path (the system reads it as one) never comes from the system.
        if (lowerPath.size() >= 4 && lowerPath.compare(lowerPath.size() - 4, 4, ".exe") == 0 &&
            lowerPath.find("\\\\", 1) == std::string::npos) {
            Check(lowerExe == lowerPath);
        }
    }
    return 0;
}
