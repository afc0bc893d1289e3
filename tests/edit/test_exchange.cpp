// Export and import: safe names, the index and the material files; the round trip of a knowledge base
// with every awkward name; an export that is cancelled, fails on a full disk or meets a read-only
// folder; imports of awkward folders and of an index that lies; a batch whose tree save fails; the two
// commands on the rig and through the window's menu.
#include "Privileges.h"
#include "common/Rig.h"
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"

#include "common/Gbk.h"
#include "edit/ExchangeCommands.h"
#include "edit/ExchangeDialogs.h"
#include "edit/ExchangeJob.h"
#include "store/Escaping.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kText = QStringLiteral("文字资料");
const QString kExample = QStringLiteral("实例资料");
const QString kLong = QString(300, QChar(0x957F));  // 300 × 长: 900 UTF-8 bytes

// A tree with names that differ only in case, a category named like a path and one named "..", an
// empty category, and an example category.
const QStringList kAwkwardTree = {
    QStringLiteral("文字资料0"),
    QStringLiteral("+算法1"),
    QStringLiteral("++排序2"),
    QStringLiteral("++Sort2"),
    QStringLiteral("++sort2"),
    QStringLiteral("+a/b:c1"),
    QStringLiteral("+..1"),
    QStringLiteral("+空的1"),
    QStringLiteral("实例资料0"),
    QStringLiteral("+工具1"),
    QStringLiteral("搜索结果0"),
};

// Fills dir with materials in their stored forms, as the dialogs store them; returns how many.
int fillAwkward(const TestDataDir& dir)
{
    const auto text = [&](const QString& title, const QString& category, const QString& sub, const QString& body) {
        return dir.addText(EscapeTitleText(title), category, sub, EscapeBodyText(body), QStringLiteral("作者'甲"),
                   QStringLiteral("2021-03-04 05:06:07"))
            > 0;
    };
    const QString nul = QStringLiteral("x") + QChar(0) + QStringLiteral("y");
    const bool ok
        = text(QStringLiteral("a/b"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("一\r\n"))
        && text(QStringLiteral("a\\b"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("a:'b'\r\n"))
        && text(QStringLiteral("c:d"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("no end"))
        && text(QStringLiteral(".."), QStringLiteral("算法"), QString(), QStringLiteral("lf\nonly\n"))
        && text(nul, QStringLiteral("算法"), QString(), QStringLiteral("tab\there\r\n\r\n"))
        && text(kLong, QStringLiteral("算法"), QString(), QString())
        && text(kLong, QStringLiteral("算法"), QString(), QStringLiteral("twin"))
        && text(QStringLiteral("Readme"), QStringLiteral("算法"), QString(), QStringLiteral("1"))
        && text(QStringLiteral("README"), QStringLiteral("算法"), QString(), QStringLiteral("2"))
        && text(QStringLiteral("it's"), QStringLiteral("算法"), QStringLiteral("Sort"), QStringLiteral("+(MH)+ x"))
        && text(QStringLiteral("low"), QStringLiteral("算法"), QStringLiteral("sort"), QStringLiteral("l"))
        && text(QStringLiteral("CON"), QStringLiteral("a/b:c"), QString(), QStringLiteral("dev"))
        && text(QStringLiteral("dots"), QStringLiteral(".."), QString(), QStringLiteral("d"))
        && text(QStringLiteral("orphan"), QStringLiteral("旧分类"), QString(), QStringLiteral("o"))
        && text(QStringLiteral("lost sub"), QStringLiteral("算法"), QStringLiteral("不存在"), QStringLiteral("s"))
        && dir.addExe(QStringLiteral("编辑器"), QStringLiteral("工具"), QString(), QStringLiteral("C:\\Tools\\a.exe"),
               EscapeBodyText(QStringLiteral("说明：'x'\r\n")), QStringLiteral("乙"))
            > 0
        && dir.addExe(QStringLiteral("old tool"), QStringLiteral("旧工具"), QStringLiteral("子"),
               QStringLiteral("/usr/bin/it's"), QString())
            > 0;
    return ok ? 17 : -1;
}

// Every column but the id of every row, in id order.
QStringList rows(const TestDataDir& dir)
{
    return dir.column(QStringLiteral("select 'text|'||title||'|'||classname||'|'||bigclassname||'|'||writer||'|'||"
                                     "createtime||'|'||main from textfile order by id"))
        + dir.column(QStringLiteral("select 'exe|'||title||'|'||classname||'|'||bigclassname||'|'||writer||'|'||"
                                    "createtime||'|'||about||'|'||fpath from exefile order by id"));
}

// The texts of the tree file, a node per entry as "kind/category/subcategory".
QStringList treeTexts(const QString& path)
{
    QStringList out;
    for (const TreeNodeData& top : loadTreeFile(path)) {
        out.append(top.text);
        for (const TreeNodeData& c : top.children) {
            out.append(top.text + QLatin1Char('/') + c.text);
            for (const TreeNodeData& s : c.children)
                out.append(top.text + QLatin1Char('/') + c.text + QLatin1Char('/') + s.text);
        }
    }
    return out;
}

// Every file (with its bytes) and folder (with a trailing "/") below root; index.tsv without its ids.
QMap<QString, QByteArray> contents(const QString& root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            out.insert(relative + QLatin1Char('/'), {});
            continue;
        }
        QFile f(path);
        QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
        if (relative == QLatin1String("index.tsv")) {
            QList<QByteArray> lines = bytes.split('\n');
            for (QByteArray& line : lines) {
                QList<QByteArray> fields = line.split('\t');
                if (fields.size() > 2)
                    fields[2].clear();
                line = fields.join('\t');
            }
            bytes = lines.join('\n');
        }
        out.insert(relative, bytes);
    }
    return out;
}

ExportSource sourceOf(const TestDataDir& dir)
{
    return {dir.file(QStringLiteral("Data.QSD")), loadTreeFile(dir.file(QStringLiteral("MTS.qs")))};
}

bool waitFor(TExchangeJob& job)
{
    job.start();
    return QTest::qWaitFor([&] { return job.isFinished(); }, 60000);
}

ExportOutcome exportNow(const TestDataDir& dir, const QString& folder)
{
    TExportJob job(sourceOf(dir), folder);
    job.runHere();
    return job.outcome();
}

// Imports paths into the rig's installation, on a worker thread as the window does.
ImportReport importInto(Rig& rig, const QStringList& paths, std::optional<ImportPlace> place = std::nullopt)
{
    ImportRequest request;
    for (const QString& p : paths)
        request.sources.append(classifySource(p));
    request.plainPlace = place;
    TImportApplier applier(rig.data, rig.tree, rig.treeFile);
    TImportJob job(request, applier);
    if (!waitFor(job))
        return {};
    return job.report();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList reasons(const ImportReport& report)
{
    QStringList out;
    for (const QString& line : report.skipped)
        out.append(line.mid(line.indexOf(QStringLiteral("：")) + 1));
    return out;
}

// Lifts the file size limit again, also when a check fails.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG instead
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        ok = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved {};
    bool ok = false;
};

}  // namespace

