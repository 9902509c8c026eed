#include "base/Log.h"

#include <cstdio>
#include <exception>
#include <utility>

namespace velm {
namespace {
LogSink& CurrentSink() {
    static LogSink sink;
    return sink;
}
} // namespace

void LogError(const std::string& entry) {
    LogSink& sink = CurrentSink();
    if (sink) {
        try {
            sink(entry);
        } catch (...) {
            // A failing sink must not take its caller down with it.
        }
    }
}

void LogCallFailed(const std::string& call, unsigned long code) {
    char text[48];
    std::snprintf(text, sizeof(text), " failed: error %lu (0x%08lX)", code, code);
    LogError(call + text);
}

void LogCaught(const std::string& what) noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            LogError(what + ": " + e.what());
        } catch (...) {
            LogError(what + ": unknown exception");
        }
    } catch (...) {
        // Building the entry itself failed (no memory): nothing more can be said.
    }
}

LogSink SetLogSink(LogSink sink) {
    return std::exchange(CurrentSink(), std::move(sink));
}

} // namespace velm
