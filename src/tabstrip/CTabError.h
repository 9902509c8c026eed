// An error of the tab collection, raised to its caller with a number and a description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velm {

class CTabError : public std::runtime_error {
public:
    static constexpr std::int32_t kInvalidArgument = 5;
    static constexpr std::int32_t kSubscriptOutOfRange = 9;
    static constexpr std::int32_t kDuplicateKey = 457;
    // A drawing surface could not be made (the description names the failing call).
    static constexpr std::int32_t kDrawFailed = -2147221503;

    CTabError(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    static CTabError InvalidArgument() {
        return {kInvalidArgument, "Invalid procedure call or argument"};
    }
    static CTabError SubscriptOutOfRange() {
        return {kSubscriptOutOfRange, "Subscript out of range"};
    }
    static CTabError DuplicateKey() {
        return {kDuplicateKey, "This key is already associated with an element of this collection"};
    }

    std::int32_t Number() const noexcept { return number_; }
    std::string Description() const { return what(); }

private:
    std::int32_t number_;
};

} // namespace velm
