#include "tabstrip/CTabItems.h"

#include "base/PropertyBag.h"
#include "tabstrip/ITabForm.h"
#include "tabstrip/IuTab.h"

#include <cmath>

namespace velm {

CTabItems::~CTabItems() {
    // The items unload their forms as they go; nothing is reported to a strip that is itself
    // going away.
    for (Entry& e : list_) {
        e.item->SetStrip(nullptr);
    }
}

std::int32_t CTabItems::PositionOf(const CTabItem* item) const noexcept {
    for (std::size_t i = 0; i < list_.size(); ++i) {
        if (list_[i].item.get() == item) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

bool CTabItems::Add(const std::string& Caption, const std::shared_ptr<ITabForm>& Form,
                    const std::string& Key, const CTabIndex& Index) {
    if (!Form) {
        throw CTabError::InvalidArgument();
    }
    HWND hwnd = Form->hWnd();
    const LONG style = ::GetWindowLongA(hwnd, GWL_STYLE);

    auto item = std::make_shared<CTabItem>();
    item->SavedStyle(style);
    item->SetStrip(strip_);
    Form->Initialize(strip_, item.get());
    item->Caption(Caption);
    item->Form(Form);

    std::size_t at = list_.size();
    if (!Index.IsMissing()) {
        const std::optional<double> n = Index.Number();
        if (!n) {
            throw CTabError::InvalidArgument();
        }
        const double g = CTabIndex::RoundHalfEven(*n);
        if (g > Count() || g < 0) {
            throw CTabError::SubscriptOutOfRange();
        }
        at = static_cast<std::size_t>(g);
    }
    if (!Key.empty()) {
        for (const Entry& e : list_) {
            if (KeysEqual(e.key, Key)) {
                throw CTabError::DuplicateKey();
            }
        }
    }
    list_.insert(list_.begin() + static_cast<std::ptrdiff_t>(at), Entry{Key, item});

    if (strip_) {
        strip_->Add(Caption, Form, Key, Index);
        ::SetActiveWindow(strip_->hWnd());
    }
    return true;
}

std::int32_t CTabItems::FindItem(const CTabIndex& Index) const noexcept {
    if (list_.empty()) {
        return -1;
    }
    switch (Index.kind()) {
    case CTabIndex::Kind::Text:
        for (std::size_t i = 0; i < list_.size(); ++i) {
            if (!list_[i].key.empty() && KeysEqual(list_[i].key, Index.Text())) {
                return static_cast<std::int32_t>(i);
            }
        }
        return -1;
    case CTabIndex::Kind::Number: {
        const std::optional<double> number = Index.Number();
        if (!number) {
            return -1;
        }
        const double n = CTabIndex::RoundHalfEven(*number);
        if (n >= 0 && n <= Count() - 1) {
            return static_cast<std::int32_t>(n);
        }
        return -1;
    }
    case CTabIndex::Kind::Form:
        for (std::size_t i = 0; i < list_.size(); ++i) {
            if (Index.Form() && list_[i].item->Form().get() == Index.Form()) {
                return static_cast<std::int32_t>(i);
            }
        }
        return -1;
    case CTabIndex::Kind::Item:
        return PositionOf(Index.Item());
    case CTabIndex::Kind::Missing:
        break;
    }
    return -1;
}

std::shared_ptr<CTabItem> CTabItems::Item(const CTabIndex& Index) const {
    if (Index.IsText()) {
        const std::int32_t i = FindItem(Index);
        if (i < 0) {
            throw CTabError::InvalidArgument();
        }
        return list_[static_cast<std::size_t>(i)].item;
    }
    const std::optional<double> number =
        Index.kind() == CTabIndex::Kind::Number ? Index.Number() : std::nullopt;
    if (!number) {
        throw CTabError::InvalidArgument();
    }
    const double n = CTabIndex::RoundHalfEven(*number);
    if (n < 0 || n > Count() - 1) {
        return nullptr;
    }
    return list_[static_cast<std::size_t>(n)].item;
}

bool CTabItems::Remove(const CTabIndex& Index, bool bUnload) {
    std::int32_t i = FindItem(Index);
    if (i < 0) {
        return false;
    }
    // Held here so the item outlives every call below whatever the handlers do.
    std::shared_ptr<CTabItem> item = list_[static_cast<std::size_t>(i)].item;
    std::shared_ptr<ITabForm> form = item->Form();
    if (strip_) {
        std::weak_ptr<int> alive = life_;
        const bool go = strip_->BeforeRemove(i);
        if (alive.expired() || !go) {
            return false;
        }
    }
    // A handler of the question may have changed the list.
    i = PositionOf(item.get());
    if (i < 0) {
        return false;
    }
    list_.erase(list_.begin() + i);
    if (strip_) {
        strip_->Remove(i);
    }
    if (form && bUnload) {
        CTabItem::UnloadForm(form);
    }
    return true;
}

void CTabItems::Clear() {
    const std::vector<Entry> tabs = list_;
    for (const Entry& e : tabs) {
        CTabItem::UnloadForm(e.item->Form());
    }
    std::vector<Entry> old;
    old.swap(list_);
    old.clear();
    if (strip_) {
        strip_->Clear();
    }
}

std::shared_ptr<ITabForm> CTabItems::ReleaseForm(const CTabIndex& Index) {
    const std::int32_t i = FindItem(Index);
    if (i < 0) {
        return nullptr;
    }
    std::shared_ptr<CTabItem> item = list_[static_cast<std::size_t>(i)].item;
    std::shared_ptr<ITabForm> form = item->Form();
    const LONG savedStyle = item->SavedStyle();
    if (!Remove(i, false)) {
        // The strip kept the tab: its form stays where it is.
        return nullptr;
    }
    if (!form) {
        return nullptr;
    }
    // The form may keep the item it was given and write through it (a page sets its tab's
    // caption from its title): it is told it has no tab before the item goes. The removed item
    // must not unload the form on its way out either.
    form->Initialize(nullptr, nullptr);
    item->DetachForm();
    item.reset();
    HWND hwnd = form->hWnd();
    ::SetParent(hwnd, nullptr);
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYSCREEN);
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::SetWindowLongA(hwnd, GWL_STYLE, savedStyle);
    const int x = static_cast<int>(CTabIndex::RoundHalfEven((screenW - (r.right - r.left)) / 2.0));
    const int y = static_cast<int>(CTabIndex::RoundHalfEven((screenH - (r.bottom - r.top)) / 2.0));
    ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOSIZE);
    if (strip_) {
        ::RedrawWindow(strip_->hParent(), nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT);
    }
    return form;
}

std::int32_t CTabItems::Selected() const {
    return strip_ ? strip_->Selected() : -1;
}

void CTabItems::Selected(std::int32_t value) {
    if (strip_) {
        strip_->Selected(value);
    }
}

} // namespace velm
