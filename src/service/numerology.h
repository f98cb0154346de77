// Name numerology: the five grids of a name from its Kangxi strokes, the
// fortune class of their numbers, the three talents, the score out of 100; and
// the four pillars of a birth time with their element balance.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/service_data.h"

namespace zu::service {

enum class Fortune { Good, Mixed, Bad };  // 吉, 半吉, 凶
enum class Talents { Best, Good, Mixed, Bad, Worst };  // 大吉, 吉, 半吉, 凶, 大凶

struct Grids {
    int heaven = 0;  // 天格
    int person = 0;  // 人格
    int earth = 0;   // 地格
    int outer = 0;   // 外格
    int total = 0;   // 总格
};

// The grids of a surname of one or two characters and a given name of one or
// two characters, from their strokes. A one-character part adds the customary
// 1 where a second character is missing.
Grids ComputeGrids(const std::vector<int>& surname, const std::vector<int>& given);

// The element of a grid number by its last digit: 1-2 wood, 3-4 fire, 5-6
// earth, 7-8 metal, 9-0 water.
Element NumberElement(int n);
// The numerology number as read from the table: above 81 the number less 80.
int TableNumber(int n);
Fortune NumberFortune(int n);
std::string_view FortuneName(Fortune f);  // "吉", "半吉", "凶"

// The three talents: heaven, person and earth grid elements. The class follows
// how each neighbouring pair stands: generating (either way) +1, the same 0,
// overcoming (either way) -1; a sum of 2 is 大吉, 1 吉, 0 半吉, -1 凶, -2 大凶.
Talents TalentsClass(Element heaven, Element person, Element earth);
std::string_view TalentsName(Talents t);
std::string TalentsText(Element heaven, Element person, Element earth);  // GBK

// How a given name's tones fall: 5 when the name ends on a tone other than the
// one before it (the voice moves), 2 otherwise.
int ToneScore(const std::vector<int>& tones);

struct ScoreParts {
    int person = 0, earth = 0, total = 0, outer = 0, talents = 0, tones = 0;
    int Sum() const { return person + earth + total + outer + talents + tones; }
};
// The score of a name: 人格 30/18/6, 地格 20/12/4, 总格 20/12/4 and 外格
// 10/6/2 for 吉/半吉/凶, the three talents 15/12/8/3/0 for 大吉 to 大凶, and
// the tones 5 or 2.
ScoreParts ScoreOf(const Grids& g, const std::vector<int>& tones);
// The rule above as text for the analysis page (GBK).
std::string_view ScoreRuleText();

// The four pillars (八字) of a birth time. Year and month follow the solar
// terms; the hour pillar is missing when the hour is unknown.
struct Pillar {
    int stem = 0;    // 0-9: 甲 to 癸
    int branch = 0;  // 0-11: 子 to 亥
};
struct Pillars {
    Pillar year, month, day;
    std::optional<Pillar> hour;
    std::array<int, kElementCount> elementCount{};  // over every stem and branch
};
bool ValidDate(int year, int month, int day);
// Needs a valid date (year 1900 to 2100) and an hour 0-23 or none.
Pillars FourPillars(int year, int month, int day, std::optional<int> hour);
std::string PillarText(const Pillar& p);  // "甲子" (GBK)
Element StemElement(int stem);
Element BranchElement(int branch);
// The elements the balance lacks: those that occur not at all, or when none is
// missing, those that occur least.
std::vector<Element> FavouredElements(const Pillars& p);

}  // namespace zu::service
