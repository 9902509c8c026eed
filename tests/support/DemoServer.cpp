#include "support/DemoServer.h"

#include "Config.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>

namespace velm::test {

std::string DemoGet(const std::string& pathAndQuery) {
    std::string url = std::string(VELM_STATIC_SERVER) + pathAndQuery;
    HINTERNET root = ::InternetOpenA("velm-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!root) {
        return {};
    }
    std::string body;
    HINTERNET req = ::InternetOpenUrlA(root, url.c_str(), nullptr, 0,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (req) {
        char buf[4096];
        DWORD got = 0;
        while (::InternetReadFile(req, buf, sizeof(buf), &got) && got > 0) {
            body.append(buf, got);
        }
        ::InternetCloseHandle(req);
    }
    ::InternetCloseHandle(root);
    return body;
}

std::string UrlEncode(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof(hex), "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

bool DemoSetVersion(const std::string& version) {
    return DemoGet("/__control/version?value=" + UrlEncode(version)) == "ok\n";
}

bool DemoSet(const std::string& path, int status, const std::string& body,
             const std::string& type) {
    return DemoGet("/__control/set?path=" + UrlEncode(path) + "&status=" + std::to_string(status) +
                   "&type=" + UrlEncode(type) + "&body=" + UrlEncode(body)) == "ok\n";
}

bool DemoReset() {
    return DemoGet("/__control/reset") == "ok\n";
}

} // namespace velm::test
