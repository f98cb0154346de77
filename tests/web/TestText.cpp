// The GBK text rules. Literals here are GBK (the sources compile to GBK), so
// "张" is the two bytes D5 C5.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "web/text.h"

using namespace zu::text;

namespace {

struct FindCase {
    std::string text, piece;
    long from;
    Case cs;
    long expected;
};

class FindTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTest, Position) {
    const auto& c = GetParam();
    EXPECT_EQ(Find(c.text, c.piece, c.from, c.cs), c.expected) << c.text << " / " << c.piece;
}

// "\xB3\xC2" (陈) followed by "\xC2\xB3": the bytes C2 also stand at offset 1, as
// a trail byte, where no match may start.
INSTANTIATE_TEST_SUITE_P(
    Rules, FindTest,
    ::testing::Values(FindCase{"abcabc", "c", 1, Case::Exact, 3}, FindCase{"abcabc", "c", 4, Case::Exact, 6},
                      FindCase{"abcabc", "x", 1, Case::Exact, -1}, FindCase{"abc", "a", -5, Case::Exact, 1},
                      FindCase{"abc", "", 1, Case::Exact, 1}, FindCase{"abc", "", 3, Case::Exact, 1},
                      FindCase{"abc", "", 4, Case::Exact, -1}, FindCase{"", "", 1, Case::Exact, -1},
                      FindCase{"aBc", "b", 1, Case::Exact, -1}, FindCase{"aBc", "b", 1, Case::Fold, 2},
                      FindCase{"\xB3\xC2\xC2\xB3", "\xC2\xB3", 1, Case::Exact, 3},
                      FindCase{"\xB3\xC2x", "\xC2", 1, Case::Exact, -1},
                      // "A" (0x41) as the trail byte of a character is not the letter A
                      FindCase{"\x81\x41" "a", "a", 1, Case::Fold, 3},
                      FindCase{"\x81\x41", "A", 1, Case::Exact, -1},
                      FindCase{"张三", "三", 1, Case::Exact, 3},
                      // a text that ends in a lone lead byte is walked without reading past it
                      FindCase{"ab\xD5", "\xD5", 1, Case::Exact, 3},
                      FindCase{"ab\xD5", "\xD5\xC5", 1, Case::Exact, -1}));

TEST(FindLast, LastCharacterBoundaryMatch) {
    EXPECT_EQ(FindLast("a\\b\\c", "\\"), 4);
    // 0x5C is the trail byte of many GBK characters ("\x95\x5C"): not a backslash
    EXPECT_EQ(FindLast("k\\\x95\x5C", "\\"), 2);
    EXPECT_EQ(FindLast("abc", "x"), -1);
}

TEST(LeftRightMid, Bounds) {
    EXPECT_EQ(Left("abc", 0), "");
    EXPECT_EQ(Left("abc", -1), "");
    EXPECT_EQ(Left("abc", 2), "ab");
    EXPECT_EQ(Left("abc", 9), "abc");
    EXPECT_EQ(Right("abc", 2), "bc");
    EXPECT_EQ(Right("abc", 9), "abc");
    EXPECT_EQ(Right("abc", 0), "");
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 5, 9), "ef");
    EXPECT_EQ(Mid("abcdef", 0, 2), "");
    EXPECT_EQ(Mid("abcdef", 7, 2), "");
    EXPECT_EQ(Mid("abcdef", 2, 0), "");
}

struct SplitCase {
    std::string text, separator;
    std::vector<std::string> pieces;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, Pieces) {
    const auto& c = GetParam();
    EXPECT_EQ(Split(c.text, c.separator), c.pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitTest,
    ::testing::Values(SplitCase{"a;;b;", ";", {"a", "", "b"}}, SplitCase{";a", ";", {"", "a"}},
                      SplitCase{"", ";", {}}, SplitCase{"abc", ";", {"abc"}}, SplitCase{";", ";", {""}},
                      SplitCase{"a<b<", "<", {"a", "b"}},
                      SplitCase{"x·y·", "·", {"x", "y"}},
                      SplitCase{"\xB3\xC2\xC2\xB3", "\xC2\xB3", {"\xB3\xC2"}}));

TEST(Trim, SpacesOnlyBothKinds) {
    EXPECT_EQ(Trim("\xA1\xA1 ab \xA1\xA1"), "ab");
    EXPECT_EQ(Trim("\xA1\xA1" "ab\t"), "ab\t");
    EXPECT_EQ(Trim("\n a"), "\n a");
    EXPECT_EQ(Trim("   "), "");
    // the last two bytes are A1 A1 but the first A1 ends the character B0 A1
    EXPECT_EQ(Trim("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
    EXPECT_EQ(RemoveAllSpaces(" a\xA1\xA1 b \xB0\xA1"), "ab\xB0\xA1");
}

struct ReplaceCase {
    std::string text, find, replacement;
    long from, count;
    Case cs;
    std::string expected;
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, Result) {
    const auto& c = GetParam();
    EXPECT_EQ(Replace(c.text, c.find, c.replacement, c.from, c.count, c.cs), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReplaceTest,
    ::testing::Values(ReplaceCase{"aXaXa", "x", "-", 1, -1, Case::Fold, "a-a-a"},
                      ReplaceCase{"aXaXa", "x", "-", 1, -1, Case::Exact, "aXaXa"},
                      ReplaceCase{"aXaXa", "X", "-", 1, 1, Case::Exact, "a-aXa"},
                      ReplaceCase{"aXaXa", "X", "-", 1, 0, Case::Exact, "aXaXa"},
                      ReplaceCase{"aXaXa", "X", "-", 3, -1, Case::Exact, "aXa-a"},
                      ReplaceCase{"abc", "", "-", 1, -1, Case::Exact, "abc"},
                      ReplaceCase{"", "a", "-", 1, -1, Case::Exact, ""},
                      ReplaceCase{"宏达有限公司有限公司", "有限公司", "", 1, 1, Case::Fold, "宏达有限公司"},
                      ReplaceCase{"\xB3\xC2\xC2\xB3", "\xC2\xB3", "!", 1, -1, Case::Exact, "\xB3\xC2!"}));

TEST(ToLowerAscii, OnlyAsciiLetterCharacters) {
    EXPECT_EQ(ToLowerAscii("AbC张Z"), "abc张z");
    EXPECT_EQ(ToLowerAscii("\x81\x41" "A"), "\x81\x41" "a");
}

TEST(FromBytes, StopsAtZero) {
    EXPECT_EQ(FromBytes(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(FromBytes("abc"), "abc");
}

TEST(LongTexts, LinearAndBounded) {
    std::string big(4 << 20, '\xB0');  // lead bytes only: every step takes two
    big.push_back('\xB0');             // ...and the text ends in a lone lead byte
    EXPECT_EQ(Find(big, "x"), -1);
    EXPECT_EQ(Split(big, "<").size(), 1u);
    EXPECT_EQ(Trim(big).size(), big.size());
    EXPECT_EQ(ToLowerAscii(big).size(), big.size());
}

}  // namespace
