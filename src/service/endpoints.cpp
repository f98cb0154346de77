#include "service/endpoints.h"

#include <cstdio>
#include <optional>

#include "service/names.h"
#include "service/numerology.h"
#include "service/service_data.h"
#include "web/codecs.h"
#include "web/text.h"

namespace zu::service {
namespace {

constexpr std::string_view kAnalysisStart = "，您好，以下是卜易居为您进行的姓名测试打分解析：";
constexpr std::string_view kAnalysisEnd = "</font></b>";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ValidGbk(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) continue;
        if (b == 0x80 || b == 0xFF || i + 1 >= s.size()) return false;
        const auto t = static_cast<unsigned char>(s[++i]);
        if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
    }
    return true;
}

// UTF-8 whose characters are all ASCII or CJK ideographs: what another client
// sends when it writes a Chinese name in UTF-8.
bool ChineseUtf8(std::string_view s) {
    bool nonAscii = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) { ++i; continue; }
        if ((b & 0xF0) != 0xE0 || i + 2 >= s.size()) return false;
        const auto c1 = static_cast<unsigned char>(s[i + 1]), c2 = static_cast<unsigned char>(s[i + 2]);
        if ((c1 & 0xC0) != 0x80 || (c2 & 0xC0) != 0x80) return false;
        const char32_t cp = (char32_t(b & 0x0F) << 12) | (char32_t(c1 & 0x3F) << 6) | (c2 & 0x3F);
        if (cp < 0x3400 || cp > 0x9FFF) return false;
        nonAscii = true;
        i += 3;
    }
    return nonAscii;
}

bool AllKnownChars(std::string_view gbk) {
    if (gbk.empty() || gbk.size() % 2) return false;
    for (std::size_t i = 0; i < gbk.size(); i += 2)
        if (static_cast<unsigned char>(gbk[i]) < 0x80 || !Data().Find(CodeOf(gbk, i))) return false;
    return true;
}

std::optional<std::vector<const CharInfo*>> KnownChars(std::string_view gbk) {
    if (!AllKnownChars(gbk)) return std::nullopt;
    return CharsOf(gbk);
}

std::optional<int> Number(const std::string& s, int low, int high) {
    if (s.empty() || s.size() > 4) return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) return std::nullopt;
    return v;
}

const std::string* Value(const std::map<std::string, std::string>& q, const char* key) {
    const auto it = q.find(key);
    return it == q.end() ? nullptr : &it->second;
}

EndpointReply Refusal(int status, std::string_view why) {
    return {status, "<html><head><title>" + std::to_string(status) + "</title></head><body><p>" +
                        std::string(why) + "</p></body></html>\r\n"};
}

std::string PercentU(const std::string& gbk) {
    std::string out;
    char buf[8];
    for (std::size_t i = 0; i + 1 < gbk.size(); i += 2) {
        const CharInfo* c = Data().Find(CodeOf(gbk, i));
        std::snprintf(buf, sizeof buf, "%%u%04X", c ? static_cast<unsigned>(c->codePoint) : 0x3Fu);
        out += buf;
    }
    return out;
}

std::string ElementCounts(const Pillars& p) {
    std::string s;
    for (int i = 0; i < kElementCount; ++i)
        s += std::string(ElementName(static_cast<Element>(i))) + std::to_string(p.elementCount[i]) + " ";
    return s;
}

}  // namespace

std::string DecodeQueryValue(std::string_view raw) {
    std::string bytes;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size() && HexDigit(raw[i + 1]) >= 0 && HexDigit(raw[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigit(raw[i + 1]) * 16 + HexDigit(raw[i + 2]));
            i += 2;
        } else {
            bytes += raw[i];
        }
    }
    // GBK is what the program's own client sends. A value that is not GBK of
    // known characters but is Chinese in UTF-8 comes from another client.
    if (ValidGbk(bytes) && (AllKnownChars(bytes) || !ChineseUtf8(bytes))) return bytes;
    if (ChineseUtf8(bytes)) return Utf8ToGbk(bytes);
    return bytes;
}

std::map<std::string, std::string> ParseQuery(std::string_view target) {
    std::map<std::string, std::string> q;
    const std::size_t mark = target.find('?');
    if (mark == std::string_view::npos) return q;
    std::string_view rest = target.substr(mark + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        const std::size_t eq = pair.find('=');
        const std::string key(pair.substr(0, eq));
        if (!key.empty() && !q.count(key))
            q.emplace(key, eq == std::string_view::npos ? std::string() : DecodeQueryValue(pair.substr(eq + 1)));
        if (amp == std::string_view::npos) break;
        rest = rest.substr(amp + 1);
    }
    return q;
}

