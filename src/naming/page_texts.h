// The result pages the naming features write: their files, their fixed texts
// and the link written for one name. No widgets: the built-in naming service
// reuses these to check its own replies.
//
// Every text is GBK in std::string; every length counts bytes.
#pragma once

#include <string>
#include <string_view>

namespace zu::naming {

// Page files below the run directory. The list page file is shared by the
// baby, parent-child and generation-character panes.
inline constexpr std::string_view kListPageFile = "/temp/liebiao.html";
inline constexpr std::string_view kCompanyPageFile = "/temp/gongsiquming.htm";
inline constexpr std::string_view kAnalysisPageFile = "/temp/xingmingfengxi.htm";

// The fixed end of every page (672 bytes): background colour, no dragging,
// selection or context menu, double-click auto-scroll, links without underline.
// Alone it is the blank page.
std::string_view PageTail();

// What a list page starts with: "<html>\r\n<head>"; the links follow directly.
inline constexpr std::string_view kListPageHead = "<html>\r\n<head>";

// A name as it may stand inside a page that runs script: the four characters
// " < > & become entities, every other byte stays as it is (GBK trail bytes
// are never taken for one of them, because all four are below 0x40).
std::string EscapeName(std::string_view name);

// The link for one name: its target is "http://" + name + "##" (how a pick
// recovers the name) and its visible text the name. The name is escaped with
// EscapeName in both places.
std::string NameLink(std::string_view name);

// "<html>\r\n<head>" + links + PageTail.
std::string ListPage(std::string_view links);

// Full path of a page file: run directory + file name.
std::string PagePath(std::string_view runDirectory, std::string_view file);

// Replaces the file at `path` with the bytes of `text` (no byte-order mark,
// no charset): written whole to a temporary file in the same folder and
// renamed over the old one, so a reader never sees a half-written page.
// Returns false when the page could not be written (the old file then stays).
bool WritePage(const std::string& path, std::string_view text);

}  // namespace zu::naming
