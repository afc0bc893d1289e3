// The details pane: rows for every item kind, counts, previews, the action labels and running an
// example material's file. The rows are taken as data from the rig's tree and data module, the
// labels on a pane over a plain table; two end-to-end tests check the window's side.
#include "common/Rig.h"
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"
#include "test_detail_support.h"

#include "browse/DetailPane.h"
#include "browse/DetailRows.h"
#include "browse/ListItems.h"
#include "common/Gbk.h"
#include "common/SettingsFile.h"
#include "store/BodyLines.h"
#include "store/Escaping.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTest>

using namespace detailtest;

namespace {

// "name=value" of every row.
QStringList texts(const DetailContent& content)
{
    QStringList out;
    for (const DetailRow& row : content.rows)
        out.append(row.name + QLatin1Char('=') + row.value);
    return out;
}

// Lists the place on the rig (none: the listing stays as it is) and takes the details of the listed
// item with this caption at the selected place, as the pane does for a selected item; false when
// the listing holds no such item.
bool detailsIn(Rig& rig, const QStringList& place, const QString& caption, DetailContent& content)
{
    if (!place.isEmpty())
        rig.click(place);
    for (const ListEntry& entry : rig.view.entries) {
        if (entry.caption == caption) {
            content = detailContent(entry, rig.tree, rig.selection.node, ViewMode);
            return true;
        }
    }
    return false;
}

// A details pane over a plain table, fed the items the rig's list shows the way the window feeds it
// (the item selected before loses its selection first); it records the actions its labels report.
struct PaneRig final {
    explicit PaneRig(Rig& r) : rig(r), pane(&table, r.tree, r.selection, status)
    {
        QObject::connect(&pane, &TDetailPane::actionTriggered, &pane, [this](DetailRow::Action action, QLabel* label) {
            actions.append(action);
            triggered.append(label);
        });
    }
    // Selects the listed item with this caption; false when there is none.
    bool show(const QString& caption)
    {
        deselect();
        listitems::fill(&items, rig.view.entries, false);
        current = nullptr;
        for (int i = 0; i < items.count() && !current; ++i) {
            if (items.item(i)->text() == caption)
                current = items.item(i);
        }
        if (current)
            pane.MainDetailShow(current, true);
        return current != nullptr;
    }
    void deselect()
    {
        if (current)
            pane.MainDetailShow(current, false);
    }

    Rig& rig;
    QTableWidget table {0, 2};
    QListWidget items;
    RecordingStatus status;
    TDetailPane pane;
    QListWidgetItem* current = nullptr;
    QList<DetailRow::Action> actions;
    QList<QLabel*> triggered;
};

}  // namespace

