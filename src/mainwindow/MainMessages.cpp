#include "mainwindow/MainMessages.h"

namespace velm {
namespace {
constexpr unsigned kWmHotKey = 0x0312;
constexpr unsigned kWmLButtonUp = 0x0202;
constexpr unsigned kWmRButtonUp = 0x0205;
} // namespace

MainMessageAction ClassifyMainMessage(unsigned msg, std::uintptr_t, std::intptr_t lParam) {
    if (msg == kWmHotKey) {
        auto key = static_cast<unsigned>((static_cast<std::uint32_t>(lParam) >> 16) & 0xFFFF);
        return key == kHotKeyVirtualKey ? MainMessageAction::Toggle : MainMessageAction::PassOn;
    }
    if (msg == WM_TRAYNOTIFY) {
        switch (static_cast<unsigned>(lParam)) {
        case kWmLButtonUp:
            return MainMessageAction::Toggle;
        case kWmRButtonUp:
            return MainMessageAction::TrayMenu;
        default:
            return MainMessageAction::PassOn;
        }
    }
    return MainMessageAction::PassOn;
}

} // namespace velm
