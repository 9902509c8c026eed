// The interceptor's tables, dispatch, nesting and deferred release against a simulated window
// system that runs window procedures the way the real one chains them.
#include "frame/CSubclassEngine.h"

#include "base/Log.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velm {
namespace {

constexpr std::uint32_t WM_DESTROY_ = 0x0002;
constexpr std::uint32_t WM_PAINT_ = 0x000F;
constexpr std::uint32_t WM_SIZE_ = 0x0005;
constexpr std::uint32_t WM_TIMER_ = 0x0113;

// Windows with an original procedure that records what reaches it and answers msg + 1000.
class FakeSystem final : public CSubclassPlatform {
public:
    struct Window {
        std::uintptr_t proc = 0; // 0: the original procedure
        bool alive = true;
        bool unicode = false;
        bool foreign = false;
        std::function<void(std::uint32_t)> onOriginal;
    };

    SubclassHandle NewWindow() {
        SubclassHandle h = next_++;
        windows[h] = Window{};
        return h;
    }
    SubclassResult Send(SubclassHandle h, std::uint32_t msg, SubclassWparam w = 0,
                        SubclassLparam l = 0) {
        return Run(windows[h].proc, h, msg, w, l);
    }
    void Destroy(SubclassHandle h) {
        Send(h, WM_DESTROY_);
        Send(h, kWmNcDestroy);
        windows[h].alive = false;
    }
    // Lets 100 ms pass: every pending release timer fires.
    void ElapseTimers() {
        auto pending = timers;
        for (auto& [id, rec] : pending) {
            if (timers.count(id)) {
                timers.erase(id);
                CSubclassEngine::OnReleaseTimer(*rec);
            }
        }
    }
    // Installs a foreign procedure in front of whatever the window has (another subclasser).
    std::uintptr_t InstallForeign(SubclassHandle h) {
        std::uintptr_t id = 0x90000 + foreignNext_++;
        foreignPrev[id] = windows[h].proc;
        windows[h].proc = id;
        return id;
    }

    bool IsWindow(SubclassHandle h) override { return windows.count(h) && windows[h].alive; }
    bool IsOwnProcess(SubclassHandle h) override { return !windows[h].foreign; }
    bool IsWindowUnicode(SubclassHandle h) override { return windows[h].unicode; }
    bool AllocateThunk(CSubclassRecord& r) override {
        if (failAllocate) {
            error = 8;
            return false;
        }
        r.slot = 0;
        r.thunk = 0x10000 + thunkNext_++;
        thunks[r.thunk] = &r;
        return true;
    }
    void FreeThunk(CSubclassRecord& r) override {
        thunks.erase(r.thunk);
        freedThunks.push_back(r.thunk);
        r.slot = -1;
    }
    std::uintptr_t InstallProc(CSubclassRecord& r) override {
        if (failInstall) {
            error = 1400;
            return 0;
        }
        std::uintptr_t prev = windows[r.hWnd].proc;
        windows[r.hWnd].proc = r.thunk;
        installs.push_back(r.unicode ? "W" : "A");
        return prev == 0 ? kOriginal : prev;
    }
    std::uint32_t LastError() override { return error; }
    bool RestoreProc(CSubclassRecord& r) override {
        if (windows[r.hWnd].proc != r.thunk) {
            return false;
        }
        windows[r.hWnd].proc = r.prevProc == kOriginal ? 0 : r.prevProc;
        ++restores;
        return true;
    }
    SubclassResult CallPrevious(CSubclassRecord& r, std::uint32_t msg, SubclassWparam w,
                                SubclassLparam l) override {
        return Run(r.prevProc == kOriginal ? 0 : r.prevProc, r.hWnd, msg, w, l);
    }
    std::uintptr_t StartReleaseTimer(CSubclassRecord& r) override {
        std::uintptr_t id = timerNext_++;
        timers[id] = &r;
        ++timersStarted;
        return id;
    }
    void KillReleaseTimer(std::uintptr_t id) override {
        timers.erase(id);
        ++timersKilled;
    }
    void DestroyWindow(SubclassHandle h) override {
        destroyed.push_back(h);
        Destroy(h);
    }