class TestExchange final : public QObject {
    Q_OBJECT

private slots:
    void names()
    {
        exchange::NameSpace folder;
        QCOMPARE(folder.claim(QStringLiteral("a/b\\c:d*?\"<>|"), QStringLiteral(".txt")),
            QStringLiteral("a／b＼c：d＊？＂＜＞｜.txt"));
        QCOMPARE(folder.claim(QStringLiteral(".."), QString()), QStringLiteral("．"));
        QCOMPARE(folder.claim(QStringLiteral("."), QString()), QStringLiteral("． (2)"));
        QCOMPARE(folder.claim(QStringLiteral("x") + QChar(0) + QStringLiteral("\ny"), QStringLiteral(".txt")),
            QStringLiteral("x__y.txt"));
        QCOMPARE(folder.claim(QString(), QStringLiteral(".txt")), QStringLiteral("_.txt"));
        QCOMPARE(folder.claim(QStringLiteral("con"), QStringLiteral(".txt")), QStringLiteral("_con.txt"));
        QCOMPARE(folder.claim(QStringLiteral("end. . "), QString()), QStringLiteral("end"));
        QCOMPARE(folder.claim(QStringLiteral("Readme"), QStringLiteral(".txt")), QStringLiteral("Readme.txt"));
        QCOMPARE(folder.claim(QStringLiteral("README"), QStringLiteral(".txt")), QStringLiteral("README (2).txt"));
        QCOMPARE(folder.claim(QStringLiteral("readme"), QStringLiteral(".txt")), QStringLiteral("readme (3).txt"));
        const QString first = folder.claim(kLong, QStringLiteral(".txt"));
        const QString second = folder.claim(kLong, QStringLiteral(".txt"));
        QVERIFY(first.toUtf8().size() <= 255 && second.toUtf8().size() <= 255);
        QVERIFY(first.toUtf8().size() > 250);
        QVERIFY(second.endsWith(QStringLiteral(" (2).txt")));
        QCOMPARE(second.chopped(8), first.chopped(4).left(second.size() - 8));
        // A cut never splits a character that takes two UTF-16 units.
        const QString emoji = QString(200, QLatin1Char('a')) + QString::fromUtf8("😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀");
        const QString cut = folder.claim(emoji, QStringLiteral(".txt"));
        QVERIFY(cut.toUtf8().size() <= 255);
        QVERIFY(!cut.chopped(4).back().isHighSurrogate());
    }

