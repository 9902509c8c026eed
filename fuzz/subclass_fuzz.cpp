// The interceptor's message tables and dispatch under random sequences of add, delete, send,
// nested calls from inside handlers, unsubclass, terminate and window destruction, checked
// against a plain model: a table is "every message" or a set of at most 32 messages; a window's
// events come only while its record is active and its table lists the message; the original
// procedure sees every message nobody handled exactly once; every record is freed in the end.
#include "FuzzCheck.h"

#include "base/Log.h"
#include "frame/CSubclassEngine.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace velm;

// Names the failed check's line: the model has many.
using velm::fuzz::Check;

// What a table should match: everything, or a set.
struct TableModel {
    bool all = false;
    std::set<std::int32_t> messages;

    bool Matches(std::uint32_t m) const {
        return all || messages.count(static_cast<std::int32_t>(m)) != 0;
    }
    // Whether the add succeeds.
    bool Add(std::int32_t m) {
        if (m == ALL_MESSAGES) {
            all = true;
            messages.clear();
            return true;
        }
        if (all) {
            all = false;
            messages = {m};
            return true;
        }
        if (messages.count(m)) {
            return true;
        }
        if (messages.size() >= static_cast<std::size_t>(MSG_ENTRIES)) {
            return false;
        }
        messages.insert(m);
        return true;
    }
    void Delete(std::int32_t m) {
        if (m == ALL_MESSAGES) {
            all = false;
            messages.clear();
        } else if (!all) {
            messages.erase(m);
        }
    }
};

void CheckTable(const CSubclassTable& t, const TableModel& model) {
    if (model.all) {
        Check(t.Count() == ALL_MESSAGES);
        return;
    }
    Check(t.Count() >= 0 && t.Count() <= MSG_ENTRIES);
    std::set<std::int32_t> seen;
    for (std::int32_t i = 1; i <= t.Count(); ++i) {
        const std::int32_t v = t.Slot(i);
        if (v != 0) {
            Check(seen.insert(v).second); // never listed twice
        }
    }
    Check(seen == model.messages);
}

// Message numbers from a small alphabet so that adds, deletes and sends meet; never 0, which
// marks a free slot.
std::int32_t PickMessage(FuzzedDataProvider& in) {
    const std::uint8_t b = in.ConsumeIntegral<std::uint8_t>();
    if (b < 200) {
        return 1 + b % 40;
    }
    static constexpr std::array<std::int32_t, 5> kOdd = {ALL_MESSAGES, 0x0082, 0x7FFFFFFF,
                                                         static_cast<std::int32_t>(0x80000000), -2};
    return kOdd[b % kOdd.size()];
}

void FuzzTable(FuzzedDataProvider& in) {
    CSubclassTable t;
    TableModel model;
    while (in.remaining_bytes() > 0) {
        const std::uint8_t op = in.ConsumeIntegral<std::uint8_t>() % 3;
        const std::int32_t m = PickMessage(in);
        if (op == 0) {
            Check(t.Add(m) == model.Add(m));
        } else if (op == 1) {
            t.Delete(m);
            model.Delete(m);
        } else {
            Check(t.Matches(static_cast<std::uint32_t>(m)) ==
                  model.Matches(static_cast<std::uint32_t>(m)));
        }
        CheckTable(t, model);
    }
}

// Windows whose procedures chain the way the window system chains them. The original procedure
// counts what reaches it and answers msg + 1000.
class FakeSystem final : public CSubclassPlatform {
public:
    struct Window {
        std::uintptr_t proc = 0;
        bool alive = true;
    };

    SubclassResult Send(SubclassHandle h, std::uint32_t msg) {
        if (!windows[h].alive) {
            return 0;
        }
        return Run(windows[h].proc, msg);
    }
    void Destroy(SubclassHandle h) {
        if (!windows[h].alive) {
            return;
        }
        Send(h, 0x0002);
        Send(h, kWmNcDestroy);
        windows[h].alive = false;
    }
    void ElapseTimers() {
        auto pending = timers;
        for (auto& [id, rec] : pending) {
            if (timers.count(id)) {
                timers.erase(id);
                CSubclassEngine::OnReleaseTimer(*rec);
            }
        }
    }
    // The record in front of the window, when it is the only one between the window and its
    // original procedure.
    CSubclassRecord* OnlyRecord(SubclassHandle h) {
        auto it = thunks.find(windows[h].proc);
        if (it == thunks.end() || it->second->prevProc != kOriginal) {
            return nullptr;
        }
        return it->second;
    }

