// TextBetween, ReplaceSeveral, UnescapePercentU, Utf8ToGbk and the widget border.
#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "web/codecs.h"

using zu::ReplaceSeveral;
using zu::TextBetween;
using zu::UnescapePercentU;
using zu::Utf8ToGbk;

namespace {

struct BetweenCase {
    std::string text, start, end;
    bool exactCase;
    std::string expected;
};

class TextBetweenTest : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, Cut) {
    const auto& c = GetParam();
    EXPECT_EQ(TextBetween(c.text, c.start, c.end, 1, c.exactCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, TextBetweenTest,
    ::testing::Values(BetweenCase{"a[x]b[y]", "[", "]", false, "x"},
                      BetweenCase{"1<b>bold</b>", "<B>", "</B>", false, "bold"},
                      BetweenCase{"1<b>bold</b>", "<B>", "</B>", true, ""},
                      BetweenCase{"a\"bc\"d", "#引号", "#引号", false, "bc"},
                      BetweenCase{"x=\"v\" y", "=#引号", "#引号 ", false, "v"},
                      BetweenCase{"]a[", "[", "]", false, ""},
                      BetweenCase{"[]", "[", "]", false, ""},
                      BetweenCase{"no markers", "[", "]", false, ""},
                      BetweenCase{"http://张三/##", "//", "/##", false, "张三"},
                      BetweenCase{"@@1.0##", "@@", "##", false, "1.0"}));

TEST(TextBetween, FromPosition) {
    EXPECT_EQ(TextBetween("[a][b]", "[", "]", 2), "b");
}

TEST(ReplaceSeveral, PairsInSequenceFirstOccurrence) {
    EXPECT_EQ(ReplaceSeveral("宏达有限公司有限公司", {{"有限公司", ""}}, {.count = 1}), "宏达有限公司");
    // pair 2 sees the result of pair 1
    EXPECT_EQ(ReplaceSeveral("abc", {{"a", "b"}, {"bb", "X"}}, {.count = 1}), "Xc");
    // every occurrence when no count is given; case folded by default
    EXPECT_EQ(ReplaceSeveral("aAa", {{"a", "-"}}), "---");
    EXPECT_EQ(ReplaceSeveral("aAa", {{"a", "-"}}, {.exactCase = true}), "-A-");
    // from position 0 means 1
    EXPECT_EQ(ReplaceSeveral("aba", {{"a", "-"}}, {.count = 1, .from = 0}), "-ba");
    EXPECT_EQ(ReplaceSeveral("aba", {{"a", "-"}}, {.count = 1, .from = 2}), "ab-");
    // an empty find text changes nothing; a sixth pair is not applied
    EXPECT_EQ(ReplaceSeveral("abc", {{"", "x"}}), "abc");
    EXPECT_EQ(ReplaceSeveral("abcdef", {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}, {"f", "6"}}),
              "12345f");
}

struct UnescapeCase {
    std::string text, expected;
};

class UnescapeTest : public ::testing::TestWithParam<UnescapeCase> {};

TEST_P(UnescapeTest, Decoded) {
    EXPECT_EQ(UnescapePercentU(GetParam().text, "%u"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, UnescapeTest,
    ::testing::Values(UnescapeCase{"%u5F20%u4E09", "\xD5\xC5\xC8\xFD"},  // 张三
                      UnescapeCase{"%u5f20%u4e09", "张三"}, UnescapeCase{"", ""},
                      UnescapeCase{"%u5F20%u0000%u4E09", "张"},         // 0000 ends the text
                      UnescapeCase{"%u0041%u00", "A"},                  // "00" read twice: a zero unit
                      UnescapeCase{"%u0041%u4", "A?"},                  // "4" twice: U+0404, not GBK
                      UnescapeCase{"%u0041%u004", "A\x04"},             // "04" then "00": U+0004
                      UnescapeCase{"%u0E01", "?"},                      // Thai ก has no GBK form
                      UnescapeCase{"%uD800%u0041", "?A"},               // a lone surrogate
                      UnescapeCase{"%u5F20%u4F1F%u660E", "张伟明"}));

TEST(UnescapePercentU, NotHexIsReadAsFarAsItGoes) {
    // What a non-hex pair gives is this program's choice: the digits before it count.
    EXPECT_EQ(UnescapePercentU("%u004G", "%u"), UnescapePercentU("%u0004", "%u"));
}

TEST(Utf8ToGbk, Conversions) {
    EXPECT_EQ(Utf8ToGbk("\xE5\xBC\xA0"), "\xD5\xC5");  // 张
    EXPECT_EQ(Utf8ToGbk("plain ascii"), "plain ascii");
    EXPECT_EQ(Utf8ToGbk(std::string("\xE5\xBC\xA0\0\xE4\xB8\x89", 7)), "张");  // a zero byte ends it
    EXPECT_EQ(Utf8ToGbk("a\xE5\xBC" "b"), "a?b");      // a broken sequence is one "?"
    EXPECT_EQ(Utf8ToGbk("\xFF\xFE"), "??");
    EXPECT_EQ(Utf8ToGbk("\xE0\xB8\x81"), "?");         // Thai ก: not in GBK
    EXPECT_EQ(Utf8ToGbk("\xC3\xA9"), "\xA8\xA6");      // é, a pinyin letter of GBK
    EXPECT_EQ(Utf8ToGbk("e\xCC\x81"), "\xA8\xA6");     // e + combining acute is composed to é first
    EXPECT_EQ(Utf8ToGbk("\xE5\xBC"), "?");             // ends inside a sequence
}

TEST(WidgetBorder, RoundTripAndReplacement) {
    const std::string gbk = "Zu宝宝取名软件V1.0";
    EXPECT_EQ(zu::ToQString(gbk), QString::fromUtf8("Zu\xE5\xAE\x9D\xE5\xAE\x9D\xE5\x8F\x96\xE5\x90\x8D\xE8\xBD\xAF\xE4\xBB\xB6V1.0"));
    EXPECT_EQ(zu::ToGbk(zu::ToQString(gbk)), gbk);
    EXPECT_EQ(zu::ToGbk(QString::fromUtf8("\xF0\x9F\x98\x80")), "?");  // an emoji has no GBK form
    // invalid GBK (a lone lead byte at the end) does not crash and yields U+FFFD
    EXPECT_EQ(zu::ToQString("ab\xD5"), QString::fromUtf8("ab\xEF\xBF\xBD"));
}

}  // namespace
