// Message interception with message tables: watches chosen messages of windows of this process
// before and/or after their previous window procedure and reports each match as one WindowProc
// event. Failures are never raised; each is logged as one entry "CSubclass.<routine>: <message>".
#pragma once

#include "frame/CSubclassEngine.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <initializer_list>

namespace velm {

class CSubclass {
public:
    using WindowProcHandler =
        std::function<void(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND hWnd, UINT uMsg,
                           WPARAM wParam, LPARAM lParam, LONG& lParamUser)>;

    CSubclass();
    // Ends interception of every window (ssc_Terminate).
    ~CSubclass();
    CSubclass(const CSubclass&) = delete;
    CSubclass& operator=(const CSubclass&) = delete;

    // The WindowProc event. A handler may destroy this object or the window it is called for.
    void SetWindowProc(WindowProcHandler handler);

    bool ssc_Subclass(HWND hWnd, LONG lParamUser, LONG nOrdinal, bool bIdeSafety, bool& bUnicode,
                      bool bIsAPIwindow);
    // With the arguments every caller here uses: 0, 1, true, false (ANSI), false.
    bool ssc_Subclass(HWND hWnd);
    void ssc_UnSubclass(HWND hWnd);
    void ssc_Terminate();
    void ssc_AddMsg(HWND hWnd, LONG uMsg, LONG When);
    void ssc_DelMsg(HWND hWnd, LONG When, std::initializer_list<CSubclassMessageArg> Messages);
    LRESULT ssc_CallOrigWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void zSet_lParamUser(HWND hWnd_Hook_ID, LONG NewValue);
    LONG zGet_lParamUser(HWND hWnd_Hook_ID);
    // Asks for one WM_MOUSELEAVE when the pointer leaves hWnd.
    void TrackMouseTracking(HWND hWnd);

    // Whether user32 offers TrackMouseEvent (else comctl32's _TrackMouseEvent is used).
    bool HasTrackMouseEvent() const noexcept { return trackMouseEvent_; }
    const CSubclassEngine& Engine() const noexcept { return engine_; }
    // Records of all interceptors that are not freed yet.
    static std::size_t PendingRecords() noexcept { return CSubclassEngine::LiveRecords(); }

private:
    bool trackMouseEvent_ = false;
    CSubclassEngine engine_;
};

} // namespace velm
