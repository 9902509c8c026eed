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
// Inside a catch block: one entry "<what>: <the exception's text>".
void LogCaught(const std::string& what) noexcept;
// Runs `step`; whatever it throws is logged with LogCaught(what) and goes no further, so a
// failing step never keeps the next one from running.
template <class Step> void Guarded(const char* what, Step&& step) noexcept {
    try {
        step();
    } catch (...) {
        LogCaught(what);
    }
}
// Installs `sink` and returns the previous one.
LogSink SetLogSink(LogSink sink);

} // namespace velm
