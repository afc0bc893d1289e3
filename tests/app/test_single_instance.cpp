// One instance per program directory: a second start wakes the first and ends; the lock and the
// socket live in a directory of the user alone; what a killed or foreign process left in their
// place never keeps the program from starting.
#include "Privileges.h"
#include "TestMain.h"

#include "app/InstallFiles.h"
#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
bool listening(const QString& socketPath)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
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

uid_t nobodyUid()
{
    const passwd* pw = ::getpwnam("nobody");
    return pw ? pw->pw_uid : uid_t(65534);
}

struct Entry {
    bool exists = false;
    bool link = false;
    bool dir = false;
    uid_t owner = 0;
    mode_t mode = 0;
};
Entry entry(const QString& path)
{
    struct stat st { };
    Entry e;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return e;
    return {true, S_ISLNK(st.st_mode) != 0, S_ISDIR(st.st_mode) != 0, st.st_uid, mode_t(st.st_mode & 07777)};
}

bool isPrivate(const QString& dir)
{
    const Entry e = entry(dir);
    return e.exists && e.dir && !e.link && e.owner == ::geteuid() && e.mode == 0700;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// XDG_RUNTIME_DIR, TMPDIR and HOME point into a fresh directory while the guard lives; the
// runtime directory starts as a proper one (0700, the user's).
class PrivateEnvironment final {
public:
    PrivateEnvironment()
    {
        for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR", "HOME"})
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        for (const QString& sub : {QStringLiteral("xdg"), QStringLiteral("tmp"), QStringLiteral("home")}) {
            QDir(m_root.path()).mkdir(sub);
            ::chmod(QFile::encodeName(path(sub)).constData(), 0700);
        }
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(xdg()));
        qputenv("TMPDIR", QFile::encodeName(tmp()));
        qputenv("HOME", QFile::encodeName(home()));
    }
    ~PrivateEnvironment()
    {
        for (const Saved& s : m_saved) {
            if (s.set)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }
    QString path(const QString& sub) const { return QDir(m_root.path()).filePath(sub); }
    QString xdg() const { return path(QStringLiteral("xdg")); }
    QString tmp() const { return path(QStringLiteral("tmp")); }
    QString home() const { return path(QStringLiteral("home")); }
    QString inTemp() const
    {
        return QDir(tmp()).filePath(QStringLiteral("quillstash-") + QString::number(::geteuid()));
    }

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool set;
    };
    QTemporaryDir m_root;
    QList<Saved> m_saved;
};

QByteArray lockContent(qint64 pid, const QString& app)
{
    return QByteArray::number(pid) + '\n' + app.toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
}
}  // namespace

class SingleInstanceTest final : public QObject {
    Q_OBJECT
private slots:
    void secondObjectAsksTheFirst()
    {
        PrivateEnvironment env;
        QTemporaryDir dir;
        const QString exe = QDir(dir.path()).filePath(QStringLiteral("prog"));
        SingleInstance first(exe);
        QVERIFY(first.takeLock());
        QVERIFY(first.holdsLock());
        QSignalSpy spy(&first, &SingleInstance::showRequested);
        SingleInstance second(exe);
        QVERIFY(!second.takeLock());
        // Still starting: nobody answers, so the second start ends without a word.
        QVERIFY(!second.askFirstToShow(200));
        QVERIFY(first.startListening());
        QVERIFY(second.askFirstToShow(200));
        QTRY_COMPARE(spy.count(), 1);
        // Another program path is another instance.
        SingleInstance elsewhere(QDir(dir.path()).filePath(QStringLiteral("other/prog")));
        QVERIFY(elsewhere.takeLock());
        QVERIFY(elsewhere.holdsLock());
        QVERIFY(elsewhere.socketPath() != first.socketPath());
    }

