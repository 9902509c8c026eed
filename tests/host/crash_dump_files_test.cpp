// What crash dumps are called and which five stay.
#include "base/CrashDumpFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

std::wstring Name(const char* program, const char* version, const DumpTime& time, unsigned n) {
    wchar_t out[NewestDumps::kNameCapacity];
    EXPECT_TRUE(DumpFileName(program, version, time, n, out, NewestDumps::kNameCapacity));
    return out;
}

TEST(CrashDumpFiles, NamesTellProgramVersionAndLocalTime) {
    const DumpTime time{2027, 1, 8, 4, 3, 5};
    EXPECT_EQ(Name("velm", "1.1.0", time, 1), L"velm-1.1.0-20270108-040305.dmp");
    EXPECT_EQ(Name("Update", "1.1.0", time, 1), L"Update-1.1.0-20270108-040305.dmp");
    EXPECT_EQ(Name("velm", "1.1.0", time, 2), L"velm-1.1.0-20270108-040305-2.dmp")
        << "a second failure within the same second";
    EXPECT_EQ(Name("velm", "1.1.0", time, 12), L"velm-1.1.0-20270108-040305-12.dmp");

    const std::wstring whole = L"velm-1.1.0-20270108-040305.dmp";
    wchar_t exact[31];
    EXPECT_TRUE(DumpFileName("velm", "1.1.0", time, 1, exact, whole.size() + 1));
    EXPECT_EQ(std::wstring(exact), whole);
    wchar_t tooSmall[30] = {L'x'};
    EXPECT_FALSE(DumpFileName("velm", "1.1.0", time, 1, tooSmall, whole.size()));
    EXPECT_EQ(tooSmall[0], L'\0') << "never a cut name that could meet another dump's";
}

TEST(CrashDumpFiles, TheNewestFiveDumpsStayWhateverTheListingOrder) {
    const wchar_t* names[] = {L"a.dmp", L"b.dmp", L"c.dmp", L"d.dmp",
                              L"e.dmp", L"f.dmp", L"g.dmp", L"h.dmp"};
    // Times 10..80 offered in a scrambled order: a folder listing follows names, not times.
    const unsigned order[] = {3, 7, 0, 5, 1, 6, 2, 4};
    NewestDumps newest;
    for (unsigned i : order) {
        newest.Offer(names[i], 10 * (i + 1));
    }
    for (unsigned i = 0; i < 8; ++i) {
        EXPECT_EQ(newest.Keeps(names[i]), i >= 3) << names[i];
    }

    // The dump just written is offered first as the newest of all, then found again by the
    // listing with its real (here older) time: it stays, and is counted once.
    NewestDumps withNew;
    withNew.Offer(L"new.dmp", UINT64_MAX);
    for (unsigned i = 0; i < 8; ++i) {
        withNew.Offer(names[i], 10 * (i + 1));
    }
    withNew.Offer(L"new.dmp", 1);
    EXPECT_TRUE(withNew.Keeps(L"new.dmp"));
    for (unsigned i = 0; i < 8; ++i) {
        EXPECT_EQ(withNew.Keeps(names[i]), i >= 4) << names[i];
    }

    // Equal times (a coarse file system) still give exactly five.
    NewestDumps same;
    for (const wchar_t* name : names) {
        same.Offer(name, 7);
    }
    unsigned kept = 0;
    for (const wchar_t* name : names) {
        kept += same.Keeps(name);
    }
    EXPECT_EQ(kept, 5u);
}

TEST(CrashDumpFiles, OnlyDumpsAreCountedOrDeleted) {
    EXPECT_TRUE(IsDumpFileName(L"velm-1.1.0-20270108-040305.dmp"));
    EXPECT_TRUE(IsDumpFileName(L"OLD.DMP"));
    EXPECT_FALSE(IsDumpFileName(L"notes.txt"));
    EXPECT_FALSE(IsDumpFileName(L"velm.dmp.txt"));
    EXPECT_FALSE(IsDumpFileName(L"dmp"));
}

} // namespace
} // namespace velm
