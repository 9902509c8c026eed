// A form that can be hosted in a tab of the strip. The strip makes its top-level window a child
// of the strip's container and shows it while its tab is selected.
#pragma once

#include <windows.h>

namespace velm {

class IuTab;
class CTabItem;

class ITabForm {
public:
    virtual ~ITabForm() = default;

    // The form's top-level window.
    virtual HWND hWnd() = 0;
    // Tells the form which strip hosts it and which tab it belongs to. May be called more than
    // once for the same tab. Both stay valid while the tab holds the form; a form handed back
    // out of its tab is told so with two empty references before its item goes.
    virtual void Initialize(IuTab* Implement, CTabItem* Item) = 0;
    // Reloads the form's content.
    virtual void RefreshPage() = 0;
};

} // namespace velm
