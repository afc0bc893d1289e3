// Safety copies of the database and how a damaged database is met: copies once per run, rotated up to
// three, never made from a damaged file; a damaged file is reported and left exactly as it was.
#include "SqlProbe.h"
#include "StoreFixture.h"
#include "TestMain.h"

#include "app/TMainForm.h"
#include "store/SafetyCopies.h"
#include "store/TFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTest>
#include <QUuid>
#include <memory>
#include <sqlite3.h>

namespace {
const QString kSerious = QStringLiteral("   严重错误，请重新安装程序");
const QString kFailurePrefix = QStringLiteral("数据库操作失败！ 原因：");
const QString kAdded = QStringLiteral("添加成功！你可以继续操作！");
const QString kCopyFailed = QStringLiteral("未能建立数据库的安全副本：");

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every row of both material tables, read without changing the file; "unreadable" when it cannot be read.
QStringList dump(const QString& path)
{
    const QString integrity = sqlprobe::column(path, QStringLiteral("PRAGMA integrity_check"), true).value(0);
    if (integrity != QLatin1String("ok"))
        return QStringList {QStringLiteral("unreadable")};
    QStringList rows;
    for (const QString& table : {QStringLiteral("textfile"), QStringLiteral("exefile")}) {
        const QString columns = table == QLatin1String("textfile")
            ? QStringLiteral("id,title,classname,bigclassname,writer,createtime,main")
            : QStringLiteral("id,title,classname,bigclassname,writer,createtime,about,fpath");
        rows += sqlprobe::column(path,
            QStringLiteral("select '%1|' || %2 from %1 order by id")
                .arg(table, QString(columns).replace(QLatin1Char(','), QStringLiteral(" || '|' || "))),
            true);
    }
    return rows;
}

QString copy(const QString& db, int n) { return safetycopies::copyPath(db, n); }

// A data module as the program has one per run, reporting to a recording status sink.
struct Run {
    RecordingStatus status;
    TMainData data;
    explicit Run(const QString& dir) : data(dir)
    {
        data.setStatusSink(&status);
        data.useAbsolutePath();
    }
    // Waits for the copy of the run (made beside the writes) and for its news to arrive.
    bool copyDone()
    {
        const bool done = data.waitForSafetyCopy(30000);
        QCoreApplication::processEvents();
        return done;
    }
};

// The journal mode of the file (wal, or delete for a file from an older installation).
bool setJournalMode(const QString& db, const QString& mode)
{
    return sqlprobe::column(db, QStringLiteral("PRAGMA journal_mode=%1").arg(mode))
               .value(0)
               .compare(mode, Qt::CaseInsensitive)
        == 0;
}

qint64 sizeOf(const QString& path) { return QFileInfo(path).size(); }

QString insertText(const QString& title)
{
    TFileText record;
    record.title = title;
    record.bigclassname = QStringLiteral("c");
    record.main = QStringList {QStringLiteral("body of ") + title};
    record.InsertNew();
    return ResultMessage;
}

// Turns Data.QSD into a file of the given kind of damage.
bool damage(const TestDataDir& dir, const QString& kind)
{
    const QString db = dir.file(QStringLiteral("Data.QSD"));
    if (kind == QLatin1String("noise")) {
        QByteArray noise(8192, '\0');
        QRandomGenerator random(7);
        random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        return writeBytes(db, noise);
    }
    if (kind == QLatin1String("text file"))
        return writeBytes(db, "these are not the materials you are looking for\n");
    if (kind == QLatin1String("empty file"))
        return writeBytes(db, QByteArray());
    if (kind == QLatin1String("other tables"))
        return QFile::remove(db) && dir.exec(QStringLiteral("create table notes(x text)"));
    if (kind == QLatin1String("damaged page")) {
        // Enough rows to spread the table over many pages, then a wrecked header on the last page
        // (a leaf of the table): the file still opens, and reading the rows meets the damage.
        if (!dir.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 300) "
                                     "insert into textfile(title, classname, bigclassname, writer, createtime, main) "
                                     "select 't' || i, '', 'c', '', '2020-01-01', hex(randomblob(300)) from n")))
            return false;
        const QStringList pageSize = dir.column(QStringLiteral("PRAGMA page_size"));
        QByteArray bytes = fileBytes(db);
        const int size = pageSize.value(0).toInt();
        if (size <= 0 || bytes.size() < 4 * size)
            return false;
        bytes.replace(bytes.size() - size, 16, QByteArray(16, '\xff'));
        // A listing reads the place index alone, never the table: its top page is wrecked as well.
        const int indexRoot
            = dir.column(QStringLiteral("select rootpage from sqlite_master where name='textfile_place'"))
                  .value(0)
                  .toInt();
        if (indexRoot > 1)
            bytes.replace(qsizetype(indexRoot - 1) * size, 16, QByteArray(16, '\xff'));
        return writeBytes(db, bytes);
    }
    return false;
}
}  // namespace

