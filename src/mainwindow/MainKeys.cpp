#include "mainwindow/MainKeys.h"

#include "mainwindow/PageZoom.h"
#include "mainwindow/WebMainFrm.h"
#include "mainwindow/WebUrl.h"

#include <functional>

namespace velm {
namespace {

// The key whose release goes where its press went: to the window, not the page.
WPARAM g_taken = 0;

IBrowser* SelectedBrowser(CTabItems& items) {
    const std::int32_t selected = items.Selected();
    if (selected < 0 || selected >= items.Count()) {
        return nullptr;
    }
    auto item = items.Item(CTabIndex(selected));
    auto* page = item ? dynamic_cast<WebUrl*>(item->Form().get()) : nullptr;
    return page ? page->wb() : nullptr;
}

void SelectNext(CTabItems& items, int step) {
    const std::int32_t count = items.Count();
    if (count < 2) {
        return;
    }
    const std::int32_t selected = items.Selected() < 0 ? 0 : items.Selected();
    items.Selected((selected + step + count) % count);
}

void Zoom(CTabItems& items, int direction) {
    if (IBrowser* browser = SelectedBrowser(items)) {
        ChangeZoom(*browser, direction);
    }
}

} // namespace

bool MainKeys(MSG& msg) {
    if (!WebMainFrm::Exists()) {
        return false;
    }
    WebMainFrm& frame = WebMainFrm::Get();
    HWND h = frame.hWnd();
    if (!h || !msg.hwnd || (msg.hwnd != h && !::IsChild(h, msg.hwnd))) {
        return false;
    }
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    CTabItems& items = frame.WebuTab().TabItems();
    if (msg.message == WM_MOUSEWHEEL) {
        if (!ctrl || alt || shift) {
            return false;
        }
        Zoom(items, GET_WHEEL_DELTA_WPARAM(msg.wParam) > 0 ? +1 : -1);
        return true;
    }
    if (msg.message == WM_KEYUP) {
        if (g_taken != 0 && msg.wParam == g_taken) {
            g_taken = 0;
            return true;
        }
        return false;
    }
    if (msg.message != WM_KEYDOWN || !ctrl || alt) {
        return false;
    }
    std::function<void()> action;
    switch (msg.wParam) {
    case VK_TAB:
        action = [&items, shift] { SelectNext(items, shift ? -1 : +1); };
        break;
    case VK_F4:
        if (shift) {
            return false;
        }
        // As the close glyph: the last tab asks whether to leave the game.
        action = [&items] {
            const std::int32_t selected = items.Selected();
            if (selected >= 0 && selected < items.Count()) {
                items.Remove(CTabIndex(selected), true);
            }
        };
        break;
    case VK_OEM_PLUS:
    case VK_ADD:
        action = [&items] { Zoom(items, +1); };
        break;
    case VK_OEM_MINUS:
    case VK_SUBTRACT:
        action = [&items] { Zoom(items, -1); };
        break;
    case '0':
    case VK_NUMPAD0:
        action = [&items] { Zoom(items, 0); };
        break;
    default:
        return false;
    }
    if (shift && msg.wParam != VK_TAB && msg.wParam != VK_OEM_PLUS) {
        return false;
    }
    g_taken = msg.wParam;
    // Held down, the key repeats: zoom and tab keys step on with it, closing does not.
    if ((msg.lParam & (1 << 30)) == 0 || msg.wParam != VK_F4) {
        action();
    }
    return true;
}

} // namespace velm
