// The interceptor's logic: the registry of records, the table operations, message dispatch with
// its nesting depth, and the deferred release. CSubclass binds it to the window system.
#pragma once

#include "frame/CSubclassRecord.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace velm {

// One value of a delete request. Only the integer kinds name messages; any other value is
// skipped.
using CSubclassMessageArg = std::variant<std::uint8_t, std::int16_t, std::int32_t, std::uint32_t,
                                         float, double, std::string>;

class CSubclassEngine {
public:
    explicit CSubclassEngine(CSubclassPlatform& platform);
    ~CSubclassEngine();
    CSubclassEngine(const CSubclassEngine&) = delete;
    CSubclassEngine& operator=(const CSubclassEngine&) = delete;

    void SetHandler(CSubclassOwner::Handler handler);

    bool Subclass(SubclassHandle hWnd, std::int32_t lParamUser, std::int32_t nOrdinal,
                  bool& bUnicode, bool bIsAPIwindow);
    void UnSubclass(SubclassHandle hWnd);
    void Terminate();
    void AddMsg(SubclassHandle hWnd, std::int32_t uMsg, std::int32_t When);
    void DelMsg(SubclassHandle hWnd, std::int32_t When,
                std::initializer_list<CSubclassMessageArg> Messages);
    SubclassResult CallOrigWndProc(SubclassHandle hWnd, std::uint32_t uMsg, SubclassWparam wParam,
                                   SubclassLparam lParam);
    void SetlParamUser(SubclassHandle hWnd, std::int32_t NewValue);
    std::int32_t GetlParamUser(SubclassHandle hWnd);

    // Cuts the link to the owner without ending interception, as when an owner vanishes without
    // terminating: its records then pass everything on and release themselves.
    void Abandon() noexcept;

    bool RegistryCreated() const noexcept { return registry_.has_value(); }
    std::size_t RegistrySize() const noexcept { return registry_ ? registry_->size() : 0; }
    // The live record of a window, or nullptr.
    const CSubclassRecord* Find(SubclassHandle hWnd) const noexcept;

    // The record's window procedure: every message of an intercepted window comes through here.
    static SubclassResult Dispatch(CSubclassRecord& r, std::uint32_t uMsg, SubclassWparam wParam,
                                   SubclassLparam lParam) noexcept;
    // The release timer fired (the platform has already killed it): frees the record.
    static void OnReleaseTimer(CSubclassRecord& r) noexcept;
    // Records not yet freed, of every interceptor.
    static std::size_t LiveRecords() noexcept;

private:
    CSubclassRecord* Lookup(SubclassHandle hWnd, bool logMissing);
    void Forget(const CSubclassRecord* r) noexcept;
    static SubclassResult PassOn(CSubclassRecord& r, std::uint32_t uMsg, SubclassWparam wParam,
                                 SubclassLparam lParam);
    static void Release(CSubclassRecord& r);
    static CSubclassRecord* NewRecord();
    static void FreeRecord(CSubclassRecord* r) noexcept;
    static void Log(const char* routine, const std::string& message);

    CSubclassPlatform& platform_;
    std::shared_ptr<CSubclassOwner> owner_;
    // Not created until the first subclass request, and again after Terminate. In the order the
    // records were added.
    std::optional<std::vector<CSubclassRecord*>> registry_;
};

} // namespace velm
