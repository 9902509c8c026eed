#include "browser/WebView2Loader.h"

#include "base/Handles.h"
#include "base/Log.h"
#include "base/Text.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace velm {
namespace {

#if defined(__x86_64__)
constexpr const wchar_t* kArch = L"x64";
#elif defined(__i386__)
constexpr const wchar_t* kArch = L"x86";
#elif defined(__aarch64__)
constexpr const wchar_t* kArch = L"arm64";
#else
#error "unknown processor architecture"
#endif

struct Channel {
    const wchar_t* guid;
    const wchar_t* name;
};
// EdgeUpdate's client identifiers of the runtime's release channels, most stable first.
constexpr Channel kChannels[] = {
    {L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}", L""},
    {L"{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}", L"beta"},
    {L"{0D50BFEC-CD6A-4F9A-964C-C7416E3ACB10}", L"dev"},
    {L"{65C35B14-6C1D-4122-AC46-7148CC9D6497}", L"canary"},
    {L"{BE59E8FD-089A-411B-A3B0-051D9E417818}", L"internal"},
};
constexpr const wchar_t* kClientState = L"Software\\Microsoft\\EdgeUpdate\\ClientState\\";
constexpr const wchar_t* kPolicies = L"Software\\Policies\\Microsoft\\Edge\\WebView2\\";

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH + 1] = {};
    DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH + 1);
    return n > 0 && n <= MAX_PATH ? std::wstring(value, n) : std::wstring();
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

// A string value of a key, or "" (REG_DWORD values as decimal text).
std::wstring RegistryText(HKEY root, const std::wstring& key, const wchar_t* value, REGSAM view) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &raw) != ERROR_SUCCESS) {
        return {};
    }
    UniqueRegistryKey open(raw);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(raw, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size > 64 * 1024) {
        return {};
    }
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        ::RegQueryValueExW(raw, value, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size);
        return std::to_wstring(number);
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return {};
    }
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(raw, value, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                           &size) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring out(text.data());
    return out;
}

// A loader setting: its environment variable first, then the machine's, then the user's policy
// for this program by its file name, then for every program ("*").
std::wstring Setting(const wchar_t* variable, const wchar_t* policy) {
    std::wstring value = Environment(variable);
    if (!value.empty()) {
        return value;
    }
    const std::wstring program = ProgramPath();
    const std::wstring exe = program.substr(program.find_last_of(L"\\/") + 1);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (const std::wstring& name : {exe, std::wstring(L"*")}) {
            if (name.empty()) {
                continue;
            }
            value = RegistryText(root, std::wstring(kPolicies) + policy, name.c_str(), 0);
            if (!value.empty()) {
                return value;
            }
        }
    }
    return {};
}

bool AtLeast(const RuntimeVersion& version, const RuntimeVersion& floor) {
    return version >= floor;
}

std::wstring DllIn(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') {
        folder += L'\\';
    }
    return folder + L"EBWebView\\" + kArch + L"\\EmbeddedBrowserWebView.dll";
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The product version of a DLL's version resource, read without running any of its code.
std::wstring DllVersion(const std::wstring& path) {
    HMODULE data = ::LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!data) {
        return {};
    }
    UniqueModule keep(data);
    HRSRC info = ::FindResourceW(data, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                 MAKEINTRESOURCEW(16)) /* RT_VERSION */;
    HGLOBAL loaded = info ? ::LoadResource(data, info) : nullptr;
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    const DWORD size = info ? ::SizeofResource(data, info) : 0;
    // VS_FIXEDFILEINFO starts with its signature, 32-bit aligned, after the block's header.
    for (DWORD at = 0; bytes && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        VS_FIXEDFILEINFO fixed;
        std::memcpy(&fixed, bytes + at, sizeof(fixed));
        if (fixed.dwSignature == 0xFEEF04BD) {
            return std::to_wstring(HIWORD(fixed.dwProductVersionMS)) + L"." +
                   std::to_wstring(LOWORD(fixed.dwProductVersionMS)) + L"." +
                   std::to_wstring(HIWORD(fixed.dwProductVersionLS)) + L"." +
                   std::to_wstring(LOWORD(fixed.dwProductVersionLS));
        }
    }
    return {};
}

