#include "frame/ProcSlots.h"

#include <array>
#include <deque>
#include <utility>

namespace velm {
namespace {

struct Slot {
    ProcSlots::Handler handler = nullptr;
    void* record = nullptr;
    WNDPROC lastPrevious = nullptr;
    bool lastUnicode = false;
};

std::array<Slot, ProcSlots::kCount> g_slots;

template <int I> LRESULT CALLBACK SlotProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const Slot& s = g_slots[I];
    if (s.record) {
        return s.handler(s.record, hwnd, msg, wParam, lParam);
    }
    if (s.lastPrevious) {
        return s.lastUnicode ? ::CallWindowProcW(s.lastPrevious, hwnd, msg, wParam, lParam)
                             : ::CallWindowProcA(s.lastPrevious, hwnd, msg, wParam, lParam);
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

template <int... I>
constexpr std::array<WNDPROC, ProcSlots::kCount> MakeProcs(std::integer_sequence<int, I...>) {
    return {&SlotProc<I>...};
}
constexpr std::array<WNDPROC, ProcSlots::kCount> g_procs =
    MakeProcs(std::make_integer_sequence<int, ProcSlots::kCount>());

std::deque<int>& FreeSlots() {
    // Immortal: procedures may still run while the program's statics are destroyed.
    static auto* free = [] {
        auto* q = new std::deque<int>();
        for (int i = 0; i < ProcSlots::kCount; ++i) {
            q->push_back(i);
        }
        return q;
    }();
    return *free;
}

} // namespace

int ProcSlots::Take(Handler handler, void* record) {
    auto& free = FreeSlots();
    if (free.empty()) {
        return -1;
    }
    const int slot = free.front();
    free.pop_front();
    g_slots[slot] = Slot{handler, record, nullptr, false};
    return slot;
}

WNDPROC ProcSlots::Proc(int slot) {
    return g_procs[slot];
}

void ProcSlots::Give(int slot, WNDPROC previous, bool unicode) {
    g_slots[slot] = Slot{nullptr, nullptr, previous, unicode};
    FreeSlots().push_back(slot);
}

} // namespace velm
