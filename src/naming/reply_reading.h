// The naming service's list and company endpoints: the query addresses, how
// many batches a run makes, how a reply is read into names, and the checks on
// a finished run. No widgets: the built-in naming service reuses these to
// check its own replies.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zu::naming {

// Names in a list reply follow this marker as "%u" escapes, up to a "<".
// Its last character is the GBK middle dot (A1 A4).
inline constexpr std::string_view kReplyMarker = "target=_blank>\xA1\xA4";
// Names in a company reply follow this 18-byte marker as plain GBK.
inline constexpr std::string_view kCompanyMarker = "\" target=\"_blank\">";
inline constexpr std::string_view kCompanySuffix = "有限公司";

struct ListQueryValues {
    std::string surname, year, month, day, hour, sex;
};

// base + "/mzdq/ajax_result.asp?keyword=...&n=...&y=...&r=...&s=...&xb=..."
// + "&searchType=report", the values inserted as raw GBK, nothing escaped.
std::string ListQuery(std::string_view base, const ListQueryValues& values);

// "?words=3" for three-character company names, "?words=2" for two.
std::string CompanyQuery(std::string_view base, bool threeCharacters);

// The numeric value of a count box text; a text that is not a number is 0.
double CountValue(std::string_view text);
// One batch below a count of 100, otherwise count / 53, truncated.
int BatchCount(double count);
// The progress maximum: the count (minus `offset`) truncated toward zero,
// held within the range of an int.
int ProgressMaximum(double count, double offset = 0);
// The overlay label: "%.13g" of maximum + 5, "|", the position.
std::string ProgressLabel(int maximum, int position);

// A feature's rules for one reply piece that contains "<".
struct NameRules {
    // The piece's split at "<" must give at least two parts.
    bool needsTwoParts = false;
    // Turns the decoded text before the first "<" into the name to list.
    std::function<std::string(const std::string& decoded)> name;
};

// Called while a reply is read: `piece` before each piece after the first
// (whether or not it yields a name), `pump` at the points where the GUI gets
// to process its events (after the split, the decoding and the append).
struct ReplyHooks {
    std::function<void()> piece;
    std::function<void()> pump;
};

// Reads one list reply (bytes up to the first zero byte): split at
// kReplyMarker, the first piece skipped, each further piece with a "<" cut at
// its first "<", checked, decoded from "%u" escapes and named by `rules`;
// `onName` receives each name in order. Returns false for a failed batch (fewer
// than two pieces), which yields no names.
bool ReadReply(std::string_view replyBytes, const NameRules& rules,
               const std::function<void(const std::string& name)>& onName, const ReplyHooks& hooks = {});

// The names of one company reply, each with kCompanySuffix. The reply is split
// at kCompanyMarker; pieces 2 to n - 4 are names, cut at their first "<" (a
// piece without one is taken whole). An empty piece (two markers side by side)
// gives no name. `steps` is how far the progress advances: one per piece 2 to
// n - 4, named or not.
struct CompanyReply {
    bool failed = false;  // fewer than two pieces
    int steps = 0;
    std::vector<std::string> names;
};
CompanyReply ReadCompanyReply(std::string_view reply);

// The checks on a run's collected links: fail when they contain "?", are empty
// or contain "xn--".
bool ResultChecks(std::string_view links);

}  // namespace zu::naming