    bool IsWindow(SubclassHandle h) override { return windows.count(h) && windows[h].alive; }
    bool IsOwnProcess(SubclassHandle) override { return true; }
    bool IsWindowUnicode(SubclassHandle) override { return false; }
    bool AllocateThunk(CSubclassRecord& r) override {
        r.slot = 0;
        r.thunk = 0x10000 + thunkNext_++;
        thunks[r.thunk] = &r;
        return true;
    }
    void FreeThunk(CSubclassRecord& r) override {
        Check(r.depth == 0); // never freed while a message is inside it
        thunks.erase(r.thunk);
        r.slot = -1;
    }
    std::uintptr_t InstallProc(CSubclassRecord& r) override {
        std::uintptr_t prev = windows[r.hWnd].proc;
        windows[r.hWnd].proc = r.thunk;
        return prev == 0 ? kOriginal : prev;
    }
    std::uint32_t LastError() override { return 0; }
    bool RestoreProc(CSubclassRecord& r) override {
        if (windows[r.hWnd].proc != r.thunk) {
            return false;
        }
        windows[r.hWnd].proc = r.prevProc == kOriginal ? 0 : r.prevProc;
        return true;
    }
    SubclassResult CallPrevious(CSubclassRecord& r, std::uint32_t msg, SubclassWparam,
                                SubclassLparam) override {
        return Run(r.prevProc == kOriginal ? 0 : r.prevProc, msg);
    }
    std::uintptr_t StartReleaseTimer(CSubclassRecord& r) override {
        std::uintptr_t id = timerNext_++;
        timers[id] = &r;
        return id;
    }
    void KillReleaseTimer(std::uintptr_t id) override { timers.erase(id); }
    void DestroyWindow(SubclassHandle h) override { Destroy(h); }

    static constexpr std::uintptr_t kOriginal = 0x7777;
    std::map<SubclassHandle, Window> windows;
    std::map<std::uintptr_t, CSubclassRecord*> thunks;
    std::map<std::uintptr_t, CSubclassRecord*> timers;
    int originals = 0;

private:
    SubclassResult Run(std::uintptr_t proc, std::uint32_t msg) {
        if (proc == 0) {
            ++originals;
            return static_cast<SubclassResult>(msg) + 1000;
        }
        auto it = thunks.find(proc);
        Check(it != thunks.end()); // a freed procedure is never called
        return CSubclassEngine::Dispatch(*it->second, msg, 0, 0);
    }

    std::uintptr_t thunkNext_ = 1;
    std::uintptr_t timerNext_ = 1;
};

constexpr int kWindows = 3;
constexpr int kEngines = 2;
constexpr int kMaxNesting = 3;

struct RecordModel {
    bool active = false;
    TableModel before, after;
    std::int32_t user = 0;
};

class Harness {
public:
    explicit Harness(FuzzedDataProvider& in) : in_(in) {
        previousSink_ = SetLogSink([this](const std::string&) { ++logs_; });
        for (int w = 0; w < kWindows; ++w) {
            sys_.windows[Handle(w)] = {};
        }
        for (int e = 0; e < kEngines; ++e) {
            engines_[e] = std::make_unique<CSubclassEngine>(sys_);
            engines_[e]->SetHandler([this, e](bool before, bool& handled, SubclassResult& lReturn,
                                              SubclassHandle h, std::uint32_t msg, SubclassWparam,
                                              SubclassLparam, std::int32_t& user) {
                OnEvent(e, before, handled, lReturn, h, msg, user);
            });
        }
    }
    ~Harness() { SetLogSink(previousSink_); }

    void Run() {
        while (in_.remaining_bytes() > 0) {
            Step(0);
            CheckTopLevel();
        }
        TearDown();
    }

private:
    static SubclassHandle Handle(int w) { return static_cast<SubclassHandle>(100 + w); }
    RecordModel& Model(int e, SubclassHandle h) { return models_[e][h]; }

