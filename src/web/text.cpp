#include "web/text.h"

namespace zu::text {
namespace {

inline unsigned char Fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Does `piece` stand in `text` at byte offset i? Folding applies only to the
// single-byte characters of the piece; both bytes of a double-byte character
// compare exactly.
bool MatchAt(std::string_view text, std::size_t i, std::string_view piece, Case cs) {
    if (piece.size() > text.size() - i) return false;
    if (cs == Case::Exact) return text.compare(i, piece.size(), piece) == 0;
    for (std::size_t k = 0; k < piece.size();) {
        const auto p = static_cast<unsigned char>(piece[k]);
        const auto t = static_cast<unsigned char>(text[i + k]);
        if (p >= 0x80 && k + 1 < piece.size()) {
            if (p != t || piece[k + 1] != text[i + k + 1]) return false;
            k += 2;
        } else {
            if (Fold(p) != Fold(t)) return false;
            k += 1;
        }
    }
    return true;
}

// Byte offset of the first match at a character start at or after `start`, or npos.
std::size_t Scan(std::string_view text, std::string_view piece, std::size_t start, Case cs) {
    if (piece.empty()) return std::string_view::npos;
    const unsigned char first = static_cast<unsigned char>(piece[0]);
    for (std::size_t i = start; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c == first || (cs == Case::Fold && Fold(c) == Fold(first))) && MatchAt(text, i, piece, cs))
            return i;
        i += CharLength(text, i);
    }
    return std::string_view::npos;
}

bool IsSpaceAt(std::string_view text, std::size_t i, std::size_t len) {
    return (len == 1 && text[i] == ' ') ||
           (len == 2 && static_cast<unsigned char>(text[i]) == 0xA1 &&
            static_cast<unsigned char>(text[i + 1]) == 0xA1);
}

}  // namespace

long Find(std::string_view text, std::string_view piece, long from, Case cs) {
    if (from < 1) from = 1;
    const auto start = static_cast<std::size_t>(from - 1);
    if (start >= text.size()) return -1;
    if (piece.empty()) return 1;
    const auto at = Scan(text, piece, start, cs);
    return at == std::string_view::npos ? -1 : static_cast<long>(at) + 1;
}

long FindLast(std::string_view text, std::string_view piece, Case cs) {
    if (text.empty()) return -1;
    if (piece.empty()) return 1;
    long last = -1;
    for (std::size_t at = Scan(text, piece, 0, cs); at != std::string_view::npos;
         at = Scan(text, piece, at + CharLength(text, at), cs)) {
        last = static_cast<long>(at) + 1;
    }
    return last;
}

std::string Left(std::string_view text, long n) {
    if (n <= 0) return {};
    return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string Right(std::string_view text, long n) {
    if (n <= 0) return {};
    const auto k = static_cast<std::size_t>(n);
    return std::string(k >= text.size() ? text : text.substr(text.size() - k));
}

std::string Mid(std::string_view text, long position, long n) {
    if (n <= 0 || position < 1 || static_cast<std::size_t>(position) > text.size()) return {};
    return std::string(text.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(n)));
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t begin = 0;
    for (std::size_t at = Scan(text, separator, 0, Case::Exact); at != std::string_view::npos;
         at = Scan(text, separator, begin, Case::Exact)) {
        pieces.emplace_back(text.substr(begin, at - begin));
        begin = at + separator.size();
    }
    if (begin < text.size()) pieces.emplace_back(text.substr(begin));
    return pieces;
}

std::string Trim(std::string_view text) {
    // Walk the characters once so that A1 A1 is only taken for a space when it
    // really is one character, never the tail of another.
    std::size_t first = std::string_view::npos, end = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto len = CharLength(text, i);
        if (!IsSpaceAt(text, i, len)) {
            if (first == std::string_view::npos) first = i;
            end = i + len;
        }
        i += len;
    }
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, end - first));
}

std::string RemoveAllSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto len = CharLength(text, i);
        if (!IsSpaceAt(text, i, len)) out.append(text.substr(i, len));
        i += len;
    }
    return out;
}

std::string Replace(std::string_view text, std::string_view find, std::string_view replacement,
                    long from, long count, Case cs) {
    if (find.empty() || text.empty() || count == 0) return std::string(text);
    if (from < 1) from = 1;
    const auto start = std::min(static_cast<std::size_t>(from - 1), text.size());
    std::string out;
    out.reserve(text.size());
    out.append(text.substr(0, start));
    std::size_t copied = start;
    long done = 0;
    for (std::size_t at = Scan(text, find, start, cs); at != std::string_view::npos;
         at = Scan(text, find, copied, cs)) {
        out.append(text.substr(copied, at - copied));
        out.append(replacement);
        copied = at + find.size();
        if (count > 0 && ++done == count) break;
    }
    out.append(text.substr(copied));
    return out;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        const auto len = CharLength(out, i);
        if (len == 1) out[i] = static_cast<char>(Fold(static_cast<unsigned char>(out[i])));
        i += len;
    }
    return out;
}

}  // namespace zu::text
