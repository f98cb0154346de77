#include "service/names.h"

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <unordered_set>

namespace zu::service {
namespace {

constexpr int kMaxStrokes = 40;

std::vector<const CharInfo*> MakePool(const ServiceData& d, Sex sex) {
    std::vector<const CharInfo*> pool;
    std::unordered_set<CharCode> seen;
    for (const auto* list : {sex == Sex::Boy ? &d.boy : &d.girl, &d.neutral}) {
        // The lists are maps; sort their characters so the pool has one order.
        std::vector<CharCode> codes;
        for (const auto& [code, meaning] : *list) codes.push_back(code);
        std::sort(codes.begin(), codes.end());
        for (CharCode code : codes) {
            const CharInfo* c = d.Find(code);
            if (c && !d.never.count(code) && c->kangxi > 0 && c->kangxi <= kMaxStrokes &&
                seen.insert(code).second)
                pool.push_back(c);
        }
    }
    return pool;
}

std::vector<std::string> Syllables(const std::vector<const CharInfo*>& a, const std::vector<const CharInfo*>& b) {
    std::vector<std::string> s;
    for (const auto* c : a) s.push_back(c->syllable);
    for (const auto* c : b) s.push_back(c->syllable);
    return s;
}

bool HasTrap(const std::vector<std::string>& syllables) {
    for (const auto& trap : Data().soundTraps) {
        if (trap.empty() || trap.size() > syllables.size()) continue;
        for (std::size_t at = 0; at + trap.size() <= syllables.size(); ++at)
            if (std::equal(trap.begin(), trap.end(), syllables.begin() + static_cast<long>(at))) return true;
    }
    return false;
}

std::vector<int> Strokes(const std::vector<const CharInfo*>& chars) {
    std::vector<int> s;
    for (const auto* c : chars) s.push_back(c->kangxi);
    return s;
}

bool GoodGrids(const Grids& g) {
    const Talents t = TalentsClass(NumberElement(g.heaven), NumberElement(g.person), NumberElement(g.earth));
    return NumberFortune(g.person) == Fortune::Good && NumberFortune(g.earth) == Fortune::Good &&
           NumberFortune(g.total) == Fortune::Good && (t == Talents::Best || t == Talents::Good);
}

std::string FullText(const std::vector<const CharInfo*>& surname, const std::vector<const CharInfo*>& given) {
    std::string s;
    for (const auto* c : surname) s += c->text;
    for (const auto* c : given) s += c->text;
    return s;
}

// The characters of a poetry line, for every line, found once.
const std::vector<std::vector<CharCode>>& PoetryCodes() {
    static const std::vector<std::vector<CharCode>> codes = [] {
        std::vector<std::vector<CharCode>> all;
        for (const auto& p : Data().poetry) {
            std::vector<CharCode> line;
            for (std::size_t i = 0; i + 1 < p.line.size(); i += 2) line.push_back(CodeOf(p.line, i));
            all.push_back(std::move(line));
        }
        return all;
    }();
    return codes;
}

}  // namespace

const std::vector<const CharInfo*>& GivenNamePool(Sex sex) {
    static const std::vector<const CharInfo*> boy = MakePool(Data(), Sex::Boy);
    static const std::vector<const CharInfo*> girl = MakePool(Data(), Sex::Girl);
    return sex == Sex::Boy ? boy : girl;
}

bool SoundsWell(const std::vector<const CharInfo*>& surname, const std::vector<const CharInfo*>& given) {
    std::array<int, 6> toneCount{};
    for (const auto* c : surname) ++toneCount[c->tone % 6];
    for (const auto* c : given) ++toneCount[c->tone % 6];
    for (int n : toneCount)
        if (n >= 3) return false;
    for (std::size_t i = 0; i < given.size(); ++i) {
        for (const auto* s : surname)
            if (given[i]->syllable == s->syllable) return false;
        for (std::size_t j = i + 1; j < given.size(); ++j)
            if (given[i] == given[j] || given[i]->syllable == given[j]->syllable) return false;
    }
    return !HasTrap(Syllables(surname, given));
}

int NameScore(const std::vector<const CharInfo*>& surname, const std::vector<const CharInfo*>& given) {
    std::vector<int> tones;
    for (const auto* c : surname) tones.push_back(c->tone);
    for (const auto* c : given) tones.push_back(c->tone);
    return ScoreOf(ComputeGrids(Strokes(surname), Strokes(given)), tones).Sum();
}

const PoetryLine* PoetryLineOf(const std::vector<const CharInfo*>& given) {
    if (given.size() < 2) return nullptr;
    const auto& codes = PoetryCodes();
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const auto& line = codes[i];
        const bool all = std::all_of(given.begin(), given.end(), [&](const CharInfo* c) {
            return std::find(line.begin(), line.end(), CodeOf(c->text)) != line.end();
        });
        if (all) return &Data().poetry[i];
    }
    return nullptr;
}