    // One operation; `nesting` > 0 when run from inside a handler.
    void Step(int nesting) {
        const std::uint8_t op = in_.ConsumeIntegral<std::uint8_t>() % 9;
        const int e = in_.ConsumeIntegral<std::uint8_t>() % kEngines;
        const SubclassHandle h = Handle(in_.ConsumeIntegral<std::uint8_t>() % kWindows);
        CSubclassEngine& engine = *engines_[e];
        RecordModel& model = Model(e, h);
        const int logsBefore = logs_;
        // What the lookup of an operation on `h` logs when there is no record.
        const int lookupLogs = !engine.RegistryCreated()                      ? 1
                               : engine.RegistrySize() == 0 || engine.Find(h) ? 0
                                                                              : 1;
        switch (op) {
        case 0: { // subclass
            const bool alive = sys_.IsWindow(h);
            const bool listed = engine.Find(h) != nullptr;
            const std::int32_t user = in_.ConsumeIntegral<std::int8_t>();
            if (destroying_.count(h)) {
                // A window on its way out is not intercepted anew: the new record would never
                // see the end of the window.
                break;
            }
            bool unicode = false;
            const bool ok = engine.Subclass(h, user, 1, unicode, false);
            Check(ok == (alive && !listed));
            Check(logs_ - logsBefore == (ok ? 0 : 1));
            if (ok) {
                ++created_;
                model = RecordModel{};
                model.active = true;
                model.user = user;
                Check(engine.RegistryCreated());
            }
            break;
        }
        case 1: { // add
            const std::int32_t m = PickMessage(in_);
            const std::int32_t when = in_.ConsumeIntegral<std::uint8_t>() % 4;
            const bool found = engine.Find(h) != nullptr;
            engine.AddMsg(h, m, when);
            int overflows = 0;
            if (found && model.active) {
                if ((when & MSG_BEFORE) && !model.before.Add(m)) {
                    ++overflows;
                }
                if ((when & MSG_AFTER) && !model.after.Add(m)) {
                    ++overflows;
                }
            }
            if (found) {
                Check(!model.active || logs_ - logsBefore == overflows);
            } else {
                Check(logs_ - logsBefore == lookupLogs);
            }
            break;
        }
        case 2: { // delete one or two messages, with a value that is no message between them
            const std::int32_t m1 = PickMessage(in_);
            const std::int32_t m2 = PickMessage(in_);
            const std::int32_t when = in_.ConsumeIntegral<std::uint8_t>() % 4;
            const bool found = engine.Find(h) != nullptr;
            engine.DelMsg(h, when, {m1, std::string("x"), 2.5, m2});
            if (found && model.active) {
                for (std::int32_t m : {m1, m2}) {
                    if (when & MSG_BEFORE) {
                        model.before.Delete(m);
                    }
                    if (when & MSG_AFTER) {
                        model.after.Delete(m);
                    }
                }
            }
            Check(logs_ - logsBefore == (found ? 0 : lookupLogs));
            break;
        }
        case 3:
        case 4: { // send
            std::uint32_t m = static_cast<std::uint32_t>(PickMessage(in_));
            if (m == kWmNcDestroy) {
                m = 0x0200; // only the destruction itself sends this one
            }
            Send(h, m, nesting);
            break;
        }
        case 5: { // unsubclass
            engine.UnSubclass(h);
            model.active = false;
            Check(engine.Find(h) == nullptr);
            Check(logs_ == logsBefore);
            break;
        }
        case 6: { // terminate
            engine.Terminate();
            for (auto& [w, m] : models_[e]) {
                m.active = false;
            }
            Check(!engine.RegistryCreated());
            Check(logs_ == logsBefore);
            break;
        }
        case 7: { // destroy the window
            const bool alive = sys_.IsWindow(h);
            destroying_.insert(h);
            sys_.Destroy(h);
            destroying_.erase(h);
            if (alive) {
                for (auto& models : models_) {
                    models[h].active = false;
                }
            }
            break;
        }
        case 8: { // the user value
            const std::int32_t v = in_.ConsumeIntegral<std::int16_t>();
            const bool found = engine.Find(h) != nullptr;
            if (found && model.active) {
                Check(engine.GetlParamUser(h) == model.user);
                engine.SetlParamUser(h, v);
                model.user = v;
                Check(engine.GetlParamUser(h) == v);
            } else if (!found) {
                Check(engine.GetlParamUser(h) == 0);
                Check(logs_ - logsBefore == lookupLogs);
            }
            break;
        }
        }
    }

