#include "naming/reply_reading.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "web/codecs.h"
#include "web/text.h"

namespace zu::naming {
namespace {

int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    const double t = std::trunc(value);
    if (t >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (t <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(t);
}

void Call(const std::function<void()>& f) {
    if (f) f();
}

}  // namespace

std::string ListQuery(std::string_view base, const ListQueryValues& v) {
    std::string q(base);
    q.append("/mzdq/ajax_result.asp?keyword=").append(v.surname);
    q.append("&n=").append(v.year);
    q.append("&y=").append(v.month);
    q.append("&r=").append(v.day);
    q.append("&s=").append(v.hour);
    q.append("&xb=").append(v.sex);
    q.append("&searchType=report");
    return q;
}

std::string CompanyQuery(std::string_view base, bool threeCharacters) {
    return std::string(base) + (threeCharacters ? "/gongsiqiming/?words=3" : "/gongsiqiming/?words=2");
}

double CountValue(std::string_view text) {
    // The leading number of the text, as a text-to-number reading takes it;
    // nothing numeric gives 0.
    const std::string s(text::FromBytes(text));
    const char* begin = s.c_str();
    while (*begin == ' ' || *begin == '\t') ++begin;
    // Only decimal forms: strtod would also read "inf", "nan" and hex.
    const char* p = begin;
    if (*p == '+' || *p == '-') ++p;
    if (!((*p >= '0' && *p <= '9') || (*p == '.' && p[1] >= '0' && p[1] <= '9'))) return 0;
    for (const char* q = p; *q; ++q) {
        if (*q == 'x' || *q == 'X') {
            // Cut a hex form ("0x10") back to its leading "0".
            return std::strtod(std::string(begin, q).c_str(), nullptr);
        }
    }
    const double v = std::strtod(begin, nullptr);
    return std::isfinite(v) ? v : 0;
}

int BatchCount(double count) {
    if (count - 100 < -0.0000001) return 1;
    return TruncateToInt(count / 53);
}

int ProgressMaximum(double count, double offset) { return TruncateToInt(count - offset); }

std::string ProgressLabel(int maximum, int position) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g|%d", static_cast<double>(maximum) + 5, position);
    return buffer;
}

bool ReadReply(std::string_view replyBytes, const NameRules& rules,
               const std::function<void(const std::string& name)>& onName, const ReplyHooks& hooks) {
    const std::string reply = text::FromBytes(replyBytes);
    const std::vector<std::string> pieces = text::Split(reply, kReplyMarker);
    if (pieces.size() < 2) return false;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        Call(hooks.pump);
        Call(hooks.piece);
        Call(hooks.pump);
        const std::string& piece = pieces[i];
        if (!text::Contains(piece, "<")) continue;
        const std::vector<std::string> parts = text::Split(piece, "<");
        Call(hooks.pump);
        if (rules.needsTwoParts && parts.size() < 2) continue;
        const std::string decoded = UnescapePercentU(parts.empty() ? std::string() : parts.front());
        Call(hooks.pump);
        onName(rules.name ? rules.name(decoded) : decoded);
        Call(hooks.pump);
    }
    return true;
}

CompanyReply ReadCompanyReply(std::string_view reply) {
    CompanyReply out;
    const std::vector<std::string> pieces = text::Split(reply, kCompanyMarker);
    if (pieces.size() < 2) {
        out.failed = true;
        return out;
    }
    // 0-based pieces 1 .. n - 5 are the 1-based pieces 2 .. n - 4.
    for (std::size_t i = 1; i + 4 < pieces.size(); ++i) {
        ++out.steps;
        const std::string& piece = pieces[i];
        if (piece.empty()) continue;
        const std::vector<std::string> parts = text::Split(piece, "<");
        const std::string first = parts.empty() ? std::string() : parts.front();
        out.names.push_back(first + std::string(kCompanySuffix));
    }
    return out;
}

bool ResultChecks(std::string_view links) {
    if (text::Contains(links, "?")) return false;
    if (links.empty()) return false;
    if (text::Contains(links, "xn--")) return false;
    return true;
}

}  // namespace zu::naming
