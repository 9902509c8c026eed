#include "mainwindow/DdeServer.h"

#include "base/Log.h"
#include "base/Text.h"
#include "startup/AppCommand.h"

#include <vector>

namespace velm {
namespace {

// The system's callback carries no pointer of ours.
DdeServer* g_server = nullptr;

} // namespace

DdeServer::DdeServer(Host host) : host_(std::move(host)) {}

DdeServer::~DdeServer() {
    Stop();
}

void DdeServer::Start() {
    if (instance_) {
        return;
    }
    if (::DdeInitializeW(&instance_, &DdeServer::Callback,
                         APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS | CBF_FAIL_POKES |
                             CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                         0) != DMLERR_NO_ERROR) {
        instance_ = 0;
        return;
    }
    g_server = this;
    limitLogged_ = false;
    service_ = ::DdeCreateStringHandleW(instance_, kService, CP_WINUNICODE);
    topic_ = ::DdeCreateStringHandleW(instance_, kTopic, CP_WINUNICODE);
    ::DdeNameService(instance_, service_, nullptr, DNS_REGISTER);
}

void DdeServer::Stop() noexcept {
    if (!instance_) {
        return;
    }
    ::DdeNameService(instance_, service_, nullptr, DNS_UNREGISTER);
    ::DdeFreeStringHandle(instance_, service_);
    ::DdeFreeStringHandle(instance_, topic_);
    ::DdeUninitialize(instance_);
    instance_ = 0;
    service_ = topic_ = nullptr;
    if (g_server == this) {
        g_server = nullptr;
    }
}

HDDEDATA DdeServer::Execute(HSZ topic, HDDEDATA data) {
    if (::DdeCmpStringHandles(topic, topic_) != 0) {
        return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
    }
    DWORD size = ::DdeGetData(data, nullptr, 0, 0);
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    ::DdeGetData(data, reinterpret_cast<BYTE*>(text.data()), size, 0);
    std::string address = Narrow(text.data());
    if (!IsGameAddress(address)) {
        // Any local program may send this; only a web address becomes a tab.
        LogError("DdeServer: refused, not a web address: " + address.substr(0, 256));
        return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
    }
    if (!host_.hasTab(address)) {
        // Each tab holds a page with its browser: a program sending addresses in a loop would
        // exhaust the client, and fill the event log with one line each.
        if (host_.tabCount() >= kMaxTabs) {
            if (!limitLogged_) {
                limitLogged_ = true;
                LogError("DdeServer: refused, " + std::to_string(kMaxTabs) +
                         " tabs are open already: " + address.substr(0, 256));
            }
            return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        }
        limitLogged_ = false;
    }
    host_.open(address);
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

HDDEDATA CALLBACK DdeServer::Callback(UINT type, UINT, HCONV, HSZ hsz1, HSZ, HDDEDATA data,
                                      ULONG_PTR, ULONG_PTR) {
    try {
        DdeServer* self = g_server;
        if (!self || !self->instance_) {
            return nullptr;
        }
        switch (type) {
        case XTYP_CONNECT:
            return reinterpret_cast<HDDEDATA>(
                static_cast<ULONG_PTR>(::DdeCmpStringHandles(hsz1, self->topic_) == 0));
        case XTYP_EXECUTE:
            return self->Execute(hsz1, data);
        default:
            return nullptr;
        }
    } catch (...) {
        LogCaught("DdeServer.Callback");
        return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
    }
}

} // namespace velm
