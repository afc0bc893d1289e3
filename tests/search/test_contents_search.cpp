// Contents search: the index's answers against a plain reading of every unescaped title and body, over a
// generated corpus; the index kept in step by every kind of write; repair after a killed run; index files
// that must not be trusted.
#include "Privileges.h"
#include "TestData.h"
#include "TestMain.h"
#include "search/SearchQuery.h"
#include "store/ContentIndex.h"
#include "store/Escaping.h"
#include "store/Sqlite.h"
#include "store/TFile.h"
#include "store/TMainData.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using search::SearchInput;

namespace {
const QString kText = QStringLiteral("文字资料");
const QString kExample = QStringLiteral("实例资料");
const QString kAll = QStringLiteral("全部类别");

// The characters the corpus is made of: Chinese, ASCII of both cases, the characters LIKE and FTS5 treat
// specially, an emoji and a character GBK cannot encode.
const QList<QString> kPieces = {QStringLiteral("排"), QStringLiteral("序"), QStringLiteral("算"), QStringLiteral("法"),
    QStringLiteral("线"), QStringLiteral("程"), QStringLiteral("池"), QStringLiteral("的"), QStringLiteral("a"),
    QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("Q"), QStringLiteral("q"), QStringLiteral("s"),
    QStringLiteral("S"), QStringLiteral("l"), QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("\\"),
    QStringLiteral("'"), QStringLiteral(":"), QStringLiteral("\""), QStringLiteral("*"), QStringLiteral("("),
    QStringLiteral(" "), QStringLiteral("\r\n"), QStringLiteral("😀"), QStringLiteral("é"), QStringLiteral("NEAR"),
    QStringLiteral("AND"), QStringLiteral("+(MH)+"), QStringLiteral("+(DYH)+")};

QString randomText(QRandomGenerator& rng, int pieces)
{
    QString out;
    for (int i = 0; i < pieces; ++i)
        out += kPieces.at(int(rng.bounded(kPieces.size())));
    return out;
}

struct Material {
    int kind = 0;  // 0 text, 1 example
    qint64 id = 0;
    QString title;  // as stored
    QString body;  // as stored
    QString category;
};

// What a contents search must find: the keyword in the unescaped title or body, ASCII case ignored.
QList<qint64> expected(const QList<Material>& corpus, int kind, const QString& keyword)
{
    const QString key = contentindex::foldAscii(keyword);
    QList<qint64> ids;
    for (const Material& m : corpus) {
        if (m.kind == kind
            && (contentindex::foldAscii(UnescapeTitleText(m.title)).contains(key)
                || contentindex::foldAscii(UnescapeBodyText(m.body)).contains(key)))
            ids << m.id;
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// What a title search finds: the keyword in the unescaped title, ASCII case ignored.
QList<qint64> expectedInTitles(
    const QList<Material>& corpus, int kind, const QString& keyword, const QString& category = kAll)
{
    const QString key = contentindex::foldAscii(keyword);
    QList<qint64> ids;
    for (const Material& m : corpus) {
        if (m.kind == kind && (category == kAll || m.category == category)
            && contentindex::foldAscii(UnescapeTitleText(m.title)).contains(key))
            ids << m.id;
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

SearchInput contentsInput(int kind, const QString& keyword)
{
    SearchInput in;
    in.kind = kind == 0 ? kText : kExample;
    in.category = kAll;
    in.subcategory = kAll;
    in.titleKey = keyword;
    in.contents = true;
    return in;
}

// The ids a contents search finds; state tells whether the index answered.
QList<qint64> found(const QString& database, int kind, const QString& keyword, bool useIndex,
    contentindex::State* state = nullptr, QString* error = nullptr, const QString& category = kAll,
    bool contents = true)
{
    QList<search::SearchHit> hits;
    QString why;
    contentindex::State s = contentindex::State::Unusable;
    SearchInput in = contentsInput(kind, keyword);
    in.category = category;
    in.contents = contents;
    if (!search::runWithIndex(database, in, useIndex, hits, &why, &s))
        hits.clear();
    if (state)
        *state = s;
    if (error)
        *error = why;
    QList<qint64> ids;
    for (const search::SearchHit& h : hits)
        ids << h.id;
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool buildIndex(TMainData& data)
{
    data.contentIndex().startBuild();
    return data.contentIndex().waitForBuild(60000) && QFileInfo::exists(data.contentIndex().indexPath());
}

QList<Material> makeCorpus(const TestDataDir& dir, quint32 seed, int texts, int examples)
{
    QRandomGenerator rng(seed);
    QList<Material> corpus;
    for (int i = 0; i < texts + examples; ++i) {
        Material m;
        m.kind = i < texts ? 0 : 1;
        m.title = EscapeTitleText(randomText(rng, 1 + int(rng.bounded(8))));
        m.body = EscapeBodyText(randomText(rng, int(rng.bounded(60))));
        m.category = m.kind == 0 ? QStringLiteral("算法") : QStringLiteral("工具");
        m.id = m.kind == 0 ? dir.addText(m.title, m.category, QString(), m.body)
                           : dir.addExe(m.title, m.category, QString(), QStringLiteral("/bin/x"), m.body);
        corpus << m;
    }
    return corpus;
}
}  // namespace

class ContentsSearchTest final : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TMainData> m_data;
    QList<Material> m_corpus;
    QString m_database;

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<TestDataDir>();
        QVERIFY(m_dir->isValid());
        m_corpus = makeCorpus(*m_dir, 16, 300, 100);
        // A long body, and the words the keywords look for where they are rare.
        Material big;
        big.kind = 0;
        big.title = QStringLiteral("big");
        big.body = QString(200 * 1024 / 3, QChar(0x5927)) + QStringLiteral("QSqlQuery 末尾");
        big.id = m_dir->addText(big.title, QStringLiteral("算法"), QString(), big.body);
        m_corpus << big;
        // Another category, so that the other conditions are seen to hold beside many and few hits.
        QRandomGenerator rng(5);
        for (int i = 0; i < 40; ++i) {
            Material m;
            m.title = EscapeTitleText(randomText(rng, 3));
            m.body = EscapeBodyText(randomText(rng, 30));
            m.category = QStringLiteral("网络");
            m.id = m_dir->addText(m.title, m.category, QString(), m.body);
            m_corpus << m;
        }
        m_database = m_dir->file(QStringLiteral("Data.QSD"));
        m_data = std::make_unique<TMainData>(m_dir->path());
        m_data->useAbsolutePath();
        QVERIFY(buildIndex(*m_data));
    }
    void cleanupTestCase()
    {
        m_data.reset();
        m_dir.reset();
    }

    // Every keyword is looked up through the index and by reading every row; both must give what a plain
    // reading of the unescaped texts gives.
    void indexAgreesWithScan_data()
    {
        QTest::addColumn<QStringList>("keywords");
        QRandomGenerator rng(7);
        // Pieces of the corpus's own texts (so most are found) and random strings, of every length.
        for (int length = 1; length <= 6; ++length) {
            QStringList keys;
            for (int i = 0; i < 25; ++i) {
                const Material& m = m_corpus.at(int(rng.bounded(m_corpus.size())));
                const QList<uint> text = UnescapeBodyText(m.body).toUcs4();
                if (text.size() >= length) {
                    const int at = int(rng.bounded(text.size() - length + 1));
                    keys << QString::fromUcs4(reinterpret_cast<const char32_t*>(text.constData() + at), length);
                }
                QString random;
                for (int c = 0; c < length; ++c) {
                    const char32_t first = kPieces.at(int(rng.bounded(kPieces.size()))).toUcs4().constFirst();
                    random += QString::fromUcs4(&first, 1);
                }
                keys << random;
            }
            QTest::newRow(qPrintable(QStringLiteral("length %1").arg(length))) << keys;
        }
        QTest::newRow("ASCII case") << QStringList {QStringLiteral("A"), QStringLiteral("q"), QStringLiteral("QS"),
            QStringLiteral("qs"), QStringLiteral("sQ"), QStringLiteral("AAb"), QStringLiteral("aab"),
            QStringLiteral("QSqlQuery"), QStringLiteral("qsqlquery"), QStringLiteral("É"), QStringLiteral("é")};
        QTest::newRow("literal characters")
            << QStringList {QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("\\"), QStringLiteral("'"),
                   QStringLiteral(":"), QStringLiteral("\""), QStringLiteral("*"), QStringLiteral("("),
                   QStringLiteral("a%"), QStringLiteral("%_"), QStringLiteral("'\""), QStringLiteral("\"\"\""),
                   QStringLiteral("(*)"), QStringLiteral("+(MH)+"), QStringLiteral("+(DYH)+"), QStringLiteral("a'b")};
        QTest::newRow("query syntax is text") << QStringList {QStringLiteral("NEAR"), QStringLiteral("AND"),
            QStringLiteral("a AND b"), QStringLiteral("NEAR(a b)"), QStringLiteral("a OR b"), QStringLiteral("NOT"),
            QStringLiteral("title:a"), QStringLiteral("^a"), QStringLiteral("a*"), QStringLiteral("-a"),
            QStringLiteral("{title}: a"), QStringLiteral("\" OR \"")};
        QTest::newRow("emoji, rare and long") << QStringList {QStringLiteral("😀"), QStringLiteral("😀a"),
            QStringLiteral("a😀排"), QStringLiteral("末尾"), QStringLiteral("大大"), QStringLiteral("大QSqlQuery 末"),
            QString(1000, QLatin1Char('a')), QString(1000, QChar(0x5927)), QStringLiteral("\r\n")};
    }
    void indexAgreesWithScan()
    {
        QFETCH(QStringList, keywords);
        for (const QString& keyword : std::as_const(keywords)) {
            for (int kind = 0; kind < 2; ++kind) {
                const QList<qint64> want = expected(m_corpus, kind, keyword);
                contentindex::State state = contentindex::State::Missing;
                QString error;
                const QList<qint64> byIndex = found(m_database, kind, keyword, true, &state, &error);
                QVERIFY2(state == contentindex::State::Ready, qPrintable(error));
                QVERIFY2(error.isEmpty(), qPrintable(keyword + QStringLiteral(": ") + error));
                const QString what = QStringLiteral("keyword \"%1\", kind %2").arg(keyword).arg(kind);
                QVERIFY2(byIndex == want, qPrintable(what + QStringLiteral(": index")));
                QVERIFY2(found(m_database, kind, keyword, false) == want, qPrintable(what + QStringLiteral(": scan")));
                const QList<qint64> inCategory
                    = found(m_database, kind, keyword, true, &state, &error, QStringLiteral("网络"));
                QVERIFY2(
                    inCategory == found(m_database, kind, keyword, false, nullptr, nullptr, QStringLiteral("网络")),
                    qPrintable(what + QStringLiteral(": one category")));
                QVERIFY(std::all_of(
                    inCategory.cbegin(), inCategory.cend(), [&want](qint64 id) { return want.contains(id); }));
                // The box unticked: the titles alone, through the index of the titles.
                for (const QString& category : {kAll, QStringLiteral("网络")}) {
                    QVERIFY2(found(m_database, kind, keyword, true, &state, &error, category, false)
                            == expectedInTitles(m_corpus, kind, keyword, category),
                        qPrintable(what + QStringLiteral(": titles in ") + category));
                    QCOMPARE(state, contentindex::State::Ready);
                }
            }
        }
    }

    // A large result is read in two halves, the upper one on a second thread: together they give every hit, once,
    // in id order, for the keyword in titles alone and in bodies, and for a phrase whose texts are checked.
    void largeResultsAreReadInHalves()
    {
        TestDataDir dir;
        QVERIFY(dir.isValid());
        const QString database = dir.file(QStringLiteral("Data.QSD"));
        // 3,000 materials: 的 in two titles of three (and in the one after the middle hit's), 线程池 in every other
        // body (and once across the middle id), a phrase and its pieces apart elsewhere.
        QVERIFY(dir.exec(
            QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<3000) "
                           "insert into textfile(title,classname,bigclassname,writer,createtime,main) "
                           "select case when i%3 or i=1500 then '的'||i else 'x'||i end, '', '算法', '', '2020-01-01', "
                           "case when i%2 then '线程 池'||i else 'a线程池b'||i end from n")));
        QList<Material> corpus;
        {
            sqlite::Connection c;
            QVERIFY(c.open(database).ok());
            sqlite::Statement st(c, QStringLiteral("select id,title,main from textfile"));
            while (st.step() == sqlite::Statement::Step::Row)
                corpus << Material {0, st.int64(0), st.text(1), st.text(2), QStringLiteral("算法")};
        }
        TMainData data(dir.path());
        data.useAbsolutePath();
        QVERIFY(buildIndex(data));

        auto inOrder = [&database](const QString& keyword, bool contents) {
            SearchInput in = contentsInput(0, keyword);
            in.contents = contents;
            QList<search::SearchHit> hits;
            QString error;
            contentindex::State state = contentindex::State::Missing;
            QList<qint64> ids;
            if (search::runWithIndex(database, in, true, hits, &error, &state) && state == contentindex::State::Ready) {
                for (const search::SearchHit& h : hits)
                    ids << h.id;
            }
            return ids;
        };
        QCOMPARE(inOrder(QStringLiteral("的"), false), expectedInTitles(corpus, 0, QStringLiteral("的")));
        QCOMPARE(inOrder(QStringLiteral("的"), true), expected(corpus, 0, QStringLiteral("的")));
        QCOMPARE(inOrder(QStringLiteral("线程池"), true), expected(corpus, 0, QStringLiteral("线程池")));
        QCOMPARE(inOrder(QStringLiteral("线程池"), true).size(), 1500);
        QCOMPARE(inOrder(QStringLiteral("池1"), true), expected(corpus, 0, QStringLiteral("池1")));
        QCOMPARE(inOrder(QStringLiteral("程 池"), true).size(), 1500);

        // The halves really are read apart: the result is cut at its middle hit.
        sqlite::Connection connection;
        sqlite::Connection helper;
        QVERIFY(connection.open(database).ok());
        QCOMPARE(
            contentindex::attach(connection, contentindex::pathFor(database), nullptr), contentindex::State::Ready);
        QVERIFY(contentindex::openWithIndex(helper, database, contentindex::pathFor(database), nullptr));
        contentindex::Found few(
            connection, QStringLiteral("textfile"), QStringLiteral("池12"), contentindex::Scope::TitlesAndBodies);
        few.setHelper(&helper);
        QVERIFY(few.read(nullptr));
        QCOMPARE(few.size(), expected(corpus, 0, QStringLiteral("池12")).size());
        QCOMPARE(few.splitPoint(), qint64(-1));
        contentindex::Found many(
            connection, QStringLiteral("textfile"), QStringLiteral("的"), contentindex::Scope::Titles);
        many.setHelper(&helper);
        QVERIFY(many.read(nullptr));
        const QList<qint64> all = expectedInTitles(corpus, 0, QStringLiteral("的"));
        QCOMPARE(many.splitPoint(), all.at(all.size() / 2 - 1));
        QVERIFY(all.contains(many.splitPoint() + 1));
    }
};

// The words the upkeep tests look for, and what a search for them finds, index and scan alike.
const QStringList kWords = {QStringLiteral("线程池"), QStringLiteral("排序"), QStringLiteral("旧"),
    QStringLiteral("新"), QStringLiteral("QSqlQuery"), QStringLiteral("it's"), QStringLiteral("a:b")};

class ContentsIndexUpkeepTest final : public QObject {
    Q_OBJECT
private:
    // Every word gives the same ids through the index (which must be ready) as by reading every row.
    static void agree(const QString& database, const QString& when)
    {
        for (const QString& word : kWords) {
            for (int kind = 0; kind < 2; ++kind) {
                contentindex::State state = contentindex::State::Missing;
                QString error;
                const QList<qint64> byIndex = found(database, kind, word, true, &state, &error);
                QVERIFY2(state == contentindex::State::Ready, qPrintable(when + QStringLiteral(": ") + error));
                QVERIFY2(byIndex == found(database, kind, word, false), qPrintable(when + QStringLiteral(": ") + word));
            }
        }
    }

private slots:
    // Each write path of the data module keeps the index in step, so that it keeps answering.
    void writesKeepTheIndexInStep()
    {
        TestDataDir dir;
        QVERIFY(dir.isValid());
        const QString database = dir.file(QStringLiteral("Data.QSD"));
        const qint64 kept = dir.addText(QStringLiteral("排序"), QStringLiteral("算法"), QStringLiteral("排序"),
            EscapeBodyText(QStringLiteral("旧的线程池 a:b")));
        const qint64 example = dir.addExe(QStringLiteral("工具"), QStringLiteral("工具"), QString(),
            QStringLiteral("/bin/x"), EscapeBodyText(QStringLiteral("QSqlQuery 旧")));
        TMainData data(dir.path());
        data.useAbsolutePath();
        QVERIFY(buildIndex(data));
        agree(database, QStringLiteral("built"));
        QCOMPARE(found(database, 0, QStringLiteral("a:b"), true), QList<qint64> {kept});
        // Another program turned the index's WAL off: the writes turn it on again.
        auto indexJournal = [&database](const QString& pragma) {
            sqlite::Connection c;
            if (!c.open(contentindex::pathFor(database)).ok())
                return QString();
            sqlite::Statement st(c, pragma);
            return st.step() == sqlite::Statement::Step::Row ? st.text(0) : QString();
        };
        QCOMPARE(indexJournal(QStringLiteral("PRAGMA journal_mode=DELETE")), QStringLiteral("delete"));

        QString error;
        QVERIFY2(
            data.execute(sql::insertText(EscapeTitleText(QStringLiteral("it's")), QString(), QStringLiteral("网络"), {},
                             QStringLiteral("2020-01-01"), EscapeBodyText(QStringLiteral("新的 QSqlQuery"))),
                &error),
            qPrintable(error));
        agree(database, QStringLiteral("insert"));
        QCOMPARE(indexJournal(QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
        QCOMPARE(found(database, 0, QStringLiteral("qsqlquery"), true).size(), 1);
        QCOMPARE(found(database, 0, QStringLiteral("IT'S"), true).size(), 1);
        // The hits carry the title as the user wrote it, whether the index alone answers or the database too.
        for (const QString& category : {kAll, QStringLiteral("网络")}) {
            for (const bool contents : {true, false}) {
                SearchInput in = contentsInput(0, QStringLiteral("T'S"));
                in.category = category;
                in.contents = contents;
                QList<search::SearchHit> hits;
                contentindex::State state = contentindex::State::Missing;
                QVERIFY(search::runWithIndex(database, in, true, hits, &error, &state));
                QCOMPARE(state, contentindex::State::Ready);
                QCOMPARE(hits.size(), 1);
                QCOMPARE(hits.at(0).title, QStringLiteral("it's"));
            }
        }

        QVERIFY(data.execute(sql::updateText(QStringLiteral("排序"), QStringLiteral("排序"), QStringLiteral("算法"), {},
                                 QStringLiteral("2020-01-01"), EscapeBodyText(QStringLiteral("新的内容")), kept),
            &error));
        agree(database, QStringLiteral("update"));
        QVERIFY(found(database, 0, QStringLiteral("线程池"), true).isEmpty());
        QCOMPARE(found(database, 0, QStringLiteral("新的内"), true).size(), 1);

        QVERIFY(data.execute(
            sql::moveMaterial(QStringLiteral("textfile"), QStringLiteral("网络"), QString(), kept), &error));
        QVERIFY(data.execute(sql::renameClassRows(QStringLiteral("textfile"), QStringLiteral("网络"), std::nullopt,
                                 QStringLiteral("网")),
            &error));
        agree(database, QStringLiteral("move and rename"));

        QVERIFY(data.execute(sql::deleteMaterial(QStringLiteral("exefile"), example), &error));
        agree(database, QStringLiteral("delete"));
        QVERIFY(found(database, 1, QStringLiteral("QSqlQuery"), true).isEmpty());

        // Several rows in one transaction, as the import files them; one refused transaction changes nothing.
        QVERIFY(data.writeTransaction(
            [](sqlite::Connection& c, QString* why) {
                for (int i = 0; i < 3; ++i) {
                    const Statement st = sql::insertExe(QStringLiteral("导入"), QString(), QStringLiteral("工具"), {},
                        QStringLiteral("2020-01-01"), QStringLiteral("线程池 %1").arg(i), QStringLiteral("/bin/y"));
                    sqlite::Statement insert(c, st.sql);
                    if (!insert.bindAll(st.values).ok() || insert.step() != sqlite::Statement::Step::Done) {
                        *why = insert.error().message;
                        return false;
                    }
                }
                return true;
            },
            &error));
        QVERIFY(!data.writeTransaction(
            [](sqlite::Connection& c, QString*) { return c.exec(QStringLiteral("delete from exefile")).ok() && false; },
            &error));
        agree(database, QStringLiteral("import"));
        QCOMPARE(found(database, 1, QStringLiteral("线程池"), true).size(), 3);

        // A body of 10 MB, its one rare word at the very end.
        QString huge(10 * 1024 * 1024, QLatin1Char('x'));
        huge += QStringLiteral("末尾的词");
        QVERIFY(data.execute(sql::insertText(QStringLiteral("大"), QString(), QStringLiteral("网"), {},
                                 QStringLiteral("2020-01-01"), huge),
            &error));
        huge.clear();
        QCOMPARE(found(database, 0, QStringLiteral("的词"), true).size(), 1);
        QCOMPARE(found(database, 0, QStringLiteral("X末尾的"), true).size(), 1);
        agree(database, QStringLiteral("10 MB body"));
        // A body is checked a piece at a time (4 KB, then 8, 16, 32 and 64 KB): keywords across the seams, in another
        // case than the text's.
        QList<int> offsets;
        for (const int seam : {4096, 12288, 28672, 61440})
            offsets << seam - 9 << seam - 1 << seam;
        for (const int offset : offsets) {
            QVERIFY(data.execute(
                sql::insertText(QStringLiteral("接缝"), QString(), QStringLiteral("网"), {},
                    QStringLiteral("2020-01-01"), QString(offset, QLatin1Char('y')) + QStringLiteral("跨界 QSqlQuery")),
                &error));
        }
        QList<qint64> across;
        for (const QString& id : dir.column(QStringLiteral("select id from textfile where title='接缝' order by id")))
            across << id.toLongLong();
        QCOMPARE(across.size(), offsets.size());
        QCOMPARE(found(database, 0, QStringLiteral("跨界 qsqlquery"), true), across);
        QCOMPARE(found(database, 0, QStringLiteral("Y跨界"), true), across);
        QCOMPARE(found(database, 0, QStringLiteral("yyy跨"), true), across);

        QVERIFY(
            data.execute(sql::deleteClassRows(QStringLiteral("textfile"), QStringLiteral("网"), std::nullopt), &error));
        agree(database, QStringLiteral("category delete"));
        QVERIFY(found(database, 0, QStringLiteral("新"), true).isEmpty());
        QVERIFY(found(database, 0, QStringLiteral("的词"), true).isEmpty());

        // The rows are read into the index once the event loop turns (a search before that reads them itself);
        // the run's writes carry this boot's mark until the run ends.
        QVERIFY(data.execute(sql::insertText(QStringLiteral("后来"), QString(), QStringLiteral("网"), {},
                                 QStringLiteral("2020-01-01"), QStringLiteral("最后")),
            &error));
        auto indexValue = [&database](const QString& select) {
            sqlite::Connection idx;
            idx.open(contentindex::pathFor(database));
            sqlite::Statement st(idx, select);
            return st.step() == sqlite::Statement::Step::Row ? st.text(0) : QStringLiteral("(failed)");
        };
        QCOMPARE(indexValue(QStringLiteral("select count(*) from pending")), QStringLiteral("1"));
        QTRY_COMPARE(indexValue(QStringLiteral("select count(*) from pending")), QStringLiteral("0"));
        QCOMPARE(indexValue(QStringLiteral("select count(*) from docs where title='后来'")), QStringLiteral("1"));
        QCOMPARE(indexValue(QStringLiteral("select unsynced from meta")), contentindex::bootId());
        // Another program writing beside this one clears the mark at its end: the next write puts it back.
        {
            sqlite::Connection idx;
            QVERIFY(idx.open(contentindex::pathFor(database)).ok());
            QVERIFY(idx.exec(QStringLiteral("update meta set unsynced=''")).ok());
        }
        QVERIFY(data.execute(sql::insertText(QStringLiteral("再后来"), QString(), QStringLiteral("网"), {},
                                 QStringLiteral("2020-01-01"), QStringLiteral("最后")),
            &error));
        QCOMPARE(indexValue(QStringLiteral("select unsynced from meta")), contentindex::bootId());
        // The texts are read into the index on a thread of their own: the window's thread only hands them over,
        // and is not held up while another connection keeps the index busy for a while.
        QTRY_COMPARE(indexValue(QStringLiteral("select count(*) from pending")), QStringLiteral("0"));
        QVERIFY(data.execute(sql::insertText(QStringLiteral("忙时"), QString(), QStringLiteral("网"), {},
                                 QStringLiteral("2020-01-01"), QStringLiteral("最后")),
            &error));
        {
            sqlite::Connection other;
            QVERIFY(other.open(contentindex::pathFor(database)).ok());
            QVERIFY(other.exec(QStringLiteral("BEGIN IMMEDIATE")).ok());
            QTest::qWait(150);
            QCOMPARE(indexValue(QStringLiteral("select count(*) from pending")), QStringLiteral("1"));
            QVERIFY(other.exec(QStringLiteral("ROLLBACK")).ok());
        }
        QTRY_COMPARE(indexValue(QStringLiteral("select count(*) from pending")), QStringLiteral("0"));
        QCOMPARE(indexValue(QStringLiteral("select count(*) from docs where title='忙时'")), QStringLiteral("1"));
        // A write while a batch is being read stops the reading; both rows come in afterwards.
        QVERIFY(data.execute(sql::insertText(QStringLiteral("大块"), QString(), QStringLiteral("网"), {},
                                 QStringLiteral("2020-01-01"), QString(4 * 1024 * 1024, QLatin1Char('z'))),
            &error));
        QCoreApplication::processEvents();
        QVERIFY(data.execute(sql::insertText(QStringLiteral("紧接着"), QString(), QStringLiteral("网"), {},
                                 QStringLiteral("2020-01-01"), QStringLiteral("最后")),
            &error));
        QTRY_COMPARE(indexValue(QStringLiteral("select count(*) from pending")), QStringLiteral("0"));
        QCOMPARE(indexValue(QStringLiteral("select count(*) from docs where title in ('大块','紧接着')")),
            QStringLiteral("2"));
        // A burst of rows is read in a batch at a time; the end of the run reads in what is left.
        QVERIFY(data.writeTransaction(
            [](sqlite::Connection& c, QString* why) {
                for (int i = 0; i < 150; ++i) {
                    const Statement st = sql::insertText(QStringLiteral("批量"), QString(), QStringLiteral("网"), {},
                        QStringLiteral("2020-01-01"), QStringLiteral("线程池 %1").arg(i));
                    sqlite::Statement insert(c, st.sql);
                    if (!insert.bindAll(st.values).ok() || insert.step() != sqlite::Statement::Step::Done) {
                        *why = insert.error().message;
                        return false;
                    }
                }
                return true;
            },
            &error));
        QCoreApplication::processEvents();
        QVERIFY(indexValue(QStringLiteral("select count(*) from pending")).toInt() > 0);
        data.contentIndex().closeWrites();
        QCOMPARE(indexValue(QStringLiteral("select count(*) from pending")), QStringLiteral("0"));
        QCOMPARE(indexValue(QStringLiteral("select count(*) from docs where title='批量'")), QStringLiteral("150"));
        QCOMPARE(indexValue(QStringLiteral("select unsynced from meta")), QString());
        agree(database, QStringLiteral("closed"));
    }

    // A run killed after a write committed and before the index took it: the rows left pending are read again
    // before the index answers, never the text the index held before.
    void pendingRowsAreRepaired()
    {
        TestDataDir dir;
        QVERIFY(dir.isValid());
        const QString database = dir.file(QStringLiteral("Data.QSD"));
        const qint64 id = dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QString(), QStringLiteral("旧的"));
        const qint64 gone = dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QString(), QStringLiteral("旧"));
        TMainData data(dir.path());
        data.useAbsolutePath();
        QVERIFY(buildIndex(data));
        QCOMPARE(found(database, 0, QStringLiteral("旧"), true), (QList<qint64> {id, gone}));

        // What the killed run left: the keys pending in the index, the database changed.
        {
            sqlite::Connection idx;
            QVERIFY(idx.open(contentindex::pathFor(database)).ok());
            QVERIFY(idx.exec(QStringLiteral("insert into pending values(0,%1),(0,%2)").arg(id).arg(gone)).ok());
            // Written without syncs in this boot of the system: the pending keys are all there.
            QVERIFY(idx.run(QStringLiteral("update meta set unsynced=?"), {contentindex::bootId()}).ok());
        }
        QVERIFY(dir.exec(QStringLiteral("update textfile set main=? where id=?"), {QStringLiteral("新的"), id}));
        QVERIFY(dir.exec(QStringLiteral("delete from textfile where id=?"), {gone}));

        contentindex::State state = contentindex::State::Missing;
        QVERIFY(found(database, 0, QStringLiteral("旧"), true, &state).isEmpty());
        QCOMPARE(state, contentindex::State::Ready);
        QCOMPARE(found(database, 0, QStringLiteral("新的"), true, &state), QList<qint64> {id});
        QCOMPARE(state, contentindex::State::Ready);
        auto pendingCount = [&database] {
            sqlite::Connection idx;
            if (!idx.open(contentindex::pathFor(database)).ok())
                return qint64(-1);
            sqlite::Statement left(idx, QStringLiteral("select count(*) from pending"));
            return left.step() == sqlite::Statement::Step::Row ? left.int64(0) : qint64(-1);
        };
        QCOMPARE(pendingCount(), 0);

        // A search while a writer has put its key in and not yet committed: the rows it would read are the old
        // ones, so it must neither take them into the index nor drop the writer's key.
        sqlite::Connection writer;
        QVERIFY(writer.open(database).ok());
        QVERIFY(writer.exec(QStringLiteral("BEGIN IMMEDIATE")).ok());
        QVERIFY(
            writer.run(QStringLiteral("update textfile set main=? where id=?"), {QStringLiteral("第三版"), id}).ok());
        {
            sqlite::Connection idx;
            QVERIFY(idx.open(contentindex::pathFor(database)).ok());
            QVERIFY(idx.exec(QStringLiteral("insert into pending values(0,%1)").arg(id)).ok());
        }
        QCOMPARE(found(database, 0, QStringLiteral("新的"), true, &state), QList<qint64> {id});
        QVERIFY(state != contentindex::State::Ready);  // answered by reading the rows
        QCOMPARE(pendingCount(), 1);
        QVERIFY(writer.exec(QStringLiteral("COMMIT")).ok());
        QVERIFY(found(database, 0, QStringLiteral("新的"), true, &state).isEmpty());
        QCOMPARE(state, contentindex::State::Ready);
        QCOMPARE(found(database, 0, QStringLiteral("第三版"), true, &state), QList<qint64> {id});
        QCOMPARE(pendingCount(), 0);
    }