class TestDetailPane final : public QObject {
    Q_OBJECT
private slots:
    void kindRootRows()
    {
        TestDataDir dir(
            {QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("++排序2"), QStringLiteral("+网络1"),
                QStringLiteral("+工具1"), QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")});
        dir.addText("a", QStringLiteral("算法"), QStringLiteral("排序"));
        dir.addText("b", QStringLiteral("网络"), QString());
        dir.addText("c", QStringLiteral("不在树里"), QString());
        dir.addExe("e", QStringLiteral("无"), QString(), QStringLiteral("/tmp"));
        Rig app(dir);
        DetailContent content;
        // The start-up list holds the two kind-root items.
        QVERIFY(detailsIn(app, {}, QStringLiteral("文字资料"), content));
        QCOMPARE(texts(content),
            (QStringList {QStringLiteral("类型:=总目录"),
                QStringLiteral("拥有子分类：=共3个  它们是：算法， 网络， 工具"),
                QStringLiteral("拥有资料数：=共3个")}));
        QVERIFY(detailsIn(app, {}, QStringLiteral("实例资料"), content));
        QCOMPARE(texts(content),
            (QStringList {QStringLiteral("类型:=总目录"), QStringLiteral("拥有子分类：=0个"),
                QStringLiteral("拥有资料数：=共1个")}));
        QVERIFY(!content.isExample);
        QVERIFY(content.loadFailure.isEmpty());
    }

    void folderRowsAndCounts()
    {
        TestDataDir dir(kDetailTree);
        dir.addText("1", QStringLiteral("算法"), QStringLiteral("排序"));
        dir.addText("2", QStringLiteral("算法"), QStringLiteral("查找"));
        dir.addText("3", QStringLiteral("算法"), QString());
        dir.addText("4", QStringLiteral("网络"), QStringLiteral("排序"));  // same subcategory name elsewhere
        dir.addExe("5", QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("/tmp"));  // other table
        dir.addText("6", QStringLiteral("网络"), QString());
        Rig app(dir);
        DetailContent content;

        QVERIFY(detailsIn(app, {QStringLiteral("文字资料")}, QStringLiteral("算法"), content));
        QCOMPARE(texts(content),
            (QStringList {QStringLiteral("类型:=分类目录"), QStringLiteral("拥有子分类：=共2个  它们是：排序， 查找"),
                QStringLiteral("拥有资料数：=共3个")}));
        QVERIFY(detailsIn(app, {QStringLiteral("文字资料")}, QStringLiteral("工具"), content));
        QCOMPARE(texts(content).at(1), QStringLiteral("拥有子分类：=共1个  它们是：编辑器"));
        // A category without subcategories counts by its name.
        QVERIFY(detailsIn(app, {QStringLiteral("文字资料")}, QStringLiteral("网络"), content));
        QCOMPARE(texts(content),
            (QStringList {QStringLiteral("类型:=分类目录"), QStringLiteral("拥有子分类：=0个"),
                QStringLiteral("拥有资料数：=共2个")}));
        // A subcategory counts only the materials matching both names.
        QVERIFY(detailsIn(app, {QStringLiteral("文字资料"), QStringLiteral("算法")}, QStringLiteral("排序"), content));
        QCOMPARE(texts(content),
            (QStringList {QStringLiteral("类型:=分类目录"), QStringLiteral("拥有子分类：=0个"),
                QStringLiteral("拥有资料数：=共1个")}));
    }

    void namesAreBoundAndCountFailureShows()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+O'Neil-null1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        dir.addText("x", QStringLiteral("O'Neil-null"), QString());
        Rig app(dir);
        DetailContent content;
        QVERIFY(detailsIn(app, {QStringLiteral("文字资料")}, QStringLiteral("O'Neil-null"), content));
        QCOMPARE(texts(content).at(2), QStringLiteral("拥有资料数：=共1个"));

        // Without a database the count cannot be taken: the rows are still built and say so.
        QVERIFY(QFile::remove(dir.file(QStringLiteral("Data.QSD"))));
        QVERIFY(detailsIn(app, {}, QStringLiteral("O'Neil-null"), content));
        QCOMPARE(texts(content),
            (QStringList {QStringLiteral("类型:=分类目录"), QStringLiteral("拥有子分类：=0个"),
                QStringLiteral("拥有资料数：=统计失败")}));
        QVERIFY(app.status.currentStatus().endsWith(QStringLiteral("   严重错误，请重新安装程序")));
    }

    void textMaterialRows_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("preview");
        const QString tail = QStringLiteral("...     ");
        // 28 characters + CR LF make exactly 30 bytes: shown whole.
        QTest::newRow("30 bytes") << QString(28, 'a') << QString(28, 'a') + "\r\n" + tail;
        QTest::newRow("31 bytes") << QString(29, 'a') << QString(29, 'a') + "\r" + tail;
        // A two-byte character that would cross the limit is left out whole.
        QTest::newRow("chinese across") << QString(29, 'a') + QStringLiteral("中") << QString(29, 'a') + tail;
        QTest::newRow("chinese fits") << QString(28, 'a') + QStringLiteral("中")
                                      << QString(28, 'a') + QStringLiteral("中") + tail;
        QTest::newRow("lines") << QStringLiteral("第一行\n第二行") << QStringLiteral("第一行\r\n第二行\r\n") + tail;
        QTest::newRow("empty") << QString() << tail;
        // Characters GBK gives no bytes for come before the cut: the preview reaches further into the body.
        const QString marks(40, QChar(0xFEFF));
        QTest::newRow("zero-byte characters")
            << marks + QString(40, 'a') << gbk::prefix(marks + QString(40, 'a'), 30) + tail;
    }
    void textMaterialRows()
    {
        QFETCH(QString, body);
        QFETCH(QString, preview);
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("it+(DYH)+s"), QStringLiteral("算法"), QStringLiteral("排序"), body,
            QStringLiteral("张三"), QStringLiteral("2021-03-04 05:06:07"));
        Rig app(dir);
        DetailContent content;
        QVERIFY(detailsIn(app, {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")},
            QStringLiteral("it's"), content));
        const QStringList expected
            = {QStringLiteral("名称:=it's"), QStringLiteral("分类:=算法--->排序"), QStringLiteral("作者:=张三"),
                QStringLiteral("创建时间:=2021-03-04 05:06:07"), QStringLiteral("内容:=") + preview};
        QCOMPARE(texts(content), expected);
        // The pane shows each value on one line.
        PaneRig pane(app);
        QVERIFY(pane.show(QStringLiteral("it's")));
        QCOMPARE(rows(&pane.table), expected);
        auto* delegate = qobject_cast<QStyledItemDelegate*>(pane.table.itemDelegate());
        QVERIFY(delegate);
        const QString shown = delegate->displayText(pane.table.item(4, 1)->text(), QLocale());
        QVERIFY(!shown.contains(QLatin1Char('\n')) && !shown.contains(QLatin1Char('\r')));
        QCOMPARE(shown.size(), preview.size() - preview.count(QStringLiteral("\r\n")));
    }

