// Controls of the main window are found by their stored names ("组合框1",
// "按钮2"), which are their objectNames.
#pragma once

#include <QWidget>
#include <string_view>

#include "web/codecs.h"

namespace zu {

template <typename T = QWidget>
T* Control(const QWidget* window, std::string_view gbkName) {
    return window->findChild<T*>(ToQString(gbkName));
}

}  // namespace zu
