// Building blocks of the main window's layout: each makes one control, names it
// by its stored name (the GBK name turned into its objectName), places it at
// the design's pixels and gives it an accessible name a screen reader can read.
#pragma once

#include <QRect>
#include <QStringList>
#include <string_view>

#include "app/window_parts.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWebEngineView;
class QWidget;

namespace zu::layout {

// The pages' background, RGB (237, 243, 246).
QColor PageColour();

// "1960" to next year (at least "2020"); two-digit numbers; the counts; the sexes.
QStringList Years();
QStringList TwoDigits(int from, int to);
QStringList Counts();
QStringList Sexes();
// "00" to "59", then "不清楚" (the hour lists of pages 1 and 7).
QStringList HoursWithUnknown();

QGroupBox* Group(QWidget* parent, std::string_view name, QRect place, std::string_view title);
QComboBox* FixedList(QWidget* parent, std::string_view name, QRect place, const QStringList& items);
QComboBox* EditableList(QWidget* parent, std::string_view name, QRect place,
                        const QStringList& items = {});
// A label; with a buddy it names the buddy for screen readers, and a label
// without a stored name of its own is called "label:" + the buddy's name.
QLabel* Label(QWidget* parent, std::string_view name, QRect place, std::string_view text,
              QWidget* buddy = nullptr);
QRadioButton* Radio(QWidget* parent, std::string_view name, QRect place, std::string_view caption,
                    bool checked);
QCheckBox* Check(QWidget* parent, std::string_view name, QRect place, std::string_view caption,
                 bool checked);
QPushButton* Button(QWidget* parent, std::string_view name, QRect place, std::string_view caption);
// A picture button without a caption; `pictureText` is what its picture shows.
PictureButton* Picture(QWidget* parent, std::string_view name, QRect place, PictureButton::Look look,
                       std::string_view pictureText);
// A picture box: a plain container (or a picture holder) named for screen readers.
QLabel* PictureBox(QWidget* parent, std::string_view name, QRect place, std::string_view description);
QWebEngineView* Pane(QWidget* parent, std::string_view name, QRect place, std::string_view description);
QProgressBar* Progress(QWidget* parent, std::string_view name, QRect place, std::string_view description);
LinkLabel* Link(QWidget* parent, std::string_view name, QRect place, std::string_view caption);

// One input row of a naming page: the label at the left, the control beside it.
void Row(QWidget* group, int y, std::string_view labelText, QWidget* control, int labelWidth,
         int controlWidth);

}  // namespace zu::layout
