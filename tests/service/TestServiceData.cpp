// The character data as name numerology reads it: Kangxi strokes of the
// traditional form with radicals counted in full, readings, elements, and the
// curated lists.
#include <gtest/gtest.h>

#include <string>

#include "service/service_data.h"
#include "web/codecs.h"

using namespace zu::service;

namespace {

const CharInfo& Char(const char* gbk) {
    const CharInfo* c = Data().Find(CodeOf(gbk));
    if (!c) throw std::runtime_error(std::string("missing ") + zu::GbkToUtf8(gbk));
    return *c;
}

}  // namespace

TEST(KangxiStrokes, CommonSurnameAndNameCharacters) {
    // Values as name numerology counts them: the traditional form (张 as 張),
    // the radical in its full form (氵 水 4, 艹 艸 6, 阝 阜 8 / 邑 7, 辶 辵 7,
    // 王 as a radical 玉 5, 月 as 肉 6), numerals by their value.
    const struct { const char* ch; int strokes; } cases[] = {
        {"张", 11}, {"王", 4},  {"陈", 16}, {"刘", 15}, {"涵", 12}, {"华", 14}, {"李", 7},  {"赵", 14},
        {"杨", 13}, {"黄", 12}, {"周", 8},  {"吴", 7},  {"徐", 10}, {"孙", 10}, {"马", 10}, {"朱", 6},
        {"胡", 11}, {"郭", 15}, {"何", 7},  {"高", 10}, {"林", 8},  {"罗", 20}, {"郑", 19}, {"梁", 11},
        {"谢", 17}, {"宋", 7},  {"唐", 10}, {"许", 11}, {"韩", 17}, {"冯", 12}, {"邓", 19}, {"曹", 11},
        {"彭", 12}, {"曾", 12}, {"萧", 18}, {"田", 5},  {"董", 15}, {"潘", 16}, {"袁", 10}, {"蔡", 17},
        {"蒋", 17}, {"余", 7},  {"于", 3},  {"杜", 7},  {"叶", 15}, {"程", 12}, {"苏", 22}, {"魏", 18},
        {"吕", 7},  {"丁", 2},  {"任", 6},  {"沈", 8},  {"姚", 9},  {"卢", 16}, {"姜", 9},  {"崔", 11},
        {"钟", 17}, {"谭", 19}, {"陆", 16}, {"汪", 8},  {"范", 15}, {"金", 8},  {"石", 5},  {"廖", 14},
        {"贾", 13}, {"夏", 10}, {"韦", 9},  {"付", 5},  {"方", 4},  {"白", 5},  {"邹", 17}, {"孟", 8},
        {"熊", 14}, {"秦", 10}, {"邱", 12}, {"江", 7},  {"尹", 4},  {"薛", 19}, {"闫", 11}, {"段", 9},
        {"雷", 13}, {"侯", 9},  {"龙", 16}, {"史", 5},  {"陶", 16}, {"黎", 15}, {"贺", 12}, {"顾", 21},
        {"毛", 4},  {"郝", 14}, {"龚", 22}, {"邵", 12}, {"万", 15}, {"钱", 16}, {"严", 20}, {"覃", 12},
        {"武", 8},  {"戴", 18}, {"莫", 13}, {"孔", 4},  {"向", 6},  {"汤", 13},
        // name characters: radicals in full form, and numerals by value
        {"琳", 13}, {"花", 10}, {"进", 15}, {"服", 8},  {"肚", 9},  {"海", 11}, {"扬", 13}, {"怡", 9},
        {"一", 1},  {"二", 2},  {"三", 3},  {"四", 4},  {"五", 5},  {"六", 6},  {"七", 7},  {"八", 8},
        {"九", 9},  {"十", 10},
    };
    for (const auto& c : cases) EXPECT_EQ(Char(c.ch).kangxi, c.strokes) << zu::GbkToUtf8(c.ch);
}

TEST(CharacterData, ReadingsTonesTraditionalFormsAndElements) {
    const struct {
        const char* ch;
        const char* syllable;
        int tone;
        const char* traditional;
        Element element;
    } cases[] = {
        {"张", "zhang", 1, "張", Element::Metal},  // zh: a teeth sound
        {"罗", "luo", 2, "羅", Element::Fire},     // the customary luó, not luō
        {"绿", "lv", 4, "綠", Element::Fire},      // ü written v
        {"涵", "han", 2, "涵", Element::Water},    // 水 radical
        {"林", "lin", 2, "林", Element::Wood},     // 木 radical
        {"明", "ming", 2, "明", Element::Fire},    // 日 radical
        {"钰", "yu", 4, "鈺", Element::Metal},     // 金 radical
        {"叶", "ye", 4, "葉", Element::Wood},      // written 葉 in names
        {"余", "yu", 2, "余", Element::Earth},     // the surname keeps its form
    };
    for (const auto& c : cases) {
        const CharInfo& info = Char(c.ch);
        SCOPED_TRACE(zu::GbkToUtf8(c.ch));
        EXPECT_EQ(info.syllable, c.syllable);
        EXPECT_EQ(info.tone, c.tone);
        EXPECT_EQ(info.traditional, c.traditional);
        EXPECT_EQ(info.element, c.element);
    }
    EXPECT_EQ(Char("张").codePoint, U'\u5F20');
    EXPECT_EQ(Char("张").reading, "zhāng");
}

TEST(CharacterData, HoldsTheStandardListOnly) {
    const ServiceData& d = Data();
    // The general standard list has 8,105 characters; a few hundred are outside GBK.
    EXPECT_GT(d.chars.size(), 7500u);
    EXPECT_LE(d.chars.size(), 8105u);
    for (const char* rare : {"張", "劉", "葉"})  // traditional forms are not on the list
        EXPECT_EQ(d.Find(CodeOf(rare)), nullptr) << zu::GbkToUtf8(rare);
    ASSERT_EQ(d.numbers.size(), 82u);
    for (int n = 1; n <= 81; ++n) EXPECT_FALSE(d.numbers[n].text.empty()) << n;
    EXPECT_FALSE(d.poetry.empty());
}

TEST(CuratedLists, NameListsAvoidTheNeverList) {
    const ServiceData& d = Data();
    for (const char* bad : {"死", "妖", "病", "亡", "鬼", "尸", "毒", "屎", "尿", "肛", "刀", "锅"})
        EXPECT_TRUE(d.never.count(CodeOf(bad))) << zu::GbkToUtf8(bad);
    for (const auto* list : {&d.boy, &d.girl, &d.neutral, &d.company}) {
        EXPECT_GT(list->size(), 100u);
        for (const auto& [code, meaning] : *list) {
            EXPECT_FALSE(d.never.count(code));
            EXPECT_NE(d.Find(code), nullptr);
        }
    }
}
