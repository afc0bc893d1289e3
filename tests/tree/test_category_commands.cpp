// Adding, renaming and deleting categories and subcategories: refusals, the input boxes, the
// images of new nodes, the cascades on both tables, the tree file after each operation, and a
// failing database leaving the tree alone. The commands run on the test rig; the toolbar buttons
// and the exit of the window are checked end to end.
#include "common/Rig.h"
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"

#include "tree/CategoryTreeFile.h"
#include "tree/CategoryTreeView.h"
#include "tree/TreeNodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QStringList kTree = {
    QStringLiteral("文字资料0"),
    QStringLiteral("+算法1"),
    QStringLiteral("++排序2"),
    QStringLiteral("++查找2"),
    QStringLiteral("++2"),
    QStringLiteral("+网络1"),
    QStringLiteral("实例资料0"),
    QStringLiteral("+工具1"),
    QStringLiteral("搜索结果0"),
};

const QString kNoSelection = QStringLiteral("你还没有在左边的分类树中选择一个分类！");

struct CategoryApp {
    explicit CategoryApp(const TestDataDir& dir) : app(dir) { MainData->useAbsolutePath(); }
    TMainForm& form() { return app.form(); }
    TMainForm* operator->() { return &app.form(); }
    TestApp app;
};

QStringList path(const QString& joined) { return joined.isEmpty() ? QStringList() : joined.split(QLatin1Char('/')); }

// Runs "add", "rename" or "delete" on the rig's category commands.
void run(Rig& rig, const QString& command)
{
    if (command == QLatin1String("add"))
        rig.categories.AddNewItem();
    else if (command == QLatin1String("rename"))
        rig.categories.ReNameItem();
    else
        rig.categories.DelChildItem();
}

// "title@bigclassname/classname" of every row of a table, ordered by id.
QStringList rows(const TestDataDir& dir, const QString& table)
{
    return dir.column(
        QStringLiteral("select title || '@' || bigclassname || '/' || classname from %1 order by id").arg(table));
}

// The tree file as it is on disk now, in the same form as the tree.
QList<TreeNodeData> savedTree(const TestDataDir& dir) { return loadTreeFile(dir.file(QStringLiteral("MTS.qs"))); }

// The tree with every image reduced to what a load would give.
QList<TreeNodeData> asLoaded(QList<TreeNodeData> nodes, int depth = 0)
{
    for (TreeNodeData& n : nodes) {
        n.image = depth == 0 ? 0 : depth == 1 ? 1 : 2;
        n.children = asLoaded(n.children, depth + 1);
    }
    return nodes;
}

// A material in each place the tests touch, in both tables.
void fill(const TestDataDir& dir)
{
    dir.addText(QStringLiteral("t-sort"), QStringLiteral("算法"), QStringLiteral("排序"));
    dir.addText(QStringLiteral("t-find"), QStringLiteral("算法"), QStringLiteral("查找"));
    dir.addText(QStringLiteral("t-direct"), QStringLiteral("算法"), QString());
    dir.addText(QStringLiteral("t-net"), QStringLiteral("网络"), QString());
    dir.addText(QStringLiteral("t-tool"), QStringLiteral("工具"), QString());
    dir.addExe(QStringLiteral("e-tool"), QStringLiteral("工具"), QString(), QStringLiteral("/bin/ls"));
    dir.addExe(QStringLiteral("e-algo"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("/bin/sh"));
}

}  // namespace

