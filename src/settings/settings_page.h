// The settings page (设置中心) and the mode radios that save themselves.
#pragma once

class QWidget;

namespace zu {

// Connects "按钮21" (默认设置), "按钮22" (确认), "按钮23" (取消) and the mode radios
// "单选框1"-"单选框4" of `window` to their handlers.
void InstallSettingsPage(QWidget* window);

}  // namespace zu
