// The indexes of the material database: part of every new installation, added once to a database
// made before them, and never at the price of a read or of a file that must not be written.
#include "SqlProbe.h"
#include "StoreFixture.h"
#include "TestMain.h"

#include "store/Indexes.h"
#include "store/SafetyCopies.h"
#include "store/TFile.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(Statement)

namespace {
const QString kText = QStringLiteral("textfile");

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList indexesOf(const TestDataDir& dir)
{
    QStringList names
        = dir.column(QStringLiteral("select name from sqlite_master where type='index' and name not like 'sqlite_%'"));
    names.sort();
    return names;
}

QStringList allIndexes()
{
    QStringList names = storeindexes::names();
    names.sort();
    return names;
}

// Makes the database look like one from before the indexes.
bool dropIndexes(const TestDataDir& dir)
{
    for (const QString& name : storeindexes::names()) {
        if (!dir.exec(QStringLiteral("drop index if exists ") + name))
            return false;
    }
    return indexesOf(dir).isEmpty();
}

// Every stored value, row by row, as one text per row.
QStringList rows(const TestDataDir& dir)
{
    return dir.column(QStringLiteral("select quote(id)||quote(title)||quote(classname)||quote(bigclassname)||"
                                     "quote(writer)||quote(createtime)||quote(main) from textfile order by id"));
}

using WriteLock = sqlprobe::HeldLock;
}  // namespace

class IndexTest final : public QObject {
    Q_OBJECT
private slots:
    void newInstallationHasThem()
    {
        TestDataDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(indexesOf(dir), allIndexes());
    }

    // An older database gets the indexes at the first access of a run, after its safety copy, and
    // keeps every stored value; counts and listings give what they gave before.
    void olderDatabaseGetsThemOnce()
    {
        StoreFixture f;
        for (int i = 0; i < 30; ++i)
            f.dir.addText(QStringLiteral("t%1 it+(DYH)+s").arg(i), QStringLiteral("c%1").arg(i % 3),
                i % 2 ? QStringLiteral("s") : QString(), QStringLiteral("body %1").arg(i),
                QStringLiteral("w%1").arg(i % 4));
        QVERIFY(dropIndexes(f.dir));
        const QStringList before = rows(f.dir);

        int count = -1;
        QVERIFY(TFile::OpenAndCount(sql::countCategory(kText, QStringLiteral("c1")), count));
        QCOMPARE(count, 10);
        QCOMPARE(indexesOf(f.dir), allIndexes());
        QCOMPARE(rows(f.dir), before);
        // The copy holds the file as it was: without the indexes.
        const QString copy = safetycopies::copyPath(f.db(), 1);
        QVERIFY(f.data.waitForSafetyCopy(30000));
        QVERIFY(QFile::exists(copy));
        QCOMPARE(sqlprobe::column(copy, QStringLiteral("select count(*) from sqlite_master where type='index'")),
            QStringList {QStringLiteral("0")});

        // Once per data module: dropped again during the run, they stay dropped until the next run.
        QVERIFY(dropIndexes(f.dir));
        QVERIFY(TFile::OpenAndCount(sql::countSubcategory(kText, QStringLiteral("s"), QStringLiteral("c1")), count));
        QCOMPARE(count, 5);
        QVERIFY(indexesOf(f.dir).isEmpty());
        TMainData nextRun(f.dir.path());
        nextRun.useAbsolutePath();
        QVERIFY(TFile::OpenAndCount(sql::countAll(kText), count));
        QCOMPARE(count, 30);
        QCOMPARE(indexesOf(f.dir), allIndexes());
        QCOMPARE(rows(f.dir), before);
    }

