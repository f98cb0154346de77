// The names the service proposes: filters, order, sound and variety.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "service/names.h"
#include "service/numerology.h"
#include "web/codecs.h"

using namespace zu::service;

namespace {

NameRequest Request(const char* surname, Sex sex, int y = 2020, int m = 5, int d = 17, std::optional<int> h = 8) {
    NameRequest r;
    r.surname = CharsOf(surname);
    r.sex = sex;
    r.pillars = FourPillars(y, m, d, h);
    return r;
}

bool InList(const std::unordered_map<CharCode, std::string>& list, const CharInfo* c) {
    return list.count(CodeOf(c->text)) > 0;
}

}  // namespace

TEST(ProposedNames, PassEveryCheckForManySurnamesAndBothSexes) {
    std::mt19937_64 rng(7);
    const ServiceData& d = Data();
    for (const char* surname : {"张", "王", "李", "欧阳", "杨", "罗", "诸葛", "丁"}) {
        for (Sex sex : {Sex::Boy, Sex::Girl}) {
            SCOPED_TRACE(zu::GbkToUtf8(surname) + (sex == Sex::Boy ? " boy" : " girl"));
            const NameRequest req = Request(surname, sex);
            const auto names = ProposeNames(req, rng);
            EXPECT_GE(names.size(), 40u);
            int previous = 101;
            std::map<const CharInfo*, int> uses;
            for (const auto& n : names) {
                ASSERT_EQ(n.text.rfind(surname, 0), 0u);
                const auto given = CharsOf(std::string_view(n.text).substr(std::strlen(surname)));
                ASSERT_EQ(given.size(), 2u);
                // variety: no character in more than four names of one page
                for (const auto* c : given) EXPECT_LE(++uses[c], 4) << zu::GbkToUtf8(c->text);
                for (const auto* c : given) {
                    ASSERT_NE(c, nullptr);  // on the standard list
                    EXPECT_FALSE(d.never.count(CodeOf(c->text)));
                    // the sex filter: the list of the sex or the neutral list, never the other only
                    const auto& own = sex == Sex::Boy ? d.boy : d.girl;
                    EXPECT_TRUE(InList(own, c) || InList(d.neutral, c)) << zu::GbkToUtf8(c->text);
                }
                EXPECT_TRUE(SoundsWell(req.surname, given));
                std::vector<int> ss, gs;
                for (const auto* c : req.surname) ss.push_back(c->kangxi);
                for (const auto* c : given) gs.push_back(c->kangxi);
                const Grids g = ComputeGrids(ss, gs);
                EXPECT_EQ(NumberFortune(g.person), Fortune::Good);
                EXPECT_EQ(NumberFortune(g.earth), Fortune::Good);
                EXPECT_EQ(NumberFortune(g.total), Fortune::Good);
                const Talents t = TalentsClass(NumberElement(g.heaven), NumberElement(g.person), NumberElement(g.earth));
                EXPECT_TRUE(t == Talents::Best || t == Talents::Good);
                // best first, by the score of the scoring page
                EXPECT_EQ(n.score, NameScore(req.surname, given));
                EXPECT_LE(n.score, previous);
                previous = n.score;
            }
        }
    }
}

TEST(ProposedNames, SomeComeFromOneLineOfPoetryAndMostBringTheLackingElement) {
    std::mt19937_64 rng(11);
    const NameRequest req = Request("张", Sex::Girl);  // the birth time lacks wood
    const auto names = ProposeNames(req, rng);
    int poetic = 0, favoured = 0;
    for (const auto& n : names) {
        const auto given = CharsOf(std::string_view(n.text).substr(2));
        if (n.poetry) {
            ++poetic;
            for (const auto* c : given) EXPECT_NE(n.poetry->line.find(c->text), std::string::npos);
        }
        if (given[0]->element == Element::Wood || given[1]->element == Element::Wood) ++favoured;
    }
    EXPECT_GE(poetic, 5);
    EXPECT_GT(favoured * 2, static_cast<int>(names.size()));
}

TEST(ProposedNames, EveryRequestIsAFreshChoice) {
    std::mt19937_64 rng(std::random_device{}());
    const NameRequest req = Request("陈", Sex::Boy, 1990, 12, 25, std::nullopt);
    std::set<std::string> first, second;
    for (const auto& n : ProposeNames(req, rng)) first.insert(n.text);
    for (const auto& n : ProposeNames(req, rng)) second.insert(n.text);
    std::size_t common = 0;
    for (const auto& t : first) common += second.count(t);
    EXPECT_LT(common, first.size() / 2);
}

TEST(Sound, RejectsToneRunsSurnameEchoesRepeatsAndTraps) {
    const struct { const char *surname, *given; bool fine; } cases[] = {
        {"张", "伟明", true},   // 1 3 2
        {"王", "雅静", true},   // 2 3 4
        {"刘", "芳菲", true},   // 2 1 1
        {"江", "山青", false},  // three first tones
        {"李", "欣欣", false},  // the same character twice
        {"李", "欣馨", false},  // one sound twice
        {"张", "章明", false},  // a given syllable that is the surname's
        {"杨", "伟", false},    // yang wei
        {"范", "彤", false},    // fan tong
        {"吴", "勇", false},    // wu yong
        {"朱", "逸群", false},  // zhu yi qun
    };
    for (const auto& c : cases)
        EXPECT_EQ(SoundsWell(CharsOf(c.surname), CharsOf(c.given)), c.fine)
            << zu::GbkToUtf8(std::string(c.surname) + c.given);
}

TEST(CompanyNames, DifferentCharactersFromTheListWithGoodTotals) {
    std::mt19937_64 rng(3);
    for (int length : {2, 3}) {
        const auto names = ProposeCompanyNames(length, rng);
        EXPECT_EQ(names.size(), 51u);
        std::set<std::string> seen;
        for (const auto& n : names) {
            ASSERT_EQ(n.size(), static_cast<std::size_t>(length * 2));
            EXPECT_TRUE(seen.insert(n).second);
            int total = 0;
            for (const auto* c : CharsOf(n)) {
                ASSERT_NE(c, nullptr);
                EXPECT_TRUE(Data().company.count(CodeOf(c->text)));
                total += c->kangxi;
            }
            EXPECT_EQ(NumberFortune(total), Fortune::Good) << zu::GbkToUtf8(n);
            EXPECT_NE(n.substr(0, 2), n.substr(2, 2));
        }
    }
}