class SafetyCopyTest final : public QObject {
    Q_OBJECT
private slots:
    void copiesRotateOncePerRun()
    {
        TestDataDir dir;
        const QString db = dir.file(QStringLiteral("Data.QSD"));
        dir.addText(QStringLiteral("first"), QStringLiteral("c"), QString());
        dir.addExe(QStringLiteral("tool"), QStringLiteral("c"), QString(), QStringLiteral("/usr/bin/tool"));
        // What a run killed while copying leaves behind is not a copy and does not stay.
        QVERIFY(writeBytes(safetycopies::pendingPath(db), "half a copy"));
        QVERIFY(writeBytes(safetycopies::pendingPath(db) + QStringLiteral("-journal"), "junk"));

        QList<QStringList> expected;  // newest copy first
        for (int run = 1; run <= 5; ++run) {
            Run r(dir.path());
            const QStringList before = dump(db);
            QVERIFY(!before.contains(QStringLiteral("unreadable")));
            // The first write of the run copies the file as it was before the write.
            if (run == 2) {
                QVERIFY(TFile::ExecuteStatement(sql::deleteMaterial(QStringLiteral("textfile"), 1)));
            } else {
                QCOMPARE(insertText(QStringLiteral("run %1").arg(run)), kAdded);
            }
            expected.prepend(before);
            // Later writes of the same run leave the copies alone.
            QCOMPARE(insertText(QStringLiteral("run %1 again").arg(run)), kAdded);
            QVERIFY(TFile::ExecuteStatement(
                sql::moveMaterial(QStringLiteral("exefile"), QStringLiteral("m"), QString::number(run), 1)));
            QVERIFY(r.copyDone());
            QCOMPARE(r.data.safetyCopyState(), TSafetyCopier::State::Made);
            // The newest copies are kept, as many as fit in twice the database's size.
            QCOMPARE(dump(copy(db, 1)), expected.at(0));
            qint64 total = 0;
            bool gap = false;
            for (int n = 1; n <= 3; ++n) {
                if (!QFile::exists(copy(db, n))) {
                    gap = true;
                    continue;
                }
                QVERIFY2(!gap, "a copy stays behind a missing newer one");
                QCOMPARE(dump(copy(db, n)), expected.at(n - 1));
                total += sizeOf(copy(db, n));
            }
            QVERIFY(total <= 2 * sizeOf(copy(db, 1)));
            QCOMPARE(QFile::exists(copy(db, 2)), run >= 2);
            QVERIFY(!QFile::exists(copy(db, 4)));
            QVERIFY(!QFile::exists(safetycopies::pendingPath(db)));
            QVERIFY(!QFile::exists(safetycopies::pendingPath(db) + QStringLiteral("-journal")));
            QCOMPARE(r.status.currentStatus(), QStringLiteral("数据库操作成功！"));
            QCOMPARE(r.status.backgroundWork,
                (QStringList {QStringLiteral("正在建立数据库的安全副本……"), QStringLiteral("已建立数据库的安全副本")}));
            // Copies are plain database files any SQLite reads on its own.
            QCOMPARE(sqlprobe::column(copy(db, 1), QStringLiteral("PRAGMA journal_mode"), true),
                QStringList {QStringLiteral("delete")});
        }
        QCOMPARE(dump(db).size(), 10);  // nine texts of five runs and the tool
        // The copies kept never take more than twice the database, newest first.
        QVERIFY(safetycopies::keptBeside({100, 100, 100}, 100) == QList<int> {1});
        QVERIFY(safetycopies::keptBeside({60, 30, 10}, 100) == (QList<int> {1, 2}));
        QVERIFY(safetycopies::keptBeside({-1, 50}, 100) == QList<int> {2});
        QVERIFY(safetycopies::keptBeside({150, 10}, 100).isEmpty());
    }

