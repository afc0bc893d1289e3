// The navigation history, Back, Forward, their menus, and Up.
#include "common/Rig.h"
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"

#include "browse/ListItems.h"
#include "tree/NavHistory.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

Q_DECLARE_METATYPE(LocationKey)

namespace {

QStringList keyTexts(const TNavHistory& history)
{
    QStringList out;
    for (const LocationKey& key : history.mostRecentFirst())
        out.append(key.text());
    return out;
}

LocationKey textKey(const QString& cat = QString(), const QString& sub = QString())
{
    const QString kind = QStringLiteral("文字资料");
    if (cat.isEmpty())
        return LocationKey::root(kind);
    return sub.isEmpty() ? LocationKey::category_(kind, cat) : LocationKey::subcategory_(kind, cat, sub);
}

QStringList captions(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions())
        out.append(a->text());
    return out;
}

QString selectedText(TMainForm& form)
{
    const QTreeWidgetItem* node = treenodes::selected(form.ui().MainTreeView);
    return node ? node->text(0) : QString();
}

const QStringList kTree = {
    QStringLiteral("文字资料0"),
    QStringLiteral("+算法1"),
    QStringLiteral("++排序2"),
    QStringLiteral("++查找2"),
    QStringLiteral("+网络1"),
    QStringLiteral("+a-b1"),
    QStringLiteral("++null2"),
    QStringLiteral("+null1"),
    QStringLiteral("+R&D1"),
    QStringLiteral("实例资料0"),
    QStringLiteral("+工具1"),
    QStringLiteral("搜索结果0"),
};

// The seven places visited by visitSeven(), in order.
const QList<QStringList> kSeven = {
    {QStringLiteral("文字资料")},
    {QStringLiteral("文字资料"), QStringLiteral("算法")},
    {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")},
    {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("查找")},
    {QStringLiteral("文字资料"), QStringLiteral("网络")},
    {QStringLiteral("实例资料")},
    {QStringLiteral("实例资料"), QStringLiteral("工具")},
};
const QStringList kSevenKeys = {
    QStringLiteral("文字资料-null-null"),
    QStringLiteral("文字资料-算法-null"),
    QStringLiteral("文字资料-算法-排序"),
    QStringLiteral("文字资料-算法-查找"),
    QStringLiteral("文字资料-网络-null"),
    QStringLiteral("实例资料-null-null"),
    QStringLiteral("实例资料-工具-null"),
};

void visitSeven(TMainForm& form)
{
    for (const QStringList& path : kSeven)
        clickNode(form, path);
}

void visitSeven(Rig& rig)
{
    for (const QStringList& path : kSeven)
        rig.click(path);
}

}  // namespace

class TestNavHistory final : public QObject {
    Q_OBJECT
private slots:
    void keyText_data()
    {
        QTest::addColumn<LocationKey>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("root") << LocationKey::root(QStringLiteral("实例资料")) << QStringLiteral("实例资料-null-null");
        QTest::newRow("category") << textKey(QStringLiteral("算法")) << QStringLiteral("文字资料-算法-null");
        QTest::newRow("subcategory") << textKey(QStringLiteral("算法"), QStringLiteral("排序"))
                                     << QStringLiteral("文字资料-算法-排序");
        QTest::newRow("dash") << textKey(QStringLiteral("a-b")) << QStringLiteral("文字资料-a-b-null");
        QTest::newRow("empty") << LocationKey() << QString();
    }
    void keyText()
    {
        QFETCH(LocationKey, key);
        QFETCH(QString, text);
        QCOMPARE(key.text(), text);
    }

    void keysCompareByParts()
    {
        // Same text, different places: a category "a-b" and the subcategory "b" of a category "a".
        const LocationKey dashed
            = LocationKey::subcategory_(QStringLiteral("文字资料"), QStringLiteral("a-b"), QStringLiteral("null"));
        const LocationKey nested
            = LocationKey::subcategory_(QStringLiteral("文字资料"), QStringLiteral("a"), QStringLiteral("b-null"));
        QCOMPARE(dashed.text(), nested.text());
        QVERIFY(dashed != nested);
        QVERIFY(textKey(QStringLiteral("null")) != textKey());
    }

