#include "startup/AppCommand.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

TEST(AppCommandMatch, EachLiteralAnywhereInTheAddress) {
    EXPECT_EQ(MatchAppCommand("app://exitgame"), AppCommand::ExitGame);
    EXPECT_EQ(MatchAppCommand("app://minimize"), AppCommand::Minimize);
    EXPECT_EQ(MatchAppCommand("app://loadgame|http://g/1/"), AppCommand::LoadGame);
    EXPECT_EQ(MatchAppCommand("http://x/?next=app://minimize"), AppCommand::Minimize);
    EXPECT_EQ(MatchAppCommand("prefixapp://exitgame/suffix"), AppCommand::ExitGame);
    EXPECT_EQ(MatchAppCommand("http://127.0.0.1/velm/login/"), AppCommand::None);
    EXPECT_EQ(MatchAppCommand(""), AppCommand::None);
}

TEST(AppCommandMatch, CaseSensitive) {
    EXPECT_EQ(MatchAppCommand("APP://EXITGAME"), AppCommand::None);
    EXPECT_EQ(MatchAppCommand("app://ExitGame"), AppCommand::None);
    EXPECT_EQ(MatchAppCommand("App://minimize"), AppCommand::None);
    EXPECT_EQ(MatchAppCommand("app://LOADGAME|x"), AppCommand::None);
}

TEST(AppCommandMatch, ExitBeforeMinimiseBeforeLoad) {
    EXPECT_EQ(MatchAppCommand("app://loadgame|app://minimize|app://exitgame"),
              AppCommand::ExitGame);
    EXPECT_EQ(MatchAppCommand("app://loadgame|app://minimize"), AppCommand::Minimize);
    EXPECT_EQ(MatchAppCommand("app://minimizeapp://exitgame"), AppCommand::ExitGame);
}

TEST(AppCommandMatch, EveryCommandIsCancelled) {
    EXPECT_TRUE(CancelsNavigation(AppCommand::ExitGame));
    EXPECT_TRUE(CancelsNavigation(AppCommand::Minimize));
    EXPECT_TRUE(CancelsNavigation(AppCommand::LoadGame));
    EXPECT_FALSE(CancelsNavigation(AppCommand::None));
}

TEST(AppCommandFields, SplitAtEveryBar) {
    auto f = SplitFields("app://loadgame|http://g/1/|1");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], "app://loadgame");
    EXPECT_EQ(f[1], "http://g/1/");
    EXPECT_EQ(f[2], "1");
    EXPECT_EQ(SplitFields("").size(), 1u);
    EXPECT_EQ(SplitFields("|").size(), 2u);
    auto empty = SplitFields("a||b|");
    ASSERT_EQ(empty.size(), 4u);
    EXPECT_EQ(empty[1], "");
    EXPECT_EQ(empty[3], "");
}

TEST(AppCommandFields, GameAddressIsTheSecondFieldAndFurtherFieldsAreIgnored) {
    EXPECT_EQ(GameAddress("app://loadgame|http://g/1/|1"), "http://g/1/");
    EXPECT_EQ(GameAddress("app://loadgame|http://g/2/"), "http://g/2/");
    EXPECT_EQ(GameAddress("app://loadgame|http://g/?a=1&b=中文|x|y|z"), "http://g/?a=1&b=中文");
}

TEST(AppCommandFields, NoSecondFieldGivesNoAddress) {
    EXPECT_EQ(GameAddress("app://loadgame"), std::nullopt);
    EXPECT_EQ(GameAddress("app://loadgame|"), std::nullopt);
    EXPECT_EQ(GameAddress("app://loadgame||http://g/"), std::nullopt);
    EXPECT_EQ(GameAddress(""), std::nullopt);
}

TEST(AppCommandHostile, VeryLongAddresses) {
    std::string huge(4u << 20, 'a');
    EXPECT_EQ(MatchAppCommand(huge), AppCommand::None);
    std::string load = "app://loadgame|" + huge + "|tail";
    EXPECT_EQ(MatchAppCommand(load), AppCommand::LoadGame);
    auto game = GameAddress(load);
    ASSERT_TRUE(game);
    EXPECT_EQ(game->size(), huge.size());
    std::string late = huge + "app://exitgame";
    EXPECT_EQ(MatchAppCommand(late), AppCommand::ExitGame);
}

TEST(AppCommandHostile, ManyBars) {
    std::string bars(1u << 20, '|');
    EXPECT_EQ(SplitFields(bars).size(), bars.size() + 1);
    EXPECT_EQ(GameAddress("app://loadgame" + bars), std::nullopt);
    EXPECT_EQ(GameAddress("app://loadgame|g" + bars), "g");
}

TEST(AppCommandHostile, BinaryBytesWithoutNul) {
    std::string bytes;
    for (int round = 0; round < 64; ++round) {
        for (int b = 1; b < 256; ++b) {
            bytes.push_back(static_cast<char>((b * 37 + round) % 255 + 1));
        }
    }
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    AppCommand c = MatchAppCommand(bytes);
    EXPECT_TRUE(c == AppCommand::None) << "no literal in the noise";
    std::string load = "\xff\xfe"
                       "app://loadgame|" +
                       bytes;
    EXPECT_EQ(MatchAppCommand(load), AppCommand::LoadGame);
    auto fields = SplitFields(load);
    size_t total = fields.size() - 1; // separators
    for (auto f : fields) {
        total += f.size();
    }
    EXPECT_EQ(total, load.size()) << "fields and separators cover the address exactly";
    auto game = GameAddress(load);
    if (game) {
        EXPECT_EQ(game->find('|'), std::string::npos);
        EXPECT_EQ(*game, std::string(fields[1]));
    }
    // Invalid UTF-8 around the literal does not hide it.
    EXPECT_EQ(MatchAppCommand("\xc3(app://minimize\xe2\x28\xa1"), AppCommand::Minimize);
}

} // namespace
} // namespace velm

namespace velm {
namespace {

// What a page frame or any local program could name as a game: none may reach the browser.
TEST(GameAddress, OnlyAbsoluteWebAddressesWithAHost) {
    for (const char* good : {"http://127.0.0.1:8731/velm/game/1/", "https://game.example.com",
                             "HTTP://Game.Example.com:8080/s?id=1#top", "http://h/路径"}) {
        EXPECT_TRUE(IsGameAddress(good)) << good;
    }
    const std::string hostile[] = {
        "file:///C:/Windows/win.ini",
        "file://server/share/page.html",
        "\\\\attacker\\share\\page.html",
        "//attacker/share",
        "javascript:alert(1)",
        "res://ieframe.dll/dnserror.htm",
        "about:blank",
        "mk:@MSITStore:C:\\x.chm::/a.htm",
        "http://",
        "http:///path",
        "http://:80/",
        "http:\\\\attacker\\share",
        "http://game.example.com@attacker.example/",
        "http://host:port/",
        "http://host/\tpath",
        std::string("http://host/\0x", 15),
        "http://host/\x7F",
        "ftp://host/",
        "velm.exe",
        "http://host/" + std::string(2048, 'a'),
    };
    for (const std::string& address : hostile) {
        EXPECT_FALSE(IsGameAddress(address)) << address;
    }
    EXPECT_TRUE(IsGameAddress("http://h/" + std::string(2048 - 9, 'a'))) << "2048 characters";
}

} // namespace
} // namespace velm
