#include "app/update/update_check.h"

#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "app/update/start_program.h"
#include "app/update/version.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "web/codecs.h"

namespace zu {
namespace {

void DefaultNoteBox(const std::string& title, const std::string& text) {
    if (std::getenv("ZU_AUTO_ACCEPT_BOXES") != nullptr) {
        std::fprintf(stderr, "%s: %s\n", GbkToUtf8(title).c_str(), GbkToUtf8(text).c_str());
        return;
    }
    QMessageBox box(QMessageBox::Information, ToQString(title), ToQString(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

UpdateNoteBox& NoteBox() {
    static UpdateNoteBox box;
    return box;
}

void ShowNote(std::string_view text) {
    const std::string title(kUpdateNoteTitle);
    if (NoteBox())
        NoteBox()(title, std::string(text));
    else
        DefaultNoteBox(title, std::string(text));
}

}  // namespace

void SetUpdateNoteBox(UpdateNoteBox box) { NoteBox() = std::move(box); }

std::string UpdaterFilePath() { return RunDirectory() + "/" + std::string(kUpdaterFileName); }

void CheckForUpdate(bool silent) {
    const std::string published = ReadPublishedVersion(Config().updateServer);
    if (published.empty()) {
        // Unknown is not "different": an offline machine must not run the
        // updater at every start.
        if (!silent) ShowNote(kVersionUnknownNote);
        return;
    }
    if (published == kVersionTag) {
        if (!silent) ShowNote("当前版本为最新。无需升级！");
        return;
    }
    // The window stays frozen while the updater runs; a file that cannot be
    // started makes the check return at once, without a message.
    StartProgramAndWait(UpdaterFilePath());
}

}  // namespace zu
