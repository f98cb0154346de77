// The page texts byte for byte, name escaping and the atomic page write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "naming/page_texts.h"

namespace fs = std::filesystem;
using namespace zu::naming;

namespace {

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/zu-pages-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

}  // namespace

TEST(PageTail, IsTheFixedTextLineByLine) {
    // The 28 lines of the page end, each with the bytes that end it.
    struct Line {
        std::string_view text, end;
    };
    static constexpr std::string_view crlf = "\r\n";
    const Line lines[] = {
        {"<body bgcolor=\"#EDF3F6\">", crlf},
        {"", "\n"},
        {"<body ondragstart=\"window.event.returnValue=false\" oncontextmenu=\"window.event.returnValue=false\" ",
         "\r\r\n"},
        {"onselectstart=\"event.returnValue=false\">", crlf},
        {"", crlf},
        {"<SCRIPT language=JavaScript>", crlf},
        {" var currentpos,timer; ", crlf},
        {" function initialize() { timer=setInterval(\"scrollwindow()\",150);} ", crlf},
        {" function sc(){clearInterval(timer);}", crlf},
        {" function scrollwindow() {currentpos=document.body.scrollTop;window.scroll(0,++currentpos);if "
         "(currentpos != document.body.scrollTop) sc();} ",
         crlf},
        {" document.onmousedown=sc", crlf},
        {" document.ondblclick=initialize", crlf},
        {" ", crlf},
        {"</SCRIPT>", crlf},
        {"", crlf},
        {"", crlf},
        {"<body bgcolor=\"#EDF3F6\">", crlf},
        {"</body>", crlf},
        {"<style> ", crlf},
        {"body ", crlf},
        {"{ ", crlf},
        {"} ", crlf},
        {"body a ", crlf},
        {"{text-decoration:none} ", crlf},
        {"</style>", crlf},
        {"</html>", crlf},
        {"", crlf},
        {"", crlf},
    };
    std::string expected;
    for (const Line& line : lines) expected.append(line.text).append(line.end);
    EXPECT_EQ(PageTail(), expected);
    EXPECT_EQ(PageTail().size(), 672u);
    EXPECT_EQ(Fnv1a(PageTail()), 0xe136a7b06c78fd91ull);
}

TEST(NameLink, IsFivePiecesAroundTheName) {
    const std::string expected =
        "\r\n<a href=\"http://张三##\" onfocus=\"javascript:this.blur();\" style=\"background-color: #EDF3F6;  "
        "border: 1 solid \r\r\n#EDF3F6\" target=\"_blank\"  >张三</a>\r\n\r\n";
    EXPECT_EQ(NameLink("张三"), expected);
    EXPECT_EQ(NameLink("").size(), 18u + 119u + 8u);
    EXPECT_EQ(NameLink("张伟明").size(), 18u + 119u + 8u + 2 * 6u);
}

TEST(NameLink, EscapesExactlyTheFourMarkupCharacters) {
    struct Case {
        std::string_view name, written;
    };
    const Case cases[] = {
        {"\"><script>alert(1)</script>", "&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"A&B", "A&amp;B"},
        {"张'三", "张'三"},  // a single quote cannot end the double-quoted attribute
        {"张三", "张三"},
        // GBK trail bytes start at 0x40, so "<" after a lead byte stands as a
        // character of its own and is markup to the browser.
        {"\x81<", "\x81&lt;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        EXPECT_EQ(EscapeName(c.name), c.written);
        const std::string link = NameLink(c.name);
        EXPECT_NE(link.find("http://" + std::string(c.written) + "##\""), std::string::npos);
        EXPECT_NE(link.find(">" + std::string(c.written) + "</a>"), std::string::npos);
    }
    // The hostile name opens no element and ends no attribute.
    const std::string hostile = NameLink(cases[0].name);
    const std::string plain = NameLink("");
    EXPECT_EQ(hostile.find("<script"), std::string::npos);
    EXPECT_EQ(std::count(hostile.begin(), hostile.end(), '"'), std::count(plain.begin(), plain.end(), '"'));
}

TEST(ListPage, IsHeadLinksAndTail) {
    const std::string links = NameLink("张伟") + NameLink("李娜");
    const std::string page = ListPage(links);
    EXPECT_EQ(page, "<html>\r\n<head>" + links + std::string(PageTail()));
    EXPECT_EQ(ListPage(""), "<html>\r\n<head>" + std::string(PageTail()));
}

TEST(WritePage, ReplacesTheWholeFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = PagePath(dir.path().string(), "/liebiao.html");
    EXPECT_EQ(path, dir.path().string() + "/liebiao.html");

    ASSERT_TRUE(WritePage(path, ListPage(NameLink("张伟") + NameLink("李娜"))));
    ASSERT_TRUE(WritePage(path, PageTail()));
    EXPECT_EQ(ReadFile(path), PageTail());  // a shorter text leaves nothing of the longer one

    const std::string withZero("a\0b", 3);
    ASSERT_TRUE(WritePage(path, withZero));
    EXPECT_EQ(ReadFile(path), withZero);

    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WritePage, AFailedWriteKeepsTheOldFileAndReportsIt) {
    TempDir dir;
    EXPECT_FALSE(WritePage((dir.path() / "missing" / "page.htm").string(), PageTail()));

    const std::string path = (dir.path() / "page.htm").string();
    ASSERT_TRUE(WritePage(path, "old"));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const bool wrote = WritePage(path, "new");
    fs::permissions(dir.path(), fs::perms::owner_all);
    if (geteuid() != 0) {  // root writes into a read-only folder anyway
        EXPECT_FALSE(wrote);
        EXPECT_EQ(ReadFile(path), "old");
    }
}
