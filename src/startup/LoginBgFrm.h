// The login background window: a borderless layered window showing the login skin with its
// per-pixel transparency. It owns the taskbar button; its moves carry the login page window.
#pragma once

#include "base/Handles.h"
#include "base/WindowObject.h"
#include "startup/LayeredImage.h"

namespace velm {

class LoginBgFrm final : public WindowObject {
    friend class FormInstance<LoginBgFrm>;

public:
    static LoginBgFrm& Get();
    static bool Exists() noexcept;

    // Sets the window's small (ICON_SMALL) or big (ICON_BIG) icon with WM_SETICON; the window
    // keeps the icon until it is destroyed.
    void SetIcon(WPARAM which, UniqueIcon icon);

    const LayeredImage& Image() const noexcept { return image_; }

protected:
    FormDesign Design() const override;
    void OnLoad() override;
    void OnUnload() override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

private:
    LoginBgFrm() = default;

    LayeredImage image_;
    UniqueIcon smallIcon_;
    UniqueIcon bigIcon_;
};

} // namespace velm