EndpointReply ListEndpoint(const std::map<std::string, std::string>& q, std::mt19937_64& rng) {
    const auto* keyword = Value(q, "keyword");
    const auto *n = Value(q, "n"), *y = Value(q, "y"), *r = Value(q, "r"), *s = Value(q, "s");
    const auto* xb = Value(q, "xb");
    const auto* type = Value(q, "searchType");
    if (!keyword || !n || !y || !r || !s || !xb || !type || *type != "report")
        return Refusal(400, "缺少查询项");
    const auto surname = KnownChars(*keyword);
    if (!surname || surname->size() > 2) return Refusal(400, "姓氏须为一到两个规范汉字");
    const auto year = Number(*n, 1900, 2100), month = Number(*y, 1, 12), day = Number(*r, 1, 31);
    if (!year || !month || !day || !ValidDate(*year, *month, *day)) return Refusal(400, "出生日期有误");
    std::optional<int> hour;
    if (const auto h = Number(*s, 0, 59)) {
        if (*h <= 23) hour = *h;  // 24 to 59 leave the hour unknown, as does 不清楚
    } else if (*s != "不清楚") {
        return Refusal(400, "出生时辰有误");
    }
    if (*xb != "男" && *xb != "女") return Refusal(400, "性别须为男或女");

    NameRequest req;
    req.surname = *surname;
    req.sex = *xb == "男" ? Sex::Boy : Sex::Girl;
    req.pillars = FourPillars(*year, *month, *day, hour);
    const auto names = ProposeNames(req, rng);

    std::string body = "<html><head><title>名字大全</title></head><body>\r\n<div class=\"bazi\">八字：";
    body += PillarText(req.pillars.year) + " " + PillarText(req.pillars.month) + " " +
            PillarText(req.pillars.day) + " " + (req.pillars.hour ? PillarText(*req.pillars.hour) : "时辰不详");
    body += "　五行：" + ElementCounts(req.pillars) + "　喜用：";
    for (Element e : FavouredElements(req.pillars)) body += ElementName(e);
    body += "</div>\r\n<ul>\r\n";
    for (const auto& name : names) {
        body += "<li><a href=\"#\" target=_blank>·" + PercentU(name.text) + "</a> " + std::to_string(name.score) +
                "分" + (name.poetry ? "（" + name.poetry->source + "）" : "") + "</li>\r\n";
    }
    body += "</ul>\r\n</body></html>\r\n";
    return {200, std::move(body)};
}

EndpointReply CompanyEndpoint(const std::map<std::string, std::string>& q, std::mt19937_64& rng) {
    const auto* words = Value(q, "words");
    if (!words || (*words != "2" && *words != "3")) return Refusal(400, "字数须为2或3");
    const auto names = ProposeCompanyNames(*words == "2" ? 2 : 3, rng);
    std::string body = "<html><head><title>公司起名</title></head><body>\r\n<div class=\"names\">\r\n";
    for (const auto& name : names) body += "<a href=\"#\" target=\"_blank\">" + name + "</a>\r\n";
    // Four links that are not names close the page, as the client expects.
    body += "</div>\r\n<div class=\"nav\"><a href=\"/gongsiqiming/?words=2\" target=\"_blank\">两字公司名</a> "
            "<a href=\"/gongsiqiming/?words=3\" target=\"_blank\">三字公司名</a> "
            "<a href=\"/mzdq/\" target=\"_blank\">宝宝起名</a> "
            "<a href=\"/show.asp\" target=\"_blank\">姓名测试</a></div>\r\n</body></html>\r\n";
    return {200, std::move(body)};
}

