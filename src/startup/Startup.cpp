#include "startup/Startup.h"

#include "base/EventLog.h"
#include "base/WindowObject.h"
#include "mainwindow/WebUrl.h"
#include "startup/LoadFrm.h"
#include "startup/LoginFrm.h"

#include <ole2.h>

namespace velm {
namespace {

// Until the main window takes the game address, the game opens in a page form of its own.
void OpenGame(const std::string& url) {
    static WebUrl* game = nullptr; // lives as long as the process, as the window objects do
    if (!game) {
        game = new WebUrl();
    }
    game->OpenURL(url);
    game->Show(SW_SHOWNORMAL);
}

} // namespace

int RunClient(const char* commandLine) {
    InstallEventLogSink();
    ::OleInitialize(nullptr);
    LoadFrm::SetCommandLine(commandLine ? commandLine : "");
    LoadFrm::SetLoginLoader([] { LoginFrm::Get().Load(); });
    LoginFrm::SetGameOpener(&OpenGame);
    LoadFrm& loading = LoadFrm::Get();
    loading.Load();
    loading.Show(SW_SHOWNORMAL);
    int code = RunMessageLoop();
    ::OleUninitialize();
    return code;
}

} // namespace velm
