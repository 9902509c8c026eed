#include "browser/ModernScript.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

TEST(ModernScript, StyleValuesStayInsideTheirStringLiteral) {
    // A value that would end the literal and run code of its own if it were pasted as it is.
    const std::wstring value = L"hidden\";alert(1);//\\\n\r\u2028\u2029\x01end";
    const std::wstring literal = ScriptStringLiteral(value);
    ASSERT_GE(literal.size(), 2u);
    EXPECT_EQ(literal.front(), L'"');
    EXPECT_EQ(literal.back(), L'"');
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        if (literal[i] == L'\\') {
            ++i; // the escaped character
            continue;
        }
        EXPECT_NE(literal[i], L'"') << "an unescaped quote at " << i;
        EXPECT_FALSE(literal[i] == L'\n' || literal[i] == L'\r' || literal[i] == 0x2028 ||
                     literal[i] == 0x2029 || literal[i] < 0x20)
            << "a line break or control character at " << i;
    }
    // Script string literals and JSON strings escape alike: it reads back as it was.
    EXPECT_EQ(JsonStringValue(literal), value);
}

TEST(ModernScript, ScriptAnswersReadAsTextOnlyWhenTheyAreStrings) {
    EXPECT_EQ(JsonStringValue(L"\"<head></head><body>\\u4f60\\\"\\/\\n</body>\""),
              std::wstring(L"<head></head><body>\u4f60\"/\n</body>"));
    EXPECT_EQ(JsonStringValue(L"\"\""), std::wstring());
    EXPECT_EQ(JsonStringValue(L"null"), std::nullopt) << "no root element";
    EXPECT_EQ(JsonStringValue(L"42"), std::nullopt);
    EXPECT_EQ(JsonStringValue(L"\"a\"b\""), std::nullopt);
    EXPECT_EQ(JsonStringValue(L"\"ends in \\"), std::nullopt);
    EXPECT_EQ(JsonStringValue(L"\"\\u12\""), std::nullopt);
}

TEST(ModernScript, RuntimeVersionsCompareByComponent) {
    EXPECT_EQ(ParseRuntimeVersion(L"138.0.3351.48"), (RuntimeVersion{138, 0, 3351, 48}));
    EXPECT_EQ(ParseRuntimeVersion(L"120.0.2210.91 beta"), (RuntimeVersion{120, 0, 2210, 91}));
    EXPECT_EQ(ParseRuntimeVersion(L"90.1"), (RuntimeVersion{90, 1, 0, 0}));
    EXPECT_EQ(ParseRuntimeVersion(L""), std::nullopt);
    EXPECT_EQ(ParseRuntimeVersion(L"beta"), std::nullopt);
    EXPECT_LT(*ParseRuntimeVersion(L"86.0.615.999"), kOldestRuntime);
    EXPECT_GE(*ParseRuntimeVersion(L"86.0.616.0"), kOldestRuntime);
    EXPECT_GE(*ParseRuntimeVersion(L"100.0.0.0"), kOldestRuntime) << "not compared as text";
}

} // namespace
} // namespace velm
