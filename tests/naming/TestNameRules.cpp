// The name rules of the list-page features.
#include <gtest/gtest.h>

#include <set>

#include "naming/name_rules.h"

using namespace zu::naming;

TEST(TwoCharacterName, KeepsTheFirstFourBytes) {
    EXPECT_EQ(TwoCharacterName("张伟明"), "张伟");
    EXPECT_EQ(TwoCharacterName("张"), "张");
    EXPECT_EQ(TwoCharacterName("欧阳娜娜"), "欧阳");  // a two-character surname alone
    EXPECT_EQ(TwoCharacterName(""), "");
}

TEST(GenerationName, ReplacesTheFirstGivenNameCharacterOnce) {
    struct Case {
        std::string_view decoded, generation, name;
    };
    const Case cases[] = {
        {"张伟明", "德", "张德明"},
        {"张伟明", "", "张明"},          // an empty generation character removes it
        {"张伟明", "德文", "张德文明"},  // two characters make a four-character name
        {"王王明", "德", "德王明"},      // the surname is the first occurrence
        {"张", "德", "德"},              // a one-character name: that character is replaced
        {"欧阳娜娜", "德", "欧德娜娜"},  // a two-character surname loses its second character
        {"张伟伟", "德", "张德伟"},      // only one occurrence is replaced
        {"", "德", ""},                  // nothing to replace
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.decoded) + "/" + std::string(c.generation));
        EXPECT_EQ(GenerationName(c.decoded, c.generation), c.name);
    }
}

TEST(BlendParentCharacter, PutsTheChosenParentCharacterInTheGivenName) {
    const ParentInputs boy{"王", "建国", "丽华", "男"};
    const ParentInputs girl{"王", "建国", "丽华", "女"};
    struct Case {
        const char* what;
        std::string_view candidate;
        ParentInputs parents;
        BlendChoices choices;
        std::string_view full, two;
    };
    const Case cases[] = {
        {"father's last, first position", "王子涵", boy, {2, 3, 1}, "王国涵", "王国"},
        {"father's last, last position", "王子涵", boy, {2, 3, 2}, "王子国", "王子"},
        {"father's first", "王子涵", boy, {1, 4, 1}, "王建涵", "王建"},
        {"a girl takes her mother's character", "王子涵", girl, {2, 4, 1}, "王华涵", "王华"},
        {"mother's first", "王子涵", girl, {1, 3, 2}, "王子丽", "王子"},
        {"a repeated character: the first is replaced", "王涵涵", boy, {2, 3, 2}, "王国涵", "王国"},
        {"a candidate without the surname stays whole", "李子涵", boy, {2, 3, 1}, "王国子涵", "王国"},
        {"a one-character parent name", "王子涵", ParentInputs{"王", "强", "", "男"}, {2, 3, 1}, "王强涵", "王强"},
        {"a two-character surname", "欧阳子涵", ParentInputs{"欧阳", "建国", "", "男"}, {2, 3, 1}, "欧阳国涵",
         "欧阳"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BlendParentCharacter(c.candidate, c.parents, c.choices), c.full);
        const BlendChoices chosen = c.choices;
        EXPECT_EQ(ParentChildRules(c.parents, false, [&] { return chosen; }).name(std::string(c.candidate)), c.full);
        EXPECT_EQ(ParentChildRules(c.parents, true, [&] { return chosen; }).name(std::string(c.candidate)), c.two);
    }
}

TEST(DrawBlendChoices, DrawsEveryCombinationOfTheThreeChoices) {
    std::mt19937 random(7);
    std::set<std::tuple<int, int, int>> seen;
    for (int i = 0; i < 400; ++i) {
        const BlendChoices c = DrawBlendChoices(random);
        ASSERT_TRUE(c.father == 1 || c.father == 2);
        ASSERT_TRUE(c.mother == 3 || c.mother == 4);
        ASSERT_TRUE(c.position == 1 || c.position == 2);
        seen.insert({c.father, c.mother, c.position});
    }
    EXPECT_EQ(seen.size(), 8u);
}

TEST(NameRules, AcceptanceRules) {
    // Only the modes that cut to two characters ask for a second part after "<".
    EXPECT_TRUE(TwoCharacterRules().needsTwoParts);
    EXPECT_FALSE(ThreeCharacterRules().needsTwoParts);
    EXPECT_FALSE(GenerationRules("德").needsTwoParts);
    EXPECT_TRUE(ParentChildRules({}, false, [] { return BlendChoices{}; }).needsTwoParts);
    EXPECT_EQ(GenerationRules("德").name("张伟明"), "张德明");
}
