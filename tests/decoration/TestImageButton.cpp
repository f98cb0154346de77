// Picture buttons drawn offscreen: every draw state and its changes, the
// picture blended over what lies beneath, and a repeated set-up.
#include <QBuffer>
#include <QEnterEvent>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <functional>

#include "decoration/image_button.h"

using zu::ButtonPicture;
using zu::DrawState;

namespace {

QByteArray Png(QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ButtonPicture Solid(QColor color, QSize size = {12, 12}) { return {Png(size, color), Png(size * 2, color)}; }

const QColor kBackground(200, 0, 0);
const QColor kNormal(0, 0, 255, 128);  // half transparent: blends with the background
const QColor kHover(0, 200, 0);
const QColor kPressed(255, 255, 0);
const QColor kDisabled(128, 128, 128);

bool Near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3 && qAbs(a.blue() - b.blue()) <= 3;
}

QColor Over(QColor top, QColor bottom) {
    const double a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + bottom.redF() * (1 - a), top.greenF() * a + bottom.greenF() * (1 - a),
                            top.blueF() * a + bottom.blueF() * (1 - a));
}

// The colour at a logical position of a grabbed picture, at any scale.
QColor At(const QPixmap& shot, int x, int y) {
    const qreal scale = shot.devicePixelRatio();
    return shot.toImage().pixelColor(int(x * scale), int(y * scale));
}

// A window with a solid background and a 20×20 button whose pictures are
// 12×12, so its bottom-right corner always shows the background.
struct Fixture {
    QWidget window;
    QPushButton* button;
    Fixture() {
        window.resize(100, 60);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, kBackground);
        window.setPalette(pal);
        window.setAutoFillBackground(true);
        button = new QPushButton(QStringLiteral("caption"), &window);
        button->setGeometry(30, 20, 20, 20);
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
    }
    bool active = false;
    QColor Picture() const { return At(button->grab(), 4, 4); }
    QColor Corner() const { return At(button->grab(), 17, 17); }
    QColor InWindow() { return At(window.grab(), 34, 24); }
};

void Enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &e);
}

void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

}  // namespace

class TestImageButton : public QObject {
    Q_OBJECT
private slots:
    void statesFollowMouseKeyboardAndEnabled_data();
    void statesFollowMouseKeyboardAndEnabled();
    void pictureIsBlendedOverWhatLiesBeneath();
    void missingOrBrokenPictureFallsBackToNormal();
    void repeatedSetupReplacesPicturesOnce();
    void clickThatDisablesTheButtonShowsDisabled();
    void scaleTwoUsesTheLargePicture();
};

void TestImageButton::statesFollowMouseKeyboardAndEnabled_data() {
    using Steps = std::function<void(QPushButton*)>;
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("color");
    const QColor normal = Over(kNormal, kBackground);
    QTest::newRow("initial") << Steps([](QPushButton*) {}) << 0 << normal;
    QTest::newRow("enter") << Steps([](QPushButton* b) { Enter(b); }) << 1 << kHover;
    QTest::newRow("enter, leave") << Steps([](QPushButton* b) { Enter(b); Leave(b); }) << 0 << normal;
    QTest::newRow("press") << Steps([](QPushButton* b) {
        Enter(b);
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    }) << 2 << kPressed;
    QTest::newRow("press, release inside") << Steps([](QPushButton* b) {
        Enter(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    }) << 1 << kHover;
    QTest::newRow("press, release outside") << Steps([](QPushButton* b) {
        Enter(b);
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(60, 60));
    }) << 0 << normal;
    QTest::newRow("space held") << Steps([](QPushButton* b) {
        b->setFocus();
        QTest::keyPress(b, Qt::Key_Space);
    }) << 2 << kPressed;
    QTest::newRow("space released with focus") << Steps([](QPushButton* b) {
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Space);
    }) << 1 << kHover;
    QTest::newRow("focus lost after space") << Steps([](QPushButton* b) {
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Space);
        b->clearFocus();
    }) << 0 << normal;
    QTest::newRow("disabled") << Steps([](QPushButton* b) { b->setEnabled(false); }) << 3 << kDisabled;
    QTest::newRow("disabled, mouse over") << Steps([](QPushButton* b) {
        b->setEnabled(false);
        Enter(b);
    }) << 3 << kDisabled;
    QTest::newRow("enabled again") << Steps([](QPushButton* b) {
        b->setEnabled(false);
        b->setEnabled(true);
    }) << 0 << normal;
}

void TestImageButton::statesFollowMouseKeyboardAndEnabled() {
    QFETCH(std::function<void(QPushButton*)>, steps);
    QFETCH(int, state);
    QFETCH(QColor, color);
    Fixture f;
    QVERIFY(f.active);  // keyboard focus needs an active window
    zu::SetupImageButton(f.button, Solid(kNormal), Solid(kHover), Solid(kPressed), Solid(kDisabled));
    steps(f.button);
    QCOMPARE(f.button->property("PngControl_IsFoucs").toInt(), f.button->hasFocus() ? 1 : 0);
    QCOMPARE(static_cast<int>(zu::ImageButtonState(f.button)), state);
    QCOMPARE(f.button->property("Vireo_DrawState").toInt(), state);
    QVERIFY2(Near(f.Picture(), color), qPrintable(f.Picture().name() + " != " + color.name()));
    QVERIFY2(Near(f.InWindow(), color), qPrintable(f.InWindow().name()));
    QVERIFY(Near(f.Corner(), kBackground));
}