    // Where the lock and socket go; every directory used is the user's alone.
    void privateDirectory_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("expected");  // xdg, temp or home
        QTest::newRow("runtime directory") << ""
                                           << "xdg";
        QTest::newRow("runtime directory 0755") << "xdg 0755"
                                                << "temp";
        QTest::newRow("runtime directory is a link") << "xdg link"
                                                     << "temp";
        QTest::newRow("runtime directory of another user") << "xdg nobody"
                                                           << "temp";
        QTest::newRow("no runtime directory") << "xdg unset"
                                              << "temp";
        QTest::newRow("relative runtime directory") << "xdg relative"
                                                    << "temp";
        QTest::newRow("own directory in temp made private") << "xdg unset, temp 0755"
                                                            << "temp";
        QTest::newRow("name in temp is a link") << "xdg unset, temp link"
                                                << "home";
        QTest::newRow("name in temp is another user's") << "xdg unset, temp nobody"
                                                        << "home";
        QTest::newRow("name in temp is a file") << "xdg unset, temp file"
                                                << "home";
    }
    void privateDirectory()
    {
        QFETCH(QString, setup);
        QFETCH(QString, expected);
        if (setup.contains(QLatin1String("nobody")) && ::geteuid() != 0)
            QSKIP("handing a directory to another user needs root");
        PrivateEnvironment env;
        const QString elsewhere = env.path(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkdir(elsewhere));
        QCOMPARE(::chmod(QFile::encodeName(elsewhere).constData(), 0700), 0);
        const QByteArray xdg = QFile::encodeName(env.xdg());
        const QByteArray temp = QFile::encodeName(env.inTemp());
        if (setup.contains(QLatin1String("xdg 0755")))
            QCOMPARE(::chmod(xdg.constData(), 0755), 0);
        if (setup.contains(QLatin1String("xdg link"))) {
            QVERIFY(QDir(env.xdg()).removeRecursively());
            QCOMPARE(::symlink(QFile::encodeName(elsewhere).constData(), xdg.constData()), 0);
        }
        if (setup.contains(QLatin1String("xdg nobody")))
            QCOMPARE(::chown(xdg.constData(), nobodyUid(), gid_t(-1)), 0);
        if (setup.contains(QLatin1String("xdg unset")))
            qunsetenv("XDG_RUNTIME_DIR");
        if (setup.contains(QLatin1String("xdg relative")))
            qputenv("XDG_RUNTIME_DIR", "xdg");
        if (setup.contains(QLatin1String("temp 0755"))) {
            QCOMPARE(::mkdir(temp.constData(), 0700), 0);
            QCOMPARE(::chmod(temp.constData(), 0755), 0);
        }
        if (setup.contains(QLatin1String("temp link")))
            QCOMPARE(::symlink(QFile::encodeName(elsewhere).constData(), temp.constData()), 0);
        if (setup.contains(QLatin1String("temp nobody"))) {
            QCOMPARE(::mkdir(temp.constData(), 0700), 0);
            QCOMPARE(::chown(temp.constData(), nobodyUid(), gid_t(-1)), 0);
        }
        if (setup.contains(QLatin1String("temp file")))
            QVERIFY(writeFile(env.inTemp(), "x"));

        SingleInstance instance(QStringLiteral("/opt/quillstash/quillstash"));
        const QString dir = instance.directory();
        QVERIFY2(!dir.isEmpty(), qPrintable(instance.errorString()));
        if (expected == QLatin1String("xdg"))
            QCOMPARE(dir, env.xdg());
        else if (expected == QLatin1String("temp"))
            QCOMPARE(dir, env.inTemp());
        else
            QVERIFY2(dir.startsWith(env.home() + QLatin1Char('/')), qPrintable(dir));
        QVERIFY(isPrivate(dir));
        QCOMPARE(QFileInfo(instance.lockPath()).path(), dir);
        QCOMPARE(QFileInfo(instance.socketPath()).path(), dir);
        // What was refused is left as it was.
        if (setup.contains(QLatin1String("link")))
            QCOMPARE(entry(elsewhere).mode, mode_t(0700));
        if (setup.contains(QLatin1String("temp nobody")))
            QCOMPARE(entry(env.inTemp()).owner, nobodyUid());
        QVERIFY(instance.takeLock());
        QVERIFY(instance.holdsLock());
        QVERIFY(instance.startListening());
    }

    // A lock whose owner is not a live instance of this program is taken over; one that is means
    // a second start.
    void staleLocks_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("first");
        QTest::newRow("left by a killed instance") << "dead" << true;
        QTest::newRow("junk, read-only") << "junk" << true;
        QTest::newRow("empty") << "empty" << true;
        QTest::newRow("pid of another program") << "other" << true;
        QTest::newRow("directory") << "directory" << true;
        QTest::newRow("link") << "link" << true;
        QTest::newRow("live instance") << "live" << false;
    }
    void staleLocks()
    {
        QFETCH(QString, kind);
        QFETCH(bool, first);
        PrivateEnvironment env;
        const QString sleepProgram
            = QFileInfo(QStandardPaths::findExecutable(QStringLiteral("sleep"))).canonicalFilePath();
        if (sleepProgram.isEmpty())
            QSKIP("no sleep program");
        QProcess sleeper;
        sleeper.start(sleepProgram, {QStringLiteral("30")});
        QVERIFY(sleeper.waitForStarted());
        // The live instance is the sleeping process, taken for this program.
        const QString exe = kind == QLatin1String("live") ? sleepProgram : QStringLiteral("/opt/quillstash/quillstash");
        SingleInstance instance(exe);
        const QString lock = instance.lockPath();
        QVERIFY(!lock.isEmpty());
        const QString outside = env.path(QStringLiteral("outside"));
        QVERIFY(writeFile(outside, "keep me"));
        if (kind == QLatin1String("dead")) {
            QProcess gone;
            gone.start(QStringLiteral("true"), {});
            QVERIFY(gone.waitForStarted());
            const qint64 pid = gone.processId();
            QVERIFY(gone.waitForFinished());
            QVERIFY(writeFile(lock, lockContent(pid, QStringLiteral("quillstash"))));
        } else if (kind == QLatin1String("junk")) {
            QVERIFY(writeFile(lock, "\x01\x02junk"));
            QCOMPARE(::chmod(QFile::encodeName(lock).constData(), 0444), 0);
        } else if (kind == QLatin1String("empty")) {
            QVERIFY(writeFile(lock, QByteArray()));
        } else if (kind == QLatin1String("other") || kind == QLatin1String("live")) {
            // Named as the process is named, which is all the lock file itself can tell.
            QVERIFY(writeFile(lock, lockContent(sleeper.processId(), QStringLiteral("sleep"))));
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(QDir().mkpath(QDir(lock).filePath(QStringLiteral("inside"))));
        } else if (kind == QLatin1String("link")) {
            QCOMPARE(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(lock).constData()), 0);
        }

        QCOMPARE(instance.takeLock(), first);
        if (first) {
            QVERIFY2(instance.holdsLock(), qPrintable(instance.errorString()));
            const Entry e = entry(lock);
            QVERIFY(e.exists && !e.dir && !e.link);
            qint64 pid = 0;
            QString host;
            QString app;
            QVERIFY(QLockFile(lock).getLockInfo(&pid, &host, &app));
            QCOMPARE(pid, QCoreApplication::applicationPid());
            QVERIFY(instance.startListening());
        } else {
            QVERIFY(!instance.holdsLock());
            QVERIFY(QFile::exists(lock));
        }
        QFile kept(outside);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
        sleeper.kill();
        sleeper.waitForFinished();
    }

    // What stands in the socket's place is replaced; the socket goes when the instance does.
    void leftoverSockets_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("socket of a killed instance") << "socket";
        QTest::newRow("file") << "file";
        QTest::newRow("directory") << "directory";
        QTest::newRow("nothing") << "";
    }
    void leftoverSockets()
    {
        QFETCH(QString, kind);
        PrivateEnvironment env;
        const QString exe = QStringLiteral("/opt/quillstash/quillstash");
        QString socketPath;
        QString lockPath;
        {
            SingleInstance first(exe);
            socketPath = first.socketPath();
            lockPath = first.lockPath();
            if (kind == QLatin1String("socket")) {
                // Bound and never closed by its owner: the file stays, nobody answers.
                const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                QVERIFY(fd >= 0);
                sockaddr_un address {};
                address.sun_family = AF_UNIX;
                const QByteArray native = QFile::encodeName(socketPath);
                std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
                QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                ::close(fd);
            } else if (kind == QLatin1String("file")) {
                QVERIFY(writeFile(socketPath, "junk"));
            } else if (kind == QLatin1String("directory")) {
                QVERIFY(QDir().mkpath(QDir(socketPath).filePath(QStringLiteral("inside"))));
            }
            QVERIFY(first.takeLock());
            QSignalSpy spy(&first, &SingleInstance::showRequested);
            QVERIFY2(first.startListening(), qPrintable(first.errorString()));
            SingleInstance second(exe);
            QVERIFY(!second.takeLock());
            QVERIFY(second.askFirstToShow(1000));
            QTRY_COMPARE(spy.count(), 1);
        }
        // Nothing piles up: the next instance finds the place empty.
        QVERIFY(!entry(socketPath).exists);
        QVERIFY(!entry(lockPath).exists);
    }

    void cannotListenSaysWhy()
    {
        PrivateEnvironment env;
        SingleInstance first(QStringLiteral("/opt/quillstash/quillstash"));
        QVERIFY(first.takeLock());
        QVERIFY(writeFile(first.socketPath(), "junk"));
        const QByteArray dir = QFile::encodeName(first.directory());
        QCOMPARE(::chmod(dir.constData(), 0500), 0);
        bool listened = true;
        {
            WithoutDacOverride permissionsHold;
            if (permissionsHold.isActive())
                listened = first.startListening();
        }
        QCOMPARE(::chmod(dir.constData(), 0700), 0);
        if (listened)
            QSKIP("file permissions cannot be made to hold here");
        QVERIFY(first.holdsLock());
        QVERIFY2(first.errorString().contains(first.socketPath()), qPrintable(first.errorString()));
    }

    void twoRealProcesses()
    {
        PrivateEnvironment env;
        QTemporaryDir dir;
        QString program;
        if (!prepareProgram(dir, &program))
            QSKIP("QS_TEST_PROGRAM does not name the built program");
        QProcess first;
        startOffscreen(first, program);
        QVERIFY(first.waitForStarted());
        const QString server = SingleInstance(program).socketPath();
        QVERIFY(server.startsWith(env.xdg() + QLatin1Char('/')));
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

    // A second start while the first still shows its start-up error box ends, and the first does
    // not answer (or show its window) before start-up is over.
    void secondStartDuringStartUp()
    {
        PrivateEnvironment env;
        QTemporaryDir dir;
        QString program;
        if (!prepareProgram(dir, &program))
            QSKIP("QS_TEST_PROGRAM does not name the built program");
        // A letter where a digit goes: start-up stops in the standard error box.
        QVERIFY(writeFile(dir.filePath(QStringLiteral("QS.ini")), "[Quillstash ini file]\r\nICON=x\r\n"));
        const SingleInstance names(program);
        QProcess first;
        startOffscreen(first, program);
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(names.lockPath()), 10000);
        QProcess second;
        startOffscreen(second, program);
        QVERIFY(second.waitForStarted());
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(!listening(names.socketPath()));
        first.kill();
        QVERIFY(first.waitForFinished(5000));
    }
};

QS_TEST_CLASS(SingleInstanceTest)
#include "test_single_instance.moc"