    static constexpr std::uintptr_t kOriginal = 0x7777;
    std::map<SubclassHandle, Window> windows;
    std::map<std::uintptr_t, CSubclassRecord*> thunks;
    std::map<std::uintptr_t, std::uintptr_t> foreignPrev;
    std::vector<std::uintptr_t> freedThunks;
    std::map<std::uintptr_t, CSubclassRecord*> timers;
    std::vector<std::string> original; // "h:msg" as they reached the original procedure
    std::vector<std::string> installs;
    std::vector<SubclassHandle> destroyed;
    int restores = 0;
    int timersStarted = 0;
    int timersKilled = 0;
    bool failAllocate = false;
    bool failInstall = false;
    std::uint32_t error = 0;

private:
    SubclassResult Run(std::uintptr_t proc, SubclassHandle h, std::uint32_t msg, SubclassWparam w,
                       SubclassLparam l) {
        if (proc == 0) {
            original.push_back(std::to_string(h) + ":" + std::to_string(msg));
            if (windows[h].onOriginal) {
                windows[h].onOriginal(msg);
            }
            return static_cast<SubclassResult>(msg) + 1000;
        }
        if (foreignPrev.count(proc)) {
            return Run(foreignPrev[proc], h, msg, w, l);
        }
        auto it = thunks.find(proc);
        if (it == thunks.end()) {
            ADD_FAILURE() << "a freed procedure was called";
            return 0;
        }
        return CSubclassEngine::Dispatch(*it->second, msg, w, l);
    }

    SubclassHandle next_ = 100;
    std::uintptr_t thunkNext_ = 1;
    std::uintptr_t timerNext_ = 1;
    std::uintptr_t foreignNext_ = 1;
};

struct Event {
    bool before;
    SubclassHandle h;
    std::uint32_t msg;
    SubclassResult lReturn;
};

class SubclassEngine : public ::testing::Test {
protected:
    void SetUp() override {
        previousSink = SetLogSink([this](const std::string& e) { log.push_back(e); });
        engine = std::make_unique<CSubclassEngine>(sys);
        engine->SetHandler([this](bool before, bool& handled, SubclassResult& lReturn,
                                  SubclassHandle h, std::uint32_t msg, SubclassWparam,
                                  SubclassLparam, std::int32_t& user) {
            events.push_back({before, h, msg, lReturn});
            if (onEvent) {
                onEvent(before, handled, lReturn, h, msg, user);
            }
        });
    }
    void TearDown() override {
        engine.reset();
        // Whatever is still intercepted lets go at its next message; then the timers free it.
        for (auto& [h, w] : sys.windows) {
            if (w.alive) {
                sys.Send(h, WM_TIMER_);
            }
        }
        sys.ElapseTimers();
        EXPECT_EQ(CSubclassEngine::LiveRecords(), 0u);
        SetLogSink(previousSink);
    }
    bool Subclass(SubclassHandle h, bool unicode = false) {
        return engine->Subclass(h, 0, 1, unicode, false);
    }

    FakeSystem sys;
    std::unique_ptr<CSubclassEngine> engine;
    std::vector<std::string> log;
    std::vector<Event> events;
    std::function<void(bool, bool&, SubclassResult&, SubclassHandle, std::uint32_t, std::int32_t&)>
        onEvent;
    LogSink previousSink;
};

TEST(SubclassTable, ThirtyThreeDistinctMessagesOverflowAndFreedSlotsAreReused) {
    CSubclassTable t;
    for (int m = 1; m <= 32; ++m) {
        EXPECT_TRUE(t.Add(m));
    }
    EXPECT_EQ(t.Count(), 32);
    EXPECT_FALSE(t.Add(33));
    EXPECT_FALSE(t.Matches(33));
    t.Delete(7);
    EXPECT_EQ(t.Count(), 32) << "deleting does not lower the count";
    EXPECT_FALSE(t.Matches(7));
    EXPECT_TRUE(t.Add(33));
    EXPECT_EQ(t.Slot(7), 33) << "the freed slot takes the new message";
    EXPECT_TRUE(t.Matches(33));
}

TEST(SubclassTable, NoDuplicatesAllMessagesAndBackToOneEntry) {
    CSubclassTable t;
    EXPECT_FALSE(t.Matches(5));
    t.Add(5);
    t.Add(5);
    EXPECT_EQ(t.Count(), 1);
    t.Add(ALL_MESSAGES);
    EXPECT_EQ(t.Count(), -1);
    EXPECT_TRUE(t.Matches(12345));
    t.Add(9);
    EXPECT_EQ(t.Count(), 1) << "a particular message turns an all-table into a one-entry table";
    EXPECT_EQ(t.Slot(1), 9);
    EXPECT_FALSE(t.Matches(5));
    t.Delete(ALL_MESSAGES);
    EXPECT_EQ(t.Count(), 0);
    EXPECT_FALSE(t.Matches(9));
}

TEST(SubclassTable, AMessageAddedAgainBehindAFreedSlotIsStillDeletedByOneDelete) {
    CSubclassTable t;
    t.Add(5);
    t.Add(9);
    t.Delete(5);
    EXPECT_TRUE(t.Add(9));
    EXPECT_EQ(t.Slot(1), 0) << "the freed slot is not taken by a message already listed";
    t.Delete(9);
    EXPECT_FALSE(t.Matches(9)) << "a deleted message gives no more events";
    EXPECT_TRUE(t.Add(7));
    EXPECT_EQ(t.Slot(1), 7);
    EXPECT_EQ(t.Count(), 2);
}

TEST_F(SubclassEngine, UnlistedMessageReachesThePreviousProcedureWithoutEvents) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, WM_PAINT_, MSG_BEFORE);
    EXPECT_EQ(sys.Send(h, WM_SIZE_), 1005);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(sys.original.back(), std::to_string(h) + ":5");
    EXPECT_TRUE(log.empty());
}

