// Asks, on a thread of its own, whether the server of an address takes a TCP connection now (no
// request is sent), and posts the answer to a window. Cheap enough to ask once a second while a
// tab waits for its server; the answer tells the tab to try its page at once.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace velm {

class ConnectionProbe {
public:
    ConnectionProbe() = default;
    ConnectionProbe(const ConnectionProbe&) = delete;
    ConnectionProbe& operator=(const ConnectionProbe&) = delete;
    // The window gets no answer after this; a probe still waiting ends by itself.
    ~ConnectionProbe();

    // Starts one probe of `url`'s host and port; `message` reaches `window` with wParam 1 when the
    // server took the connection, else 0. Does nothing while an earlier probe has not answered.
    void Start(HWND window, UINT message, const std::string& url);
    // Forgets the window: answers of probes under way go nowhere.
    void Stop();

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

} // namespace velm
