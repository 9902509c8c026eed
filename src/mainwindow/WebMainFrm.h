// The window the game is played in: a borderless, skinned window with a drawn title bar, caption
// and link buttons, a tab strip of game pages over a content area, a tray icon, the F10 boss key,
// a program menu and a DDE entry that opens game addresses.
#pragma once

#include "base/Handles.h"
#include "base/WindowObject.h"
#include "controls/BForm.h"
#include "controls/FormCanvas.h"
#include "controls/iButton.h"
#include "mainwindow/CKoNotifyIcon.h"
#include "download/CKoDownLoadFile.h"
#include "tabstrip/uTab.h"

#include <memory>
#include <string>
#include <vector>

namespace velm {

class cSetStyle;
class DdeServer;
class PictureBox;

class WebMainFrm final : public WindowObject {
    friend class FormInstance<WebMainFrm>;

public:
    // The program menu's items, in order.
    enum MenuItem : UINT {
        kRefresh = 101,
        kHideRestore,
        kClearCache,
        kLine,
        kUpdate,
        kVersion,
        kExit,
    };

    // The instance, created on first use.
    static WebMainFrm& Get();
    static bool Exists() noexcept;
    // Destroys the instance (and with it the tray icon) at the end of the program.
    static void Destroy() noexcept;

    // Opens the game page at `strURL` in a tab (or selects the tab already showing it); loads
    // the window first when needed.
    void SetURL(const std::string& strURL);

    // True: the next close goes through without asking.
    bool m_bExit = false;

    // The menu commands and button actions.
    void PopupAppMenu();
    void RunMenuCommand(UINT item);
    void CloseRequest();
    void MinMaxClick();

    // Full screen: the selected page alone over the whole monitor, title bar, buttons and strip
    // hidden (F11); leaving puts back the place and state the window had (F11 again, Esc).
    void SetFullScreen(bool on);
    bool FullScreen() const noexcept { return fullScreen_; }
    // Saves the selected page as the screen shows it (Ctrl+F12) and says so in a balloon of the
    // tray icon. Returns the file's path, "" when nothing was saved or when the page's engine
    // takes the picture itself and saves it later.
    std::wstring TakeScreenshot();

    // Parts, for inspection.
    uTab& WebuTab() { return *tab_; }
    BForm& WebBForm() { return title_; }
    iButton& web_close() { return close_; }
    iButton& web_minmax() { return minmax_; }
    iButton& web_min() { return min_; }
    iButton& web_tool() { return tool_; }
    iButton& OtherUserBtn() { return otherUser_; }
    iButton& GameSpaceBtn() { return gameSpace_; }
    HWND pCnt() const;
    HWND PicLogo() const;
    HMENU appmenu() const { return menu_.get(); }
    const CKoNotifyIcon& Tray() const { return tray_; }
    cSetStyle* objStyle() const { return objStyle_.get(); }
    const FormCanvas& Canvas() const { return canvas_; }
    const std::wstring& ToolTipText() const { return tipText_; }

protected:
    FormDesign Design() const override;
    void OnLoad() override;
    void OnQueryUnload(bool& cancel) override;
    void OnUnload() override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

private:
    WebMainFrm();
    ~WebMainFrm() override;

    void CreateControls();
    void Layout();
    void OpenTab(const std::string& address);
    // A game address's tab key.
    static std::string TabKey(const std::string& address);
    void SetToolTip(const std::wstring& text);
    // The keyboard focus to the selected tab's page.
    void FocusPage();
    // The selected tab's page form, or null.
    HWND SelectedPage();
    // The window's own keys, taken before the page sees them.
    static bool WindowKeys(MSG& msg);
    // Everything around the page: title bar, logo, buttons, links and the strip.
    std::vector<HWND> Chrome() const;
    void FitMonitor();

    // Declared first so they outlive the tray icon that shows one of them.
    UniqueIcon icon16_;
    UniqueIcon icon32_;
    CKoNotifyIcon tray_;
    std::unique_ptr<CKoDownLoadFile> downloader_;
    std::unique_ptr<cSetStyle> objStyle_;
    FormCanvas canvas_;
    BForm title_;
    iButton close_;
    iButton minmax_;
    iButton min_;
    iButton tool_;
    iButton otherUser_;
    iButton gameSpace_;
    std::unique_ptr<PictureBox> logo_;
    std::unique_ptr<PictureBox> container_;
    std::unique_ptr<uTab> tab_;
    UniqueMenu menu_;
    UniqueWindow tooltip_;
    std::wstring tipText_;
    bool fullScreen_ = false;
    RECT restoreRect_{};
    // The key whose release goes where its press went: to the window, not the page.
    WPARAM keyTaken_ = 0;
    // Game addresses from other programs (service "velm", topic "MarluneDDE").
    std::unique_ptr<DdeServer> dde_;
};

} // namespace velm