TEST_F(SubclassEngine, HandledBeforeCallSuppressesThePreviousProcedureAndTheAfterCall) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, WM_PAINT_, MSG_BEFORE | MSG_AFTER);
    onEvent = [](bool before, bool& handled, SubclassResult& r, SubclassHandle, std::uint32_t,
                 std::int32_t&) {
        if (before) {
            handled = true;
            r = 1;
        }
    };
    EXPECT_EQ(sys.Send(h, WM_PAINT_), 1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0].before);
    EXPECT_TRUE(sys.original.empty());
}

TEST_F(SubclassEngine, BothTablesGiveTwoEventsAndTheAfterCallMayChangeTheResult) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, WM_SIZE_, MSG_BEFORE | MSG_AFTER);
    onEvent = [](bool before, bool& handled, SubclassResult& r, SubclassHandle, std::uint32_t,
                 std::int32_t&) {
        if (before) {
            r = 77; // overwritten by the previous procedure's result
        } else {
            handled = true; // no effect after the fact
            r += 1;
        }
    };
    EXPECT_EQ(sys.Send(h, WM_SIZE_), 1006);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].before);
    EXPECT_EQ(events[0].lReturn, 0);
    EXPECT_FALSE(events[1].before);
    EXPECT_EQ(events[1].lReturn, 1005);
    EXPECT_EQ(sys.original.size(), 1u);
}

TEST_F(SubclassEngine, AllMessagesBeforeAndlParamUserByReference) {
    auto h = sys.NewWindow();
    bool unicode = false;
    ASSERT_TRUE(engine->Subclass(h, 41, 1, unicode, false));
    engine->AddMsg(h, ALL_MESSAGES, MSG_BEFORE);
    onEvent = [](bool, bool&, SubclassResult&, SubclassHandle, std::uint32_t, std::int32_t& u) {
        ++u;
    };
    sys.Send(h, 1);
    sys.Send(h, 0x400);
    sys.Send(h, 0xC123);
    EXPECT_EQ(events.size(), 3u);
    EXPECT_EQ(engine->GetlParamUser(h), 44);
    engine->SetlParamUser(h, -5);
    EXPECT_EQ(engine->GetlParamUser(h), -5);
}

TEST_F(SubclassEngine, OverflowIsLoggedAndTheOtherTableIsStillFilled) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    for (int m = 1; m <= 32; ++m) {
        engine->AddMsg(h, 0x400 + m, MSG_BEFORE);
    }
    EXPECT_TRUE(log.empty());
    engine->AddMsg(h, 0x500, MSG_BEFORE | MSG_AFTER);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "CSubclass.zAddMsg: Message table overflow. Either increase the value of "
                      "Const MSG_ENTRIES or use ALL_MESSAGES instead of specific message values");
    EXPECT_EQ(engine->Find(h)->after.Count(), 1);
    sys.Send(h, 0x500);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_FALSE(events[0].before);
    engine->DelMsg(h, MSG_BEFORE, {std::int32_t{0x401}});
    engine->AddMsg(h, 0x500, MSG_BEFORE);
    EXPECT_EQ(log.size(), 1u) << "the freed slot is reused";
    EXPECT_EQ(engine->Find(h)->before.Slot(1), 0x500);
}

