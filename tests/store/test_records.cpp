// Stored-text escaping, creation time text and the two material records against a real database file.
#include "StoreFixture.h"
#include "TestMain.h"

#include "store/Escaping.h"
#include "store/TFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {
const QString kFailure = QStringLiteral("数据库操作失败！ 原因：");
const QString kAdded = QStringLiteral("添加成功！你可以继续操作！");
const QString kDone = QStringLiteral("操作成功！");
}  // namespace

class EscapingTest final : public QObject {
    Q_OBJECT
private slots:
    void escaping_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::newRow("apostrophe") << "it's"
                                    << "it+(DYH)+s"
                                    << "it+(DYH)+s";
        QTest::newRow("colon and quotes") << "a:'b'"
                                          << "a:+(DYH)+b+(DYH)+"
                                          << "a+(MH)++(DYH)+b+(DYH)+";
        QTest::newRow("nothing to do") << "100% C:\\x 😀"
                                       << "100% C:\\x 😀"
                                       << "100% C+(MH)+\\x 😀";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("only marks") << "'':"
                                    << "+(DYH)++(DYH)+:"
                                    << "+(DYH)++(DYH)++(MH)+";
    }
    void escaping()
    {
        QFETCH(QString, plain);
        QFETCH(QString, title);
        QFETCH(QString, body);
        QCOMPARE(EscapeTitleText(plain), title);
        QCOMPARE(EscapeBodyText(plain), body);
        QCOMPARE(UnescapeTitleText(title), plain);
        QCOMPARE(UnescapeBodyText(body), plain);
    }

    void unescapingStoredTokens()
    {
        QCOMPARE(UnescapeBodyText(QStringLiteral("x+(MH)+y+(DYH)+")), QStringLiteral("x:y'"));
        QCOMPARE(UnescapeTitleText(QStringLiteral("x+(MH)+y")), QStringLiteral("x+(MH)+y"));
        // Case-sensitive, and scanned left to right: overlapping tokens resolve at the first one.
        QCOMPARE(UnescapeBodyText(QStringLiteral("+(dyh)+ +(mh)+")), QStringLiteral("+(dyh)+ +(mh)+"));
        QCOMPARE(UnescapeTitleText(QStringLiteral("+(DYH)+(DYH)+")), QStringLiteral("'(DYH)+"));
        QCOMPARE(UnescapeBodyText(QStringLiteral("+(MH)+(MH)+")), QStringLiteral(":(MH)+"));
    }

    void creationTime_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("text");
        const QDate day(2024, 3, 5);
        QTest::newRow("midnight") << QDateTime(day, QTime(0, 0)) << "2024-03-05";
        QTest::newRow("midnight with ms") << QDateTime(day, QTime(0, 0, 0, 500)) << "2024-03-05";
        QTest::newRow("one second past") << QDateTime(day, QTime(0, 0, 1)) << "2024-03-05 00:00:01";
        QTest::newRow("morning") << QDateTime(day, QTime(9, 5, 7)) << "2024-03-05 09:05:07";
        QTest::newRow("evening") << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)) << "1999-12-31 23:59:59";
    }
    void creationTime()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, text);
        QCOMPARE(creationTimeText(when), text);
    }
};

