// Runs the real program (the whole start-up sequence) and, once the window's
// first activation is over, does one thing that a test or a measurement
// needs from outside the process:
//   shell_probe shown          print "shown" and keep running
//   shell_probe close          print "shown", then close the window
//   shell_probe dump           print every named input's state, then quit
//   shell_probe grab FILE [P]  save a picture of the window (showing page P), then quit
//   shell_probe names FILE     name a baby on page 1 (张, a girl born 2024-03-15
//                              at 14), pick the first name, save a picture
//                              of page 1 and one of page 4 (FILE with "-score"
//                              before its extension), then quit
//   shell_probe readback       write a list page of a few names, show it in
//                              pane 1 and print the link texts the pane reads
//                              ("link=张伟", UTF-8), then quit
// ZU_PROBE_RUN_DIR, when set, is used as the run directory.
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <QWebEngineView>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/controls.h"
#include "app/main_window.h"
#include "naming/page_texts.h"
#include "naming/pane.h"
#include "app/startup.h"
#include "settings/paths.h"
#include "web/codecs.h"

namespace {

void Say(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Dump(zu::MainWindow& window) {
    for (QComboBox* box : window.findChildren<QComboBox*>()) {
        Say(box->objectName() + u'=' + box->currentText());
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->isCheckable()) Say(button->objectName() + u'=' + (button->isChecked() ? u'1' : u'0'));
    }
}

void Grab(zu::MainWindow& window, const QString& file) { window.grab().save(file); }

// Fills page 1 as a parent would and starts a run; the pictures are taken once
// the pane has painted the names, and after the first name is scored.
void NameABaby(zu::MainWindow& window, const QString& file) {
    window.SelectPage(1);
    const std::pair<const char*, const char*> entries[] = {{"组合框1", "张"},  {"组合框2", "2024"}, {"组合框3", "03"},
                                                           {"组合框4", "15"},  {"组合框5", "14"},   {"组合框6", "女"},
                                                           {"组合框22", "100"}};
    for (const auto& [box, text] : entries) zu::Control<QComboBox>(&window, box)->setCurrentText(zu::ToQString(text));
    zu::Control<QAbstractButton>(&window, "单选框2")->click();
    zu::Control<QAbstractButton>(&window, "按钮2")->click();
    QTimer::singleShot(2000, &window, [&window, file] {
        Grab(window, file);
        const QFileInfo info(file);
        const QString scored = info.path() + u'/' + info.completeBaseName() + QStringLiteral("-score.") + info.suffix();
        zu::Control<QComboBox>(&window, "组合框7")->setEditText(zu::ToQString("张雨桐"));
        window.SelectPage(4);
        zu::Control<QAbstractButton>(&window, "按钮3")->click();
        QTimer::singleShot(2000, &window, [&window, scored] {
            Grab(window, scored);
            Say(QStringLiteral("grabbed"));
            QCoreApplication::exit(0);
        });
    });
}

// What the pane makes of a charset-less GBK list page, whatever the
// desktop's language.
void ReadBack(zu::MainWindow& window) {
    std::string links;
    for (const char* name : {"张伟", "李娜", "王芳"}) links += zu::naming::NameLink(name);
    zu::naming::WritePage(zu::naming::PagePath(zu::RunDirectory(), zu::naming::kListPageFile),
                          zu::naming::ListPage(links));
    auto* pane = zu::Control<QWebEngineView>(&window, "超文本浏览框1");
    QObject::connect(pane, &QWebEngineView::loadFinished, &window, [pane](bool) {
        pane->page()->runJavaScript(QStringLiteral("Array.from(document.links).map(a => a.textContent)"),
                                    [](const QVariant& texts) {
                                        for (const QVariant& t : texts.toList()) Say(QStringLiteral("link=") + t.toString());
                                        QCoreApplication::exit(0);
                                    });
    });
    zu::naming::ShowPage(pane, zu::naming::kListPageFile);
    pane->reload();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "shown";
    const std::string file = argc > 2 ? argv[2] : "";
    const int page = argc > 3 ? std::atoi(argv[3]) : 0;
    // Tests keep the page files and the updater file out of the build folder.
    if (const char* runDirectory = std::getenv("ZU_PROBE_RUN_DIR")) zu::SetRunDirectory(runDirectory);
    // Qt's own arguments are not ours; hand Qt only the program name.
    int qtArgc = 1;
    return zu::RunProgram(qtArgc, argv, [mode, file, page](zu::MainWindow& window) {
        if (mode == "dump") {
            Dump(window);
            QCoreApplication::exit(0);
        } else if (mode == "readback") {
            ReadBack(window);
        } else if (mode == "names") {
            NameABaby(window, QString::fromLocal8Bit(file.c_str()));
        } else if (mode == "grab") {
            window.SelectPage(page);
            // Give the panes a moment to paint their pages.
            QTimer::singleShot(1500, &window, [&window, file] {
                window.grab().save(QString::fromLocal8Bit(file.c_str()));
                Say(QStringLiteral("grabbed"));
                QCoreApplication::exit(0);
            });
        } else {
            Say(QStringLiteral("shown"));
            if (mode == "close") {
                QTimer::singleShot(0, &window, [&window] {
                    window.close();
                    Say(QStringLiteral("close returned"));  // never reached
                });
            }
        }
    });
}