TEST_F(SubclassEngine, DeleteSkipsValuesThatAreNotIntegers) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, 5, MSG_BEFORE);
    engine->AddMsg(h, 15, MSG_BEFORE);
    engine->AddMsg(h, 20, MSG_BEFORE);
    engine->DelMsg(h, MSG_BEFORE,
                   {std::string("5"), 15.0, std::uint8_t{20}, std::int16_t{99}, std::int32_t{5}});
    const CSubclassRecord* r = engine->Find(h);
    EXPECT_EQ(r->before.Count(), 3);
    EXPECT_EQ(r->before.Slot(1), 0) << "5 given as a 32-bit number";
    EXPECT_EQ(r->before.Slot(2), 15) << "a floating value is not a message";
    EXPECT_EQ(r->before.Slot(3), 0) << "a byte is";
    engine->DelMsg(h, MSG_BEFORE, {std::int32_t{ALL_MESSAGES}});
    EXPECT_EQ(r->before.Count(), 0);
}

TEST_F(SubclassEngine, FailureTextsAreExact) {
    auto h = sys.NewWindow();
    auto other = sys.NewWindow();
    engine->AddMsg(h, 5, MSG_BEFORE);
    EXPECT_EQ(engine->GetlParamUser(h), 0);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "CSubclass.zMap_VFunction: Thunk hasn't been initialized");
    log.clear();

    bool unicode = false;
    EXPECT_FALSE(engine->Subclass(999, 0, 1, unicode, false));
    sys.windows[other].foreign = true;
    EXPECT_FALSE(engine->Subclass(other, 0, 1, unicode, false));
    sys.windows[other].foreign = false;
    EXPECT_FALSE(engine->Subclass(other, 0, 2, unicode, false));
    sys.failAllocate = true;
    EXPECT_FALSE(engine->Subclass(other, 0, 1, unicode, false));
    sys.failAllocate = false;
    EXPECT_FALSE(engine->RegistryCreated()) << "nothing was entered yet";
    sys.failInstall = true;
    EXPECT_FALSE(engine->Subclass(other, 0, 1, unicode, false));
    sys.failInstall = false;
    EXPECT_TRUE(engine->RegistryCreated());
    EXPECT_EQ(engine->RegistrySize(), 0u);
    ASSERT_TRUE(Subclass(h));
    EXPECT_FALSE(Subclass(h));
    engine->AddMsg(other, 5, MSG_BEFORE);
    engine->UnSubclass(other);
    const std::vector<std::string> want = {
        "CSubclass.ssc_Subclass: Invalid window handle",
        "CSubclass.ssc_Subclass: Window handle belongs to another process",
        "CSubclass.ssc_Subclass: Callback method not found",
        "CSubclass.ssc_Subclass: VirtualAlloc failed, error: 8",
        "CSubclass.ssc_Subclass: SetWindowLong failed, error #1400",
        "CSubclass.ssc_Subclass: Window handle is already subclassed",
        "CSubclass.zMap_VFunction: Thunk type for  does not exist",
    };
    EXPECT_EQ(log, want);
    EXPECT_EQ(sys.windows[other].proc, 0u) << "a failed install leaves nothing behind";
    EXPECT_EQ(CSubclassEngine::LiveRecords(), 1u);
}

TEST_F(SubclassEngine, CharacterSetFollowsTheWindowOnlyWhenAsked) {
    auto a = sys.NewWindow();
    auto b = sys.NewWindow();
    sys.windows[a].unicode = true;
    sys.windows[b].unicode = true;
    bool unicode = false;
    ASSERT_TRUE(engine->Subclass(a, 0, 1, unicode, false));
    EXPECT_FALSE(unicode);
    unicode = true;
    ASSERT_TRUE(engine->Subclass(b, 0, 1, unicode, false));
    EXPECT_TRUE(unicode);
    EXPECT_EQ(sys.installs, (std::vector<std::string>{"A", "W"}));
}

