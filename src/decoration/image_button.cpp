#include "decoration/image_button.h"

#include <QAbstractButton>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

namespace zu {
namespace {

constexpr char kTypeProperty[] = "PngControl_Type";
constexpr char kStateProperty[] = "Vireo_DrawState";
constexpr char kFocusProperty[] = "PngControl_IsFoucs";
constexpr int kImageButtonType = 3;

// One picture of a state, decoded at scale 1 and, when given, at scale 2.
struct Picture {
    QPixmap x1, x2;
    bool IsNull() const { return x1.isNull() && x2.isNull(); }
    const QPixmap& For(qreal scale) const {
        if (scale > 1.0 && !x2.isNull()) return x2;
        return x1.isNull() ? x2 : x1;
    }
};

Picture Decode(const ButtonPicture& given) {
    Picture p;
    if (!p.x1.loadFromData(given.png, "PNG")) p.x1 = QPixmap();
    if (!given.png2x.isEmpty() && p.x2.loadFromData(given.png2x, "PNG")) p.x2.setDevicePixelRatio(2.0);
    else p.x2 = QPixmap();
    // A scale-2 picture alone is a picture; one whose scale-1 form is broken is not.
    if (p.x1.isNull()) p.x2 = QPixmap();
    return p;
}

// Draws a button from its pictures and follows the mouse, the keyboard focus
// and the enabled state. It lives as a child of its button, so it goes with it.
class ImageButton : public QObject {
public:
    explicit ImageButton(QAbstractButton* button) : QObject(button), button_(button) {
        setObjectName(QStringLiteral("PngControl"));
        button->installEventFilter(this);
        connect(button, &QAbstractButton::pressed, this, [this] { SetState(DrawState::Pressed); });
        connect(button, &QAbstractButton::released, this, [this] {
            if (button_->isEnabled()) SetState(focus_ ? DrawState::Hover : DrawState::Normal);
        });
        focus_ = button->hasFocus();
        button->setProperty(kFocusProperty, focus_ ? 1 : 0);
        SetState(button->isEnabled() ? DrawState::Normal : DrawState::Disabled);
    }

    void SetPicture(int state, const std::optional<ButtonPicture>& given) {
        if (given) pictures_[state] = Decode(*given);
    }

    DrawState State() const { return state_; }

    void SetState(DrawState s) {
        state_ = s;
        button_->setProperty(kStateProperty, static_cast<int>(s));
        button_->update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != button_) return false;
        switch (e->type()) {
            case QEvent::Paint:
                Paint();
                return true;
            case QEvent::FocusIn:
                focus_ = true;
                button_->setProperty(kFocusProperty, 1);
                if (state_ == DrawState::Pressed) SetState(DrawState::Hover);
                break;
            case QEvent::FocusOut:
                focus_ = false;
                button_->setProperty(kFocusProperty, 0);
                if (state_ == DrawState::Hover) SetState(DrawState::Normal);
                break;
            case QEvent::EnabledChange:
                SetState(button_->isEnabled() ? DrawState::Normal : DrawState::Disabled);
                break;
            case QEvent::Enter:
            case QEvent::MouseMove:
                if (button_->isEnabled() && state_ != DrawState::Hover && state_ != DrawState::Pressed)
                    SetState(DrawState::Hover);
                break;
            case QEvent::Leave:
                if (button_->isEnabled()) SetState(DrawState::Normal);
                break;
            case QEvent::MouseButtonRelease:
                return Release(static_cast<QMouseEvent*>(e));
            default:
                break;
        }
        return false;
    }

private:
    // The button handles the release first (it may click, and the click may
    // disable or even delete it); then a press that ends over the button
    // shows the hover picture, any other release the normal one.
    bool Release(QMouseEvent* e) {
        if (e->button() != Qt::LeftButton) return false;
        const DrawState before = state_;
        const bool inside = button_->rect().contains(e->position().toPoint());
        QPointer<ImageButton> self(this);
        static_cast<QObject*>(button_)->event(e);
        if (!self || !button_->isEnabled()) return true;
        SetState(before == DrawState::Pressed && inside ? DrawState::Hover : DrawState::Normal);
        return true;
    }

    const Picture& PictureFor(DrawState s) const {
        const Picture& p = pictures_[static_cast<int>(s)];
        return p.IsNull() ? pictures_[0] : p;
    }

    // What the window shows beneath the button: from the window down to the
    // button's parent, each widget's own painting, and then its children that
    // lie lower in the stacking order than the way to the button, whole. The
    // button itself is never drawn here, and nothing above it either.
    QPixmap CaptureBackground(qreal scale) {
        QPixmap background(button_->size() * scale);
        background.setDevicePixelRatio(scale);
        background.fill(Qt::transparent);
        QList<QWidget*> chain;  // the window first, the button last
        for (QWidget* w = button_; w; w = w->isWindow() ? nullptr : w->parentWidget()) chain.prepend(w);
        for (int level = 0; level + 1 < chain.size(); ++level) {
            QWidget* owner = chain[level];
            QWidget* next = chain[level + 1];
            const QRect area(button_->mapTo(owner, QPoint(0, 0)), button_->size());
            owner->render(&background, QPoint(), QRegion(area),
                          level == 0 ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
            for (QObject* child : owner->children()) {
                if (child == next) break;
                auto* sibling = qobject_cast<QWidget*>(child);
                if (!sibling || sibling->isWindow() || !sibling->isVisible()) continue;
                const QRect overlap = sibling->geometry() & area;
                if (overlap.isEmpty()) continue;
                sibling->render(&background, overlap.topLeft() - area.topLeft(),
                                QRegion(overlap.translated(-sibling->pos())),
                                QWidget::DrawChildren);
            }
        }
        return background;
    }

    // The background and the state's picture are composed off-screen and the
    // result is copied to the button in one step.
    void Paint() {
        const qreal scale = button_->devicePixelRatioF();
        cache_ = CaptureBackground(scale);
        QPixmap frame(button_->size() * scale);
        frame.setDevicePixelRatio(scale);
        frame.fill(Qt::transparent);
        {
            QPainter p(&frame);
            p.drawPixmap(QRect(QPoint(0, 0), button_->size()), cache_);
            const QPixmap& picture = PictureFor(state_).For(scale);
            if (!picture.isNull()) {
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawPixmap(QPoint(0, 0), picture);
            }
        }
        QPainter(button_).drawPixmap(0, 0, frame);
    }

    QAbstractButton* button_;
    Picture pictures_[4];
    QPixmap cache_;  // the background beneath the button at the last paint
    DrawState state_ = DrawState::Normal;
    bool focus_ = false;
};

ImageButton* Existing(const QAbstractButton* button) {
    for (QObject* child : button->children())
        if (auto* image = dynamic_cast<ImageButton*>(child)) return image;
    return nullptr;
}

}  // namespace

void SetupImageButton(QAbstractButton* button, std::optional<ButtonPicture> normal,
                      std::optional<ButtonPicture> hover, std::optional<ButtonPicture> pressed,
                      std::optional<ButtonPicture> disabled) {
    if (!button) return;
    ImageButton* image = Existing(button);
    if (!image) image = new ImageButton(button);
    button->setProperty(kTypeProperty, kImageButtonType);
    image->SetPicture(0, normal);
    image->SetPicture(1, hover);
    image->SetPicture(2, pressed);
    image->SetPicture(3, disabled);
    button->update();
}

DrawState ImageButtonState(const QAbstractButton* button) {
    const ImageButton* image = button ? Existing(button) : nullptr;
    return image ? image->State() : DrawState::Normal;
}

}  // namespace zu
