// The material commands of the main window: add, delete, edit and move, with their refusals,
// the dialogs they open, the rows they change and the move submenu built from the tree.
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"

#include "browse/ListItems.h"
#include "edit/TAddFileExeFrm.h"
#include "edit/TAddFileForm.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

namespace {

// The example tree: 文字资料: 算法 {排序, 查找}, 网络; 实例资料: 工具; 搜索结果.
const QStringList kTree = {
    QStringLiteral("文字资料0"),
    QStringLiteral("+算法1"),
    QStringLiteral("++排序2"),
    QStringLiteral("++查找2"),
    QStringLiteral("+网络1"),
    QStringLiteral("实例资料0"),
    QStringLiteral("+工具1"),
    QStringLiteral("搜索结果0"),
};

const QStringList kSort = {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")};
const QStringList kTools = {QStringLiteral("实例资料"), QStringLiteral("工具")};

struct CommandApp {
    explicit CommandApp(const TestDataDir& dir) : app(dir) { MainData->useAbsolutePath(); }
    TMainForm& form() { return app.form(); }
    TMainForm* operator->() { return &app.form(); }
    TestApp app;
};

// Acts on every modal dialog that a command opens, from inside the dialog's own event loop, and
// closes it afterwards if the action left it open, so a command never blocks the test.
class ModalDriver final {
public:
    explicit ModalDriver(std::function<void(TAddFileForm*)> action) : m_action(std::move(action))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(5);
    }
    QStringList captions;  // of every dialog met, in order
    QStringList classes;  // their class names

private:
    void poll()
    {
        auto* dialog = qobject_cast<TAddFileForm*>(QApplication::activeModalWidget());
        if (!dialog || dialog == m_last)
            return;
        m_last = dialog;
        captions.append(dialog->windowTitle());
        classes.append(QString::fromLatin1(dialog->metaObject()->className()));
        if (m_action)
            m_action(dialog);
        if (dialog->isVisible())
            dialog->reject();
    }
    std::function<void(TAddFileForm*)> m_action;
    QTimer m_timer;
    TAddFileForm* m_last = nullptr;
};

QListWidgetItem* listItem(TMainForm& form, const QString& caption)
{
    const QList<QListWidgetItem*> found = form.ui().MainList->findItems(caption, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void selectItem(TMainForm& form, const QString& caption)
{
    form.ui().MainList->setCurrentItem(listItem(form, caption));
}

QAction* moveItem(TMainForm& form)
{
    const QList<QAction*> actions = form.ui().MainListPopupMenu->actions();
    return !actions.isEmpty() && actions.last()->text() == QStringLiteral("资料转移到") ? actions.last() : nullptr;
}

int moveItemCount(TMainForm& form)
{
    int n = 0;
    for (const QAction* a : form.ui().MainListPopupMenu->actions())
        n += a->text().startsWith(QStringLiteral("资料转移到")) ? 1 : 0;
    return n;
}

// The submenu as "caption" for targets and "caption{a,b}" for categories with subcategories.
QStringList shape(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions()) {
        if (a->menu()) {
            QStringList subs;
            for (const QAction* s : a->menu()->actions())
                subs.append(s->text());
            out.append(a->text() + QLatin1Char('{') + subs.join(QLatin1Char(',')) + QLatin1Char('}'));
        } else {
            out.append(a->text());
        }
    }
    return out;
}

QAction* findTarget(QMenu* menu, const QStringList& captionPath)
{
    for (QAction* a : menu->actions()) {
        if (a->text() != captionPath.first())
            continue;
        if (captionPath.size() == 1)
            return a;
        return a->menu() ? findTarget(a->menu(), captionPath.mid(1)) : nullptr;
    }
    return nullptr;
}

QString place(const TestDataDir& dir, const QString& table, qint64 id)
{
    return dir.column(QStringLiteral("select bigclassname || '/' || classname from %1 where id=?").arg(table), {id})
        .value(0);
}

int rowCount(const TestDataDir& dir, const QString& table)
{
    return dir.column(QStringLiteral("select count(*) from %1").arg(table)).value(0).toInt();
}

}  // namespace

class TestMaterialCommands final : public QObject {
    Q_OBJECT

private slots:
    void addRefusals_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("add, nothing selected")
            << "add" << QStringList() << "message" << QStringLiteral("你还没有在左边的分类树中选择一个分类！");
        QTest::newRow("add, kind root") << "add" << QStringList {QStringLiteral("文字资料")} << "box"
                                        << QStringLiteral("不能直接在跟目录下添加资料，请选择一个分类!");
        QTest::newRow("add, search results") << "add" << QStringList {QStringLiteral("搜索结果")} << "box"
                                             << QStringLiteral("不能直接在跟目录下添加资料，请选择一个分类!");
        QTest::newRow("list add, nothing selected")
            << "listadd" << QStringList() << "message" << QStringLiteral("你还没有在左边的树中选择一个分类！");
        QTest::newRow("list add, kind root") << "listadd" << QStringList {QStringLiteral("实例资料")} << "message"
                                             << QStringLiteral("请在左边的树中选择一个具体的分类再添加！");
        QTest::newRow("move hint") << "hint" << QStringList() << "message"
                                   << QStringLiteral("要使用该功能，直接在选中的资料上单击右键。");
    }

