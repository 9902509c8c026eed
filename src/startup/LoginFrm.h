// The login page window: a colour-keyed layered window lying over the login background window,
// hosting the embedded browser that shows the login page. The page gives the client commands by
// navigating to app:// addresses.
#pragma once

#include "base/WindowObject.h"
#include "browser/IBrowser.h"
#include "controls/PictureBox.h"

#include <functional>
#include <memory>
#include <string>

namespace velm {

class LoginFrm final : public WindowObject {
    friend class FormInstance<LoginFrm>;

public:
    static LoginFrm& Get();
    static bool Exists() noexcept;

    // Where "app://loadgame" hands the game address: the main window's SetURL followed by
    // showing it. Runs after the login windows are gone.
    static void SetGameOpener(std::function<void(const std::string& url)> opener);
    // The login page's address: the login server's "/velm/login/" unless another was set (an
    // empty text restores it).
    static std::string LoginPageUrl();
    static void SetLoginPageUrl(std::string url);
    // How long the login page may take to complete before the client gives up on the server
    // (kPageTimeLimitMs unless another was set; 0 restores it).
    static constexpr unsigned long kPageTimeLimitMs = 30000;
    static void SetPageTimeLimit(unsigned long ms);

    IBrowser* WebBrowser1() const noexcept { return webBrowser1_.get(); }
    HWND Picture1() const noexcept { return picture1_.hWnd(); }

    // The browser's events, public so tests can drive them as the page would.
    void OnBeforeNavigate2(const std::string& url, bool& cancel);
    void OnDocumentComplete(const std::string& url);

protected:
    FormDesign Design() const override;
    void OnLoad() override;
    void OnUnload() override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LoginFrm();
    void OnPageTimeLimit();
    // The login server cannot be reached: the player is told, then the client ends while it is
    // still starting; otherwise only the login windows close.
    void GiveUp();
    void Minimise();
    // The first top-level completion shows the pair (minimised when the page asked for it
    // before); later ones leave it as the player put it.
    void ShowPair();

    PictureBox picture1_;
    std::unique_ptr<IBrowser> webBrowser1_;
    bool minimisePending_ = false;
};

} // namespace velm
