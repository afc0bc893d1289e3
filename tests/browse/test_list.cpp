// The material list: listings of every tree level against a real database, orders, the search
// results copy, status texts, clicks and double clicks.
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"

#include "browse/ListItems.h"
#include "common/SettingsFile.h"
#include "tree/TreeNodes.h"

#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QStringList kTree = {
    QStringLiteral("文字资料0"),
    QStringLiteral("+算法1"),
    QStringLiteral("++排序2"),
    QStringLiteral("++查找2"),
    QStringLiteral("+网络1"),
    QStringLiteral("+搜索结果1"),
    QStringLiteral("实例资料0"),
    QStringLiteral("+工具1"),
    QStringLiteral("++编辑器2"),
    QStringLiteral("搜索结果0"),
};

const QString kOk = QStringLiteral("数据库操作成功！");

// "caption/image/id" of every item.
QStringList describe(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        out.append(QStringLiteral("%1/%2/%3").arg(item->text()).arg(listitems::image(item)).arg(listitems::id(item)));
    }
    return out;
}

QStringList captions(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

QString item(const QString& caption, int image, qint64 id = 0)
{
    return QStringLiteral("%1/%2/%3").arg(caption).arg(image).arg(id);
}

// A main window whose data module reads the test directory's database whatever the current
// directory is (the program itself runs in its own directory).
struct ListApp {
    explicit ListApp(const TestDataDir& dir) : app(dir) { MainData->useAbsolutePath(); }
    TMainForm& form() { return app.form(); }
    TMainForm* operator->() { return &app.form(); }
    TestApp app;
};

// Restores the program-wide order after each test.
struct OrderGuard {
    int saved = ListOrder;
    ~OrderGuard() { ListOrder = saved; }
};

}  // namespace

