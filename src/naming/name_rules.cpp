#include "naming/name_rules.h"

#include "web/codecs.h"
#include "web/text.h"

namespace zu::naming {
namespace {

// Replaces the first occurrence of `find`, searching from the start at
// character boundaries; an empty `find` changes nothing.
std::string ReplaceFirst(std::string_view text, std::string_view find, std::string_view replacement) {
    ReplaceOptions once;
    once.count = 1;
    once.from = 1;
    return ReplaceSeveral(text, {{find, replacement}}, once);
}

}  // namespace

std::string TwoCharacterName(std::string_view decoded) { return text::Left(decoded, 4); }

std::string GenerationName(std::string_view decoded, std::string_view generation) {
    const std::string target = text::Right(text::Left(decoded, 4), 2);
    return ReplaceFirst(decoded, target, generation);
}

BlendChoices DrawBlendChoices(std::mt19937& random) {
    std::uniform_int_distribution<int> coin(0, 1);
    BlendChoices c;
    c.father = 1 + coin(random);
    c.mother = 3 + coin(random);
    c.position = 1 + coin(random);
    return c;
}

std::string BlendParentCharacter(std::string_view candidate, const ParentInputs& parents,
                                 const BlendChoices& choices) {
    std::string given = ReplaceFirst(candidate, parents.surname, "");
    const int pick = parents.sex == "男" ? choices.father : choices.mother;
    std::string parent;
    switch (pick) {
        case 1: parent = text::Left(parents.father, 2); break;
        case 2: parent = text::Right(parents.father, 2); break;
        case 3: parent = text::Left(parents.mother, 2); break;
        default: parent = text::Right(parents.mother, 2); break;
    }
    const std::string target = choices.position == 1 ? text::Left(given, 2) : text::Right(given, 2);
    given = ReplaceFirst(given, target, parent);
    return parents.surname + given;
}

NameRules TwoCharacterRules() {
    return {true, [](const std::string& decoded) { return TwoCharacterName(decoded); }};
}

NameRules ThreeCharacterRules() {
    return {false, [](const std::string& decoded) { return decoded; }};
}

NameRules GenerationRules(std::string generation) {
    return {false, [generation = std::move(generation)](const std::string& decoded) {
                return GenerationName(decoded, generation);
            }};
}

NameRules ParentChildRules(ParentInputs parents, bool twoCharacters, std::function<BlendChoices()> draw) {
    return {true, [parents = std::move(parents), twoCharacters, draw = std::move(draw)](const std::string& decoded) {
                const std::string full = BlendParentCharacter(decoded, parents, draw());
                return twoCharacters ? TwoCharacterName(full) : full;
            }};
}

}  // namespace zu::naming