TEST_F(SubclassEngine, DestroyingTheWindowEndsInterceptionAfterItsNcDestroyCallbacks) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, ALL_MESSAGES, MSG_BEFORE | MSG_AFTER);
    sys.Destroy(h);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[2].msg, kWmNcDestroy);
    EXPECT_EQ(events[3].msg, kWmNcDestroy);
    EXPECT_FALSE(events[3].before);
    EXPECT_EQ(engine->RegistrySize(), 0u);
    EXPECT_EQ(sys.restores, 1);
    EXPECT_EQ(sys.timers.size(), 1u);
    EXPECT_EQ(CSubclassEngine::LiveRecords(), 1u);
    sys.ElapseTimers();
    EXPECT_EQ(CSubclassEngine::LiveRecords(), 0u);
}

TEST_F(SubclassEngine, DestroyFromInsideABeforeCallbackRaisesNothingAfterwards) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, ALL_MESSAGES, MSG_BEFORE | MSG_AFTER);
    onEvent = [&](bool before, bool&, SubclassResult&, SubclassHandle hw, std::uint32_t msg,
                  std::int32_t&) {
        if (before && msg == 0x201) {
            sys.Destroy(hw);
        }
    };
    sys.Send(h, 0x201);
    // 0x201 before, then the nested destroy's four, then no after-call for 0x201.
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events.back().msg, kWmNcDestroy);
    EXPECT_EQ(sys.original.back(), std::to_string(h) + ":513");
    EXPECT_EQ(sys.restores, 1) << "put back once the outer message returned";
    sys.ElapseTimers();
    EXPECT_EQ(CSubclassEngine::LiveRecords(), 0u);
}

TEST_F(SubclassEngine, UnSubclassInsideABeforeCallback) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, WM_SIZE_, MSG_BEFORE | MSG_AFTER);
    onEvent = [&](bool before, bool&, SubclassResult&, SubclassHandle hw, std::uint32_t,
                  std::int32_t&) {
        if (before) {
            engine->UnSubclass(hw);
            EXPECT_EQ(sys.restores, 0) << "not while the message is in progress";
        }
    };
    EXPECT_EQ(sys.Send(h, WM_SIZE_), 1005) << "the message still reaches the window";
    EXPECT_EQ(events.size(), 1u) << "no after-call";
    EXPECT_EQ(sys.restores, 1);
    EXPECT_EQ(sys.windows[h].proc, 0u);
    EXPECT_EQ(engine->RegistrySize(), 0u);
    sys.Send(h, WM_SIZE_);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(SubclassEngine, DestroyingTheInterceptorInsideItsOwnCallback) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, WM_SIZE_, MSG_BEFORE | MSG_AFTER);
    onEvent = [&](bool, bool&, SubclassResult&, SubclassHandle, std::uint32_t, std::int32_t&) {
        engine.reset();
    };
    EXPECT_EQ(sys.Send(h, WM_SIZE_), 1005);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(sys.windows[h].proc, 0u);
}

TEST_F(SubclassEngine, TerminateInsideANestedCallbackReleasesOnlyAtDepthZero) {
    auto a = sys.NewWindow();
    auto b = sys.NewWindow();
    ASSERT_TRUE(Subclass(a));
    ASSERT_TRUE(Subclass(b));
    engine->AddMsg(a, ALL_MESSAGES, MSG_BEFORE);
    engine->AddMsg(b, ALL_MESSAGES, MSG_BEFORE);
    int nested = 0;
    onEvent = [&](bool, bool&, SubclassResult&, SubclassHandle hw, std::uint32_t msg,
                  std::int32_t&) {
        if (hw == a && msg == 1) {
            sys.Send(a, 2); // nests: depth 2 on a
        } else if (hw == a && msg == 2) {
            ++nested;
            engine->Terminate();
            EXPECT_FALSE(engine->RegistryCreated());
        }
    };
    sys.Send(a, 1);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(sys.windows[a].proc, 0u) << "a: released when the outer message returned";
    EXPECT_NE(sys.windows[b].proc, 0u) << "b: at its next message";
    sys.Send(b, 3);
    EXPECT_EQ(sys.windows[b].proc, 0u);
    EXPECT_EQ(events.size(), 2u);
    engine->AddMsg(a, 5, MSG_BEFORE);
    EXPECT_EQ(log.back(), "CSubclass.zMap_VFunction: Thunk hasn't been initialized");
}

