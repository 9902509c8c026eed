#include "app/Startup.h"

#include "base/EventLog.h"
#include "base/Ole.h"
#include "base/WindowObject.h"
#include "browser/IBrowser.h"
#include "mainwindow/WebMainFrm.h"
#include "startup/LayeredImage.h"
#include "startup/LoadFrm.h"
#include "startup/LoginFrm.h"

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
    LoadFrm::SetCommandLine(commandLine ? commandLine : "");
    LoadFrm::SetLoginLoader([] {
        // The splash is up: OLE and the modern runtime start now, while the login page is
        // prepared, and the first browser waits for the runtime only as long as it still takes.
        StartOle();
        PrepareBrowserEngine();
        LoginFrm::Get().Load();
    });
    LoginFrm::SetGameOpener(&OpenGame);
    LoadFrm& loading = LoadFrm::Get();
    loading.Load();
    loading.Show(SW_SHOWNORMAL);
    int code = RunMessageLoop();
    EndClient();
    return code;
}

void EndClient() {
    // The main window object goes at the end of the program, and its tray icon with it.
    WebMainFrm::Destroy();
    // A page that closed its own window from one of its events leaves its control to be released
    // later; the loop has ended before that came, and the control must go while COM is alive.
    ReleaseDeferredBrowsers();
    EndOle();
}

} // namespace velm
