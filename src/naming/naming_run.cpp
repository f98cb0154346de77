#include "naming/naming_run.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QWebEngineView>
#include <algorithm>
#include <filesystem>

#include "app/controls.h"
#include "naming/page_texts.h"
#include "naming/pane.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "settings/settings_store.h"
#include "speech/voice_prompt.h"
#include "web/codecs.h"
#include "web/fetch.h"

namespace zu::naming {
namespace {

bool g_listRunActive = false;

constexpr std::string_view kListPanes[] = {"超文本浏览框1", "超文本浏览框2", "超文本浏览框5"};

// Before the shared list page file is rewritten or removed, the panes that
// were just pointed at it get to finish reading it, so that each keeps the
// document meant for it. Bounded, so a stuck pane cannot hold a run.
void SettleListPanes(QWidget* window) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        bool loading = false;
        for (std::string_view name : kListPanes) {
            const ResultPage* page = PageOf(Control<QWebEngineView>(window, name));
            loading = loading || (page && page->Loading() && page->url() == page->OwnAddress());
        }
        if (!loading || clock.elapsed() > 3000) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

std::string ListPagePath() { return PagePath(RunDirectory(), kListPageFile); }

QWebEngineView* Pane(QWidget* window, const FeaturePoints& f) { return Control<QWebEngineView>(window, f.pane); }

// Rewrites the shared list page file, once the other list panes have read it,
// and points this pane at it.
void ShowListPage(QWidget* window, QWebEngineView* pane, std::string_view page, std::vector<std::string> names) {
    SettleListPanes(window);
    WritePage(ListPagePath(), page);
    if (auto* result = PageOf(pane)) result->SetNames(std::move(names));
    ShowPage(pane, kListPageFile);
}

void BatchFailure(QWidget* window, const FeaturePoints& f) {
    SetVisible(window, {f.overlayPicture, f.overlayLabel}, false);
    SetCaption(window, f.runButton, "重新取名");
    if (f.speaksBatchFailure) VoicePrompt(Caption(window, f.runButton) + "失败·请检查是否网络是否连接·");
}

}  // namespace

void Pump() { QCoreApplication::processEvents(); }

bool ListRunActive() { return g_listRunActive; }
ListRunScope::ListRunScope() { g_listRunActive = true; }
ListRunScope::~ListRunScope() { g_listRunActive = false; }

std::string BoxText(QWidget* window, std::string_view comboBox) {
    auto* box = Control<QComboBox>(window, comboBox);
    return box ? ToGbk(box->currentText()) : std::string();
}

std::string Caption(QWidget* window, std::string_view button) {
    auto* b = Control<QAbstractButton>(window, button);
    return b ? ToGbk(b->text()) : std::string();
}

void SetCaption(QWidget* window, std::string_view widget, std::string_view gbk) {
    QWidget* w = Control(window, widget);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(ToQString(gbk));
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(ToQString(gbk));
}

void SetEnabled(QWidget* window, const std::vector<std::string_view>& names, bool enabled) {
    for (std::string_view name : names)
        if (QWidget* w = Control(window, name)) w->setEnabled(enabled);
}

void SetVisible(QWidget* window, const std::vector<std::string_view>& names, bool visible) {
    for (std::string_view name : names)
        if (QWidget* w = Control(window, name)) w->setVisible(visible);
}

bool Checked(QWidget* window, std::string_view button) {
    auto* b = Control<QAbstractButton>(window, button);
    return b && b->isChecked();
}

void SetBarPosition(QProgressBar* bar, int position) {
    if (bar) bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
}

void AdvanceProgress(QWidget* window, const FeaturePoints& f) {
    auto* bar = Control<QProgressBar>(window, f.progressBar);
    if (!bar) return;
    SetBarPosition(bar, bar->value() + 1);
    SetCaption(window, f.overlayLabel, ProgressLabel(bar->maximum(), bar->value()));
}

void SetFinishedLabel(QWidget* window, std::string_view label, std::string_view barName) {
    auto* bar = Control<QProgressBar>(window, barName);
    if (!bar) return;
    SetCaption(window, label, ProgressLabel(bar->maximum(), bar->maximum() + 5));
}

void ResetPane(QWidget* window, const FeaturePoints& f) {
    QWebEngineView* pane = Pane(window, f);
    ShowListPage(window, pane, PageTail(), {});
    pane->reload();
    pane->setEnabled(false);
    SetVisible(window, {f.overlayPicture}, true);
    SetVisible(window, {f.overlayLabel}, true);
    Pump();
    pane->stop();
    std::error_code ignored;
    std::filesystem::remove(ListPagePath(), ignored);
    if (auto* bar = Control<QProgressBar>(window, f.progressBar)) {
        bar->setValue(0);
        bar->setMaximum(0);
        bar->setValue(0);
    }
}

bool RetryQuestion() {
    QMessageBox box(QMessageBox::Warning, ToQString(kRetryTitle),
                    ToQString("很抱歉，这次取名没有成功。\n是否重新取名？"), QMessageBox::Yes | QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

RunEnd NamingRun(QWidget* window, const FeaturePoints& f) {
    // 1. The surname check (the parent-child page has run its own check).
    if (!f.surnameBox.empty() && BoxText(window, f.surnameBox).empty()) {
        VoicePrompt("姓氏·不能为空·请输入·");
        return RunEnd::Done;
    }
    // 2. The feature's settings.
    for (const auto& [value, box] : f.settings) WriteSetting(value, BoxText(window, box));

    // 3. A blank, disabled pane and a fresh progress count.
    QWebEngineView* pane = Pane(window, f);
    auto* bar = Control<QProgressBar>(window, f.progressBar);
    if (!pane || !bar) return RunEnd::Done;
    ResetPane(window, f);
    std::string links;
    std::vector<std::string> names;

    // 4, 5.
    VoicePrompt("正在" + Caption(window, f.runButton) + "！请稍候！");
    const double count = CountValue(BoxText(window, f.countBox));
    const int batches = BatchCount(count);
    bar->setMaximum(ProgressMaximum(count, f.progressOffset));

    // 6. The batches, each the same query.
    ReplyHooks hooks;
    hooks.piece = [&] { AdvanceProgress(window, f); };
    hooks.pump = Pump;
    for (int batch = 0; batch < batches; ++batch) {
        SetEnabled(window, f.lockSet, false);
        SetCaption(window, f.runButton, "正在取名");
        Pump();
        ListQueryValues values;
        std::string* fields[] = {&values.surname, &values.year, &values.month,
                                 &values.day,     &values.hour, &values.sex};
        for (std::size_t i = 0; i < f.queryBoxes.size(); ++i) *fields[i] = BoxText(window, f.queryBoxes[i]);
        const std::string query = ListQuery(Config().listEndpoint, values);
        const std::string reply = f.fetchText ? WebFetch(query) : WebFetchBytes(query);
        Pump();
        const bool read = ReadReply(
            reply, f.rules,
            [&](const std::string& name) {
                links += NameLink(name);
                names.push_back(name);
            },
            hooks);
        if (!read) {
            BatchFailure(window, f);
            break;
        }
        SetEnabled(window, f.releaseSet, true);
    }

    // 7. The checks decide the ending.
    if (ResultChecks(links)) {
        ShowListPage(window, pane, ListPage(links), std::move(names));
        Pump();
        if (f.successFinish) f.successFinish(window);
        return RunEnd::Done;
    }
    SetCaption(window, f.runButton, "重新取名");
    VoicePrompt("很抱歉·取名遇到小问题·你是否需要重新取名·");
    if (RetryQuestion()) {
        ShowListPage(window, pane, PageTail(), {});
        pane->reload();
        pane->setEnabled(false);
        return RunEnd::Retry;
    }
    if (f.endStep) f.endStep(window);
    return RunEnd::Done;
}

void RunWithRetries(const std::function<RunEnd()>& attempt) {
    while (attempt() == RunEnd::Retry) {
    }
}

}  // namespace zu::naming
