// Placeholder until the settings page lands.
#include "settings/settings_page.h"

namespace zu {
void InstallSettingsPage(QWidget*) {}
}  // namespace zu