    // The preview of a body read from the database is that of the whole text, though only its start is decoded.
    void previewOfAStoredBodyIsThatOfTheWholeText()
    {
        QRandomGenerator rng(5);
        const QStringList pieces {QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r"),
            QStringLiteral("'"), QStringLiteral(":"), QStringLiteral("中文"), QStringLiteral("😀"),
            QString(QChar(0xFEFF)), QStringLiteral("code line;"), QStringLiteral("+(MH)+"), QStringLiteral("x")};
        for (int round = 0; round < 2000; ++round) {
            QString body;
            const int count = int(rng.bounded(round % 5 == 0 ? 300 : 30));
            for (int i = 0; i < count; ++i)
                body += pieces.at(int(rng.bounded(pieces.size())));
            const QByteArray escaped = EscapeBodyText(body).toUtf8();
            const BodyLines stored = BodyLines::fromStored(escaped);
            // What reading the whole body gives (a byte order mark at its very start is not read as text).
            const QStringList lines = splitLines(UnescapeBodyText(QString::fromUtf8(escaped)));
            for (const int maxBytes : {30, 60}) {
                const QString whole = gbk::prefix(joinLinesCrLf(lines), maxBytes) + QStringLiteral("...     ");
                QCOMPARE(detailPreview(stored, maxBytes), whole);
                QCOMPARE(detailPreview(lines, maxBytes), whole);
            }
        }
    }

    void exampleMaterialRows()
    {
        TestDataDir dir(kDetailTree);
        const QString about = QString(50, 'x') + QStringLiteral("\n一二三四五六");
        const qint64 id = dir.addExe(QStringLiteral("编辑器"), QStringLiteral("软件"), QString(),
            QStringLiteral("/opt/my tools/编辑.sh"), about, QStringLiteral("李四"), QStringLiteral("2020-02-02"));
        ModeGuard guard;
        Rig app(dir);
        ViewMode = 0;  // the description label ignores the viewing mode
        DetailContent content;
        QVERIFY(detailsIn(app, kSoftware, QStringLiteral("编辑器"), content));
        // 50 + CR LF + four characters of two bytes make 60 bytes.
        QCOMPARE(texts(content),
            (QStringList {QStringLiteral("名称:=编辑器"), QStringLiteral("分类:=软件--->"),
                QStringLiteral("作者:=李四"), QStringLiteral("创建时间:=2020-02-02"),
                QStringLiteral("简介:=") + QString(50, 'x') + QStringLiteral("\r\n一二三四...     "),
                QStringLiteral("资料路径:=/opt/my tools/编辑.sh")}));
        QVERIFY(content.isExample);
        QCOMPARE(content.runPath, QStringLiteral("/opt/my tools/编辑.sh"));

        PaneRig pane(app);
        QVERIFY(pane.show(QStringLiteral("编辑器")));
        QCOMPARE(pane.pane.runPath(), QStringLiteral("/opt/my tools/编辑.sh"));
        const QList<QLabel*> labels = actionLabels(&pane.table);
        QCOMPARE(labels.size(), 2);
        QCOMPARE(labels.at(0)->text(), QStringLiteral("在新窗口浏览简介"));
        QCOMPARE(labelRow(&pane.table, labels.at(0)), 4);
        QCOMPARE(labels.at(0)->property("tag").toLongLong(), id);
        QCOMPARE(labels.at(1)->text(), QStringLiteral("运行资料"));
        QCOMPARE(labelRow(&pane.table, labels.at(1)), 5);
        // The run path stays when the list shows something else.
        app.click({QStringLiteral("文字资料")});
        pane.deselect();
        pane.pane.clear();
        QVERIFY(pane.show(QStringLiteral("算法")));
        QCOMPARE(pane.pane.runPath(), QStringLiteral("/opt/my tools/编辑.sh"));
    }