std::string NameAnalysis(std::string_view surnameText, std::string_view givenText, std::string_view selfBase) {
    const std::string base(selfBase);
    const std::string site = base.rfind("http://", 0) == 0 ? base.substr(7) : base;
    std::string a = "<table class=\"analysis\" width=\"100%\" border=\"0\">\r\n";
    // The service's attribution and credit, as an outside service words them.
    const std::string attribution = "根据卜易居<a href=\"" + base + "/\" style=\"color:#000;\">名字测试打分</a>(" +
                                    base + ")，";
    const std::string credit = "  <td colspan=2 style=\"font-size:11px;\">(<a href=\"" + base + "/qiming/" +
                               "\" style=\"color:#000;\">起名网免费取名</a>:" + site + "/qiming/" + ")";

    const auto surname = KnownChars(surnameText);
    const auto given = KnownChars(givenText);
    const std::string full = std::string(surnameText) + std::string(givenText);
    if (!surname || !given || surname->size() > 2 || given->size() > 2) {
        a += "<tr><td colspan=2>" + attribution + "「" + text::Replace(full, "<", "&lt;") +
             "」不是由规范汉字组成的姓名（姓一到两个字，名一到两个字），无法按康熙笔画测算，也就无从评分。</td></tr>\r\n";
        a += "<tr>\r\n" + credit + "</td>\r\n</tr>\r\n</table>\r\n";
        return a;
    }
    a += "<tr><td colspan=2>" + attribution + "姓名「" + full + "」的测算如下。</td></tr>\r\n";
    a += "<tr><td colspan=2><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">"
         "<tr><th>字</th><th>繁体</th><th>拼音</th><th>康熙笔画</th><th>五行</th><th>字义</th></tr>\r\n";
    std::vector<const CharInfo*> all(*surname);
    all.insert(all.end(), given->begin(), given->end());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const CharInfo* c = all[i];
        const std::string meaning = i < surname->size() ? "姓氏" : Data().MeaningOf(CodeOf(c->text));
        a += "<tr><td>" + c->text + "</td><td>" + c->traditional + "</td><td>" + c->reading + "</td><td>" +
             std::to_string(c->kangxi) + "</td><td>" + std::string(ElementName(c->element)) + "</td><td>" +
             (meaning.empty() ? "　" : meaning) + "</td></tr>\r\n";
    }
    a += "</table></td></tr>\r\n";

    std::vector<int> ss, gs, tones;
    for (const auto* c : *surname) ss.push_back(c->kangxi), tones.push_back(c->tone);
    for (const auto* c : *given) gs.push_back(c->kangxi), tones.push_back(c->tone);
    const Grids g = ComputeGrids(ss, gs);
    a += "<tr><td colspan=2><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">"
         "<tr><th>五格</th><th>数理</th><th>五行</th><th>吉凶</th><th>解说</th></tr>\r\n";
    const std::pair<const char*, int> grids[] = {
        {"天格", g.heaven}, {"人格", g.person}, {"地格", g.earth}, {"外格", g.outer}, {"总格", g.total}};
    for (const auto& [label, number] : grids) {
        const NumberText& t = Data().numbers[TableNumber(number)];
        a += std::string("<tr><td>") + label + "</td><td>" + std::to_string(number) + "</td><td>" +
             std::string(ElementName(NumberElement(number))) + "</td><td>" + t.fortune + "</td><td>" + t.text +
             "</td></tr>\r\n";
    }
    a += "</table></td></tr>\r\n";

    const Element h = NumberElement(g.heaven), p = NumberElement(g.person), e = NumberElement(g.earth);
    a += "<tr><td>三才</td><td>" + std::string(ElementName(h)) + std::string(ElementName(p)) +
         std::string(ElementName(e)) + "（" + std::string(TalentsName(TalentsClass(h, p, e))) + "）：" +
         TalentsText(h, p, e) + "</td></tr>\r\n";
    if (const PoetryLine* line = PoetryLineOf(*given))
        a += "<tr><td>出处</td><td>名字取自《" + line->source + "》：“" + line->line + "”</td></tr>\r\n";

    const ScoreParts parts = ScoreOf(g, tones);
    a += "<tr><td>评分</td><td>综合评分：" + std::to_string(parts.Sum()) + "分（人格" + std::to_string(parts.person) +
         "、地格" + std::to_string(parts.earth) + "、总格" + std::to_string(parts.total) + "、外格" +
         std::to_string(parts.outer) + "、三才" + std::to_string(parts.talents) + "、声调" +
         std::to_string(parts.tones) + "）</td></tr>\r\n";
    a += "<tr><td colspan=2>" + std::string(ScoreRuleText()) + "</td></tr>\r\n";
    a += "<tr>\r\n" + credit + "</td>\r\n</tr>\r\n</table>\r\n";
    return a;
}

EndpointReply ScoringEndpoint(const std::map<std::string, std::string>& q, std::string_view selfBase) {
    const auto* surname = Value(q, "youname1");
    const auto* given = Value(q, "youname2");
    if (!surname || !given || !Value(q, "btnAdd") || surname->empty() || given->empty())
        return Refusal(400, "缺少姓名");
    const std::string full = *surname + *given;
    if (full.size() > 64) return Refusal(400, "姓名过长");
    std::string body = "<html><head><title>姓名测试打分</title></head><body>\r\n<b><font color=\"#333333\">" +
                       text::Replace(full, "<", "&lt;") + std::string(kAnalysisStart) +
                       NameAnalysis(*surname, *given, selfBase) + std::string(kAnalysisEnd) +
                       "\r\n</body></html>\r\n";
    return {200, std::move(body)};
}

EndpointReply Answer(std::string_view target, std::string_view selfBase, std::mt19937_64& rng) {
    const std::string_view path = target.substr(0, target.find('?'));
    if (path == "/mzdq/ajax_result.asp") return ListEndpoint(ParseQuery(target), rng);
    if (path == "/gongsiqiming/" || path == "/gongsiqiming") return CompanyEndpoint(ParseQuery(target), rng);
    if (path == "/show.asp") return ScoringEndpoint(ParseQuery(target), selfBase);
    return Refusal(404, "没有这个页面");
}

}  // namespace zu::service
