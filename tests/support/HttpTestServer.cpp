#include "support/HttpTestServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstring>

namespace velm::test {
namespace {

struct WinsockInit {
    WinsockInit() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

void EnsureWinsock() {
    static WinsockInit init;
}

bool SendAll(SOCKET s, const char* data, size_t size) {
    while (size > 0) {
        int n = ::send(s, data, static_cast<int>(size), 0);
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpTestServer::HttpTestServer() {
    EnsureWinsock();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    ::listen(s, 16);
    int len = sizeof(addr);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listener_ = s;
    thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer() {
    stopping_ = true;
    ::closesocket(static_cast<SOCKET>(listener_));
    // A client that stopped reading must not keep the serving thread in send() for ever.
    uintptr_t client = active_.exchange(~uintptr_t(0));
    if (client != ~uintptr_t(0)) {
        ::shutdown(static_cast<SOCKET>(client), SD_BOTH);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::string HttpTestServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpTestServer::Route(const std::string& path, Response response) {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_[path] = std::move(response);
}

std::vector<std::string> HttpTestServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void HttpTestServer::Serve() {
    while (!stopping_) {
        SOCKET client = ::accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            return;
        }
        DWORD timeout = 5000;
        ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
                     sizeof(timeout));
        active_ = client;
        Handle(client);
        active_ = ~uintptr_t(0);
    }
}

void HttpTestServer::Handle(uintptr_t clientHandle) {
    SOCKET client = static_cast<SOCKET>(clientHandle);
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        int n = ::recv(client, buf, sizeof(buf), 0);
        if (n <= 0) {
            ::closesocket(client);
            return;
        }
        request.append(buf, static_cast<size_t>(n));
    }
    std::string path;
    size_t sp1 = request.find(' ');
    size_t sp2 = request.find(' ', sp1 + 1);
    if (sp1 != std::string::npos && sp2 != std::string::npos) {
        path = request.substr(sp1 + 1, sp2 - sp1 - 1);
    }
    Response r;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(path);
        auto it = routes_.find(path);
        if (it != routes_.end()) {
            r = it->second;
        } else {
            r.status = 404;
            r.body = "not found";
        }
    }
    if (r.delayMs) {
        ::Sleep(r.delayMs);
    }
    std::string head = "HTTP/1.1 " + std::to_string(r.status) + " " + Reason(r.status) + "\r\n";
    head += "Content-Type: application/octet-stream\r\nConnection: close\r\n";
    if (r.chunked) {
        head += "Transfer-Encoding: chunked\r\n";
    } else if (r.announcedLength >= 0) {
        head += "Content-Length: " + std::to_string(r.announcedLength) + "\r\n";
    } else if (r.contentLength) {
        head += "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
    }
    head += "\r\n";
    if (r.headTrickleMs) {
        for (std::size_t i = 0; i < head.size() && !stopping_; ++i) {
            if (!SendAll(client, head.data() + i, 1)) {
                break;
            }
            ::Sleep(r.headTrickleMs);
        }
    } else {
        SendAll(client, head.data(), head.size());
    }
    size_t send = r.body.size() < r.cutAfter ? r.body.size() : r.cutAfter;
    if (r.chunked) {
        const size_t piece = 1000;
        for (size_t i = 0; i < send; i += piece) {
            size_t n = send - i < piece ? send - i : piece;
            char size[32];
            std::snprintf(size, sizeof(size), "%zx\r\n", n);
            SendAll(client, size, std::strlen(size));
            SendAll(client, r.body.data() + i, n);
            SendAll(client, "\r\n", 2);
        }
        if (send == r.body.size()) {
            SendAll(client, "0\r\n\r\n", 5);
        }
    } else {
        SendAll(client, r.body.data(), send);
    }
    if (send < r.body.size() && r.resetOnCut) {
        linger l{1, 0}; // an abortive close: the peer sees a reset
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof(l));
    } else {
        ::shutdown(client, SD_SEND);
        // Drain until the peer closes, so the close is graceful.
        ::Sleep(10);
    }
    ::closesocket(client);
}

unsigned short UnusedPort() {
    EnsureWinsock();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    int len = sizeof(addr);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::closesocket(s);
    return ntohs(addr.sin_port);
}

} // namespace velm::test
