// One message table of an interception record: a count and MSG_ENTRIES slots. Count −1 matches
// every message, 0 none, 1..MSG_ENTRIES means slots 1..count are in use. A slot holding 0 is
// free; deleting never lowers the count, so freed slots are reused by the next add.
#pragma once

#include <array>
#include <cstdint>

namespace velm {

inline constexpr std::int32_t ALL_MESSAGES = -1;
inline constexpr std::int32_t MSG_ENTRIES = 32;
inline constexpr std::int32_t MSG_BEFORE = 1;
inline constexpr std::int32_t MSG_AFTER = 2;

class CSubclassTable {
public:
    bool Matches(std::uint32_t uMsg) const noexcept {
        if (count_ == 0) {
            return false;
        }
        if (count_ < 0) {
            return true;
        }
        for (std::int32_t i = 0; i < count_; ++i) {
            if (slots_[i] == static_cast<std::int32_t>(uMsg)) {
                return true;
            }
        }
        return false;
    }
    // False when the table is full (the message is not added).
    bool Add(std::int32_t uMsg) noexcept;
    void Delete(std::int32_t uMsg) noexcept;
    void Clear() noexcept { count_ = 0; }

    std::int32_t Count() const noexcept { return count_; }
    // Slot i, 1-based as the count is.
    std::int32_t Slot(std::int32_t i) const noexcept { return slots_[i - 1]; }

private:
    std::int32_t count_ = 0;
    std::array<std::int32_t, MSG_ENTRIES> slots_{};
};

} // namespace velm
