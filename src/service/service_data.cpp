#include "service/service_data.h"

#include <mutex>

#include "web/codecs.h"
#include "web/text.h"

extern "C" {
extern const unsigned char zu_service_chars[];
extern const unsigned long long zu_service_chars_size;
extern const unsigned char zu_service_poetry[];
extern const unsigned long long zu_service_poetry_size;
extern const unsigned char zu_service_boy[];
extern const unsigned long long zu_service_boy_size;
extern const unsigned char zu_service_girl[];
extern const unsigned long long zu_service_girl_size;
extern const unsigned char zu_service_neutral[];
extern const unsigned long long zu_service_neutral_size;
extern const unsigned char zu_service_never[];
extern const unsigned long long zu_service_never_size;
extern const unsigned char zu_service_company[];
extern const unsigned long long zu_service_company_size;
extern const unsigned char zu_service_numbers[];
extern const unsigned long long zu_service_numbers_size;
extern const unsigned char zu_service_traps[];
extern const unsigned long long zu_service_traps_size;
}

namespace zu::service {
namespace {

std::string_view Embedded(const unsigned char* data, unsigned long long size) {
    return {reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)};
}

// The data files are UTF-8; the service works in GBK, so each file is
// converted once, whole. Every text in them is one that GBK holds (the
// generator checks), so lines and fields keep their places.
std::vector<std::vector<std::string>> Rows(std::string_view utf8, char separator) {
    const std::string gbk = Utf8ToGbk(utf8);
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : text::Split(gbk, "\n")) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        if (separator == '\t') {
            fields = text::Split(line, "\t");
        } else {
            // "字 含义": the first character, then the rest after the blank.
            const std::size_t blank = line.find(' ');
            fields.push_back(line.substr(0, blank));
            if (blank != std::string::npos) fields.push_back(line.substr(blank + 1));
        }
        rows.push_back(std::move(fields));
    }
    return rows;
}

char32_t FirstCodePoint(std::string_view utf8) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    if (utf8.size() >= 3 && (b(0) & 0xF0) == 0xE0)
        return (char32_t(b(0) & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | char32_t(b(2) & 0x3F);
    if (utf8.size() >= 4 && (b(0) & 0xF8) == 0xF0)
        return (char32_t(b(0) & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) |
               (char32_t(b(2) & 0x3F) << 6) | char32_t(b(3) & 0x3F);
    return b(0);
}

Element ElementFromName(std::string_view name) {
    for (int i = 0; i < kElementCount; ++i)
        if (ElementName(static_cast<Element>(i)) == name) return static_cast<Element>(i);
    return Element::Earth;
}

void LoadChars(ServiceData& d) {
    const std::string_view utf8 = Embedded(zu_service_chars, zu_service_chars_size);
    // The code points come from the UTF-8 lines, in the same order as the rows.
    std::vector<char32_t> points;
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t end = utf8.find('\n', at);
        if (end == std::string_view::npos) end = utf8.size();
        if (end > at && utf8[at] != '#') points.push_back(FirstCodePoint(utf8.substr(at, end - at)));
        at = end + 1;
    }
    const auto rows = Rows(utf8, '\t');
    for (std::size_t i = 0; i < rows.size() && i < points.size(); ++i) {
        const auto& r = rows[i];
        if (r.size() < 7 || r[0].size() != 2) continue;
        CharInfo c;
        c.text = r[0];
        c.codePoint = points[i];
        c.reading = r[1];
        c.syllable = r[2];
        c.tone = std::stoi(r[3]);
        c.kangxi = std::stoi(r[4]);
        c.element = ElementFromName(r[5]);
        c.traditional = r[6];
        d.chars.emplace(CodeOf(c.text), std::move(c));
    }
}

void LoadList(std::unordered_map<CharCode, std::string>& list, std::string_view utf8) {
    for (auto& r : Rows(utf8, ' '))
        if (r[0].size() == 2) list.emplace(CodeOf(r[0]), r.size() > 1 ? r[1] : std::string());
}

ServiceData Load() {
    ServiceData d;
    LoadChars(d);
    LoadList(d.boy, Embedded(zu_service_boy, zu_service_boy_size));
    LoadList(d.girl, Embedded(zu_service_girl, zu_service_girl_size));
    LoadList(d.neutral, Embedded(zu_service_neutral, zu_service_neutral_size));
    LoadList(d.company, Embedded(zu_service_company, zu_service_company_size));
    std::unordered_map<CharCode, std::string> never;
    LoadList(never, Embedded(zu_service_never, zu_service_never_size));
    for (const auto& [code, reason] : never) d.never.insert(code);

    d.numbers.resize(82);
    for (auto& r : Rows(Embedded(zu_service_numbers, zu_service_numbers_size), '\t')) {
        const int n = r.size() >= 3 ? std::atoi(r[0].c_str()) : 0;
        if (n >= 1 && n <= 81) d.numbers[n] = {r[1], r[2]};
    }
    for (auto& r : Rows(Embedded(zu_service_traps, zu_service_traps_size), '\t'))
        d.soundTraps.push_back(text::Split(r[0], " "));
    for (auto& r : Rows(Embedded(zu_service_poetry, zu_service_poetry_size), '\t'))
        if (r.size() >= 2) d.poetry.push_back({r[0], r[1]});
    return d;
}

}  // namespace

std::string_view ElementName(Element e) {
    static constexpr std::string_view kNames[] = {"木", "火", "土", "金", "水"};
    return kNames[static_cast<int>(e)];
}

std::string ServiceData::MeaningOf(CharCode code) const {
    for (const auto* list : {&boy, &girl, &neutral}) {
        const auto it = list->find(code);
        if (it != list->end()) return it->second;
    }
    return {};
}

const ServiceData& Data() {
    static const ServiceData data = Load();
    return data;
}

std::vector<const CharInfo*> CharsOf(std::string_view gbk) {
    std::vector<const CharInfo*> out;
    for (std::size_t i = 0; i + 1 < gbk.size(); i += 2) out.push_back(Data().Find(CodeOf(gbk, i)));
    return out;
}

}  // namespace zu::service
