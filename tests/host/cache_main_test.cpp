// The cache cleaner's pass against a cache model with groups, entries and scripted failures.
#include "mainwindow/CacheMain.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace velm {
namespace {

constexpr std::uint32_t kNormal = 0x1;
constexpr std::uint32_t kCookie = 0x00100000;
constexpr std::uint32_t kHistory = 0x00200000;
constexpr std::uint32_t kExclude = 0x300000;

class FakeCache : public UrlCache {
public:
    // group id -> urls in it
    std::map<std::uint64_t, std::set<std::string>> groups;
    // url -> type, in enumeration order
    std::vector<std::pair<std::string, std::uint32_t>> entries;
    bool groupFunctions = true;
    std::uint32_t firstGroupError = kErrorFileNotFound;
    std::uint32_t nextGroupError = kErrorFileNotFound;
    bool failDeleteGroup = false;
    std::set<std::string> locked; // entries that cannot be deleted
    std::set<std::string> tooBig; // records over the buffer: enumeration stops there
    std::vector<std::string> log;
    int openFinds = 0;

    bool HasGroupFunctions() override { return groupFunctions; }

    Handle FindFirstGroup(std::uint64_t& group) override {
        log.push_back("FindFirstGroup");
        if (groups.empty()) {
            error = firstGroupError;
            return nullptr;
        }
        groupCursor = groups.begin()->first;
        group = groupCursor;
        ++openFinds;
        return &groupCursor;
    }
    bool FindNextGroup(Handle, std::uint64_t& group) override {
        auto it = groups.upper_bound(groupCursor);
        if (it == groups.end()) {
            error = nextGroupError;
            return false;
        }
        groupCursor = it->first;
        group = groupCursor;
        return true;
    }
    bool DeleteGroup(std::uint64_t group, std::uint32_t flags) override {
        log.push_back("DeleteGroup " + std::to_string(group) + " " + std::to_string(flags));
        if (failDeleteGroup) {
            error = 5;
            return false;
        }
        for (const auto& url : groups[group]) {
            Erase(url);
        }
        groups[group].clear();
        deletedGroups.insert(group);
        return true;
    }
    Handle FindFirstEntry(const std::string& pattern, Entry& entry) override {
        log.push_back("FindFirstEntry " + pattern);
        snapshot = entries;
        pos = 0;
        if (!Fetch(entry)) {
            return nullptr;
        }
        ++openFinds;
        return &pos;
    }
    bool FindNextEntry(Handle, Entry& entry) override {
        ++pos;
        return Fetch(entry);
    }
    bool DeleteEntry(const std::string& url) override {
        log.push_back("DeleteEntry " + url);
        if (locked.count(url)) {
            error = 32;
            return false;
        }
        Erase(url);
        return true;
    }
    void CloseFind(Handle) override {
        --openFinds;
        log.push_back("CloseFind");
    }
    std::uint32_t LastError() override { return error; }

    std::set<std::string> Remaining() const {
        std::set<std::string> out;
        for (const auto& e : entries) {
            out.insert(e.first);
        }
        return out;
    }
    std::set<std::uint64_t> deletedGroups;

private:
    bool Fetch(Entry& entry) {
        while (pos < snapshot.size() && deletedGroupsHold(snapshot[pos].first)) {
            ++pos;
        }
        if (pos >= snapshot.size()) {
            error = kErrorNoMoreItems;
            return false;
        }
        if (tooBig.count(snapshot[pos].first)) {
            error = 122; // ERROR_INSUFFICIENT_BUFFER
            return false;
        }
        entry.sourceUrl = snapshot[pos].first;
        entry.type = snapshot[pos].second;
        return true;
    }
    bool deletedGroupsHold(const std::string& url) const {
        for (const auto& e : entries) {
            if (e.first == url) {
                return false;
            }
        }
        return true;
    }
    void Erase(const std::string& url) {
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it->first == url) {
                entries.erase(it);
                return;
            }
        }
    }

    std::uint64_t groupCursor = 0;
    std::vector<std::pair<std::string, std::uint32_t>> snapshot;
    size_t pos = 0;
    std::uint32_t error = 0;
};

FakeCache Populated() {
    FakeCache c;
    c.entries = {{"http://a/1.png", kNormal},        {"Cookie:u@a/", kCookie},
                 {"Visited: u@http://a/", kHistory}, {"http://a/2.js", kNormal},
                 {"Cookie:u@grouped/", kCookie},     {"http://g/in-group.css", kNormal}};
    return c;
}

