#include "base/SettingsFile.h"

#include "base/Handles.h"
#include "base/Log.h"
#include "base/Text.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <memory>
#include <optional>

namespace velm {
namespace {

std::wstring g_path;
std::optional<Settings> g_settings;

std::wstring DefaultFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    std::wstring folder;
    if (length > 0 && length < MAX_PATH) {
        folder = buffer;
    } else {
        PWSTR known = nullptr;
        const HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known);
        if (SUCCEEDED(hr) && known) {
            folder = known;
        } else {
            LogCallFailed("SettingsPath: SHGetKnownFolderPath(FOLDERID_LocalAppData)",
                          static_cast<unsigned long>(hr));
        }
        ::CoTaskMemFree(known);
    }
    return folder.empty() ? folder : folder + L"\\OrvikVelmora";
}

std::string Name(const std::wstring& path) {
    return Narrow(path);
}

} // namespace

std::wstring SettingsPath() {
    if (!g_path.empty()) {
        return g_path;
    }
    const std::wstring folder = DefaultFolder();
    return folder.empty() ? folder : folder + L"\\settings.ini";
}

void SetSettingsPath(std::wstring path) {
    g_path = std::move(path);
    g_settings.reset();
}

Settings LoadSettings(const std::wstring& path) {
    if (path.empty()) {
        LogError("LoadSettings: no settings folder, the defaults apply");
        return {};
    }
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            LogError("LoadSettings: " + Name(path) + " does not exist yet, the defaults apply");
        } else {
            LogCallFailed("LoadSettings: CreateFileW " + Name(path), error);
        }
        return {};
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        LogCallFailed("LoadSettings: GetFileSizeEx " + Name(path), ::GetLastError());
        return {};
    }
    if (size.QuadPart > static_cast<LONGLONG>(Settings::kMaxSize)) {
        LogError("LoadSettings: " + Name(path) + " has " + std::to_string(size.QuadPart) +
                 " bytes, more than settings ever take; the defaults apply");
        return {};
    }
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        !::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) {
        LogCallFailed("LoadSettings: ReadFile " + Name(path), ::GetLastError());
        return {};
    }
    text.resize(read);
    std::string why;
    auto settings = Settings::Parse(text, &why);
    if (!settings) {
        LogError("LoadSettings: " + Name(path) + " is damaged (" + why + "); the defaults apply");
        return {};
    }
    return *settings;
}

bool SaveSettings(const Settings& settings, const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) {
        ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    }
    const std::wstring temp = path + L".tmp";
    const std::string text = settings.Serialise();
    {
        UniqueFile file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            LogCallFailed("SaveSettings: CreateFileW " + Name(temp), ::GetLastError());
            return false;
        }
        DWORD written = 0;
        if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                         nullptr) ||
            written != text.size()) {
            LogCallFailed("SaveSettings: WriteFile " + Name(temp), ::GetLastError());
            file.reset();
            ::DeleteFileW(temp.c_str());
            return false;
        }
        // On the disk before the name moves to it: a power cut leaves the old file or the new.
        if (!::FlushFileBuffers(file.get())) {
            LogCallFailed("SaveSettings: FlushFileBuffers " + Name(temp), ::GetLastError());
        }
    }
    if (!::MoveFileExW(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        LogCallFailed("SaveSettings: MoveFileExW " + Name(path), ::GetLastError());
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

Settings& AppSettings() {
    if (!g_settings) {
        g_settings = LoadSettings(SettingsPath());
    }
    return *g_settings;
}

bool SaveAppSettings() {
    return SaveSettings(AppSettings(), SettingsPath());
}

} // namespace velm