    void readingLabelFollowsViewMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("caption");
        QTest::newRow("main window") << 0 << QStringLiteral("在当前窗口浏览");
        QTest::newRow("new window") << 1 << QStringLiteral("在新窗口中浏览");
    }
    void readingLabelFollowsViewMode()
    {
        QFETCH(int, mode);
        QFETCH(QString, caption);
        const DetailRow::Action action = mode == 0 ? DetailRow::Action::ViewInThisFrm : DetailRow::Action::ViewInNewFrm;
        TestDataDir dir(kDetailTree);
        const qint64 id = dir.addText(
            QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("正文"));
        ModeGuard guard;
        Rig app(dir);
        ViewMode = mode;
        ViewerWindowMode = 0;
        const QStringList place = {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")};
        DetailContent content;
        QVERIFY(detailsIn(app, place, QStringLiteral("快排"), content));
        QCOMPARE(content.rows.size(), 5);
        QVERIFY(content.rows.at(4).action == action);
        QCOMPARE(content.rows.at(4).actionCaption, caption);
        QCOMPARE(content.rows.at(4).tag, id);

        PaneRig pane(app);
        pane.table.show();
        QVERIFY(pane.show(QStringLiteral("快排")));
        const QList<QLabel*> labels = actionLabels(&pane.table);
        QCOMPARE(labels.size(), 1);
        QLabel* label = labels.first();
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->property("tag").toLongLong(), id);
        QCOMPARE(labelRow(&pane.table, label), 4);
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(label->palette().color(label->foregroundRole()), QColor(255, 0, 0));
        QCOMPARE(label->font().pointSize(), 10);
        QCOMPARE(label->x(), 300);

        // A click reports the label's action with the label, which carries the material id.
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(pane.actions.size(), 1);
        QVERIFY(pane.actions.first() == action);
        QCOMPARE(pane.triggered.first(), label);
    }

    void labelsGoWithTheSelection()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("甲"), QStringLiteral("网络"), QString(), QStringLiteral("x"));
        dir.addText(QStringLiteral("乙"), QStringLiteral("网络"), QString(), QStringLiteral("y"));
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        PaneRig pane(app);
        QVERIFY(pane.show(QStringLiteral("甲")));
        QPointer<QLabel> first = actionLabels(&pane.table).value(0);
        QVERIFY(first);
        // Losing the selection takes the labels away and keeps the rows.
        pane.deselect();
        QVERIFY(actionLabels(&pane.table).isEmpty());
        QCOMPARE(pane.table.rowCount(), 5);
        QTRY_VERIFY(first.isNull());

        pane.pane.MainDetailShow(pane.current, true);
        QPointer<QLabel> again = actionLabels(&pane.table).value(0);
        QVERIFY(again);
        QVERIFY(pane.show(QStringLiteral("乙")));
        QCOMPARE(actionLabels(&pane.table).size(), 1);
        QVERIFY(actionLabels(&pane.table).first() != again);
        QTRY_VERIFY(again.isNull());
    }

    // The labels are reached and run with the keyboard and read out by screen readers; the name column
    // fits its longest row name.
    void labelsWorkWithoutTheMouse()
    {
        TestDataDir dir(kDetailTree);
        dir.addExe(QStringLiteral("乙"), QStringLiteral("软件"), QString(), QStringLiteral("/bin/ls"));
        Rig app(dir);
        app.click({QStringLiteral("实例资料"), QStringLiteral("软件")});
        PaneRig pane(app);
        pane.table.resize(800, 300);
        pane.table.show();
        QVERIFY(pane.show(QStringLiteral("乙")));
        const QList<QLabel*> labels = actionLabels(&pane.table);
        QCOMPARE(labels.size(), 2);
        for (QLabel* label : labels) {
            QCOMPARE(label->focusPolicy(), Qt::StrongFocus);
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
            QVERIFY(accessible);
            QCOMPARE(accessible->text(QAccessible::Name), label->text());
            QCOMPARE(accessible->role(), QAccessible::Link);
        }
        QTest::keyClick(labels.at(0), Qt::Key_Return);
        QTest::keyClick(labels.at(1), Qt::Key_Space);
        QTest::keyClick(labels.at(1), Qt::Key_A);  // other keys do nothing
        QAccessibleInterface* run = QAccessible::queryAccessibleInterface(labels.at(1));
        run->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(pane.actions,
            (QList<DetailRow::Action> {
                DetailRow::Action::ViewInNewFrm, DetailRow::Action::RunDetail, DetailRow::Action::RunDetail}));
        // The longest name, "资料路径:", is shown whole.
        const QFontMetrics metrics(pane.table.font());
        QVERIFY(pane.table.columnWidth(0) >= metrics.horizontalAdvance(QStringLiteral("资料路径:")) + 16);
    }

    void labelsStayOverTheirRow()
    {
        TestDataDir dir(kDetailTree);
        dir.addExe(QStringLiteral("乙"), QStringLiteral("软件"), QString(), QStringLiteral("/tmp"));
        Rig app(dir);
        app.click(kSoftware);
        PaneRig pane(app);
        QTableWidget* table = &pane.table;
        // A pane too small for its rows, then scrolled to the end, and a wider name column.
        table->setColumnWidth(1, 400);
        table->resize(900, 90);
        table->show();
        QVERIFY(pane.show(QStringLiteral("乙")));
        table->setColumnWidth(0, 150);
        QTRY_VERIFY(table->verticalScrollBar()->maximum() > 0);
        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum());
        const QList<QLabel*> labels = actionLabels(table);
        QCOMPARE(labels.size(), 2);
        for (QLabel* label : labels) {
            const int row = labelRow(table, label);
            const int rowMiddle = table->rowViewportPosition(row) + table->rowHeight(row) / 2;
            QTRY_COMPARE(label->mapTo(table->viewport(), QPoint(0, 0)).x(), table->columnViewportPosition(1) + 300);
            QTRY_VERIFY(qAbs(label->mapTo(table->viewport(), QPoint(0, label->height() / 2)).y() - rowMiddle) <= 1);
        }
    }

    void deletedMaterialStillShowsRows()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(
            QStringLiteral("将删"), QStringLiteral("网络"), QString(), QStringLiteral("x"), QStringLiteral("王五"));
        Rig app(dir);
        app.click({QStringLiteral("文字资料"), QStringLiteral("网络")});
        QVERIFY(dir.exec(QStringLiteral("delete from textfile")));
        DetailContent content;
        QVERIFY(detailsIn(app, {}, QStringLiteral("将删"), content));
        QCOMPARE(content.rows.size(), 5);
        QCOMPARE(content.rows.at(0).value, QString());
        QCOMPARE(content.rows.at(4).value, QStringLiteral("...     "));
        QVERIFY(content.loadFailure.startsWith(QStringLiteral("数据库操作失败！ 原因：")));
        // The pane shows the rows and tells its status bar why the record is empty.
        PaneRig pane(app);
        QVERIFY(pane.show(QStringLiteral("将删")));
        QCOMPARE(pane.table.rowCount(), 5);
        QCOMPARE(pane.table.item(0, 1)->text(), QString());
        QCOMPARE(pane.table.item(4, 1)->text(), QStringLiteral("...     "));
        QVERIFY(pane.status.currentStatus().startsWith(QStringLiteral("数据库操作失败！ 原因：")));
    }

    void runDetailOpensOnlyFiles_data()
    {
        QTest::addColumn<QString>("relative");  // inside the test directory; empty: no path at all
        QTest::addColumn<bool>("opens");
        QTest::newRow("regular file") << QStringLiteral("tool.sh") << true;
        QTest::newRow("spaces and chinese") << QStringLiteral("my dir/工具 一.txt") << true;
        QTest::newRow("directory") << QStringLiteral("my dir") << false;
        QTest::newRow("missing") << QStringLiteral("gone.exe") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void runDetailOpensOnlyFiles()
    {
        QFETCH(QString, relative);
        QFETCH(bool, opens);
        TestDataDir dir(kDetailTree);
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("my dir")));
        for (const QString& name : {QStringLiteral("tool.sh"), QStringLiteral("my dir/工具 一.txt")}) {
            QFile f(dir.file(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString path = relative.isEmpty() ? QString() : dir.file(relative);
        dir.addExe(QStringLiteral("乙"), QStringLiteral("软件"), QString(), path);
        ScriptedPrompts prompts;
        RecordingOpener opener;
        Rig app(dir);
        app.click(kSoftware);
        PaneRig pane(app);
        pane.table.show();
        QVERIFY(pane.show(QStringLiteral("乙")));
        QLabel* run = actionLabels(&pane.table).value(1);
        QVERIFY(run);
        QTest::mouseClick(run, Qt::LeftButton);
        QCOMPARE(pane.actions.size(), 1);
        QVERIFY(pane.actions.first() == DetailRow::Action::RunDetail);
        pane.pane.RunDetail();  // what the window does for that action
        if (opens) {
            QCOMPARE(opener.opened, QList<QUrl> {QUrl::fromLocalFile(path)});
            QVERIFY(prompts.shown.isEmpty());
        } else {
            QVERIFY(opener.opened.isEmpty());
            QCOMPARE(prompts.shown.size(), 1);
            QCOMPARE(prompts.shown.first().kind, QStringLiteral("message"));
            QCOMPARE(prompts.lastText(), QStringLiteral("资料路径有错，不存在该路径，请修改。"));
        }
    }

    // End to end: the window's table shows the selected item's rows with the row image and the label
    // over the value; a click on the label reads the material in the window, and selecting another
    // item in the real list takes the labels away.
    void windowShowsDetailsAndReads_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("main window") << 0;
        QTest::newRow("new window") << 1;
    }
    void windowShowsDetailsAndReads()
    {
        QFETCH(int, mode);
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("正文"),
            QStringLiteral("张三"), QStringLiteral("2021-03-04 05:06:07"));
        dir.addText(QStringLiteral("堆排"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("另文"));
        ModeGuard guard;
        DetailApp app(dir, true);
        ViewMode = mode;
        ViewerWindowMode = 0;
        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")},
            QStringLiteral("快排")));
        QTableWidget* table = app->ui().MainDetail;
        QCOMPARE(table->columnCount(), 2);
        QCOMPARE(rows(table),
            (QStringList {QStringLiteral("名称:=快排"), QStringLiteral("分类:=算法--->排序"),
                QStringLiteral("作者:=张三"), QStringLiteral("创建时间:=2021-03-04 05:06:07"),
                QStringLiteral("内容:=正文\r\n...     ")}));
        // Every row carries the pane's row image.
        for (int row = 0; row < table->rowCount(); ++row)
            QVERIFY(!table->item(row, 0)->icon().isNull());
        const QList<QLabel*> labels = actionLabels(table);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labelRow(table, labels.first()), 4);
        QPointer<QLabel> label = labels.first();

        QTest::mouseClick(label, Qt::LeftButton);
        if (mode == 0) {
            QVERIFY(app->ui().ThisFrmViewer->isVisible());
            QVERIFY(app->ui().ThisFrmViewer->toPlainText().contains(QStringLiteral("正文")));
        } else {
            QVERIFY(!app->ui().ThisFrmViewer->isVisible());
            QCOMPARE(OpenViewerCaption, QStringLiteral("快排"));
        }

        app->ui().MainList->setCurrentItem(listItem(app->ui().MainList, QStringLiteral("堆排")));
        QCOMPARE(rows(table).first(), QStringLiteral("名称:=堆排"));
        QCOMPARE(actionLabels(table).size(), 1);
        QVERIFY(actionLabels(table).first() != label);
        QTRY_VERIFY(label.isNull());
    }

    // End to end: the run label in the window's table opens the example material's file.
    void windowRunsTheExample()
    {
        TestDataDir dir(kDetailTree);
        const QString path = dir.file(QStringLiteral("tool.sh"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        dir.addExe(QStringLiteral("乙"), QStringLiteral("软件"), QString(), path);
        ScriptedPrompts prompts;
        RecordingOpener opener;
        DetailApp app(dir, true);
        QVERIFY(selectIn(app.form(), kSoftware, QStringLiteral("乙")));
        QLabel* run = actionLabels(app->ui().MainDetail).value(1);
        QVERIFY(run);
        QCOMPARE(run->text(), QStringLiteral("运行资料"));
        QTest::mouseClick(run, Qt::LeftButton);
        QCOMPARE(opener.opened, QList<QUrl> {QUrl::fromLocalFile(path)});
        QVERIFY(prompts.shown.isEmpty());
    }
};

QS_TEST_CLASS(TestDetailPane)
#include "test_detail.moc"
