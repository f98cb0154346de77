#include "naming/pane.h"

#include <QDesktopServices>
#include <QFile>
#include <QLocale>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "app/controls.h"
#include "naming/page_texts.h"
#include "naming/scoring.h"
#include "naming/scoring_texts.h"
#include "settings/paths.h"
#include "web/codecs.h"

namespace zu::naming {
namespace {

std::function<void(const QUrl&)>& Opener() {
    static std::function<void(const QUrl&)> opener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return opener;
}

QUrl FileAddress(std::string_view file) {
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(PagePath(RunDirectory(), file))));
}

// The address as the status bar shows it: "http://" + host in Unicode + the
// rest, so "http://张三##" reads "http://张三/##".
QString StatusForm(const QUrl& address) {
    const QString host = QUrl::fromAce(address.host(QUrl::FullyEncoded).toLatin1(), QUrl::IgnoreIDNWhitelist);
    // A browser writes an empty path of a web address as "/".
    QString path = address.path(QUrl::FullyDecoded);
    if (path.isEmpty()) path = QStringLiteral("/");
    QString status = address.scheme() + QStringLiteral("://") + host + path;
    if (address.hasFragment()) status += QLatin1Char('#') + address.fragment(QUrl::FullyDecoded);
    return status;
}

}  // namespace

ResultPage::ResultPage(QWebEngineProfile* profile, std::string_view ownFile, PickForm form, QWidget* window,
                       QObject* parent)
    : QWebEnginePage(profile, parent), ownFile_(ownFile), form_(form), window_(window) {
    connect(this, &QWebEnginePage::linkHovered, this, [this](const QString& url) { hovered_ = url; });
    connect(this, &QWebEnginePage::loadStarted, this, [this] { loading_ = true; });
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool) { loading_ = false; });
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { OnNewWindow(request); });
    // The engine does not ask before it shows "about:blank" (by the program or
    // by a script): a pane that ends up anywhere else goes back to its page.
    connect(this, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (!url.isEmpty() && !IsOwnAddress(url)) setUrl(OwnAddress());
    });
}

bool ResultPage::IsOwnAddress(const QUrl& url) const {
    return url.toString(QUrl::FullyEncoded) == OwnAddress().toString(QUrl::FullyEncoded);
}

QUrl ResultPage::OwnAddress() const { return FileAddress(ownFile_); }

bool ResultPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    return IsOwnAddress(url);
}

std::string ResultPage::NameForAddress(const QUrl& address) const {
    // The browser keeps a link's host in IDNA form, which lower-cases ASCII
    // and maps some characters; the written name whose form matches is the
    // one the user clicked.
    const QString ace = address.host(QUrl::FullyEncoded);
    if (!ace.isEmpty()) {
        for (const std::string& name : names_) {
            const QByteArray form = QUrl::toAce(ToQString(name), QUrl::IgnoreIDNWhitelist);
            if (!form.isEmpty() && ace.compare(QLatin1String(form), Qt::CaseInsensitive) == 0) return name;
        }
    }
    return NameFromLinkAddress(address);
}

void ResultPage::OnNewWindow(QWebEngineNewWindowRequest& request) {
    // Not opening the request refuses the window.
    if (form_ == PickForm::Browser) {
        Opener()(request.requestedUrl());
        return;
    }
    std::string name = NameForAddress(request.requestedUrl());
    if (name.empty() && !hovered_.isEmpty()) name = NameForAddress(QUrl(hovered_));
    NamePicked(window_, name, form_ == PickForm::Company);
}

std::string NameFromLinkAddress(const QUrl& address) {
    if (!address.isValid() || address.host().isEmpty()) return {};
    return PickedNameFromStatus(ToGbk(StatusForm(address)));
}

std::string NameFromHoveredLink(const QString& status) { return NameFromLinkAddress(QUrl(status)); }

QWebEngineProfile* PaneProfile(QWidget* window) {
    static const QString kName = QStringLiteral("zuPaneProfile");
    if (auto* existing = window->findChild<QWebEngineProfile*>(kName, Qt::FindDirectChildrenOnly)) return existing;
    auto* profile = new QWebEngineProfile(window);  // no storage name: off the record
    profile->setObjectName(kName);
    QWebEngineSettings* s = profile->settings();
    s->setDefaultTextEncoding(QStringLiteral("GBK"));
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // Only a user's click opens a window (a pick); a script in a page cannot.
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    return profile;
}

ResultPage* InstallResultPage(QWidget* window, std::string_view paneName, std::string_view ownFile, PickForm form) {
    auto* pane = Control<QWebEngineView>(window, paneName);
    if (!pane) return nullptr;
    if (auto* page = PageOf(pane)) return page;
    auto* page = new ResultPage(PaneProfile(window), ownFile, form, window, pane);
    pane->setPage(page);
    return page;
}

ResultPage* PageOf(QWebEngineView* pane) { return pane ? qobject_cast<ResultPage*>(pane->page()) : nullptr; }

void ShowPage(QWebEngineView* pane, std::string_view file) {
    if (pane) pane->setUrl(FileAddress(file));
}

void UseChinesePageLanguage() {
    // The engine takes its language from the default locale when it starts.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
}

void SetExternalOpener(std::function<void(const QUrl&)> opener) { Opener() = std::move(opener); }

}  // namespace zu::naming