TEST(CacheCleaner, KeepsCookiesAndHistoryOutsideGroups) {
    FakeCache c = Populated();
    ClearUrlCache(c, "*.*", kExclude);
    EXPECT_EQ(c.Remaining(),
              (std::set<std::string>{"Cookie:u@a/", "Visited: u@http://a/", "Cookie:u@grouped/"}));
    EXPECT_EQ(c.openFinds, 0) << "search handles are released at the end";
}

TEST(CacheCleaner, GroupsGoFirstWithEverythingInThem) {
    FakeCache c = Populated();
    c.groups[7] = {"Cookie:u@grouped/", "http://g/in-group.css"};
    c.groups[9] = {};
    ClearUrlCache(c, "*.*", kExclude);
    EXPECT_EQ(c.deletedGroups, (std::set<std::uint64_t>{7, 9}));
    EXPECT_EQ(c.Remaining(), (std::set<std::string>{"Cookie:u@a/", "Visited: u@http://a/"}))
        << "a cookie in a group goes with its group";
    ASSERT_GE(c.log.size(), 3u);
    EXPECT_EQ(c.log[0], "FindFirstGroup");
    EXPECT_EQ(c.log[1], "DeleteGroup 7 2");
    EXPECT_EQ(c.log[2], "DeleteGroup 9 2");
    EXPECT_EQ(c.openFinds, 0);
}

TEST(CacheCleaner, GroupSearchFailuresEndThePass) {
    FakeCache c = Populated();
    c.firstGroupError = 5;
    ClearUrlCache(c, "*.*", kExclude);
    EXPECT_EQ(c.entries.size(), 6u) << "an unexpected error before any group deletes nothing";

    FakeCache d = Populated();
    d.groups[1] = {"http://a/1.png"};
    d.failDeleteGroup = true;
    ClearUrlCache(d, "*.*", kExclude);
    EXPECT_EQ(d.entries.size(), 6u);
    EXPECT_EQ(d.openFinds, 0);

    FakeCache e = Populated();
    e.groups[1] = {"http://a/1.png"};
    e.nextGroupError = 6;
    ClearUrlCache(e, "*.*", kExclude);
    EXPECT_EQ(e.entries.size(), 5u) << "the group went, then the pass ended";
}

TEST(CacheCleaner, NullGroupSearchWithoutErrorIsNoGroups) {
    FakeCache c = Populated();
    c.firstGroupError = 0;
    ClearUrlCache(c, "*.*", kExclude);
    EXPECT_EQ(c.entries.size(), 3u);
}

TEST(CacheCleaner, MissingGroupFunctionsSkipTheGroupPhase) {
    FakeCache c = Populated();
    c.groups[1] = {"http://a/1.png"};
    c.groupFunctions = false;
    ClearUrlCache(c, "*.*", kExclude);
    EXPECT_TRUE(c.deletedGroups.empty());
    EXPECT_EQ(c.log.front(), "FindFirstEntry *.*");
    EXPECT_EQ(c.entries.size(), 3u);
}

TEST(CacheCleaner, LockedEntryDoesNotStopThePass) {
    FakeCache c = Populated();
    c.locked = {"http://a/1.png"};
    ClearUrlCache(c, "*.*", kExclude);
    EXPECT_EQ(c.Remaining().count("http://a/1.png"), 1u);
    EXPECT_EQ(c.Remaining().count("http://a/2.js"), 0u);
}

TEST(CacheCleaner, OversizedRecordEndsThePassThere) {
    FakeCache c = Populated();
    c.tooBig = {"Visited: u@http://a/"};
    ClearUrlCache(c, "*.*", kExclude);
    EXPECT_EQ(c.Remaining().count("http://a/1.png"), 0u) << "deleted before the large record";
    EXPECT_EQ(c.Remaining().count("http://a/2.js"), 1u) << "entries after it stay";
    EXPECT_EQ(c.openFinds, 0);
}

TEST(CacheCleaner, EmptyCacheAndZeroMask) {
    FakeCache empty;
    ClearUrlCache(empty, "*.*", kExclude);
    EXPECT_EQ(empty.openFinds, 0);
    FakeCache all = Populated();
    ClearUrlCache(all, "*.*", 0);
    EXPECT_TRUE(all.entries.empty()) << "with no excluded bits everything goes";
}

} // namespace
} // namespace velm
