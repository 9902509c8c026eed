#include "base/EventLog.h"

#include "base/Log.h"

#include <windows.h>

namespace velm {

void InstallEventLogSink() {
    SetLogSink([](const std::string& entry) {
        HANDLE source = ::RegisterEventSourceA(nullptr, "velm");
        if (!source) {
            return;
        }
        const char* strings[] = {entry.c_str()};
        ::ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr);
        ::DeregisterEventSource(source);
    });
}

} // namespace velm
