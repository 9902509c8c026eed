// The tab collection under thousands of random adds, removes, finds, selections, releases and
// clears (fixed seeds), with real forms, checked step by step against a plain list: the order of
// the tabs, their captions and forms, case-blind unique keys, the errors of bad adds, what the
// strip is told, and which forms' windows are closed.
#include "tabstrip/CTabItems.h"
#include "tabstrip/ITabForm.h"
#include "tabstrip/IuTab.h"

#include "support/FakeTabForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace velm {
namespace {

HWND MakeWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmTabModelForm";
        ::RegisterClassA(&wc);
        registered = true;
    }
    return ::CreateWindowExA(0, "VelmTabModelForm", "form", WS_OVERLAPPEDWINDOW, 0, 0, 120, 80,
                             nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

using Form = test::FakeTabForm;

class Strip : public IuTab {
public:
    Strip() : window_(MakeWindow()) { items.SetStrip(this); }
    ~Strip() override {
        items.SetStrip(nullptr);
        ::DestroyWindow(window_);
    }
    void Add(const std::string& caption, const std::shared_ptr<ITabForm>&, const std::string& key,
             const CTabIndex&) override {
        calls.push_back("Add " + caption + " " + key + " " + std::to_string(items.Count()));
    }
    bool BeforeRemove(std::int32_t index) override {
        calls.push_back("BeforeRemove " + std::to_string(index));
        return allowRemove;
    }
    void Remove(std::int32_t index) override {
        calls.push_back("Remove " + std::to_string(index) + " " + std::to_string(items.Count()));
    }
    void Clear() override { calls.push_back("Clear " + std::to_string(items.Count())); }
    void Redraw(bool) override {}
    void ChangeForm(CTabItem*, ITabForm*) override {}
    std::int32_t Selected() override { return selected; }
    void Selected(std::int32_t value) override {
        calls.push_back("Selected " + std::to_string(value));
        selected = value;
    }
    CTabItems& TabItems() override { return items; }
    HWND hWnd() override { return window_; }
    HWND hParent() override { return window_; }
    uTab* Control() override { return nullptr; }

    std::vector<std::string> calls;
    bool allowRemove = true;
    std::int32_t selected = -1;
    CTabItems items;

private:
    HWND window_;
};

struct Tab {
    std::string caption;
    std::string key;
    std::shared_ptr<Form> form;
};

bool SameKey(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

class Model {
public:
    explicit Model(unsigned seed) : rng_(seed) {}

    void Run(int steps) {
        for (int step = 0; step < steps && !::testing::Test::HasFatalFailure(); ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            strip_.calls.clear();
            const unsigned op = Pick(100);
            if (op < 35) {
                Add();
            } else if (op < 60) {
                Remove();
            } else if (op < 80) {
                Find();
            } else if (op < 90) {
                Select();
            } else if (op < 93) {
                ReleaseForm();
            } else if (op < 94) {
                Clear();
            } else {
                Items();
            }
            CheckAll();
            longest_ = std::max(longest_, Count());
        }
        // The walk must reach lists long enough for positions, keys and vetoes to interact.
        EXPECT_GE(longest_, 8);
    }

private:
    unsigned Pick(unsigned n) { return static_cast<unsigned>(rng_() % n); }
    std::int32_t Count() const { return static_cast<std::int32_t>(tabs_.size()); }

    // Keys from a small set so that duplicates and case-blind matches are common; "2" looks like
    // a number but stays a key.
    std::string RandomKey() {
        static const char* const kKeys[] = {"", "", "home", "Game", "tab", "2", "页面", "a b"};
        std::string key = kKeys[Pick(8)];
        for (char& c : key) {
            if (std::isalpha(static_cast<unsigned char>(c)) && Pick(2)) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        return key;
    }

    // Any kind of index naming a tab (or no tab), and the position the collection must find.
    CTabIndex RandomIndex(std::int32_t& want) {
        switch (Pick(5)) {
        case 0: { // a key
            std::string key = RandomKey();
            want = -1;
            for (std::int32_t i = 0; i < Count(); ++i) {
                if (!key.empty() && !tabs_[i].key.empty() && SameKey(tabs_[i].key, key)) {
                    want = i;
                    break;
                }
            }
            return CTabIndex(key);
        }
        case 1: { // a whole number, maybe outside
            const std::int32_t n = static_cast<std::int32_t>(Pick(Count() + 3)) - 1;
            want = n >= 0 && n < Count() ? n : -1;
            return CTabIndex(n);
        }
        case 2: { // a fraction: halves go to the even neighbour
            const std::int32_t n = static_cast<std::int32_t>(Pick(Count() + 2)) - 1;
            const double d = n + 0.5;
            const std::int32_t rounded = n % 2 == 0 ? n : n + 1;
            want = rounded >= 0 && rounded < Count() ? rounded : -1;
            return CTabIndex(d);
        }
        case 3: { // a form, maybe one that is not in the strip
            if (tabs_.empty() || Pick(4) == 0) {
                want = -1;
                return CTabIndex(stranger_.get());
            }
            want = static_cast<std::int32_t>(Pick(Count()));
            return CTabIndex(static_cast<ITabForm*>(tabs_[want].form.get()));
        }
        default: { // an item
            if (tabs_.empty()) {
                want = -1;
                return CTabIndex(static_cast<CTabItem*>(nullptr));
            }
            want = static_cast<std::int32_t>(Pick(Count()));
            return CTabIndex(strip_.items.Item(want).get());
        }
        }
    }

    void Add() {
        Tab tab{"t" + std::to_string(next_++), RandomKey(), std::make_shared<Form>()};
        CTabIndex index;
        std::int32_t at = Count();
        std::int32_t error = 0;
        switch (Pick(4)) {
        case 0:
            break;
        case 1: {
            const std::int32_t n = static_cast<std::int32_t>(Pick(Count() + 3)) - 1;
            index = CTabIndex(n);
            at = n;
            if (n < 0 || n > Count()) {
                error = CTabError::kSubscriptOutOfRange;
            }
            break;
        }
        case 2: {
            const std::int32_t n = static_cast<std::int32_t>(Pick(Count() + 1));
            index = CTabIndex(" " + std::to_string(n) + " ");
            at = n;
            break;
        }
        default:
            index = CTabIndex("next");
            error = CTabError::kInvalidArgument;
            break;
        }
        if (error == 0 && !tab.key.empty()) {
            for (const Tab& t : tabs_) {
                if (!t.key.empty() && SameKey(t.key, tab.key)) {
                    error = CTabError::kDuplicateKey;
                }
            }
        }
        std::int32_t got = 0;
        try {
            EXPECT_TRUE(strip_.items.Add(tab.caption, tab.form, tab.key, index));
        } catch (const CTabError& e) {
            got = e.Number();
        }
        ASSERT_EQ(got, error) << tab.caption << " key " << tab.key;
        if (error != 0) {
            EXPECT_FALSE(tab.form->Open()) << "a tab that never got in closes its form";
            EXPECT_TRUE(strip_.calls.empty());
            return;
        }
        tabs_.insert(tabs_.begin() + at, tab);
        const std::vector<std::string> want = {"Add " + tab.caption + " " + tab.key + " " +
                                               std::to_string(Count())};
        EXPECT_EQ(strip_.calls, want);
    }

    void Remove() {
        std::int32_t want = -1;
        const CTabIndex index = RandomIndex(want);
        const bool unload = Pick(3) != 0;
        strip_.allowRemove = Pick(5) != 0;
        // A host that keeps the item keeps the form of a tab removed without unloading.
        std::shared_ptr<CTabItem> held = want >= 0 ? strip_.items.Item(want) : nullptr;
        ASSERT_EQ(strip_.items.FindItem(index), want);
        const bool removed = strip_.items.Remove(index, unload);
        if (want < 0) {
            EXPECT_FALSE(removed);
            EXPECT_TRUE(strip_.calls.empty());
            return;
        }
        std::vector<std::string> calls = {"BeforeRemove " + std::to_string(want)};
        if (!strip_.allowRemove) {
            EXPECT_FALSE(removed);
            EXPECT_EQ(strip_.calls, calls);
            EXPECT_TRUE(tabs_[want].form->Open());
            return;
        }
        EXPECT_TRUE(removed);
        calls.push_back("Remove " + std::to_string(want) + " " + std::to_string(Count() - 1));
        EXPECT_EQ(strip_.calls, calls);
        const std::shared_ptr<Form> form = tabs_[want].form;
        tabs_.erase(tabs_.begin() + want);
        EXPECT_EQ(form->Open(), !unload);
        held.reset();
        EXPECT_FALSE(form->Open()) << "the last reference to the item closes its form";
    }

    void Find() {
        std::int32_t want = -1;
        const CTabIndex index = RandomIndex(want);
        EXPECT_EQ(strip_.items.FindItem(index), want);
        EXPECT_TRUE(strip_.calls.empty());
    }

    void Select() {
        const std::int32_t v = static_cast<std::int32_t>(Pick(Count() + 1)) - 1;
        strip_.items.Selected(v);
        EXPECT_EQ(strip_.items.Selected(), v);
        EXPECT_EQ(strip_.calls, std::vector<std::string>{"Selected " + std::to_string(v)});
    }

    void ReleaseForm() {
        std::int32_t want = -1;
        const CTabIndex index = RandomIndex(want);
        strip_.allowRemove = Pick(4) != 0;
        std::shared_ptr<ITabForm> form = strip_.items.ReleaseForm(index);
        if (want < 0 || !strip_.allowRemove) {
            EXPECT_EQ(form, nullptr);
            return;
        }
        ASSERT_EQ(form.get(), tabs_[want].form.get());
        EXPECT_TRUE(tabs_[want].form->Open()) << "a released form lives on as its own window";
        EXPECT_EQ(::GetParent(form->hWnd()), nullptr);
        ::ShowWindow(form->hWnd(), SW_HIDE);
        tabs_.erase(tabs_.begin() + want);
    }

    void Clear() {
        std::vector<std::shared_ptr<Form>> forms;
        for (const Tab& t : tabs_) {
            forms.push_back(t.form);
        }
        strip_.items.Clear();
        tabs_.clear();
        EXPECT_EQ(strip_.calls, std::vector<std::string>{"Clear 0"});
        for (const auto& f : forms) {
            EXPECT_FALSE(f->Open());
        }
    }

    void Items() {
        // A missing key is an error; a number outside gives nothing.
        try {
            (void)strip_.items.Item("no such key");
            ADD_FAILURE() << "no error for a missing key";
        } catch (const CTabError& e) {
            EXPECT_EQ(e.Number(), CTabError::kInvalidArgument);
        }
        EXPECT_EQ(strip_.items.Item(Count()), nullptr);
        EXPECT_EQ(strip_.items.Item(-1), nullptr);
    }

    void CheckAll() {
        ASSERT_EQ(strip_.items.Count(), Count());
        for (std::int32_t i = 0; i < Count(); ++i) {
            const std::shared_ptr<CTabItem> item = strip_.items.Item(i);
            ASSERT_NE(item, nullptr);
            ASSERT_EQ(item->Caption(), tabs_[i].caption) << "position " << i;
            ASSERT_EQ(item->Form().get(), tabs_[i].form.get());
            ASSERT_TRUE(tabs_[i].form->Open());
            ASSERT_EQ(strip_.items.FindItem(item.get()), i);
            if (!tabs_[i].key.empty()) {
                std::string upper = tabs_[i].key;
                for (char& c : upper) {
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                }
                ASSERT_EQ(strip_.items.FindItem(upper), i);
                ASSERT_EQ(strip_.items.Item(tabs_[i].key).get(), item.get());
                for (std::int32_t j = i + 1; j < Count(); ++j) {
                    ASSERT_FALSE(SameKey(tabs_[i].key, tabs_[j].key)) << "keys are unique";
                }
            }
        }
    }

    std::mt19937 rng_;
    Strip strip_;
    std::vector<Tab> tabs_;
    std::shared_ptr<Form> stranger_ = std::make_shared<Form>();
    int next_ = 0;
    std::int32_t longest_ = 0;
};

class TabItemsModel : public ::testing::TestWithParam<unsigned> {};

TEST_P(TabItemsModel, RandomStepsAgreeWithAPlainList) {
    Model model(GetParam());
    model.Run(1200);
}

INSTANTIATE_TEST_SUITE_P(Seeds, TabItemsModel, ::testing::Values(1u, 29u, 4099u));

} // namespace
} // namespace velm
