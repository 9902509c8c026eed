// The tab collection and its items against a recording strip and recording forms with real
// windows: the order of calls the strip relies on, the errors and the states they leave.
#include "tabstrip/CTabItems.h"
#include "tabstrip/ITabForm.h"
#include "tabstrip/IuTab.h"

#include "base/WindowObject.h"
#include "support/FakeTabForm.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::Pump;

std::vector<std::string>* g_calls = nullptr;

void Record(const std::string& call) {
    if (g_calls) {
        g_calls->push_back(call);
    }
}

LRESULT CALLBACK FormProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_DESTROY) {
        char name[64] = {};
        ::GetWindowTextA(h, name, sizeof(name));
        Record(std::string("destroyed ") + name);
    }
    return ::DefWindowProcA(h, msg, w, l);
}

HWND MakeTopLevel(const char* name, DWORD style = WS_OVERLAPPEDWINDOW) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = FormProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmTabItemsTest";
        ::RegisterClassA(&wc);
        registered = true;
    }
    return ::CreateWindowExA(0, "VelmTabItemsTest", name, style, 10, 10, 300, 200, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

// The recording page form: what happens to it goes into the calls being recorded.
class RecordingForm : public test::FakeTabForm {
public:
    explicit RecordingForm(std::string name, DWORD style = WS_OVERLAPPEDWINDOW)
        : FakeTabForm(std::move(name), &velm::Record, style) {}
};

// A hosted form that is a window object, as the program's own forms are: unloading it runs its
// unload steps.
class WindowForm : public WindowObject, public ITabForm {
public:
    HWND hWnd() override {
        Load();
        return WindowObject::hWnd();
    }
    void Initialize(IuTab*, CTabItem*) override {}
    void RefreshPage() override {}

protected:
    FormDesign Design() const override {
        FormDesign d;
        d.className = L"VelmTabItemsWindowForm";
        d.caption = "页面";
        d.clientWidth = 200;
        d.clientHeight = 100;
        return d;
    }
    void OnQueryUnload(bool& cancel) override {
        Record("QueryUnload");
        cancel = keep;
    }
    void OnUnload() override { Record("Unload"); }

public:
    bool keep = false;
};

// A strip that records every call and, like the real one, makes forms children of a container.
class RecordingStrip : public IuTab {
public:
    RecordingStrip() : window(MakeTopLevel("strip")), container(MakeTopLevel("container")) {
        items.SetStrip(this);
    }
    ~RecordingStrip() override {
        items.SetStrip(nullptr);
        ::DestroyWindow(container);
        ::DestroyWindow(window);
    }
    void Add(const std::string& caption, const std::shared_ptr<ITabForm>& form,
             const std::string& key, const CTabIndex&) override {
        Record("Add " + caption + " key=" + key + " count=" + std::to_string(items.Count()));
        HWND h = form->hWnd();
        ::SetParent(h, container);
        ::SetWindowLongA(h, GWL_STYLE, (::GetWindowLongA(h, GWL_STYLE) & ~0xC40000) | WS_CHILD);
        if (selected < 0) {
            selected = 0;
        }
    }
    bool BeforeRemove(std::int32_t index) override {
        Record("BeforeRemove " + std::to_string(index));
        return allowRemove;
    }
    void Remove(std::int32_t index) override {
        Record("Remove " + std::to_string(index) + " count=" + std::to_string(items.Count()));
    }
    void Clear() override { Record("Clear count=" + std::to_string(items.Count())); }
    void Redraw(bool bUpdate) override { Record(std::string("Redraw ") + (bUpdate ? "1" : "0")); }
    void ChangeForm(CTabItem* item, ITabForm* form) override {
        Record(std::string("ChangeForm") + (item && item->Form().get() == form ? " same" : ""));
    }
    std::int32_t Selected() override { return selected; }
    void Selected(std::int32_t value) override {
        Record("Selected " + std::to_string(value));
        selected = value;
    }
    CTabItems& TabItems() override { return items; }
    HWND hWnd() override { return window; }
    HWND hParent() override { return container; }
    uTab* Control() override { return nullptr; }

    HWND window;
    HWND container;
    bool allowRemove = true;
    std::int32_t selected = -1;
    CTabItems items;
};

class TabItems : public ::testing::Test {
protected:
    void SetUp() override { g_calls = &calls; }
    void TearDown() override {
        strip.reset();
        g_calls = nullptr;
    }
    std::shared_ptr<RecordingForm> Form(const std::string& name) {
        return std::make_shared<RecordingForm>(name);
    }
    void AddTabs(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            strip->items.Add(n, Form(n), n);
        }
        calls.clear();
    }
    std::vector<std::string> Captions() {
        std::vector<std::string> out;
        for (int i = 0; i < strip->items.Count(); ++i) {
            out.push_back(strip->items.Item(i)->Caption());
        }
        return out;
    }

    std::vector<std::string> calls;
    std::unique_ptr<RecordingStrip> strip = std::make_unique<RecordingStrip>();
};

