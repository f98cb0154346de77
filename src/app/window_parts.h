// Small widgets of the main window that Qt has no exact match for: hyperlink
// labels, the vertical prompt of the help panel, picture buttons that show a
// stand-in until their pictures are set up, and the animation boxes of page 2.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

class QTimer;

namespace zu {

// A label that behaves like a link: pointing-hand cursor, underlined text,
// clicked() on a left press (as the design's hyperlink boxes react to the
// button going down) and on Space/Enter while focused. Its text() stays the
// plain caption, so code that sets the caption or its colour keeps working.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The help panel's narrow prompt: one character per line, the lines spread
// evenly over the label's height so that the whole prompt fits the 231-pixel
// strip whatever the font's line spacing. text() keeps the caption as set,
// "\r\n" separators included.
class VerticalPromptLabel : public QLabel {
    Q_OBJECT
public:
    explicit VerticalPromptLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A button that is drawn from pictures. Until the picture set-up has taken it
// over (it then carries the "PngControl_Type" property), it paints a stand-in
// made of the text its picture shows, its accessible name.
class PictureButton : public QPushButton {
    Q_OBJECT
public:
    enum class Look {
        Tile,    // toolbar page button: the picture text on a soft tile
        Badge,   // small tag in the top-right corner ("荐", "新")
        Ribbon,  // the window's top-left corner ribbon
        Arrow,   // the help panel toggle; points left when the panel is closed
        Dot,     // the voice status icon
    };
    PictureButton(Look look, QWidget* parent = nullptr);

    Look look() const { return look_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look look_;
};

// A decorative animation box: a few petals that turn slowly and pulse. It
// draws a still frame until Start() is called.
class AnimationBox : public QWidget {
    Q_OBJECT
public:
    AnimationBox(int variant, QWidget* parent = nullptr);
    void Start();
    bool running() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int variant_;
    int frame_ = 0;
    QTimer* timer_ = nullptr;
};

}  // namespace zu
