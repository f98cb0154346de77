#include <QApplication>
#include <QMainWindow>

#include "web/codecs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(zu::ToQString("Zu宝宝取名软件V1.0"));
    window.setGeometry(50, 50, 930, 592);
    window.show();
    return app.exec();
}