    void sevenPushesKeepFive()
    {
        TNavHistory h;
        QVERIFY(h.isEmpty());
        for (int i = 1; i <= 7; ++i)
            h.Push(textKey(QString::number(i)));
        QCOMPARE(h.count(), 5);
        QCOMPARE(h.nextFree(), 5);
        QCOMPARE(h.slot(1).category, QStringLiteral("3"));
        QCOMPARE(h.slot(5).category, QStringLiteral("7"));
        QCOMPARE(keyTexts(h).first(), QStringLiteral("文字资料-7-null"));
        QCOMPARE(keyTexts(h).last(), QStringLiteral("文字资料-3-null"));
    }

    void fullPopThenPush()
    {
        TNavHistory h;
        for (int i = 1; i <= 5; ++i)
            h.Push(textKey(QString::number(i)));
        QCOMPARE(h.Pop().category, QStringLiteral("5"));
        QCOMPARE(h.count(), 4);
        QCOMPARE(h.nextFree(), 5);
        QVERIFY(h.slot(5).isEmpty());
        h.Push(textKey(QStringLiteral("x")));
        QCOMPARE(h.count(), 5);
        QCOMPARE(h.slot(1).category, QStringLiteral("1"));  // nothing dropped
        QCOMPARE(h.slot(5).category, QStringLiteral("x"));
        // Popping everything empties it in most-recent-first order.
        QStringList popped;
        while (!h.isEmpty())
            popped.append(h.Pop().category);
        QCOMPARE(popped, (QStringList {"x", "4", "3", "2", "1"}));
        QCOMPARE(h.nextFree(), 1);
    }

    void emptyKeyIsNeverStored()
    {
        TNavHistory h;
        for (int i = 1; i <= 4; ++i)
            h.Push(textKey(QString::number(i)));
        h.Push(LocationKey());
        QCOMPARE(h.count(), 4);
        h.Push(textKey(QStringLiteral("5")));
        h.Push(textKey(QStringLiteral("6")));
        QCOMPARE(h.count(), 5);
        QCOMPARE(h.slot(1).category, QStringLiteral("2"));
    }

    void removeRecent()
    {
        TNavHistory h;
        for (int i = 1; i <= 5; ++i)
            h.Push(textKey(QString::number(i)));
        h.removeRecent(1);  // "4"
        QCOMPARE(
            keyTexts(h), (QStringList {"文字资料-5-null", "文字资料-3-null", "文字资料-2-null", "文字资料-1-null"}));
        QCOMPARE(h.nextFree(), 5);
        h.removeRecent(9);
        QCOMPARE(h.count(), 4);
    }
};

class TestNavigation final : public QObject {
    Q_OBJECT
private slots:
    void init() { prompts.shown.clear(); }