class TestMaterialList final : public QObject {
    Q_OBJECT
private slots:
    void kindRootListsCategoriesOnly()
    {
        TestDataDir dir(kTree);
        dir.addText(QStringLiteral("不该出现"), QStringLiteral("文字资料"), QString());
        ListApp app(dir);
        clickNode(app.form(), {QStringLiteral("文字资料")});
        QCOMPARE(describe(app->ui().MainList), (QStringList {item("算法", 0), item("网络", 1), item("搜索结果", 1)}));
        // A kind root queries nothing.
        QVERIFY(app->ui().MainStatus->currentMessage().isEmpty());
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("文字资料-null-null"));
    }

    void categoryListsFoldersThenDirectMaterials()
    {
        TestDataDir dir(kTree);
        const qint64 b = dir.addText(QStringLiteral("B直接"), QStringLiteral("算法"), QString());
        const qint64 a = dir.addText(QStringLiteral("A直接"), QStringLiteral("算法"), QString());
        dir.addText(QStringLiteral("在排序里"), QStringLiteral("算法"), QStringLiteral("排序"));
        dir.addText(QStringLiteral("别的类"), QStringLiteral("网络"), QString());
        dir.addExe(QStringLiteral("实例同名"), QStringLiteral("算法"), QString(), QStringLiteral("/tmp"));
        OrderGuard guard;
        ListApp app(dir);
        ListOrder = 1;
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        QCOMPARE(describe(app->ui().MainList),
            (QStringList {item("排序", 1), item("查找", 1), item("A直接", 4, a), item("B直接", 4, b)}));
        QCOMPARE(app->ui().MainStatus->currentMessage(), kOk);
        QCOMPARE(app->ui().MainProgressBar->value(), 100);
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("文字资料-算法-null"));
    }

    void subcategoryAndCategoryWithoutChildren()
    {
        TestDataDir dir(kTree);
        const qint64 t = dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"));
        const qint64 e = dir.addExe(
            QStringLiteral("vim"), QStringLiteral("工具"), QStringLiteral("编辑器"), QStringLiteral("/usr/bin/vim"));
        const qint64 n = dir.addText(QStringLiteral("TCP"), QStringLiteral("网络"), QString());
        ListApp app(dir);
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")});
        QCOMPARE(describe(app->ui().MainList), QStringList {item("快排", 4, t)});
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("文字资料-算法-排序"));
        clickNode(app.form(), {QStringLiteral("实例资料"), QStringLiteral("工具"), QStringLiteral("编辑器")});
        QCOMPARE(describe(app->ui().MainList), QStringList {item("vim", 5, e)});
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("实例资料-工具-编辑器"));
        clickNode(app.form(), {QStringLiteral("实例资料"), QStringLiteral("工具")});
        QCOMPARE(describe(app->ui().MainList), QStringList {item("编辑器", 1)});
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")});
        QCOMPARE(describe(app->ui().MainList), QStringList {item("TCP", 4, n)});
    }

    void orders_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("none") << 0 << QStringList {"c", "a", "b", "d"};
        QTest::newRow("title") << 1 << QStringList {"a", "b", "c", "d"};
        // Oldest first; a date alone stands for midnight of that day.
        QTest::newRow("creation time") << 2 << QStringList {"d", "b", "c", "a"};
    }
    void orders()
    {
        QFETCH(int, order);
        QFETCH(QStringList, titles);
        TestDataDir dir(kTree);
        const QString cat = QStringLiteral("网络");
        dir.addText("c", cat, QString(), {}, {}, QStringLiteral("2021-01-01 00:00:01"));
        dir.addText("a", cat, QString(), {}, {}, QStringLiteral("2021-11-02 08:00:00"));
        dir.addText("b", cat, QString(), {}, {}, QStringLiteral("2021-01-01"));
        dir.addText("d", cat, QString(), {}, {}, QStringLiteral("2020-12-31 23:59:59"));
        OrderGuard guard;
        ListApp app(dir);
        ListOrder = order;
        clickNode(app.form(), {QStringLiteral("文字资料"), cat});
        if (order == 0) {
            // No order clause: the same materials, in whatever order the database gives.
            QStringList got = captions(app->ui().MainList);
            got.sort();
            QCOMPARE(got, (QStringList {"a", "b", "c", "d"}));
        } else {
            QCOMPARE(captions(app->ui().MainList), titles);
        }
    }

    void sortCommandsLastOneListing()
    {
        TestDataDir dir(kTree);
        const QString cat = QStringLiteral("网络");
        dir.addText("b", cat, QString(), {}, {}, QStringLiteral("2019-05-05 10:00:00"));
        dir.addText("a", cat, QString(), {}, {}, QStringLiteral("2022-05-05 10:00:00"));
        dir.addText("c", cat, QString(), {}, {}, QStringLiteral("2018-05-05 10:00:00"));
        OrderGuard guard;
        ListApp app(dir);
        ListOrder = 2;
        clickNode(app.form(), {QStringLiteral("文字资料"), cat});
        QCOMPARE(captions(app->ui().MainList), (QStringList {"c", "b", "a"}));
        app->OByName();
        QCOMPARE(captions(app->ui().MainList), (QStringList {"a", "b", "c"}));
        QCOMPARE(ListOrder, 2);
        clickNode(app.form(), {QStringLiteral("文字资料"), cat});
        QCOMPARE(captions(app->ui().MainList), (QStringList {"c", "b", "a"}));
        ListOrder = 1;
        app->OByTime();
        QCOMPARE(captions(app->ui().MainList), (QStringList {"c", "b", "a"}));
        QCOMPARE(ListOrder, 1);
        // Sorting the same place again is not a visit.
        QVERIFY(app->navigator().backHistory().isEmpty());
    }

    void titlesUnescapeApostrophesOnly()
    {
        TestDataDir dir(kTree);
        dir.addText(QStringLiteral("it+(DYH)+s+(MH)+x"), QStringLiteral("网络"), QString());
        ListApp app(dir);
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")});
        QCOMPARE(captions(app->ui().MainList), QStringList {"it's+(MH)+x"});
    }

    void namesAreBoundNotPasted()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+O'Neil 的书1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        const qint64 id = dir.addText(QStringLiteral("x"), QStringLiteral("O'Neil 的书"), QString());
        ListApp app(dir);
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("O'Neil 的书")});
        QCOMPARE(describe(app->ui().MainList), QStringList {item("x", 4, id)});
        QCOMPARE(app->ui().MainStatus->currentMessage(), kOk);
    }

    void searchResultsAreCopiedWithoutQuery()
    {
        TestDataDir dir(kTree);
        ListApp app(dir);
        app->searchResultsSink()({ListEntry {QStringLiteral("甲"), 4, 11}, ListEntry {QStringLiteral("乙"), 5, 12}});
        QFile::remove(dir.file(QStringLiteral("Data.QSD")));  // a query would fail now
        clickNode(app.form(), {QStringLiteral("搜索结果")});
        QCOMPARE(describe(app->ui().MainList), (QStringList {item("甲", 4, 11), item("乙", 5, 12)}));
        QVERIFY(app->ui().MainStatus->currentMessage().isEmpty());
        QVERIFY(app->navigator().currentKey().isEmpty());
        // A category that carries the same name is an ordinary category.
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("搜索结果")});
        QCOMPARE(app->ui().MainList->count(), 0);
        QVERIFY(app->ui().MainStatus->currentMessage().endsWith(QStringLiteral("   严重错误，请重新安装程序")));
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("文字资料-搜索结果-null"));
    }

    void missingDatabaseKeepsFoldersAndReportsFailure()
    {
        TestDataDir dir(kTree);
        ListApp app(dir);
        QVERIFY(QFile::remove(dir.file(QStringLiteral("Data.QSD"))));
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        QCOMPARE(captions(app->ui().MainList), (QStringList {"排序", "查找"}));
        const QString status = app->ui().MainStatus->currentMessage();
        QVERIFY2(status.endsWith(QStringLiteral("   严重错误，请重新安装程序")), qPrintable(status));
        QVERIFY(status.size() > QStringLiteral("   严重错误，请重新安装程序").size());
        QCOMPARE(app->ui().MainProgressBar->value(), 0);
        // The database file must not have been created by the attempt.
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("Data.QSD"))));
    }

    void listingResetsTheSurroundings()
    {
        TestDataDir dir(kTree);
        ListApp app(dir);
        app->ui().MainDetail->setRowCount(3);
        app->ui().ToolButton1->setEnabled(false);
        app->ui().ToolButton4->setEnabled(false);
        app->ui().MainProgressBar->setValue(50);
        clickNode(app.form(), {QStringLiteral("文字资料")});
        QCOMPARE(app->ui().MainDetail->rowCount(), 0);
        QVERIFY(app->ui().ToolButton1->isEnabled());
        QVERIFY(app->ui().ToolButton4->isEnabled());
        QCOMPARE(app->ui().MainProgressBar->value(), 0);
        QCOMPARE(TMainControls::buttonImage(app->ui().UpTBtn), 16);

        app->ui().ThisFrmViewer->show();
        app->MainListClick();
        QVERIFY(!app->ui().ToolButton1->isEnabled());
        QVERIFY(!app->ui().ToolButton2->isEnabled());
        QVERIFY(!app->ui().ToolButton3->isEnabled());
        QVERIFY(app->ui().ToolButton4->isEnabled());
        QVERIFY(app->ui().ThisFrmViewer->isHidden());
    }

    void doubleClickKindRootItem()
    {
        TestDataDir dir(kTree);
        ListApp app(dir);
        QCOMPARE(captions(app->ui().MainList), (QStringList {"文字资料", "实例资料"}));
        app->ui().MainList->item(1)->setSelected(true);
        app->MainListDblClick();
        QCOMPARE(treenodes::selected(app->ui().MainTreeView), findNode(app.form(), {QStringLiteral("实例资料")}));
        QCOMPARE(captions(app->ui().MainList), QStringList {"工具"});
        QCOMPARE(TMainControls::buttonImage(app->ui().UpTBtn), 16);
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("实例资料-null-null"));
    }

    void doubleClickFolderItem()
    {
        TestDataDir dir(kTree);
        const qint64 id = dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"));
        ListApp app(dir);
        clickNode(app.form(), {QStringLiteral("文字资料")});
        app->ui().MainList->item(0)->setSelected(true);  // 算法, has children
        app->MainListDblClick();
        QTreeWidgetItem* cat = findNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        QCOMPARE(treenodes::selected(app->ui().MainTreeView), cat);
        QVERIFY(cat->isExpanded());
        QCOMPARE(captions(app->ui().MainList), (QStringList {"排序", "查找"}));
        QCOMPARE(app->navigator().backHistory().count(), 1);  // a visit
        app->ui().MainList->item(0)->setSelected(true);  // 排序, no children
        app->MainListDblClick();
        QCOMPARE(describe(app->ui().MainList), QStringList {item("快排", 4, id)});
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("文字资料-算法-排序"));
        QCOMPARE(app->navigator().backHistory().count(), 2);
        QVERIFY(!app->navigator().historyFlag());
    }

    void doubleClickFolderPrefersTheChild()
    {
        // A subcategory named like its own category opens the subcategory.
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+X1"), QStringLiteral("++X2"),
            QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")});
        const qint64 id = dir.addText(QStringLiteral("内层"), QStringLiteral("X"), QStringLiteral("X"));
        ListApp app(dir);
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("X")});
        QCOMPARE(captions(app->ui().MainList), QStringList {"X"});
        app->ui().MainList->item(0)->setSelected(true);
        app->MainListDblClick();
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("文字资料-X-X"));
        QCOMPARE(describe(app->ui().MainList), QStringList {item("内层", 4, id)});
    }

    void doubleClickMaterialChangesNothing()
    {
        TestDataDir dir(kTree);
        dir.addText(QStringLiteral("TCP"), QStringLiteral("网络"), QString());
        ListApp app(dir);
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")});
        const QStringList before = describe(app->ui().MainList);
        QCOMPARE(before.size(), 1);
        app->ui().MainList->item(0)->setSelected(true);
        app->MainListDblClick();
        QCOMPARE(describe(app->ui().MainList), before);
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("文字资料-网络-null"));
        QCOMPARE(app->navigator().backHistory().count(), 1);
        QVERIFY(!app->navigator().historyFlag());
        // Nothing selected: nothing happens either, and the flag is not left behind.
        app->ui().MainList->clearSelection();
        app->MainListDblClick();
        QVERIFY(!app->navigator().historyFlag());
        QCOMPARE(describe(app->ui().MainList), before);
    }

    void viewStyles()
    {
        TestDataDir dir(kTree);
        ListApp app(dir);
        app->N25Click();
        QCOMPARE(app->listViewStyle(), 2);
        app->N24Click();
        QCOMPARE(app->listViewStyle(), 1);
        QCOMPARE(app->ui().MainList->viewMode(), QListView::ListMode);
        app->N23Click();
        QCOMPARE(app->listViewStyle(), 0);
        QCOMPARE(app->ui().MainList->viewMode(), QListView::IconMode);
    }

private:
    ScriptedPrompts prompts;
};

QS_TEST_CLASS(TestMaterialList)
#include "test_list.moc"
