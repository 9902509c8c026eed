// The index argument of the tab collection: a text key, a number, an ITabForm or a CTabItem, or
// nothing. Text stays text even when it reads as a number: a key is looked up as a key, while an
// insert position may be given as numeric text.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace velm {

class ITabForm;
class CTabItem;

class CTabIndex {
public:
    enum class Kind { Missing, Text, Number, Form, Item };

    CTabIndex() = default;
    CTabIndex(const char* text) : kind_(Kind::Text), text_(text) {}
    CTabIndex(std::string text) : kind_(Kind::Text), text_(std::move(text)) {}
    CTabIndex(std::string_view text) : kind_(Kind::Text), text_(text) {}
    CTabIndex(int n) : kind_(Kind::Number), number_(n) {}
    CTabIndex(long n) : kind_(Kind::Number), number_(static_cast<double>(n)) {}
    CTabIndex(long long n) : kind_(Kind::Number), number_(static_cast<double>(n)) {}
    CTabIndex(double n) : kind_(Kind::Number), number_(n) {}
    CTabIndex(ITabForm* form) : kind_(Kind::Form), form_(form) {}
    CTabIndex(CTabItem* item) : kind_(Kind::Item), item_(item) {}
    // A shared item, or a shared form of any type that implements ITabForm.
    template <typename T> CTabIndex(const std::shared_ptr<T>& p) {
        if constexpr (std::is_same_v<T, CTabItem>) {
            kind_ = Kind::Item;
            item_ = p.get();
        } else {
            kind_ = Kind::Form;
            form_ = p.get();
        }
    }

    Kind kind() const noexcept { return kind_; }
    bool IsMissing() const noexcept { return kind_ == Kind::Missing; }
    bool IsText() const noexcept { return kind_ == Kind::Text; }
    const std::string& Text() const noexcept { return text_; }
    ITabForm* Form() const noexcept { return form_; }
    CTabItem* Item() const noexcept { return item_; }

    // The value as a number: a number other than NaN, or text that reads as one. Nothing
    // otherwise.
    std::optional<double> Number() const;

    // Reads decimal text (blanks around it, a sign, digits with one decimal point, an exponent)
    // or &H hexadecimal and &O octal text, as the host language's numeric test does.
    static std::optional<double> ParseNumber(std::string_view text);
    // The nearest whole number, halves to even.
    static double RoundHalfEven(double value);

private:
    Kind kind_ = Kind::Missing;
    std::string text_;
    double number_ = 0;
    ITabForm* form_ = nullptr;
    CTabItem* item_ = nullptr;
};

} // namespace velm
