// The form that shows one game page in a tab: a frame filling the form and an embedded browser
// in it. It loads an address on request, reloads on request, hides the page's scroll bars after
// each document and copies the page's title onto its tab. A page the network takes away gives way
// to a page of ours until it is back (PageRetry).
#pragma once

#include "base/WindowObject.h"
#include "browser/IBrowser.h"
#include "controls/PictureBox.h"
#include "mainwindow/ConnectionProbe.h"
#include "mainwindow/PageRetry.h"
#include "tabstrip/ITabForm.h"

#include <memory>
#include <string>

namespace velm {

class WebUrl final : public WindowObject, public ITabForm {
public:
    WebUrl();
    ~WebUrl() override;

    // ITabForm
    HWND hWnd() override { return WindowObject::hWnd(); }
    void Initialize(IuTab* Implement, CTabItem* Item) override;
    void RefreshPage() override;

    // Loads the form if needed (its load navigates to "about:blank"), then navigates to szURL.
    // Returns at once; the page loads asynchronously.
    void OpenURL(const std::string& szURL);

    IBrowser* wb() const noexcept { return wb_.get(); }
    HWND Picture1() const noexcept { return picture1_.hWnd(); }
    IuTab* Strip() const noexcept { return strip_; }
    CTabItem* Item() const noexcept { return item_; }

protected:
    FormDesign Design() const override;
    void OnLoad() override;
    void OnUnload() override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void TitleChange(const std::string& Text);
    void DocumentComplete();
    void PageFullScreen(bool on);
    void Picture1Resized(int width, int height);
    // A page the network took away: our page, timers and probe (see PageRetry).
    void PageFailed(const std::string& url, long status);
    void ShowRetryPage();
    void TryAgain();
    void StopRetrying();

    PictureBox picture1_;
    std::unique_ptr<IBrowser> wb_;
    IuTab* strip_ = nullptr;
    CTabItem* item_ = nullptr;
    std::string address_; // the address the tab was opened with
    PageRetry retry_;
    ConnectionProbe probe_;
};

} // namespace velm