TEST_F(TabItems, AddReportsInTheOrderTheStripReliesOn) {
    auto form = Form("a");
    ::ShowWindow(strip->window, SW_SHOW);
    const LONG style = ::GetWindowLongA(form->hWnd(), GWL_STYLE);
    ASSERT_TRUE(strip->items.Add("标签", form, "k"));
    const std::vector<std::string> want = {
        "Initialize a strip item", "Redraw 1", "Initialize a strip item", "ChangeForm same",
        "Add 标签 key=k count=1",
    };
    EXPECT_EQ(calls, want);
    auto item = strip->items.Item(0);
    ASSERT_TRUE(item);
    EXPECT_EQ(item.get(), form->lastItem);
    EXPECT_EQ(item->SavedStyle(), style) << "the style before the strip made it a child";
    EXPECT_EQ(::GetParent(form->hWnd()), strip->container);
    EXPECT_EQ(::GetActiveWindow(), strip->window);
    EXPECT_EQ(strip->items.Selected(), 0);
}

TEST_F(TabItems, InsertPositionsFromNumbersAndNumericText) {
    AddTabs({"a", "b"});
    strip->items.Add("c", Form("c"), "", 2);
    strip->items.Add("d", Form("d"), "", 0);
    strip->items.Add("e", Form("e"), "", "1");
    strip->items.Add("f", Form("f"), "", 2.5); // halves to even: 2
    EXPECT_EQ(Captions(), (std::vector<std::string>{"d", "e", "f", "a", "b", "c"}));
}

TEST_F(TabItems, FailedAddsRaiseNumberedErrorsAfterRedrawAndChangeForm) {
    AddTabs({"a"});
    auto bad = Form("x");
    try {
        strip->items.Add("x", bad, "", "next");
        FAIL() << "no error";
    } catch (const CTabError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_EQ(e.Description(), "Invalid procedure call or argument");
    }
    const std::vector<std::string> want = {"Initialize x strip item", "Redraw 1",
                                           "Initialize x strip item", "ChangeForm same",
                                           "destroyed x"};
    EXPECT_EQ(calls, want) << "the item that never got into the list unloads its form";
    EXPECT_EQ(strip->items.Count(), 1);
    for (const CTabIndex& index : {CTabIndex(-1), CTabIndex(2), CTabIndex(1.6)}) {
        try {
            strip->items.Add("y", Form("y"), "", index);
            FAIL() << "no error";
        } catch (const CTabError& e) {
            EXPECT_EQ(e.Number(), 9);
            EXPECT_EQ(e.Description(), "Subscript out of range");
        }
    }
    EXPECT_NO_THROW(strip->items.Add("z", Form("z"), "", 1.4));
    EXPECT_EQ(strip->items.Count(), 2);
}

TEST_F(TabItems, NaNIsAnInvalidIndex) {
    AddTabs({"a"});
    const double nan = std::nan("");
    for (int step = 0; step < 2; ++step) {
        try {
            if (step == 0) {
                strip->items.Add("n", Form("n"), "", nan);
            } else {
                strip->items.Item(nan);
            }
            FAIL() << "no error at step " << step;
        } catch (const CTabError& e) {
            EXPECT_EQ(e.Number(), 5);
        }
    }
    EXPECT_EQ(Captions(), std::vector<std::string>{"a"});
}

// Page titles become captions; a tab shows a few words of one, and the tooltip all of it.
TEST_F(TabItems, CaptionsAreCutAt260CharactersWholeCharactersOnly) {
    AddTabs({"a"});
    auto item = strip->items.Item(0);
    std::string exact = "T";
    for (int i = 1; i < 260; ++i) {
        exact += i == 259 ? "\xF0\x9F\x98\x80" : "汉"; // the last one outside the BMP
    }
    item->Caption(exact);
    EXPECT_TRUE(item->Caption() == exact) << "260 characters stay whole";
    std::string title = exact + "字";
    for (int i = 0; i < 100000; ++i) {
        title += "标题";
    }
    item->Caption(title);
    EXPECT_TRUE(item->Caption() == exact) << item->Caption().size() << " bytes";
    strip->items.Add(title, Form("t"), "t");
    EXPECT_TRUE(strip->items.Item("t")->Caption() == exact);
}

