// The statement runners, the category cascades and the shared statements against real database files.
#include "SqlProbe.h"
#include "StoreFixture.h"
#include "TestMain.h"

#include "app/InstallFiles.h"
#include "store/TFile.h"

#include "store/Sqlite.h"
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kSerious = QStringLiteral("   严重错误，请重新安装程序");
const QString kText = QStringLiteral("textfile");
const QString kExe = QStringLiteral("exefile");

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Another process's connection holding a write transaction on the file.
using WriteLock = sqlprobe::HeldLock;

// Rows as "category/subcategory", in id order.
QStringList places(const TestDataDir& dir, const QString& table)
{
    return dir.column(QStringLiteral("select bigclassname || '/' || classname from %1 order by id").arg(table));
}

QStringList titles(const Statement& st)
{
    QStringList out;
    QString error;
    const bool ok = MainData->select(
        st,
        [&out](TMainData::Row& row) {
            out.append(row.text(1));
            return true;
        },
        &error);
    return ok ? out : QStringList {QStringLiteral("failed: ") + error};
}
}  // namespace

class RunnerTest final : public QObject {
    Q_OBJECT
private slots:
    void runnersReportOnStatusAndProgress()
    {
        StoreFixture f;
        const qint64 id = f.dir.addText(QStringLiteral("t"), QStringLiteral("c"), QString());
        f.dir.addText(QStringLiteral("u"), QStringLiteral("c"), QStringLiteral("s"));
        f.status.showProgress(50);
        QVERIFY(TFile::ExecuteStatement(sql::deleteMaterial(kText, id)));
        QCOMPARE(f.status.currentStatus(), QStringLiteral("数据库操作成功！"));
        QCOMPARE(f.status.progress(), 100);
        QCOMPARE(places(f.dir, kText), QStringList {"c/s"});

        // A successful count leaves status and progress alone.
        f.status.showStatus(QStringLiteral("before"));
        f.status.showProgress(42);
        int count = -1;
        QVERIFY(TFile::OpenAndCount(sql::countCategory(kText, QStringLiteral("c")), count));
        QCOMPARE(count, 1);
        QVERIFY(TFile::OpenAndCount(sql::countCategory(kText, QStringLiteral("none")), count));
        QCOMPARE(count, 0);
        QCOMPARE(f.status.currentStatus(), QStringLiteral("before"));
        QCOMPARE(f.status.progress(), 42);

        f.data.setProgress(500);
        QCOMPARE(f.status.progress(), 100);
        f.data.setProgress(-1);
        QCOMPARE(f.status.progress(), 100);
    }