void TestImageButton::pictureIsBlendedOverWhatLiesBeneath() {
    // A sibling lower in the stacking order shows through the transparent
    // part of the picture, as does the window around it.
    Fixture f;
    auto* beneath = new QWidget(&f.window);
    beneath->setGeometry(30, 20, 10, 20);  // the button's left half
    QPalette pal = beneath->palette();
    pal.setColor(QPalette::Window, QColor(0, 160, 160));
    beneath->setPalette(pal);
    beneath->setAutoFillBackground(true);
    beneath->show();
    f.button->raise();
    zu::SetupImageButton(f.button, Solid(kNormal));
    const QPixmap shot = f.button->grab();
    QVERIFY(Near(At(shot, 4, 4), Over(kNormal, QColor(0, 160, 160))));
    QVERIFY(Near(At(shot, 4, 16), QColor(0, 160, 160)));
    QVERIFY(Near(At(shot, 15, 16), kBackground));
    QVERIFY(Near(At(shot, 10, 4), Over(kNormal, kBackground)));
}

void TestImageButton::missingOrBrokenPictureFallsBackToNormal() {
    Fixture f;
    zu::SetupImageButton(f.button, Solid(kHover), ButtonPicture{"not a png", {}}, std::nullopt,
                         ButtonPicture{});
    const QColor normal = f.Picture();
    QVERIFY(Near(normal, kHover));
    Enter(f.button);
    QVERIFY(Near(f.Picture(), normal));
    QTest::mousePress(f.button, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(Near(f.Picture(), normal));
    QTest::mouseRelease(f.button, Qt::LeftButton, {}, QPoint(5, 5));
    f.button->setEnabled(false);
    QVERIFY(Near(f.Picture(), normal));

    // No picture at all: only the background.
    Fixture bare;
    zu::SetupImageButton(bare.button, ButtonPicture{"garbage", "garbage"});
    QVERIFY(Near(bare.Picture(), kBackground));
}

void TestImageButton::repeatedSetupReplacesPicturesOnce() {
    Fixture f;
    int clicks = 0;
    QObject::connect(f.button, &QPushButton::clicked, [&] { ++clicks; });
    zu::SetupImageButton(f.button, Solid(kNormal), Solid(kHover));
    zu::SetupImageButton(f.button, Solid(kPressed));  // a new normal picture, the hover kept
    QCOMPARE(f.button->findChildren<QObject*>(QStringLiteral("PngControl")).size(), 1);
    QVERIFY(Near(f.Picture(), kPressed));
    Enter(f.button);
    QVERIFY(Near(f.Picture(), kHover));
    QTest::mouseClick(f.button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks, 1);  // the release is handed on to the button exactly once
    QCOMPARE(zu::ImageButtonState(f.button), DrawState::Hover);
    QCOMPARE(f.button->property("PngControl_Type").toInt(), 3);
    QCOMPARE(f.button->text(), QStringLiteral("caption"));
}

void TestImageButton::clickThatDisablesTheButtonShowsDisabled() {
    Fixture f;
    zu::SetupImageButton(f.button, Solid(kNormal), Solid(kHover), Solid(kPressed), Solid(kDisabled));
    QObject::connect(f.button, &QPushButton::clicked, f.button, [&] { f.button->setEnabled(false); });
    Enter(f.button);
    QTest::mouseClick(f.button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(zu::ImageButtonState(f.button), DrawState::Disabled);
    QVERIFY(Near(f.Picture(), kDisabled));
    // A handler may even delete its button.
    Fixture g;
    zu::SetupImageButton(g.button, Solid(kNormal));
    QPointer<QPushButton> b = g.button;
    QObject::connect(g.button, &QPushButton::clicked, g.button, [&] { delete g.button; });
    QTest::mouseClick(g.button, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(b.isNull());
}

void TestImageButton::scaleTwoUsesTheLargePicture() {
    Fixture f;
    ButtonPicture picture{Png({12, 12}, kHover), Png({24, 24}, kPressed)};
    zu::SetupImageButton(f.button, picture);
    const QPixmap shot = f.button->grab();
    const qreal scale = f.button->devicePixelRatioF();
    QCOMPARE(shot.devicePixelRatio(), scale);
#ifdef ZU_TEST_SCALE
    QCOMPARE(scale, 2.0);
#endif
    QVERIFY(Near(At(shot, 4, 4), scale > 1 ? kPressed : kHover));
    // Drawn at its logical size either way.
    QVERIFY(Near(At(shot, 13, 13), kBackground));
}

#ifdef ZU_TEST_SCALE
int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", ZU_TEST_SCALE);
    QApplication app(argc, argv);
    TestImageButton test;
    return QTest::qExec(&test, argc, argv);
}
#else
QTEST_MAIN(TestImageButton)
#endif
#include "TestImageButton.moc"