std::vector<ProposedName> ProposeNames(const NameRequest& req, std::mt19937_64& rng, std::size_t count) {
    const auto& pool = GivenNamePool(req.sex);
    const std::vector<int> surnameStrokes = Strokes(req.surname);
    const std::vector<Element> favoured = FavouredElements(req.pillars);
    const auto isFavoured = [&](const CharInfo* c) {
        return std::find(favoured.begin(), favoured.end(), c->element) != favoured.end();
    };

    std::map<int, std::vector<const CharInfo*>> byStrokes;
    std::unordered_set<CharCode> inPool;
    for (const auto* c : pool) {
        byStrokes[c->kangxi].push_back(c);
        inPool.insert(CodeOf(c->text));
    }
    std::vector<std::pair<int, int>> goodPairs;
    std::unordered_set<int> goodPairKeys;
    for (const auto& [a, first] : byStrokes)
        for (const auto& [b, second] : byStrokes)
            if (GoodGrids(ComputeGrids(surnameStrokes, {a, b}))) {
                goodPairs.emplace_back(a, b);
                goodPairKeys.insert(a * 100 + b);
            }

    std::vector<ProposedName> out;
    std::unordered_set<std::string> taken;
    // No character carries more than a few names of one reply, so a page is
    // not a column of names that all end in the same character.
    std::map<const CharInfo*, int> uses;
    const int maxUses = std::max<int>(3, static_cast<int>(count / 12));
    // Names that lack every favoured element pass one time in four, so most
    // names bring what the birth time lacks without the list running dry.
    const auto offer = [&](const std::vector<const CharInfo*>& given, const PoetryLine* line) {
        if (out.size() >= count || !SoundsWell(req.surname, given)) return;
        if (std::any_of(given.begin(), given.end(), [&](const CharInfo* c) { return uses[c] >= maxUses; })) return;
        if (!std::any_of(given.begin(), given.end(), isFavoured) && rng() % 4 != 0) return;
        std::string text = FullText(req.surname, given);
        if (!taken.insert(text).second) return;
        for (const CharInfo* c : given) ++uses[c];
        out.push_back({std::move(text), NameScore(req.surname, given), line ? line : PoetryLineOf(given)});
    };

    // Some names from one line of poetry, the two characters in the line's order.
    std::vector<std::pair<std::size_t, std::pair<std::size_t, std::size_t>>> poetic;
    const auto& codes = PoetryCodes();
    for (std::size_t l = 0; l < codes.size(); ++l)
        for (std::size_t i = 0; i < codes[l].size(); ++i)
            for (std::size_t j = i + 1; j < codes[l].size(); ++j)
                if (codes[l][i] != codes[l][j] && inPool.count(codes[l][i]) && inPool.count(codes[l][j])) {
                    const CharInfo* a = Data().Find(codes[l][i]);
                    const CharInfo* b = Data().Find(codes[l][j]);
                    if (goodPairKeys.count(a->kangxi * 100 + b->kangxi)) poetic.push_back({l, {i, j}});
                }
    std::shuffle(poetic.begin(), poetic.end(), rng);
    const std::size_t poeticWanted = count / 4;
    for (const auto& [l, ij] : poetic) {
        if (out.size() >= poeticWanted) break;
        offer({Data().Find(codes[l][ij.first]), Data().Find(codes[l][ij.second])}, &Data().poetry[l]);
    }

    // Every pair of characters with good stroke numbers is equally likely:
    // a stroke pair is drawn by how many character pairs it holds, so the few
    // characters of a rare stroke number do not turn up in name after name.
    std::vector<double> pairWeights;
    for (const auto& [a, b] : goodPairs)
        pairWeights.push_back(static_cast<double>(byStrokes[a].size()) * static_cast<double>(byStrokes[b].size()));
    std::discrete_distribution<std::size_t> pickPair(pairWeights.begin(), pairWeights.end());
    for (int attempt = 0; attempt < 20000 && out.size() < count && !goodPairs.empty(); ++attempt) {
        const auto& [a, b] = goodPairs[pickPair(rng)];
        const auto& first = byStrokes[a];
        const auto& second = byStrokes[b];
        offer({first[rng() % first.size()], second[rng() % second.size()]}, nullptr);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const ProposedName& x, const ProposedName& y) { return x.score > y.score; });
    return out;
}

std::vector<std::string> ProposeCompanyNames(int length, std::mt19937_64& rng, std::size_t count) {
    const ServiceData& d = Data();
    static const std::vector<const CharInfo*> pool = [&] {
        std::vector<CharCode> codes;
        for (const auto& [code, meaning] : d.company) codes.push_back(code);
        std::sort(codes.begin(), codes.end());
        std::vector<const CharInfo*> p;
        for (CharCode code : codes)
            if (const CharInfo* c = d.Find(code); c && !d.never.count(code)) p.push_back(c);
        return p;
    }();
    std::vector<std::string> out;
    std::unordered_set<std::string> taken;
    if (pool.size() < static_cast<std::size_t>(length)) return out;
    for (int attempt = 0; attempt < 20000 && out.size() < count; ++attempt) {
        std::vector<const CharInfo*> chars;
        int total = 0;
        while (chars.size() < static_cast<std::size_t>(length)) {
            const CharInfo* c = pool[rng() % pool.size()];
            if (std::find(chars.begin(), chars.end(), c) != chars.end()) continue;
            chars.push_back(c);
            total += c->kangxi;
        }
        // A good total number first; after many tries a mixed one will do.
        const Fortune f = NumberFortune(total);
        if (f == Fortune::Bad || (f == Fortune::Mixed && attempt < 10000)) continue;
        std::vector<std::string> syllables;
        for (const auto* c : chars) syllables.push_back(c->syllable);
        if (HasTrap(syllables)) continue;
        std::string text = FullText({}, chars);
        if (taken.insert(text).second) out.push_back(std::move(text));
    }
    return out;
}

}  // namespace zu::service
