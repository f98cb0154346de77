// How each naming feature turns a decoded candidate from the service into the
// name it lists. No widgets. Texts are GBK; "first n bytes" counts bytes.
#pragma once

#include <random>
#include <string>
#include <string_view>

#include "naming/reply_reading.h"

namespace zu::naming {

// Two-character mode: the first 4 bytes (a shorter text stays whole).
std::string TwoCharacterName(std::string_view decoded);

// Generation character: the last 2 of the decoded name's first 4 bytes (with a
// one-character surname, the first given-name character) are replaced, at
// their first occurrence only, by `generation`. An empty 2-byte text leaves
// the name as it is.
std::string GenerationName(std::string_view decoded, std::string_view generation);

// The three independent uniform choices made for each parent-child candidate.
struct BlendChoices {
    int father = 1;    // 1 first or 2 last character of the father's name
    int mother = 3;    // 3 first or 4 last character of the mother's name
    int position = 1;  // 1 first or 2 last character of the given name is replaced
};
BlendChoices DrawBlendChoices(std::mt19937& random);

struct ParentInputs {
    std::string surname, father, mother, sex;  // sex "男" takes the father's character
};

// The candidate with its surname's first occurrence removed is the given name;
// the chosen character of the given name is replaced at its first occurrence
// by the chosen parent character; the result is surname + given name.
std::string BlendParentCharacter(std::string_view candidate, const ParentInputs& parents,
                                 const BlendChoices& choices);

// The rules of the list-page features.
NameRules TwoCharacterRules();
NameRules ThreeCharacterRules();
NameRules GenerationRules(std::string generation);
// Parent-child: two parts needed, BlendParentCharacter with choices from
// `draw`, then the mode's cut.
NameRules ParentChildRules(ParentInputs parents, bool twoCharacters, std::function<BlendChoices()> draw);

}  // namespace zu::naming
