// The update check and the updater file beside the program.
#pragma once

namespace zu {

// Compares the published version with the program's own and starts the updater
// when they differ; silent at start-up, with a box when the user asked.
void CheckForUpdate(bool silent);
// Ends a running updater and deletes its file (a missing file is fine).
void DeleteUpdaterFile();
// Ends a running updater and writes the carried updater program beside the program.
void WriteUpdaterFile();

}  // namespace zu
