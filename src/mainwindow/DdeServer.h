// The DDE entry of a running client: service "velm", topic "MarluneDDE", each execute command a
// game address for a tab of the main window. Any local program may send one, so only web
// addresses are taken, and no more than kMaxTabs tabs are ever opened this way.
#pragma once

#include <windows.h>

#include <ddeml.h>

#include <cstdint>
#include <functional>
#include <string>

namespace velm {

class DdeServer {
public:
    static constexpr const wchar_t* kService = L"velm";
    static constexpr const wchar_t* kTopic = L"MarluneDDE";
    static constexpr std::int32_t kMaxTabs = 64;

    // What the server asks of the window it serves.
    struct Host {
        std::function<std::int32_t()> tabCount;
        // True when the address already has its tab.
        std::function<bool(const std::string& address)> hasTab;
        // Opens the address's tab, or selects the one it has.
        std::function<void(const std::string& address)> open;
    };

    explicit DdeServer(Host host);
    ~DdeServer();
    DdeServer(const DdeServer&) = delete;
    DdeServer& operator=(const DdeServer&) = delete;

    // Registers the service (one server per process); Stop withdraws it. Both may be repeated.
    void Start();
    void Stop() noexcept;

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2,
                                      HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
    HDDEDATA Execute(HSZ topic, HDDEDATA data);

    Host host_;
    DWORD instance_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    // The refusal at the limit is logged once until a tab can be opened again.
    bool limitLogged_ = false;
};

} // namespace velm
