#include "frame/SubclassRecord.h"

namespace velm {

bool SubclassRecord::Leave() {
    if (depth_ > 0) {
        --depth_;
    }
    return released_ && depth_ == 0;
}

bool SubclassRecord::Release() {
    released_ = true;
    owner_ = nullptr;
    before_.Clear();
    after_.Clear();
    return depth_ == 0;
}

std::size_t SubclassRecord::FreeSlot(const std::vector<SubclassRecord*>& table) {
    for (std::size_t i = table.size(); i-- > 0;) {
        if (table[i] == nullptr) {
            return i;
        }
    }
    return table.size();
}

} // namespace velm
