// A program that fails with an exception nothing handles leaves a minidump in
// <local application data>\OrvikVelmora\crashes\ naming the failing thread, keeps the newest
// five, and ends. The tests' builds of both programs fail on request (VELM_CRASH_TEST); the
// players' do not know the request.
#include "Config.h"
#include "base/Text.h"
#include "support/WinTest.h"

#define VELM_CRASH_TRIGGER // for the trigger's exception code
#include "base/CrashTrigger.h"

#include <dbghelp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace velm {
namespace {

using namespace velm::test;

// A structure of the dump at `offset`, or false when the file is too short for it.
template <class T> bool At(const std::string& dump, std::uint64_t offset, T& out) {
    if (offset > dump.size() || dump.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(&out, dump.data() + offset, sizeof(T));
    return true;
}

// The location of the first stream of `type`; DataSize 0 when there is none.
MINIDUMP_LOCATION_DESCRIPTOR Stream(const std::string& dump, ULONG32 type) {
    MINIDUMP_HEADER header{};
    if (At(dump, 0, header)) {
        for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
            MINIDUMP_DIRECTORY entry{};
            if (At(dump, header.StreamDirectoryRva + std::uint64_t{i} * sizeof(entry), entry) &&
                entry.StreamType == type) {
                return entry.Location;
            }
        }
    }
    return {};
}

std::wstring DumpString(const std::string& dump, RVA rva) {
    ULONG32 bytes = 0;
    if (!At(dump, rva, bytes) || bytes > dump.size() - rva - sizeof(bytes)) {
        return {};
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), dump.data() + rva + sizeof(bytes), text.size() * sizeof(wchar_t));
    return text;
}

// Checks a dump of the trigger's failure: the signature, the exception stream's thread is the one
// that failed (the trigger gives its id as the exception's parameter) and is among the dump's
// threads, and the module list holds `program`.
void ExpectDumpOfTheFailure(const std::string& dump, const std::wstring& program) {
    ASSERT_GE(dump.size(), 4u);
    EXPECT_EQ(dump.substr(0, 4), "MDMP");

    MINIDUMP_EXCEPTION_STREAM exception{};
    const MINIDUMP_LOCATION_DESCRIPTOR where = Stream(dump, ExceptionStream);
    ASSERT_GE(where.DataSize, sizeof(exception)) << "no exception stream";
    ASSERT_TRUE(At(dump, where.Rva, exception));
    EXPECT_EQ(exception.ExceptionRecord.ExceptionCode, kTestCrashCode);
    ASSERT_EQ(exception.ExceptionRecord.NumberParameters, 1u);
    const auto failed = static_cast<ULONG32>(exception.ExceptionRecord.ExceptionInformation[0]);
    EXPECT_EQ(exception.ThreadId, failed) << "the dump names another thread than the failing one";

    std::set<ULONG32> threads;
    const MINIDUMP_LOCATION_DESCRIPTOR threadList = Stream(dump, ThreadListStream);
    ULONG32 threadCount = 0;
    ASSERT_TRUE(threadList.DataSize && At(dump, threadList.Rva, threadCount)) << "no thread list";
    for (ULONG32 i = 0; i < threadCount; ++i) {
        MINIDUMP_THREAD thread{};
        ASSERT_TRUE(
            At(dump, threadList.Rva + sizeof(ULONG32) + std::uint64_t{i} * sizeof(thread), thread));
        threads.insert(thread.ThreadId);
    }
    EXPECT_EQ(threads.count(failed), 1u);
    EXPECT_GE(threads.size(), 2u) << "the failing thread and the one that started it";

    const MINIDUMP_LOCATION_DESCRIPTOR moduleList = Stream(dump, ModuleListStream);
    ULONG32 moduleCount = 0;
    ASSERT_TRUE(moduleList.DataSize && At(dump, moduleList.Rva, moduleCount)) << "no module list";
    bool found = false;
    for (ULONG32 i = 0; i < moduleCount; ++i) {
        MINIDUMP_MODULE module{};
        ASSERT_TRUE(
            At(dump, moduleList.Rva + sizeof(ULONG32) + std::uint64_t{i} * sizeof(module), module));
        std::wstring name = DumpString(dump, module.ModuleNameRva);
        const std::wstring tail = L"\\" + program;
        found |= name.size() >= tail.size() &&
                 _wcsicmp(name.c_str() + name.size() - tail.size(), tail.c_str()) == 0;
    }
    EXPECT_TRUE(found) << "the module list lacks " << Narrow(program);
}

