// The modern runtime's environment, one for the process: found, loaded and created early (while
// the splash shows), waited for by the first browser, started anew after its browser process
// ended, and released before COM goes.
#pragma once

#include "base/Handles.h"
#include "browser/WebView2.h"

#include <functional>
#include <string>

namespace velm {

class ModernRuntime {
public:
    // How long the first browser waits for the environment before it takes the system control.
    static constexpr unsigned long kStartLimitMs = 10000;

    // Finds and loads the runtime and asks it for an environment; returns at once. Does nothing
    // while an environment exists or is on its way, or after the runtime failed to start.
    static void Start();
    // Waits at most `ms` for the environment, letting this thread's messages run; null when it
    // failed or did not come in time (then the process gives up on it, logged).
    static ComPtr<ICoreWebView2Environment> Wait(unsigned long ms);
    // Runs `ready` once the environment exists (at once when it does), with null when it cannot
    // be had.
    static void WhenReady(std::function<void(ICoreWebView2Environment*)> ready);
    // The runtime's version ("138.0.3351.48", a channel name after it); "" before it loaded.
    static std::string Version();
    // True once the runtime failed to start (this process then never tries again).
    static bool HasFailed();
    // The step that failed, "" when none did.
    static std::string Failure();
    // The runtime reported that the browser process of `environment` ended: the next browser
    // gets a new environment.
    static void BrowserProcessExited(ICoreWebView2Environment* environment);
    // Drops the environment and the waiting callbacks; the end of the program, before COM goes.
    static void Release() noexcept;
    // Where the runtime keeps the players' data: %LOCALAPPDATA%\OrvikVelmora\WebView2.
    static std::wstring UserDataFolder();
};

} // namespace velm