    void Send(SubclassHandle h, std::uint32_t m, int nesting) {
        // With one record in front of the original procedure and nothing done from inside the
        // handlers, the whole course of the message is known in advance.
        const bool alive = sys_.IsWindow(h);
        CSubclassRecord* only = alive ? sys_.OnlyRecord(h) : nullptr;
        int owner = -1;
        for (int e = 0; only && e < kEngines; ++e) {
            if (engines_[e]->Find(h) == only && Model(e, h).active) {
                owner = e;
            }
        }
        const int originalsBefore = sys_.originals;
        const int nestedBefore = nestedOps_;
        const std::size_t eventsBefore = events_.size();
        anyHandled_ = false;
        const SubclassResult result = sys_.Send(h, m);
        const bool nested = nestedOps_ != nestedBefore;
        if (!alive) {
            Check(result == 0 && sys_.originals == originalsBefore &&
                  events_.size() == eventsBefore);
            return;
        }
        if (!nested) {
            // Without handlers acting, the original procedure sees it once unless handled.
            Check(sys_.originals - originalsBefore == (anyHandled_ ? 0 : 1));
        }
        if (nesting > 0 || nested || owner < 0) {
            return;
        }
        const RecordModel& model = Model(owner, h);
        const bool before = model.before.Matches(m);
        std::size_t next = eventsBefore;
        SubclassResult expected = static_cast<SubclassResult>(m) + 1000;
        bool handled = false;
        if (before) {
            Check(next < events_.size());
            const Event& ev = events_[next++];
            Check(ev.engine == owner && ev.before && ev.h == h && ev.msg == m);
            handled = ev.handled;
            if (handled) {
                expected = ev.lReturnOut;
            }
        }
        if (!handled && model.after.Matches(m)) {
            Check(next < events_.size());
            const Event& ev = events_[next++];
            Check(ev.engine == owner && !ev.before && ev.h == h && ev.msg == m);
            Check(ev.lReturnIn == static_cast<SubclassResult>(m) + 1000);
            expected = ev.lReturnOut;
        }
        Check(next == events_.size());
        Check(result == expected);
    }

    struct Event {
        int engine;
        bool before;
        SubclassHandle h;
        std::uint32_t msg;
        bool handled;
        SubclassResult lReturnIn, lReturnOut;
    };

    void OnEvent(int e, bool before, bool& handled, SubclassResult& lReturn, SubclassHandle h,
                 std::uint32_t msg, std::int32_t& user) {
        // Events come only for an active record whose table lists the message.
        const RecordModel& model = Model(e, h);
        Check(model.active);
        Check(before ? model.before.Matches(msg) : model.after.Matches(msg));
        Check(user == model.user);
        Check(!handled);
        Event ev{e, before, h, msg, false, lReturn, lReturn};
        const std::uint8_t act = in_.ConsumeIntegral<std::uint8_t>();
        // The end of a window is never kept from the procedures behind: they would never let go.
        if ((act & 1) && msg != kWmNcDestroy) {
            handled = true;
            ev.handled = before;
            anyHandled_ = anyHandled_ || before;
        }
        if (act & 2) {
            lReturn = static_cast<SubclassResult>(act) * 7;
        }
        if (act & 4) {
            ++user;
            ++Model(e, h).user;
        }
        ev.lReturnOut = lReturn;
        events_.push_back(ev);
        if ((act & 8) && depth_ < kMaxNesting) {
            ++nestedOps_;
            ++depth_;
            Step(depth_);
            --depth_;
        }
    }

    void CheckTopLevel() {
        // Between operations every record has finished its messages: a record is listed exactly
        // while the model holds it active, and its tables agree with the model.
        for (int e = 0; e < kEngines; ++e) {
            for (int w = 0; w < kWindows; ++w) {
                const SubclassHandle h = Handle(w);
                const RecordModel& model = Model(e, h);
                const CSubclassRecord* r = engines_[e]->Find(h);
                Check((r != nullptr) == model.active);
                if (r) {
                    Check(r->depth == 0 && r->release == SubclassRelease::None);
                    CheckTable(r->before, model.before);
                    CheckTable(r->after, model.after);
                    Check(r->lParamUser == model.user);
                }
            }
        }
        // Keep the run bounded: the event log only matters for the current send.
        events_.clear();
    }

    void TearDown() {
        for (auto& engine : engines_) {
            engine.reset();
        }
        // Records stacked on one window step out front first, one per message that reaches
        // them; the timers then free them.
        for (int round = 0; round <= created_ + 1 && CSubclassEngine::LiveRecords() > 0; ++round) {
            for (int w = 0; w < kWindows; ++w) {
                sys_.Send(Handle(w), 0x0113);
            }
            sys_.ElapseTimers();
        }
        Check(CSubclassEngine::LiveRecords() == 0);
        Check(sys_.thunks.empty() && sys_.timers.empty());
    }

    FuzzedDataProvider& in_;
    FakeSystem sys_;
    std::array<std::unique_ptr<CSubclassEngine>, kEngines> engines_;
    std::array<std::map<SubclassHandle, RecordModel>, kEngines> models_;
    std::vector<Event> events_;
    std::set<SubclassHandle> destroying_;
    LogSink previousSink_;
    int logs_ = 0;
    int created_ = 0;
    int depth_ = 0;
    int nestedOps_ = 0;
    bool anyHandled_ = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    FuzzedDataProvider in(data + 1, size - 1);
    if (data[0] & 1) {
        FuzzTable(in);
    } else {
        Harness harness(in);
        harness.Run();
    }
    return 0;
}
