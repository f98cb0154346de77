#include "service/numerology.h"

#include <algorithm>

namespace zu::service {
namespace {

int Relation(Element a, Element b) {
    const int d = (static_cast<int>(b) - static_cast<int>(a) + kElementCount) % kElementCount;
    if (d == 0) return 0;
    if (d == 1 || d == 4) return 1;  // a generates b, or b generates a
    return -1;                       // a overcomes b (d == 2) or b overcomes a (d == 3)
}

std::string RelationText(Element a, Element b) {
    const int d = (static_cast<int>(b) - static_cast<int>(a) + kElementCount) % kElementCount;
    const std::string an(ElementName(a)), bn(ElementName(b));
    switch (d) {
        case 0: return an + "与" + bn + "相同，气势平稳";
        case 1: return an + "生" + bn + "，承接顺畅";
        case 4: return bn + "生" + an + "，得到扶助";
        case 2: return an + "克" + bn + "，压力在下";
        default: return bn + "克" + an + "，受到制约";
    }
}

// Days from the civil calendar (proleptic Gregorian) to the Julian day number.
long JulianDay(int y, int m, int d) {
    const int a = (14 - m) / 12;
    const long yy = y + 4800 - a;
    const int mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

// The first day of each solar-term month, 寅 (month 1, from 立春) to 丑 (from
// 小寒 in January). The solar terms drift by a day or so between years; these
// are their usual dates in the years 1900 to 2100, close enough for a name.
struct TermStart {
    int month, day;
};
constexpr TermStart kTermStarts[12] = {{2, 4}, {3, 6}, {4, 5}, {5, 6}, {6, 6}, {7, 7},
                                        {8, 8}, {9, 8}, {10, 8}, {11, 7}, {12, 7}, {1, 6}};

bool Before(int month, int day, TermStart t) { return month < t.month || (month == t.month && day < t.day); }

}  // namespace

Grids ComputeGrids(const std::vector<int>& s, const std::vector<int>& g) {
    Grids r;
    const int sSum = s.empty() ? 0 : (s.size() == 1 ? s[0] : s[0] + s[1]);
    const int gSum = g.empty() ? 0 : (g.size() == 1 ? g[0] : g[0] + g[1]);
    const int sLast = s.empty() ? 0 : s.back();
    const int gFirst = g.empty() ? 0 : g.front();
    r.heaven = s.size() == 1 ? sSum + 1 : sSum;
    r.person = sLast + gFirst;
    r.earth = g.size() == 1 ? gSum + 1 : gSum;
    r.total = sSum + gSum;
    // 外格: what the person grid leaves of the name, plus the customary 1 for
    // each missing second character.
    const int sFirstOuter = s.size() == 1 ? 1 : s.front();
    const int gLastOuter = g.size() == 1 ? 1 : g.back();
    r.outer = sFirstOuter + gLastOuter;
    return r;
}

Element NumberElement(int n) {
    switch (n % 10) {
        case 1: case 2: return Element::Wood;
        case 3: case 4: return Element::Fire;
        case 5: case 6: return Element::Earth;
        case 7: case 8: return Element::Metal;
        default: return Element::Water;
    }
}

int TableNumber(int n) {
    while (n > 81) n -= 80;
    return n < 1 ? 1 : n;
}

Fortune NumberFortune(int n) {
    const std::string& f = Data().numbers[TableNumber(n)].fortune;
    if (f == "吉") return Fortune::Good;
    if (f == "半吉") return Fortune::Mixed;
    return Fortune::Bad;
}

std::string_view FortuneName(Fortune f) {
    switch (f) {
        case Fortune::Good: return "吉";
        case Fortune::Mixed: return "半吉";
        default: return "凶";
    }
}

Talents TalentsClass(Element heaven, Element person, Element earth) {
    switch (Relation(heaven, person) + Relation(person, earth)) {
        case 2: return Talents::Best;
        case 1: return Talents::Good;
        case 0: return Talents::Mixed;
        case -1: return Talents::Bad;
        default: return Talents::Worst;
    }
}

std::string_view TalentsName(Talents t) {
    static constexpr std::string_view kNames[] = {"大吉", "吉", "半吉", "凶", "大凶"};
    return kNames[static_cast<int>(t)];
}

std::string TalentsText(Element heaven, Element person, Element earth) {
    std::string s = "天格与人格：" + RelationText(heaven, person) + "；人格与地格：" +
                    RelationText(person, earth) + "。";
    switch (TalentsClass(heaven, person, earth)) {
        case Talents::Best: s += "上下相生，根基稳固，诸事顺遂。"; break;
        case Talents::Good: s += "大体顺和，少有阻碍，可得安稳。"; break;
        case Talents::Mixed: s += "生克相抵，宜以勤勉补足。"; break;
        case Talents::Bad: s += "多受制约，须防劳而少功。"; break;
        case Talents::Worst: s += "上下相克，起伏较多，宜慎重。"; break;
    }
    return s;
}

int ToneScore(const std::vector<int>& tones) {
    if (tones.size() < 2) return 5;
    return tones[tones.size() - 1] != tones[tones.size() - 2] ? 5 : 2;
}

ScoreParts ScoreOf(const Grids& g, const std::vector<int>& tones) {
    const auto pick = [](int n, int good, int mixed, int bad) {
        switch (NumberFortune(n)) {
            case Fortune::Good: return good;
            case Fortune::Mixed: return mixed;
            default: return bad;
        }
    };
    ScoreParts p;
    p.person = pick(g.person, 30, 18, 6);
    p.earth = pick(g.earth, 20, 12, 4);
    p.total = pick(g.total, 20, 12, 4);
    p.outer = pick(g.outer, 10, 6, 2);
    static constexpr int kTalents[] = {15, 12, 8, 3, 0};
    p.talents = kTalents[static_cast<int>(
        TalentsClass(NumberElement(g.heaven), NumberElement(g.person), NumberElement(g.earth)))];
    p.tones = ToneScore(tones);
    return p;
}

std::string_view ScoreRuleText() {
    return "评分规则：人格吉30分、半吉18分、凶6分；地格与总格吉20分、半吉12分、凶4分；"
           "外格吉10分、半吉6分、凶2分；三才大吉15分、吉12分、半吉8分、凶3分、大凶0分；"
           "声调起伏5分，末两字同调2分；满分100分。天格由姓氏决定，不计分。";
}

bool ValidDate(int y, int m, int d) {
    if (y < 1900 || y > 2100 || m < 1 || m > 12 || d < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

Pillars FourPillars(int y, int m, int d, std::optional<int> hour) {
    Pillars p;
    // The year turns at 立春, not on the first of January.
    const int year = Before(m, d, kTermStarts[0]) ? y - 1 : y;
    p.year = {((year - 4) % 10 + 10) % 10, ((year - 4) % 12 + 12) % 12};
    // Solar-term month: the last term start on or before the date. Before 小寒
    // the date is still in the 子 month that began at the last 大雪.
    int index = Before(m, d, kTermStarts[11]) ? 10 : 11;
    for (int i = 0; i < 11; ++i)
        if (!Before(m, d, kTermStarts[i])) index = i;
    // The 寅 month's stem follows the year stem: 甲/己 years start at 丙寅.
    p.month = {(p.year.stem % 5 * 2 + 2 + index) % 10, (index + 2) % 12};
    const long dayIndex = (JulianDay(y, m, d) + 49) % 60;  // 0 is 甲子
    p.day = {static_cast<int>(dayIndex % 10), static_cast<int>(dayIndex % 12)};
    if (hour) {
        // 子 hour runs from 23:00 to 01:00; 23:00 keeps the day it falls on.
        const int branch = (*hour + 1) / 2 % 12;
        p.hour = Pillar{(p.day.stem % 5 * 2 + branch) % 10, branch};
    }
    const auto count = [&](const Pillar& q) {
        ++p.elementCount[static_cast<int>(StemElement(q.stem))];
        ++p.elementCount[static_cast<int>(BranchElement(q.branch))];
    };
    count(p.year);
    count(p.month);
    count(p.day);
    if (p.hour) count(*p.hour);
    return p;
}

std::string PillarText(const Pillar& p) {
    static constexpr std::string_view kStems = "甲乙丙丁戊己庚辛壬癸";
    static constexpr std::string_view kBranches = "子丑寅卯辰巳午未申酉戌亥";
    return std::string(kStems.substr(p.stem * 2, 2)) + std::string(kBranches.substr(p.branch * 2, 2));
}

Element StemElement(int stem) { return static_cast<Element>(stem / 2); }

Element BranchElement(int branch) {
    static constexpr Element kBranch[] = {Element::Water, Element::Earth, Element::Wood,  Element::Wood,
                                          Element::Earth, Element::Fire,  Element::Fire,  Element::Earth,
                                          Element::Metal, Element::Metal, Element::Earth, Element::Water};
    return kBranch[branch];
}

std::vector<Element> FavouredElements(const Pillars& p) {
    int least = 1 << 30;
    for (int c : p.elementCount) least = std::min(least, c);
    std::vector<Element> out;
    for (int i = 0; i < kElementCount; ++i)
        if (p.elementCount[i] == least) out.push_back(static_cast<Element>(i));
    return out;
}

}  // namespace zu::service
