// One subclassed window's record: its lists, its previous procedure and the rule that a record a
// running call still uses is freed only after that call has returned into it.
#pragma once

#include "frame/MsgList.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velm {

class SubclassRecord {
public:
    SubclassRecord(std::uintptr_t window, void* owner) : window_(window), owner_(owner) {}

    std::uintptr_t Window() const { return window_; }
    // The object to report to; null once released.
    void* Owner() const { return owner_; }
    std::uintptr_t PreviousProc() const { return previous_; }
    // The platform side's routing for this record (opaque here).
    void* Stub() const { return stub_; }
    void SetStub(void* stub) { stub_ = stub; }
    void SetPreviousProc(std::uintptr_t proc) { previous_ = proc; }

    MsgList& Before() { return before_; }
    MsgList& After() { return after_; }

    // A call of the window's procedure starts and ends. Leave() returns true when the record was
    // released meanwhile and no call uses it any more: the caller frees it then.
    void Enter() { ++depth_; }
    bool Leave();
    int Depth() const { return depth_; }

    // The owner lets the record go: nothing is reported any more. Returns true when no call is
    // running, so the record may be freed at once; otherwise the last call to return frees it.
    bool Release();
    bool Released() const { return released_; }

    // The place a new record takes in a table of records (null = a free entry): the free entry
    // with the highest index, or the end of the table.
    static std::size_t FreeSlot(const std::vector<SubclassRecord*>& table);

private:
    std::uintptr_t window_;
    void* owner_;
    std::uintptr_t previous_ = 0;
    void* stub_ = nullptr;
    MsgList before_;
    MsgList after_;
    int depth_ = 0;
    bool released_ = false;
};

} // namespace velm