TEST_F(TabItems, KeysAreUniqueAndCaseBlind) {
    AddTabs({"Home"});
    EXPECT_THROW(
        {
            try {
                strip->items.Add("again", Form("again"), "HOME");
            } catch (const CTabError& e) {
                EXPECT_EQ(e.Number(), 457);
                throw;
            }
        },
        CTabError);
    EXPECT_EQ(strip->items.Count(), 1);
    EXPECT_EQ(strip->items.FindItem("home"), 0);
    EXPECT_EQ(strip->items.Item("hOmE")->Caption(), "Home");
    try {
        strip->items.Item("nope");
        FAIL();
    } catch (const CTabError& e) {
        EXPECT_EQ(e.Number(), 5);
    }
}

TEST_F(TabItems, FindItemForEveryKindOfIndex) {
    RecordingForm stranger("s");
    for (const CTabIndex& i : {CTabIndex("a"), CTabIndex(0), CTabIndex(&stranger)}) {
        EXPECT_EQ(strip->items.FindItem(i), -1) << "empty collection";
    }
    auto b = Form("b");
    strip->items.Add("a", Form("a"), "a");
    strip->items.Add("b", b, "b");
    strip->items.Add("c", Form("c"));
    EXPECT_EQ(strip->items.FindItem(2), 2);
    EXPECT_EQ(strip->items.FindItem(3), -1);
    EXPECT_EQ(strip->items.FindItem(-1), -1);
    EXPECT_EQ(strip->items.FindItem(1.5), 2);
    EXPECT_EQ(strip->items.FindItem("B"), 1);
    EXPECT_EQ(strip->items.FindItem("2"), -1) << "text is a key, even numeric text";
    EXPECT_EQ(strip->items.FindItem(b), 1);
    EXPECT_EQ(strip->items.FindItem(&stranger), -1);
    EXPECT_EQ(strip->items.FindItem(strip->items.Item(2)), 2);
    EXPECT_EQ(strip->items.FindItem(CTabIndex()), -1);
    EXPECT_EQ(strip->items.Item(-1), nullptr);
    EXPECT_EQ(strip->items.Item(3), nullptr);
    EXPECT_EQ(strip->items.Item(0)->Caption(), "a");
}

TEST_F(TabItems, RemoveAsksFirstAndHonoursTheVeto) {
    AddTabs({"a", "b", "c"});
    strip->allowRemove = false;
    EXPECT_FALSE(strip->items.Remove(1, true));
    EXPECT_EQ(calls, std::vector<std::string>{"BeforeRemove 1"});
    EXPECT_EQ(strip->items.Count(), 3);
    EXPECT_TRUE(::IsWindow(strip->items.Item(1)->Form()->hWnd())) << "form stays loaded";
    calls.clear();
    strip->allowRemove = true;
    EXPECT_TRUE(strip->items.Remove("B", true));
    EXPECT_EQ(calls,
              (std::vector<std::string>{"BeforeRemove 1", "Remove 1 count=2", "destroyed b"}));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a", "c"}));
    calls.clear();
    EXPECT_FALSE(strip->items.Remove(5, true));
    EXPECT_FALSE(strip->items.Remove("b", true));
    EXPECT_TRUE(calls.empty());
}

TEST_F(TabItems, RemoveWithoutUnloadStillUnloadsWhenTheItemGoes) {
    AddTabs({"a"});
    auto kept = strip->items.Item(0);
    EXPECT_TRUE(strip->items.Remove(0, false));
    EXPECT_EQ(calls, (std::vector<std::string>{"BeforeRemove 0", "Remove 0 count=0"}));
    EXPECT_TRUE(::IsWindow(kept->Form()->hWnd())) << "the host still holds the item";
    calls.clear();
    kept.reset();
    EXPECT_EQ(calls, std::vector<std::string>{"destroyed a"});
}

TEST_F(TabItems, ClearUnloadsEveryFormThenReports) {
    strip->items.Clear();
    EXPECT_EQ(calls, std::vector<std::string>{"Clear count=0"});
    AddTabs({"a", "b"});
    strip->items.Clear();
    EXPECT_EQ(calls, (std::vector<std::string>{"destroyed a", "destroyed b", "Clear count=0"}));
    EXPECT_EQ(strip->items.Count(), 0);
}

