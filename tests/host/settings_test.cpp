#include "base/Settings.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

TEST(Settings, RoundTripKeepsEveryValue) {
    Settings s;
    s.SetLong("window", "left", -1200);
    s.SetBool("window", "filled", true);
    s.Set("window", "monitor", "\\\\.\\DISPLAY2");
    s.SetLong("zoom", "http://127.0.0.1", 125);
    s.Set("sound", "note", "静音");
    const std::string text = s.Serialise();
    EXPECT_EQ(text, "[sound]\r\nnote=静音\r\n\r\n[window]\r\nfilled=1\r\nleft=-1200\r\nmonitor="
                    "\\\\.\\DISPLAY2\r\n\r\n[zoom]\r\nhttp://127.0.0.1=125\r\n");
    auto back = Settings::Parse(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, s);
    EXPECT_EQ(back->GetLong("window", "left", 0, -100000, 100000), -1200);
    EXPECT_TRUE(back->GetBool("window", "filled", false));
    EXPECT_EQ(back->GetLong("zoom", "http://127.0.0.1", 100, 50, 200), 125);
    // Out of range or not a number reads as the fallback; what the text cannot carry is refused.
    EXPECT_EQ(back->GetLong("zoom", "http://127.0.0.1", 100, 50, 120), 100);
    EXPECT_FALSE(s.Set("zoom", "a=b", "1"));
    EXPECT_FALSE(s.Set("zoom", "a", "1\r\n[window]"));
}

TEST(Settings, DamagedOrOversizedTextIsRefusedWhole) {
    std::string why;
    for (const char* text : {"left=1\n",                     // a key before any section
                             "[window]\nleft\n",             // neither section nor key=value
                             "[window]\nleft=1\n[zo",        // cut off in a section name
                             "[window]\nnote=\xE9\x9D\n"}) { // cut off inside a character
        EXPECT_FALSE(Settings::Parse(text, &why)) << text;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_FALSE(Settings::Parse(std::string_view("[w]\nleft=1\0\n", 12)));
    EXPECT_FALSE(Settings::Parse("[w]\n" + std::string(Settings::kMaxSize, ';'), &why));
    EXPECT_NE(why.find("larger"), std::string::npos);
    // Comments, blank lines, a byte-order mark and spaces around are fine.
    auto ok = Settings::Parse("\xEF\xBB\xBF; mine\r\n\r\n[ window ]\r\n left = 7 \r\n");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->GetLong("window", "left", 0, 0, 10), 7);
}

} // namespace
} // namespace velm
