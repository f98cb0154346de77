// GBK text rules shared by every part of the program.
//
// All text of the program is GBK held in std::string: one Chinese character is
// two bytes whose first byte is 0x80 or above. Lengths and positions count bytes,
// and positions are numbered from 1. Searches step over double-byte characters so
// that a match never starts on the second byte of one, and letter-case folding
// touches only the ASCII letters A-Z / a-z that stand as characters of their own
// (a GBK trail byte that happens to equal 'A' is never folded).
//
// These functions never read past the end of their input, whatever bytes it
// holds: a text that ends in the first byte of a double-byte character is walked
// as if that byte were a character of its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zu::text {

enum class Case { Exact, Fold };

// Length of the character that starts at byte i: 2 for a lead byte with a byte
// after it, else 1.
inline std::size_t CharLength(std::string_view text, std::size_t i) {
    return (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size()) ? 2 : 1;
}

// Rule 1. The 1-based position of the first occurrence of `piece` at or after
// `from` (below 1 means 1), or -1. An empty piece is found at position 1 unless
// nothing of the text remains from `from` on.
long Find(std::string_view text, std::string_view piece, long from = 1, Case cs = Case::Exact);
// Rule 1, reverse: the 1-based position of the last occurrence, or -1.
long FindLast(std::string_view text, std::string_view piece, Case cs = Case::Exact);
inline bool Contains(std::string_view text, std::string_view piece, Case cs = Case::Exact) {
    return Find(text, piece, 1, cs) > 0;
}

// Rule 2.
std::string Left(std::string_view text, long n);
std::string Right(std::string_view text, long n);
std::string Mid(std::string_view text, long position, long n);

// Rule 3. Pieces between separators; an empty piece between adjacent separators
// or before a leading one counts, an empty remainder after the last does not, an
// empty text gives no pieces. The separator is matched with exact case.
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// Rule 4. Half-width (0x20) and full-width (A1 A1) spaces; tabs and line breaks stay.
std::string Trim(std::string_view text);
std::string RemoveAllSpaces(std::string_view text);

// Rule 5. Replaces at most `count` occurrences (all when count < 0, none when 0)
// found from position `from` on; the part before `from` is copied unchanged. An
// empty find text or an empty input leaves the text unchanged.
std::string Replace(std::string_view text, std::string_view find, std::string_view replacement,
                    long from = 1, long count = -1, Case cs = Case::Fold);

// Rule 6. Only ASCII letters standing as characters of their own are lowered.
std::string ToLowerAscii(std::string_view text);

// Text taken from bytes: everything up to the first zero byte.
inline std::string FromBytes(std::string_view bytes) {
    const auto zero = bytes.find('\0');
    return std::string(zero == std::string_view::npos ? bytes : bytes.substr(0, zero));
}

}  // namespace zu::text
