// The eight pages of "选择夹1". Each function fills one page widget with its
// controls; the page is 907 by 530 pixels and the toolbar covers its top 60.
#pragma once

class QWidget;

namespace zu::pages {

void BuildHomePage(QWidget* page);              // 0 "主窗口"
void BuildBabyNamingPage(QWidget* page);        // 1 "宝宝取名"
void BuildParentChildPage(QWidget* page);       // 2 "亲子名"
void BuildSettingsPage(QWidget* page);          // 3 "设置中心"
void BuildScoringPage(QWidget* page);           // 4 "姓名评分"
void BuildCompanyPage(QWidget* page);           // 5 "公司取名"
void BuildGenerationPage(QWidget* page);        // 7 "辈分取名"

}  // namespace zu::pages
