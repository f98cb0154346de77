// The character data, name lists, numerology texts and poetry lines of the
// built-in naming service, loaded once from the data compiled into the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zu::service {

// The five elements in the order of their generating cycle: each generates the
// next, and overcomes the one two steps on (木 generates 火 and overcomes 土).
enum class Element : std::uint8_t { Wood, Fire, Earth, Metal, Water };
inline constexpr int kElementCount = 5;
std::string_view ElementName(Element e);  // "木", "火", "土", "金", "水" (GBK)

// A GBK double-byte character as one number: lead byte * 256 + trail byte.
using CharCode = std::uint16_t;
inline CharCode CodeOf(std::string_view gbk, std::size_t at = 0) {
    return static_cast<CharCode>(static_cast<unsigned char>(gbk[at]) << 8 |
                                 static_cast<unsigned char>(gbk[at + 1]));
}

struct CharInfo {
    std::string text;         // the character, GBK (2 bytes)
    char32_t codePoint = 0;   // for the "%u" escapes of the list reply
    std::string reading;      // with tone mark, GBK ("zhāng")
    std::string syllable;     // without tone, ASCII ("zhang", ü as "v")
    int tone = 5;             // 1-4, 5 for the neutral tone
    int kangxi = 0;           // strokes as name numerology counts them
    Element element = Element::Earth;
    std::string traditional;  // the form counted, GBK ("?" when GBK lacks it)
};

struct NumberText {
    std::string fortune;  // "吉", "半吉" or "凶"
    std::string text;
};

struct PoetryLine {
    std::string source;  // "诗经·周南·关雎"
    std::string line;    // "在河之洲"
};

struct ServiceData {
    std::unordered_map<CharCode, CharInfo> chars;  // the general standard list
    std::unordered_map<CharCode, std::string> boy, girl, neutral, company;  // meaning by char
    std::unordered_set<CharCode> never;
    std::vector<NumberText> numbers;  // index 1 to 81
    std::vector<std::vector<std::string>> soundTraps;  // syllable sequences
    std::vector<PoetryLine> poetry;

    const CharInfo* Find(CharCode code) const {
        const auto it = chars.find(code);
        return it == chars.end() ? nullptr : &it->second;
    }
    // The meaning of a name character from the lists, empty when not listed.
    std::string MeaningOf(CharCode code) const;
};

// The data, loaded on first use (thread-safe); later calls are free.
const ServiceData& Data();

// The characters of a GBK text, two bytes each; nullptr for one that is not
// on the standard list.
std::vector<const CharInfo*> CharsOf(std::string_view gbk);

}  // namespace zu::service