    void addRefusals()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, selection);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        TestDataDir dir(kTree);
        CommandApp app(dir);
        ScriptedPrompts prompts;
        ModalDriver driver(nullptr);
        treenodes::select(app->ui().MainTreeView, selection.isEmpty() ? nullptr : findNode(app.form(), selection));

        if (command == QLatin1String("add"))
            app->AddFileToItem();
        else if (command == QLatin1String("listadd"))
            app->N14Click();
        else
            app->N31Click();

        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.at(0).kind, kind);
        QCOMPARE(prompts.shown.at(0).text, text);
        if (kind == QLatin1String("box")) {
            QCOMPARE(prompts.shown.at(0).caption, QStringLiteral("Quillstash"));
            QCOMPARE(prompts.shown.at(0).icon, Prompts::Icon::Information);
        }
        QVERIFY(driver.captions.isEmpty());
    }

    void addOpensTheDialogOfTheKind_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("dialogClass");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("placeStored");
        QTest::newRow("subcategory") << "add" << kSort << "添加资料在:->文字资料->算法->排序"
                                     << "TAddFileForm"
                                     << "textfile"
                                     << "算法/排序";
        QTest::newRow("category") << "add" << QStringList {QStringLiteral("文字资料"), QStringLiteral("网络")}
                                  << "添加资料在:->文字资料->网络->"
                                  << "TAddFileForm"
                                  << "textfile"
                                  << "网络/";
        QTest::newRow("example category") << "add" << kTools << "添加资料在:->实例资料->工具->"
                                          << "TAddFileExeFrm"
                                          << "exefile"
                                          << "工具/";
        QTest::newRow("from the list menu") << "listadd" << kTools << "添加资料在:->实例资料->工具->"
                                            << "TAddFileExeFrm"
                                            << "exefile"
                                            << "工具/";
    }

    void addOpensTheDialogOfTheKind()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, selection);
        QFETCH(QString, caption);
        QFETCH(QString, dialogClass);
        QFETCH(QString, table);
        QFETCH(QString, placeStored);
        TestDataDir dir(kTree);
        CommandApp app(dir);
        ScriptedPrompts prompts;
        clickNode(app.form(), selection);
        // Two materials in one opening: the dialog stays open after each.
        ModalDriver driver([](TAddFileForm* dialog) {
            for (const QString& title : {QStringLiteral("first"), QStringLiteral("second")}) {
                dialog->title->setText(title);
                dialog->MainText->setPlainText(QStringLiteral("body"));
                if (auto* exe = qobject_cast<TAddFileExeFrm*>(dialog))
                    exe->PathEdit->setText(QStringLiteral("/bin/ls"));
                dialog->AddBtnClick();
            }
        });

        if (command == QLatin1String("add"))
            app->AddFileToItem();
        else
            app->N14Click();

        QCOMPARE(driver.captions, QStringList {caption});
        QCOMPARE(driver.classes, QStringList {dialogClass});
        QCOMPARE(prompts.texts(),
            (QStringList {QStringLiteral("添加成功！你可以继续操作！"), QStringLiteral("添加成功！你可以继续操作！")}));
        QCOMPARE(dir.column(QStringLiteral("select bigclassname || '/' || classname from %1").arg(table)),
            (QStringList {placeStored, placeStored}));
        // The list was refreshed and shows both.
        QVERIFY(listItem(app.form(), QStringLiteral("first")));
        QVERIFY(listItem(app.form(), QStringLiteral("second")));
    }

    void listRefusals_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        const QStringList algorithms {QStringLiteral("文字资料"), QStringLiteral("算法")};
        QTest::newRow("delete, search results") << "delete" << QStringList {QStringLiteral("搜索结果")} << ""
                                                << "搜索结果中不能删除";
        QTest::newRow("delete, no list item") << "delete" << kSort << ""
                                              << "请先选中一个资料";
        QTest::newRow("delete, folder item") << "delete" << algorithms << "排序"
                                             << "你选择的是一个分类，要删除分类请在左边的树结构上操作！";
        QTest::newRow("edit, no list item") << "edit" << kSort << ""
                                            << "请先选中一个资料";
        QTest::newRow("edit, folder item") << "edit" << algorithms << "排序"
                                           << "你选择的是一个分类，要修改分类名请在左边的树结构上操作！";
    }

    void listRefusals()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, selection);
        QFETCH(QString, item);
        QFETCH(QString, text);
        TestDataDir dir(kTree);
        dir.addText(QStringLiteral("m"), QStringLiteral("算法"), QStringLiteral("排序"));
        CommandApp app(dir);
        ScriptedPrompts prompts;
        prompts.answers.enqueue(true);
        ModalDriver driver(nullptr);
        clickNode(app.form(), selection);
        if (!item.isEmpty())
            selectItem(app.form(), item);
        else
            app->ui().MainList->clearSelection();

        if (command == QLatin1String("delete"))
            app->DelFile();
        else
            app->ReFile();

        QCOMPARE(prompts.texts(), QStringList {text});
        QCOMPARE(prompts.shown.at(0).kind, QStringLiteral("message"));
        QCOMPARE(rowCount(dir, QStringLiteral("textfile")), 1);
        QVERIFY(driver.captions.isEmpty());
    }

    void deleteAsksAndRefreshes()
    {
        TestDataDir dir(kTree);
        const qint64 keep = dir.addText(QStringLiteral("keep"), QStringLiteral("算法"), QStringLiteral("排序"));
        dir.addText(QStringLiteral("gone"), QStringLiteral("算法"), QStringLiteral("排序"));
        CommandApp app(dir);
        ScriptedPrompts prompts;
        clickNode(app.form(), kSort);
        selectItem(app.form(), QStringLiteral("gone"));

        prompts.answers.enqueue(false);
        app->DelFile();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.at(0).kind, QStringLiteral("ask"));
        QCOMPARE(prompts.shown.at(0).text, QStringLiteral("将删除该资料，是否继续？"));
        QCOMPARE(prompts.shown.at(0).caption, QStringLiteral("Quillstash"));
        QCOMPARE(rowCount(dir, QStringLiteral("textfile")), 2);

        prompts.answers.enqueue(true);
        app->DelFile();
        QCOMPARE(dir.column(QStringLiteral("select id from textfile")), QStringList {QString::number(keep)});
        QVERIFY(!listItem(app.form(), QStringLiteral("gone")));
        QVERIFY(listItem(app.form(), QStringLiteral("keep")));
    }

    // The list may still show the materials of one kind while the tree selection moved to the
    // other kind (expanding selects a node without listing it): the item decides the table.
    void deleteUsesTheItemsKind()
    {
        TestDataDir dir(kTree);
        const qint64 textId = dir.addText(QStringLiteral("text"), QStringLiteral("算法"), QStringLiteral("排序"));
        const qint64 exeId
            = dir.addExe(QStringLiteral("exe"), QStringLiteral("工具"), QString(), QStringLiteral("/bin/ls"));
        QCOMPARE(textId, exeId);  // the same id in both tables
        CommandApp app(dir);
        ScriptedPrompts prompts;
        prompts.answers.enqueue(true);
        clickNode(app.form(), kSort);
        selectItem(app.form(), QStringLiteral("text"));
        treenodes::select(app->ui().MainTreeView, findNode(app.form(), kTools));

        app->DelFile();

        QCOMPARE(rowCount(dir, QStringLiteral("textfile")), 0);
        QCOMPARE(rowCount(dir, QStringLiteral("exefile")), 1);
    }

    void editOpensFilledDialog_data()
    {
        QTest::addColumn<bool>("example");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("text, confirmed") << false << true;
        QTest::newRow("text, cancelled") << false << false;
        QTest::newRow("example, confirmed") << true << true;
    }

    void editOpensFilledDialog()
    {
        QFETCH(bool, example);
        QFETCH(bool, confirm);
        TestDataDir dir(kTree);
        const QString created = QStringLiteral("2018-01-02 03:04:05");
        const qint64 id = example ? dir.addExe(QStringLiteral("it+(DYH)+s"), QStringLiteral("工具"), QString(),
                              QStringLiteral("/bin/ls"), QString(), QString(), created)
                                  : dir.addText(QStringLiteral("it+(DYH)+s"), QStringLiteral("算法"),
                                      QStringLiteral("排序"), QStringLiteral("body"), QString(), created);
        CommandApp app(dir);
        ScriptedPrompts prompts;
        clickNode(app.form(), example ? kTools : kSort);
        selectItem(app.form(), QStringLiteral("it's"));
        QString statusDuringDialog;
        QString titleShown;
        ModalDriver driver([&](TAddFileForm* dialog) {
            statusDuringDialog = app->ui().MainStatus->currentMessage();
            titleShown = dialog->title->text();
            if (confirm) {
                dialog->title->setText(QStringLiteral("renamed"));
                dialog->AddBtnClick();
            }
        });

        app->ReFile();

        const QString kindWord = example ? QStringLiteral("实例资料") : QStringLiteral("文字资料");
        const QString placeText = example ? QStringLiteral("工具->") : QStringLiteral("算法->排序");
        QCOMPARE(driver.captions,
            QStringList {QStringLiteral("修改资料在:->") + kindWord + QStringLiteral("->") + placeText
                + QStringLiteral("->it's")});
        QCOMPARE(statusDuringDialog, QStringLiteral("数据库读取完成！"));
        QCOMPARE(titleShown, QStringLiteral("it's"));
        QCOMPARE(app->ui().MainStatus->currentMessage(), QStringLiteral("操作成功！"));
        const QString table = example ? QStringLiteral("exefile") : QStringLiteral("textfile");
        const QStringList stored
            = dir.column(QStringLiteral("select title || '|' || createtime from %1 where id=?").arg(table), {id});
        QCOMPARE(
            stored, QStringList {(confirm ? QStringLiteral("renamed|") : QStringLiteral("it+(DYH)+s|")) + created});
        QVERIFY(listItem(app.form(), confirm ? QStringLiteral("renamed") : QStringLiteral("it's")));
    }

    // A material that can no longer be read is not offered for editing: an empty dialog would
    // overwrite it with nothing.
    void editOfUnreadableMaterial()
    {
        TestDataDir dir(kTree);
        const qint64 id
            = dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("b"));
        CommandApp app(dir);
        ScriptedPrompts prompts;
        ModalDriver driver(nullptr);
        clickNode(app.form(), kSort);
        selectItem(app.form(), QStringLiteral("t"));
        QVERIFY(dir.exec(QStringLiteral("delete from textfile where id=?"), {id}));

        app->ReFile();

        QVERIFY(driver.captions.isEmpty());
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.lastText().startsWith(QStringLiteral("数据库操作失败！ 原因：")));
        QCOMPARE(app->ui().MainStatus->currentMessage(), prompts.lastText());
    }

    void moveSubmenuShape()
    {
        TestDataDir dir(kTree);
        dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QStringLiteral("排序"));
        dir.addExe(QStringLiteral("e"), QStringLiteral("工具"), QString(), QStringLiteral("/bin/ls"));
        CommandApp app(dir);
        const int baseItems = app->ui().MainListPopupMenu->actions().size();

        clickNode(app.form(), kSort);
        selectItem(app.form(), QStringLiteral("t"));
        app->TurnFilePopMenu();
        app->TurnFilePopMenu();  // a second opening rebuilds, it does not add
        QCOMPARE(moveItemCount(app.form()), 1);
        QCOMPARE(app->ui().MainListPopupMenu->actions().size(), baseItems + 1);
        QVERIFY(moveItem(app.form())->menu());
        QCOMPARE(shape(moveItem(app.form())->menu()),
            (QStringList {QStringLiteral("算法{排序,查找}"), QStringLiteral("网络")}));

        clickNode(app.form(), kTools);
        selectItem(app.form(), QStringLiteral("e"));
        app->TurnFilePopMenu();
        QCOMPARE(moveItemCount(app.form()), 1);
        QCOMPARE(shape(moveItem(app.form())->menu()), QStringList {QStringLiteral("工具")});

        // Opening for a folder item removes the move item.
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        selectItem(app.form(), QStringLiteral("排序"));
        app->TurnFilePopMenu();
        QCOMPARE(moveItemCount(app.form()), 0);
        QCOMPARE(app->ui().MainListPopupMenu->actions().size(), baseItems);

        // The menu's own opening builds it.
        clickNode(app.form(), kSort);
        selectItem(app.form(), QStringLiteral("t"));
        app->ui().MainListPopupMenu->popup(QPoint(0, 0));
        QTRY_VERIFY(app->ui().MainListPopupMenu->isVisible());
        app->ui().MainListPopupMenu->close();
        QCOMPARE(moveItemCount(app.form()), 1);
    }

    void moveRunsTheStatement_data()
    {
        QTest::addColumn<QStringList>("target");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("stillListed");
        QTest::newRow("subcategory") << QStringList {QStringLiteral("算法"), QStringLiteral("查找")} << "算法/查找"
                                     << false;
        QTest::newRow("category without subcategories") << QStringList {QStringLiteral("网络")} << "网络/" << false;
        QTest::newRow("its own place") << QStringList {QStringLiteral("算法"), QStringLiteral("排序")} << "算法/排序"
                                       << true;
        QTest::newRow("ampersand and apostrophe") << QStringList {QStringLiteral("R&&D's")} << "R&D's/" << false;
    }

    void moveRunsTheStatement()
    {
        QFETCH(QStringList, target);
        QFETCH(QString, stored);
        QFETCH(bool, stillListed);
        QStringList tree = kTree;
        tree.insert(5, QStringLiteral("+R&D's1"));
        TestDataDir dir(tree);
        const qint64 id = dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QStringLiteral("排序"));
        const qint64 other
            = dir.addExe(QStringLiteral("e"), QStringLiteral("工具"), QString(), QStringLiteral("/bin/ls"));
        CommandApp app(dir);
        clickNode(app.form(), kSort);
        selectItem(app.form(), QStringLiteral("t"));
        app->TurnFilePopMenu();
        QAction* action = findTarget(moveItem(app.form())->menu(), target);
        QVERIFY(action);

        action->trigger();

        QCOMPARE(place(dir, QStringLiteral("textfile"), id), stored);
        QCOMPARE(place(dir, QStringLiteral("exefile"), other), QStringLiteral("工具/"));
        QCOMPARE(bool(listItem(app.form(), QStringLiteral("t"))), stillListed);
        QCOMPARE(app->ui().MainStatus->currentMessage(), QStringLiteral("数据库操作成功！"));
    }

    // A statement the database refuses changes nothing and stays on the status bar, although
    // the list is listed again afterwards.
    void refusedStatementIsReported_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("move") << "move";
        QTest::newRow("delete") << "delete";
    }

    void refusedStatementIsReported()
    {
        QFETCH(QString, command);
        TestDataDir dir(kTree);
        const qint64 id = dir.addText(QStringLiteral("t"), QStringLiteral("算法"), QStringLiteral("排序"));
        QVERIFY(dir.exec(QStringLiteral("create trigger lockup before update on textfile "
                                        "begin select raise(abort, 'locked by test'); end")));
        QVERIFY(dir.exec(QStringLiteral("create trigger lockdel before delete on textfile "
                                        "begin select raise(abort, 'locked by test'); end")));
        CommandApp app(dir);
        ScriptedPrompts prompts;
        prompts.answers.enqueue(true);
        clickNode(app.form(), kSort);
        selectItem(app.form(), QStringLiteral("t"));

        if (command == QLatin1String("move")) {
            app->TurnFilePopMenu();
            QAction* toNet = findTarget(moveItem(app.form())->menu(), {QStringLiteral("网络")});
            QVERIFY(toNet);
            toNet->trigger();
        } else {
            app->DelFile();
        }

        QCOMPARE(place(dir, QStringLiteral("textfile"), id), QStringLiteral("算法/排序"));
        QVERIFY(listItem(app.form(), QStringLiteral("t")));
        const QString status = app->ui().MainStatus->currentMessage();
        QVERIFY2(status.contains(QStringLiteral("locked by test")), qPrintable(status));
        QVERIFY(status.endsWith(QStringLiteral("   严重错误，请重新安装程序")));
        QCOMPARE(app->ui().MainProgressBar->value(), 0);
    }
};

QS_TEST_CLASS(TestMaterialCommands)
#include "test_material_commands.moc"
