// The loading window: network and update checks at creation, then a transparent splash shown
// while the login page loads.
#pragma once

#include "base/WindowObject.h"
#include "download/CKoDownLoadFile.h"
#include "startup/LayeredImage.h"

#include <functional>
#include <string>

namespace velm {

// The splash's picture: "PNG" resource 102.
inline constexpr unsigned short kSplashPicture = 102;

class LoadFrm : public WindowObject {
    friend class FormInstance<LoadFrm>;

public:
    // The instance, created on first use; creation runs the network and update checks, which may
    // end the process.
    static LoadFrm& Get();
    static bool Exists() noexcept;

    // The program's command line (without the program name), read by the load step.
    static void SetCommandLine(std::string commandLine);
    // The connection test; the system's InternetGetConnectedState unless replaced.
    static void SetConnectionCheck(bool (*check)());
    // Loads the login windows (step 6 of the load). Until one is set, start-up stops at the splash.
    static void SetLoginLoader(std::function<void()> loader);

    const LayeredImage& Image() const noexcept { return image_; }

    // Shows the splash, then loads the login windows (still invisible) the first time after a
    // load. They are loaded behind the splash rather than before it: nothing of theirs is
    // needed to show it, and the splash is what tells the player that the client has started.
    // A splash whose window cannot be made ends the process (exit code 1, logged).
    void Show(int showCommand = SW_SHOWNORMAL);

protected:
    FormDesign Design() const override;
    void OnLoad() override;
    void OnUnload() override;

private:
    LoadFrm();
    void CheckUpdate();

    LayeredImage image_;
    bool loginPending_ = false;
    CKoDownLoadFile downloader_;
};

} // namespace velm
