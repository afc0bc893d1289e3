// The details pane: rows for every item kind, counts, previews, the action labels and running an
// example material's file.
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"
#include "test_detail_support.h"

#include "browse/ListItems.h"
#include "browse/TNewFrmViewer.h"
#include "common/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

using namespace detailtest;

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
        DetailApp app(dir);
        // The start-up list holds the two kind-root items.
        app->ui().MainList->setCurrentItem(listItem(app->ui().MainList, QStringLiteral("文字资料")));
        QCOMPARE(rows(app->ui().MainDetail),
            (QStringList {QStringLiteral("类型:=总目录"),
                QStringLiteral("拥有子分类：=共3个  它们是：算法， 网络， 工具"),
                QStringLiteral("拥有资料数：=共3个")}));
        app->ui().MainList->setCurrentItem(listItem(app->ui().MainList, QStringLiteral("实例资料")));
        QCOMPARE(rows(app->ui().MainDetail),
            (QStringList {QStringLiteral("类型:=总目录"), QStringLiteral("拥有子分类：=0个"),
                QStringLiteral("拥有资料数：=共1个")}));
        // Every row carries the pane's row image.
        QVERIFY(!app->ui().MainDetail->item(1, 0)->icon().isNull());
        QCOMPARE(app->ui().MainDetail->columnCount(), 2);
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
        DetailApp app(dir);

        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料")}, QStringLiteral("算法")));
        QCOMPARE(rows(app->ui().MainDetail),
            (QStringList {QStringLiteral("类型:=分类目录"), QStringLiteral("拥有子分类：=共2个  它们是：排序， 查找"),
                QStringLiteral("拥有资料数：=共3个")}));
        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料")}, QStringLiteral("工具")));
        QCOMPARE(rows(app->ui().MainDetail).at(1), QStringLiteral("拥有子分类：=共1个  它们是：编辑器"));
        // A category without subcategories counts by its name.
        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料")}, QStringLiteral("网络")));
        QCOMPARE(rows(app->ui().MainDetail),
            (QStringList {QStringLiteral("类型:=分类目录"), QStringLiteral("拥有子分类：=0个"),
                QStringLiteral("拥有资料数：=共2个")}));
        // A subcategory counts only the materials matching both names.
        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")}, QStringLiteral("排序")));
        QCOMPARE(rows(app->ui().MainDetail),
            (QStringList {QStringLiteral("类型:=分类目录"), QStringLiteral("拥有子分类：=0个"),
                QStringLiteral("拥有资料数：=共1个")}));
    }

    void namesAreBoundAndCountFailureShows()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+O'Neil-null1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        dir.addText("x", QStringLiteral("O'Neil-null"), QString());
        DetailApp app(dir);
        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料")}, QStringLiteral("O'Neil-null")));
        QCOMPARE(rows(app->ui().MainDetail).at(2), QStringLiteral("拥有资料数：=共1个"));

        // Without a database the count cannot be taken: the pane is still built and says so.
        QVERIFY(QFile::remove(dir.file(QStringLiteral("Data.QSD"))));
        app->ui().MainList->setCurrentItem(nullptr);
        app->ui().MainList->setCurrentItem(listItem(app->ui().MainList, QStringLiteral("O'Neil-null")));
        QCOMPARE(rows(app->ui().MainDetail),
            (QStringList {QStringLiteral("类型:=分类目录"), QStringLiteral("拥有子分类：=0个"),
                QStringLiteral("拥有资料数：=统计失败")}));
        QVERIFY(app->ui().MainStatus->currentMessage().endsWith(QStringLiteral("   严重错误，请重新安装程序")));
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
    }
    void textMaterialRows()
    {
        QFETCH(QString, body);
        QFETCH(QString, preview);
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("it+(DYH)+s"), QStringLiteral("算法"), QStringLiteral("排序"), body,
            QStringLiteral("张三"), QStringLiteral("2021-03-04 05:06:07"));
        DetailApp app(dir);
        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")},
            QStringLiteral("it's")));
        QCOMPARE(rows(app->ui().MainDetail),
            (QStringList {QStringLiteral("名称:=it's"), QStringLiteral("分类:=算法--->排序"),
                QStringLiteral("作者:=张三"), QStringLiteral("创建时间:=2021-03-04 05:06:07"),
                QStringLiteral("内容:=") + preview}));
        // The pane shows each value on one line.
        auto* delegate = qobject_cast<QStyledItemDelegate*>(app->ui().MainDetail->itemDelegate());
        QVERIFY(delegate);
        const QString shown = delegate->displayText(app->ui().MainDetail->item(4, 1)->text(), QLocale());
        QVERIFY(!shown.contains(QLatin1Char('\n')) && !shown.contains(QLatin1Char('\r')));
        QCOMPARE(shown.size(), preview.size() - preview.count(QStringLiteral("\r\n")));
    }

    void exampleMaterialRows()
    {
        TestDataDir dir(kDetailTree);
        const QString about = QString(50, 'x') + QStringLiteral("\n一二三四五六");
        const qint64 id = dir.addExe(QStringLiteral("编辑器"), QStringLiteral("软件"), QString(),
            QStringLiteral("/opt/my tools/编辑.sh"), about, QStringLiteral("李四"), QStringLiteral("2020-02-02"));
        ModeGuard guard;
        DetailApp app(dir);
        ViewMode = 0;  // the description label ignores the viewing mode
        QVERIFY(selectIn(app.form(), kSoftware, QStringLiteral("编辑器")));
        // 50 + CR LF + four characters of two bytes make 60 bytes.
        QCOMPARE(rows(app->ui().MainDetail),
            (QStringList {QStringLiteral("名称:=编辑器"), QStringLiteral("分类:=软件--->"),
                QStringLiteral("作者:=李四"), QStringLiteral("创建时间:=2020-02-02"),
                QStringLiteral("简介:=") + QString(50, 'x') + QStringLiteral("\r\n一二三四...     "),
                QStringLiteral("资料路径:=/opt/my tools/编辑.sh")}));
        QCOMPARE(app->detailPane().runPath(), QStringLiteral("/opt/my tools/编辑.sh"));
        const QList<QLabel*> labels = actionLabels(app->ui().MainDetail);
        QCOMPARE(labels.size(), 2);
        QCOMPARE(labels.at(0)->text(), QStringLiteral("在新窗口浏览简介"));
        QCOMPARE(labelRow(app->ui().MainDetail, labels.at(0)), 4);
        QCOMPARE(labels.at(0)->property("tag").toLongLong(), id);
        QCOMPARE(labels.at(1)->text(), QStringLiteral("运行资料"));
        QCOMPARE(labelRow(app->ui().MainDetail, labels.at(1)), 5);
        // The run path stays when the list shows something else.
        clickNode(app.form(), {QStringLiteral("文字资料")});
        QCOMPARE(app->detailPane().runPath(), QStringLiteral("/opt/my tools/编辑.sh"));
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
        TestDataDir dir(kDetailTree);
        const qint64 id = dir.addText(
            QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("正文"));
        ModeGuard guard;
        DetailApp app(dir, true);
        ViewMode = mode;
        ViewerWindowMode = 0;
        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")},
            QStringLiteral("快排")));
        const QList<QLabel*> labels = actionLabels(app->ui().MainDetail);
        QCOMPARE(labels.size(), 1);
        QLabel* label = labels.first();
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->property("tag").toLongLong(), id);
        QCOMPARE(labelRow(app->ui().MainDetail, label), 4);
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(label->palette().color(label->foregroundRole()), QColor(255, 0, 0));
        QCOMPARE(label->font().pointSize(), 10);
        QCOMPARE(label->x(), 300);

        // A click runs the label's handler.
        QTest::mouseClick(label, Qt::LeftButton);
        if (mode == 0) {
            QVERIFY(app->ui().ThisFrmViewer->isVisible());
            QVERIFY(app->ui().ThisFrmViewer->toPlainText().contains(QStringLiteral("正文")));
        } else {
            QVERIFY(!app->ui().ThisFrmViewer->isVisible());
            QCOMPARE(OpenViewerCaption, QStringLiteral("快排"));
        }
    }

    void labelsGoWithTheSelection()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("甲"), QStringLiteral("网络"), QString(), QStringLiteral("x"));
        dir.addText(QStringLiteral("乙"), QStringLiteral("网络"), QString(), QStringLiteral("y"));
        DetailApp app(dir);
        QVERIFY(selectIn(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")}, QStringLiteral("甲")));
        QPointer<QLabel> first = actionLabels(app->ui().MainDetail).value(0);
        QVERIFY(first);
        // Losing the selection takes the labels away and keeps the rows.
        app->MainDetailShow(app->ui().MainList->currentItem(), false);
        QVERIFY(actionLabels(app->ui().MainDetail).isEmpty());
        QCOMPARE(app->ui().MainDetail->rowCount(), 5);
        QTRY_VERIFY(first.isNull());

        app->MainDetailShow(app->ui().MainList->currentItem(), true);
        QPointer<QLabel> again = actionLabels(app->ui().MainDetail).value(0);
        QVERIFY(again);
        app->ui().MainList->setCurrentItem(listItem(app->ui().MainList, QStringLiteral("乙")));
        QCOMPARE(actionLabels(app->ui().MainDetail).size(), 1);
        QVERIFY(actionLabels(app->ui().MainDetail).first() != again);
        QTRY_VERIFY(again.isNull());
    }

    void labelsStayOverTheirRow()
    {
        TestDataDir dir(kDetailTree);
        dir.addExe(QStringLiteral("乙"), QStringLiteral("软件"), QString(), QStringLiteral("/tmp"));
        DetailApp app(dir, true);
        app->resize(900, 700);
        QVERIFY(selectIn(app.form(), kSoftware, QStringLiteral("乙")));
        QTableWidget* table = app->ui().MainDetail;
        // A pane too small for its rows, then scrolled to the end, and a wider name column.
        app->ui().detailArea->setFixedHeight(90);
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
        DetailApp app(dir);
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")});
        QVERIFY(dir.exec(QStringLiteral("delete from textfile")));
        app->ui().MainList->setCurrentItem(listItem(app->ui().MainList, QStringLiteral("将删")));
        QCOMPARE(app->ui().MainDetail->rowCount(), 5);
        QCOMPARE(app->ui().MainDetail->item(0, 1)->text(), QString());
        QCOMPARE(app->ui().MainDetail->item(4, 1)->text(), QStringLiteral("...     "));
        QVERIFY(app->ui().MainStatus->currentMessage().startsWith(QStringLiteral("数据库操作失败！ 原因：")));
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
        DetailApp app(dir, true);
        QVERIFY(selectIn(app.form(), kSoftware, QStringLiteral("乙")));
        QLabel* run = actionLabels(app->ui().MainDetail).value(1);
        QVERIFY(run);
        QTest::mouseClick(run, Qt::LeftButton);
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
};

QS_TEST_CLASS(TestDetailPane)
#include "test_detail.moc"
