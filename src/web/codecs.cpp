#include "web/codecs.h"

#include <iconv.h>

#include <QString>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace zu {
namespace {

using text::Case;

// One conversion descriptor per direction and thread, opened on first use.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`; on a sequence it cannot convert, appends `replacement` and
    // skips `skip(rest)` input bytes.
    template <typename Skip>
    std::string Convert(std::string_view in, std::string_view replacement, Skip skip) {
        std::string out;
        if (!ok()) return out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (an incomplete sequence at the end).
            out.resize(std::max(out.size(), used + replacement.size() + 16));
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            const std::size_t n = std::min(srcLeft, std::max<std::size_t>(1, skip(std::string_view(src, srcLeft))));
            src += n;
            srcLeft -= n;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

Iconv& Utf8ToCp936() {
    thread_local Iconv cd("CP936", "UTF-8");
    return cd;
}
Iconv& Cp936ToUtf8() {
    thread_local Iconv cd("UTF-8", "CP936");
    return cd;
}

// Length of the UTF-8 sequence that starts `rest` (1 for a broken lead byte).
std::size_t Utf8SequenceLength(std::string_view rest) {
    const auto c = static_cast<unsigned char>(rest[0]);
    std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return std::min(n, rest.size());
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Lenient UTF-8 decoding: every maximal broken part becomes one U+FFFD; the
// result is well-formed UTF-8. Stops at a zero byte. Reports whether anything
// outside ASCII was seen, so that pure ASCII skips composition.
std::string CleanUtf8(std::string_view in, bool& nonAscii) {
    std::string out;
    out.reserve(in.size());
    nonAscii = false;
    for (std::size_t i = 0; i < in.size();) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c == 0) break;
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        nonAscii = true;
        std::size_t need = 0;
        char32_t cp = 0, min = 0;
        if (c >= 0xC2 && c <= 0xDF) need = 1, cp = c & 0x1F, min = 0x80;
        else if (c >= 0xE0 && c <= 0xEF) need = 2, cp = c & 0x0F, min = 0x800;
        else if (c >= 0xF0 && c <= 0xF4) need = 3, cp = c & 0x07, min = 0x10000;
        std::size_t k = 1;
        for (; need && k <= need && i + k < in.size(); ++k) {
            const auto t = static_cast<unsigned char>(in[i + k]);
            if ((t & 0xC0) != 0x80) break;
            cp = (cp << 6) | (t & 0x3F);
        }
        if (need && k == need + 1 && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
            AppendUtf8(out, cp);
        } else {
            AppendUtf8(out, 0xFFFD);
        }
        i += k;
    }
    return out;
}

std::string Compose(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))
        .normalized(QString::NormalizationForm_C)
        .toUtf8()
        .toStdString();
}

// Well-formed UTF-8 to GBK, "?" for what GBK cannot hold.
std::string CleanUtf8ToGbk(std::string_view utf8) {
    return Utf8ToCp936().Convert(utf8, "?", Utf8SequenceLength);
}

int HexValue(std::string_view digits) {
    int v = 0;
    for (char ch : digits) {
        int d;
        if (ch >= '0' && ch <= '9') d = ch - '0';
        else if (ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
        else break;  // a non-digit ends the number, as a text-to-number reading would
        v = v * 16 + d;
    }
    return v;
}

}  // namespace

std::string TextBetween(std::string_view text, std::string_view start, std::string_view end,
                        long from, bool exactCase) {
    static constexpr std::string_view kQuoteWord = "#引号";
    const std::string s = text::Replace(start, kQuoteWord, "\"", 1, -1, Case::Exact);
    const std::string e = text::Replace(end, kQuoteWord, "\"", 1, -1, Case::Exact);
    const Case cs = exactCase ? Case::Exact : Case::Fold;
    const long at = text::Find(text, s, from, cs);
    if (at < 0) return {};
    const long b = at + static_cast<long>(s.size());
    const long stop = text::Find(text, e, b, cs);
    if (stop < 0) return {};
    return text::Mid(text, b, stop - b);
}

std::string ReplaceSeveral(std::string_view text, std::initializer_list<ReplacePair> pairs,
                           ReplaceOptions options) {
    const long from = options.from == 0 ? 1 : options.from;
    const long count = options.count ? *options.count : -1;
    const Case cs = options.exactCase ? Case::Exact : Case::Fold;
    std::string out(text);
    int applied = 0;
    for (const auto& pair : pairs) {
        if (applied++ == 5) break;
        out = text::Replace(out, pair.find, pair.replacement, from, count, cs);
    }
    return out;
}

std::string UnescapePercentU(std::string_view text, std::string_view marker) {
    const std::string hex = text::Replace(text, marker, "", 1, -1, Case::Exact);
    std::u16string units;
    units.reserve(hex.size() / 4 + 1);
    for (std::size_t i = 0; i < hex.size(); i += 4) {
        const std::string_view piece = std::string_view(hex).substr(i, 4);
        const std::string_view low = piece.size() >= 2 ? piece.substr(piece.size() - 2) : piece;
        const std::string_view high = piece.substr(0, 2);
        const auto lo = static_cast<unsigned>(HexValue(low) & 0xFF);
        const auto hi = static_cast<unsigned>(HexValue(high) & 0xFF);
        const auto unit = static_cast<char16_t>(lo | (hi << 8));
        if (unit == 0) break;  // the buffer is read up to its first zero unit
        units.push_back(unit);
    }
    // UTF-16 to UTF-8 by hand: a lone surrogate becomes U+FFFD, hence "?".
    std::string utf8;
    utf8.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(utf8, cp);
    }
    return CleanUtf8ToGbk(Compose(utf8));
}

std::string Utf8ToGbk(std::string_view utf8) {
    bool nonAscii = false;
    std::string clean = CleanUtf8(utf8, nonAscii);
    if (!nonAscii) return clean;
    return CleanUtf8ToGbk(Compose(clean));
}

std::string GbkToUtf8(std::string_view gbk) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    return Cp936ToUtf8().Convert(gbk, kReplacement, [](std::string_view) { return std::size_t{1}; });
}

QString ToQString(std::string_view gbk) {
    const std::string utf8 = GbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToGbk(const QString& text) {
    const QByteArray utf8 = text.normalized(QString::NormalizationForm_C).toUtf8();
    bool nonAscii = false;
    const std::string clean = CleanUtf8(std::string_view(utf8.constData(), utf8.size()), nonAscii);
    return nonAscii ? CleanUtf8ToGbk(clean) : clean;
}

}  // namespace zu
