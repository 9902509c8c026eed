#pragma once

namespace velm {
// Routes LogError entries to the application event log, source "velm".
void InstallEventLogSink();
} // namespace velm
