// The export and import commands: where plain files may go, where an export goes, an import cancelled
// in the middle, a batch whose tree file cannot be saved, the menu items of the window, and the
// command-line programs' exit statuses and messages.
#include "common/Rig.h"
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"

#include "app/SingleInstance.h"
#include "edit/ExchangeDialogs.h"
#include "edit/ExchangeJob.h"
#include "store/Sqlite.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

namespace {

const QString kText = QStringLiteral("文字资料");

const QStringList kTree = {
    QStringLiteral("文字资料0"),
    QStringLiteral("+算法1"),
    QStringLiteral("++排序2"),
    QStringLiteral("实例资料0"),
    QStringLiteral("+工具1"),
    QStringLiteral("搜索结果0"),
};

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// n text materials spread over the categories c0 .. c9 (each with the subcategory s) of a data directory.
void fillSpread(const TestDataDir& dir, int n)
{
    QStringList tree {QStringLiteral("文字资料0")};
    for (int c = 0; c < 10; ++c)
        tree << QStringLiteral("+c%1").arg(c) + QLatin1Char('1') << QStringLiteral("++s2");
    tree << QStringLiteral("实例资料0") << QStringLiteral("搜索结果0");
    dir.writeTree(tree);
    QVERIFY(dir.exec(QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i<?) "
                                    "insert into textfile(title,classname,bigclassname,writer,createtime,main) "
                                    "select 't'||i, case when i%2 then 's' else '' end, 'c'||(i%10), 'w', "
                                    "'2020-01-01', printf('body %d\r\n', i) from n"),
        {n - 1}));
}

ExportOutcome exportNow(const TestDataDir& dir, const QString& folder)
{
    TExportJob job(
        ExportSource {dir.file(QStringLiteral("Data.QSD")), loadTreeFile(dir.file(QStringLiteral("MTS.qs")))}, folder);
    job.runHere();
    return job.outcome();
}

struct Commands {
    explicit Commands(Rig& rig)
        : exchange(rig.tree, rig.selection, rig.treeFile, rig.prompter, ui, [&rig] { ++rig.relists; })
    { }
    WindowExchangeUi ui {nullptr};
    TExchangeCommands exchange;
};

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    Run run;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

const QString kExportTool = QStringLiteral(QS_EXPORT_TOOL);
const QString kImportTool = QStringLiteral(QS_IMPORT_TOOL);

}  // namespace

