#include "frame/MsgList.h"

namespace velm {

void MsgList::Add(std::int32_t msg) {
    if (msg == kAll) {
        count_ = kAll;
        return;
    }
    if (count_ == kAll) {
        // Every message is reported already, this one included.
        return;
    }
    int empty = 0;
    for (int i = 1; i <= count_; ++i) {
        if (places_[i - 1] == msg) {
            return;
        }
        if (empty == 0 && places_[i - 1] == 0) {
            empty = i;
        }
    }
    if (empty != 0) {
        places_[empty - 1] = msg;
        return;
    }
    places_.push_back(msg);
    ++count_;
}

void MsgList::Delete(std::int32_t msg) {
    if (msg == kAll) {
        count_ = 0;
        places_.clear();
        return;
    }
    for (int i = 1; i <= count_; ++i) {
        if (places_[i - 1] == msg) {
            places_[i - 1] = 0;
        }
    }
}

bool MsgList::Contains(std::uint32_t msg) const {
    if (count_ == kAll) {
        return true;
    }
    for (int i = 1; i <= count_; ++i) {
        if (places_[i - 1] != 0 && static_cast<std::uint32_t>(places_[i - 1]) == msg) {
            return true;
        }
    }
    return false;
}

} // namespace velm