    void unusableDatabase_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("readable");
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("corrupt") << "corrupt" << false;
        QTest::newRow("locked by a writer") << "locked" << true;
        QTest::newRow("read-only") << "read-only" << true;
    }
    void unusableDatabase()
    {
        QFETCH(QString, state);
        QFETCH(bool, readable);
        StoreFixture f;
        f.dir.addText(QStringLiteral("t"), QStringLiteral("c"), QString());
        std::unique_ptr<WriteLock> lock;
        if (state == "missing") {
            QVERIFY(QFile::remove(f.db()));
        } else if (state == "corrupt") {
            QFile file(f.db());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QRandomGenerator random(42);
            QByteArray noise(8192, '\0');
            random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
            file.write(noise);
        } else if (state == "locked") {
            lock = std::make_unique<WriteLock>(f.db());
            QVERIFY(lock->held());
        } else {
            QVERIFY(QFile::setPermissions(f.db(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            QFile probe(f.db());
            if (probe.open(QIODevice::ReadWrite))
                QSKIP("file permissions do not bind this user");
        }
        const QByteArray before = fileBytes(f.db());

        f.status.showProgress(50);
        QVERIFY(!TFile::ExecuteStatement(sql::deleteClassRows(kText, QStringLiteral("c"), std::nullopt)));
        const QString message = f.status.currentStatus();
        QVERIFY2(message.endsWith(kSerious) && message.size() > kSerious.size(), qPrintable(message));
        QCOMPARE(f.status.progress(), 0);
        if (state == "missing")
            QVERIFY2(message.startsWith(QStringLiteral("找不到数据库文件")), qPrintable(message));

        TFileText record;
        record.title = QStringLiteral("new");
        record.InsertNew();
        QVERIFY2(ResultMessage.startsWith(QStringLiteral("数据库操作失败！ 原因：")), qPrintable(ResultMessage));

        f.status.showStatus(QString());
        f.status.showProgress(50);
        int count = 9;
        QCOMPARE(TFile::OpenAndCount(sql::countAll(kText), count), readable);
        QCOMPARE(count, readable ? 1 : 9);
        QCOMPARE(f.status.progress(), readable ? 50 : 0);
        QCOMPARE(f.status.currentStatus().endsWith(kSerious), !readable);

        lock.reset();
        QCOMPARE(QFile::exists(f.db()), state != "missing");
        QCOMPARE(fileBytes(f.db()), before);
        QVERIFY(!QFile::exists(f.db() + QStringLiteral("-journal")));
    }

    // A count is kept only while nothing was committed since: by this program, by another one, or by a
    // file put in the database's place.
    void countsFollowEveryChange()
    {
        StoreFixture f;
        const auto count = [] {
            int n = -1;
            return TFile::OpenAndCount(sql::countAll(kText), n) ? n : -1;
        };
        QCOMPARE(count(), 0);
        f.dir.addText(QStringLiteral("by another program"), QStringLiteral("c"), QString());
        QCOMPARE(count(), 1);
        TFileText record;
        record.title = QStringLiteral("by this program");
        QVERIFY(record.InsertNew());
        QCOMPARE(count(), 2);
        QCOMPARE(count(), 2);
        QVERIFY(f.dir.exec(QStringLiteral("delete from textfile where title=?"), {QStringLiteral("by this program")}));
        QCOMPARE(count(), 1);
        int inCategory = -1;
        QVERIFY(TFile::OpenAndCount(sql::countCategory(kText, QStringLiteral("c")), inCategory));
        QCOMPARE(inCategory, 1);

        // Another database put in the file's place, with its WAL (the program closed meanwhile in real life).
        QTemporaryDir other;
        const QString replacement = other.filePath(QStringLiteral("Data.QSD"));
        QVERIFY(install::createDatabase(replacement, nullptr));
        for (const QString& end : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(f.db() + end);
        QVERIFY(QFile::copy(replacement, f.db()));
        QCOMPARE(count(), 0);
    }

    void pathIsRelativeUntilFirstRecord()
    {
        TestDataDir dir;
        QTemporaryDir elsewhere;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        TMainData data(dir.path());
        int count = -1;
        const bool relativeFound = TFile::OpenAndCount(sql::countAll(kText), count);
        const bool createdInCwd = QFile::exists(QDir(elsewhere.path()).filePath(QStringLiteral("Data.QSD")));
        TFileExe record;
        const bool absoluteFound = TFile::OpenAndCount(sql::countAll(kText), count);
        QDir::setCurrent(previous);
        QVERIFY(!relativeFound);
        QVERIFY(!createdInCwd);
        QVERIFY(absoluteFound);
        QCOMPARE(count, 0);
    }

    void cascades_data()
    {
        QTest::addColumn<bool>("rename");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("hasSub");
        QTest::addColumn<QString>("sub");
        QTest::addColumn<QStringList>("textRows");
        QTest::addColumn<QStringList>("exeRows");
        const QStringList text {"A/", "A/s1", "A/s2", "B/s1", "O'R/s1"};
        const QStringList exe {"A/s1", "A/"};
        QTest::newRow("rename text category")
            << true << "文字资料"
            << "A" << false << "" << QStringList {"N/", "N/s1", "N/s2", "B/s1", "O'R/s1"} << exe;
        QTest::newRow("rename subcategory")
            << true << "文字资料"
            << "A" << true << "s1" << QStringList {"A/", "A/N", "A/s2", "B/s1", "O'R/s1"} << exe;
        QTest::newRow("rename empty subcategory")
            << true << "文字资料"
            << "A" << true << "" << QStringList {"A/N", "A/s1", "A/s2", "B/s1", "O'R/s1"} << exe;
        QTest::newRow("rename apostrophe category")
            << true << "文字资料"
            << "O'R" << false << "" << QStringList {"A/", "A/s1", "A/s2", "B/s1", "N/s1"} << exe;
        QTest::newRow("rename example category") << true << "实例资料"
                                                 << "A" << false << "" << text << QStringList {"N/s1", "N/"};
        QTest::newRow("delete example category") << false << "实例资料"
                                                 << "A" << false << "" << text << QStringList {};
        QTest::newRow("delete text category") << false << "文字资料"
                                              << "A" << false << "" << QStringList {"B/s1", "O'R/s1"} << exe;
        QTest::newRow("delete empty subcategory")
            << false << "文字资料"
            << "A" << true << "" << QStringList {"A/s1", "A/s2", "B/s1", "O'R/s1"} << exe;
        QTest::newRow("delete apostrophe subcategory")
            << false << "文字资料"
            << "O'R" << true << "s1" << QStringList {"A/", "A/s1", "A/s2", "B/s1"} << exe;
    }
    void cascades()
    {
        QFETCH(bool, rename);
        QFETCH(QString, kind);
        QFETCH(QString, category);
        QFETCH(bool, hasSub);
        QFETCH(QString, sub);
        QFETCH(QStringList, textRows);
        QFETCH(QStringList, exeRows);
        StoreFixture f;
        for (const auto& [big, small] : {std::pair {"A", ""}, {"A", "s1"}, {"A", "s2"}, {"B", "s1"}, {"O'R", "s1"}})
            f.dir.addText(QStringLiteral("t"), QString::fromUtf8(big), QString::fromUtf8(small));
        f.dir.addExe(QStringLiteral("e"), QStringLiteral("A"), QStringLiteral("s1"), QStringLiteral("/p"));
        f.dir.addExe(QStringLiteral("e"), QStringLiteral("A"), QString(), QStringLiteral("/p"));
        const std::optional<QString> subcategory = hasSub ? std::optional<QString>(sub) : std::nullopt;
        const bool ok = rename ? TFile::RenameClassRows(category, subcategory, kind, QStringLiteral("N"))
                               : TFile::DeleteClassRows(category, subcategory, kind);
        QVERIFY(ok);
        QCOMPARE(f.status.currentStatus(), QStringLiteral("数据库操作成功！"));
        QCOMPARE(places(f.dir, kText), textRows);
        QCOMPARE(places(f.dir, kExe), exeRows);
    }

    void sharedStatementsRun()
    {
        StoreFixture f;
        const qint64 c = f.dir.addText(QStringLiteral("c"), QStringLiteral("算法"), QStringLiteral("排序"), {}, {},
            QStringLiteral("2020-01-01 10:00:00"));
        f.dir.addText(
            QStringLiteral("a"), QStringLiteral("算法"), QStringLiteral("排序"), {}, {}, QStringLiteral("2020-01-02"));
        f.dir.addText(QStringLiteral("b"), QStringLiteral("算法"), QStringLiteral("排序"), {}, {},
            QStringLiteral("2020-01-01 09:00:00"));
        f.dir.addText(QStringLiteral("d"), QStringLiteral("算法"), QString());
        const QString cat = QStringLiteral("算法");
        const QString sub = QStringLiteral("排序");
        QCOMPARE(titles(sql::listMaterials(kText, cat, sub, 0)).size(), 3);
        QCOMPARE(titles(sql::listMaterials(kText, cat, sub, 1)), (QStringList {"a", "b", "c"}));
        QCOMPARE(titles(sql::listMaterials(kText, cat, sub, 2)), (QStringList {"b", "c", "a"}));
        QCOMPARE(titles(sql::listMaterials(kText, cat, QString(), 1)), QStringList {"d"});
        int count = 0;
        QVERIFY(TFile::OpenAndCount(sql::countCategory(kText, cat), count));
        QCOMPARE(count, 4);
        QVERIFY(TFile::OpenAndCount(sql::countSubcategory(kText, sub, cat), count));
        QCOMPARE(count, 3);
        QVERIFY(TFile::OpenAndCount(sql::countAll(kExe), count));
        QCOMPARE(count, 0);

        QVERIFY(TFile::ExecuteStatement(sql::moveMaterial(kText, QStringLiteral("网'络"), QString(), c)));
        QCOMPARE(titles(sql::listMaterials(kText, QStringLiteral("网'络"), QString(), 0)), QStringList {"c"});
        // One operation at a time: an access started from inside another is refused, not interleaved.
        QString nestedError;
        bool nestedRan = true;
        QVERIFY(MainData->select(
            sql::countAll(kText),
            [&](TMainData::Row&) {
                nestedRan = MainData->execute(sql::deleteMaterial(kText, c), &nestedError);
                return false;
            },
            nullptr));
        QVERIFY(!nestedRan);
        QVERIFY(!nestedError.isEmpty());
        QVERIFY(TFile::ExecuteStatement(sql::deleteMaterial(kText, c)));
        QCOMPARE(titles(sql::listMaterials(kText, QStringLiteral("网'络"), QString(), 0)), QStringList {});
        QCOMPARE(tableForKind(QStringLiteral("文字资料")), kText);
        QCOMPARE(tableForKind(QStringLiteral("搜索结果")), kExe);
    }
};

QS_TEST_CLASS(RunnerTest)
#include "test_runners.moc"
