// A real HTTP server on 127.0.0.1 for the download tests, on a thread of its own. Each route
// answers with a scripted response, which can misbehave the ways servers do.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velm::test {

struct Response {
    int status = 200;
    std::string body;
    bool contentLength = true;           // send Content-Length: body.size()
    long long announcedLength = -1;      // send this Content-Length instead, when >= 0
    bool chunked = false;                // Transfer-Encoding: chunked
    size_t cutAfter = std::string::npos; // close the connection after this many body bytes
    bool resetOnCut = false;             // abort (RST) instead of a graceful close when cutting
    unsigned delayMs = 0;                // wait before answering
    unsigned headTrickleMs = 0;          // send the head a byte at a time, this far apart
};

class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    unsigned short port() const { return port_; }
    std::string Url(const std::string& path) const;
    void Route(const std::string& path, Response response);
    // Paths requested so far, in order.
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Handle(uintptr_t client);

    uintptr_t listener_ = ~uintptr_t(0);
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<uintptr_t> active_{~uintptr_t(0)};
    mutable std::mutex mutex_;
    std::map<std::string, Response> routes_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 with nothing listening.
unsigned short UnusedPort();

} // namespace velm::test
