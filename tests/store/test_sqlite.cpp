// The sqlite3 layer: opening never creates a file, a locked file is given up within the busy budget, text
// survives the round trip unchanged, and every failure arrives as an Error carrying SQLite's text.
#include "TestMain.h"

#include "store/Sqlite.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <limits>
#include <memory>
#include <sqlite3.h>
#include <thread>

Q_DECLARE_METATYPE(sqlite::Connection::Access)

namespace {

const QString kInsert = QStringLiteral("insert into t(title) values('x')");

// Prepares sql, binds values and steps it to the end; the first failure.
sqlite::Error run(sqlite::Connection& db, const QString& sql, const QVariantList& values = {})
{
    sqlite::Statement st(db, sql);
    if (!st.isValid())
        return st.error();
    if (const sqlite::Error e = st.bindAll(values); !e.ok())
        return e;
    sqlite::Statement::Step step = sqlite::Statement::Step::Row;
    while (step == sqlite::Statement::Step::Row)
        step = st.step();
    return st.error();
}

// The first column of every row, as text; "<error: ...>" when the select fails.
QStringList column(sqlite::Connection& db, const QString& sql, const QVariantList& values = {})
{
    sqlite::Statement st(db, sql);
    QStringList out;
    if (!st.bindAll(values).ok())
        return {QStringLiteral("<error: ") + st.error().message + QLatin1Char('>')};
    sqlite::Statement::Step step;
    while ((step = st.step()) == sqlite::Statement::Step::Row)
        out.append(st.text(0));
    if (step == sqlite::Statement::Step::Failed)
        out.append(QStringLiteral("<error: ") + st.error().message + QLatin1Char('>'));
    return out;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class SqliteLayerTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_db;

private slots:
    // A fresh directory with a database of one table t and a nullable table n for every test.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_db = m_dir->filePath(QStringLiteral("Data.QSD"));
        sqlite::Connection db;
        QVERIFY(db.openOrCreate(m_db).ok());
        const sqlite::Error e = db.exec(QStringLiteral(
            "create table t(id integer primary key autoincrement, title text not null default '', "
            "body text not null default ''); create table n(a text, b integer, c blob); create table v(x);"));
        QVERIFY2(e.ok(), qPrintable(e.message));
    }

