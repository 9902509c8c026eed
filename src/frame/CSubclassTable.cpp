#include "frame/CSubclassTable.h"

namespace velm {

bool CSubclassTable::Add(std::int32_t uMsg) noexcept {
    if (uMsg == ALL_MESSAGES) {
        count_ = ALL_MESSAGES;
        return true;
    }
    // A table that matched everything becomes a one-entry table: the scan sees no slots.
    const std::int32_t used = count_ > 0 ? count_ : 0;
    // A message already listed anywhere stays listed once: if a freed slot before it took a
    // second copy, one delete would leave the other and the message would still match.
    for (std::int32_t i = 0; i < used; ++i) {
        if (slots_[i] == uMsg) {
            return true;
        }
    }
    for (std::int32_t i = 0; i < used; ++i) {
        if (slots_[i] == 0) {
            slots_[i] = uMsg;
            return true;
        }
    }
    if (used >= MSG_ENTRIES) {
        return false;
    }
    slots_[used] = uMsg;
    count_ = used + 1;
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