class RecordTest final : public QObject {
    Q_OBJECT
private slots:
    void constructionStampsTimeAndFixesPath()
    {
        TestDataDir dir;
        TMainData data(dir.path());
        QCOMPARE(data.databasePath(), QStringLiteral("Data.QSD"));
        ResultMessage = QStringLiteral("old");
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
        TFileText record;
        const QDateTime after = QDateTime::currentDateTime();
        QVERIFY(ResultMessage.isEmpty());
        QVERIFY(record.title.isEmpty() && record.writer.isEmpty() && record.main.isEmpty());
        QVERIFY(data.usesAbsolutePath());
        QCOMPARE(data.databasePath(), QDir(dir.path()).filePath(QStringLiteral("Data.QSD")));
        const QDateTime stamped = QDateTime::fromString(record.createtime, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QDateTime midnight = QDateTime::fromString(record.createtime, QStringLiteral("yyyy-MM-dd"));
        const QDateTime parsed = stamped.isValid() ? stamped : midnight;
        QVERIFY2(parsed.isValid() && parsed >= before && parsed <= after, qPrintable(record.createtime));
    }

    void textRoundTrip_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("subcategory");
        QTest::addColumn<QStringList>("body");
        QTest::newRow("apostrophes everywhere") << "it's"
                                                << "O'Brien"
                                                << "C'at"
                                                << "it's" << QStringList {"a:'b'", "c"};
        QTest::newRow("directly in category") << "t"
                                              << ""
                                              << "算法"
                                              << "" << QStringList {"one"};
        QTest::newRow("empty body") << "空"
                                    << "张三"
                                    << "算法"
                                    << "排序" << QStringList {};
        QTest::newRow("empty lines kept") << "t"
                                          << ""
                                          << "a"
                                          << "b" << QStringList {"", "x", ""};
        QTest::newRow("tokens, percent, backslash, emoji") << "+(DYH)+ 100%"
                                                           << "\\\\server"
                                                           << "%_"
                                                           << "😀" << QStringList {"+(MH)+ C:\\Tools", "😀 'q'"};
    }
    void textRoundTrip()
    {
        QFETCH(QString, title);
        QFETCH(QString, writer);
        QFETCH(QString, category);
        QFETCH(QString, subcategory);
        QFETCH(QStringList, body);
        StoreFixture f;
        TFileText in;
        in.title = EscapeTitleText(title);
        in.writer = writer;
        in.bigclassname = category;
        in.classname = subcategory;
        for (const QString& line : body)
            in.main.append(EscapeBodyText(line));
        in.InsertNew();
        QCOMPARE(ResultMessage, kAdded);
        const qint64 id = f.lastId(QStringLiteral("textfile"));
        QCOMPARE(f.raw(QStringLiteral("textfile"), QStringLiteral("main"), id), in.mainText());
        QCOMPARE(f.raw(QStringLiteral("textfile"), QStringLiteral("writer"), id), writer);

        TFileText out;
        out.LoadById(id);
        QCOMPARE(ResultMessage, kDone);
        QCOMPARE(out.title, UnescapeTitleText(in.title));
        QCOMPARE(out.writer, writer);
        QCOMPARE(out.bigclassname, category);
        QCOMPARE(out.classname, subcategory);
        QCOMPARE(out.createtime, in.createtime);
        QStringList expected;
        for (const QString& line : in.main)
            expected.append(UnescapeBodyText(line));
        QCOMPARE(out.main, expected);

        // An update overwrites every column, creation time included.
        out.title = QStringLiteral("new'title");
        out.writer = QStringLiteral("x'y");
        out.createtime = QStringLiteral("2001-02-03 04:05:06");
        out.main = QStringList {QStringLiteral("only")};
        out.UpdateById(id);
        QCOMPARE(ResultMessage, kDone);
        TFileText again;
        again.LoadById(id);
        QCOMPARE(again.title, out.title);
        QCOMPARE(again.writer, out.writer);
        QCOMPARE(again.createtime, out.createtime);
        QCOMPARE(again.main, out.main);
    }

