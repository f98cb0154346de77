#include "naming/page_texts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace zu::naming {

std::string_view PageTail() {
    static constexpr std::string_view kTail =
        "<body bgcolor=\"#EDF3F6\">\r\n"
        "\n"
        "<body ondragstart=\"window.event.returnValue=false\" "
        "oncontextmenu=\"window.event.returnValue=false\" \r\r\n"
        "onselectstart=\"event.returnValue=false\">\r\n"
        "\r\n"
        "<SCRIPT language=JavaScript>\r\n"
        " var currentpos,timer; \r\n"
        " function initialize() { timer=setInterval(\"scrollwindow()\",150);} \r\n"
        " function sc(){clearInterval(timer);}\r\n"
        " function scrollwindow() {currentpos=document.body.scrollTop;window.scroll(0,++currentpos);"
        "if (currentpos != document.body.scrollTop) sc();} \r\n"
        " document.onmousedown=sc\r\n"
        " document.ondblclick=initialize\r\n"
        " \r\n"
        "</SCRIPT>\r\n"
        "\r\n"
        "\r\n"
        "<body bgcolor=\"#EDF3F6\">\r\n"
        "</body>\r\n"
        "<style> \r\n"
        "body \r\n"
        "{ \r\n"
        "} \r\n"
        "body a \r\n"
        "{text-decoration:none} \r\n"
        "</style>\r\n"
        "</html>\r\n"
        "\r\n"
        "\r\n";
    return kTail;
}

std::string EscapeName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (const char ch : name) {
        switch (ch) {
            case '"': out += "&quot;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            default: out += ch;
        }
    }
    return out;
}

std::string NameLink(std::string_view name) {
    static constexpr std::string_view kOpen = "\r\n<a href=\"http://";
    static constexpr std::string_view kMiddle =
        "##\" onfocus=\"javascript:this.blur();\" style=\"background-color: #EDF3F6;  border: 1 solid "
        "\r\r\n#EDF3F6\" target=\"_blank\"  >";
    static constexpr std::string_view kClose = "</a>\r\n\r\n";
    const std::string escaped = EscapeName(name);
    std::string link;
    link.reserve(kOpen.size() + kMiddle.size() + kClose.size() + 2 * escaped.size());
    link.append(kOpen).append(escaped).append(kMiddle).append(escaped).append(kClose);
    return link;
}

std::string ListPage(std::string_view links) {
    std::string page;
    page.reserve(kListPageHead.size() + links.size() + PageTail().size());
    page.append(kListPageHead).append(links).append(PageTail());
    return page;
}

std::string PagePath(std::string_view runDirectory, std::string_view file) {
    std::string path(runDirectory);
    path.append(file);
    return path;
}

bool WritePage(const std::string& path, std::string_view text) {
    // A unique temporary name in the same folder, so the rename stays on one
    // file system and two writers never share a temporary file. No fsync: a
    // page is a throw-away view, and the rename alone keeps readers from ever
    // seeing half of one.
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fchmod(fd, 0644) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace zu::naming