    // The first write of a run does not wait for the copy of a large file: more writes go on while it is
    // being made, and the copy holds the file as it was before the first of them.
    void writesGoOnWhileTheCopyIsMade()
    {
        TestDataDir dir;
        const QString db = dir.file(QStringLiteral("Data.QSD"));
        QVERIFY(
            dir.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 400) "
                                    "insert into textfile(title, classname, bigclassname, writer, createtime, main) "
                                    "select 't' || i, '', 'c', '', '2020-01-01', hex(randomblob(150000)) from n")));
        const QStringList before = dump(db);
        Run r(dir.path());
        QCOMPARE(insertText(QStringLiteral("first")), kAdded);
        QCOMPARE(r.data.safetyCopyState(), TSafetyCopier::State::Running);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(insertText(QStringLiteral("during %1").arg(i)), kAdded);
        QVERIFY(TFile::ExecuteStatement(sql::deleteMaterial(QStringLiteral("textfile"), 1)));
        int count = -1;
        QVERIFY(TFile::OpenAndCount(sql::countAll(QStringLiteral("textfile")), count));
        QCOMPARE(count, 400 + 21 - 1);
        QVERIFY(r.copyDone());
        QCOMPARE(r.data.safetyCopyState(), TSafetyCopier::State::Made);
        QCOMPARE(dump(copy(db, 1)), before);
        QVERIFY(!QFile::exists(safetycopies::pendingPath(db)));
    }

    void readingRunMakesNoCopy()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        const QString db = dir.file(QStringLiteral("Data.QSD"));
        const qint64 id = dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QString());
        {
            // Whatever a first write does once is done before the reading run is watched.
            Run r(dir.path());
            QCOMPARE(insertText(QStringLiteral("u")), kAdded);
            QVERIFY(r.copyDone());
        }
        QVERIFY(QFile::remove(copy(db, 1)));
        const QByteArray before = fileBytes(db);
        {
            Run r(dir.path());
            int count = 0;
            QVERIFY(TFile::OpenAndCount(sql::countAll(QStringLiteral("textfile")), count));
            QCOMPARE(count, 2);
            TFileText record;
            record.LoadById(id);
            QCOMPARE(record.title, QStringLiteral("t"));
            QCOMPARE(r.data.safetyCopyState(), TSafetyCopier::State::Idle);
        }
        {
            TestApp app(dir);
            clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
            QCOMPARE(app->ui().MainList->count(), 1);
        }
        for (int n = 1; n <= 3; ++n)
            QVERIFY(!QFile::exists(copy(db, n)));
        QVERIFY(!QFile::exists(safetycopies::pendingPath(db)));
        QCOMPARE(fileBytes(db), before);
    }

    void damagedFileIsNeitherCopiedNorWritten_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"noise", "text file", "empty file", "other tables", "damaged page"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void damagedFileIsNeitherCopiedNorWritten()
    {
        QFETCH(QString, kind);
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+c1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        const QString db = dir.file(QStringLiteral("Data.QSD"));
        QVERIFY(writeBytes(copy(db, 1), "older copy 1"));
        QVERIFY(writeBytes(copy(db, 2), "older copy 2"));
        QVERIFY(damage(dir, kind));
        const QByteArray before = fileBytes(db);

        QString why;
        QCOMPARE(safetycopies::copyNow(db, &why), safetycopies::Outcome::Unsound);
        QVERIFY(!why.isEmpty());

        {
            // Start-up leaves the file alone; the listing meets the damage and says so.
            TestApp app(dir);
            QCOMPARE(fileBytes(db), before);
            clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("c")});
            const QString message = app->ui().MainStatus->currentMessage();
            QVERIFY2(message.endsWith(kSerious) && message.size() > kSerious.size(), qPrintable(message));
            QCOMPARE(app->ui().MainProgressBar->value(), 0);
            // A count may be answered from an index without reading the damaged page.
            int count = -1;
            const bool counted = TFile::OpenAndCount(sql::countAll(QStringLiteral("textfile")), count);
            if (kind != QLatin1String("damaged page")) {
                QVERIFY(!counted);
                QCOMPARE(count, -1);
            }
            TFileText loaded;
            loaded.LoadById(1);  // may find its row on an undamaged page; must not crash or write

            // Writes are refused with the reason, the first and every later one of the run.
            const QString refused = insertText(QStringLiteral("new"));
            QVERIFY2(refused.startsWith(kFailurePrefix + why), qPrintable(refused));
            QVERIFY(!TFile::ExecuteStatement(
                sql::deleteClassRows(QStringLiteral("textfile"), QStringLiteral("c"), std::nullopt)));
            QCOMPARE(app->ui().MainStatus->currentMessage(), why + QStringLiteral("，没有写入") + kSerious);
            QCOMPARE(app->ui().MainProgressBar->value(), 0);
            QVERIFY(insertText(QStringLiteral("again")).startsWith(kFailurePrefix));
        }
        QCOMPARE(fileBytes(db), before);
        QCOMPARE(fileBytes(copy(db, 1)), QByteArray("older copy 1"));
        QCOMPARE(fileBytes(copy(db, 2)), QByteArray("older copy 2"));
        QVERIFY(!QFile::exists(copy(db, 3)));
        QVERIFY(!QFile::exists(safetycopies::pendingPath(db)));
        QVERIFY(!QFile::exists(db + QStringLiteral("-journal")));
    }

    // Another process holds the file locked: every access gives up within about a second, the copy
    // included, and the first write after the lock is gone gets through. In WAL mode the lock keeps out
    // writers only; a file from an older installation keeps readers out too.
    void lockedFileIsGivenUpWithinTheBound_data()
    {
        QTest::addColumn<bool>("wal");
        QTest::newRow("WAL") << true;
        QTest::newRow("rollback journal") << false;
    }
    void lockedFileIsGivenUpWithinTheBound()
    {
        QFETCH(bool, wal);
        TestDataDir dir;
        const QString db = dir.file(QStringLiteral("Data.QSD"));
        dir.addText(QStringLiteral("before"), QStringLiteral("c"), QString());
        if (!wal)
            QVERIFY(setJournalMode(db, QStringLiteral("delete")));
        Run r(dir.path());
        {
            sqlprobe::HeldLock other(db, QStringLiteral("BEGIN EXCLUSIVE"));
            QVERIFY(other.held());
            QElapsedTimer clock;
            clock.start();
            int count = -1;
            QCOMPARE(TFile::OpenAndCount(sql::countAll(QStringLiteral("textfile")), count), wal);
            if (!wal)
                QVERIFY(r.status.currentStatus().endsWith(kSerious));
            QVERIFY(insertText(QStringLiteral("locked out")).startsWith(kFailurePrefix));
            QVERIFY(!TFile::ExecuteStatement(sql::deleteMaterial(QStringLiteral("textfile"), 1)));
            QVERIFY(r.status.currentStatus().endsWith(kSerious));
            // The lock ended the write before any copy was tried: nothing to report, nothing written. In WAL
            // mode the copy reads beside the lock, and holds the file as it was.
            QVERIFY(r.data.takeSafetyCopyNotice().isEmpty());
            if (!wal)
                QVERIFY(!QFile::exists(copy(db, 1)));
            // Generous: an endless retry would hang here far longer.
            QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
        }
        QCOMPARE(insertText(QStringLiteral("after")), kAdded);
        QVERIFY(r.copyDone());
        QVERIFY(QFile::exists(copy(db, 1)));
        QCOMPARE(dump(copy(db, 1)).size(), 1);  // the copy holds the file as it was before the write
        QCOMPARE(dir.column(QStringLiteral("select count(*) from textfile")), QStringList {"2"});
        // The older installation's file went over to WAL after its copy.
        QCOMPARE(sqlprobe::column(db, QStringLiteral("PRAGMA journal_mode")), QStringList {QStringLiteral("wal")});
    }

    void copyFailureDoesNotStopWrites_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::newRow("copy cannot be built") << "pending";
        QTest::newRow("oldest copy cannot be replaced") << "oldest";
    }
    void copyFailureDoesNotStopWrites()
    {
        QFETCH(QString, blocked);
        TestDataDir dir;
        const QString db = dir.file(QStringLiteral("Data.QSD"));
        QVERIFY(writeBytes(copy(db, 1), "older copy 1"));
        QVERIFY(writeBytes(copy(db, 2), "older copy 2"));
        // A directory where a file should go: no permission trick, so it binds any user.
        const QString obstacle = blocked == QLatin1String("pending") ? safetycopies::pendingPath(db) : copy(db, 3);
        QVERIFY(QDir().mkpath(obstacle + QStringLiteral("/inside")));

        Run r(dir.path());
        r.status.showStatus(QStringLiteral("quiet"));
        QCOMPARE(insertText(QStringLiteral("kept")), kAdded);
        // A record operation never writes the status bar; the copy's news go apart from it.
        QCOMPARE(r.status.currentStatus(), QStringLiteral("quiet"));
        QVERIFY(r.copyDone());
        QCOMPARE(r.data.safetyCopyState(), TSafetyCopier::State::Failed);
        const QString message = r.status.backgroundWork.value(1);
        QVERIFY2(message.startsWith(kCopyFailed) && message.size() > kCopyFailed.size(),
            qPrintable(r.status.backgroundWork.join(QStringLiteral(" | "))));
        QCOMPARE(dir.column(QStringLiteral("select title from textfile")), QStringList {"kept"});
        // Tried once per run: the next write neither tries again nor says it again.
        QCOMPARE(insertText(QStringLiteral("also kept")), kAdded);
        QVERIFY(r.copyDone());
        QCOMPARE(r.status.backgroundWork.size(), 2);
        QCOMPARE(dir.column(QStringLiteral("select count(*) from textfile")), QStringList {"2"});

        QCOMPARE(fileBytes(copy(db, 1)), QByteArray("older copy 1"));
        QCOMPARE(fileBytes(copy(db, 2)), QByteArray("older copy 2"));
        QVERIFY(QFileInfo(obstacle).isDir());
        if (blocked == QLatin1String("oldest"))
            QVERIFY(!QFile::exists(safetycopies::pendingPath(db)));
    }
};

QS_TEST_CLASS(SafetyCopyTest)
#include "test_safety.moc"
