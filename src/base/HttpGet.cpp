#include "base/HttpGet.h"

#include <cstring>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace velm {

void SetInternetTimeouts(HINTERNET handle, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                         INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        ::InternetSetOptionA(handle, option, &ms, sizeof(ms));
    }
}

UniqueInternet OpenHttpGet(HINTERNET root, const std::string& url, DWORD flags, DWORD stepMs,
                           UniqueInternet& connection, bool& http) {
    http = false;
    char host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
    char user[INTERNET_MAX_USER_NAME_LENGTH] = {};
    char password[INTERNET_MAX_PASSWORD_LENGTH] = {};
    std::vector<char> path(url.size() + 2);
    std::vector<char> extra(url.size() + 2);
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUserName = user;
    parts.dwUserNameLength = sizeof(user);
    parts.lpszPassword = password;
    parts.dwPasswordLength = sizeof(password);
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        return UniqueInternet();
    }
    http = true;
    connection.reset(::InternetConnectA(root, host, parts.nPort, user[0] ? user : nullptr,
                                        password[0] ? password : nullptr, INTERNET_SERVICE_HTTP, 0,
                                        0));
    if (!connection) {
        return UniqueInternet();
    }
    std::string object(path[0] ? path.data() : "/");
    object.append(extra.data(), std::strlen(extra.data()));
    flags |= INTERNET_FLAG_RELOAD;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) {
        flags |= INTERNET_FLAG_SECURE;
    }
    UniqueInternet request(::HttpOpenRequestA(connection.get(), "GET", object.c_str(), nullptr,
                                              nullptr, nullptr, flags, 0));
    if (!request) {
        return UniqueInternet();
    }
    SetInternetTimeouts(request.get(), stepMs);
    if (!::HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) {
        // The caller reads why; closing the request must not overwrite it.
        const DWORD error = ::GetLastError();
        request.reset();
        ::SetLastError(error);
        return UniqueInternet();
    }
    return request;
}

namespace {

// Shared by a bounded request's caller and the thread that makes it; whichever ends last frees it.
struct PendingGet {
    std::mutex mutex;
    bool abandoned = false;
    bool ok = false;
    HttpGetHandles handles;
    UniqueKernelHandle done;
};

void MakeRequest(const std::shared_ptr<PendingGet>& pending, const std::string& url, DWORD flags,
                 DWORD totalMs) {
    HttpGetHandles made;
    made.root.reset(::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (made.root) {
        SetInternetTimeouts(made.root.get(), totalMs);
        bool http = false;
        made.request = OpenHttpGet(made.root.get(), url, flags, totalMs, made.connection, http);
        if (!http) {
            made.request.reset(::InternetOpenUrlA(made.root.get(), url.c_str(), nullptr, 0,
                                                  flags | INTERNET_FLAG_RELOAD, 0));
        }
    }
    std::lock_guard<std::mutex> lock(pending->mutex);
    if (!pending->abandoned) {
        pending->ok = static_cast<bool>(made.request);
        pending->handles = std::move(made);
    }
    ::SetEvent(pending->done.get());
    // Given up on: what was opened closes here, after the lock.
}

} // namespace

bool OpenHttpGetWithin(const std::string& url, DWORD flags, DWORD totalMs, HttpGetHandles& out) {
    auto pending = std::make_shared<PendingGet>();
    pending->done.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!pending->done) {
        return false;
    }
    try {
        std::thread(MakeRequest, pending, url, flags, totalMs).detach();
    } catch (const std::system_error&) {
        return false;
    }
    const DWORD waited = ::WaitForSingleObject(pending->done.get(), totalMs);
    std::lock_guard<std::mutex> lock(pending->mutex);
    if (waited != WAIT_OBJECT_0) {
        pending->abandoned = true;
        return false;
    }
    out = std::move(pending->handles);
    return pending->ok;
}

} // namespace velm