// The dumps in a folder, by name.
std::vector<std::string> Dumps(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE listing = ::FindFirstFileA((folder + "*.dmp").c_str(), &found);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(found.cFileName);
        } while (::FindNextFileA(listing, &found));
        ::FindClose(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A value of the user's registry set while alive, then put back as it was (or removed).
class UserSetting {
public:
    UserSetting(const wchar_t* key, const wchar_t* value, DWORD type, const std::string& data)
        : value_(value) {
        EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0,
                                    KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
        DWORD size = 0;
        if (::RegQueryValueExW(key_, value, nullptr, &previousType_, nullptr, &size) ==
            ERROR_SUCCESS) {
            previous_.resize(size);
            had_ = ::RegQueryValueExW(key_, value, nullptr, &previousType_,
                                      reinterpret_cast<BYTE*>(previous_.data()),
                                      &size) == ERROR_SUCCESS;
        }
        EXPECT_EQ(::RegSetValueExW(key_, value, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    ~UserSetting() {
        if (had_) {
            ::RegSetValueExW(key_, value_, 0, previousType_,
                             reinterpret_cast<const BYTE*>(previous_.data()),
                             static_cast<DWORD>(previous_.size()));
        } else {
            ::RegDeleteValueW(key_, value_);
        }
        ::RegCloseKey(key_);
    }
    UserSetting(const UserSetting&) = delete;
    UserSetting& operator=(const UserSetting&) = delete;

    static std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
    // A folder's path without its trailing backslash, as the system keeps folders.
    static std::string Folder(std::wstring t) {
        if (!t.empty() && t.back() == L'\\') {
            t.pop_back();
        }
        return std::string(reinterpret_cast<const char*>(t.c_str()), (t.size() + 1) * 2);
    }

private:
    const wchar_t* value_;
    HKEY key_ = nullptr;
    DWORD previousType_ = 0;
    std::string previous_;
    bool had_ = false;
};

class CrashDump : public ::testing::Test {
protected:
    // Runs `exe` with the crash request and a local application data folder of the test's own;
    // true when it ended by itself.
    bool RunToCrash(const std::wstring& exe) {
        if (!child.Start(exe, L"",
                         {{L"LOCALAPPDATA", inherited.wpath()}, {L"VELM_CRASH_TEST", L"1"}})) {
            return false;
        }
        if (!child.Wait(60000)) {
            child.Kill();
            return false;
        }
        return true;
    }
    std::string Crashes() const { return local.path() + "OrvikVelmora\\crashes\\"; }

    // Wine's counterpart of the system's "stopped working" box: its debugger's crash dialog,
    // which would wait for a person. Off while alive; the debugger still ends the failed program.
    UserSetting wine{L"Software\\Wine\\WineDbg", L"ShowCrashDialog", REG_DWORD,
                     UserSetting::Dword(0)};
    TempDir local;
    // The user's local application data folder as the system names it; the variable a parent
    // hands down names another.
    UserSetting knownFolder{
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
        L"Local AppData", REG_EXPAND_SZ, UserSetting::Folder(local.wpath())};
    TempDir inherited;
    ChildProcess child;
};

TEST_F(CrashDump, TheClientLeavesADumpOfTheFailingThreadAndKeepsTheNewestFive) {
    ASSERT_TRUE(::CreateDirectoryA((local.path() + "OrvikVelmora").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(Crashes().c_str(), nullptr));
    // Six dumps of earlier failures, a day apart (names need not follow their times), and a file
    // that is not a dump.
    for (int day = 1; day <= 6; ++day) {
        const std::string name = Crashes() + "velm-1.0." + std::to_string(7 - day) + ".dmp";
        ASSERT_TRUE(WriteFileBytes(name, "MDMP earlier"));
        SYSTEMTIME then{2020, 1, 0, static_cast<WORD>(day), 12, 0, 0, 0};
        FILETIME written{};
        ::SystemTimeToFileTime(&then, &written);
        HANDLE file = ::CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
        ::CloseHandle(file);
    }
    ASSERT_TRUE(WriteFileBytes(Crashes() + "notes.txt", "kept"));

    ASSERT_TRUE(RunToCrash(VelmExePath())) << "the client did not end after failing";
    EXPECT_EQ(child.ExitCode(), kTestCrashCode);

    // velm-1.0.6 was written on the 1st, velm-1.0.5 on the 2nd: the two oldest go.
    const std::vector<std::string> dumps = Dumps(Crashes());
    ASSERT_EQ(dumps.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(dumps.begin(), dumps.begin() + 4),
              (std::vector<std::string>{"velm-1.0.1.dmp", "velm-1.0.2.dmp", "velm-1.0.3.dmp",
                                        "velm-1.0.4.dmp"}));
    const std::string written = dumps[4];
    EXPECT_EQ(written.rfind("velm-" VELM_VERSION_TEXT "-", 0), 0u) << written;
    EXPECT_EQ(written.size(), std::string("velm-" VELM_VERSION_TEXT "-20261208-143005.dmp").size())
        << written;
    EXPECT_TRUE(FileExists(Crashes() + "notes.txt"));
    ExpectDumpOfTheFailure(ReadFileBytes(Crashes() + written), L"velm.exe");
    EXPECT_FALSE(FileExists(inherited.path() + "OrvikVelmora"))
        << "the folder comes from the system, not from the inherited variable";
}

TEST_F(CrashDump, TheUpdaterLeavesADumpOfTheFailingThread) {
    const std::wstring updater =
        Widen(FromUnixPath(std::string(VELM_BINARY_DIR) + "/crash-test/Update.exe"));
    ASSERT_TRUE(RunToCrash(updater)) << "the updater did not end after failing";
    const std::vector<std::string> dumps = Dumps(Crashes());
    ASSERT_EQ(dumps.size(), 1u) << "the folders are made as needed";
    EXPECT_EQ(dumps[0].rfind("Update-" VELM_VERSION_TEXT "-", 0), 0u) << dumps[0];
    ExpectDumpOfTheFailure(ReadFileBytes(Crashes() + dumps[0]), L"Update.exe");
}

// The request's name as the programs hold it (UTF-16).
bool HoldsTheRequest(const std::string& exe) {
    const std::string bytes = ReadFileBytes(exe);
    std::string name;
    for (char c : std::string("VELM_CRASH_TEST")) {
        name += c;
        name += '\0';
    }
    return !bytes.empty() && bytes.find(name) != std::string::npos;
}

TEST_F(CrashDump, OnlyTheTestsProgramsFailOnRequest) {
    const std::string tree = std::string(VELM_BINARY_DIR);
    EXPECT_TRUE(HoldsTheRequest(FromUnixPath(tree + "/velm.exe")));
    EXPECT_TRUE(HoldsTheRequest(FromUnixPath(tree + "/crash-test/Update.exe")));
    // The players' client, and the updater inside it.
    ASSERT_TRUE(FileExists(FromUnixPath(tree + "/player/velm.exe")));
    EXPECT_FALSE(HoldsTheRequest(FromUnixPath(tree + "/player/velm.exe")));
    EXPECT_FALSE(HoldsTheRequest(FromUnixPath(tree + "/src/updater/Update.exe")));
}

} // namespace
} // namespace velm
