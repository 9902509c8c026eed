#include "app/Startup.h"

#include "base/EventLog.h"
#include "base/WindowObject.h"
#include "mainwindow/WebMainFrm.h"
#include "startup/LayeredImage.h"
#include "startup/LoadFrm.h"
#include "startup/LoginFrm.h"

#include <ole2.h>

namespace velm {
namespace {

// "app://loadgame": the main window takes the address (loading itself first) and shows.
void OpenGame(const std::string& url) {
    WebMainFrm& main = WebMainFrm::Get();
    main.SetURL(url);
    main.Show(SW_SHOW);
}

} // namespace

int RunClient(const char* commandLine) {
    InstallEventLogSink();
    // The splash picture is decoded while the network and update checks wait for the server.
    LayeredImage::Prepare(kSplashPicture);
    ::OleInitialize(nullptr);
    LoadFrm::SetCommandLine(commandLine ? commandLine : "");
    LoadFrm::SetLoginLoader([] { LoginFrm::Get().Load(); });
    LoginFrm::SetGameOpener(&OpenGame);
    LoadFrm& loading = LoadFrm::Get();
    loading.Load();
    loading.Show(SW_SHOWNORMAL);
    int code = RunMessageLoop();
    // The main window object goes at the end of the program, and its tray icon with it.
    WebMainFrm::Destroy();
    ::OleUninitialize();
    return code;
}

} // namespace velm
