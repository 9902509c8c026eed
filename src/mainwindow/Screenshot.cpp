#include "mainwindow/Screenshot.h"

#include "base/Dib.h"
#include "base/Handles.h"
#include "base/Log.h"
#include "base/Png.h"
#include "base/Text.h"
#include "browser/IBrowser.h"
#include "mainwindow/FolderChain.h"
#include "startup/Messages.h"

#include <shlobj.h>

#include <cstdio>
#include <vector>

namespace velm {
namespace {

std::wstring g_folder;

// The client area's pixels as the screen shows them, top row first.
std::optional<std::vector<unsigned char>> CapturePixels(HWND window, int& width, int& height) {
    RECT client{};
    if (!::GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
        return std::nullopt;
    }
    width = client.right;
    height = client.bottom;
    WindowDc source(window);
    UniqueMemoryDc memory(::CreateCompatibleDC(source.get()));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(source.get(), width, height));
    if (!memory || !bitmap) {
        LogCallFailed("SaveScreenshot: CreateCompatibleBitmap", ::GetLastError());
        return std::nullopt;
    }
    {
        SelectScope select(memory.get(), bitmap.get());
        if (!::BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) {
            LogCallFailed("SaveScreenshot: BitBlt", ::GetLastError());
            return std::nullopt;
        }
    }
    std::vector<unsigned char> bgra(static_cast<size_t>(width) * height * 4);
    BITMAPINFO bi = TopDownDib32(width, height);
    if (::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), bgra.data(), &bi,
                    DIB_RGB_COLORS) != height) {
        LogCallFailed("SaveScreenshot: GetDIBits", ::GetLastError());
        return std::nullopt;
    }
    return bgra;
}

// Creates `folder` and the folders above it that are missing, below its drive or share.
bool CreateFolders(const std::wstring& folder) {
    for (const std::wstring& part : FolderChain(folder)) {
        if (!::CreateDirectoryW(part.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            LogCallFailed("SaveScreenshot: CreateDirectoryW " + Narrow(part), ::GetLastError());
            return false;
        }
    }
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Writes `bytes` into a file that must not exist yet; false when it does (ERROR_FILE_EXISTS) or
// the write fails (the partial file is removed).
bool WriteNewFile(const std::wstring& path, const std::string& bytes, DWORD& error) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ::GetLastError();
        return false;
    }
    DWORD written = 0;
    const bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                &written, nullptr) &&
                    written == bytes.size() && ::FlushFileBuffers(file.get());
    error = ok ? ERROR_SUCCESS : ::GetLastError();
    file.reset();
    if (!ok) {
        ::DeleteFileW(path.c_str());
    }
    return ok;
}

} // namespace

std::wstring ScreenshotFolder() {
    if (!g_folder.empty()) {
        return g_folder;
    }
    PWSTR pictures = nullptr;
    HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &pictures);
    std::wstring folder;
    if (SUCCEEDED(hr) && pictures) {
        folder = std::wstring(pictures) + L"\\" + Widen(kProductName) + L"\\";
    } else {
        LogCallFailed("ScreenshotFolder: SHGetKnownFolderPath(FOLDERID_Pictures)", hr);
    }
    ::CoTaskMemFree(pictures);
    return folder;
}

void SetScreenshotFolder(std::wstring folder) {
    g_folder = std::move(folder);
}

std::wstring ScreenshotName(const SYSTEMTIME& t, int n) {
    wchar_t name[40] = {};
    std::swprintf(name, 40, L"%04u%02u%02u-%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    std::wstring text(name);
    if (n > 1) {
        text += L"-" + std::to_wstring(n);
    }
    return text + L".png";
}

namespace {

// Writes a picture's PNG bytes into a new file of `folder`, named from the local time.
std::optional<std::wstring> SavePng(const std::string& png, const std::wstring& folder) {
    if (folder.empty() || png.empty() || !CreateFolders(folder)) {
        return std::nullopt;
    }
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    // Shots in the same second get -2, -3, ...; a file already there is never overwritten.
    for (int n = 1; n <= 1000; ++n) {
        std::wstring path = folder + ScreenshotName(now, n);
        DWORD error = ERROR_SUCCESS;
        if (WriteNewFile(path, png, error)) {
            return path;
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            LogCallFailed("SaveScreenshot: writing " + Narrow(path), error);
            return std::nullopt;
        }
    }
    LogError("SaveScreenshot: a thousand pictures in one second already");
    return std::nullopt;
}

} // namespace

std::optional<std::wstring> SaveScreenshot(HWND window, const std::wstring& folder) {
    // A picture of a large page takes much memory; running short of it is a failed shot too.
    try {
        int width = 0;
        int height = 0;
        std::optional<std::vector<unsigned char>> pixels = CapturePixels(window, width, height);
        if (!pixels || folder.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> png = EncodePng(width, height, pixels->data());
        return png ? SavePng(*png, folder) : std::nullopt;
    } catch (...) {
        LogCaught("SaveScreenshot");
        return std::nullopt;
    }
}

void SavePageScreenshot(HWND page, const std::wstring& folder,
                        std::function<void(std::optional<std::wstring> saved)> done) {
    // A page another process draws is not in this window's pixels: its engine takes the picture.
    IBrowser* browser = page ? BrowserIn(page) : nullptr;
    if (browser && browser->CapturePage([folder, done](const std::string& png) {
            std::optional<std::wstring> saved;
            try {
                saved = SavePng(png, folder);
            } catch (...) {
                LogCaught("SavePageScreenshot");
            }
            done(saved);
        })) {
        return;
    }
    done(page ? SaveScreenshot(page, folder) : std::nullopt);
}

} // namespace velm