std::optional<WebView2Runtime> FixedVersionRuntime(std::wstring folder, WebView2Failure& failure) {
    const bool absolute = (folder.size() > 2 && folder[1] == L':') ||
                          (folder.size() > 1 && folder[0] == L'\\' && folder[1] == L'\\');
    if (!absolute) {
        const std::wstring program = ProgramPath();
        folder = program.substr(0, program.find_last_of(L"\\/") + 1) + folder;
    }
    WebView2Runtime runtime;
    runtime.dll = DllIn(folder);
    runtime.type = WebView2RuntimeFixedVersion;
    if (!FileExists(runtime.dll)) {
        failure = {"WebView2: no runtime in the folder WEBVIEW2_BROWSER_EXECUTABLE_FOLDER names: " +
                       Narrow(runtime.dll),
                   ERROR_FILE_NOT_FOUND};
        return std::nullopt;
    }
    runtime.version = DllVersion(runtime.dll);
    auto version = ParseRuntimeVersion(runtime.version);
    if (!version || !AtLeast(*version, kOldestRuntime)) {
        failure = {"WebView2: the runtime in " + Narrow(folder) + " is too old (version " +
                       Narrow(runtime.version) + ")",
                   ERROR_PRODUCT_VERSION};
        return std::nullopt;
    }
    return runtime;
}

} // namespace

std::optional<WebView2Runtime> FindWebView2Runtime(WebView2Failure& failure) {
    const std::wstring folder =
        Setting(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"BrowserExecutableFolder");
    if (!folder.empty()) {
        return FixedVersionRuntime(folder, failure);
    }
    std::vector<Channel> channels(std::begin(kChannels), std::end(kChannels));
    // The least stable channel first when the machine or the user asks for it.
    if (Environment(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE") == L"1" ||
        Setting(L"WEBVIEW2_CHANNEL_SEARCH_KIND", L"ChannelSearchKind") == L"1") {
        std::reverse(channels.begin(), channels.end());
    }
    std::string tooOld;
    for (const Channel& channel : channels) {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            // EdgeUpdate writes its keys in the 32-bit view of the registry.
            std::wstring location = RegistryText(root, std::wstring(kClientState) + channel.guid,
                                                 L"EBWebView", KEY_WOW64_32KEY);
            while (!location.empty() && (location.back() == L'\\' || location.back() == L'/')) {
                location.pop_back();
            }
            if (location.empty()) {
                continue;
            }
            WebView2Runtime runtime;
            runtime.version = location.substr(location.find_last_of(L"\\/") + 1);
            runtime.channel = channel.name;
            runtime.dll = DllIn(location);
            auto version = ParseRuntimeVersion(runtime.version);
            if (!version || !AtLeast(*version, kOldestRuntime)) {
                tooOld = Narrow(runtime.version);
                continue;
            }
            if (!FileExists(runtime.dll)) {
                continue; // a registration left behind by an uninstalled runtime
            }
            return runtime;
        }
    }
    if (!tooOld.empty()) {
        failure = {"WebView2: the installed runtime is too old (version " + tooOld + ")",
                   ERROR_PRODUCT_VERSION};
    } else {
        failure = {"WebView2: no runtime installed", ERROR_FILE_NOT_FOUND};
    }
    return std::nullopt;
}

CreateWebViewEnvironmentWithOptionsInternalProc LoadWebView2Runtime(const WebView2Runtime& runtime,
                                                                    WebView2Failure& failure) {
    HMODULE module =
        ::LoadLibraryExW(runtime.dll.c_str(), nullptr,
                         LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        // A system without the search flags: the DLL's own folder instead of the program's.
        module = ::LoadLibraryExW(runtime.dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (!module) {
        failure = {"WebView2: LoadLibraryExW " + Narrow(runtime.dll), ::GetLastError()};
        return nullptr;
    }
    // Never freed: the runtime's objects live in it until the process ends.
    auto create =
        reinterpret_cast<CreateWebViewEnvironmentWithOptionsInternalProc>(reinterpret_cast<void*>(
            ::GetProcAddress(module, "CreateWebViewEnvironmentWithOptionsInternal")));
    if (!create) {
        failure = {"WebView2: GetProcAddress CreateWebViewEnvironmentWithOptionsInternal",
                   ::GetLastError()};
        ::FreeLibrary(module);
        return nullptr;
    }
    return create;
}

} // namespace velm
