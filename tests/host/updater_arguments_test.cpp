// The updater's parameter string, as the client forms it and as a command line carries it.
#include "download/Manifest.h"
#include "updater/UpdaterArguments.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

std::wstring W(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

TEST(UpdaterArguments, AcceptsWhatTheClientWrites) {
    for (const char* exe :
         {"D:\\Games\\X\\velm.exe", "C:\\velm.exe", "C:\\Program Files\\O V\\velm.EXE",
          "\\\\server\\share\\games\\velm.exe"}) {
        std::string parameters = UpdaterParameters(exe);
        auto args = UpdaterArguments::Parse(W(parameters));
        ASSERT_TRUE(args) << parameters;
        std::string expected = exe;
        expected = expected.substr(0, expected.size() - 4) + ".exe";
        EXPECT_EQ(args->executable, W(expected));
        EXPECT_EQ(args->directory, W(parameters.substr(0, parameters.find('|'))));
    }
}

TEST(UpdaterArguments, DriveRootKeepsItsBackslash) {
    for (const wchar_t* parameters : {L"C:\\|C:\\velm.exe", L"C:\\|C:\\\\velm.exe"}) {
        auto args = UpdaterArguments::Parse(parameters);
        ASSERT_TRUE(args);
        EXPECT_EQ(args->directory, L"C:\\");
        EXPECT_EQ(args->executable, L"C:\\velm.exe");
    }
    EXPECT_FALSE(UpdaterArguments::Parse(L"C:\\|C:\\\\\\velm.exe"));
}

TEST(UpdaterArguments, BlanksAndOneQuotePairAround) {
    auto args = UpdaterArguments::Parse(L"  \"D:\\A B\\|x|\"  ");
    EXPECT_FALSE(args);
    args = UpdaterArguments::Parse(L"  \"D:\\A B|D:\\A B\\velm.exe\"  ");
    ASSERT_TRUE(args);
    EXPECT_EQ(args->executable, L"D:\\A B\\velm.exe");
}

TEST(UpdaterArguments, RefusesWhatTheClientNeverWrites) {
    for (const wchar_t* bad : {
             L"",
             L"   ",
             L"D:\\Games",                          // no bar
             L"D:\\Games|",                         // no executable
             L"|D:\\Games\\velm.exe",               // no directory
             L"D:\\Games|D:\\Games\\velm.exe|x",    // two bars
             L"D:\\Games|D:\\Other\\velm.exe",      // not in the directory
             L"D:\\Games|D:\\Games\\sub\\velm.exe", // deeper
             L"D:\\Games|D:\\Gamesvelm.exe",        // no separator
             L"D:\\Games|D:\\Games\\velm.dll",      // not an exe
             L"D:\\Games|D:\\Games\\.exe",          // no name
             L"Games|Games\\velm.exe",              // relative
             L"D:|D:\\velm.exe",                    // drive-relative
             L"D:\\Games\\|D:\\Games\\velm.exe",    // trailing backslash on a folder
             L"D:\\Games\\..|D:\\Games\\..\\velm.exe",
             L"D:\\Ga\\\\mes|D:\\Ga\\\\mes\\velm.exe",
             L"D:\\Ga?es|D:\\Ga?es\\velm.exe",
             L"D:\\Ga:es|D:\\Ga:es\\velm.exe",
             L"D:/Games|D:/Games/velm.exe",
             L"\\\\server|\\\\server\\velm.exe", // UNC without share
             L"D:\\Games|D:\\Games\\velm.exe\n",
         }) {
        EXPECT_FALSE(UpdaterArguments::Parse(bad)) << std::string(bad, bad + wcslen(bad));
    }
}

TEST(UpdaterArguments, DirectoryComparisonIgnoresAsciiCase) {
    auto args = UpdaterArguments::Parse(L"d:\\games|D:\\GAMES\\velm.exe");
    ASSERT_TRUE(args);
    EXPECT_EQ(args->executable, L"d:\\games\\velm.exe") << "one spelling of the folder";
}

TEST(CommandLineParameters, SkipsTheProgramNameQuotedOrNot) {
    EXPECT_EQ(CommandLineParameters(L"\"C:\\Temp Dir\\Update.exe\" D:\\A B|D:\\A B\\velm.exe"),
              L"D:\\A B|D:\\A B\\velm.exe");
    EXPECT_EQ(CommandLineParameters(L"Update.exe   D:\\A|D:\\A\\velm.exe"),
              L"D:\\A|D:\\A\\velm.exe");
    EXPECT_EQ(CommandLineParameters(L"  Update.exe"), L"");
    EXPECT_EQ(CommandLineParameters(L"\"Update.exe"), L"");
    EXPECT_EQ(CommandLineParameters(L""), L"");
}

} // namespace
} // namespace velm
