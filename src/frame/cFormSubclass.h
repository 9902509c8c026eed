// Intercepts every message of one or more windows and reports it to the owner through MsgCome:
// once before the window's previous procedure runs (the owner may answer it there and keep the
// previous procedure from seeing it) and, for messages asked for, once after.
//
// Each window gets a compiled procedure of its own bound to its record, so two subclassings of
// one window are two records layered on each other. A record in use by a running call is freed only
// after that call has returned, so the owner may destroy this object from inside MsgCome.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace velm {

class SubclassRecord;

class cFormSubclass {
public:
    cFormSubclass() = default;
    cFormSubclass(const cFormSubclass&) = delete;
    cFormSubclass& operator=(const cFormSubclass&) = delete;
    // Releases every window, from the last entry down.
    ~cFormSubclass();

    // Subclasses the window and reports all its messages before it handles them.
    bool AddWindowMsgs(HWND hWnd);
    // Windows are released only when this object goes; this does nothing.
    bool DeleteWindowMsg(HWND hWnd);

    // Adds a message (-1: all) to a window's lists; every record of that window.
    void AddBeforeMsg(HWND hWnd, std::int32_t msg);
    void AddAfterMsg(HWND hWnd, std::int32_t msg);

    // The entry point the stubs call: raises MsgCome.
    void zSubclass_Proc(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg,
                        WPARAM& wParam, LPARAM& lParam);

    std::function<void(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg,
                       WPARAM& wParam, LPARAM& lParam)>
        MsgCome;

    // Entries in use (windows subclassed and not yet gone).
    std::size_t WindowCount() const;

    // Records still waiting for a running call to return, across all objects (for tests).
    static int PendingRecords();

private:
    friend struct SubclassStub;
    void SubclassWindow(HWND hWnd);
    void UnsubclassWindow(std::size_t index);
    // The window went away: its entry is freed.
    void Forget(SubclassRecord* record);

    std::vector<SubclassRecord*> table_;
};

} // namespace velm
