// Start-up order, the resize rule, shutdown writing the tree once, and a second start.
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"

#include "app/QtTranslations.h"
#include "browse/ListItems.h"
#include "common/Gbk.h"
#include "common/Prompts.h"
#include "common/SettingsFile.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidget>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

class StartupTest final : public QObject {
    Q_OBJECT
private slots:
    void init() { resetInMemorySettings(); }

    void formCreateLeavesTheInitialState()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        ScriptedPrompts prompts;
        TestApp app(dir);
        TMainForm& form = app.form();
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillstash "));
        QVERIFY(form.ui().N121->isChecked());
        QCOMPARE(form.ui().MainList->count(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(listitems::image(form.ui().MainList->item(i)), 3);
        QCOMPARE(form.ui().MainList->item(0)->text(), QStringLiteral("文字资料"));
        QCOMPARE(form.ui().MainList->item(1)->text(), QStringLiteral("实例资料"));
        QCOMPARE(treenodes::allNodes(form.ui().MainTreeView).size(), 4);
        QCOMPARE(TMainControls::buttonImage(form.ui().BackTBtn), 17);
        QCOMPARE(TMainControls::buttonImage(form.ui().PreTBtn), 18);
        QCOMPARE(TMainControls::buttonImage(form.ui().UpTBtn), 19);
        QVERIFY(form.ui().ThisFrmViewer->isHidden());
        QVERIFY(form.ui().MainStatus->currentMessage().isEmpty());
        QVERIFY(form.navigator().backHistory().isEmpty());
        QVERIFY(form.navigator().forwardHistory().isEmpty());
        QVERIFY(prompts.shown.isEmpty());
        // The floating window is created once the event loop runs, then its tray item is checked.
        QTRY_VERIFY(form.ui().N341->isChecked());
    }

    void everyControlAndCommandIsInPlace()
    {
        TestDataDir dir;
        ScriptedPrompts prompts;
        TestApp app(dir);
        const QList<QPair<QToolButton*, QPair<QString, int>>> buttons = {
            {app->ui().BackTBtn, {QStringLiteral("后退"), 17}},
            {app->ui().PreTBtn, {QStringLiteral("前进"), 18}},
            {app->ui().UpTBtn, {QStringLiteral("向上"), 19}},
            {app->ui().ToolButton1, {QStringLiteral("在当前分类添加新的子分类"), 0}},
            {app->ui().ToolButton2, {QStringLiteral("修改分类名"), 1}},
            {app->ui().ToolButton3, {QStringLiteral("删除子分类"), 2}},
            {app->ui().ToolButton4, {QStringLiteral("在当前分类添加新的资料"), 3}},
            {app->ui().ToolButton6, {QStringLiteral("删除选定资料"), 5}},
            {app->ui().ToolButton7, {QStringLiteral("修改选定的资料"), 6}},
            {app->ui().ToolButton9, {QStringLiteral("搜索"), 10}},
            {app->ui().ToolButton10, {QStringLiteral("选项"), 7}},
            {app->ui().ToolButton13, {QStringLiteral("帮助"), 11}},
            {app->ui().ToolButton12, {QStringLiteral("退出"), 4}},
        };
        for (const auto& b : buttons) {
            QCOMPARE(b.first->toolTip(), b.second.first);
            QCOMPARE(TMainControls::buttonImage(b.first), b.second.second);
        }
        auto captions = [](QMenu* menu) {
            QStringList out;
            for (QAction* a : menu->actions())
                out.append(a->isSeparator() ? QStringLiteral("-") : a->text());
            return out;
        };
        QCOMPARE(captions(app->ui().FileMenu),
            (QStringList {QStringLiteral("添加新的子分类"), QStringLiteral("修改分类名"),
                QStringLiteral("删除当前选定的分类"), QStringLiteral("-"), QStringLiteral("在当前分类添加新的资料"),
                QStringLiteral("导出全部资料..."), QStringLiteral("导入资料..."), QStringLiteral("-"),
                QStringLiteral("退出")}));
        QCOMPARE(captions(app->ui().EditMenu),
            (QStringList {QStringLiteral("删除选定的资料"), QStringLiteral("修改选定的资料"), QStringLiteral("-"),
                QStringLiteral("资料转移功能")}));
        QCOMPARE(captions(app->ui().ViewMenu),
            (QStringList {QStringLiteral("大图标"), QStringLiteral("小图标"), QStringLiteral("列表"),
                QStringLiteral("资料排序"), QStringLiteral("-"), QStringLiteral("搜索"), QStringLiteral("-"),
                QStringLiteral("选项"), QStringLiteral("-"), QStringLiteral("后退"), QStringLiteral("前进"),
                QStringLiteral("向上")}));
        QCOMPARE(captions(app->ui().HelpMenu),
            (QStringList {QStringLiteral("主题"), QStringLiteral("-"), QStringLiteral("来信"),
                QStringLiteral("访问网站"), QStringLiteral("-"), QStringLiteral("关于")}));
        QCOMPARE(captions(app->ui().MainTreePopupMenu).mid(0, 6),
            (QStringList {QStringLiteral("在当前分类添加新的子分类"), QStringLiteral("修改分类名"), QStringLiteral("-"),
                QStringLiteral("删除当前选定的分类"), QStringLiteral("-"), QStringLiteral("在当前分类添加新的资料")}));
        QCOMPARE(captions(app->ui().MainListPopupMenu).mid(0, 6),
            (QStringList {QStringLiteral("添加新的资料"), QStringLiteral("删除资料"), QStringLiteral("修改资料"),
                QStringLiteral("-"), QStringLiteral("查看"), QStringLiteral("资料排序")}));
        QCOMPARE(captions(app->ui().TrayPopMenu),
            (QStringList {QStringLiteral("显示主窗口"), QStringLiteral("显示悬浮窗口"), QStringLiteral("-"),
                QStringLiteral("关于"), QStringLiteral("退出")}));
        QVERIFY(app->ui().N121->isCheckable());
        QVERIFY(app->ui().N341->isCheckable());

        // The keys the menus show; Delete and F2 belong to the tree's and the list's actions alone.
        const TMainControls& c = app->ui();
        const QList<QPair<QAction*, QString>> keys {{c.N29, "Ctrl+F"}, {c.N11, "Ctrl+N"}, {c.N12, "Ctrl+Q"},
            {c.N41, "F1"}, {c.NavBack, "Alt+Left"}, {c.NavForward, "Alt+Right"}, {c.NavUp, "Alt+Up"}, {c.N4, "Del"},
            {c.N3, "F2"}, {c.N19, "Del"}, {c.N20, "F2"}};
        for (const auto& [action, key] : keys)
            QCOMPARE(action->shortcut().toString(), key);
        for (QAction* a : {c.N4, c.N3, c.N19, c.N20})
            QCOMPARE(a->shortcutContext(), Qt::WidgetShortcut);
        QVERIFY(c.MainTreeView->actions().contains(c.N4) && c.MainTreeView->actions().contains(c.N3));
        QVERIFY(c.MainList->actions().contains(c.N19) && c.MainList->actions().contains(c.N20));
    }

    // Qt's own dialogs speak Chinese; the program's boxes are wide enough for their caption.
    void qtDialogsInChinese()
    {
        QTranslator* translator = qttranslations::install(*QCoreApplication::instance());
        QVERIFY2(translator, "qtbase_zh_CN.qm not found");
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
        QVERIFY(QCoreApplication::translate("QFontDialog", "Select Font") != QStringLiteral("Select Font"));
        QCoreApplication::removeTranslator(translator);
        delete translator;

        QtPrompts real;
        int width = 0;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                width = box->width();
                box->accept();
            }
        });
        const QString caption = QStringLiteral("已经存在同名的分类，请换一个名字！的提示信息");
        real.box(nullptr, QStringLiteral("好"), caption, Prompts::Icon::None);
        QFont bold = QApplication::font();
        bold.setBold(true);
        QVERIFY2(width >= QFontMetrics(bold).horizontalAdvance(caption) + 100, qPrintable(QString::number(width)));
    }

    void damagedTreeFileEndsTheProgramWithoutWritingIt()
    {
        for (const QByteArray& content : {QByteArray(), QByteArray("\r\n")}) {
            TestDataDir dir;
            QFile f(dir.file(QStringLiteral("MTS.qs")));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
            f.close();
            ScriptedPrompts prompts;
            TMainForm form(dir.path());
            form.FormCreate();
            QVERIFY(form.terminateRequested());
            QCOMPARE(prompts.shown.size(), 1);
            QCOMPARE(prompts.shown.first().text, QStringLiteral("文件MTS.qs已经被损坏，请重新安装！"));
            QCOMPARE(prompts.shown.first().caption, QStringLiteral("Quillstash"));
            QVERIFY(prompts.shown.first().icon == Prompts::Icon::Error);
            form.FormClose();
            QCOMPARE(readAll(dir.file(QStringLiteral("MTS.qs"))), content);
        }
        TestDataDir missing;
        QFile::remove(missing.file(QStringLiteral("MTS.qs")));
        ScriptedPrompts prompts;
        TMainForm form(missing.path());
        form.FormCreate();
        QVERIFY(form.terminateRequested());
        form.FormClose();
        QVERIFY(!QFile::exists(missing.file(QStringLiteral("MTS.qs"))));
    }

    void resizeGivesTheListAQuarter()
    {
        TestDataDir dir;
        ScriptedPrompts prompts;
        TestApp app(dir, true);
        app->ui().panel->resize(app->ui().panel->width(), 387);
        QCOMPARE(app->ui().MainList->height(), 96);
        app->ui().panel->resize(app->ui().panel->width(), 403);
        QCOMPARE(app->ui().MainList->height(), 100);
    }

    // A splitter drag (the panel alone changes size) keeps the list as it is; a resize of the window lists
    // again, once after the burst of resize events, and not while the program closes.
    void onlyAWindowResizeLists()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        ScriptedPrompts prompts;
        TestApp app(dir, true);
        treenodes::select(app->ui().MainTreeView, findNode(app.form(), {QStringLiteral("文字资料")}));
        QTest::qWait(50);  // the window settles after being shown
        app->ui().MainList->clear();
        const auto listed = [&] {
            return app->ui().MainList->count() == 1;
        };  // 算法
        app->ui().panel->resize(app->ui().panel->width(), 300);
        QTest::qWait(20);
        QVERIFY(!listed());
        app->resize(700, 500);
        app->resize(720, 520);
        QVERIFY(!listed());
        QTRY_VERIFY(listed());

        app->ui().MainList->clear();
        app->setClosing();
        app->resize(760, 560);
        QTest::qWait(20);
        QVERIFY(!listed());
    }

    void quitWritesTheTreeOnce()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("实例资料0"),
            QStringLiteral("搜索结果0")});
        ScriptedPrompts prompts;
        TestApp app(dir, true);
        // Change the tree in memory the way a command would.
        TCategoryTree& tree = app->categoryTree();
        tree.addChild(tree.find({QStringLiteral("文字资料")}), QStringLiteral("网络"), 1, 4);
        app->QuitProgram();
        QCOMPARE(app->treeSaveCount(), 1);
        QVERIFY(app->isClosing());
        app->FormClose();
        QCOMPARE(app->treeSaveCount(), 1);
        QCOMPARE(readAll(dir.file(QStringLiteral("MTS.qs"))),
            gbk::encode(QStringLiteral("文字资料0\r\n+算法1\r\n+网络1\r\n实例资料0\r\n搜索结果0\r\n")));
    }

    void secondStartShowsTheWindow()
    {
        TestDataDir dir;
        ScriptedPrompts prompts;
        TestApp app(dir, true);
        // Hidden in the tray: the request checks item 0 and shows the window.
        app->hide();
        app->ui().N121->setChecked(false);
        app->secondInstanceRequest();
        QVERIFY(app->ui().N121->isChecked());
        QVERIFY(app->isVisible());
        // Minimised: restored.
        app->showMinimized();
        app->secondInstanceRequest();
        QTRY_VERIFY(!app->isMinimized());
        QVERIFY(app->ui().N121->isChecked());
    }
};

QS_TEST_CLASS(StartupTest)
#include "test_startup.moc"
