// Two small test classes run by the shared test main, for the tests of the test runner itself.
// QS_PROBE_FAIL in the environment makes one function fail.
#include "TestMain.h"

#include <QTest>

class ProbeFirst final : public QObject {
    Q_OBJECT
private slots:
    void alpha() { QVERIFY2(qEnvironmentVariableIsEmpty("QS_PROBE_FAIL"), "asked to fail"); }
    void alphaBench()
    {
        QString s;
        QBENCHMARK { s = QString::number(42); }
        QCOMPARE(s, QStringLiteral("42"));
    }
};

class ProbeSecond final : public QObject {
    Q_OBJECT
private slots:
    void beta() { QCOMPARE(QStringLiteral("<&>").toHtmlEscaped(), QStringLiteral("&lt;&amp;&gt;")); }
    void gamma_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("one") << 1;
        QTest::newRow("two") << 2;
    }
    void gamma()
    {
        QFETCH(int, n);
        QCOMPARE(QString::number(n).toInt(), n);
    }
    void gammaBench()
    {
        QByteArray b;
        QBENCHMARK { b = QByteArray::number(7); }
        QCOMPARE(b, QByteArray("7"));
    }
};

QS_TEST_CLASS(ProbeFirst)
QS_TEST_CLASS(ProbeSecond)
#include "probe.moc"
