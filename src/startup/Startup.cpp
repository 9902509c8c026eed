#include "startup/Startup.h"

#include "base/EventLog.h"
#include "base/WindowObject.h"
#include "startup/LoadFrm.h"
#include "startup/LoginFrm.h"

#include <ole2.h>

namespace velm {

int RunClient(const char* commandLine) {
    InstallEventLogSink();
    ::OleInitialize(nullptr);
    LoadFrm::SetCommandLine(commandLine ? commandLine : "");
    LoadFrm::SetLoginLoader([] { LoginFrm::Get().Load(); });
    LoadFrm& loading = LoadFrm::Get();
    loading.Load();
    loading.Show(SW_SHOWNORMAL);
    int code = RunMessageLoop();
    ::OleUninitialize();
    return code;
}

} // namespace velm
