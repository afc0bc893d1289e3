// The shared test main: a named function that no class has fails the run, and every output option
// holds every class that ran, in a form valid for its format.
#include "TestMain.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {
struct Run {
    int exitCode = -1;
    QString output;  // standard output and error
};

Run runProbe(const QStringList& args, bool fail = false)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (fail)
        env.insert(QStringLiteral("QS_PROBE_FAIL"), QStringLiteral("1"));
    else
        env.remove(QStringLiteral("QS_PROBE_FAIL"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QS_RUNNER_PROBE), args);
    Run run;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = p.exitCode();
    run.output = QString::fromUtf8(p.readAll());
    return run;
}

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Number of top-level elements, or -1 when the text is not well-formed XML.
int xmlRoots(const QString& text)
{
    QXmlStreamReader xml(text);
    int depth = 0;
    int roots = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && depth++ == 0)
            ++roots;
        else if (xml.isEndElement())
            --depth;
    }
    return xml.hasError() ? -1 : roots;
}
}  // namespace

class TestRunnerTest final : public QObject {
    Q_OBJECT
private slots:
    void namedFunctions()
    {
        Run run = runProbe({QStringLiteral("noSuchFunction")});
        QVERIFY(run.exitCode != 0 && run.exitCode != -1);
        QVERIFY2(run.output.contains(QLatin1String("noSuchFunction")), qPrintable(run.output));
        // The known one still runs; the unknown one still fails the run.
        run = runProbe({QStringLiteral("beta"), QStringLiteral("noSuchFunction")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.output.contains(QLatin1String("PASS   : ProbeSecond::beta()")));
        QVERIFY(run.output.contains(QLatin1String("noSuchFunction")));
        run = runProbe({QStringLiteral("gamma:two"), QStringLiteral("alpha")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.output.contains(QLatin1String("ProbeFirst::alpha()")));
        QVERIFY(run.output.contains(QLatin1String("ProbeSecond::gamma(two)")));
        QVERIFY(!run.output.contains(QLatin1String("ProbeSecond::beta()")));
        QCOMPARE(runProbe({QStringLiteral("alpha")}, true).exitCode, 1);
    }

    void outputFiles_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QStringList>("mustContain");  // from both classes
        const QStringList names = {QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")};
        const QStringList benches = {QStringLiteral("alphaBench"), QStringLiteral("gammaBench")};
        QTest::newRow("txt") << "txt" << QStringList()
                             << QStringList {"ProbeFirst::alpha()", "ProbeSecond::gamma(two)"};
        QTest::newRow("tap") << "tap" << QStringList() << names;
        QTest::newRow("teamcity") << "teamcity" << QStringList() << names;
        QTest::newRow("csv") << "csv" << QStringList() << benches;
        QTest::newRow("xml") << "xml" << QStringList() << QStringList {"ProbeFirst", "ProbeSecond", "gamma"};
        QTest::newRow("lightxml") << "lightxml" << QStringList() << names;
        QTest::newRow("junitxml") << "junitxml" << QStringList() << QStringList {"ProbeFirst", "ProbeSecond", "gamma"};
        QTest::newRow("format by its own option")
            << "" << QStringList {"-xml"} << QStringList {"ProbeFirst", "ProbeSecond"};
        QTest::newRow("no format given") << "" << QStringList()
                                         << QStringList {"ProbeFirst::alpha()", "ProbeSecond::beta()"};
        QTest::newRow("with a function named") << "junitxml" << QStringList {"gamma", "alpha"}
                                               << QStringList {"ProbeFirst", "ProbeSecond", "gamma", "alpha"};
    }
    void outputFiles()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, extra);
        QFETCH(QStringList, mustContain);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("out"));
        const QString second = dir.filePath(QStringLiteral("second.txt"));
        QStringList args {QStringLiteral("-o"), format.isEmpty() ? file : file + QLatin1Char(',') + format};
        // A second output beside it, and standard output, take every class too.
        args << QStringLiteral("-o") << second + QStringLiteral(",txt") << QStringLiteral("-o")
             << QStringLiteral("-,txt");
        args << extra;
        const Run run = runProbe(args);
        QCOMPARE(run.exitCode, 0);
        const QString text = readText(file);
        for (const QString& s : mustContain)
            QVERIFY2(text.contains(s), qPrintable(s + QStringLiteral(" missing from:\n") + text));
        const bool xmlFormat = format.endsWith(QLatin1String("xml")) || extra.contains(QLatin1String("-xml"));
        if (xmlFormat)
            QCOMPARE(xmlRoots(text), 1);
        for (const QString& out : {readText(second), run.output}) {
            QVERIFY(out.contains(QLatin1String("Start testing of ProbeFirst")));
            QVERIFY(out.contains(QLatin1String("Start testing of ProbeSecond")));
        }
    }

    void failuresStayInTheFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("out.xml"));
        const Run run = runProbe({QStringLiteral("-o"), file + QStringLiteral(",junitxml")}, true);
        QCOMPARE(run.exitCode, 1);
        const QString text = readText(file);
        QCOMPARE(xmlRoots(text), 1);
        QVERIFY(text.contains(QLatin1String("asked to fail")));
        QVERIFY(text.contains(QLatin1String("ProbeSecond")));
    }
};

QS_TEST_CLASS(TestRunnerTest)
#include "test_runner.moc"
