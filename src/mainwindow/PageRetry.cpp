#include "mainwindow/PageRetry.h"

#include <cstdint>

namespace velm {
namespace {

bool IsWebAddress(const std::string& url) {
    auto starts = [&](const char* prefix) {
        const std::string p(prefix);
        if (url.size() < p.size()) {
            return false;
        }
        for (size_t i = 0; i < p.size(); ++i) {
            char c = url[i];
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c + 32);
            }
            if (c != p[i]) {
                return false;
            }
        }
        return true;
    };
    return starts("http://") || starts("https://");
}

std::string EscapeAttribute(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

bool IsNetworkLoss(long status) {
    const auto code = static_cast<std::uint32_t>(status);
    switch (code) {
    // The engines' own codes: cannot connect, server (name) not found, no data, the transfer
    // broken off, the connection timed out, the data could not be loaded.
    case 0x800C0004u:
    case 0x800C0005u:
    case 0x800C0007u:
    case 0x800C0008u:
    case 0x800C000Bu:
    case 0x800C000Fu:
        return true;
    default:
        break;
    }
    if ((code & 0xFFFF0000u) != 0x80070000u) {
        return false; // an HTTP status, or another kind of failure
    }
    switch (code & 0xFFFFu) {
    case 12002: // timeout
    case 12007: // name not resolved
    case 12029: // cannot connect (refused, unreachable)
    case 12030: // connection aborted
    case 12031: // connection reset
    case 12152: // the connection closed before a readable answer
    case 12163: // disconnected
    case 12164: // server unreachable
        return true;
    default:
        return false;
    }
}

std::string RetryPageHtml(const std::string& address) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>网络连接中断</title></head>"
           "<body style=\"margin:0;background:#EEF2F7;font-family:'Microsoft YaHei',sans-serif\">"
           "<div style=\"margin:120px 0 0 120px;width:420px;padding:24px;background:#FFFFFF;"
           "border:1px solid #9DB4D6\">"
           "<p style=\"font-size:18px;color:#123A6E\">网络连接中断，正在重试…</p>"
           "<p><a id=\"retry\" href=\"" +
           EscapeAttribute(address) + "\">立即重试</a></p></div></body></html>";
}

void PageRetry::Open() {
    state_ = State::Normal;
    address_.clear();
    unreachableSeen_ = false;
}

bool PageRetry::Failed(const std::string& url, long status, const std::string& fallback) {
    if (state_ == State::Lost) {
        return false; // the rest of a load already given up on, or our own page
    }
    if (!IsNetworkLoss(status)) {
        // The server answered (or the address is none of the network's): the engine's own way.
        state_ = State::Normal;
        address_.clear();
        return false;
    }
    if (IsWebAddress(url)) {
        address_ = url;
    } else if (address_.empty()) {
        address_ = fallback;
    }
    state_ = State::Lost;
    unreachableSeen_ = false;
    return true;
}

void PageRetry::Starting(const std::string& url) {
    if (state_ == State::Lost && IsWebAddress(url)) {
        state_ = State::Retrying;
    }
}

void PageRetry::Completed() {
    if (state_ == State::Retrying) {
        state_ = State::Normal;
        address_.clear();
    }
}

std::string PageRetry::Retry() {
    if (state_ == State::Normal || address_.empty()) {
        return {};
    }
    state_ = State::Retrying;
    return address_;
}

bool PageRetry::ProbeAnswered(bool reached) {
    if (state_ != State::Lost) {
        return false;
    }
    if (!reached) {
        unreachableSeen_ = true;
        return false;
    }
    return unreachableSeen_;
}

} // namespace velm