class TestExchangeCommands final : public QObject {
    Q_OBJECT

private slots:
    void importPlace_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("stored");  // "category/subcategory" of the new material; empty: refused
        QTest::newRow("nothing selected") << QString() << QString();
        QTest::newRow("kind root") << QStringLiteral("文字资料") << QString();
        QTest::newRow("example category") << QStringLiteral("实例资料/工具") << QString();
        QTest::newRow("search results") << QStringLiteral("搜索结果") << QString();
        QTest::newRow("category") << QStringLiteral("文字资料/算法") << QStringLiteral("算法/");
        QTest::newRow("subcategory") << QStringLiteral("文字资料/算法/排序") << QStringLiteral("算法/排序");
    }

    void importPlace()
    {
        QFETCH(QString, selected);
        QFETCH(QString, stored);
        TestDataDir dir(kTree);
        QTemporaryDir in;
        QVERIFY(writeBytes(in.filePath(QStringLiteral("note.txt")), "text"));
        Rig rig(dir);
        ScriptedPrompts prompts;
        prompts.sources.enqueue({in.filePath(QStringLiteral("note.txt"))});
        rig.select(selected.isEmpty() ? QStringList() : selected.split(QLatin1Char('/')));
        Commands(rig).exchange.ImportMaterials();

        QCOMPARE(prompts.shown.size(), 2);
        QCOMPARE(prompts.shown.at(0).kind, QStringLiteral("chooseFilesOrFolder"));
        const QStringList places = dir.column(QStringLiteral("select bigclassname||'/'||classname from textfile"));
        if (stored.isEmpty()) {
            QCOMPARE(prompts.shown.at(1).kind, QStringLiteral("box"));
            QCOMPARE(prompts.shown.at(1).icon, Prompts::Icon::Warning);
            QVERIFY(prompts.shown.at(1).text.contains(QStringLiteral("“文字资料”下的一个分类或子分类")));
            QVERIFY(places.isEmpty());
            QCOMPARE(rig.relists, 0);
        } else {
            QCOMPARE(prompts.shown.at(1).kind, QStringLiteral("report"));
            QCOMPARE(prompts.shown.at(1).text, QStringLiteral("导入了 1 个资料，跳过 0 个文件。"));
            QCOMPARE(prompts.shown.at(1).icon, Prompts::Icon::Information);
            QCOMPARE(places, QStringList {stored});
            QCOMPARE(rig.relists, 1);
        }
    }

    void exportPlace()
    {
        TestDataDir dir(kTree);
        QVERIFY(dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QString()) > 0);
        QTemporaryDir out;
        QVERIFY(writeBytes(out.filePath(QStringLiteral("used/keep.txt")), "mine"));
        QVERIFY(QDir().mkdir(out.filePath(QStringLiteral("empty"))));
        Rig rig(dir);
        ScriptedPrompts prompts;
        prompts.folders << out.filePath(QStringLiteral("used")) << out.filePath(QStringLiteral("empty")) << QString();
        Commands commands(rig);
        for (int i = 0; i < 3; ++i)
            commands.exchange.ExportAll();

        // A folder in use gets a new folder of the export; an empty one is used itself; a cancel does nothing.
        const QStringList made
            = QDir(out.filePath(QStringLiteral("used"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(made.size(), 1);
        QVERIFY(made.first().startsWith(QStringLiteral("Quillstash 导出 ")));
        const QString first = out.filePath(QStringLiteral("used/") + made.first());
        QVERIFY(QFileInfo::exists(first + QStringLiteral("/文字资料/算法/t.txt")));
        QVERIFY(QFileInfo::exists(out.filePath(QStringLiteral("empty/index.tsv"))));
        QCOMPARE(prompts.texts(),
            (QStringList {QStringLiteral("选择导出到的文件夹"),
                QStringLiteral("已导出 1 个资料到“%1”。").arg(QDir::toNativeSeparators(first)),
                QStringLiteral("选择导出到的文件夹"),
                QStringLiteral("已导出 1 个资料到“%1”。")
                    .arg(QDir::toNativeSeparators(out.filePath(QStringLiteral("empty")))),
                QStringLiteral("选择导出到的文件夹")}));
    }

    void importCancelled()
    {
        TestDataDir source;
        fillSpread(source, 1500);
        QTemporaryDir out;
        const QString folder = out.filePath(QStringLiteral("export"));
        QCOMPARE(exportNow(source, folder).state, ExportOutcome::State::Done);

        TestDataDir target;
        Rig rig(target);
        TImportApplier applier(rig.data, rig.tree, rig.treeFile);
        TImportJob job(ImportRequest {{classifySource(folder)}, std::nullopt}, applier);
        job.start();
        // Cancelled as soon as the first batch is filed; at most the two read ahead follow it.
        QVERIFY(QTest::qWaitFor([&] { return job.progress().state().done > 0 || job.isFinished(); }, 60000));
        job.cancel();
        QVERIFY(QTest::qWaitFor([&] { return job.isFinished(); }, 60000));
        const ImportReport& report = job.report();
        QVERIFY(report.cancelled);
        QVERIFY2(report.imported > 0 && report.imported < 1500, qPrintable(QString::number(report.imported)));
        QCOMPARE(report.imported % TImportPlanner::kBatchItems, 0);  // whole batches only
        QCOMPARE(report.total, 1500);
        QString details;
        QCOMPARE(importReportText(report, 10, &details),
            QStringLiteral("导入已取消。导入了 %1 个资料，跳过 0 个文件，其余 %2 个文件没有处理。")
                .arg(report.imported)
                .arg(1500 - report.imported));

        // Every material complete, and the tree file on disk holds the place of each.
        QCOMPARE(target.column(QStringLiteral("select count(*) from textfile where main = printf('body %d\r\n', "
                                              "cast(substr(title, 2) as integer))")),
            QStringList {QString::number(report.imported)});
        QCOMPARE(target.column(QStringLiteral("select count(*) from textfile")),
            QStringList {QString::number(report.imported)});
        TCategoryTree saved;
        saved.load(loadTreeFile(target.file(QStringLiteral("MTS.qs"))));
        QCOMPARE(saved.nodeCount(), 3 + 20);
        for (const QString& place : target.column(QStringLiteral("select distinct bigclassname||'/'||classname from "
                                                                 "textfile"))) {
            QStringList path {kText, place.section(QLatin1Char('/'), 0, 0)};
            if (!place.endsWith(QLatin1Char('/')))
                path << place.section(QLatin1Char('/'), 1);
            QVERIFY2(saved.find(path), qPrintable(place + QLatin1Char(' ') + path.join(QLatin1Char('|'))));
        }
    }

    void treeSaveFailureRollsBack()
    {
        TestDataDir source(kTree);
        QVERIFY(source.addText(QStringLiteral("t"), QStringLiteral("新分类"), QString()) > 0);
        source.writeTree({QStringLiteral("文字资料0"), QStringLiteral("+新分类1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        QTemporaryDir out;
        QCOMPARE(exportNow(source, out.filePath(QStringLiteral("e"))).state, ExportOutcome::State::Done);

        TestDataDir target;
        Rig rig(target);
        // The tree file cannot be replaced: a folder stands in its place.
        QVERIFY(QFile::remove(target.file(QStringLiteral("MTS.qs"))));
        QVERIFY(QDir().mkdir(target.file(QStringLiteral("MTS.qs"))));
        TImportApplier applier(rig.data, rig.tree, rig.treeFile);
        TImportJob job(ImportRequest {{classifySource(out.filePath(QStringLiteral("e")))}, std::nullopt}, applier);
        job.runHere();
        QVERIFY2(job.report().error.contains(QStringLiteral("无法保存分类树文件")), qPrintable(job.report().error));
        QCOMPARE(job.report().imported, 0);
        QCOMPARE(target.column(QStringLiteral("select count(*) from textfile")), QStringList {QStringLiteral("0")});
        QVERIFY(!rig.tree.find({kText, QStringLiteral("新分类")}));
        QCOMPARE(rig.tree.nodeCount(), 3);
    }

    void menusOfTheWindow()
    {
        TestDataDir dir(kTree);
        QVERIFY(dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QString()) > 0);
        QTemporaryDir work;
        QVERIFY(writeBytes(work.filePath(QStringLiteral("in/new.md")), "# new"));
        TestApp app(dir);
        ScriptedPrompts prompts;
        QStringList items;
        for (const QAction* a : app->ui().FileMenu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items,
            (QStringList {QStringLiteral("添加新的子分类"), QStringLiteral("修改分类名"),
                QStringLiteral("删除当前选定的分类"), QStringLiteral("-"), QStringLiteral("在当前分类添加新的资料"),
                QStringLiteral("导出全部资料..."), QStringLiteral("导入资料..."), QStringLiteral("-"),
                QStringLiteral("退出")}));

        prompts.folders.enqueue(work.filePath(QStringLiteral("out")));
        app->ui().N47->trigger();
        QCOMPARE(prompts.lastText(),
            QStringLiteral("已导出 1 个资料到“%1”。")
                .arg(QDir::toNativeSeparators(work.filePath(QStringLiteral("out")))));

        clickNode(app.form(), {kText, QStringLiteral("算法"), QStringLiteral("排序")});
        prompts.sources.enqueue({work.filePath(QStringLiteral("in"))});
        app->ui().N48->trigger();
        QCOMPARE(prompts.lastText(), QStringLiteral("导入了 1 个资料，跳过 0 个文件。"));
        QCOMPARE(app->materialList().entries().size(), 1);  // listed again
        QCOMPARE(app->materialList().entries().first().caption, QStringLiteral("new"));
    }

    void commandLinePrograms()
    {
        TestDataDir dir(kTree);
        QVERIFY(dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QString()) > 0);
        QTemporaryDir work;
        const QString out = work.filePath(QStringLiteral("out"));

        QCOMPARE(runTool(kExportTool, {}).status, 2);
        QCOMPARE(runTool(kImportTool, {dir.path()}).status, 2);
        Run r = runTool(kExportTool, {work.path(), out});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("holds no Data.QSD")), qPrintable(r.err));
        r = runTool(kExportTool, {dir.path(), out});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("exported 1 materials to %1\n").arg(out));
        r = runTool(kExportTool, {dir.path(), out});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("不是空的")), qPrintable(r.err));

        // An export into an empty installation, then plain files into a category the import makes.
        TestDataDir target;
        r = runTool(kImportTool, {target.path(), out, QStringLiteral("算法")});
        QCOMPARE(r.status, 2);
        r = runTool(kImportTool, {target.path(), out});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("导入了 1 个资料，跳过 0 个文件\n"));
        QVERIFY(QFileInfo::exists(target.file(QStringLiteral("Data.QSD.bak1"))));  // the safety copy was made
        QVERIFY(writeBytes(work.filePath(QStringLiteral("plain/a.txt")), "a"));
        QVERIFY(writeBytes(work.filePath(QStringLiteral("plain/b.txt")), QByteArray("\0\1", 2)));
        r = runTool(kImportTool, {target.path(), work.filePath(QStringLiteral("plain"))});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QStringLiteral("name the CATEGORY")), qPrintable(r.err));
        r = runTool(kImportTool,
            {target.path(), work.filePath(QStringLiteral("plain")), QStringLiteral("导入"), QStringLiteral("第一批")});
        QCOMPARE(r.status, 3);
        QCOMPARE(r.out, QStringLiteral("导入了 1 个资料，跳过 1 个文件\n"));
        QVERIFY2(r.err.contains(QStringLiteral("b.txt：是二进制文件")), qPrintable(r.err));
        QCOMPARE(
            target.column(QStringLiteral("select bigclassname||'/'||classname||'/'||title from textfile order by id")),
            (QStringList {QStringLiteral("算法//t"), QStringLiteral("导入/第一批/a")}));
        QVERIFY(loadTreeFile(target.file(QStringLiteral("MTS.qs"))).first().children.last().children.first().text
            == QStringLiteral("第一批"));
    }

    void importRefusedWhileTheProgramRuns()
    {
        const QString built = qEnvironmentVariable("QS_TEST_PROGRAM");
        if (built.isEmpty() || !QFile::exists(built))
            QSKIP("QS_TEST_PROGRAM does not name the built program");
        TestDataDir dir(kTree);
        const QString program = dir.file(QStringLiteral("quillstash"));
        QVERIFY(QFile::copy(built, program));
        QTemporaryDir work;
        QVERIFY(writeBytes(work.filePath(QStringLiteral("a.txt")), "a"));
        QProcess running;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        running.setProcessEnvironment(env);
        running.start(program, {});
        const QString socket = SingleInstance(program).socketPath();
        QVERIFY(QTest::qWaitFor(
            [&] {
                QLocalSocket s;
                s.connectToServer(socket);
                return s.waitForConnected(100);
            },
            20000));
        const Run r = runTool(kImportTool, {dir.path(), work.filePath(QStringLiteral("a.txt")), QStringLiteral("x")});
        running.kill();
        running.waitForFinished();
        // A killed program leaves its lock and socket behind; they name this test's folder, which no later
        // start reuses, so they would pile up in the user's runtime directory.
        const SingleInstance probe(program);
        QFile::remove(probe.lockPath());
        QFile::remove(probe.socketPath());
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Quillstash is running on")), qPrintable(r.err));
        QCOMPARE(dir.column(QStringLiteral("select count(*) from textfile")), QStringList {QStringLiteral("0")});
    }

    void programRefusedWhileAnImportRuns()
    {
        TestDataDir dir(kTree);
        QTemporaryDir work;
        QVERIFY(writeBytes(work.filePath(QStringLiteral("a.txt")), "a"));
        // The database held by another writer keeps the import waiting (about a second) with the lock taken.
        sqlite::Connection holder;
        QVERIFY(holder.open(dir.file(QStringLiteral("Data.QSD"))).ok());
        QVERIFY(holder.exec(QStringLiteral("BEGIN EXCLUSIVE")).ok());
        QProcess import;
        import.start(kImportTool, {dir.path(), work.filePath(QStringLiteral("a.txt")), QStringLiteral("x")});
        QVERIFY(import.waitForStarted());
        const QString program = dir.file(QStringLiteral("quillstash"));
        SingleInstance probe(program);
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(probe.lockPath()); }, 20000));
        ::kill(pid_t(import.processId()), SIGSTOP);  // it waits here until the check is made
        SingleInstance second(program);
        const bool started = second.takeLock();
        ::kill(pid_t(import.processId()), SIGCONT);
        QVERIFY(!started);
        QVERIFY(import.waitForFinished(20000));
        QCOMPARE(import.exitCode(), 1);  // the database stayed locked
        QVERIFY(QString::fromUtf8(import.readAllStandardError()).contains(QStringLiteral("导入没有完成")));
        QVERIFY(holder.exec(QStringLiteral("ROLLBACK")).ok());
        // Once it has ended, the program starts again.
        SingleInstance after(program);
        QVERIFY(after.takeLock());
    }
};

QS_TEST_CLASS(TestExchangeCommands)

#include "test_exchange_commands.moc"
