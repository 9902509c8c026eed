// One tab: its caption and the form it hosts. Property changes are reported to the strip; an
// item that is destroyed while it still holds a form unloads that form.
#pragma once

#include <any>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velm {

class ITabForm;
class IuTab;

class CTabItem {
public:
    CTabItem() = default;
    ~CTabItem();
    CTabItem(const CTabItem&) = delete;
    CTabItem& operator=(const CTabItem&) = delete;

    // A page's whole title can be any length, while a tab shows a few words of it and measures
    // and draws it on every repaint: the caption keeps its first 260 characters.
    static constexpr std::size_t kMaxCaptionCharacters = 260;
    const std::string& Caption() const noexcept { return caption_; }
    void Caption(const std::string& value);
    const std::shared_ptr<ITabForm>& Form() const noexcept { return form_; }
    void Form(std::shared_ptr<ITabForm> value);
    bool HideButton() const noexcept { return hideButton_; }
    void HideButton(bool value);
    std::int32_t Left() const noexcept { return left_; }
    std::int32_t Width() const noexcept { return width_; }
    bool LockSize() const noexcept { return lockSize_; }
    void LockSize(bool value);
    // Free for the host: a plain value or a shared reference to an object.
    const std::any& ItemData() const noexcept { return itemData_; }
    void ItemData(std::any value) { itemData_ = std::move(value); }

    // For the strip and the collection.
    void SetStrip(IuTab* strip) noexcept { strip_ = strip; }
    void SetLeft(std::int32_t value) noexcept { left_ = value; }
    void SetWidth(std::int32_t value) noexcept { width_ = value; }
    std::int32_t SavedStyle() const noexcept { return savedStyle_; }
    void SavedStyle(std::int32_t value) noexcept { savedStyle_ = value; }
    // Hands the form out without unloading it or reporting anything; the item holds none after.
    std::shared_ptr<ITabForm> DetachForm() noexcept { return std::move(form_); }

    // Closes a hosted form's window and lets the reference go: a window object is unloaded (its
    // unload steps run), any other form has its window destroyed.
    static void UnloadForm(const std::shared_ptr<ITabForm>& form) noexcept;

private:
    std::string caption_;
    std::shared_ptr<ITabForm> form_;
    std::int32_t savedStyle_ = 0;
    bool hideButton_ = false;
    IuTab* strip_ = nullptr;
    std::int32_t left_ = 0;
    std::int32_t width_ = 0;
    bool lockSize_ = false;
    std::any itemData_;
};

} // namespace velm
