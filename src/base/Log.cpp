#include "base/Log.h"

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

LogSink SetLogSink(LogSink sink) {
    return std::exchange(CurrentSink(), std::move(sink));
}

} // namespace velm