class TestCategoryCommands final : public QObject {
    Q_OBJECT

private slots:
    void refusals_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("icon");
        const int none = int(Prompts::Icon::None);
        const int warning = int(Prompts::Icon::Warning);
        const QString ok = QStringLiteral("Quillstash");
        QTest::newRow("add, nothing selected") << "add"
                                               << ""
                                               << "message" << kNoSelection << ok << none;
        QTest::newRow("add, search results") << "add"
                                             << "搜索结果"
                                             << "message" << QStringLiteral("不能在这里建立新的子分类！") << ok << none;
        QTest::newRow("add, subcategory")
            << "add"
            << "文字资料/算法/排序"
            << "box" << QStringLiteral("你已经到了分类的最低层，你不能在这个分类下再添加新的子分类了")
            << QStringLiteral("提示信息") << warning;
        QTest::newRow("rename, nothing selected") << "rename"
                                                  << ""
                                                  << "message" << kNoSelection << ok << none;
        QTest::newRow("rename, kind root")
            << "rename"
            << "实例资料"
            << "box" << QStringLiteral("这是软件定义的根目录，你不能修改！") << ok << warning;
        QTest::newRow("rename, search results")
            << "rename"
            << "搜索结果"
            << "box" << QStringLiteral("这是软件定义的根目录，你不能修改！") << ok << warning;
        QTest::newRow("delete, nothing selected") << "delete"
                                                  << ""
                                                  << "message" << kNoSelection << ok << none;
        QTest::newRow("delete, kind root")
            << "delete"
            << "文字资料"
            << "box" << QStringLiteral("这是本软件定义的根目录，不能删除") << ok << warning;
        QTest::newRow("delete, search results")
            << "delete"
            << "搜索结果"
            << "box" << QStringLiteral("这是本软件定义的根目录，不能删除") << ok << warning;
        QTest::newRow("add, input cancelled")
            << "add"
            << "文字资料/算法"
            << "input" << QStringLiteral("请输入分类名：在\"算法\"里的子类") << QStringLiteral("请输入分类名") << none;
        QTest::newRow("rename, input cancelled")
            << "rename"
            << "文字资料/算法"
            << "input" << QStringLiteral("请输入新的名字：") << QStringLiteral("请输入新的名字") << none;
        QTest::newRow("delete, answered No")
            << "delete"
            << "文字资料/算法"
            << "ask" << QStringLiteral("删除分类“算法”，将删除他的子分类及所有属于他的资料，要继续吗？") << ok << none;
    }

    void refusals()
    {
        QFETCH(QString, command);
        QFETCH(QString, selection);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(int, icon);
        TestDataDir dir(kTree);
        fill(dir);
        Rig app(dir);
        ScriptedPrompts prompts;  // every input is cancelled, every question answered No
        app.select(path(selection));
        const QList<TreeNodeData> before = app.tree.snapshot();
        const QStringList textRows = rows(dir, QStringLiteral("textfile"));

        run(app, command);

        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.at(0).kind, kind);
        QCOMPARE(prompts.shown.at(0).text, text);
        QCOMPARE(prompts.shown.at(0).caption, caption);
        QCOMPARE(int(prompts.shown.at(0).icon), icon);
        QCOMPARE(app.tree.snapshot(), before);
        QCOMPARE(rows(dir, QStringLiteral("textfile")), textRows);
        QCOMPARE(app.treeFile.saveCount(), 0);
    }

    void addNode_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("image");
        QTest::addColumn<int>("selectedImage");
        QTest::newRow("category under the text root") << "文字资料"
                                                      << "数据库" << 1 << 4;
        QTest::newRow("category under the example root") << "实例资料"
                                                         << "it's" << 1 << 4;
        QTest::newRow("subcategory") << "文字资料/网络"
                                     << "a-b" << 2 << 2;
        QTest::newRow("subcategory named null") << "文字资料/算法"
                                                << "null" << 2 << 2;
        QTest::newRow("empty name") << "实例资料"
                                    << "" << 1 << 4;
        QTest::newRow("name used in another category") << "文字资料/网络"
                                                       << "排序" << 2 << 2;
    }

    void addNode()
    {
        QFETCH(QString, parent);
        QFETCH(QString, name);
        QFETCH(int, image);
        QFETCH(int, selectedImage);
        TestDataDir dir(kTree);
        Rig app(dir);
        ScriptedPrompts prompts;
        prompts.inputs.enqueue(name);
        app.click(path(parent));
        TTreeNode* parentNode = app.node(path(parent));
        QVERIFY(parentNode);
        const int childrenBefore = parentNode->childCount();
        const int parentImage = parentNode->image();

        app.categories.AddNewItem();

        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.at(0).kind, QStringLiteral("input"));
        QCOMPARE(prompts.shown.at(0).caption, QStringLiteral("请输入分类名"));
        QCOMPARE(prompts.shown.at(0).text,
            QStringLiteral("请输入分类名：在\"") + path(parent).last() + QStringLiteral("\"里的子类"));
        QCOMPARE(prompts.shown.at(0).initial, QString());
        QCOMPARE(parentNode->childCount(), childrenBefore + 1);
        const TTreeNode* added = parentNode->child(childrenBefore);
        QCOMPARE(added->text(), name);
        QCOMPARE(added->image(), image);
        QCOMPARE(added->selectedImage(), selectedImage);
        QCOMPARE(app.selection.node, parentNode);
        // The parent is not opened by the command.
        QVERIFY(app.selection.expanded.isEmpty());
        QCOMPARE(parentNode->image(), parentImage);
        // Saved at once: the file holds the new node.
        QCOMPARE(app.treeFile.saveCount(), 1);
        QCOMPARE(savedTree(dir), asLoaded(app.tree.snapshot()));
        // The listed parent shows the new folder item.
        QVERIFY(app.captions().contains(name));
    }

    // Names the tree file could not give back are refused before anything changes.
    void unwritableNames_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        for (const char* command : {"add", "rename"}) {
            QTest::addRow("%s, leading plus", command) << command << QStringLiteral("+新");
            QTest::addRow("%s, line break", command) << command << QStringLiteral("第一行\n第二行");
            QTest::addRow("%s, carriage return", command) << command << QStringLiteral("a\rb");
            QTest::addRow("%s, emoji", command) << command << QStringLiteral("工具😀");
        }
    }

    void unwritableNames()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        TestDataDir dir(kTree);
        fill(dir);
        Rig app(dir);
        ScriptedPrompts prompts;
        prompts.inputs.enqueue(name);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        const QList<TreeNodeData> before = app.tree.snapshot();
        const QStringList textRows = rows(dir, QStringLiteral("textfile"));
        const QByteArray fileBefore = treeFileBytes(savedTree(dir));

        run(app, command);

        QCOMPARE(prompts.shown.size(), 2);
        QCOMPARE(prompts.shown.at(1).kind, QStringLiteral("box"));
        QCOMPARE(prompts.shown.at(1).icon, Prompts::Icon::Warning);
        QCOMPARE(prompts.shown.at(1).caption, QStringLiteral("Quillstash"));
        QVERIFY(!prompts.shown.at(1).text.isEmpty());
        QCOMPARE(app.tree.snapshot(), before);
        QCOMPARE(rows(dir, QStringLiteral("textfile")), textRows);
        QCOMPARE(app.treeFile.saveCount(), 0);
        QCOMPARE(treeFileBytes(savedTree(dir)), fileBefore);
    }

    void renameCascades_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QStringList>("textRows");
        QTest::addColumn<QStringList>("exeRows");
        const QStringList exeUntouched = {QStringLiteral("e-tool@工具/"), QStringLiteral("e-algo@算法/排序")};
        QTest::newRow("category under the example root: exefile only")
            << "实例资料/工具"
            << "it's 工具"
            << QStringList {"t-sort@算法/排序", "t-find@算法/查找", "t-direct@算法/", "t-net@网络/", "t-tool@工具/"}
            << QStringList {"e-tool@it's 工具/", "e-algo@算法/排序"};
        QTest::newRow("category under the text root: every subcategory follows")
            << "文字资料/算法"
            << "null"
            << QStringList {"t-sort@null/排序", "t-find@null/查找", "t-direct@null/", "t-net@网络/", "t-tool@工具/"}
            << exeUntouched;
        QTest::newRow("subcategory") << "文字资料/算法/排序"
                                     << "a-b"
                                     << QStringList {"t-sort@算法/a-b", "t-find@算法/查找", "t-direct@算法/",
                                            "t-net@网络/", "t-tool@工具/"}
                                     << exeUntouched;
        QTest::newRow("subcategory with an empty name")
            << "文字资料/算法/"
            << "直接"
            << QStringList {"t-sort@算法/排序", "t-find@算法/查找", "t-direct@算法/直接", "t-net@网络/", "t-tool@工具/"}
            << exeUntouched;
        QTest::newRow("same name again") << "文字资料/网络"
                                         << "网络"
                                         << QStringList {"t-sort@算法/排序", "t-find@算法/查找", "t-direct@算法/",
                                                "t-net@网络/", "t-tool@工具/"}
                                         << exeUntouched;
    }

    void renameCascades()
    {
        QFETCH(QString, node);
        QFETCH(QString, newName);
        QFETCH(QStringList, textRows);
        QFETCH(QStringList, exeRows);
        TestDataDir dir(kTree);
        fill(dir);
        Rig app(dir);
        ScriptedPrompts prompts;
        prompts.inputs.enqueue(newName);
        QStringList nodePath = node.split(QLatin1Char('/'));
        app.click(nodePath);
        TTreeNode* target = app.node(nodePath);
        QVERIFY(target);
        const int children = target->childCount();

        app.categories.ReNameItem();

        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.at(0).initial, nodePath.last());
        QCOMPARE(target->text(), newName);
        QCOMPARE(target->childCount(), children);
        QCOMPARE(rows(dir, QStringLiteral("textfile")), textRows);
        QCOMPARE(rows(dir, QStringLiteral("exefile")), exeRows);
        QCOMPARE(app.status.currentStatus(), QStringLiteral("数据库操作成功！"));
        QCOMPARE(app.treeFile.saveCount(), 1);
        QCOMPARE(savedTree(dir), asLoaded(app.tree.snapshot()));
        QCOMPARE(app.selection.node, target);
    }

    void deleteCascades_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("selectedAfter");
        QTest::addColumn<QStringList>("textRows");
        QTest::addColumn<QStringList>("exeRows");
        QTest::newRow("category with subcategories") << "文字资料/算法"
                                                     << "文字资料" << QStringList {"t-net@网络/", "t-tool@工具/"}
                                                     << QStringList {"e-tool@工具/", "e-algo@算法/排序"};
        QTest::newRow("subcategory") << "文字资料/算法/查找"
                                     << "文字资料/算法"
                                     << QStringList {"t-sort@算法/排序", "t-direct@算法/", "t-net@网络/",
                                            "t-tool@工具/"}
                                     << QStringList {"e-tool@工具/", "e-algo@算法/排序"};
        QTest::newRow("category under the example root")
            << "实例资料/工具"
            << "实例资料"
            << QStringList {"t-sort@算法/排序", "t-find@算法/查找", "t-direct@算法/", "t-net@网络/", "t-tool@工具/"}
            << QStringList {"e-algo@算法/排序"};
    }

    void deleteCascades()
    {
        QFETCH(QString, node);
        QFETCH(QString, selectedAfter);
        QFETCH(QStringList, textRows);
        QFETCH(QStringList, exeRows);
        TestDataDir dir(kTree);
        fill(dir);
        Rig app(dir);
        ScriptedPrompts prompts;
        prompts.answers.enqueue(true);
        app.click(path(node));
        QVERIFY(app.node(path(node)));
        const int nodesBefore = app.tree.nodeCount();
        const int removed = 1 + app.node(path(node))->childCount();

        app.categories.DelChildItem();

        QVERIFY(!app.node(path(node)));
        QCOMPARE(app.tree.nodeCount(), nodesBefore - removed);
        QCOMPARE(rows(dir, QStringLiteral("textfile")), textRows);
        QCOMPARE(rows(dir, QStringLiteral("exefile")), exeRows);
        QCOMPARE(app.selection.node, app.node(path(selectedAfter)));
        QCOMPARE(app.treeFile.saveCount(), 1);
        QCOMPARE(savedTree(dir), asLoaded(app.tree.snapshot()));
        // The list now shows the parent, without the deleted place.
        QCOMPARE(app.relists, 1);
        QVERIFY(!app.captions().contains(path(node).last()));
    }

    // A rename or delete whose statement fails leaves the tree and its file as they were.
    // The tree file cannot be replaced (a directory stands where it goes): nothing changes, neither in
    // the tree nor in the database, and the user learns which file and why. Exit says so too: that
    // case is the window's and runs end to end in exitWithUnsavableTreeFileSaysSo().
    void unsavableTreeFileChangesNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("add") << "add";
        QTest::newRow("rename") << "rename";
        QTest::newRow("delete") << "delete";
    }
    void unsavableTreeFileChangesNothing()
    {
        QFETCH(QString, command);
        TestDataDir dir(kTree);
        fill(dir);
        Rig app(dir);
        ScriptedPrompts prompts;
        prompts.inputs.enqueue(QStringLiteral("新名字"));
        prompts.answers.enqueue(true);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        const QList<TreeNodeData> before = app.tree.snapshot();
        const QStringList textBefore = rows(dir, QStringLiteral("textfile"));
        const QString treePath = dir.file(QStringLiteral("MTS.qs"));
        QCOMPARE(app.treeFile.path(), treePath);
        QVERIFY(QFile::remove(treePath));
        QVERIFY(QDir().mkpath(treePath + QStringLiteral("/inside")));

        run(app, command);

        QCOMPARE(app.tree.snapshot(), before);
        QCOMPARE(rows(dir, QStringLiteral("textfile")), textBefore);
        QVERIFY(QFileInfo(treePath).isDir());
        const ShownPrompt& shown = prompts.shown.last();
        QCOMPARE(shown.kind, QStringLiteral("box"));
        QCOMPARE(shown.icon, Prompts::Icon::Error);
        QVERIFY2(shown.text.contains(QDir::toNativeSeparators(treePath)), qPrintable(shown.text));
        QVERIFY2(!app.status.currentStatus().contains(QStringLiteral("数据库操作成功")),
            qPrintable(app.status.currentStatus()));
        QCOMPARE(app.selection.node, app.node({QStringLiteral("文字资料"), QStringLiteral("算法")}));
    }

    // Materials follow names: a second sibling of the same name (blanks around it aside) is refused.
    void duplicateSiblingNamesAreRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("add subcategory") << "add"
                                         << "文字资料/算法"
                                         << "排序" << true;
        QTest::newRow("add with blanks") << "add"
                                         << "文字资料/算法"
                                         << " 排序 " << true;
        QTest::newRow("add category") << "add"
                                      << "文字资料"
                                      << "网络" << true;
        QTest::newRow("add the name of a cousin") << "add"
                                                  << "文字资料/网络"
                                                  << "查找" << false;
        QTest::newRow("rename onto a sibling") << "rename"
                                               << "文字资料/算法/查找"
                                               << "排序" << true;
        QTest::newRow("rename onto a sibling, blanks") << "rename"
                                                       << "文字资料/网络"
                                                       << "算法 " << true;
        QTest::newRow("rename to its own name") << "rename"
                                                << "文字资料/算法/排序"
                                                << "排序" << false;
        QTest::newRow("rename to a category of the other kind") << "rename"
                                                                << "文字资料/网络"
                                                                << "工具" << false;
    }
    void duplicateSiblingNamesAreRefused()
    {
        QFETCH(QString, command);
        QFETCH(QString, node);
        QFETCH(QString, name);
        QFETCH(bool, refused);
        TestDataDir dir(kTree);
        fill(dir);
        Rig app(dir);
        ScriptedPrompts prompts;
        prompts.inputs.enqueue(name);
        app.click(path(node));
        const QList<TreeNodeData> before = app.tree.snapshot();
        const QStringList textBefore = rows(dir, QStringLiteral("textfile"));

        run(app, command);

        const bool warned = prompts.shown.last().text == QStringLiteral("已经存在同名的分类，请换一个名字！");
        QCOMPARE(warned, refused);
        if (refused) {
            QCOMPARE(prompts.shown.last().caption, QStringLiteral("提示信息"));
            QCOMPARE(prompts.shown.last().icon, Prompts::Icon::Warning);
            QCOMPARE(app.tree.snapshot(), before);
            QCOMPARE(rows(dir, QStringLiteral("textfile")), textBefore);
            QCOMPARE(app.treeFile.saveCount(), 0);
        } else {
            QCOMPARE(app.treeFile.saveCount(), 1);
        }
    }

    // A file that already holds two siblings of one name loads and lists as before.
    void treeWithDuplicatesStillWorks()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("++排序2"),
            QStringLiteral("++排序2"), QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")});
        dir.addText(QStringLiteral("t-sort"), QStringLiteral("算法"), QStringLiteral("排序"));
        Rig app(dir);
        ScriptedPrompts prompts;
        QVERIFY(app.node({QStringLiteral("文字资料"), QStringLiteral("算法")}));
        QCOMPARE(app.node({QStringLiteral("文字资料"), QStringLiteral("算法")})->childCount(), 2);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")});
        QCOMPARE(app.captions(), QStringList {QStringLiteral("t-sort")});
    }

    void failingDatabaseKeepsTree_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("corrupt");
        QTest::newRow("rename, missing") << "rename" << false;
        QTest::newRow("rename, corrupt") << "rename" << true;
        QTest::newRow("delete, missing") << "delete" << false;
        QTest::newRow("delete, corrupt") << "delete" << true;
    }

    void failingDatabaseKeepsTree()
    {
        QFETCH(QString, command);
        QFETCH(bool, corrupt);
        TestDataDir dir(kTree);
        Rig app(dir);
        ScriptedPrompts prompts;
        prompts.inputs.enqueue(QStringLiteral("新名字"));
        prompts.answers.enqueue(true);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")});
        QFile db(dir.file(QStringLiteral("Data.QSD")));
        if (corrupt) {
            QVERIFY(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
            db.write(QByteArray(4096, 'x'));
            db.close();
        } else {
            QVERIFY(db.remove());
        }
        const QList<TreeNodeData> before = app.tree.snapshot();
        const QByteArray fileBefore = treeFileBytes(savedTree(dir));
        QCOMPARE(app.status.progress(), 100);  // the listing went well

        run(app, command);

        QCOMPARE(app.tree.snapshot(), before);
        QCOMPARE(app.treeFile.saveCount(), 0);
        QCOMPARE(treeFileBytes(savedTree(dir)), fileBefore);
        QVERIFY(app.status.currentStatus().endsWith(QStringLiteral("   严重错误，请重新安装程序")));
        QCOMPARE(app.status.progress(), 0);
    }

    // End to end: the three toolbar buttons run the commands on the window's tree control, which
    // shows the new node with its images and leaves its parent closed, and the real list follows.
    void toolbarButtonsRunTheCommands()
    {
        TestDataDir dir(kTree);
        fill(dir);
        CategoryApp app(dir);
        ScriptedPrompts prompts;
        prompts.inputs.enqueue(QStringLiteral("数据库"));
        prompts.inputs.enqueue(QStringLiteral("新名"));
        prompts.answers.enqueue(true);
        const QStringList net = {QStringLiteral("文字资料"), QStringLiteral("网络")};
        clickNode(app.form(), net);
        QTreeWidgetItem* parent = findNode(app.form(), net);

        app->ui().ToolButton1->click();
        QCOMPARE(parent->childCount(), 1);
        QTreeWidgetItem* added = parent->child(0);
        QCOMPARE(added->text(0), QStringLiteral("数据库"));
        QCOMPARE(treenodes::image(added), 2);
        QCOMPARE(treenodes::selectedImage(added), 2);
        QCOMPARE(treenodes::selected(app->ui().MainTreeView), parent);
        QVERIFY(!parent->isExpanded());
        QCOMPARE(app->treeSaveCount(), 1);
        QCOMPARE(savedTree(dir), asLoaded(treeFromWidget(app->ui().MainTreeView)));
        QCOMPARE(app->ui().MainList->findItems(QStringLiteral("数据库"), Qt::MatchExactly).size(), 1);

        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络"), QStringLiteral("数据库")});
        app->ui().ToolButton2->click();
        QCOMPARE(added->text(0), QStringLiteral("新名"));
        QCOMPARE(app->ui().MainStatus->currentMessage(), QStringLiteral("数据库操作成功！"));
        QCOMPARE(app->treeSaveCount(), 2);

        app->ui().ToolButton3->click();
        QCOMPARE(parent->childCount(), 0);
        QCOMPARE(treenodes::selected(app->ui().MainTreeView), parent);
        QCOMPARE(app->treeSaveCount(), 3);
        QCOMPARE(savedTree(dir), asLoaded(treeFromWidget(app->ui().MainTreeView)));
        QCOMPARE(app->ui().MainList->findItems(QStringLiteral("新名"), Qt::MatchExactly).size(), 0);
        QCOMPARE(app->ui().MainList->findItems(QStringLiteral("t-net"), Qt::MatchExactly).size(), 1);
        QCOMPARE(prompts.shown.size(), 3);
    }

    // End to end: at exit the window saves the tree file; when it cannot be replaced (a directory
    // stands where it goes) nothing changes and the user learns which file and why.
    void exitWithUnsavableTreeFileSaysSo()
    {
        TestDataDir dir(kTree);
        fill(dir);
        CategoryApp app(dir);
        ScriptedPrompts prompts;
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        const QList<TreeNodeData> before = treeFromWidget(app->ui().MainTreeView);
        const QStringList textBefore = rows(dir, QStringLiteral("textfile"));
        const QString treePath = dir.file(QStringLiteral("MTS.qs"));
        QVERIFY(QFile::remove(treePath));
        QVERIFY(QDir().mkpath(treePath + QStringLiteral("/inside")));

        app->FormClose();

        QCOMPARE(treeFromWidget(app->ui().MainTreeView), before);
        QCOMPARE(rows(dir, QStringLiteral("textfile")), textBefore);
        QVERIFY(QFileInfo(treePath).isDir());
        QVERIFY(!prompts.shown.isEmpty());
        const ShownPrompt& shown = prompts.shown.last();
        QCOMPARE(shown.kind, QStringLiteral("box"));
        QCOMPARE(shown.icon, Prompts::Icon::Error);
        QVERIFY2(shown.text.contains(QDir::toNativeSeparators(treePath)), qPrintable(shown.text));
        QVERIFY2(!app->ui().MainStatus->currentMessage().contains(QStringLiteral("数据库操作成功")),
            qPrintable(app->ui().MainStatus->currentMessage()));
    }
};

QS_TEST_CLASS(TestCategoryCommands)
#include "test_category_commands.moc"
