#include "app/layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QWebEngineView>
#include <algorithm>

#include "web/codecs.h"

namespace zu::layout {

namespace {

template <typename W>
W* Named(W* widget, std::string_view name, QRect place) {
    if (!name.empty()) widget->setObjectName(ToQString(name));
    widget->setGeometry(place);
    return widget;
}

// What a screen reader says for a label's buddy: the label without its colon.
QString SpokenLabel(QString text) {
    while (text.endsWith(u':') || text.endsWith(QChar(0xFF1A))) text.chop(1);
    return text.trimmed();
}

}  // namespace

QColor PageColour() { return QColor(237, 243, 246); }

QStringList Years() {
    // From 1960, and at least up to next year: a baby born this year, or due
    // next year, must be listed, whatever the year the program runs in.
    const int last = std::max(2020, QDate::currentDate().year() + 1);
    QStringList items;
    for (int year = 1960; year <= last; ++year) items << QString::number(year);
    return items;
}

QStringList TwoDigits(int from, int to) {
    QStringList items;
    for (int n = from; n <= to; ++n) items << QStringLiteral("%1").arg(n, 2, 10, QChar(u'0'));
    return items;
}

QStringList Counts() {
    return {QStringLiteral("50"),  QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("300"),
            QStringLiteral("400"), QStringLiteral("500"), QStringLiteral("1000")};
}

QStringList Sexes() { return {ToQString("男"), ToQString("女")}; }

QStringList HoursWithUnknown() { return TwoDigits(0, 59) << ToQString("不清楚"); }

QGroupBox* Group(QWidget* parent, std::string_view name, QRect place, std::string_view title) {
    auto* box = Named(new QGroupBox(parent), name, place);
    box->setTitle(ToQString(title));
    box->setAccessibleName(box->title());
    return box;
}

QComboBox* FixedList(QWidget* parent, std::string_view name, QRect place, const QStringList& items) {
    auto* box = Named(new QComboBox(parent), name, place);
    box->setEditable(false);
    box->addItems(items);
    box->setCurrentIndex(0);
    box->setMaxVisibleItems(12);
    return box;
}

QComboBox* EditableList(QWidget* parent, std::string_view name, QRect place, const QStringList& items) {
    auto* box = Named(new QComboBox(parent), name, place);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(QString());
    return box;
}

QLabel* Label(QWidget* parent, std::string_view name, QRect place, std::string_view text,
              QWidget* buddy) {
    auto* label = Named(new QLabel(parent), name, place);
    label->setText(ToQString(text));
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(label->text());
    if (buddy) {
        if (name.empty()) label->setObjectName(QStringLiteral("label:") + buddy->objectName());
        label->setBuddy(buddy);
        if (buddy->accessibleName().isEmpty()) buddy->setAccessibleName(SpokenLabel(label->text()));
    }
    return label;
}

QRadioButton* Radio(QWidget* parent, std::string_view name, QRect place, std::string_view caption,
                    bool checked) {
    auto* radio = Named(new QRadioButton(parent), name, place);
    radio->setText(ToQString(caption));
    radio->setChecked(checked);
    radio->setAccessibleName(radio->text());
    return radio;
}

QCheckBox* Check(QWidget* parent, std::string_view name, QRect place, std::string_view caption,
                 bool checked) {
    auto* check = Named(new QCheckBox(parent), name, place);
    check->setText(ToQString(caption));
    check->setChecked(checked);
    check->setAccessibleName(check->text());
    return check;
}

QPushButton* Button(QWidget* parent, std::string_view name, QRect place, std::string_view caption) {
    auto* button = Named(new QPushButton(parent), name, place);
    button->setText(ToQString(caption));
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
    return button;
}

PictureButton* Picture(QWidget* parent, std::string_view name, QRect place, PictureButton::Look look,
                       std::string_view pictureText) {
    auto* button = Named(new PictureButton(look, parent), name, place);
    button->setAccessibleName(ToQString(pictureText));
    button->setToolTip(look == PictureButton::Look::Tile ? button->accessibleName() : QString());
    return button;
}

QLabel* PictureBox(QWidget* parent, std::string_view name, QRect place, std::string_view description) {
    auto* box = Named(new QLabel(parent), name, place);
    box->setAccessibleName(ToQString(description));
    return box;
}

QWebEngineView* Pane(QWidget* parent, std::string_view name, QRect place, std::string_view description) {
    auto* pane = Named(new QWebEngineView(parent), name, place);
    pane->setAccessibleName(ToQString(description));
    pane->setUrl(QUrl(QStringLiteral("about:blank")));
    return pane;
}

QProgressBar* Progress(QWidget* parent, std::string_view name, QRect place, std::string_view description) {
    auto* bar = Named(new QProgressBar(parent), name, place);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setAccessibleName(ToQString(description));
    return bar;
}

LinkLabel* Link(QWidget* parent, std::string_view name, QRect place, std::string_view caption) {
    auto* link = Named(new LinkLabel(parent), name, place);
    link->setText(ToQString(caption));
    link->setAccessibleName(link->text());
    return link;
}

void Row(QWidget* group, int y, std::string_view labelText, QWidget* control, int labelWidth,
         int controlWidth) {
    constexpr int kLeft = 12, kGap = 4, kHeight = 24;
    Label(group, {}, QRect(kLeft, y, labelWidth, kHeight), labelText, control)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    control->setGeometry(kLeft + labelWidth + kGap, y, controlWidth, kHeight);
}

}  // namespace zu::layout
