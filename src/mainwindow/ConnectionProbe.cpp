#include "mainwindow/ConnectionProbe.h"

#include "base/Log.h"
#include "base/Text.h"

#include <wininet.h>

#include <mutex>
#include <thread>

namespace velm {

struct ConnectionProbe::Shared {
    std::mutex lock;
    HWND window = nullptr;
    UINT message = 0;
    bool running = false;
};

namespace {
void Probe(std::shared_ptr<ConnectionProbe::Shared> shared, std::wstring url) noexcept {
    // A connection only: the game's server sees no request, and a host that drops packets
    // costs this thread its wait, not the window.
    const BOOL reached = ::InternetCheckConnectionW(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0);
    try {
        std::lock_guard<std::mutex> hold(shared->lock);
        shared->running = false;
        if (shared->window &&
            !::PostMessageW(shared->window, shared->message, reached ? 1 : 0, 0)) {
            LogCallFailed("ConnectionProbe: PostMessageW", ::GetLastError());
        }
    } catch (...) {
        LogCaught("ConnectionProbe: handing the answer over");
    }
}
} // namespace

ConnectionProbe::~ConnectionProbe() {
    Stop();
}

void ConnectionProbe::Start(HWND window, UINT message, const std::string& url) {
    if (!shared_) {
        shared_ = std::make_shared<Shared>();
    }
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        if (shared_->running) {
            return;
        }
        shared_->window = window;
        shared_->message = message;
        shared_->running = true;
    }
    try {
        std::thread(Probe, shared_, Widen(url)).detach();
    } catch (...) {
        LogCaught("ConnectionProbe.Start: starting the probe thread");
        std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->running = false;
    }
}

void ConnectionProbe::Stop() {
    if (shared_) {
        std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->window = nullptr;
    }
}

} // namespace velm
