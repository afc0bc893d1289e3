// The search statement (built without widgets) and its results against a real database.
#include "TestData.h"
#include "TestMain.h"
#include "search/SearchQuery.h"
#include "store/Sqlite.h"
#include "store/Statements.h"
#include "store/TMainData.h"

#include <QtTest>

using search::SearchInput;
Q_DECLARE_METATYPE(search::SearchInput)

namespace {
const QString kText = QStringLiteral("文字资料");
const QString kExample = QStringLiteral("实例资料");
const QString kAll = QStringLiteral("全部类别");

SearchInput makeInput(
    const QString& kind, const QString& category, const QString& subcategory, const QString& key, const QString& author)
{
    SearchInput in;
    in.kind = kind;
    in.category = category;
    in.subcategory = subcategory;
    in.titleKey = key;
    in.author = author;
    return in;
}

SearchInput withRange(SearchInput in, const QDate& begin, const QDate& end)
{
    in.useTime = true;
    in.beginDate = begin;
    in.endDate = end;
    return in;
}

// How SQLite runs a statement on the database at path: the detail lines of its query plan.
QString queryPlan(const QString& path, const Statement& st)
{
    sqlite::Connection db;
    if (!db.open(path).ok())
        return QStringLiteral("cannot open ") + path;
    sqlite::Statement plan(db, QStringLiteral("explain query plan ") + st.sql);
    if (!plan.isValid() || !plan.bindAll(st.values).ok())
        return QStringLiteral("cannot prepare ") + st.sql;
    QStringList details;
    while (plan.step() == sqlite::Statement::Step::Row)
        details << plan.text(3);
    return details.join(QLatin1Char('\n'));
}

QStringList titlesOf(const QList<search::SearchHit>& hits)
{
    QStringList out;
    for (const search::SearchHit& h : hits)
        out << h.title;
    out.sort();
    return out;
}
}  // namespace

class SearchStatementTest final : public QObject {
    Q_OBJECT
private slots:
    void statement_data()
    {
        QTest::addColumn<SearchInput>("input");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("values");

        const QString like = QStringLiteral(" escape '\\'");
        QTest::newRow("keyword and author, any category")
            << makeInput(kText, kAll, kAll, QStringLiteral("排序"), QStringLiteral("张三"))
            << QStringLiteral("select id,title from textfile where title like ?") + like
                + QStringLiteral(" and writer=?")
            << QVariantList {QStringLiteral("%排序%"), QStringLiteral("张三")};
        QTest::newRow("category, keyword and date range")
            << withRange(makeInput(kExample, QStringLiteral("工具"), kAll, QStringLiteral("编辑"), QString()),
                   QDate(2004, 3, 1), QDate(2004, 3, 31))
            << QStringLiteral("select id,title from exefile where bigclassname=? and title like ?") + like
                + QStringLiteral(" and createtime>=? and createtime<?")
            << QVariantList {QStringLiteral("工具"), QStringLiteral("%编辑%"), QStringLiteral("2004-03-01"),
                   QStringLiteral("2004-04-01")};
        QTest::newRow("category and subcategory, author only")
            << makeInput(kText, QStringLiteral("算法"), QStringLiteral("排序"), QString(), QStringLiteral("张三"))
            << QStringLiteral("select id,title from textfile where bigclassname=? and classname=? and writer=?")
            << QVariantList {QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("张三")};
        QTest::newRow("apostrophe keyword in stored form")
            << makeInput(kText, kAll, kAll, QStringLiteral("it's"), QString())
            << QStringLiteral("select id,title from textfile where title like ?") + like
            << QVariantList {QStringLiteral("%it+(DYH)+s%")};
        QTest::newRow("wildcards and backslash taken literally")
            << makeInput(kText, kAll, kAll, QStringLiteral("50%_a\\b"), QString())
            << QStringLiteral("select id,title from textfile where title like ?") + like
            << QVariantList {QStringLiteral("%50\\%\\_a\\\\b%")};
        QTest::newRow("reversed range adds no time condition")
            << withRange(makeInput(kText, kAll, kAll, QString(), QStringLiteral("张三")), QDate(2004, 4, 1),
                   QDate(2004, 3, 1))
            << QStringLiteral("select id,title from textfile where writer=?") << QVariantList {QStringLiteral("张三")};
        QTest::newRow("equal days are that one day")
            << withRange(makeInput(kText, kAll, kAll, QString(), QStringLiteral("张三")), QDate(2004, 3, 5),
                   QDate(2004, 3, 5))
            << QStringLiteral("select id,title from textfile where writer=? and createtime>=? and createtime<?")
            << QVariantList {QStringLiteral("张三"), QStringLiteral("2004-03-05"), QStringLiteral("2004-03-06")};
        SearchInput unticked = withRange(
            makeInput(kText, kAll, kAll, QString(), QStringLiteral("张三")), QDate(2004, 3, 1), QDate(2004, 3, 31));
        unticked.useTime = false;
        QTest::newRow("range not ticked") << unticked << QStringLiteral("select id,title from textfile where writer=?")
                                          << QVariantList {QStringLiteral("张三")};
    }
    void statement()
    {
        QFETCH(SearchInput, input);
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        const Statement st = search::buildStatement(input);
        QCOMPARE(st.sql, sql);
        QCOMPARE(st.values, values);
    }
};

