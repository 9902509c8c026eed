#include "base/Ole.h"

#include "base/Log.h"

#include <ole2.h>

namespace velm {
namespace {

bool g_started = false;

} // namespace

void StartOle() {
    if (g_started) {
        return;
    }
    const HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr)) {
        LogCallFailed("OleInitialize", static_cast<unsigned long>(hr));
        return;
    }
    g_started = true;
}

void EndOle() {
    if (g_started) {
        g_started = false;
        ::OleUninitialize();
    }
}

} // namespace velm