    void indexAndFiles()
    {
        exchange::IndexEntry e;
        e.entry = exchange::IndexEntry::Kind::OutsideTree;
        e.kind = kExample;
        e.id = 42;
        e.category = QStringLiteral("a\tb");
        e.subcategory = QStringLiteral("back\\slash\\t");
        e.title = QStringLiteral("line\nbreak\r") + QChar(0);
        e.fpath = QStringLiteral("C:\\x");
        e.file = QStringLiteral("实例资料/x.txt");
        const QString line = exchange::indexLine(e);
        QVERIFY(!line.contains(QLatin1Char('\n')));
        QCOMPARE(line.count(QLatin1Char('\t')), 9);
        exchange::IndexEntry back;
        QString why;
        QVERIFY2(exchange::parseIndexLine(line, &back, &why), qPrintable(why));
        QCOMPARE(back.category, e.category);
        QCOMPARE(back.subcategory, e.subcategory);
        QCOMPARE(back.title, e.title);
        QCOMPARE(back.id, 42);
        QCOMPARE(back.entry, e.entry);
        for (const QString& bad : {QStringLiteral("material\t文字资料\t1"), line + QStringLiteral("\textra"),
                 QString(line).replace(QStringLiteral("back\\\\"), QStringLiteral("back\\q")),
                 QString(line).replace(QStringLiteral("outside-tree"), QStringLiteral("folder")),
                 QString(line).replace(QStringLiteral("\t42\t"), QStringLiteral("\tx\t")),
                 QString(line).replace(kExample, QStringLiteral("搜索结果"))}) {
            QVERIFY2(!exchange::parseIndexLine(bad, &back, &why), qPrintable(bad));
            QVERIFY(!why.isEmpty());
        }

        // Header values stay on their lines; the body comes back byte for byte.
        const QString body = QStringLiteral("标题：not a header\r\n\r\nlast");
        const QByteArray bytes = exchange::materialFileBytes(e, body);
        QVERIFY(bytes.startsWith("标题：line break  \r\n作者：\r\n创建时间：\r\n分类：实例资料/a\tb/back"));
        QString text;
        QVERIFY2(exchange::materialFileText(bytes, true, &text, &why), qPrintable(why));
        QCOMPARE(text, body);
        QVERIFY(!exchange::materialFileText(bytes, false, &text, &why));  // a text file has no path line
        QVERIFY(!exchange::materialFileText("标题：x\n作者：\n", false, &text, &why));
        QVERIFY(
            !exchange::materialFileText(QByteArray("标题：\n作者：\n创建时间：\n分类：\n\n\xFF"), false, &text, &why));

        // Plain files: UTF-8 first, then GBK; NUL bytes mean binary.
        const QString chinese = QStringLiteral("中文：it's");
        QCOMPARE(exchange::decodeTextFile(chinese.toUtf8(), &text), exchange::TextKind::Text);
        QCOMPARE(text, chinese);
        QCOMPARE(exchange::decodeTextFile(gbk::encode(chinese), &text), exchange::TextKind::Text);
        QCOMPARE(text, chinese);
        QCOMPARE(exchange::decodeTextFile("\xEF\xBB\xBF" + chinese.toUtf8(), &text), exchange::TextKind::Text);
        QCOMPARE(text, chinese);
        QByteArray utf16("\xFF\xFE");
        utf16.append(reinterpret_cast<const char*>(chinese.utf16()), chinese.size() * 2);
        QCOMPARE(exchange::decodeTextFile(utf16, &text), exchange::TextKind::Text);
        QCOMPARE(text, chinese);
        QCOMPARE(exchange::decodeTextFile(QByteArray("ab\0cd", 5), &text), exchange::TextKind::Binary);
        QCOMPARE(exchange::decodeTextFile("\x80\xFF\xFF", &text), exchange::TextKind::Unknown);
        QCOMPARE(exchange::decodeFileName(gbk::encode(QStringLiteral("笔记"))), QStringLiteral("笔记"));
        QCOMPARE(exchange::titleFromFileName(QStringLiteral("a.b.md")), QStringLiteral("a.b"));
        QCOMPARE(exchange::titleFromFileName(QStringLiteral(".txt")), QStringLiteral(".txt"));
    }

