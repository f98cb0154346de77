#include "app/window_parts.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QtMath>

namespace zu {

namespace {

// A picture button counts as drawn once the picture set-up has marked it.
bool TakenOverByPictures(const QWidget* button) {
    return button->property("PngControl_Type").isValid();
}

}  // namespace

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0x1a, 0x5f, 0xb4));
    setPalette(p);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit clicked();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

VerticalPromptLabel::VerticalPromptLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
}

void VerticalPromptLabel::paintEvent(QPaintEvent*) {
    QString shown = text();
    shown.remove(QChar(u'\r'));
    const QStringList lines = shown.split(QChar(u'\n'));
    if (shown.isEmpty() || lines.isEmpty()) return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    const qreal step = qreal(height()) / lines.size();
    for (int i = 0; i < lines.size(); ++i) {
        const QRectF cell(0, i * step, width(), step);
        painter.drawText(cell, Qt::AlignCenter, lines[i]);
    }
}

PictureButton::PictureButton(Look look, QWidget* parent) : QPushButton(parent), look_(look) {
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    if (look == Look::Badge || look == Look::Ribbon || look == Look::Dot) {
        // Decorations only: they never take the focus, and clicks go through to
        // the toolbar button beneath them.
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        unsetCursor();
    }
}

void PictureButton::paintEvent(QPaintEvent* event) {
    if (TakenOverByPictures(this)) return;  // the picture set-up draws it
    if (!text().isEmpty()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QString label = accessibleName();
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    switch (look_) {
    case Look::Tile: {
        const bool hot = underMouse() || isDown();
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, hot ? QColor(0xff, 0xf4, 0xdc) : QColor(0xfd, 0xfe, 0xff));
        g.setColorAt(1, hot ? QColor(0xff, 0xdc, 0x9c) : QColor(0xd9, 0xea, 0xf7));
        p.setPen(QColor(0x9c, 0xbc, 0xd6));
        p.setBrush(g);
        p.drawRoundedRect(r, 8, 8);
        QFont f = font();
        f.setPixelSize(label.size() > 3 ? 13 : 14);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0x2b, 0x4f, 0x72));
        // Two characters a line, as on the pictures: "宝宝" over "取名".
        QString wrapped = label;
        if (label.size() == 4) wrapped = label.left(2) + u'\n' + label.mid(2);
        p.drawText(r, Qt::AlignCenter, wrapped);
        if (hasFocus()) {
            p.setPen(QPen(QColor(0x2b, 0x4f, 0x72), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(r.adjusted(3, 3, -3, -3), 6, 6);
        }
        break;
    }
    case Look::Badge: {
        const QRectF tag(width() - 20, 0, 19, 19);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe5, 0x39, 0x35));
        p.drawEllipse(tag);
        QFont f = font();
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(tag, Qt::AlignCenter, label);
        break;
    }
    case Look::Ribbon: {
        // A band across the corner, from the top edge to the left edge.
        QPainterPath band;
        band.moveTo(28, 0);
        band.lineTo(52, 0);
        band.lineTo(0, 52);
        band.lineTo(0, 28);
        band.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf0, 0x8c, 0x1e));
        p.drawPath(band);
        QFont f = font();
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.translate(20, 20);
        p.rotate(-45);
        p.drawText(QRectF(-30, -7, 60, 14), Qt::AlignCenter, label);
        break;
    }
    case Look::Arrow: {
        // The panel's state is its place: closed panels sit right of 828.
        const bool closed = parentWidget() && parentWidget()->x() != 828;
        p.setPen(QColor(0x9c, 0xbc, 0xd6));
        p.setBrush(QColor(0xd9, 0xea, 0xf7));
        p.drawRoundedRect(r, 3, 3);
        QPainterPath tri;
        const qreal cx = r.center().x(), cy = r.center().y();
        if (closed) {
            tri.moveTo(cx + 3, cy - 5);
            tri.lineTo(cx - 3, cy);
            tri.lineTo(cx + 3, cy + 5);
        } else {
            tri.moveTo(cx - 3, cy - 5);
            tri.lineTo(cx + 3, cy);
            tri.lineTo(cx - 3, cy + 5);
        }
        tri.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2b, 0x4f, 0x72));
        p.drawPath(tri);
        break;
    }
    case Look::Dot:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xb0, 0xb8, 0xc0));
        p.drawEllipse(r.adjusted(1, 1, -1, -1));
        break;
    }
}

AnimationBox::AnimationBox(int variant, QWidget* parent) : QWidget(parent), variant_(variant) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void AnimationBox::Start() {
    if (timer_) return;
    timer_ = new QTimer(this);
    timer_->setInterval(80);
    connect(timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % 360;
        update();
    });
    timer_->start();
}

bool AnimationBox::running() const { return timer_ && timer_->isActive(); }

void AnimationBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal size = qMin(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    // The two boxes turn in opposite directions and pulse out of step.
    const qreal turn = (variant_ == 1 ? 1 : -1) * frame_ * 3.0;
    const qreal pulse = 0.85 + 0.15 * qSin(qDegreesToRadians(frame_ * 8.0 + variant_ * 90.0));
    p.rotate(turn);
    p.scale(pulse, pulse);
    const QColor petal = variant_ == 1 ? QColor(0xf4, 0x8f, 0xb1, 210) : QColor(0x81, 0xc7, 0x84, 210);
    p.setPen(Qt::NoPen);
    p.setBrush(petal);
    const qreal len = size * 0.42, wide = size * 0.2;
    for (int i = 0; i < 5; ++i) {
        p.drawEllipse(QRectF(-wide / 2, -len, wide, len));
        p.rotate(72);
    }
    p.setBrush(QColor(0xff, 0xd5, 0x4f));
    p.drawEllipse(QRectF(-size * 0.1, -size * 0.1, size * 0.2, size * 0.2));
}

}  // namespace zu
