#include <QTest>
class TestDecoration : public QObject { Q_OBJECT };
QTEST_MAIN(TestDecoration)
#include "TestDecoration.moc"
