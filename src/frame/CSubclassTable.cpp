#include "frame/CSubclassTable.h"

namespace velm {

bool CSubclassTable::Add(std::int32_t uMsg) noexcept {
    if (uMsg == ALL_MESSAGES) {
        count_ = ALL_MESSAGES;
        return true;
    }
    // A table that matched everything becomes a one-entry table: the scan sees no slots.
    const std::int32_t used = count_ > 0 ? count_ : 0;
    std::int32_t i = 1;
    for (; i <= used; ++i) {
        if (slots_[i - 1] == 0) {
            slots_[i - 1] = uMsg;
            return true;
        }
        if (slots_[i - 1] == uMsg) {
            return true;
        }
    }
    if (i > MSG_ENTRIES) {
        return false;
    }
    slots_[i - 1] = uMsg;
    count_ = i;
    return true;
}

void CSubclassTable::Delete(std::int32_t uMsg) noexcept {
    if (uMsg == ALL_MESSAGES) {
        count_ = 0;
        return;
    }
    for (std::int32_t i = 0; i < count_; ++i) {
        if (slots_[i] == uMsg) {
            slots_[i] = 0;
            return;
        }
    }
}

} // namespace velm