class SearchDatabaseTest final : public QObject {
    Q_OBJECT
private slots:
    void results_data()
    {
        QTest::addColumn<SearchInput>("input");
        QTest::addColumn<QStringList>("titles");

        QTest::newRow("keyword and author") << makeInput(kText, kAll, kAll, QStringLiteral("排序"),
            QStringLiteral("张三")) << QStringList {QStringLiteral("快速排序"), QStringLiteral("排序总结")};
        QTest::newRow("keyword matches anywhere, any author")
            << makeInput(kText, kAll, kAll, QStringLiteral("排序"), QString())
            << QStringList {QStringLiteral("堆排序"), QStringLiteral("快速排序"), QStringLiteral("排序总结")};
        QTest::newRow("category and subcategory, author only")
            << makeInput(kText, QStringLiteral("算法"), QStringLiteral("排序"), QString(), QStringLiteral("张三"))
            << QStringList {QStringLiteral("快速排序")};
        QTest::newRow("author must match exactly")
            << makeInput(kText, kAll, kAll, QString(), QStringLiteral("张")) << QStringList {};
        QTest::newRow("apostrophe in keyword and author") << makeInput(kText, kAll, kAll, QStringLiteral("it's"),
            QStringLiteral("O'Brien")) << QStringList {QStringLiteral("it's mine")};
        QTest::newRow("percent is literal") << makeInput(kText, kAll, kAll, QStringLiteral("100%"), QString())
                                            << QStringList {QStringLiteral("100% done")};
        QTest::newRow("underscore is literal")
            << makeInput(kText, kAll, kAll, QStringLiteral("a_b"), QString()) << QStringList {QStringLiteral("a_b")};
        QTest::newRow("example category, keyword and range")
            << withRange(makeInput(kExample, QStringLiteral("工具"), kAll, QStringLiteral("编辑"), QString()),
                   QDate(2004, 3, 1), QDate(2004, 3, 31))
            << QStringList {QStringLiteral("编辑器旧"), QStringLiteral("编辑器新"), QStringLiteral("编辑器首日")};
        QTest::newRow("equal days find that day only") << withRange(
            makeInput(kExample, kAll, kAll, QStringLiteral("编辑"), QString()), QDate(2004, 3, 31), QDate(2004, 3, 31))
                                                       << QStringList {QStringLiteral("编辑器新")};
        QTest::newRow("reversed range does not restrict")
            << withRange(makeInput(kExample, kAll, kAll, QStringLiteral("编辑"), QString()), QDate(2004, 3, 31),
                   QDate(2004, 3, 1))
            << QStringList {QStringLiteral("编辑器旧"), QStringLiteral("编辑器新"), QStringLiteral("编辑器早"),
                   QStringLiteral("编辑器晚"), QStringLiteral("编辑器首日")};
        QTest::newRow("long keyword") << makeInput(kText, kAll, kAll, QString(500, QChar(0x6392)), QString())
                                      << QStringList {};
    }
    void results()
    {
        QFETCH(SearchInput, input);
        QFETCH(QStringList, titles);

        TestDataDir dir;
        QVERIFY(dir.isValid());
        const QString zs = QStringLiteral("张三");
        dir.addText(QStringLiteral("快速排序"), QStringLiteral("算法"), QStringLiteral("排序"), {}, zs);
        dir.addText(QStringLiteral("排序总结"), QStringLiteral("算法"), QString(), {}, zs);
        dir.addText(
            QStringLiteral("堆排序"), QStringLiteral("算法"), QStringLiteral("排序"), {}, QStringLiteral("李四"));
        dir.addText(QStringLiteral("查找"), QStringLiteral("算法"), QStringLiteral("查找"), {}, zs);
        dir.addText(
            QStringLiteral("it+(DYH)+s mine"), QStringLiteral("网络"), QString(), {}, QStringLiteral("O'Brien"));
        dir.addText(QStringLiteral("100% done"), QStringLiteral("网络"), QString());
        dir.addText(QStringLiteral("1000 done"), QStringLiteral("网络"), QString());
        dir.addText(QStringLiteral("a_b"), QStringLiteral("网络"), QString());
        dir.addText(QStringLiteral("axb"), QStringLiteral("网络"), QString());
        const QString tool = QStringLiteral("工具");
        dir.addExe(QStringLiteral("编辑器早"), tool, QString(), QStringLiteral("/bin/a"), {}, {},
            QStringLiteral("2004-02-29 23:59:59"));
        dir.addExe(QStringLiteral("编辑器首日"), tool, QString(), QStringLiteral("/bin/b"), {}, {},
            QStringLiteral("2004-03-01"));
        dir.addExe(QStringLiteral("编辑器旧"), tool, QString(), QStringLiteral("/bin/c"), {}, {},
            QStringLiteral("2004-03-15 08:00:00"));
        dir.addExe(QStringLiteral("编辑器新"), tool, QString(), QStringLiteral("/bin/d"), {}, {},
            QStringLiteral("2004-03-31 23:59:59"));
        dir.addExe(QStringLiteral("编辑器晚"), tool, QString(), QStringLiteral("/bin/e"), {}, {},
            QStringLiteral("2004-04-01"));
        dir.addExe(
            QStringLiteral("查看器"), tool, QString(), QStringLiteral("/bin/f"), {}, {}, QStringLiteral("2004-03-15"));

        TMainData data(dir.path());
        data.useAbsolutePath();
        QList<search::SearchHit> hits;
        QString error;
        QVERIFY2(search::run(data, search::buildStatement(input), hits, &error), qPrintable(error));
        titles.sort();
        QCOMPARE(titlesOf(hits), titles);
        for (const search::SearchHit& h : hits)
            QVERIFY(h.id > 0);
    }

    // The author search over a whole kind finds its rows in the writer-and-title index and reads them from
    // there, never from the table; counting a kind walks the smallest index, the count index.
    void authorSearchAndCountsReadAnIndexAlone()
    {
        TestDataDir dir;
        QVERIFY(dir.isValid());
        const QString db = dir.path() + QStringLiteral("/Data.QSD");
        for (const QString& kind : {kText, kExample}) {
            const QString table = kind == kText ? QStringLiteral("textfile") : QStringLiteral("exefile");
            const QString byAuthor
                = queryPlan(db, search::buildStatement(makeInput(kind, kAll, kAll, QString(), QStringLiteral("张三"))));
            QVERIFY2(byAuthor.contains(QStringLiteral("COVERING INDEX %1_writer_title (writer=?)").arg(table)),
                qPrintable(byAuthor));
            const QString counted = queryPlan(db, sql::countRows(sql::countAll(table)));
            QVERIFY2(counted.contains(QStringLiteral("COVERING INDEX %1_count").arg(table)), qPrintable(counted));
        }
    }
};

QS_TEST_CLASS(SearchStatementTest)
QS_TEST_CLASS(SearchDatabaseTest)
#include "test_search_query.moc"
