#include "mainwindow/SoundMute.h"

#include "base/SettingsFile.h"

#include <algorithm>
#include <vector>

namespace velm {
namespace {

std::vector<IBrowser*> g_pages;
bool g_hidden = false;

void Apply() {
    const bool muted = SoundMuted();
    // A page's handler may not add or remove pages here, but a copy costs nothing.
    for (IBrowser* page : std::vector<IBrowser*>(g_pages)) {
        page->SetMuted(muted);
    }
}

} // namespace

bool PlayerMuted() {
    return AppSettings().GetBool("sound", "muted", false);
}

void SetPlayerMuted(bool muted) {
    if (muted == PlayerMuted()) {
        return;
    }
    AppSettings().SetBool("sound", "muted", muted);
    SaveAppSettings();
    Apply();
}

void SetHiddenMute(bool hidden) {
    if (hidden != g_hidden) {
        g_hidden = hidden;
        Apply();
    }
}

bool SoundMuted() {
    return g_hidden || PlayerMuted();
}

void AttachPageSound(IBrowser* browser) {
    if (!browser) {
        return;
    }
    if (std::find(g_pages.begin(), g_pages.end(), browser) == g_pages.end()) {
        g_pages.push_back(browser);
    }
    // A page starts with its sound on: only a muted program has something to say to it.
    if (SoundMuted()) {
        browser->SetMuted(true);
    }
}

void DetachPageSound(IBrowser* browser) {
    std::erase(g_pages, browser);
}

} // namespace velm
