// One instance per program directory: a second start wakes the first and ends; a lock left by a
// killed instance does not keep the program from starting.
#include "TestMain.h"

#include "app/InstallFiles.h"
#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A copy of the program in its own directory with its own installation files.
bool prepareProgram(const QTemporaryDir& dir, QString* program)
{
    const QString built = qEnvironmentVariable("QS_TEST_PROGRAM");
    if (built.isEmpty() || !QFile::exists(built))
        return false;
    *program = QDir(dir.path()).filePath(QStringLiteral("quillstash"));
    QString error;
    return QFile::copy(built, *program) && install::layInstallationFiles(dir.path(), &error);
}

// True when an instance of that program listens for second starts.
bool listening(const QString& serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const bool up = socket.waitForConnected(200);
    socket.abort();
    return up;
}

void startOffscreen(QProcess& p, const QString& program)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, {});
}
}  // namespace

class SingleInstanceTest final : public QObject {
    Q_OBJECT
private slots:
    void secondObjectAsksTheFirst()
    {
        QTemporaryDir dir;
        const QString exe = QDir(dir.path()).filePath(QStringLiteral("prog"));
        SingleInstance first(exe);
        QVERIFY(first.becomeFirst());
        QSignalSpy spy(&first, &SingleInstance::showRequested);
        SingleInstance second(exe);
        QVERIFY(!second.becomeFirst());
        QVERIFY(second.askFirstToShow(200));
        QTRY_COMPARE(spy.count(), 1);
        // Another program path is another instance.
        SingleInstance elsewhere(QDir(dir.path()).filePath(QStringLiteral("other/prog")));
        QVERIFY(elsewhere.becomeFirst());
        QVERIFY(elsewhere.serverName() != first.serverName());
    }

    void twoRealProcesses()
    {
        QTemporaryDir dir;
        QString program;
        if (!prepareProgram(dir, &program))
            QSKIP("QS_TEST_PROGRAM does not name the built program");
        QProcess first;
        startOffscreen(first, program);
        QVERIFY(first.waitForStarted());
        const QString server = SingleInstance(program).serverName();
        // Wait until the first instance listens, then start a second one.
        QTRY_VERIFY_WITH_TIMEOUT(listening(server), 10000);
        QProcess second;
        startOffscreen(second, program);
        QVERIFY(second.waitForStarted());
        QVERIFY(second.waitForFinished(2000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // Killed: lock file and socket stay behind; the next start must become the first instance.
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QProcess third;
        startOffscreen(third, program);
        QVERIFY(third.waitForStarted());
        // It takes over the lock and listens itself, which a second start never does.
        QTRY_VERIFY_WITH_TIMEOUT(listening(server), 10000);
        QCOMPARE(third.state(), QProcess::Running);
        third.kill();
        QVERIFY(third.waitForFinished(5000));
    }
};

QS_TEST_CLASS(SingleInstanceTest)
#include "test_single_instance.moc"