    void roundTrip()
    {
        TestDataDir source(kAwkwardTree);
        const int count = fillAwkward(source);
        QCOMPARE(count, 17);
        QTemporaryDir out;
        const QString first = out.filePath(QStringLiteral("one"));
        {
            TExportJob job(sourceOf(source), first);
            QVERIFY(waitFor(job));  // off the GUI thread, as the window runs it
            QCOMPARE(job.outcome().state, ExportOutcome::State::Done);
            QCOMPARE(job.outcome().materials, count);
        }
        const QMap<QString, QByteArray> exported = contents(first);
        QCOMPARE(exportNow(source, out.filePath(QStringLiteral("two"))).state, ExportOutcome::State::Done);
        QCOMPARE(contents(out.filePath(QStringLiteral("two"))), exported);  // the same bytes every time

        // The tree as folders, names made safe and distinct, the lost materials kept apart.
        for (const QString& expected :
            {QStringLiteral("文字资料/算法/排序/a／b.txt"), QStringLiteral("文字资料/算法/排序/a＼b.txt"),
                QStringLiteral("文字资料/算法/排序/c：d.txt"), QStringLiteral("文字资料/算法/．..txt"),
                QStringLiteral("文字资料/算法/Readme.txt"), QStringLiteral("文字资料/算法/README (2).txt"),
                QStringLiteral("文字资料/算法/sort (2)/low.txt"), QStringLiteral("文字资料/算法/Sort/it's.txt"),
                QStringLiteral("文字资料/a／b：c/_CON.txt"), QStringLiteral("文字资料/．/dots.txt"),
                QStringLiteral("文字资料/空的/"), QStringLiteral("文字资料/（不在分类树中）/旧分类/orphan.txt"),
                QStringLiteral("文字资料/（不在分类树中）/算法/不存在/lost sub.txt"),
                QStringLiteral("实例资料/工具/编辑器.txt"),
                QStringLiteral("实例资料/（不在分类树中）/旧工具/子/old tool.txt"), QStringLiteral("index.tsv")})
            QVERIFY2(exported.contains(expected), qPrintable(expected));
        for (auto it = exported.cbegin(); it != exported.cend(); ++it)
            QVERIFY(QFileInfo(it.key()).fileName().toUtf8().size() <= 255);
        QCOMPARE(exported.value(QStringLiteral("文字资料/算法/排序/a＼b.txt")),
            QByteArray("标题：a\\b\r\n作者：作者'甲\r\n创建时间：2021-03-04 "
                       "05:06:07\r\n分类：文字资料/算法/排序\r\n\r\na:'b'\r\n"));
        QVERIFY(exported.value(QStringLiteral("实例资料/工具/编辑器.txt"))
                    .contains("路径：C:\\Tools\\a.exe\r\n\r\n说明：'x'\r\n"));

        // Into an empty installation: the same knowledge base, the empty category and the tree's order too.
        TestDataDir target;
        {
            Rig rig(target);
            const ImportReport report = importInto(rig, {first});
            QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
            QCOMPARE(report.skipped, QStringList());
            QCOMPARE(report.imported, count);
            QCOMPARE(importSummary(report), QStringLiteral("导入了 17 个资料，跳过 0 个文件"));
        }
        QCOMPARE(rows(target), rows(source));
        QCOMPARE(treeTexts(target.file(QStringLiteral("MTS.qs"))), treeTexts(source.file(QStringLiteral("MTS.qs"))));
        QCOMPARE(exportNow(target, out.filePath(QStringLiteral("three"))).state, ExportOutcome::State::Done);
        QCOMPARE(contents(out.filePath(QStringLiteral("three"))), exported);
    }

