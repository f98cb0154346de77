#include <QTest>
class TestImageButton : public QObject { Q_OBJECT };
QTEST_MAIN(TestImageButton)
#include "TestImageButton.moc"
