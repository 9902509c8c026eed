#include "support/FakeWebView2Runtime.h"

#include "support/WinTest.h"

#include <vector>

namespace velm::test {
namespace {

const wchar_t kClientState[] =
    L"Software\\Microsoft\\EdgeUpdate\\ClientState\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

std::wstring Folder(const char* variant, const char* version) {
    std::string p =
        FromUnixPath(std::string(VELM_BINARY_DIR) + "/fakewebview2/" + variant + "/" + version);
    return std::wstring(p.begin(), p.end());
}

HMODULE Module() {
    return ::GetModuleHandleW(L"EmbeddedBrowserWebView.dll");
}

template <class F> F Export(const char* name) {
    HMODULE m = Module();
    return m ? reinterpret_cast<F>(::GetProcAddress(m, name)) : nullptr;
}

} // namespace

std::wstring FakeRuntimeFolder() {
    return Folder("current", VELM_FAKE_WEBVIEW2_VERSION);
}
std::wstring OldFakeRuntimeFolder() {
    return Folder("old", VELM_FAKE_WEBVIEW2_OLD_VERSION);
}
std::wstring NoEntryRuntimeFolder() {
    return Folder("noentry", VELM_FAKE_WEBVIEW2_VERSION);
}

InstalledRuntime::InstalledRuntime(const std::wstring& folder) {
    Remove();
    if (folder.empty()) {
        return;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kClientState, 0, nullptr, 0,
                          KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExW(key, L"EBWebView", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
}

InstalledRuntime::~InstalledRuntime() {
    Remove();
}

void InstalledRuntime::Remove() {
    ::RegDeleteKeyExW(HKEY_CURRENT_USER, kClientState, KEY_WOW64_32KEY, 0);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    char buffer[4096];
    DWORD n = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    had_ = n > 0 && n < sizeof(buffer);
    if (had_) {
        old_.assign(buffer, n);
    }
    ::SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnv::~ScopedEnv() {
    ::SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr);
}

bool FakeRuntime::Loaded() {
    return Module() != nullptr;
}

int FakeRuntime::Command(const std::string& line) {
    auto f = Export<int (*)(const char*)>("FakeWebView2Command");
    return f ? f(line.c_str()) : -1;
}

std::string FakeRuntime::Log() {
    auto f = Export<int (*)(char*, int)>("FakeWebView2Log");
    if (!f) {
        return {};
    }
    std::vector<char> buffer(static_cast<size_t>(f(nullptr, 0)) + 1);
    f(buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

void FakeRuntime::ClearLog() {
    if (auto f = Export<void (*)()>("FakeWebView2ClearLog")) {
        f();
    }
}

int FakeRuntime::LiveObjects() {
    auto f = Export<int (*)()>("FakeWebView2LiveObjects");
    return f ? f() : -1;
}

HWND FakeRuntime::Window(int view) {
    auto f = Export<HWND (*)(int)>("FakeWebView2Window");
    return f ? f(view) : nullptr;
}

} // namespace velm::test
