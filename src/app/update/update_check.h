// The update check and the updater file beside the program.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zu {

// Compares the published version with the program's own and starts the updater
// when they differ; silent at start-up, with a box when the user asked.
void CheckForUpdate(bool silent);
// Ends a running updater and deletes its file (a missing file is fine).
void DeleteUpdaterFile();
// Ends a running updater and writes the carried updater program beside the program.
void WriteUpdaterFile();

// The updater's file name in the run directory, and its executable name.
inline constexpr std::string_view kUpdaterFileName = "LiveUpdate";
// Run directory + "/LiveUpdate".
std::string UpdaterFilePath();

// Title of the check's boxes, and the note shown by an interactive check when the
// published version could not be read (no update server configured, the page
// unreachable or without its markers).
inline constexpr std::string_view kUpdateNoteTitle = "温馨提示";
inline constexpr std::string_view kVersionUnknownNote = "无法读取最新发布的版本号，暂时无法检测升级。";

// Shows one note of the interactive check (GBK title and text). The default is
// an application-modal information box without an owner; with the environment
// variable ZU_AUTO_ACCEPT_BOXES set (tests only) the note is written to stderr
// and accepted at once. Tests install their own to read the note; an empty
// function restores the default.
using UpdateNoteBox = std::function<void(const std::string& title, const std::string& text)>;
void SetUpdateNoteBox(UpdateNoteBox box);

}  // namespace zu
