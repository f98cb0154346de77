// What the widget tests and the run benchmark of the naming pages share: the
// service's replies as the loopback server sends them, the real main window
// with the naming features installed, and ways to read its panes.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/main_window.h"
#include "naming/pane.h"
#include "naming/reply_reading.h"
#include "naming/scoring_texts.h"
#include "web/codecs.h"

namespace zu::test {

inline QString Q(std::string_view gbk) { return ToQString(gbk); }

// A file's bytes, as they stand (a page file is GBK).
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// GBK text as the list endpoint writes it: "%u" + four hex digits per UTF-16 unit.
inline std::string PercentU(std::string_view gbk) {
    std::string out;
    for (const QChar unit : ToQString(gbk)) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%%u%04X", unit.unicode());
        out += buffer;
    }
    return out;
}

// A list reply that marks every name; the first piece is the page head.
inline std::string ListReplyBody(const std::vector<std::string>& names) {
    std::string body = "<html><body><ul>";
    for (const std::string& name : names)
        body += "<li><a href=\"/x\" " + std::string(naming::kReplyMarker) + PercentU(name) + "</a></li>";
    return body + "</ul></body></html>";
}

// A company reply of pieces: head, the names, then four closing pieces.
inline std::string CompanyReplyBody(const std::vector<std::string>& names) {
    std::string body = "<html><ul>";
    for (const std::string& name : names)
        body += "<li><a href=\"/c\"" + std::string(naming::kCompanyMarker) + name + "</a></li>";
    for (int i = 0; i < 4; ++i) body += "<a href=\"/more\"" + std::string(naming::kCompanyMarker) + "more</a>";
    return body + "</html>";
}

// A scoring reply whose analysis is `analysis`.
inline std::string ScoringReplyBody(std::string_view name, std::string_view analysis) {
    return "<html><body><p>" + std::string(name) + std::string(naming::kAnalysisStartMarker) +
           std::string(analysis) + std::string(naming::kAnalysisEndMarker) + "</p></body></html>";
}

// Waits, handling events, until `done` holds or `ms` pass.
template <typename F>
bool WaitUntil(F done, int ms = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The result of a script in a pane, waited for.
inline QVariant RunScript(QWebEngineView* pane, const QString& script) {
    QVariant result;
    bool done = false;
    pane->page()->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    WaitUntil([&] { return done; }, 10000);
    return result;
}

// The visible texts of the pane's links, as GBK.
inline std::vector<std::string> LinkTexts(QWebEngineView* pane) {
    std::vector<std::string> out;
    const QVariantList texts =
        RunScript(pane, QStringLiteral("Array.from(document.links).map(a => a.textContent)")).toList();
    for (const QVariant& t : texts) out.push_back(ToGbk(t.toString()));
    return out;
}

// True once the pane holds the own page file, fully loaded.
inline bool ShowsOwnPage(QWebEngineView* pane) {
    auto* page = naming::PageOf(pane);
    return page && !page->Loading() && pane->url() == page->OwnAddress() &&
           RunScript(pane, QStringLiteral("document.readyState")).toString() == QStringLiteral("complete");
}

// A real click on the pane's link number `index`, after the pointer rests on
// it, as a user's does, so that the status text names the link.
inline void ClickLink(QWebEngineView* pane, int index) {
    QTRY_VERIFY_WITH_TIMEOUT(RunScript(pane, QStringLiteral("document.links.length")).toInt() > index, 10000);
    const QVariantList r = RunScript(pane, QStringLiteral("(function(){var a=document.links[%1];a.scrollIntoView();"
                                                          "var r=a.getBoundingClientRect();"
                                                          "return [r.left+r.width/2,r.top+r.height/2];})()")
                                               .arg(index))
                               .toList();
    QVERIFY(r.size() == 2);
    const QPoint at(static_cast<int>(r[0].toDouble()), static_cast<int>(r[1].toDouble()));
    QWidget* target = pane->focusProxy();
    QVERIFY(target);
    auto* page = naming::PageOf(pane);
    const QString before = page ? page->HoveredLink() : QString();
    // Sent to the widget: a synthesized cursor move does not reach it offscreen.
    for (const QPoint& p : {at - QPoint(1, 0), at}) {
        QMouseEvent move(QEvent::MouseMove, p, target->mapToGlobal(p), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(target, &move);
    }
    WaitUntil([&] { return !page || page->HoveredLink() != before; }, 3000);
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
}

// Works the main window's controls by their stored names, as a test does.
class WindowDriver {
protected:
    std::unique_ptr<MainWindow> window_;

    QWidget* W() const { return window_.get(); }
    template <typename T = QWidget>
    T* C(std::string_view name) const {
        T* control = Control<T>(W(), name);
        if (!control) qFatal("no control %s", qPrintable(Q(name)));
        return control;
    }
    QWebEngineView* Pane(std::string_view name) const { return C<QWebEngineView>(name); }
    void Set(std::string_view box, std::string_view gbk) { C<QComboBox>(box)->setCurrentText(Q(gbk)); }
    void Click(std::string_view button) { C<QAbstractButton>(button)->click(); }
    void WaitShown(std::string_view pane) { QVERIFY(WaitUntil([&] { return ShowsOwnPage(Pane(pane)); })); }
};

// The retry question, answered by the test: every question box that comes up
// is recorded and answered with the next queued button (No once the queue is
// empty).
class RetryAnswerer : public QObject {
public:
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        Qt::WindowModality modality;
        bool hasParent;
    };
    explicit RetryAnswerer(std::vector<QMessageBox::StandardButton> answers) : answers_(std::move(answers)) {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start();
    }
    const std::vector<Seen>& seen() const { return seen_; }

private:
    void Poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box == last_.data()) return;
        last_ = box;
        seen_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                         box->windowModality(), box->parentWidget() != nullptr});
        const QMessageBox::StandardButton answer = next_ < answers_.size() ? answers_[next_++] : QMessageBox::No;
        // Answered from the event loop, not from inside this timer slot.
        QTimer::singleShot(0, box, [box, answer] { box->button(answer)->click(); });
    }

    std::vector<QMessageBox::StandardButton> answers_;
    std::size_t next_ = 0;
    std::vector<Seen> seen_;
    QPointer<QMessageBox> last_;  // a later box may reuse the address of a finished one
    QTimer timer_;
};

}  // namespace zu::test
