// Choosing names: baby names for a surname, sex and birth time, and company
// names; the checks every proposed name passes.
#pragma once

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "service/numerology.h"
#include "service/service_data.h"

namespace zu::service {

enum class Sex { Boy, Girl };

struct NameRequest {
    std::vector<const CharInfo*> surname;  // one or two characters
    Sex sex = Sex::Boy;
    Pillars pillars;
};

struct ProposedName {
    std::string text;  // surname + given name, GBK
    int score = 0;
    const PoetryLine* poetry = nullptr;  // the line both given characters come from
};

// Characters a given name of this sex may use: from the list of the sex and
// the neutral list, on the standard list, never from the list of characters
// never to use.
const std::vector<const CharInfo*>& GivenNamePool(Sex sex);

// Whether a full name sounds well: no tone three times, no given syllable that
// is a surname syllable, two different given characters of different sounds,
// and no syllable sequence that sounds like a word nobody wants to be called.
bool SoundsWell(const std::vector<const CharInfo*>& surname, const std::vector<const CharInfo*>& given);

// The score a name gets on the scoring page.
int NameScore(const std::vector<const CharInfo*>& surname, const std::vector<const CharInfo*>& given);

// The poetry line that holds every given character, or none.
const PoetryLine* PoetryLineOf(const std::vector<const CharInfo*>& given);

// Up to `count` different names with two given characters, best first. Every
// one has good 人格, 地格 and 总格 numbers and a good three-talent class; names
// whose characters bring the elements the birth time lacks are preferred, and
// some take both given characters from one line of poetry.
std::vector<ProposedName> ProposeNames(const NameRequest& request, std::mt19937_64& rng,
                                       std::size_t count = 53);

// Up to `count` different company names of `length` characters (2 or 3), whose
// total strokes make a good number where the characters allow it.
std::vector<std::string> ProposeCompanyNames(int length, std::mt19937_64& rng, std::size_t count = 51);

}  // namespace zu::service
