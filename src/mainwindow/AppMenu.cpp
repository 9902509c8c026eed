#include "mainwindow/AppMenu.h"

#include "base/Text.h"
#include "mainwindow/SoundMute.h"
#include "mainwindow/WebMainFrm.h"

namespace velm {

UniqueMenu CreateAppMenu() {
    UniqueMenu menu(::CreatePopupMenu());
    auto add = [&menu](UINT id, const char* text) {
        ::AppendMenuW(menu.get(), MF_STRING, id, Widen(text).c_str());
    };
    add(WebMainFrm::kRefresh, "刷新(F5)");
    add(WebMainFrm::kHideRestore, "隐藏/恢复(F10)");
    add(WebMainFrm::kMute, "静音");
    add(WebMainFrm::kClearCache, "清除缓存");
    ::AppendMenuW(menu.get(), MF_SEPARATOR, WebMainFrm::kLine, nullptr);
    add(WebMainFrm::kUpdate, "更新");
    add(WebMainFrm::kVersion, "版本号:");
    add(WebMainFrm::kExit, "退出");
    ShowMuteState(menu.get());
    return menu;
}

void ShowMuteState(HMENU menu) {
    ::CheckMenuItem(menu, WebMainFrm::kMute,
                    MF_BYCOMMAND | (PlayerMuted() ? MF_CHECKED : MF_UNCHECKED));
}

void ToggleMute(HMENU menu) {
    SetPlayerMuted(!PlayerMuted());
    ShowMuteState(menu);
}

} // namespace velm