    void exeRoundTrip_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("about");
        QTest::newRow("windows path") << "C:\\Tools\\a.exe" << QStringList {"runs: 'fast'"};
        QTest::newRow("apostrophe in path, no description") << "/home/o'neil/x.sh" << QStringList {};
    }
    void exeRoundTrip()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, about);
        StoreFixture f;
        TFileExe in;
        in.title = QStringLiteral("tool");
        in.bigclassname = QStringLiteral("工具");
        in.fpath = path;
        for (const QString& line : about)
            in.about.append(EscapeBodyText(line));
        in.InsertNew();
        QCOMPARE(ResultMessage, kAdded);
        const qint64 id = f.lastId(QStringLiteral("exefile"));
        QCOMPARE(f.raw(QStringLiteral("exefile"), QStringLiteral("fpath"), id), path);
        QCOMPARE(f.raw(QStringLiteral("exefile"), QStringLiteral("about"), id), in.aboutText());
        TFileExe out;
        out.LoadById(id);
        QCOMPARE(ResultMessage, kDone);
        QCOMPARE(out.fpath, path);
        QCOMPARE(out.about, about);
        QCOMPARE(out.classname, QString());
        out.fpath = QStringLiteral("D:\\b'.exe");
        out.UpdateById(id);
        QCOMPARE(ResultMessage, kDone);
        QCOMPARE(f.raw(QStringLiteral("exefile"), QStringLiteral("fpath"), id), out.fpath);
    }

    void loadSplitsBody_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf ending") << "a\r\nb\r\n" << QStringList {"a", "b"};
        QTest::newRow("no ending") << "a\nb" << QStringList {"a", "b"};
        QTest::newRow("lone cr") << "a\rb\r" << QStringList {"a", "b"};
        QTest::newRow("blank last line") << "a\r\n\r\n" << QStringList {"a", ""};
        QTest::newRow("empty") << "" << QStringList {};
    }
    void loadSplitsBody()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, lines);
        StoreFixture f;
        const qint64 text = f.dir.addText(QStringLiteral("t"), QStringLiteral("c"), QString(), stored);
        const qint64 exe
            = f.dir.addExe(QStringLiteral("t"), QStringLiteral("c"), QString(), QStringLiteral("/p"), stored);
        TFileText t;
        t.LoadById(text);
        QCOMPARE(t.main, lines);
        TFileExe e;
        e.LoadById(exe);
        QCOMPARE(e.about, lines);
    }

    void megabyteBody()
    {
        StoreFixture f;
        TFileText in;
        in.title = QStringLiteral("big");
        for (int i = 0; i < 16 * 1024; ++i)
            in.main.append(QString(62, QChar(u'a' + i % 26)));
        in.InsertNew();
        QCOMPARE(ResultMessage, kAdded);
        TFileText out;
        out.LoadById(f.lastId(QStringLiteral("textfile")));
        QCOMPARE(ResultMessage, kDone);
        QVERIFY(out.main == in.main);
    }

    void missingIdKeepsFields()
    {
        StoreFixture f;
        f.dir.addText(QStringLiteral("t"), QStringLiteral("c"), QString());
        TFileText text;
        text.title = QStringLiteral("old");
        text.createtime = QStringLiteral("then");
        text.main = QStringList {QStringLiteral("old body")};
        text.LoadById(999);
        QVERIFY2(
            ResultMessage.startsWith(kFailure) && ResultMessage.size() > kFailure.size(), qPrintable(ResultMessage));
        QCOMPARE(text.title, QStringLiteral("old"));
        QCOMPARE(text.createtime, QStringLiteral("then"));
        QVERIFY(text.main.isEmpty());

        TFileExe exe;
        exe.fpath = QStringLiteral("/keep");
        exe.about = QStringList {QStringLiteral("x")};
        exe.LoadById(999);
        QVERIFY(ResultMessage.startsWith(kFailure));
        QCOMPARE(exe.fpath, QStringLiteral("/keep"));
        QVERIFY(exe.about.isEmpty());

        const QStringList before = f.dir.column(QStringLiteral("select title from textfile"));
        text.UpdateById(999);
        QCOMPARE(ResultMessage, kDone);
        QCOMPARE(f.dir.column(QStringLiteral("select title from textfile")), before);
    }

    // A NULL stops the load at that column: columns read before it are loaded, the rest keep their values.
    void nullColumnPartialFill_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("nullPosition");
        QTest::addColumn<int>("loadedCount");  // fields loaded before the failure, in reading order
        QTest::newRow("text title") << "textfile" << 1 << 0;
        QTest::newRow("text classname") << "textfile" << 2 << 3;
        QTest::newRow("text main") << "textfile" << 6 << 4;
        QTest::newRow("text createtime") << "textfile" << 5 << 5;
        QTest::newRow("exe fpath") << "exefile" << 7 << 5;
        QTest::newRow("exe createtime") << "exefile" << 5 << 6;
    }
    void nullColumnPartialFill()
    {
        QFETCH(QString, table);
        QFETCH(int, nullPosition);
        QFETCH(int, loadedCount);
        StoreFixture f;
        // The installed schema forbids NULL; an older or foreign file may not.
        QVERIFY(QFile::remove(f.db()));
        const bool text = table == QStringLiteral("textfile");
        QStringList columns {"title", "classname", "bigclassname", "writer", "createtime", text ? "main" : "about"};
        if (!text)
            columns.append(QStringLiteral("fpath"));
        QVERIFY(
            f.dir.exec(QStringLiteral("create table %1 (id integer primary key, %2)").arg(table, columns.join(','))));
        QVariantList values {"T+(DYH)+", "sub", "cat", "who", "2020-01-01", "b+(MH)+"};
        if (!text)
            values.append(QStringLiteral("/p"));
        values[nullPosition - 1] = QVariant();
        QVERIFY(
            f.dir.exec(QStringLiteral("insert into %1 values(7,?,?,?,?,?,?%2)").arg(table, text ? "" : ",?"), values));

        std::unique_ptr<TFile> record(text ? static_cast<TFile*>(new TFileText) : new TFileExe);
        auto* t = dynamic_cast<TFileText*>(record.get());
        auto* e = dynamic_cast<TFileExe*>(record.get());
        record->title = record->writer = record->bigclassname = record->classname = record->createtime
            = QStringLiteral("old");
        if (e)
            e->fpath = QStringLiteral("old");
        record->LoadById(7);
        QVERIFY2(
            ResultMessage.startsWith(kFailure) && ResultMessage.size() > kFailure.size(), qPrintable(ResultMessage));

        // The fields in reading order: their loaded values, and what they held before (the body starts empty).
        QStringList actual {record->title, record->writer, record->bigclassname, record->classname,
            (t ? t->main : e->about).join('\n')};
        QStringList loaded {"T'", "who", "cat", "sub", "b:"};
        QStringList old {"old", "old", "old", "old", ""};
        if (e) {
            actual.append(e->fpath);
            loaded.append(QStringLiteral("/p"));
            old.append(QStringLiteral("old"));
        }
        actual.append(record->createtime);
        loaded.append(QStringLiteral("2020-01-01"));
        old.append(QStringLiteral("old"));
        for (int i = 0; i < actual.size(); ++i)
            QCOMPARE(actual.at(i), i < loadedCount ? loaded.at(i) : old.at(i));
    }

    void failedInsertStoresNothing()
    {
        StoreFixture f;
        QVERIFY(f.dir.exec(QStringLiteral("create trigger no_insert before insert on exefile "
                                          "begin select raise(abort, 'refused by trigger'); end")));
        TFileExe exe;
        exe.title = QStringLiteral("t");
        exe.InsertNew();
        QVERIFY2(ResultMessage.startsWith(kFailure) && ResultMessage.contains(QStringLiteral("refused by trigger")),
            qPrintable(ResultMessage));
        QCOMPARE(f.dir.column(QStringLiteral("select count(*) from exefile")), QStringList {"0"});
    }

    void noDataModuleFailsCleanly()
    {
        QVERIFY(!MainData);
        TFileText text;
        text.title = QStringLiteral("t");
        text.InsertNew();
        QVERIFY(ResultMessage.startsWith(kFailure) && ResultMessage.size() > kFailure.size());
        text.main = QStringList {QStringLiteral("x")};
        text.LoadById(1);
        QVERIFY(ResultMessage.startsWith(kFailure));
        QVERIFY(text.main.isEmpty());
        int count = 5;
        QVERIFY(!TFile::ExecuteStatement(sql::countAll(QStringLiteral("textfile"))));
        QVERIFY(!TFile::OpenAndCount(sql::countAll(QStringLiteral("textfile")), count));
        QCOMPARE(count, 5);
    }
};

QS_TEST_CLASS(EscapingTest)
QS_TEST_CLASS(RecordTest)
#include "test_records.moc"