    void exportCancelledOrFailed()
    {
        TestDataDir dir;
        const QString body = QString(2000, QLatin1Char('x'));
        QVERIFY(dir.exec(QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i<2999) "
                                        "insert into textfile(title,classname,bigclassname,writer,createtime,main) "
                                        "select 'm'||i,'','算法','','2020-01-01',? from n"),
            {body}));
        QVERIFY(dir.addText(QStringLiteral("big"), QStringLiteral("算法"), QString(), QString(100000, QLatin1Char('y')))
            > 0);
        QTemporaryDir out;

        // Cancelled in the middle: nothing stays, not even the folder it made.
        {
            const QString folder = out.filePath(QStringLiteral("cancelled"));
            TExportJob job(sourceOf(dir), folder);
            job.start();
            QVERIFY(QTest::qWaitFor([&] { return job.progress().state().done >= 50 || job.isFinished(); }, 60000));
            job.cancel();
            QVERIFY(QTest::qWaitFor([&] { return job.isFinished(); }, 60000));
            QCOMPARE(job.outcome().state, ExportOutcome::State::Cancelled);
            QVERIFY(!QFileInfo::exists(folder));
        }
        // A disk that fills up on the large file: the folder chosen stays, empty.
        {
            const QString folder = out.filePath(QStringLiteral("full"));
            QVERIFY(QDir().mkdir(folder));
            ExportOutcome outcome;
            {
                FileSizeLimit limit(64 * 1024);
                QVERIFY(limit.ok);
                outcome = exportNow(dir, folder);
            }
            QCOMPARE(outcome.state, ExportOutcome::State::Failed);
            QVERIFY2(outcome.error.contains(QStringLiteral("big.txt")), qPrintable(outcome.error));
            QVERIFY(outcome.error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))));
            QCOMPARE(contents(folder), (QMap<QString, QByteArray>()));
        }
        // A folder that holds something, a file in the way, a read-only parent.
        {
            QVERIFY(writeBytes(out.filePath(QStringLiteral("used/x")), "x"));
            QVERIFY(exportNow(dir, out.filePath(QStringLiteral("used"))).error.contains(QStringLiteral("不是空的")));
            QCOMPARE(exportNow(dir, out.filePath(QStringLiteral("used/x/y"))).state, ExportOutcome::State::Failed);
            const QString locked = out.filePath(QStringLiteral("locked"));
            QVERIFY(QDir().mkdir(locked));
            QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
            WithoutDacOverride asUser;
            QVERIFY(asUser.isActive());
            const ExportOutcome outcome = exportNow(dir, locked + QStringLiteral("/export"));
            QCOMPARE(outcome.state, ExportOutcome::State::Failed);
            QVERIFY2(outcome.error.contains(QString::fromLocal8Bit(std::strerror(EACCES))), qPrintable(outcome.error));
        }
    }

    void importAwkwardFolder()
    {
        QTemporaryDir in;
        const QString root = in.filePath(QStringLiteral("notes"));
        QVERIFY(writeBytes(root + QStringLiteral("/a.txt"), "line one\nline two"));
        QVERIFY(writeBytes(root + QStringLiteral("/it's: notes.MD"), "# it's: md\r\n"));
        QVERIFY(writeBytes(root + QStringLiteral("/empty.txt"), QByteArray()));
        QVERIFY(writeBytes(root + QStringLiteral("/deep/er/gbk.txt"), gbk::encode(QStringLiteral("中文内容"))));
        QVERIFY(writeBytes(root + QStringLiteral("/binary.txt"), QByteArray("PK\x03\x04\0\0", 6)));
        QVERIFY(writeBytes(root + QStringLiteral("/garbage.txt"), "\x80\xFF\xFE\xFF"));
        QVERIFY(writeBytes(root + QStringLiteral("/picture.png"), "\x89PNG"));
        QVERIFY(writeBytes(root + QStringLiteral("/big.txt"), QByteArray(50 * 1024 * 1024, 'z')));
        const QByteArray native = QFile::encodeName(root);
        QVERIFY(::symlink("..", (native + "/deep/loop").constData()) == 0);
        QVERIFY(::symlink("self.txt", (native + "/self.txt").constData()) == 0);
        QVERIFY(::mkfifo((native + "/pipe.txt").constData(), 0600) == 0);
        // Names that are not UTF-8: GBK bytes, and bytes that are nothing.
        const int gbkName = ::open(
            (native + "/" + gbk::encode(QStringLiteral("笔记")) + ".txt").constData(), O_WRONLY | O_CREAT, 0600);
        const int badName = ::open((native + "/\xFF\xFE.txt").constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(gbkName >= 0 && badName >= 0 && ::write(gbkName, "gbk name", 8) == 8);
        ::close(gbkName);
        ::close(badName);
        // QTemporaryDir cannot remove names that are not UTF-8.
        const auto removeRawNames = qScopeGuard([native] {
            ::unlink((native + "/" + gbk::encode(QStringLiteral("笔记")) + ".txt").constData());
            ::unlink((native + "/\xFF\xFE.txt").constData());
        });
        const int huge = ::open((native + "/huge.txt").constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(huge >= 0 && ::ftruncate(huge, TImportPlanner::kMaxFileBytes + 1) == 0);
        ::close(huge);

        TestDataDir dir(kAwkwardTree);
        Rig rig(dir);
        const ImportReport report
            = importInto(rig, {root}, ImportPlace {kText, QStringLiteral("算法"), QStringLiteral("排序")});
        QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
        QCOMPARE(report.imported, 7);
        // Found while walking first, then met while reading, each in name order.
        QCOMPARE(reasons(report),
            (QStringList {QStringLiteral("不是普通文件"),
                QStringLiteral("无法读取：") + QString::fromLocal8Bit(std::strerror(ELOOP)),
                QStringLiteral("是二进制文件"), QStringLiteral("既不是 UTF-8 也不是 GBK 文本"),
                QStringLiteral("文件超过 64 MB")}));
        const QStringList titles = dir.column(QStringLiteral(
            "select title||'|'||classname||'|'||length(main)||'|'||substr(main,1,12) from textfile order by id"));
        const QString unreadableName = QString(2, QChar(0xFFFD));
        QCOMPARE(titles,
            (QStringList {QStringLiteral("a|排序|20|line one\r\nli"), QStringLiteral("big|排序|52428802|zzzzzzzzzzzz"),
                QStringLiteral("empty|排序|0|"), QStringLiteral("it+(DYH)+s: notes|排序|23|# it+(DYH)+s"),
                QStringLiteral("笔记|排序|10|gbk name\r\n"), unreadableName + QStringLiteral("|排序|0|"),
                QStringLiteral("gbk|排序|6|中文内容\r\n")}));
        QCOMPARE(rig.tree.find({kText, QStringLiteral("算法")})->childCount(), 3);  // no category made
    }

    void importTenThousandFiles()
    {
        // Binary files first, so the first batches hold nothing but skipped files.
        QTemporaryDir in;
        for (int i = 0; i < 1500; ++i)
            QVERIFY(writeBytes(in.filePath(QStringLiteral("a/bin%1.txt").arg(i, 4, 10, QLatin1Char('0'))), "\x01\x02"));
        for (int i = 0; i < 10000; ++i)
            QVERIFY(writeBytes(in.filePath(QStringLiteral("b/%1/n%2.txt").arg(i % 7).arg(i)), QByteArray::number(i)));
        TestDataDir dir(kAwkwardTree);
        Rig rig(dir);
        const ImportReport report
            = importInto(rig, {in.path()}, ImportPlace {kText, QStringLiteral("空的"), std::nullopt});
        QCOMPARE(report.imported, 10000);
        QCOMPARE(report.skipped.size(), 1500);
        QCOMPARE(report.total, 11500);
        QCOMPARE(report.processed, 11500);
        QCOMPARE(dir.column(QStringLiteral("select count(*) from textfile where bigclassname='空的' and main = "
                                           "substr(title, 2) || char(13, 10)")),
            QStringList {QStringLiteral("10000")});
    }

    void importLyingIndex()
    {
        TestDataDir source(kAwkwardTree);
        QVERIFY(fillAwkward(source) > 0);
        QTemporaryDir out;
        const QString folder = out.filePath(QStringLiteral("export"));
        QCOMPARE(exportNow(source, folder).state, ExportOutcome::State::Done);
        QFile index(folder + QStringLiteral("/index.tsv"));
        QVERIFY(index.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(index.readAll()).split(QLatin1Char('\n'));
        index.close();
        const auto lineOf = [&](const QString& file) {
            for (int i = 0; i < lines.size(); ++i) {
                if (lines.at(i).endsWith(QLatin1Char('\t') + file))
                    return i;
            }
            return -1;
        };
        // Files gone, damaged, unlisted, outside the folder or leading out of it.
        QVERIFY(QFile::remove(folder + QStringLiteral("/文字资料/算法/Readme.txt")));
        QVERIFY(writeBytes(folder + QStringLiteral("/文字资料/算法/排序/c：d.txt"), "标题：x\n\nno header"));
        QVERIFY(writeBytes(folder + QStringLiteral("/文字资料/extra.md"), "not listed"));
        QVERIFY(
            writeBytes(out.filePath(QStringLiteral("outside.txt")), "标题：\n作者：\n创建时间：\n分类：\n\nsecret"));
        QVERIFY(
            QFile::link(out.filePath(QStringLiteral("outside.txt")), folder + QStringLiteral("/文字资料/link.txt")));
        exchange::IndexEntry plus;
        plus.kind = kText;
        plus.category = QStringLiteral("+plus");
        plus.title = QStringLiteral("p");
        plus.file = QStringLiteral("文字资料/plus.txt");
        QVERIFY(
            writeBytes(folder + QLatin1Char('/') + plus.file, exchange::materialFileBytes(plus, QStringLiteral("p"))));
        // Rows that are bad, lead out, repeat a file, or name places the tree file cannot take.
        lines[lineOf(QStringLiteral("文字资料/算法/README (2).txt"))]
            = QStringLiteral("material\t文字资料\t1\tonly four");
        lines[lineOf(QStringLiteral("文字资料/．/dots.txt"))].replace(
            QStringLiteral("文字资料/．/dots.txt"), QStringLiteral("../outside.txt"));
        lines.insert(lines.size() - 1, lines.at(lineOf(QStringLiteral("实例资料/工具/编辑器.txt"))));
        QString link = lines.at(lineOf(QStringLiteral("实例资料/工具/编辑器.txt")));
        lines.insert(lines.size() - 1,
            link.replace(QStringLiteral("实例资料/工具/编辑器.txt"), QStringLiteral("文字资料/link.txt")));
        lines.insert(lines.size() - 1, exchange::indexLine(plus));
        int firstMaterial = 1;
        while (!lines.at(firstMaterial).startsWith(QStringLiteral("material")))
            ++firstMaterial;
        lines.insert(firstMaterial, QStringLiteral("category\t文字资料\t\t算法 \t\t\t\t\t\t"));
        lines.insert(1, QStringLiteral("category\t文字资料\t\t+plus\t\t\t\t\t\t"));
        QVERIFY(writeBytes(folder + QStringLiteral("/index.tsv"), lines.join(QLatin1Char('\n')).toUtf8()));

        TestDataDir target;
        Rig rig(target);
        const ImportReport report = importInto(rig, {folder});
        QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
        QCOMPARE(report.imported, 17 - 4);
        const QString all = report.skipped.join(QLatin1Char('\n'));
        for (const QString& expected :
            {QStringLiteral("分类“文字资料/+plus”没有建立：名字以“+”开头"),
                QStringLiteral("分类“文字资料/算法 ”没有建立：已经有同名的分类“算法”"),
                QStringLiteral("行：应有 10 列，实有 4 列"), QStringLiteral("行：文件“../outside.txt”不在导出文件夹里"),
                QStringLiteral("行：与第"), QStringLiteral("dots.txt：没有列在 index.tsv 中"),
                QStringLiteral("README (2).txt：没有列在 index.tsv 中"),
                QStringLiteral("extra.md：没有列在 index.tsv 中"), QStringLiteral("Readme.txt：文件不存在"),
                QStringLiteral("c：d.txt：缺少“作者：”一行"), QStringLiteral("link.txt：文件在导出文件夹之外"),
                QStringLiteral("plus.txt：分类“文字资料/+plus”没有建立")})
            QVERIFY2(all.contains(expected), qPrintable(expected + QStringLiteral("\n\n") + all));
        QCOMPARE(report.skipped.size(), 12);
        QVERIFY(!rig.tree.find({kText, QStringLiteral("+plus")}));
        QVERIFY(!rig.tree.find({kText, QStringLiteral("算法 ")}));
        QVERIFY(rig.tree.find({kText, QStringLiteral("算法"), QStringLiteral("排序")}));
        QCOMPARE(target.column(QStringLiteral("select count(*) from textfile where instr(main, 'secret') > 0")),
            QStringList {QStringLiteral("0")});
        QCOMPARE(target.column(QStringLiteral("select count(*) from exefile where title='编辑器'")),
            QStringList {QStringLiteral("1")});
    }
};

QS_TEST_CLASS(TestExchange)

#include "test_exchange.moc"