    // A file that cannot take the indexes now is read as usual and left exactly as it is.
    void unwritableDatabaseIsOnlyRead_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("locked by a writer") << "locked";
        QTest::newRow("read-only") << "read-only";
    }
    void unwritableDatabaseIsOnlyRead()
    {
        QFETCH(QString, state);
        StoreFixture f;
        f.dir.addText(QStringLiteral("a"), QStringLiteral("c"), QString());
        f.dir.addText(QStringLiteral("b"), QStringLiteral("c"), QString());
        QVERIFY(dropIndexes(f.dir));
        std::unique_ptr<WriteLock> lock;
        if (state == QLatin1String("locked")) {
            lock = std::make_unique<WriteLock>(f.db());
            QVERIFY(lock->held());
        } else {
            QVERIFY(QFile::setPermissions(f.db(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            QFile probe(f.db());
            if (probe.open(QIODevice::ReadWrite))
                QSKIP("file permissions do not bind this user");
        }
        const QByteArray before = fileBytes(f.db());

        int count = -1;
        QVERIFY(TFile::OpenAndCount(sql::countCategory(kText, QStringLiteral("c")), count));
        QCOMPARE(count, 2);
        QCOMPARE(fileBytes(f.db()), before);
        lock.reset();
        QVERIFY(indexesOf(f.dir).isEmpty());
        QVERIFY(!QFile::exists(f.db() + QStringLiteral("-journal")));
    }

    // The count the database takes is the number of rows the select itself gives, whatever its shape.
    void countIsTheNumberOfRows_data()
    {
        QTest::addColumn<Statement>("select");
        QTest::addColumn<int>("expected");
        const QString c = QStringLiteral("O'Neil");
        QTest::newRow("ordered listing") << sql::listMaterials(kText, c, QStringLiteral("s"), 1) << 2;
        QTest::newRow("listing by time") << sql::listMaterials(kText, c, QString(), 2) << 1;
        QTest::newRow("search with escape") << Statement {
            QStringLiteral("select id,title from textfile where title like ? escape '\\'"),
            {QStringLiteral("%50\\%%")}} << 1;
        QTest::newRow("limit") << Statement {QStringLiteral("select id from textfile limit 2"), {}} << 2;
        QTest::newRow("trailing comment") << Statement {QStringLiteral("select id from textfile -- all"), {}} << 4;
        QTest::newRow("no rows") << sql::countCategory(kText, QStringLiteral("none")) << 0;
    }
    void countIsTheNumberOfRows()
    {
        QFETCH(Statement, select);
        QFETCH(int, expected);
        StoreFixture f;
        const QString c = QStringLiteral("O'Neil");
        f.dir.addText(QStringLiteral("b"), c, QStringLiteral("s"));
        f.dir.addText(QStringLiteral("a"), c, QStringLiteral("s"));
        f.dir.addText(QStringLiteral("50% off"), c, QString());
        f.dir.addText(QStringLiteral("500 off"), QStringLiteral("x"), QString());
        int count = -1;
        QVERIFY(TFile::OpenAndCount(select, count));
        QCOMPARE(count, expected);
    }

    // Loads read by position: a table whose columns stand otherwise is read, but never written (not
    // even its indexes), and the refusal names the table.
    void unexpectedLayoutIsReadButNotWritten_data()
    {
        QTest::addColumn<QString>("create");
        QTest::newRow("a column missing") << "create table exefile (id integer primary key, title, classname, "
                                             "bigclassname, createtime, about, fpath)";
        QTest::newRow("two columns swapped") << "create table exefile (id integer primary key, title, bigclassname, "
                                                "classname, writer, createtime, about, fpath)";
    }
    void unexpectedLayoutIsReadButNotWritten()
    {
        QFETCH(QString, create);
        StoreFixture f;
        QVERIFY(dropIndexes(f.dir));
        QVERIFY(f.dir.exec(QStringLiteral("drop table exefile")));
        QVERIFY(f.dir.exec(create));
        const qint64 id = f.dir.addText(QStringLiteral("kept"), QStringLiteral("c"), QString());
        int count = -1;
        QVERIFY(TFile::OpenAndCount(sql::countAll(QStringLiteral("exefile")), count));
        QCOMPARE(count, 0);
        TFileText text;
        QVERIFY(text.LoadById(id));
        QCOMPARE(text.title, QStringLiteral("kept"));
        QVERIFY(indexesOf(f.dir).isEmpty());

        text.title = QStringLiteral("changed");
        QVERIFY(!text.UpdateById(id));
        QVERIFY2(ResultMessage.contains(QStringLiteral("exefile")), qPrintable(ResultMessage));
        QVERIFY(!TFile::ExecuteStatement(sql::deleteMaterial(QStringLiteral("textfile"), id)));
        QCOMPARE(f.dir.column(QStringLiteral("select title from textfile")), QStringList {"kept"});
        QVERIFY(indexesOf(f.dir).isEmpty());
    }
};

QS_TEST_CLASS(IndexTest)
#include "test_indexes.moc"
