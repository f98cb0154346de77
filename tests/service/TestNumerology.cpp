// Grids, fortunes, three talents, score and the four pillars.
#include <gtest/gtest.h>

#include "service/names.h"
#include "service/numerology.h"
#include "web/codecs.h"

using namespace zu::service;

namespace {

std::vector<int> Strokes(std::string_view gbk) {
    std::vector<int> s;
    for (const auto* c : CharsOf(gbk)) s.push_back(c->kangxi);
    return s;
}

}  // namespace

TEST(FiveGrids, KnownNames) {
    const struct {
        const char *surname, *given;
        Grids expected;  // 天, 人, 地, 外, 总
    } cases[] = {
        {"张", "伟明", {12, 22, 19, 9, 30}},    // 张11 伟(偉)11 明8
        {"李", "娜", {8, 17, 11, 2, 17}},       // 李7 娜10: one given character
        {"王", "涵", {5, 16, 13, 2, 16}},       // 王4 涵12
        {"刘", "德华", {16, 30, 29, 15, 44}},   // 刘(劉)15 德15 华(華)14
        {"欧阳", "修", {32, 27, 11, 16, 42}},   // 欧(歐)15 阳(陽)17 修10: two-character surname
        {"诸葛", "亮", {31, 24, 10, 17, 40}},   // 诸(諸)16 葛15 亮9
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(zu::GbkToUtf8(std::string(c.surname) + c.given));
        const Grids g = ComputeGrids(Strokes(c.surname), Strokes(c.given));
        EXPECT_EQ(g.heaven, c.expected.heaven);
        EXPECT_EQ(g.person, c.expected.person);
        EXPECT_EQ(g.earth, c.expected.earth);
        EXPECT_EQ(g.outer, c.expected.outer);
        EXPECT_EQ(g.total, c.expected.total);
    }
}

TEST(Numbers, ElementsFortunesAndNumbersPast81) {
    const struct { int n; Element e; Fortune f; } cases[] = {
        {1, Element::Wood, Fortune::Good},   {2, Element::Wood, Fortune::Bad},   {3, Element::Fire, Fortune::Good},
        {4, Element::Fire, Fortune::Bad},    {15, Element::Earth, Fortune::Good}, {27, Element::Metal, Fortune::Mixed},
        {30, Element::Water, Fortune::Mixed}, {39, Element::Water, Fortune::Good}, {81, Element::Wood, Fortune::Good},
        {82, Element::Wood, Fortune::Bad},   // read as 2
        {95, Element::Earth, Fortune::Good},  // read as 15
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberElement(c.n), c.e) << c.n;
        EXPECT_EQ(NumberFortune(c.n), c.f) << c.n;
    }
}

TEST(ThreeTalents, ClassFollowsHowNeighboursStand) {
    using E = Element;
    const struct { E h, p, e; Talents t; } cases[] = {
        {E::Wood, E::Fire, E::Earth, Talents::Best},    // wood feeds fire, fire feeds earth
        {E::Earth, E::Fire, E::Wood, Talents::Best},    // fed from below and above
        {E::Wood, E::Wood, E::Fire, Talents::Good},
        {E::Water, E::Water, E::Water, Talents::Mixed},
        {E::Wood, E::Fire, E::Metal, Talents::Mixed},   // fed, then overcoming
        {E::Metal, E::Wood, E::Wood, Talents::Bad},
        {E::Metal, E::Wood, E::Earth, Talents::Worst},  // overcome, then overcoming
    };
    for (const auto& c : cases) EXPECT_EQ(TalentsClass(c.h, c.p, c.e), c.t);
}

TEST(Score, AddsTheGridClassesTheTalentsAndTheTones) {
    // 张伟明: 人格 22 凶 6, 地格 19 凶 4, 总格 30 半吉 12, 外格 9 凶 2,
    // three talents 木木水 吉 12, tones 3 then 2 (the voice moves) 5.
    EXPECT_EQ(NameScore(CharsOf("张"), CharsOf("伟明")), 6 + 4 + 12 + 2 + 12 + 5);
    // The tones: 5 when the last syllable moves away from the one before.
    EXPECT_EQ(ToneScore({1, 3, 2}), 5);
    EXPECT_EQ(ToneScore({2, 4, 4}), 2);
    EXPECT_EQ(ToneScore({1, 2, 1, 1}), 2);
    // Every part at its best is 100.
    ScoreParts best{30, 20, 20, 10, 15, 5};
    EXPECT_EQ(best.Sum(), 100);
}

TEST(FourPillars, KnownDates) {
    const struct {
        int y, m, d;
        std::optional<int> hour;
        const char *year, *month, *day, *hourPillar;
    } cases[] = {
        {1949, 10, 1, 15, "己丑", "癸酉", "甲子", "壬申"},
        {2000, 1, 1, 12, "己卯", "丙子", "戊午", "戊午"},   // before 立春: still the previous year
        {2000, 2, 10, 0, "庚辰", "戊寅", "戊戌", "壬子"},   // after 立春
        {2020, 5, 17, 8, "庚子", "辛巳", "庚申", "庚辰"},
        {1990, 12, 25, std::nullopt, "庚午", "戊子", "甲子", ""},  // unknown hour: three pillars
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d));
        const Pillars p = FourPillars(c.y, c.m, c.d, c.hour);
        EXPECT_EQ(PillarText(p.year), c.year);
        EXPECT_EQ(PillarText(p.month), c.month);
        EXPECT_EQ(PillarText(p.day), c.day);
        EXPECT_EQ(p.hour ? PillarText(*p.hour) : std::string(), c.hourPillar);
        int total = 0;
        for (int n : p.elementCount) total += n;
        EXPECT_EQ(total, c.hour ? 8 : 6);
    }
}

TEST(FourPillars, FavouredElementsAreTheMissingOnes) {
    // 2020-05-17 08: 庚子 辛巳 庚申 庚辰 — metal 5, water 1, fire 1, earth 1, no wood.
    const Pillars p = FourPillars(2020, 5, 17, 8);
    EXPECT_EQ(FavouredElements(p), std::vector<Element>{Element::Wood});
}

TEST(Dates, ImpossibleDatesAreRefused) {
    EXPECT_TRUE(ValidDate(2020, 2, 29));
    EXPECT_FALSE(ValidDate(2019, 2, 29));
    EXPECT_FALSE(ValidDate(1900, 2, 29));
    EXPECT_TRUE(ValidDate(2000, 2, 29));
    EXPECT_FALSE(ValidDate(2020, 4, 31));
    EXPECT_FALSE(ValidDate(2020, 13, 1));
}