    void openNeverCreates_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<sqlite::Connection::Access>("access");
        QTest::addColumn<bool>("isDirectory");
        QTest::newRow("read-write") << "missing.QSD" << sqlite::Connection::Access::ReadWrite << false;
        QTest::newRow("read-only") << "missing.QSD" << sqlite::Connection::Access::ReadOnly << false;
        QTest::newRow("missing folder") << "nodir/missing.QSD" << sqlite::Connection::Access::ReadWrite << false;
        QTest::newRow("not a file") << "folder" << sqlite::Connection::Access::ReadWrite << true;
    }
    void openNeverCreates()
    {
        QFETCH(QString, name);
        QFETCH(sqlite::Connection::Access, access);
        QFETCH(bool, isDirectory);
        const QString path = m_dir->filePath(name);
        if (isDirectory)
            QVERIFY(QDir(m_dir->path()).mkdir(name));
        const QStringList before = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        sqlite::Connection db;
        const sqlite::Error e = db.open(path, access);
        QVERIFY(!e.ok());
        QCOMPARE(e.code, SQLITE_CANTOPEN);
        QVERIFY2(e.message.contains(path), qPrintable(e.message));
        QVERIFY(!db.isOpen());
        QCOMPARE(QFileInfo(path).isFile(), false);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        // Nothing to run on, and that is an error too.
        QCOMPARE(db.exec(QStringLiteral("create table z(a)")).code, SQLITE_MISUSE);
    }

    // The explicit create, under a name that needs the file-name encoding.
    void openOrCreateMakesTheFile()
    {
        const QString path = m_dir->filePath(QStringLiteral("索引 it's é.db"));
        sqlite::Connection db;
        QVERIFY(db.openOrCreate(path).ok());
        QVERIFY(db.exec(QStringLiteral("create table a(x)")).ok());
        db.close();
        QVERIFY(QFileInfo(path).isFile());
        QVERIFY(db.open(path, sqlite::Connection::Access::ReadOnly).ok());
        QCOMPARE(column(db, QStringLiteral("select name from sqlite_master")), QStringList {QStringLiteral("a")});
    }

    // Another connection holds the file exclusively: the layer gives up with SQLite's text, well within a
    // bound (a wait without one would never return), and works once the lock is gone.
    void busyGivesUp_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("viaTransaction");
        QTest::newRow("insert") << kInsert << false;
        QTest::newRow("select") << "select count(*) from t" << false;
        QTest::newRow("update") << "update t set title='y'" << false;
        QTest::newRow("transaction") << kInsert << true;
    }
    void busyGivesUp()
    {
        QFETCH(QString, sql);
        QFETCH(bool, viaTransaction);
        sqlite::Connection opened;
        QVERIFY(opened.open(m_db).ok());
        sqlite::Connection db = std::move(opened);  // the busy handler must follow the move
        sqlite::Connection locker;
        QVERIFY(locker.open(m_db).ok());
        QVERIFY(locker.exec(QStringLiteral("BEGIN EXCLUSIVE")).ok());

        QElapsedTimer timer;
        timer.start();
        sqlite::Error e;
        if (viaTransaction) {
            sqlite::Transaction tx(db);
            e = tx.error();
            QVERIFY(!tx.isActive());
            QVERIFY(!tx.commit().ok());
        } else {
            e = run(db, sql);
        }
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(e.isBusy());
        QVERIFY2(e.message.contains(QLatin1String("locked")), qPrintable(e.message));

        QVERIFY(locker.exec(QStringLiteral("COMMIT")).ok());
        db.restartBusyBudget();
        if (viaTransaction) {
            sqlite::Transaction tx(db);
            QVERIFY2(tx.error().ok(), qPrintable(tx.error().message));
            QVERIFY(run(db, sql).ok());
            QVERIFY(tx.commit().ok());
        } else {
            const sqlite::Error after = run(db, sql);
            QVERIFY2(after.ok(), qPrintable(after.message));
        }
    }

    // The budget covers the whole operation: five statements that meet the lock give up within about one
    // budget, where a one-second timeout per call would take five.
    void busyBudgetCoversOperation()
    {
        sqlite::Connection db;
        QVERIFY(db.open(m_db).ok());
        QCOMPARE(db.busyBudget(), 1000);
        QVERIFY(run(db, kInsert).ok());  // schema read before the lock
        sqlite::Connection locker;
        QVERIFY(locker.open(m_db).ok());
        QVERIFY(locker.exec(QStringLiteral("BEGIN EXCLUSIVE")).ok());

        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 5; ++i)
            QVERIFY(run(db, kInsert).isBusy());
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(locker.exec(QStringLiteral("ROLLBACK")).ok());
        db.restartBusyBudget();
        QVERIFY(run(db, kInsert).ok());
        QCOMPARE(column(db, QStringLiteral("select count(*) from t")), QStringList {QStringLiteral("2")});
    }

    // The handler really waits: with no budget the lock fails at once, with one the statement succeeds as
    // soon as the other connection lets go.
    void busyWaitsForRelease()
    {
        sqlite::Connection db;
        QVERIFY(db.open(m_db).ok());
        std::promise<bool> locked;
        std::promise<void> release;
        std::future<bool> lockedFuture = locked.get_future();
        const QByteArray path = QFile::encodeName(m_db);
        std::thread holder([&path, &locked, releaseFuture = release.get_future()]() mutable {
            sqlite3* other = nullptr;
            const bool ok = sqlite3_open_v2(path.constData(), &other, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
                && sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
            locked.set_value(ok);
            releaseFuture.wait();
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close_v2(other);
        });
        const bool holds = lockedFuture.get();
        db.setBusyBudget(0);
        const sqlite::Error immediate = run(db, kInsert);
        release.set_value();
        db.setBusyBudget(20000);
        const sqlite::Error waited = run(db, kInsert);
        holder.join();
        QVERIFY(holds);
        QVERIFY(immediate.isBusy());
        QVERIFY2(waited.ok(), qPrintable(waited.message));
        QCOMPARE(column(db, QStringLiteral("select count(*) from t")), QStringList {QStringLiteral("1")});
    }

    void nullColumn()
    {
        sqlite::Connection db;
        QVERIFY(db.open(m_db).ok());
        sqlite::Statement insert(db, QStringLiteral("insert into n(a, b, c) values(?, ?, ?)"));
        QVERIFY(insert.bindNull(1).ok() && insert.bindNull(2).ok() && insert.bindNull(3).ok());
        QCOMPARE(insert.step(), sqlite::Statement::Step::Done);
        insert.reset();
        // A null QString stores '', as every empty value of the program does.
        QVERIFY(insert.bindText(1, QString()).ok() && insert.bindInt64(2, 0).ok()
            && insert.bindBlob(3, QByteArray("")).ok());
        QCOMPARE(insert.step(), sqlite::Statement::Step::Done);

        sqlite::Statement st(db, QStringLiteral("select a, b, c from n order by rowid"));
        QCOMPARE(st.columnCount(), 3);
        QCOMPARE(st.columnIndex(QStringLiteral("C")), 2);
        QCOMPARE(st.columnIndex(QStringLiteral("d")), -1);
        QCOMPARE(st.step(), sqlite::Statement::Step::Row);
        QVERIFY(st.isNull(0) && st.isNull(1) && st.isNull(2));
        QVERIFY(st.text(0).isNull());
        QVERIFY(st.bytes(2).isNull());
        QVERIFY(st.error().ok());
        QCOMPARE(st.step(), sqlite::Statement::Step::Row);
        QVERIFY(!st.isNull(0) && !st.isNull(1) && !st.isNull(2));
        QVERIFY(!st.text(0).isNull() && st.text(0).isEmpty());
        QCOMPARE(st.int64(1), 0);
        QVERIFY(!st.bytes(2).isNull() && st.bytes(2).isEmpty());
        QCOMPARE(st.step(), sqlite::Statement::Step::Done);
        QCOMPARE(column(db, QStringLiteral("select count(*) from n where a is null and b is null and c is null")),
            QStringList {QStringLiteral("1")});
        QCOMPARE(column(db, QStringLiteral("select typeof(a) || ':' || a from n where a is not null")),
            QStringList {QStringLiteral("text:")});
    }

    void textRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("chinese") << QStringLiteral("文字资料：排序算法（快速）");
        QTest::newRow("emoji") << QStringLiteral("😀 👍🏽 👨‍👩‍👧 𝄞");
        QTest::newRow("apostrophes") << QStringLiteral("it's 'quoted' '' ' +(DYH)+ +(MH)+");
        QTest::newRow("nul inside") << (QStringLiteral("before") + QChar(0) + QStringLiteral("after") + QChar(0));
        QTest::newRow("line breaks") << QStringLiteral("a\r\nb\nc\rd\t");
        QString big;
        const QString piece = QStringLiteral("中文 it's 😀 line\n");
        while (big.toUtf8().size() < 10 * 1024 * 1024)
            big += piece.repeated(4096);
        QTest::newRow("10 MB") << big;
    }
    void textRoundTrip()
    {
        QFETCH(QString, value);
        sqlite::Connection db;
        QVERIFY(db.open(m_db).ok());
        sqlite::Statement insert(db, QStringLiteral("insert into t(body) values(?)"));
        QVERIFY(insert.bindText(1, value).ok());
        QCOMPARE(insert.step(), sqlite::Statement::Step::Done);
        const qint64 id = db.lastInsertId();

        sqlite::Statement st(db,
            QStringLiteral("select body, typeof(body), length(cast(body as blob)) from t "
                           "where id=?"));
        QVERIFY(st.bindInt64(1, id).ok());
        QCOMPARE(st.step(), sqlite::Statement::Step::Row);
        const QString read = st.text(0);
        QCOMPARE(read.size(), value.size());
        QVERIFY(read == value);
        QCOMPARE(st.text(1), QStringLiteral("text"));
        QCOMPARE(st.int64(2), qint64(value.toUtf8().size()));
        // The stored text is the one a bound comparison finds.
        QCOMPARE(
            column(db, QStringLiteral("select id from t where body=?"), {value}), QStringList {QString::number(id)});
    }

    // Through the connection's own one-statement runner, which the data module and the contents index use.
    void bindAllTypes()
    {
        sqlite::Connection db;
        QVERIFY(db.open(m_db).ok());
        const QString sql = QStringLiteral("insert into v(x) values(?), (?), (?), (?), (?), (?), (?), (?)");
        const QVariantList values {QStringLiteral("a'b"), -3, qint64(1) << 40, 4000000000u, 2.5, true,
            QByteArray("\0\1", 2), QVariant(QString())};
        const sqlite::Error e = db.run(sql, values);
        QVERIFY2(e.ok(), qPrintable(e.message));
        QCOMPARE(column(db, QStringLiteral("select typeof(x) || ' ' || quote(x) from v order by rowid")),
            (QStringList {"text 'a''b'", "integer -3", "integer 1099511627776", "integer 4000000000", "real 2.5",
                "integer 1", "blob X'0001'", "text ''"}));

        const QString one = QStringLiteral("insert into v(x) values(?)");
        QCOMPARE(db.run(one, {}).code, SQLITE_RANGE);
        QCOMPARE(db.run(one, {1, 2}).code, SQLITE_RANGE);
        QCOMPARE(db.run(one, {QVariant()}).code, SQLITE_MISMATCH);
        const sqlite::Error date = db.run(one, {QDate(2020, 1, 1)});
        QCOMPARE(date.code, SQLITE_MISMATCH);
        QVERIFY2(date.message.contains(QLatin1String("QDate")), qPrintable(date.message));
        QCOMPARE(db.run(one, {std::numeric_limits<quint64>::max()}).code, SQLITE_RANGE);
        QCOMPARE(column(db, QStringLiteral("select count(*) from v")), QStringList {QStringLiteral("8")});
    }

    void prepareErrors_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");  // empty: the statement is fine
        QTest::newRow("syntax") << "selec 1"
                                << "near \"selec\": syntax error";
        QTest::newRow("no table") << "select * from nope"
                                  << "no such table: nope";
        QTest::newRow("no column") << "select nosuch from t"
                                   << "no such column: nosuch";
        QTest::newRow("two statements") << "select 1; select 2"
                                        << "more than one SQL statement";
        QTest::newRow("junk after") << "select 1; garbage"
                                    << "syntax error";
        QTest::newRow("empty") << "  "
                               << "no SQL statement";
        QTest::newRow("trailing comment") << "select 1; -- done"
                                          << "";
    }
    void prepareErrors()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        sqlite::Connection db;
        QVERIFY(db.open(m_db).ok());
        sqlite::Statement st(db, sql);
        if (message.isEmpty()) {
            QVERIFY2(st.isValid() && st.error().ok(), qPrintable(st.error().message));
            QCOMPARE(st.step(), sqlite::Statement::Step::Row);
            return;
        }
        QVERIFY(!st.isValid());
        QCOMPARE(st.error().code, SQLITE_ERROR);
        QVERIFY2(st.error().message.contains(message), qPrintable(st.error().message));
        // Using the failed statement reports the same failure instead of crashing.
        QCOMPARE(st.step(), sqlite::Statement::Step::Failed);
        QVERIFY(st.bindText(1, QStringLiteral("x")).message.contains(message));
        QCOMPARE(st.error().code, SQLITE_ERROR);
    }

    void transactionRollsBack()
    {
        sqlite::Connection db;
        QVERIFY(db.open(m_db).ok());
        {
            sqlite::Transaction tx(db);
            QVERIFY(tx.isActive());
            QVERIFY(run(db, kInsert).ok());
            QVERIFY(!db.isAutocommit());
        }
        QVERIFY(db.isAutocommit());
        QCOMPARE(column(db, QStringLiteral("select count(*) from t")), QStringList {QStringLiteral("0")});

        {
            sqlite::Transaction outer(db, sqlite::Transaction::Mode::Deferred);
            QVERIFY(outer.error().ok());
            QVERIFY(run(db, kInsert).ok());
            QVERIFY(run(db, kInsert).ok());
            {
                // A nested begin fails, and its guard must not undo the outer transaction.
                sqlite::Transaction inner(db);
                QVERIFY(!inner.error().ok());
                QVERIFY2(inner.error().message.contains(QLatin1String("within a transaction")),
                    qPrintable(inner.error().message));
                QVERIFY(!inner.commit().ok());
            }
            QVERIFY(!db.isAutocommit());
            QVERIFY(run(db, QStringLiteral("update t set title='z'")).ok());
            QCOMPARE(db.changes(), 2);
            QVERIFY(outer.commit().ok());
            QVERIFY(!outer.commit().ok());
        }
        QCOMPARE(column(db, QStringLiteral("select title from t")),
            (QStringList {QStringLiteral("z"), QStringLiteral("z")}));
    }

    void readOnlyRefusesWrite()
    {
        {
            sqlite::Connection db;
            QVERIFY(db.open(m_db).ok());
            QVERIFY(run(db, kInsert).ok());
        }
        const QByteArray before = fileBytes(m_db);
        sqlite::Connection db;
        QVERIFY(db.open(m_db, sqlite::Connection::Access::ReadOnly).ok());
        QCOMPARE(column(db, QStringLiteral("select title from t")), QStringList {QStringLiteral("x")});
        const sqlite::Error insert = run(db, kInsert);
        QCOMPARE(insert.code, SQLITE_READONLY);
        QVERIFY2(insert.message.contains(QLatin1String("readonly")), qPrintable(insert.message));
        const sqlite::Error create = db.exec(QStringLiteral("create table z(a)"));
        QCOMPARE(create.code, SQLITE_READONLY);
        QVERIFY(!create.message.isEmpty());
        db.close();
        QCOMPARE(fileBytes(m_db), before);
    }
};

QS_TEST_CLASS(SqliteLayerTest)
#include "test_sqlite.moc"
