// The skinned yes/no dialog that asks whether to leave the game. It writes the answer into the
// flag it was given (the main window's m_bExit) and closes itself.
#pragma once

#include "base/WindowObject.h"
#include "controls/BForm.h"
#include "controls/FormCanvas.h"
#include "controls/iButton.h"

namespace velm {

class MsgFrm : public WindowObject {
public:
    static constexpr const char* kQuestion = "窗口即将关闭，确定要退出游戏？";

    explicit MsgFrm(bool& m_bExit);
    ~MsgFrm() override;

    // Shows the dialog modally over `owner` and returns when the dialog has unloaded itself;
    // every window of the client is disabled meanwhile. Closing it by any other way than its
    // buttons leaves the flag false. One question at a time: while one is open, this brings
    // that one to the front and returns at once, the flag unchanged.
    void ShowModal(HWND owner);
    // True (and the open question brought to the front) while a question is open.
    static bool BringOpenToFront();

    // The controls, for inspection.
    BForm& BForm1() { return title_; }
    iButton& closebtn() { return close_; }
    iButton& iButton1() { return yes_; }
    iButton& iButton2() { return no_; }
    const FormCanvas& Canvas() const { return canvas_; }

protected:
    FormDesign Design() const override;
    void OnLoad() override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnResize();
    void Answer(bool exit);

    bool& exit_;
    HWND owner_ = nullptr;
    FormCanvas canvas_;
    BForm title_;
    iButton close_;
    iButton yes_;
    iButton no_;
    UniqueFont labelFont_;
};

} // namespace velm
