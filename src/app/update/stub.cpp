// Placeholders until the update check lands.
#include "app/update/update_check.h"

namespace zu {
void CheckForUpdate(bool) {}
void DeleteUpdaterFile() {}
void WriteUpdaterFile() {}
}  // namespace zu
