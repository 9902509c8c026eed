// Helpers for the tests of the skinned controls and the frame: a plain host window with a
// persistent drawing surface, and real input (cursor position, buttons, keys) through the
// platform's input queue.
#pragma once

#include "controls/FormCanvas.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velm::test {

// A top-level popup window at a place on the screen (pixels) that paints its FormCanvas.
class TestForm {
public:
    TestForm(int x, int y, int width, int height, COLORREF back = RGB(255, 255, 255),
             DWORD style = WS_POPUP);
    ~TestForm();
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;

    HWND hwnd() const { return hwnd_; }
    FormCanvas& canvas() { return canvas_; }
    // Runs after the canvas followed a new size.
    std::function<void()> onSize;
    // Sees every message first; return true to answer it with `result`.
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT& result)> onMessage;
    // Messages seen, in order.
    std::vector<UINT> seen;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    FormCanvas canvas_;
};

// Moves the real cursor and lets the messages that follow run.
void MouseTo(int x, int y, DWORD settleMs = 30);
void MouseTo(HWND window, int clientX, int clientY, DWORD settleMs = 30);
// Presses or releases a mouse button where the cursor is (1 left, 2 right).
void MouseButton(int button, bool down, DWORD settleMs = 30);
// A left click at a screen point the way a person makes it: the pointer arrives, wiggles once,
// then presses and releases, slowly enough for a window under Wine to see each step.
void ClickAt(int x, int y);
void Key(WORD vk, bool down, DWORD settleMs = 30);
// Brings a window to the front and gives it the keyboard.
void Activate(HWND window);
// A pixel of the screen.
COLORREF ScreenPixel(int x, int y);
// Pumps messages until `done` holds or `ms` pass; returns done().
} // namespace velm::test
