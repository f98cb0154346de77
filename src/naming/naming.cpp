#include "naming/naming.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWebEngineView>
#include <filesystem>

#include "app/controls.h"
#include "naming/company.h"
#include "naming/features.h"
#include "naming/naming_run.h"
#include "naming/page_texts.h"
#include "naming/pane.h"
#include "naming/scoring.h"
#include "settings/paths.h"

namespace zu {
namespace {

using namespace naming;

template <typename Handler>
void OnClick(QWidget* window, std::string_view button, Handler handler) {
    if (auto* b = Control<QAbstractButton>(window, button)) QObject::connect(b, &QAbstractButton::clicked, window, handler);
}

}  // namespace

void InstallNamingFeatures(QWidget* window) {
    for (std::string_view pane : {"超文本浏览框1", "超文本浏览框2", "超文本浏览框5"})
        InstallResultPage(window, pane, kListPageFile, PickForm::List);
    InstallResultPage(window, "超文本浏览框4", kCompanyPageFile, PickForm::Company);
    InstallResultPage(window, "超文本浏览框3", kAnalysisPageFile, PickForm::Browser);

    OnClick(window, "按钮2", [window] { StartBabyNaming(window); });
    OnClick(window, "按钮28", [window] { StartGenerationNaming(window); });
    OnClick(window, "按钮7", [window] { StartParentChildNaming(window); });
    auto* company = CompanyNamingOf(window) ? CompanyNamingOf(window) : new CompanyNaming(window);
    OnClick(window, "按钮6", [company] { company->Start(); });
    OnClick(window, "按钮3", [window] { ScoreFullName(window, BoxText(window, "组合框7")); });

    // Typing a new surname offers a fresh start.
    if (auto* surname = Control<QComboBox>(window, "组合框1"); surname && surname->lineEdit()) {
        QObject::connect(surname->lineEdit(), &QLineEdit::textEdited, window,
                         [window] { SetCaption(window, "按钮2", "开始取名"); });
    }
    if (auto* sex = Control<QComboBox>(window, "组合框14")) {
        QObject::connect(sex, &QComboBox::currentIndexChanged, window, [window, sex] {
            if (sex->isEnabled()) ApplySexToParentBoxes(window);
        });
    }
}

void ApplySexToParentBoxes(QWidget* window) {
    const bool boy = BoxText(window, "组合框14") == "男";
    SetEnabled(window, {"组合框21"}, !boy);
    SetEnabled(window, {"组合框20"}, boy);
    if (auto* father = Control<QCheckBox>(window, "选择框2")) father->setChecked(boy);
    if (auto* mother = Control<QCheckBox>(window, "选择框3")) mother->setChecked(!boy);
}

void WriteBlankPages(QWidget* window) {
    std::error_code ignored;
    std::filesystem::create_directories(RunDirectory() + "/temp", ignored);
    const std::string list = PagePath(RunDirectory(), kListPageFile);
    for (std::string_view pane : {"超文本浏览框1", "超文本浏览框2", "超文本浏览框5"}) {
        WritePage(list, PageTail());
        ShowPage(Control<QWebEngineView>(window, pane), kListPageFile);
    }
    WritePage(PagePath(RunDirectory(), kAnalysisPageFile), PageTail());
    ShowPage(Control<QWebEngineView>(window, "超文本浏览框3"), kAnalysisPageFile);
    WritePage(PagePath(RunDirectory(), kCompanyPageFile), PageTail());
    ShowPage(Control<QWebEngineView>(window, "超文本浏览框4"), kCompanyPageFile);
}

}  // namespace zu
