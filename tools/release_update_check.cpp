// Run under Wine by scripts/release: a client of the previous release, in a folder of its own,
// finds the release being made, the player says Yes, and the client that then shows its splash
// must run the new version from the same file and offer nothing more.
//
//   release_update_check.exe FOLDER VERSION
//
// FOLDER holds velm.exe (the previous client) and tmp\ (its temporary folder). Prints what it saw;
// exits 0 only when the update went through.
#include "startup/Messages.h"
#include "updater/UpdaterTexts.h"

#include "base/Handles.h"
#include "base/Text.h"
#include "support/WinTest.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velm;
using namespace velm::test;

namespace {

DWORD PidOf(HWND hwnd) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::wstring ImagePath(DWORD pid) {
    UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !::QueryFullProcessImageNameW(process.get(), 0, image, &size)) {
        return L"";
    }
    return image;
}

// The file version of a program, "a.b.c.d", or "" when it has none.
std::string FileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (info.empty() || !::GetFileVersionInfoW(path.c_str(), 0, info.size(), info.data()) ||
        !::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof(*fixed)) {
        return "";
    }
    char text[64];
    std::snprintf(text, sizeof(text), "%lu.%lu.%lu.%lu", fixed->dwFileVersionMS >> 16,
                  fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
                  fixed->dwFileVersionLS & 0xFFFF);
    return text;
}

std::string FourParts(std::string version) {
    for (int dots = std::count(version.begin(), version.end(), '.'); dots < 3; ++dots) {
        version += ".0";
    }
    return version;
}

int Fail(const std::string& what) {
    std::printf("FAILED: %s\n", what.c_str());
    return 1;
}

int Check(const std::wstring& folder, const std::string& version) {
    const std::wstring exe = folder + L"velm.exe";
    const std::wstring tmp = folder + L"tmp\\";
    const std::string previous = FileVersion(exe);
    std::printf("the client of version %s starts\n", previous.c_str());
    ChildProcess client;
    if (!client.Start(exe, L"", {{L"TMP", tmp}, {L"TEMP", tmp}})) {
        return Fail("the previous client cannot be started (error " +
                    std::to_string(::GetLastError()) + ")");
    }
    // Either the offer, or the client going on to its login window without one.
    HWND offer = nullptr;
    for (DWORD waited = 0; !offer && client.Running() && waited < 90000; waited += 500) {
        offer = WaitForWindow(
            [&](HWND h) {
                return PidOf(h) == client.Pid() && ::IsWindowVisible(h) &&
                       (WindowClass(h) == L"velm.LoginFrm" ||
                        (WindowClass(h) == L"#32770" && WindowText(h) == L"提示"));
            },
            500);
    }
    // A client that refuses the manifest says nothing about it and goes on to its login (whose
    // page may then fail and say so in a box of the same title).
    const std::string refused = "the previous client did not offer the update";
    const char* why = " (it could not fetch the manifest, or refused its signature or version)";
    if (!offer) {
        return Fail(refused + (client.Running() ? " within 90 s" : ": it ended") + why);
    }
    if (WindowClass(offer) == L"velm.LoginFrm") {
        client.Kill();
        return Fail(refused + ": it went on to its login window" + why);
    }
    if (MessageBoxText(offer) != Widen(kNewVersionText)) {
        const std::string said = Narrow(MessageBoxText(offer));
        client.Kill();
        return Fail(refused + ": it said \"" + said + "\"" + why);
    }
    std::printf("it offers the update; the player says Yes\n");
    PressButton(offer, IDYES);
    if (!client.Wait(30000)) {
        return Fail("the previous client did not end for the updater");
    }
    HWND updaterBox = nullptr;
    HWND splash = WaitForWindow(
        [&](HWND h) {
            if (WindowClass(h) == L"#32770" && WindowText(h) == Widen(kUpdaterTitle)) {
                updaterBox = h;
                return true;
            }
            return WindowClass(h) == L"velm.LoadFrm" && PidOf(h) != client.Pid();
        },
        180000);
    if (updaterBox) {
        return Fail("the updater says: " + Narrow(MessageBoxText(updaterBox)));
    }
    if (!splash) {
        return Fail("no client showed its splash within 3 minutes of the Yes");
    }
    const DWORD pid = PidOf(splash);
    const std::wstring image = ImagePath(pid);
    const std::string running = FileVersion(image);
    std::printf("the splash shows; its program is %s, version %s\n", Narrow(image).c_str(),
                running.c_str());
    const bool again = !NoDialogFor(L"提示", pid, 3000);
    if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
        ::TerminateProcess(h, 0);
        ::CloseHandle(h);
    }
    if (::lstrcmpiW(image.c_str(), exe.c_str()) != 0) {
        return Fail("the splash is not the updated client's");
    }
    if (running != FourParts(version)) {
        return Fail("the running client is version " + running + ", not " + version);
    }
    if (again) {
        return Fail("the updated client offers an update again");
    }
    std::printf("good: %s updated itself to %s\n", previous.c_str(), running.c_str());
    return 0;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 3) {
        std::printf("usage: release_update_check FOLDER VERSION\n");
        return 2;
    }
    std::wstring folder = argv[1];
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    const int status = Check(folder, Narrow(argv[2]));
    std::fflush(stdout);
    return status;
}
