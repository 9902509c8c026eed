#include "browser/HtmlLayout.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

// Every code point is 8 pixels wide (bold 9); lines are size + 4 high.
class FixedMeasurer : public TextMeasurer {
public:
    int Width(std::string_view utf8, const PageFont& font) override {
        int n = 0;
        for (unsigned char c : utf8) {
            n += (c & 0xC0) != 0x80;
        }
        return n * (font.bold ? 9 : 8);
    }
    int LineHeight(const PageFont& font) override { return font.size + 4; }
};

PageLayout Lay(const std::string& html, int width = 400) {
    FixedMeasurer m;
    auto doc = HtmlDocument::Parse(html, "http://h/dir/page");
    return LayoutPage(doc, width, m);
}

const DisplayItem* FindText(const PageLayout& l, const std::string& text) {
    for (const auto& i : l.items) {
        if (i.kind == DisplayItem::Kind::Text && i.text == text) {
            return &i;
        }
    }
    return nullptr;
}

TEST(HtmlLayout, BackgroundFromBodyStyle) {
    EXPECT_EQ(Lay("<body style='margin:0;background:#FEFEFE'>x</body>").background, 0xFEFEFEu);
    EXPECT_EQ(Lay("<body bgcolor=black>x</body>").background, 0u);
    EXPECT_EQ(Lay("x").background, 0xFFFFFFu);
}

TEST(HtmlLayout, TextRunsMergeAndWrapAtWords) {
    auto l = Lay("<body style='margin:0'>aaa bbb ccc</body>", 400);
    const DisplayItem* run = FindText(l, "aaa bbb ccc");
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->x, 0);
    EXPECT_EQ(run->y, 0);
    EXPECT_EQ(run->width, 11 * 8);
    auto narrow = Lay("<body style='margin:0'>aaa bbb ccc</body>", 60);
    const DisplayItem* a = FindText(narrow, "aaa bbb");
    const DisplayItem* c = FindText(narrow, "ccc");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->x, 0);
    EXPECT_EQ(c->y, 20) << "the second line starts one line height lower";
}

TEST(HtmlLayout, ChineseBreaksBetweenCharacters) {
    auto l = Lay("<body style='margin:0'>欢迎来到游戏世界</body>", 40);
    ASSERT_NE(FindText(l, "欢迎来到游"), nullptr);
    const DisplayItem* second = FindText(l, "戏世界");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->y, 20);
}

TEST(HtmlLayout, MarginPaddingAndBackgroundOfBlocks) {
    auto l = Lay("<body style='margin:0'><div style='margin:120px 0 0 240px;width:100px;"
                 "padding:10px;background:#FFFFFF'>hi</div></body>");
    ASSERT_GE(l.items.size(), 2u);
    const DisplayItem& fill = l.items[0];
    EXPECT_EQ(fill.kind, DisplayItem::Kind::Fill);
    EXPECT_EQ(fill.x, 240);
    EXPECT_EQ(fill.y, 120);
    EXPECT_EQ(fill.width, 120);
    EXPECT_EQ(fill.height, 10 + 20 + 10);
    EXPECT_EQ(fill.colour, 0xFFFFFFu);
    const DisplayItem* hi = FindText(l, "hi");
    ASSERT_NE(hi, nullptr);
    EXPECT_EQ(hi->x, 250);
    EXPECT_EQ(hi->y, 130);
}

TEST(HtmlLayout, AbsoluteBoxesLeaveTheFlowAlone) {
    auto l = Lay("<body style='margin:0'><div style='position:absolute;left:5px;top:6px;"
                 "width:50px;height:40px;background:#FEFEFE'></div>after</body>");
    const DisplayItem& fill = l.items.at(0);
    EXPECT_EQ(fill.x, 5);
    EXPECT_EQ(fill.y, 6);
    EXPECT_EQ(fill.width, 50);
    EXPECT_EQ(fill.height, 40);
    const DisplayItem* after = FindText(l, "after");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->y, 0);
}

