// A list of message numbers a subclasser reports: places 1..count, 0 an empty place, a count of
// -1 for every message and 0 for none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velm {

class MsgList {
public:
    static constexpr std::int32_t kAll = -1;

    // -1 means all messages; otherwise the first empty place takes msg, a message already listed
    // stays once, and else the list grows by one.
    void Add(std::int32_t msg);
    // -1 empties the list; otherwise the place holding msg is emptied and the count kept.
    void Delete(std::int32_t msg);
    void Clear() {
        count_ = 0;
        places_.clear();
    }
    bool Contains(std::uint32_t msg) const;

    std::int32_t Count() const { return count_; }
    // Place i, 1-based.
    std::int32_t At(int i) const { return places_[static_cast<std::size_t>(i - 1)]; }

private:
    std::int32_t count_ = 0;
    std::vector<std::int32_t> places_;
};

} // namespace velm
