// The result panes: each shows only its own page file, and a click on a name
// link in a list pane is a pick, not a new window.
#pragma once

#include <QWebEnginePage>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace zu::naming {

// What a new-window request in a pane does.
enum class PickForm {
    List,     // NamePicked with the name as it stands
    Company,  // NamePicked, scored without its first "有限公司"
    Browser,  // the scoring pane: the address opens in the user's browser
};

class ResultPage : public QWebEnginePage {
    Q_OBJECT
public:
    ResultPage(QWebEngineProfile* profile, std::string_view ownFile, PickForm form, QWidget* window,
               QObject* parent);

    // The full address of the own page file, as ShowPage sets it.
    QUrl OwnAddress() const;
    // The own address exactly, letter case included.
    bool IsOwnAddress(const QUrl& url) const;
    PickForm Form() const { return form_; }

    // The names of the page the pane was last pointed at, so a pick gives back
    // the name exactly as written even where the link address changed it.
    void SetNames(std::vector<std::string> names) { names_ = std::move(names); }
    // The picked name for a link address ("http://张三/##" or its IDNA form).
    std::string NameForAddress(const QUrl& address) const;
    // The text the pane's status bar last showed for a hovered link.
    QString HoveredLink() const { return hovered_; }
    bool Loading() const { return loading_; }

protected:
    // Only the own page file, byte for byte, letter case included.
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    void OnNewWindow(class QWebEngineNewWindowRequest& request);

    std::string ownFile_;
    PickForm form_;
    QWidget* window_;
    std::vector<std::string> names_;
    QString hovered_;
    bool loading_ = false;
};

// The name a link address carries: the host between "//" and "/##", turned
// back from its IDNA form into GBK text.
std::string NameFromLinkAddress(const QUrl& address);
// The same from the status-bar text of a hovered link.
std::string NameFromHoveredLink(const QString& status);

// The one off-the-record profile of all panes (GBK default encoding, local
// pages cannot reach remote addresses, no script-opened windows), made on
// first use and owned by `window`.
QWebEngineProfile* PaneProfile(QWidget* window);
// Gives the pane a ResultPage of the shared profile (once).
ResultPage* InstallResultPage(QWidget* window, std::string_view paneName, std::string_view ownFile, PickForm form);
ResultPage* PageOf(QWebEngineView* pane);

// The page files carry no charset, so the engine guesses their encoding, and
// for local files it weighs the guess by the user's language: on an English,
// German, Russian, Japanese or Korean desktop a GBK page of names is read as
// windows-1252, windows-1251, Shift_JIS or EUC-KR, whatever the default
// encoding says. The pages are Simplified Chinese whatever the desktop's
// language, so the program speaks zh-CN to the engine. Takes effect only when
// called before the first web view or profile of the process is made.
void UseChinesePageLanguage();

// Points the pane at run directory + file.
void ShowPage(QWebEngineView* pane, std::string_view file);

// Where the scoring pane's new windows go; the user's browser by default.
// Tests put a recorder here so nothing leaves the machine.
void SetExternalOpener(std::function<void(const QUrl&)> opener);

}  // namespace zu::naming
