#include "startup/LoadFrm.h"

#include "base/Log.h"
#include "base/Ole.h"
#include "base/Text.h"
#include "startup/Messages.h"
#include "startup/UpdateCheck.h"

#include "Config.h"

#include <shellapi.h>
#include <wininet.h>

namespace velm {
namespace {

std::string g_commandLine;
std::function<void()> g_loginLoader;

bool SystemConnectionCheck() {
    DWORD flags = 0;
    return ::InternetGetConnectedState(&flags, 0) != 0;
}
bool (*g_connectionCheck)() = &SystemConnectionCheck;

} // namespace

LoadFrm& LoadFrm::Get() {
    return FormInstance<LoadFrm>::Get();
}

bool LoadFrm::Exists() noexcept {
    return FormInstance<LoadFrm>::Pointer() != nullptr;
}
void LoadFrm::SetCommandLine(std::string commandLine) {
    g_commandLine = std::move(commandLine);
}
void LoadFrm::SetConnectionCheck(bool (*check)()) {
    g_connectionCheck = check ? check : &SystemConnectionCheck;
}
void LoadFrm::SetLoginLoader(std::function<void()> loader) {
    g_loginLoader = std::move(loader);
}

LoadFrm::LoadFrm() {
    if (!g_connectionCheck()) {
        ShowMessage(nullptr, kNoNetworkText, kPromptTitle, MB_ICONWARNING | MB_OK);
        TerminateNow();
    }
    CheckUpdate();
}

void LoadFrm::CheckUpdate() {
    CheckUpdateAtStartup(downloader_);
}

FormDesign LoadFrm::Design() const {
    FormDesign d;
    d.className = L"velm.LoadFrm";
    d.caption = "Form1";
    d.style = WS_POPUP;
    d.exStyle = WS_EX_TOOLWINDOW; // no taskbar button
    d.clientWidth = 356;
    d.clientHeight = 122;
    d.centred = true;
    return d;
}

void LoadFrm::OnLoad() {
    if (g_commandLine == "/web") {
        StartOle(); // the shell may hand the address to an extension through COM
        ::ShellExecuteA(nullptr, "open", VELM_MAKER_HOME, nullptr, nullptr, SW_SHOWNORMAL);
        TerminateNow();
    }
    image_.Show(hWnd(), kSplashPicture);
    loginPending_ = true;
}

void LoadFrm::Show(int showCommand) {
    if (!Load()) {
        // Without the splash nothing would ever open the login, and the process would wait
        // unseen for a window that never comes.
        LogCallFailed("LoadFrm: the splash window could not be created: CreateWindowExW",
                      ::GetLastError());
        TerminateNow(1);
    }
    WindowObject::Show(showCommand);
    if (loginPending_ && IsLoaded()) {
        loginPending_ = false;
        // This client got as far as its splash: the one an update replaced is no longer needed.
        DiscardUpdateBackup();
        if (g_loginLoader) {
            g_loginLoader();
        }
    }
}

void LoadFrm::OnUnload() {
    loginPending_ = false;
    image_.Release();
}

} // namespace velm
