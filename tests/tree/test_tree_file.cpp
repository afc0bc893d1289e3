// The category tree file: loading, saving byte for byte, images, and names the file cannot hold.
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"

#include "common/Gbk.h"
#include "tree/CategoryTree.h"
#include "tree/CategoryTreeFile.h"
#include "tree/CategoryTreeView.h"
#include "tree/TreeNodes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTreeWidget>

namespace {
QByteArray crlf(const QStringList& lines) { return gbk::encode(joinLinesCrLf(lines)); }

// "text/image/selected image" for every node in absolute order, with "+" per level.
QStringList describe(const TCategoryTree& tree)
{
    QStringList out;
    for (const TTreeNode* node : tree.allNodes()) {
        out.append(QString(node->level(), QLatin1Char('+')) + node->text() + QLatin1Char('/')
            + QString::number(node->image()) + QLatin1Char('/') + QString::number(node->selectedImage()));
    }
    return out;
}
}  // namespace

class TreeFileTest final : public QObject {
    Q_OBJECT
private slots:
    void loadsLevelsAndIgnoresDigits()
    {
        TCategoryTree tree;
        QTreeWidget control;
        TCategoryTreeView view(tree, &control);
        tree.load(parseTreeFile(crlf({QStringLiteral("文字资料3"), QStringLiteral("+网络1"), QStringLiteral("++协议4"),
            QStringLiteral("+1"), QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")})));
        QCOMPARE(describe(tree),
            (QStringList {QStringLiteral("文字资料/0/0"), QStringLiteral("+网络/1/1"), QStringLiteral("++协议/2/2"),
                QStringLiteral("+/1/1"), QStringLiteral("实例资料/0/0"), QStringLiteral("搜索结果/0/0")}));
        // The control shows the same tree, every node collapsed, nothing selected.
        QCOMPARE(treeFromWidget(&control), tree.snapshot());
        for (QTreeWidgetItem* node : treenodes::allNodes(&control))
            QVERIFY(!node->isExpanded());
        QVERIFY(control.selectedItems().isEmpty());
    }

    void edgeLines()
    {
        // "++" right after a top node hangs a level-1 node with image 2 under it; empty lines and
        // category lines before any top node are skipped; LF and CR ends are read too.
        const QByteArray bytes
            = gbk::encode(QStringLiteral("+orphan1\n\n文字资料0\r++直接2\r\n+算法1\n++排序2\r实例资料0\r\n搜索结果0"));
        TCategoryTree tree;
        tree.load(parseTreeFile(bytes));
        QCOMPARE(describe(tree),
            (QStringList {QStringLiteral("文字资料/0/0"), QStringLiteral("+直接/2/2"), QStringLiteral("+算法/1/1"),
                QStringLiteral("++排序/2/2"), QStringLiteral("实例资料/0/0"), QStringLiteral("搜索结果/0/0")}));
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("only line ends") << QByteArray("\r\n\r\n\n");
        QTest::newRow("only orphans") << QByteArray("+a1\r\n++b2\r\n");
    }
    void damagedFiles()
    {
        QFETCH(QByteArray, bytes);
        bool thrown = false;
        try {
            parseTreeFile(bytes);
        } catch (const EOpenFileError&) {
            thrown = true;
        }
        QVERIFY(thrown);
    }

    void bytesThatAreNotGbk()
    {
        // Bytes that are not GBK load, and what a save writes loads as the same tree.
        const QByteArray junk("\xff\xfe\x00\x81\x30\xff\x80"
                              "0\r\n+\x81\xff"
                              "1\r\n",
            16);
        const QList<TreeNodeData> loaded = parseTreeFile(junk);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.at(0).children.size(), 1);
        QCOMPARE(parseTreeFile(treeFileBytes(loaded)), loaded);
    }

    // A file an editor saved as UTF-8 reads as UTF-8; the first save of a run keeps the file it
    // replaces, then writes GBK. A file both could read stays GBK, as every file the program writes is.
    void utf8FileIsReadAsUtf8AndKept()
    {
        const QString text = QStringLiteral("文字资料0\r\n+中文笔记本1\r\n++排序😀2\r\n实例资料0\r\n搜索结果0\r\n");
        const QByteArray utf8 = text.toUtf8();
        bool gbkToo = true;
        gbk::decode(utf8, &gbkToo);
        QVERIFY(!gbkToo);
        for (const QByteArray& bytes : {utf8, QByteArray("\xEF\xBB\xBF") + utf8}) {
            const QList<TreeNodeData> loaded = parseTreeFile(bytes);
            QCOMPARE(loaded.size(), 3);
            QCOMPARE(loaded.at(0).text, QStringLiteral("文字资料"));
            QCOMPARE(loaded.at(0).children.at(0).text, QStringLiteral("中文笔记本"));
            QCOMPARE(loaded.at(0).children.at(0).children.at(0).text, QStringLiteral("排序😀"));
        }
        // GBK bytes that happen to be valid UTF-8 as well ("脙漏" is C3 83 C2 A9 in GBK, "Ã©" in UTF-8) stay GBK.
        const QByteArray ambiguous = gbk::encode(QStringLiteral("文字资料0\r\n+脙漏1\r\n"));
        QCOMPARE(parseTreeFile(ambiguous).at(0).children.at(0).text, QStringLiteral("脙漏"));

        TestDataDir dir;
        const QString path = dir.file(QStringLiteral("MTS.qs"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(utf8);
        file.close();
        ScriptedPrompts prompts;
        TestApp app(dir);
        QCOMPARE(app->ui().MainTreeView->topLevelItem(0)->child(0)->text(0), QStringLiteral("中文笔记本"));
        QVERIFY(app->saveCategoryTree());
        QVERIFY(app->saveCategoryTree());
        QFile backup(path + QStringLiteral(".bak"));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll(), utf8);  // the second save did not replace the kept file
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(gbk::decode(file.readAll()).left(14), QStringLiteral("文字资料0\r\n+中文笔记本1"));
    }

    void savesByteForByte()
    {
        // The example tree: 文字资料 expanded, 算法 collapsed with 排序, then 实例资料 and 搜索结果.
        TCategoryTree tree;
        tree.load(parseTreeFile(crlf({QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("++排序2"),
            QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")})));
        QVERIFY(tree.expanded(tree.top(0)));
        const QByteArray expected = crlf({QStringLiteral("文字资料3"), QStringLiteral("+算法1"),
            QStringLiteral("++排序2"), QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")});
        QCOMPARE(treeFileBytes(tree.snapshot()), expected);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("MTS.qs"));
        QString error;
        QVERIFY(saveTreeFile(path, tree.snapshot(), &error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), expected);
        // Loading it again gives the same names, all collapsed.
        TCategoryTree again;
        again.load(loadTreeFile(path));
        QCOMPARE(describe(again),
            (QStringList {QStringLiteral("文字资料/0/0"), QStringLiteral("+算法/1/1"), QStringLiteral("++排序/2/2"),
                QStringLiteral("实例资料/0/0"), QStringLiteral("搜索结果/0/0")}));
        // An empty category name writes "+" and its digit alone.
        QVERIFY(treeFileBytes({TreeNodeData {QStringLiteral("x"), 0, {TreeNodeData {QString(), 1, {}}}}})
                    .contains("\r\n+1\r\n"));
    }

    void expandCollapseImagesAndSavedDigits()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("++排序2"),
            QStringLiteral("+网络1"), QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")});
        ScriptedPrompts prompts;
        TestApp app(dir);
        QTreeWidgetItem* root = findNode(app.form(), {QStringLiteral("文字资料")});
        QTreeWidgetItem* algo = findNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        root->setExpanded(true);
        algo->setExpanded(true);
        QCOMPARE(treenodes::image(root), 3);
        QCOMPARE(treenodes::image(algo), 4);
        QCOMPARE(treenodes::selectedImage(algo), 4);
        QCOMPARE(treenodes::selected(app->ui().MainTreeView), algo);  // expanding selects the node
        QVERIFY(app->saveCategoryTree());
        QFile f(dir.file(QStringLiteral("MTS.qs")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(),
            crlf({QStringLiteral("文字资料3"), QStringLiteral("+算法4"), QStringLiteral("++排序2"),
                QStringLiteral("+网络1"), QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")}));
        algo->setExpanded(false);
        QCOMPARE(treenodes::image(algo), 1);
        // A subcategory never changes its image.
        QTreeWidgetItem* sub
            = findNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")});
        QVERIFY(!app->categoryTree().expanded(app->treeView().nodeFor(sub)));
        QCOMPARE(treenodes::image(sub), 2);
    }

    void writableNames()
    {
        QVERIFY(canWriteTreeName(QStringLiteral("算法")));
        QVERIFY(canWriteTreeName(QString()));
        QVERIFY(canWriteTreeName(QStringLiteral("a+b")));
        QVERIFY(canWriteTreeName(QStringLiteral("it's - null")));
        QVERIFY(!canWriteTreeName(QStringLiteral("+lead")));
        QVERIFY(!canWriteTreeName(QStringLiteral("two\nlines")));
        QVERIFY(!canWriteTreeName(QStringLiteral("cr\r")));
        QVERIFY(!canWriteTreeName(QStringLiteral("emoji 😀")));
        QVERIFY(!canWriteTreeName(QStringLiteral("한국어")));
    }

    void largeFilesLoad()
    {
        // Tens of thousands of lines and very long names load (speed is measured in bench/).
        QStringList lines {QStringLiteral("文字资料0")};
        for (int c = 0; c < 200; ++c) {
            lines.append(
                QStringLiteral("+类别%1").arg(c) + QString(c == 0 ? 5000 : 1, QChar(0x5b57)) + QStringLiteral("1"));
            for (int s = 0; s < 200; ++s)
                lines.append(QStringLiteral("++子类%1-%2").arg(c).arg(s) + QStringLiteral("2"));
        }
        lines << QStringLiteral("实例资料0") << QStringLiteral("搜索结果0");
        TCategoryTree tree;
        tree.load(parseTreeFile(crlf(lines)));
        QCOMPARE(tree.allNodes().size(), lines.size());
        QCOMPARE(tree.top(0)->child(0)->text().size(), 5000 + 3);
        QCOMPARE(treeFileBytes(tree.snapshot()), crlf(lines));
    }
};

QS_TEST_CLASS(TreeFileTest)
#include "test_tree_file.moc"
