// The settings file on a real disk: written through a temporary file that replaces it whole, and
// a file that is damaged, oversized or missing read as the defaults with a log line.
#include "base/Log.h"
#include "base/SettingsFile.h"
#include "base/Text.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace velm {
namespace {

using namespace velm::test;

TEST(SettingsFile, ReplacedWholeAndDamageMeansDefaults) {
    TempDir dir;
    const std::string path = dir.path() + "OrvikVelmora\\settings.ini";
    std::vector<std::string> log;
    LogSink previous = SetLogSink([&](const std::string& e) { log.push_back(e); });

    EXPECT_EQ(LoadSettings(Widen(path)), Settings()) << "missing: the defaults";
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("does not exist"), std::string::npos) << log[0];

    Settings s;
    s.SetLong("zoom", "http://127.0.0.1", 150);
    ASSERT_TRUE(SaveSettings(s, Widen(path))) << "the folder is made on the way";
    EXPECT_EQ(ReadFileBytes(path), "[zoom]\r\nhttp://127.0.0.1=150\r\n");
    EXPECT_FALSE(FileExists(path + ".tmp"));

    // A write cut off before its rename leaves a partial temporary file: the settings stay.
    ASSERT_TRUE(WriteFileBytes(path + ".tmp", "[zoom]\r\nhttp://127.0.0.1=1"));
    EXPECT_EQ(LoadSettings(Widen(path)), s);
    s.SetLong("zoom", "http://127.0.0.1", 80);
    ASSERT_TRUE(SaveSettings(s, Widen(path))) << "the leftover is overwritten";
    EXPECT_EQ(LoadSettings(Widen(path)), s);

    log.clear();
    ASSERT_TRUE(WriteFileBytes(path, "[zoom]\r\nhttp://127.0.0.1=80\r\n[wind"));
    EXPECT_EQ(LoadSettings(Widen(path)), Settings());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("damaged"), std::string::npos) << log[0];

    log.clear();
    ASSERT_TRUE(WriteFileBytes(path, std::string(Settings::kMaxSize + 1, '\n')));
    EXPECT_EQ(LoadSettings(Widen(path)), Settings());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("bytes"), std::string::npos) << log[0];
    SetLogSink(previous);
}

} // namespace
} // namespace velm