    // Index files that must not be trusted: the search reads every row instead, answers right, and the index
    // is built anew.
    void untrustedIndexFiles_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("truncated") << QStringLiteral("truncated");
        QTest::newRow("not a database") << QStringLiteral("garbage");
        QTest::newRow("another format") << QStringLiteral("format");
        QTest::newRow("another database") << QStringLiteral("other");
        QTest::newRow("changed by another program") << QStringLiteral("outside");
        QTest::newRow("read-only") << QStringLiteral("readonly");
        QTest::newRow("half-built by a killed run") << QStringLiteral("killed");
        QTest::newRow("written without a sync before a restart") << QStringLiteral("restart");
    }
    void untrustedIndexFiles()
    {
        QFETCH(QString, damage);
        TestDataDir dir;
        QVERIFY(dir.isValid());
        const QString database = dir.file(QStringLiteral("Data.QSD"));
        const QString index = contentindex::pathFor(database);
        QList<Material> corpus = makeCorpus(dir, 3, 150, 30);
        TMainData data(dir.path());
        data.useAbsolutePath();
        QVERIFY(buildIndex(data));

        std::optional<WithoutDacOverride> withoutOverride;
        if (damage == QLatin1String("missing")) {
            QVERIFY(QFile::remove(index));
        } else if (damage == QLatin1String("truncated")) {
            QFile f(index);
            QVERIFY(f.resize(f.size() / 2));
        } else if (damage == QLatin1String("garbage")) {
            QFile f(index);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(8192, 'x'));
        } else if (damage == QLatin1String("format")) {
            sqlite::Connection c;
            QVERIFY(c.open(index).ok() && c.exec(QStringLiteral("update meta set format=format+1")).ok());
        } else if (damage == QLatin1String("other")) {
            TestDataDir other;
            makeCorpus(other, 4, 150, 30);
            TMainData otherData(other.path());
            otherData.useAbsolutePath();
            QVERIFY(buildIndex(otherData));
            QVERIFY(QFile::remove(index));
            QVERIFY(QFile::copy(otherData.contentIndex().indexPath(), index));
        } else if (damage == QLatin1String("outside")) {
            Material m;
            m.title = QStringLiteral("外来");
            m.body = QStringLiteral("线程池");
            m.id = dir.addText(m.title, QStringLiteral("算法"), QString(), m.body);
            corpus << m;
        } else if (damage == QLatin1String("readonly")) {
            QVERIFY(QFile::setPermissions(index, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            withoutOverride.emplace();
            if (!withoutOverride->isActive())
                QSKIP("file permissions cannot be made to hold here");
        } else if (damage == QLatin1String("restart")) {
            // A change whose pending key was lost with the power: nothing but the mark of the other boot tells.
            Material& m = corpus[corpus.size() / 2];
            m.body = QStringLiteral("线程池 aQ");
            QVERIFY(dir.exec(QStringLiteral("update textfile set main=? where id=?"), {m.body, m.id}));
            sqlite::Connection c;
            QVERIFY(c.open(index).ok() && c.exec(QStringLiteral("update meta set unsynced='another boot'")).ok());
        } else if (damage == QLatin1String("killed")) {
            QVERIFY(QFile::remove(index));
            QFile half(index + QStringLiteral("-new"));
            QVERIFY(half.open(QIODevice::WriteOnly));
            half.write(QByteArray(4096, '\0'));
        }

        for (const QString& word : {QStringLiteral("线"), QStringLiteral("线程池"), QStringLiteral("aQ")}) {
            contentindex::State state = contentindex::State::Ready;
            QString error;
            QCOMPARE(found(database, 0, word, true, &state, &error), expected(corpus, 0, word));
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QVERIFY(state != contentindex::State::Ready);
        }
        // A search makes no index file of its own (an empty one would be taken for a damaged index).
        if (damage == QLatin1String("missing") || damage == QLatin1String("killed"))
            QVERIFY(!QFileInfo::exists(index));
        withoutOverride.reset();

        data.contentIndex().checkAndBuild();
        QVERIFY(data.contentIndex().waitForBuild(60000));
        QVERIFY(!QFileInfo::exists(index + QStringLiteral("-new")));
        for (const QString& word : {QStringLiteral("线"), QStringLiteral("线程池"), QStringLiteral("aQ")}) {
            contentindex::State state = contentindex::State::Missing;
            QCOMPARE(found(database, 0, word, true, &state), expected(corpus, 0, word));
            QCOMPARE(state, contentindex::State::Ready);
        }
    }
};

QS_TEST_CLASS(ContentsSearchTest)
QS_TEST_CLASS(ContentsIndexUpkeepTest)
#include "test_contents_search.moc"
