// The strip's tabs: an ordered list with optional case-blind unique text keys. Every change is
// reported to the strip through IuTab, in the order the strip relies on.
#pragma once

#include "tabstrip/CTabError.h"
#include "tabstrip/CTabIndex.h"
#include "tabstrip/CTabItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velm {

class ITabForm;
class IuTab;

class CTabItems {
public:
    CTabItems() = default;
    ~CTabItems();
    CTabItems(const CTabItems&) = delete;
    CTabItems& operator=(const CTabItems&) = delete;

    // Adds a tab hosting `Form`. `Key` empty: no key. `Index` missing: at the end; otherwise a
    // number or numeric text, the position the new tab gets (0 … Count). Throws CTabError:
    // invalid argument (5) for a non-numeric index, subscript out of range (9), duplicate key.
    bool Add(const std::string& Caption, const std::shared_ptr<ITabForm>& Form,
             const std::string& Key = {}, const CTabIndex& Index = {});
    // False when the tab is not there or the strip vetoes; `bUnload` unloads its form.
    bool Remove(const CTabIndex& Index, bool bUnload = true);
    void Clear();
    // The 0-based position, or −1. Text is a key; never throws.
    std::int32_t FindItem(const CTabIndex& Index) const noexcept;
    // Takes the tab's form out of the strip and hands it back as a shown, centred top-level
    // window with its old style. Returns the form (nothing when the tab was not there or the
    // strip kept it).
    std::shared_ptr<ITabForm> ReleaseForm(const CTabIndex& Index);
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(list_.size()); }
    // A key (missing key: invalid argument, 5) or a number (out of range: nothing).
    std::shared_ptr<CTabItem> Item(const CTabIndex& Index) const;
    std::int32_t Selected() const;
    void Selected(std::int32_t value);

    void SetStrip(IuTab* strip) noexcept { strip_ = strip; }

private:
    struct Entry {
        std::string key;
        std::shared_ptr<CTabItem> item;
    };
    std::int32_t PositionOf(const CTabItem* item) const noexcept;

    std::vector<Entry> list_;
    IuTab* strip_ = nullptr;
    // Lets Remove notice that the strip's answer destroyed the collection itself.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

} // namespace velm
