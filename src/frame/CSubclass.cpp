#include "frame/CSubclass.h"

#include <commctrl.h>

#include <array>
#include <deque>
#include <map>
#include <utility>

namespace velm {
namespace {

// Each record gets a window procedure of its own from a fixed set of compiled procedures, so a
// window intercepted twice (by two interceptors) still has a chain of distinct procedures and
// each procedure knows its record without looking anything up by window.
constexpr int kSlots = 256;

struct Slot {
    CSubclassRecord* record = nullptr;
    // Kept after the record is freed: a procedure that somebody still calls passes on to where
    // the record did.
    WNDPROC lastPrev = nullptr;
    bool lastUnicode = false;
};

std::array<Slot, kSlots> g_slots;

template <int I> LRESULT CALLBACK SlotProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Slot& s = g_slots[I];
    if (s.record) {
        return static_cast<LRESULT>(CSubclassEngine::Dispatch(*s.record, msg,
                                                              static_cast<SubclassWparam>(wParam),
                                                              static_cast<SubclassLparam>(lParam)));
    }
    if (s.lastPrev) {
        return s.lastUnicode ? ::CallWindowProcW(s.lastPrev, hwnd, msg, wParam, lParam)
                             : ::CallWindowProcA(s.lastPrev, hwnd, msg, wParam, lParam);
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

template <int... I>
constexpr std::array<WNDPROC, kSlots> MakeProcs(std::integer_sequence<int, I...>) {
    return {&SlotProc<I>...};
}
constexpr std::array<WNDPROC, kSlots> g_procs =
    MakeProcs(std::make_integer_sequence<int, kSlots>());

HWND H(SubclassHandle h) {
    return reinterpret_cast<HWND>(h);
}

class Win32Platform final : public CSubclassPlatform {
public:
    Win32Platform() {
        for (int i = 0; i < kSlots; ++i) {
            free_.push_back(i);
        }
    }

    bool IsWindow(SubclassHandle hWnd) override { return ::IsWindow(H(hWnd)) != FALSE; }
    bool IsOwnProcess(SubclassHandle hWnd) override {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(H(hWnd), &pid);
        return pid == ::GetCurrentProcessId();
    }
    bool IsWindowUnicode(SubclassHandle hWnd) override {
        return ::IsWindowUnicode(H(hWnd)) != FALSE;
    }
    bool AllocateThunk(CSubclassRecord& record) override {
        if (free_.empty()) {
            error_ = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        // Slots are reused oldest-freed first, so a stale procedure keeps its meaning longest.
        record.slot = free_.front();
        free_.pop_front();
        g_slots[record.slot] = Slot{&record, nullptr, false};
        record.thunk = reinterpret_cast<std::uintptr_t>(g_procs[record.slot]);
        return true;
    }
    void FreeThunk(CSubclassRecord& record) override {
        if (record.slot < 0) {
            return;
        }
        Slot& s = g_slots[record.slot];
        s.record = nullptr;
        s.lastPrev = reinterpret_cast<WNDPROC>(record.prevProc);
        s.lastUnicode = record.unicode;
        free_.push_back(record.slot);
        record.slot = -1;
    }
    std::uintptr_t InstallProc(CSubclassRecord& record) override {
        ::SetLastError(0);
        const LONG proc = static_cast<LONG>(record.thunk);
        const LONG prev = record.unicode ? ::SetWindowLongW(H(record.hWnd), GWL_WNDPROC, proc)
                                         : ::SetWindowLongA(H(record.hWnd), GWL_WNDPROC, proc);
        error_ = ::GetLastError();
        return static_cast<std::uintptr_t>(static_cast<ULONG>(prev));
    }
    std::uint32_t LastError() override { return error_; }
    bool RestoreProc(CSubclassRecord& record) override {
        HWND h = H(record.hWnd);
        const LONG current =
            record.unicode ? ::GetWindowLongW(h, GWL_WNDPROC) : ::GetWindowLongA(h, GWL_WNDPROC);
        if (static_cast<std::uintptr_t>(static_cast<ULONG>(current)) != record.thunk) {
            return false;
        }
        const LONG prev = static_cast<LONG>(record.prevProc);
        if (record.unicode) {
            ::SetWindowLongW(h, GWL_WNDPROC, prev);
        } else {
            ::SetWindowLongA(h, GWL_WNDPROC, prev);
        }
        return true;
    }
    SubclassResult CallPrevious(CSubclassRecord& record, std::uint32_t uMsg, SubclassWparam wParam,
                                SubclassLparam lParam) override {
        WNDPROC prev = reinterpret_cast<WNDPROC>(record.prevProc);
        const LRESULT r =
            record.unicode
                ? ::CallWindowProcW(prev, H(record.hWnd), uMsg, static_cast<WPARAM>(wParam),
                                    static_cast<LPARAM>(lParam))
                : ::CallWindowProcA(prev, H(record.hWnd), uMsg, static_cast<WPARAM>(wParam),
                                    static_cast<LPARAM>(lParam));
        return static_cast<SubclassResult>(r);
    }
    std::uintptr_t StartReleaseTimer(CSubclassRecord& record) override {
        const UINT_PTR id = ::SetTimer(nullptr, 0, 100, &Win32Platform::TimerProc);
        if (id) {
            timers_[id] = &record;
        }
        return id;
    }
    void KillReleaseTimer(std::uintptr_t id) override {
        ::KillTimer(nullptr, id);
        timers_.erase(id);
    }
    void DestroyWindow(SubclassHandle hWnd) override { ::DestroyWindow(H(hWnd)); }

    static Win32Platform& Instance() {
        // Immortal for the same reason as the records: procedures may run during exit.
        static auto* platform = new Win32Platform();
        return *platform;
    }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        auto& timers = Instance().timers_;
        auto it = timers.find(id);
        if (it == timers.end()) {
            return;
        }
        CSubclassRecord* record = it->second;
        timers.erase(it);
        CSubclassEngine::OnReleaseTimer(*record);
    }

    std::deque<int> free_;
    std::map<UINT_PTR, CSubclassRecord*> timers_;
    DWORD error_ = 0;
};

bool DetectTrackMouseEvent() {
    HMODULE user = ::LoadLibraryA("User32");
    if (!user) {
        return false;
    }
    const bool found = ::GetProcAddress(user, "TrackMouseEvent") != nullptr;
    ::FreeLibrary(user);
    return found;
}

} // namespace

CSubclass::CSubclass()
    : trackMouseEvent_(DetectTrackMouseEvent()), engine_(Win32Platform::Instance()) {}

CSubclass::~CSubclass() = default;

void CSubclass::SetWindowProc(WindowProcHandler handler) {
    if (!handler) {
        engine_.SetHandler(nullptr);
        return;
    }
    engine_.SetHandler([h = std::move(handler)](bool bBefore, bool& bHandled,
                                                SubclassResult& lReturn, SubclassHandle hWnd,
                                                std::uint32_t uMsg, SubclassWparam wParam,
                                                SubclassLparam lParam, std::int32_t& lParamUser) {
        LRESULT result = static_cast<LRESULT>(lReturn);
        LONG user = lParamUser;
        h(bBefore, bHandled, result, H(hWnd), uMsg, static_cast<WPARAM>(wParam),
          static_cast<LPARAM>(lParam), user);
        lReturn = static_cast<SubclassResult>(result);
        lParamUser = user;
    });
}

bool CSubclass::ssc_Subclass(HWND hWnd, LONG lParamUser, LONG nOrdinal, bool bIdeSafety,
                             bool& bUnicode, bool bIsAPIwindow) {
    (void)bIdeSafety;
    return engine_.Subclass(reinterpret_cast<SubclassHandle>(hWnd), lParamUser, nOrdinal, bUnicode,
                            bIsAPIwindow);
}

bool CSubclass::ssc_Subclass(HWND hWnd) {
    bool unicode = false;
    return ssc_Subclass(hWnd, 0, 1, true, unicode, false);
}

void CSubclass::ssc_UnSubclass(HWND hWnd) {
    engine_.UnSubclass(reinterpret_cast<SubclassHandle>(hWnd));
}

void CSubclass::ssc_Terminate() {
    engine_.Terminate();
}

void CSubclass::ssc_AddMsg(HWND hWnd, LONG uMsg, LONG When) {
    engine_.AddMsg(reinterpret_cast<SubclassHandle>(hWnd), uMsg, When);
}

void CSubclass::ssc_DelMsg(HWND hWnd, LONG When,
                           std::initializer_list<CSubclassMessageArg> Messages) {
    engine_.DelMsg(reinterpret_cast<SubclassHandle>(hWnd), When, Messages);
}

LRESULT CSubclass::ssc_CallOrigWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return static_cast<LRESULT>(engine_.CallOrigWndProc(reinterpret_cast<SubclassHandle>(hWnd),
                                                        uMsg, static_cast<SubclassWparam>(wParam),
                                                        static_cast<SubclassLparam>(lParam)));
}

void CSubclass::zSet_lParamUser(HWND hWnd_Hook_ID, LONG NewValue) {
    engine_.SetlParamUser(reinterpret_cast<SubclassHandle>(hWnd_Hook_ID), NewValue);
}

LONG CSubclass::zGet_lParamUser(HWND hWnd_Hook_ID) {
    return engine_.GetlParamUser(reinterpret_cast<SubclassHandle>(hWnd_Hook_ID));
}

void CSubclass::TrackMouseTracking(HWND hWnd) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = 16;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = hWnd;
    tme.dwHoverTime = 0;
    if (trackMouseEvent_) {
        ::TrackMouseEvent(&tme);
    } else {
        ::_TrackMouseEvent(&tme);
    }
}

} // namespace velm