    void firstListingAndRepeatRecordNothing()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        QCOMPARE(app.navigator.backImage(), 17);
        QCOMPARE(app.navigator.forwardImage(), 18);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        QVERIFY(app.navigator.backHistory().isEmpty());
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-算法-null"));
        QCOMPARE(app.navigator.previousKey(), app.navigator.currentKey());
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        QVERIFY(app.navigator.backHistory().isEmpty());
        QCOMPARE(app.navigator.backImage(), 17);
        QVERIFY(!app.navigator.historyFlag());
    }

    void emptyKindRootRecordsNothing()
    {
        TestDataDir dir;  // the three top nodes only
        Rig app(dir);
        app.click({QStringLiteral("文字资料")});
        QVERIFY(app.navigator.currentKey().isEmpty());
        QVERIFY(!app.navigator.historyFlag());
        app.click({QStringLiteral("实例资料")});
        QVERIFY(app.navigator.currentKey().isEmpty());
        QVERIFY(app.navigator.backHistory().isEmpty());
        QCOMPARE(app.view.entries.size(), 0);
    }

    void sevenPlacesGiveFiveMenuItems()
    {
        TestDataDir dir(kTree);
        TestApp app(dir);
        visitSeven(app.form());
        QCOMPARE(app->navigator().currentKey().text(), kSevenKeys.at(6));
        QCOMPARE(TMainControls::buttonImage(app->ui().BackTBtn), 14);
        app->BackMenuPopup();
        const QStringList expected
            = {kSevenKeys.at(5), kSevenKeys.at(4), kSevenKeys.at(3), kSevenKeys.at(2), kSevenKeys.at(1)};
        QCOMPARE(captions(app->ui().BackMenu), expected);
        // Rebuilt, not appended to, on every opening.
        app->BackMenuPopup();
        QCOMPARE(app->ui().BackMenu->actions().size(), 5);
        // Empty forward history: empty menu (the designed separator is gone too).
        app->PreMenuPopup();
        QVERIFY(app->ui().PreMenu->actions().isEmpty());
        // "&" is shown as typed, not taken as an accelerator.
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("R&D")});
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")});
        app->BackMenuPopup();
        QCOMPARE(app->ui().BackMenu->actions().first()->text(), QStringLiteral("文字资料-R&&D-null"));
    }

    void emptyMenusAndInactiveButtons()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        QVERIFY(app.navigator.backHistory().isEmpty());
        QVERIFY(app.navigator.forwardHistory().isEmpty());
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        const QStringList before = app.captions();
        app.navigator.BackTBtnClick();
        app.navigator.PreTBtnClick();
        app.navigator.BackMenuItemClick(0);
        app.navigator.PreMenuItemClick(2);
        QCOMPARE(app.selectedText(), QStringLiteral("网络"));
        QCOMPARE(app.captions(), before);
        QVERIFY(app.navigator.forwardHistory().isEmpty());
        QVERIFY(app.navigator.backHistory().isEmpty());
        // Both buttons show their inactive images, and a click on them does nothing.
        QCOMPARE(app.navigator.backImage(), 17);
        QCOMPARE(app.navigator.forwardImage(), 18);
        app.navigator.BackTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("网络"));
    }

    void backBackForward()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        visitSeven(app);
        app.navigator.BackTBtnClick();
        QCOMPARE(app.navigator.currentKey().text(), kSevenKeys.at(5));
        QCOMPARE(app.selectedText(), QStringLiteral("实例资料"));
        QCOMPARE(app.navigator.forwardImage(), 15);
        app.navigator.BackTBtnClick();
        QCOMPARE(app.navigator.currentKey().text(), kSevenKeys.at(4));
        QCOMPARE(keyTexts(app.navigator.forwardHistory()), (QStringList {kSevenKeys.at(5), kSevenKeys.at(6)}));
        app.navigator.PreTBtnClick();
        QCOMPARE(app.navigator.currentKey().text(), kSevenKeys.at(5));
        QCOMPARE(app.selectedText(), QStringLiteral("实例资料"));
        QCOMPARE(keyTexts(app.navigator.forwardHistory()), QStringList {kSevenKeys.at(6)});
        QCOMPARE(keyTexts(app.navigator.backHistory()).first(), kSevenKeys.at(4));
        // Moving through the history records no visit: forward survives.
        QCOMPARE(app.navigator.forwardHistory().count(), 1);
        // A new visit clears forward and Forward goes inactive.
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        QVERIFY(app.navigator.forwardHistory().isEmpty());
        QCOMPARE(app.navigator.forwardImage(), 18);
        QCOMPARE(keyTexts(app.navigator.backHistory()).first(), kSevenKeys.at(5));
    }

    void backToTheStartMakesBackInactive()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        app.click(kSeven.at(1));
        app.click(kSeven.at(2));
        app.navigator.BackTBtnClick();
        QCOMPARE(app.navigator.backImage(), 17);
        QCOMPARE(app.selectedText(), QStringLiteral("算法"));
        QCOMPARE(app.captions(), (QStringList {"排序", "查找"}));
        app.navigator.PreTBtnClick();
        QCOMPARE(app.navigator.forwardImage(), 18);
        QCOMPARE(app.navigator.backImage(), 14);
        QCOMPARE(app.selectedText(), QStringLiteral("排序"));
    }

    void thirdBackMenuItem()
    {
        TestDataDir dir(kTree);
        TestApp app(dir);
        visitSeven(app.form());
        app->BackMenuPopup();
        QList<QAction*> items = app->ui().BackMenu->actions();
        QCOMPARE(items.size(), 5);
        items.at(2)->trigger();
        QCOMPARE(app->navigator().currentKey().text(), kSevenKeys.at(3));
        QCOMPARE(selectedText(app.form()), QStringLiteral("查找"));
        QCOMPARE(keyTexts(app->navigator().backHistory()), (QStringList {kSevenKeys.at(2), kSevenKeys.at(1)}));
        // The current key, then item 0, then item 1, the last one most recent.
        QCOMPARE(keyTexts(app->navigator().forwardHistory()),
            (QStringList {kSevenKeys.at(4), kSevenKeys.at(5), kSevenKeys.at(6)}));
        QCOMPARE(TMainControls::buttonImage(app->ui().PreTBtn), 15);
        // The same jump forward: item 1 of the forward menu.
        app->PreMenuPopup();
        app->ui().PreMenu->actions().at(1)->trigger();
        QCOMPARE(app->navigator().currentKey().text(), kSevenKeys.at(5));
        QCOMPARE(keyTexts(app->navigator().forwardHistory()), QStringList {kSevenKeys.at(6)});
        QCOMPARE(keyTexts(app->navigator().backHistory()),
            (QStringList {kSevenKeys.at(4), kSevenKeys.at(3), kSevenKeys.at(2), kSevenKeys.at(1)}));
        // The last back item empties the back history.
        app->BackMenuPopup();
        app->ui().BackMenu->actions().last()->trigger();
        QCOMPARE(app->navigator().currentKey().text(), kSevenKeys.at(1));
        QVERIFY(app->navigator().backHistory().isEmpty());
        QCOMPARE(TMainControls::buttonImage(app->ui().BackTBtn), 17);
        QCOMPARE(app->navigator().forwardHistory().count(), 5);
    }

    void upAtEachLevel()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        QCOMPARE(app.navigator.upImage(), 19);
        app.navigator.UpTBtnClick();  // inactive at start-up
        QCOMPARE(app.captions(), (QStringList {"文字资料", "实例资料"}));

        app.click({QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")});
        QCOMPARE(app.navigator.upImage(), 16);
        app.navigator.UpTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("算法"));
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-算法-null"));
        QCOMPARE(keyTexts(app.navigator.backHistory()), QStringList {"文字资料-算法-排序"});
        app.navigator.UpTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("文字资料"));
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-null-null"));
        QCOMPARE(app.navigator.backHistory().count(), 2);
        app.navigator.UpTBtnClick();
        QCOMPARE(app.captions(), (QStringList {"文字资料", "实例资料"}));
        QCOMPARE(app.view.entries.at(1).image, 3);
        QCOMPARE(app.navigator.upImage(), 19);
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-null-null"));
        QCOMPARE(app.navigator.backHistory().count(), 2);
        app.navigator.UpTBtnClick();  // inactive now
        QCOMPARE(app.captions(), (QStringList {"文字资料", "实例资料"}));
    }

    void upOnSearchResultsDoesNothing()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        app.list.setSearchResults({ListEntry {QStringLiteral("找到的"), 4, 7}});
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        app.click({QStringLiteral("搜索结果")});
        QCOMPARE(app.navigator.upImage(), 16);
        app.navigator.UpTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("搜索结果"));
        QCOMPARE(app.captions(), QStringList {"找到的"});
        // No node selected at all: nothing happens either.
        app.select({});
        app.navigator.UpTBtnClick();
        QCOMPARE(app.captions(), QStringList {"找到的"});
    }

    void searchResultsLeaveNoFlagBehind()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        app.click({QStringLiteral("文字资料"), QStringLiteral("null")});
        app.navigator.BackTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("网络"));
        app.click({QStringLiteral("搜索结果")});
        QVERIFY(!app.navigator.historyFlag());
        app.navigator.BackTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("算法"));
        // Back after the search results must not be taken for a visit that wipes forward.
        QCOMPARE(keyTexts(app.navigator.forwardHistory()), (QStringList {"文字资料-网络-null", "文字资料-null-null"}));
        QVERIFY(app.navigator.backHistory().isEmpty());
    }

    void awkwardNamesNavigate()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("a-b"), QStringLiteral("null")});
        QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-a-b-null"));
        app.click({QStringLiteral("文字资料"), QStringLiteral("null")});
        app.click({QStringLiteral("文字资料"), QStringLiteral("a-b")});
        app.click({QStringLiteral("文字资料"), QStringLiteral("R&D")});
        QCOMPARE(keyTexts(app.navigator.backHistory()),
            (QStringList {"文字资料-a-b-null", "文字资料-null-null", "文字资料-a-b-null"}));
        app.navigator.BackTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("a-b"));
        QCOMPARE(app.selection.node->level(), 1);
        app.navigator.BackTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("null"));
        QCOMPARE(app.selection.node->level(), 1);
        app.navigator.BackTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("null"));
        QCOMPARE(app.selection.node->level(), 2);
        QCOMPARE(keyTexts(app.navigator.forwardHistory()).last(), QStringLiteral("文字资料-R&D-null"));
    }

    void goToLocationResolvesByParts_data()
    {
        QTest::addColumn<LocationKey>("key");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QStringList>("path");
        const QString text = QStringLiteral("文字资料");
        QTest::newRow("root") << LocationKey::root(text) << true << QStringList {text};
        QTest::newRow("example root") << LocationKey::root(QStringLiteral("实例资料")) << true
                                      << QStringList {QStringLiteral("实例资料")};
        QTest::newRow("sub of dashed") << LocationKey::subcategory_(text, "a-b", "null") << true
                                       << QStringList {text, "a-b", "null"};
        QTest::newRow("category null") << LocationKey::category_(text, "null") << true << QStringList {text, "null"};
        QTest::newRow("wrong kind") << LocationKey::category_(QStringLiteral("实例资料"), "算法") << false
                                    << QStringList();
        QTest::newRow("search node kind") << LocationKey::root(QStringLiteral("搜索结果")) << false << QStringList();
        QTest::newRow("missing sub") << LocationKey::subcategory_(text, "算法", "图") << false << QStringList();
        QTest::newRow("empty") << LocationKey() << false << QStringList();
    }
    void goToLocationResolvesByParts()
    {
        QFETCH(LocationKey, key);
        QFETCH(bool, found);
        QFETCH(QStringList, path);
        TestDataDir dir(kTree);
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        const QStringList before = app.captions();
        QCOMPARE(app.navigator.GoToLocation(key), found);
        QVERIFY(!app.navigator.historyFlag());
        QVERIFY(app.navigator.backHistory().isEmpty());
        if (found) {
            QCOMPARE(app.selection.node, app.node(path));
            QCOMPARE(app.navigator.previousKey(), key);
        } else {
            QCOMPARE(app.selectedText(), QStringLiteral("网络"));
            QCOMPARE(app.captions(), before);
            QCOMPARE(app.navigator.currentKey().text(), QStringLiteral("文字资料-网络-null"));
        }
    }

    void renamedOrDeletedPlacesAreSkipped()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        app.click({QStringLiteral("实例资料"), QStringLiteral("工具")});
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法")});
        app.tree.setText(app.tree.find({QStringLiteral("文字资料"), QStringLiteral("网络")}), QStringLiteral("网络2"));
        // Back passes over the renamed place to the one before it.
        app.navigator.BackTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("工具"));
        QVERIFY(app.navigator.backHistory().isEmpty());
        QCOMPARE(keyTexts(app.navigator.forwardHistory()), QStringList {"文字资料-算法-null"});

        // Only dead places behind: nothing moves at all.
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("查找")});
        app.click({QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")});
        TTreeNode* cat = app.node({QStringLiteral("文字资料"), QStringLiteral("算法")});
        app.tree.take(app.tree.find({QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("查找")}));
        app.tree.take(app.tree.find({QStringLiteral("实例资料"), QStringLiteral("工具")}));
        QCOMPARE(cat->childCount(), 1);
        const QStringList before = app.captions();
        app.navigator.BackTBtnClick();
        QCOMPARE(app.selectedText(), QStringLiteral("排序"));
        QCOMPARE(app.captions(), before);
        QVERIFY(app.navigator.backHistory().isEmpty());
        QVERIFY(app.navigator.forwardHistory().isEmpty());
        QCOMPARE(app.navigator.backImage(), 17);
        QCOMPARE(app.navigator.forwardImage(), 18);
    }

    void deadMenuTargetIsDropped()
    {
        TestDataDir dir(kTree);
        Rig app(dir);
        visitSeven(app);
        app.tree.take(app.tree.find({QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("查找")}));
        app.navigator.BackMenuItemClick(2);  // 文字资料-算法-查找, gone
        QCOMPARE(app.selectedText(), QStringLiteral("工具"));
        QCOMPARE(keyTexts(app.navigator.backHistory()),
            (QStringList {kSevenKeys.at(5), kSevenKeys.at(4), kSevenKeys.at(2), kSevenKeys.at(1)}));
        QVERIFY(app.navigator.forwardHistory().isEmpty());
        QCOMPARE(app.navigator.forwardImage(), 18);
    }

private:
    ScriptedPrompts prompts;
};

QS_TEST_CLASS(TestNavHistory)
QS_TEST_CLASS(TestNavigation)
#include "test_navigation.moc"