TEST(HtmlLayout, LinksAreBlueUnderlinedAndHitTested) {
    auto l = Lay("<body style='margin:0'>go <a href='../x/'>there now</a> <a "
                 "href='app://exitgame'>exit</a></body>");
    const DisplayItem* link = FindText(l, "there now");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->href, "http://h/x/");
    EXPECT_TRUE(link->underline);
    EXPECT_EQ(link->colour, 0xEE0000u);
    EXPECT_EQ(link->x, 3 * 8);
    EXPECT_EQ(l.LinkAt(link->x + 1, link->y + 1), "http://h/x/");
    EXPECT_EQ(l.LinkAt(1, 1), "") << "plain text is no link";
    const DisplayItem* exit = FindText(l, "exit");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->x, link->x + link->width + 8) << "one space between the links";
    EXPECT_EQ(l.LinkAt(exit->x + exit->width - 1, exit->y), "app://exitgame");
    EXPECT_EQ(l.LinkAt(exit->x + exit->width, exit->y), "");
}

TEST(HtmlLayout, HeadingsParagraphsAndBreaks) {
    auto l = Lay("<body style='margin:0'><h1>T</h1><p>a<br>b</p></body>");
    const DisplayItem* t = FindText(l, "T");
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->font.bold);
    EXPECT_EQ(t->font.size, 32);
    EXPECT_EQ(t->y, 21);
    const DisplayItem* a = FindText(l, "a");
    const DisplayItem* b = FindText(l, "b");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->y - a->y, 20);
    EXPECT_GT(a->y, t->y + 36);
}

TEST(HtmlLayout, HugeLengthsAreHeldToAPageSize) {
    // Lengths past any page's size once overflowed the box arithmetic.
    auto l = Lay("<body style='margin:0'><div style='margin:0 0 0 99999999999px;"
                 "width:99999999999px;padding:2147483647px'>far</div>after</body>");
    const DisplayItem* far = FindText(l, "far");
    const DisplayItem* after = FindText(l, "after");
    ASSERT_NE(far, nullptr);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(far->x, 10000 + 10000);
    EXPECT_EQ(far->y, 10000);
    EXPECT_GT(after->y, far->y);
}

TEST(HtmlLayout, HostileDocumentsStayBounded) {
    std::string deep;
    for (int i = 0; i < 5000; ++i) {
        deep += "<div style='padding:1px'>";
    }
    deep += "x";
    auto l = Lay(deep, 100);
    EXPECT_LT(l.items.size(), 10u);
    auto tiny = Lay("<body>some words that never fit</body>", 0);
    EXPECT_FALSE(tiny.items.empty());
}

TEST(HtmlLayout, TallAndCrowdedPagesStayWithinBounds) {
    // Tall boxes once summed past int's range and wrapped round to negative positions.
    std::string tall = "<body style='margin:0'>";
    for (int i = 0; i < 45000; ++i) {
        tall += "<div style='margin:10000px;padding:10000px;height:10000px;background:red'></div>";
    }
    auto l = Lay(tall + "end");
    EXPECT_EQ(l.height, kMaxPageHeight);
    ASSERT_FALSE(l.items.empty());
    int previous = 0;
    for (const auto& item : l.items) {
        ASSERT_GE(item.y, previous) << "boxes keep their order down the page";
        previous = item.y;
    }
    EXPECT_EQ(FindText(l, "end"), nullptr) << "what lies past the page's end is left out";

    // A word a line, on a line one pixel wide: the runs stop at the bound.
    std::string words = "<div style='width:1px'>";
    for (int i = 0; i < 150000; ++i) {
        words += "w ";
    }
    auto crowded = Lay(words, 400);
    EXPECT_EQ(crowded.items.size(), kMaxDisplayItems);
}

} // namespace
} // namespace velm
