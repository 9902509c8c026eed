// The tab collection's index argument: text stays a key, numbers and numeric text give
// positions, rounding halves to even.
#include "tabstrip/CTabIndex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace velm {
namespace {

TEST(TabIndex, KindsAreKeptApart) {
    EXPECT_TRUE(CTabIndex().IsMissing());
    EXPECT_EQ(CTabIndex("2").kind(), CTabIndex::Kind::Text);
    EXPECT_EQ(CTabIndex(2).kind(), CTabIndex::Kind::Number);
    EXPECT_EQ(CTabIndex(2.5).kind(), CTabIndex::Kind::Number);
    EXPECT_EQ(CTabIndex(static_cast<CTabItem*>(nullptr)).kind(), CTabIndex::Kind::Item);
    std::shared_ptr<class ITabForm> none;
    EXPECT_EQ(CTabIndex(none).kind(), CTabIndex::Kind::Form);
}

TEST(TabIndex, NumericTextReadsAsANumberButStaysText) {
    CTabIndex t(" 3 ");
    EXPECT_TRUE(t.IsText());
    ASSERT_TRUE(t.Number().has_value());
    EXPECT_EQ(*t.Number(), 3.0);
    EXPECT_FALSE(CTabIndex("home").Number().has_value());
    EXPECT_FALSE(CTabIndex("").Number().has_value());
    EXPECT_FALSE(CTabIndex(static_cast<CTabItem*>(nullptr)).Number().has_value());
}

TEST(TabIndex, ParsesTheNumericForms) {
    EXPECT_EQ(CTabIndex::ParseNumber("-2.5"), -2.5);
    EXPECT_EQ(CTabIndex::ParseNumber("+7"), 7.0);
    EXPECT_EQ(CTabIndex::ParseNumber(".5"), 0.5);
    EXPECT_EQ(CTabIndex::ParseNumber("1e2"), 100.0);
    EXPECT_EQ(CTabIndex::ParseNumber("&H10"), 16.0);
    EXPECT_EQ(CTabIndex::ParseNumber("&hFFFFFFFF"), -1.0);
    EXPECT_EQ(CTabIndex::ParseNumber("&O17"), 15.0);
    for (const char* bad :
         {"1.2.3", "1e", "e5", "-", ".", "&H", "&HG", "12a", "1 2", "&H123456789", "1e999"}) {
        EXPECT_FALSE(CTabIndex::ParseNumber(bad).has_value()) << bad;
    }
}

TEST(TabIndex, HalvesRoundToEven) {
    EXPECT_EQ(CTabIndex::RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(CTabIndex::RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(CTabIndex::RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(CTabIndex::RoundHalfEven(-0.5), 0.0);
    EXPECT_EQ(CTabIndex::RoundHalfEven(-1.5), -2.0);
    EXPECT_EQ(CTabIndex::RoundHalfEven(111.5), 112.0);
    EXPECT_EQ(CTabIndex::RoundHalfEven(2.4999), 2.0);
    EXPECT_EQ(CTabIndex::RoundHalfEven(2.5001), 3.0);
    EXPECT_TRUE(std::isnan(CTabIndex::RoundHalfEven(NAN)));
}

} // namespace
} // namespace velm
