#include "tabstrip/CTabItem.h"

#include "base/Log.h"
#include "base/WindowObject.h"
#include "tabstrip/ITabForm.h"
#include "tabstrip/IuTab.h"

namespace velm {
namespace {

// `text` (UTF-8) cut to its first `limit` characters. Lead bytes are counted, so the cut falls
// between two characters, never inside one; the text is read no further than the cut.
std::string CutCaption(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == limit) {
            return text.substr(0, i);
        }
    }
    return text;
}

} // namespace

CTabItem::~CTabItem() {
    if (form_) {
        std::shared_ptr<ITabForm> form = std::move(form_);
        UnloadForm(form);
    }
}

void CTabItem::UnloadForm(const std::shared_ptr<ITabForm>& form) noexcept {
    if (!form) {
        return;
    }
    try {
        if (auto* object = dynamic_cast<WindowObject*>(form.get())) {
            if (object->IsLoaded()) {
                object->Unload();
            }
            return;
        }
        HWND h = form->hWnd();
        if (h && ::IsWindow(h)) {
            ::DestroyWindow(h);
        }
    } catch (...) {
        // Unloading is part of tearing down; only the log is left to tell.
        LogCaught("CTabItem: unloading its form");
    }
}

void CTabItem::Caption(const std::string& value) {
    caption_ = CutCaption(value, kMaxCaptionCharacters);
    if (strip_) {
        strip_->Redraw(true);
    }
}

void CTabItem::Form(std::shared_ptr<ITabForm> value) {
    form_ = std::move(value);
    if (form_) {
        form_->Initialize(strip_, this);
    }
    if (strip_) {
        strip_->ChangeForm(this, form_.get());
    }
}

void CTabItem::HideButton(bool value) {
    hideButton_ = value;
    if (strip_) {
        strip_->Redraw(true);
    }
}

void CTabItem::LockSize(bool value) {
    lockSize_ = value;
    if (strip_) {
        strip_->Redraw(true);
    }
}

} // namespace velm
