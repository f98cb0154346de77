// Cutting and rewriting the naming services' replies, and the conversions
// between GBK and the other encodings the program meets (UTF-8 replies, "%u"
// escapes, the Unicode strings of the widgets).
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "web/text.h"

class QString;

namespace zu {

// The text strictly between the first `start` marker found from `from` on and
// the first `end` marker after it; empty when either is missing. In both
// markers the word "#引号" stands for a double quote.
std::string TextBetween(std::string_view text, std::string_view start, std::string_view end,
                        long from = 1, bool exactCase = false);

struct ReplacePair {
    std::string_view find;
    std::string_view replacement;
};

struct ReplaceOptions {
    std::optional<long> count;  // left out: every occurrence
    long from = 0;              // 0 means 1
    bool exactCase = false;
};

// Applies up to five find/replace pairs in sequence, each to the result of the
// one before. Pairs past the fifth are not applied.
std::string ReplaceSeveral(std::string_view text, std::initializer_list<ReplacePair> pairs,
                           ReplaceOptions options = {});

// "%u"-escaped UTF-16 code units ("%u5F20%u4E09") to GBK text ("张三"). A
// character that GBK cannot hold becomes "?"; a unit 0000 ends the text.
std::string UnescapePercentU(std::string_view text, std::string_view marker = "%u");

// UTF-8 bytes to GBK bytes. Decoding is lenient (a broken sequence becomes one
// "?"), composite sequences are composed first, what GBK cannot hold becomes
// "?", and a zero byte ends the text.
std::string Utf8ToGbk(std::string_view utf8);

// GBK bytes to UTF-8; a byte sequence that is not GBK becomes U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

// The one border between the program's GBK text and the widgets' Unicode.
QString ToQString(std::string_view gbk);
std::string ToGbk(const QString& text);

}  // namespace zu
