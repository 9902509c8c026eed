#include "tabstrip/CTabItem.h"

#include "base/Log.h"
#include "base/WindowObject.h"
#include "tabstrip/CaptionCut.h"
#include "tabstrip/ITabForm.h"
#include "tabstrip/IuTab.h"

namespace velm {

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
