#include "mainwindow/WindowPlacement.h"

#include "base/Log.h"
#include "base/SettingsFile.h"
#include "base/Text.h"
#include "frame/cSetStyle.h"

#include <string>

namespace velm {
namespace {

constexpr const char* kSection = "window";
// Far beyond any desktop, so a sum of two never overflows.
constexpr long kFar = 1000000;
// A window smaller than this was not left by the player.
constexpr long kMinWidth = 200;
constexpr long kMinHeight = 120;
// So much of the window's top band must lie in a work area for the player to reach and drag it.
constexpr long kGripWidth = 60;
constexpr long kGripHeight = 20;

struct MonitorOrigin {
    std::wstring name;
    POINT origin{};
    bool found = false;
};

BOOL CALLBACK FindMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* wanted = reinterpret_cast<MonitorOrigin*>(data);
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(monitor, &info) && wanted->name == info.szDevice) {
        wanted->origin = POINT{info.rcMonitor.left, info.rcMonitor.top};
        wanted->found = true;
        return FALSE;
    }
    return TRUE;
}

bool Reachable(const RECT& r) {
    RECT grip{r.left, r.top, r.right, r.top + kGripHeight};
    HMONITOR monitor = ::MonitorFromRect(&grip, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!monitor || !::GetMonitorInfoW(monitor, &info)) {
        return false;
    }
    RECT seen{};
    return ::IntersectRect(&seen, &grip, &info.rcWork) && seen.right - seen.left >= kGripWidth &&
           seen.bottom - seen.top >= kGripHeight / 2;
}

} // namespace

bool RestorePlacement(HWND window) {
    const Settings& s = AppSettings();
    const long left = s.GetLong(kSection, "left", kFar, -kFar, kFar);
    const long top = s.GetLong(kSection, "top", kFar, -kFar, kFar);
    const long width = s.GetLong(kSection, "width", 0, kMinWidth, kFar);
    const long height = s.GetLong(kSection, "height", 0, kMinHeight, kFar);
    if (left == kFar || top == kFar || width == 0 || height == 0) {
        return true; // nothing remembered
    }
    RECT r{left, top, left + width, top + height};
    // A monitor that is still there but now stands elsewhere takes the window along.
    MonitorOrigin monitor{Widen(s.Get(kSection, "monitor").value_or(""))};
    if (!monitor.name.empty()) {
        ::EnumDisplayMonitors(nullptr, nullptr, &FindMonitor, reinterpret_cast<LPARAM>(&monitor));
        const long was_x = s.GetLong(kSection, "monitorleft", 0, -kFar, kFar);
        const long was_y = s.GetLong(kSection, "monitortop", 0, -kFar, kFar);
        if (monitor.found) {
            ::OffsetRect(&r, monitor.origin.x - was_x, monitor.origin.y - was_y);
        }
    }
    if (!Reachable(r)) {
        LogError("RestorePlacement: the remembered place (" + std::to_string(r.left) + ", " +
                 std::to_string(r.top) + ") is on no monitor now; the window fills the work area");
        return true;
    }
    ::SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    return s.GetBool(kSection, "filled", true);
}

void RememberPlacement(HWND window, const cSetStyle* frame) {
    if (!window) {
        return;
    }
    const bool filled = frame && frame->Maximised();
    RECT r{};
    if (filled) {
        const FrameRect saved = frame->RestoreRect();
        r = RECT{saved.left, saved.top, saved.right, saved.bottom};
    } else if (::IsIconic(window)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        ::GetWindowPlacement(window, &placement);
        r = placement.rcNormalPosition;
    } else {
        ::GetWindowRect(window, &r);
    }
    Settings& s = AppSettings();
    s.SetLong(kSection, "left", r.left);
    s.SetLong(kSection, "top", r.top);
    s.SetLong(kSection, "width", r.right - r.left);
    s.SetLong(kSection, "height", r.bottom - r.top);
    s.SetBool(kSection, "filled", filled);
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) {
        s.Set(kSection, "monitor", Narrow(info.szDevice));
        s.SetLong(kSection, "monitorleft", info.rcMonitor.left);
        s.SetLong(kSection, "monitortop", info.rcMonitor.top);
    }
    SaveAppSettings();
}

} // namespace velm
