#include "base/PropertyBag.h"
#include "base/Units.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

TEST(PropertyBag, DefaultsAreNotStoredAndMissingKeysReadAsDefault) {
    PropertyBag bag;
    bag.WriteLong("TabStyle", 0, 0);
    bag.WriteBool("HasLogo", false, false);
    bag.WriteProperty("Caption", "NewForm", "NewForm");
    EXPECT_EQ(bag.Size(), 0u);
    EXPECT_EQ(bag.ReadLong("TabStyle", 0), 0);
    EXPECT_EQ(bag.ReadLong("TabLeftSize", 40), 40);
    EXPECT_EQ(bag.ReadProperty("Caption", "NewForm"), "NewForm");

    bag.WriteLong("TabStyle", 1, 0);
    EXPECT_TRUE(bag.Contains("TabStyle"));
    bag.WriteLong("TabStyle", 0, 0);
    EXPECT_FALSE(bag.Contains("TabStyle")) << "writing the default again removes the key";
}

TEST(PropertyBag, KeysAreCaseBlindAndKeepTheirFirstSpelling) {
    PropertyBag bag;
    bag.WriteProperty("backcolor", "14606046", "14346732");
    EXPECT_EQ(bag.ReadProperty("BackColor", "14346732"), "14606046");
    EXPECT_EQ(bag.ReadLong("BACKCOLOR", 0), 14606046);
    bag.WriteProperty("BackColor", "1", "0");
    ASSERT_EQ(bag.Size(), 1u);
    EXPECT_EQ(bag.Entries()[0].first, "backcolor");
    EXPECT_TRUE(KeysEqual("_ExtentX", "_extentx"));
    EXPECT_FALSE(KeysEqual("Caption", "Captio"));
}

TEST(PropertyBag, TypedReadsFallBackOnUnreadableValues) {
    PropertyBag bag;
    bag.WriteProperty("n", "12x", "");
    bag.WriteProperty("big", "99999999999", "");
    bag.WriteProperty("b", "maybe", "");
    bag.WriteProperty("t", "-1", "");
    bag.WriteProperty("neg", "-42", "");
    EXPECT_EQ(bag.ReadLong("n", 7), 7);
    EXPECT_EQ(bag.ReadLong("big", 7), 7);
    EXPECT_EQ(bag.ReadLong("neg", 7), -42);
    EXPECT_TRUE(bag.ReadBool("b", true));
    EXPECT_FALSE(bag.ReadBool("b", false));
    EXPECT_TRUE(bag.ReadBool("t", false));
}

TEST(PropertyBag, ExtentsAreAlwaysStored) {
    PropertyBag bag;
    bag.SetExtent(0, 873);
    EXPECT_TRUE(bag.Contains("_extentx"));
    EXPECT_EQ(bag.ExtentX(), 0);
    EXPECT_EQ(bag.ExtentY(), 873);
}

TEST(PropertyBag, TextFormRoundTripsEveryByte) {
    PropertyBag bag;
    bag.WriteProperty("Caption", "Zentra客户端", "NewForm");
    bag.WriteProperty("Odd", std::string("a\\b\r\n\t\x01\x7f=\"end", 14), "");
    bag.SetExtent(27331, 873);
    std::string text = bag.ToText();
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    auto back = PropertyBag::FromText(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, bag);
    EXPECT_EQ(back->ReadProperty("caption"), "Zentra客户端");
    EXPECT_EQ(back->ToText(), text);
}

TEST(PropertyBag, TextFormParsing) {
    auto bag = PropertyBag::FromText("# design of WebuTab\r\n\nTabStyle=1\r\ntabstyle=2\nX=\n");
    ASSERT_TRUE(bag.has_value());
    EXPECT_EQ(bag->ReadLong("TabStyle", 0), 2) << "a later line replaces the earlier";
    EXPECT_EQ(bag->Size(), 2u);
    EXPECT_EQ(bag->ReadProperty("X", "d"), "");
    for (const char* bad :
         {"novalue\n", "=1\n", "k=\\q\n", "k=\\x4\n", "k=\\\n", "k=\\xZZ\n", "a\tb=1\n"}) {
        EXPECT_FALSE(PropertyBag::FromText(bad).has_value()) << bad;
    }
    EXPECT_TRUE(PropertyBag::FromText("").has_value());
}

TEST(Units, TwipsAndHimetric) {
    EXPECT_EQ(TwipsToPixels(495), 33);
    EXPECT_EQ(TwipsToPixels(500), 33);
    EXPECT_EQ(PixelsToTwips(1036), 15540);
    EXPECT_EQ(HimetricToPixels(873), 33);
    EXPECT_EQ(PixelsToHimetric(33), 873);
    EXPECT_EQ(PixelsToHimetric(94), 2487);
}

} // namespace
} // namespace velm
