// The material list: listings of every tree level against a real database, orders, the search
// results copy, status texts, clicks and double clicks; the list's collaborators on the test rig,
// and the window's side of it (items in the real list, toolbar buttons, panes) end to end.
#include "common/Rig.h"
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"

#include "browse/ListItems.h"
#include "common/SettingsFile.h"
#include "tree/CategoryTreeView.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QFile>
#include <QItemSelectionModel>
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
    explicit ListApp(const TestDataDir& dir, bool show = false) : app(dir, show) { MainData->useAbsolutePath(); }
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
        Rig app(dir);
        app.click({QStringLiteral("文字资料")});
        QCOMPARE(app.described(), (QStringList {item("算法", 0), item("网络", 1), item("搜索结果", 1)}));
        // A kind root queries nothing.
        QVERIFY(app.status.history.isEmpty());
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-null-null"));
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
        Rig app(dir);
        ListOrder = 1;
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        QCOMPARE(app.described(),
            (QStringList {item("排序", 1), item("查找", 1), item("A直接", 4, a), item("B直接", 4, b)}));
        QCOMPARE(app.status.currentStatus(), kOk);
        QCOMPARE(app.status.progress(), 100);
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-算法-null"));
    }

    void subcategoryAndCategoryWithoutChildren()
    {
        TestDataDir dir(kTree);
        const qint64 t = dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"));
        const qint64 e = dir.addExe(
            QStringLiteral("vim"), QStringLiteral("工具"), QStringLiteral("编辑器"), QStringLiteral("/usr/bin/vim"));
        const qint64 n = dir.addText(QStringLiteral("TCP"), QStringLiteral("网络"), QString());
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")});
        QCOMPARE(app.described(), QStringList {item("快排", 4, t)});
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-算法-排序"));
        app.click({QStringLiteral("实例资料"), QStringLiteral("工具"), QStringLiteral("编辑器")});
        QCOMPARE(app.described(), QStringList {item("vim", 5, e)});
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("实例资料-工具-编辑器"));
        app.click({QStringLiteral("实例资料"), QStringLiteral("工具")});
        QCOMPARE(app.described(), QStringList {item("编辑器", 1)});
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        QCOMPARE(app.described(), QStringList {item("TCP", 4, n)});
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
        Rig app(dir);
        ListOrder = order;
        app.click({QStringLiteral("文字资料"), cat});
        if (order == 0) {
            // No order clause: the same materials, in whatever order the database gives.
            QStringList got = app.captions();
            got.sort();
            QCOMPARE(got, (QStringList {"a", "b", "c", "d"}));
        } else {
            QCOMPARE(app.captions(), titles);
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
        Rig app(dir);
        ListOrder = 2;
        app.click({QStringLiteral("文字资料"), cat});
        QCOMPARE(app.captions(), (QStringList {"c", "b", "a"}));
        app.list.OByName();
        QCOMPARE(app.captions(), (QStringList {"a", "b", "c"}));
        QCOMPARE(ListOrder, 2);
        app.click({QStringLiteral("文字资料"), cat});
        QCOMPARE(app.captions(), (QStringList {"c", "b", "a"}));
        ListOrder = 1;
        app.list.OByTime();
        QCOMPARE(app.captions(), (QStringList {"c", "b", "a"}));
        QCOMPARE(ListOrder, 1);
        // Sorting the same place again is not a visit.
        QVERIFY(app.navigator.backHistory().isEmpty());

        // Listing the same place again keeps the item the user was at, wherever the new order puts it,
        // and leaves the category buttons as the selection wants them.
        app.view.selected = 0;  // c
        app.list.OByName();
        QCOMPARE(app.captions(), (QStringList {"a", "b", "c"}));
        QCOMPARE(app.view.selected, 2);
        QCOMPARE(app.view.samePlaces.last(), true);
        QVERIFY(!app.view.categoryButtons);
        // Another place starts with nothing selected, and so does coming back to this one.
        app.click({QStringLiteral("文字资料")});
        QCOMPARE(app.view.samePlaces.last(), false);
        QCOMPARE(app.view.selected, -1);
        QVERIFY(app.view.categoryButtons);
        app.view.selected = 0;
        app.click({QStringLiteral("文字资料"), cat});
        QCOMPARE(app.view.selected, -1);
        // A kept item that is gone leaves nothing selected.
        app.view.selected = 1;  // b
        app.click({QStringLiteral("文字资料"), cat});
        QCOMPARE(app.view.selected, 1);
        QVERIFY(dir.exec(QStringLiteral("DELETE FROM textfile WHERE title = 'b'")));
        app.list.MainListShow();
        QCOMPARE(app.captions(), (QStringList {"a", "c"}));
        QCOMPARE(app.view.selected, -1);
    }

    void titlesUnescapeApostrophesOnly()
    {
        TestDataDir dir(kTree);
        dir.addText(QStringLiteral("it+(DYH)+s+(MH)+x"), QStringLiteral("网络"), QString());
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        QCOMPARE(app.captions(), QStringList {"it's+(MH)+x"});
    }

    void namesAreBoundNotPasted()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+O'Neil 的书1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        const qint64 id = dir.addText(QStringLiteral("x"), QStringLiteral("O'Neil 的书"), QString());
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("O'Neil 的书")});
        QCOMPARE(app.described(), QStringList {item("x", 4, id)});
        QCOMPARE(app.status.currentStatus(), kOk);
    }

    void searchResultsAreCopiedWithoutQuery()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        app.list.setSearchResults({ListEntry {QStringLiteral("甲"), 4, 11}, ListEntry {QStringLiteral("乙"), 5, 12}});
        QFile::remove(dir.file(QStringLiteral("Data.QSD")));  // a query would fail now
        app.click({QStringLiteral("搜索结果")});
        QCOMPARE(app.described(), (QStringList {item("甲", 4, 11), item("乙", 5, 12)}));
        QVERIFY(app.status.currentStatus().isEmpty());
        QVERIFY(app.navigator.currentKey().isEmpty());
        // A category that carries the same name is an ordinary category.
        app.click({QStringLiteral("文字资料"), QStringLiteral("搜索结果")});
        QCOMPARE(app.view.entries.size(), 0);
        QVERIFY(app.status.currentStatus().endsWith(QStringLiteral("   严重错误，请重新安装程序")));
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-搜索结果-null"));
    }

    void missingDatabaseKeepsFoldersAndReportsFailure()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        QVERIFY(QFile::remove(dir.file(QStringLiteral("Data.QSD"))));
        app.status.showProgress(50);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        QCOMPARE(app.captions(), (QStringList {"排序", "查找"}));
        const QString status = app.status.currentStatus();
        QVERIFY2(status.endsWith(QStringLiteral("   严重错误，请重新安装程序")), qPrintable(status));
        QVERIFY(status.size() > QStringLiteral("   严重错误，请重新安装程序").size());
        QCOMPARE(app.status.progress(), 0);
        // The database file must not have been created by the attempt.
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("Data.QSD"))));
    }

    void listingResetsTheSurroundings()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        app.view.detailsCleared = 0;
        app.view.categoryButtons = false;
        app.view.addMaterial = false;
        app.status.showProgress(50);
        app.click({QStringLiteral("文字资料")});
        QCOMPARE(app.view.detailsCleared, 1);
        QVERIFY(app.view.categoryButtons);
        QVERIFY(app.view.addMaterial);
        QCOMPARE(app.status.progress(), 0);
        QCOMPARE(app.navigator.upImage(), 16);

        QVERIFY(app.selectItem(QStringLiteral("算法")));
        app.list.MainListClick();
        QVERIFY(!app.view.categoryButtons);
        QVERIFY(app.view.addMaterial);
        QVERIFY(app.view.readerHidden);
    }

    void doubleClickKindRootItem()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        QCOMPARE(app.captions(), (QStringList {"文字资料", "实例资料"}));
        QVERIFY(app.selectItem(QStringLiteral("实例资料")));
        app.list.MainListDblClick();
        QCOMPARE(app.selection.node, app.node({QStringLiteral("实例资料")}));
        QCOMPARE(app.captions(), QStringList {"工具"});
        QCOMPARE(app.navigator.upImage(), 16);
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("实例资料-null-null"));
    }

    void doubleClickFolderItem()
    {
        TestDataDir dir(kTree);
        const qint64 id = dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"));
        Rig app(dir);
        app.click({QStringLiteral("文字资料")});
        QVERIFY(app.selectItem(QStringLiteral("算法")));  // has children
        app.list.MainListDblClick();
        TTreeNode* cat = app.node({QStringLiteral("文字资料"), QStringLiteral("算法")});
        QCOMPARE(app.selection.node, cat);
        // Opened one level: the selection was asked to expand it, and its images turned.
        QCOMPARE(app.selection.expanded, QStringList {"算法"});
        QCOMPARE(cat->image(), 4);
        QCOMPARE(app.captions(), (QStringList {"排序", "查找"}));
        QCOMPARE(app.navigator.backHistory().count(), 1);  // a visit
        QVERIFY(app.selectItem(QStringLiteral("排序")));  // no children
        app.list.MainListDblClick();
        QCOMPARE(app.described(), QStringList {item("快排", 4, id)});
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-算法-排序"));
        QCOMPARE(app.navigator.backHistory().count(), 2);
        QVERIFY(!app.navigator.historyFlag());
        QCOMPARE(app.selection.expanded.size(), 1);  // a subcategory is not expanded
    }

    void doubleClickFolderPrefersTheChild()
    {
        // A subcategory named like its own category opens the subcategory.
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+X1"), QStringLiteral("++X2"),
            QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")});
        const qint64 id = dir.addText(QStringLiteral("内层"), QStringLiteral("X"), QStringLiteral("X"));
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("X")});
        QCOMPARE(app.captions(), QStringList {"X"});
        QVERIFY(app.selectItem(QStringLiteral("X")));
        app.list.MainListDblClick();
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-X-X"));
        QCOMPARE(app.described(), QStringList {item("内层", 4, id)});
    }

    void doubleClickMaterialChangesNothing()
    {
        TestDataDir dir(kTree);
        dir.addText(QStringLiteral("TCP"), QStringLiteral("网络"), QString());
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        const QStringList before = app.described();
        QCOMPARE(before.size(), 1);
        const int shows = app.view.shows;
        QVERIFY(app.selectItem(QStringLiteral("TCP")));
        app.list.MainListDblClick();
        QCOMPARE(app.described(), before);
        QCOMPARE(app.view.shows, shows);
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-网络-null"));
        QCOMPARE(app.navigator.backHistory().count(), 1);
        QVERIFY(!app.navigator.historyFlag());
        // Nothing selected: nothing happens either, and the flag is not left behind.
        app.view.selected = -1;
        app.list.MainListDblClick();
        QVERIFY(!app.navigator.historyFlag());
        QCOMPARE(app.described(), before);
        QCOMPARE(app.view.shows, shows);
    }

    // End to end: the window shows what the list gives it, in the real list with images and ids, and
    // its buttons, panes, progress bar and tree control follow the list's requests.
    void windowFollowsTheList()
    {
        TestDataDir dir(kTree);
        const qint64 id = dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"));
        ListApp app(dir);
        app->ui().MainDetail->setRowCount(3);
        app->ui().ToolButton1->setEnabled(false);
        app->ui().ToolButton4->setEnabled(false);
        app->ui().MainProgressBar->setValue(50);
        clickNode(app.form(), {QStringLiteral("文字资料")});
        QCOMPARE(describe(app->ui().MainList), (QStringList {item("算法", 0), item("网络", 1), item("搜索结果", 1)}));
        QCOMPARE(app->ui().MainDetail->rowCount(), 0);
        QVERIFY(app->ui().ToolButton1->isEnabled());
        QVERIFY(app->ui().ToolButton4->isEnabled());
        QCOMPARE(app->ui().MainProgressBar->value(), 0);
        QCOMPARE(TMainControls::buttonImage(app->ui().UpTBtn), 16);

        // A double click on the item selected in the real list opens the folder in the tree control.
        app->ui().MainList->item(0)->setSelected(true);  // 算法
        app->MainListDblClick();
        QTreeWidgetItem* cat = findNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        QCOMPARE(treenodes::selected(app->ui().MainTreeView), cat);
        QVERIFY(cat->isExpanded());
        QCOMPARE(captions(app->ui().MainList), (QStringList {"排序", "查找"}));
        app->ui().MainList->item(0)->setSelected(true);  // 排序
        app->MainListDblClick();
        QCOMPARE(describe(app->ui().MainList), QStringList {item("快排", 4, id)});
        QCOMPARE(app->ui().MainStatus->currentMessage(), kOk);
        QCOMPARE(app->ui().MainProgressBar->value(), 100);

        // A click on an item.
        app->ui().ThisFrmViewer->show();
        app->MainListClick();
        QVERIFY(!app->ui().ToolButton1->isEnabled());
        QVERIFY(!app->ui().ToolButton2->isEnabled());
        QVERIFY(!app->ui().ToolButton3->isEnabled());
        QVERIFY(app->ui().ToolButton4->isEnabled());
        QVERIFY(app->ui().ThisFrmViewer->isHidden());

        // The list taking the focus back (after a dialog) makes an item current without selecting it; it is
        // selected too, so that the details pane and the commands speak of the same material.
        QListWidget* list = app->ui().MainList;
        list->setCurrentItem(nullptr);
        list->clearSelection();
        QCOMPARE(listitems::selected(list), nullptr);
        list->selectionModel()->setCurrentIndex(list->model()->index(0, 0), QItemSelectionModel::NoUpdate);
        QCOMPARE(listitems::selected(list), list->item(0));
        QVERIFY(app->ui().MainDetail->rowCount() > 0);
        QCOMPARE(app->ui().MainDetail->item(0, 1)->text(), QStringLiteral("快排"));

        // The search dialog's hits reach the list through the window.
        app->searchResultsSink()({ListEntry {QStringLiteral("甲"), 4, 11}, ListEntry {QStringLiteral("乙"), 5, 12}});
        clickNode(app.form(), {QStringLiteral("搜索结果")});
        QCOMPARE(describe(app->ui().MainList), (QStringList {item("甲", 4, 11), item("乙", 5, 12)}));
    }

    // End to end: whatever makes a tree node current for the user lists it as a visit, once; the program's
    // own selections list nothing by themselves.
    void treeAndListStayInStep()
    {
        TestDataDir dir(kTree);
        dir.addText(QStringLiteral("套接字"), QStringLiteral("网络"), QString());
        ListApp app(dir, true);
        QTreeWidget* tree = app->ui().MainTreeView;
        tree->setFocus();
        int listings = 0;
        QObject::connect(&app->treeView(), &TCategoryTreeView::nodeClicked, [&] { ++listings; });
        const auto listedNames = [&] {
            return captions(app->ui().MainList);
        };

        clickNode(app.form(), {QStringLiteral("文字资料")});
        listings = 0;
        QTest::keyClick(tree, Qt::Key_Down);  // the next node down: 实例资料 while 文字资料 is collapsed
        QCOMPARE(treenodes::selected(tree), findNode(app.form(), {QStringLiteral("实例资料")}));
        QCOMPARE(listedNames(), QStringList {"工具"});
        QCOMPARE(listings, 1);
        QCOMPARE(app->navigator().backHistory().count(), 1);

        // Expanding a node that is not current (its arrow) selects and lists it.
        QTreeWidgetItem* text = findNode(app.form(), {QStringLiteral("文字资料")});
        text->setExpanded(true);
        QCOMPARE(treenodes::selected(tree), text);
        QCOMPARE(listedNames(), (QStringList {"算法", "网络", "搜索结果"}));
        QCOMPARE(listings, 2);

        // A click on another node lists it once; a click on the current node lists it again.
        QTreeWidgetItem* net = findNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")});
        const QPoint at = tree->visualItemRect(net).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(treenodes::selected(tree), net);
        QCOMPARE(listings, 3);
        // The node the press made current is the one listed, not the one selected before it.
        QCOMPARE(listedNames(), QStringList {"套接字"});
        QCOMPARE(app->navigator().currentKey().text(), QStringLiteral("文字资料-网络-null"));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(listings, 4);
        QCOMPARE(listedNames(), QStringList {"套接字"});

        // The program's selections (a double click on a folder item, Up) list through their own command.
        app->ui().MainList->clear();
        app->treeView().selectNode(app->treeView().nodeFor(text));
        app->treeView().expandNode(app->treeView().nodeFor(findNode(app.form(), {QStringLiteral("实例资料")})));
        QCOMPARE(listings, 4);
        QCOMPARE(app->ui().MainList->count(), 0);
    }

    // End to end: the view styles belong to the window's list control alone.
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
        // Both menus show the style in force as the one checked item of its group, also when it was set
        // another way (the options dialog, start-up).
        const auto checked = [&] {
            return QList<bool> {app->ui().N23->isChecked(), app->ui().N24->isChecked(), app->ui().N25->isChecked(),
                app->ui().ListLargeIcons->isChecked(), app->ui().ListSmallIcons->isChecked(),
                app->ui().ListList->isChecked()};
        };
        QCOMPARE(checked(), (QList<bool> {true, false, false, true, false, false}));
        app->ui().ListSmallIcons->trigger();
        QCOMPARE(app->listViewStyle(), 1);
        QCOMPARE(checked(), (QList<bool> {false, true, false, false, true, false}));
        app->setListViewStyle(2);
        QCOMPARE(checked(), (QList<bool> {false, false, true, false, false, true}));
    }

private:
    ScriptedPrompts prompts;
};

QS_TEST_CLASS(TestMaterialList)
#include "test_list.moc"