TEST_F(SubclassEngine, AMessageDuringTheReleaseDelayCancelsTheTimer) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    // A caller that kept the procedure (as a stale chain would) sends through the record.
    CSubclassRecord* rec = sys.thunks.begin()->second;
    engine->UnSubclass(h);
    sys.Send(h, 1);
    EXPECT_EQ(sys.timersStarted, 1);
    CSubclassEngine::Dispatch(*rec, 2, 0, 0);
    EXPECT_EQ(sys.timersKilled, 1);
    EXPECT_EQ(sys.timersStarted, 2);
    EXPECT_EQ(CSubclassEngine::LiveRecords(), 1u);
    sys.ElapseTimers();
    EXPECT_EQ(CSubclassEngine::LiveRecords(), 0u);
}

TEST_F(SubclassEngine, OwnerLostPassesThroughAndDestroysApiWindows) {
    auto plain = sys.NewWindow();
    auto api = sys.NewWindow();
    bool unicode = false;
    ASSERT_TRUE(engine->Subclass(plain, 0, 1, unicode, false));
    ASSERT_TRUE(engine->Subclass(api, 0, 1, unicode, true));
    engine->AddMsg(plain, ALL_MESSAGES, MSG_BEFORE);
    engine->AddMsg(api, ALL_MESSAGES, MSG_BEFORE);
    engine->Abandon();
    EXPECT_EQ(sys.Send(plain, 7), 1007);
    EXPECT_EQ(sys.Send(api, 7), 1007);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(sys.destroyed, std::vector<SubclassHandle>{api});
    EXPECT_FALSE(sys.windows[api].alive);
    EXPECT_TRUE(sys.windows[plain].alive);
}

TEST_F(SubclassEngine, ReleaseDoesNotCutOutALaterProcedure) {
    auto h = sys.NewWindow();
    ASSERT_TRUE(Subclass(h));
    engine->AddMsg(h, WM_SIZE_, MSG_BEFORE);
    std::uintptr_t foreign = sys.InstallForeign(h);
    engine->UnSubclass(h);
    sys.Send(h, WM_SIZE_);
    EXPECT_EQ(sys.windows[h].proc, foreign) << "the later procedure stays installed";
    EXPECT_EQ(CSubclassEngine::LiveRecords(), 1u) << "the record stays to pass messages on";
    EXPECT_TRUE(events.empty());
    sys.Destroy(h);
    sys.ElapseTimers();
    EXPECT_EQ(CSubclassEngine::LiveRecords(), 0u);
}

TEST_F(SubclassEngine, UnSubclassOfAnUnknownWindowLogsNothing) {
    auto h = sys.NewWindow();
    auto other = sys.NewWindow();
    engine->UnSubclass(h);
    ASSERT_TRUE(Subclass(h));
    engine->UnSubclass(other);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(engine->CallOrigWndProc(other, 3, 0, 0), 0);
    EXPECT_EQ(engine->CallOrigWndProc(h, 3, 0, 0), 1003);
}

TEST_F(SubclassEngine, TwoInterceptorsOnOneWindowChain) {
    auto h = sys.NewWindow();
    CSubclassEngine second(sys);
    std::vector<std::string> order;
    engine->SetHandler([&](bool, bool&, SubclassResult&, SubclassHandle, std::uint32_t,
                           SubclassWparam, SubclassLparam,
                           std::int32_t&) { order.push_back("first"); });
    second.SetHandler([&](bool, bool&, SubclassResult&, SubclassHandle, std::uint32_t,
                          SubclassWparam, SubclassLparam,
                          std::int32_t&) { order.push_back("second"); });
    bool unicode = false;
    ASSERT_TRUE(engine->Subclass(h, 0, 1, unicode, false));
    ASSERT_TRUE(second.Subclass(h, 0, 1, unicode, false));
    engine->AddMsg(h, 9, MSG_BEFORE);
    second.AddMsg(h, 9, MSG_BEFORE);
    EXPECT_EQ(sys.Send(h, 9), 1009);
    EXPECT_EQ(order, (std::vector<std::string>{"second", "first"}));
    second.Terminate();
    sys.Send(h, 9);
    EXPECT_EQ(order.size(), 3u);
    EXPECT_EQ(order.back(), "first");
}

} // namespace
} // namespace velm