TEST_F(TabItems, ItemSettersReportToTheStrip) {
    AddTabs({"a"});
    auto item = strip->items.Item(0);
    item->Caption("new");
    item->HideButton(true);
    item->LockSize(true);
    item->ItemData(std::string("data"));
    EXPECT_EQ(calls, (std::vector<std::string>{"Redraw 1", "Redraw 1", "Redraw 1"}));
    EXPECT_EQ(std::any_cast<std::string>(item->ItemData()), "data");
    auto shared = std::make_shared<int>(5);
    item->ItemData(shared);
    *shared = 6;
    EXPECT_EQ(*std::any_cast<std::shared_ptr<int>>(item->ItemData()), 6) << "a reference";
    calls.clear();
    auto b = Form("b");
    item->Form(b);
    // The old form was held by the item alone: letting it go closes it.
    EXPECT_EQ(calls, (std::vector<std::string>{"destroyed a", "Initialize b strip item",
                                               "ChangeForm same"}));
    CTabItem loose;
    auto c = Form("c");
    calls.clear();
    loose.Form(c);
    loose.Caption("x");
    EXPECT_EQ(calls, std::vector<std::string>{"Initialize c none item"});
}

TEST_F(TabItems, ReleaseFormHandsBackACentredTopLevelWindow) {
    auto form = std::make_shared<RecordingForm>("r", WS_OVERLAPPEDWINDOW);
    const LONG style = ::GetWindowLongA(form->hWnd(), GWL_STYLE);
    strip->items.Add("r", form, "r");
    ASSERT_EQ(::GetParent(form->hWnd()), strip->container);
    ::ShowWindow(strip->container, SW_SHOWNOACTIVATE);
    ::UpdateWindow(strip->container);
    ::ValidateRect(strip->container, nullptr);
    ASSERT_FALSE(::GetUpdateRect(strip->container, nullptr, FALSE));
    calls.clear();
    std::shared_ptr<ITabForm> back = strip->items.ReleaseForm("r");
    EXPECT_TRUE(::GetUpdateRect(strip->container, nullptr, FALSE))
        << "the strip's parent was invalidated";
    ASSERT_EQ(back, form);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"BeforeRemove 0", "Remove 0 count=0", "Initialize r none"}))
        << "removed, not unloaded, and told it belongs to no tab before its item goes";
    EXPECT_EQ(form->lastItem, nullptr);
    EXPECT_EQ(strip->items.Count(), 0);
    HWND h = form->hWnd();
    ASSERT_TRUE(::IsWindow(h));
    EXPECT_EQ(::GetParent(h), nullptr);
    EXPECT_EQ(::GetWindowLongA(h, GWL_STYLE) & ~WS_VISIBLE, style & ~WS_VISIBLE);
    EXPECT_TRUE(::IsWindowVisible(h));
    RECT r{};
    ::GetWindowRect(h, &r);
    const int sw = ::GetSystemMetrics(SM_CXSCREEN);
    const int sh = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, (sw - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (sh - (r.bottom - r.top)) / 2);
    // A real top-level window: it takes a new caption and is destroyed only when the form goes.
    ::SetWindowTextA(h, "r");
    back.reset();
    Pump(20);
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_EQ(strip->items.ReleaseForm("r"), nullptr);
}

TEST_F(TabItems, VetoedReleaseLeavesTheTabAlone) {
    AddTabs({"a"});
    strip->allowRemove = false;
    EXPECT_EQ(strip->items.ReleaseForm(0), nullptr);
    EXPECT_EQ(strip->items.Count(), 1);
    EXPECT_EQ(::GetParent(strip->items.Item(0)->Form()->hWnd()), strip->container);
}

TEST_F(TabItems, WindowObjectFormsAreUnloadedThroughTheirUnloadSteps) {
    WindowObject::SetQuitOnLastWindow(false);
    auto form = std::make_shared<WindowForm>();
    strip->items.Add("w", form);
    HWND h = form->hWnd();
    ASSERT_TRUE(::IsWindow(h));
    EXPECT_EQ(::GetParent(h), strip->container);
    calls.clear();
    EXPECT_TRUE(strip->items.Remove(0, true));
    EXPECT_EQ(calls, (std::vector<std::string>{"BeforeRemove 0", "Remove 0 count=0", "QueryUnload",
                                               "Unload"}));
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(TabItems, SelectedIsTheStrips) {
    AddTabs({"a", "b"});
    strip->items.Selected(1);
    EXPECT_EQ(strip->items.Selected(), 1);
    EXPECT_EQ(calls, std::vector<std::string>{"Selected 1"});
}

} // namespace
} // namespace velm
