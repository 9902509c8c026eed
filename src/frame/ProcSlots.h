// A fixed set of window procedures compiled into the program, each bound at run time to one
// interception record. A window intercepted twice gets two distinct procedures in its chain, and
// each procedure finds its record by its own slot number: no machine code is ever written at run
// time, so data-execution and control-flow protections have nothing to object to.
#pragma once

#include <windows.h>

namespace velm {

class ProcSlots {
public:
    // What a bound procedure calls with every message of its window.
    using Handler = LRESULT (*)(void* record, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    static constexpr int kCount = 512;

    // Binds a free slot to `record`; -1 when every slot is taken. Slots are reused oldest-freed
    // first, so a procedure somebody still holds keeps its last meaning as long as possible.
    static int Take(Handler handler, void* record);
    static WNDPROC Proc(int slot);
    // Unbinds the slot. Its procedure, if still called (it may still sit in a chain another
    // procedure was layered onto), passes every message on to `previous`.
    static void Give(int slot, WNDPROC previous, bool unicode);
};

} // namespace velm
