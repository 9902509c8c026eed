// The log sink: one entry per call. The product writes entries to the application event log;
// tests install a sink that captures them.
#pragma once

#include <functional>
#include <string>

namespace velm {

using LogSink = std::function<void(const std::string& entry)>;

// Writes one error entry to the current sink (nothing when none is installed).
void LogError(const std::string& entry);
// One entry naming the call that failed and its error code (a system error or an HRESULT):
// "<call> failed: error <decimal> (0x<hex>)".
void LogCallFailed(const std::string& call, unsigned long code);
// Installs `sink` and returns the previous one.
LogSink SetLogSink(LogSink sink);

} // namespace velm
