// LiveUpdate: the updater program that the main program carries, writes
// beside itself and starts when the published version differs from its own.
#include <QApplication>

#include "decoration/decoration.h"
#include "settings/config.h"
#include "updater/updater_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zu::InstallChineseQtTexts();
    zu::LoadSkinLibraries();
    zu::SetConfig(zu::ReadServiceConfig());
    zu::UpdaterWindow window(zu::UpdaterSetup::ForThisProcess());
    window.show();
    return app.exec();
}
