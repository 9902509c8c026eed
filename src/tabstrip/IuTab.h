// What the tab collection and its items report to the strip that shows them.
#pragma once

#include "tabstrip/CTabIndex.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace velm {

class CTabItem;
class CTabItems;
class ITabForm;
class uTab;

class IuTab {
public:
    virtual ~IuTab() = default;

    // A tab was put in the list: lay out and repaint, make the form's window a hidden child of
    // the container, select tab 0 if nothing valid was selected.
    virtual void Add(const std::string& Caption, const std::shared_ptr<ITabForm>& Form,
                     const std::string& Key, const CTabIndex& Index) = 0;
    // Asked before anything changes; false vetoes the removal.
    virtual bool BeforeRemove(std::int32_t Index) = 0;
    // The tab has left the list: re-lay out, adjust the selection, show the selected form.
    virtual void Remove(std::int32_t Index) = 0;
    // The list was emptied.
    virtual void Clear() = 0;
    // An item property changed: repaint the whole strip.
    virtual void Redraw(bool bUpdate) = 0;
    // An item got a new form: make its window a hidden child of the container, show the
    // selected tab's form.
    virtual void ChangeForm(CTabItem* Item, ITabForm* Form) = 0;
    virtual std::int32_t Selected() = 0;
    virtual void Selected(std::int32_t value) = 0;
    virtual CTabItems& TabItems() = 0;
    // The strip's own window.
    virtual HWND hWnd() = 0;
    // The window of the form that contains the strip; nullptr when it cannot be determined.
    virtual HWND hParent() = 0;
    // The strip itself as a control object.
    virtual uTab* Control() = 0;
};

} // namespace velm
