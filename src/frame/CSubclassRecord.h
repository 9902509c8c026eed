// The interception record of one watched window, and the platform calls the interceptor needs.
// Window-free: handles and message values are plain integers here.
#pragma once

#include "frame/CSubclassTable.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace velm {

using SubclassHandle = std::uintptr_t;
using SubclassWparam = std::uintptr_t;
using SubclassLparam = std::intptr_t;
using SubclassResult = std::intptr_t;

inline constexpr std::uint32_t kWmNcDestroy = 0x0082;

class CSubclassEngine;
struct CSubclassRecord;

// The owner's side of a record: the event handler and the interceptor that owns the record. The
// interceptor clears `engine` when it goes; records keep only a weak reference, and a dispatch
// holds a strong one while it calls the handler, so a handler may destroy its own interceptor.
struct CSubclassOwner {
    using Handler =
        std::function<void(bool bBefore, bool& bHandled, SubclassResult& lReturn,
                           SubclassHandle hWnd, std::uint32_t uMsg, SubclassWparam wParam,
                           SubclassLparam lParam, std::int32_t& lParamUser)>;
    CSubclassEngine* engine = nullptr;
    Handler handler;
};

// What the interceptor asks of the window system.
class CSubclassPlatform {
public:
    virtual ~CSubclassPlatform() = default;
    virtual bool IsWindow(SubclassHandle hWnd) = 0;
    virtual bool IsOwnProcess(SubclassHandle hWnd) = 0;
    virtual bool IsWindowUnicode(SubclassHandle hWnd) = 0;
    // Reserves the procedure through which the window's messages reach `record`; false when none
    // is left (the reason is then LastError()).
    virtual bool AllocateThunk(CSubclassRecord& record) = 0;
    virtual void FreeThunk(CSubclassRecord& record) = 0;
    // Installs the record's procedure; the previous procedure, or 0 on failure (see LastError()).
    virtual std::uintptr_t InstallProc(CSubclassRecord& record) = 0;
    virtual std::uint32_t LastError() = 0;
    // Puts the previous procedure back. False, with nothing changed, when another procedure has
    // been installed in front of the record's: putting ours back would cut that one out.
    virtual bool RestoreProc(CSubclassRecord& record) = 0;
    virtual SubclassResult CallPrevious(CSubclassRecord& record, std::uint32_t uMsg,
                                        SubclassWparam wParam, SubclassLparam lParam) = 0;
    // A 100 ms thread timer that calls CSubclassEngine::OnReleaseTimer; its id (0 on failure).
    virtual std::uintptr_t StartReleaseTimer(CSubclassRecord& record) = 0;
    virtual void KillReleaseTimer(std::uintptr_t id) = 0;
    virtual void DestroyWindow(SubclassHandle hWnd) = 0;
};

enum class SubclassRelease { None, Requested, OwnerLost, WindowDestroyed };

struct CSubclassRecord {
    CSubclassPlatform* platform = nullptr;
    SubclassHandle hWnd = 0;
    std::uintptr_t prevProc = 0;
    bool unicode = false;
    std::weak_ptr<CSubclassOwner> owner;
    std::int32_t lParamUser = 0;
    bool destroyOnOwnerLoss = false;
    CSubclassTable before;
    CSubclassTable after;
    int depth = 0;
    SubclassRelease release = SubclassRelease::None;
    // The previous procedure has been put back.
    bool unhooked = false;
    std::uintptr_t releaseTimer = 0;
    // The platform's handle of the procedure installed for this record, and its slot.
    std::uintptr_t thunk = 0;
    int slot = -1;
};

} // namespace velm
