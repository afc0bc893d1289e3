// The drop filing dialogs: title proposal, category lists from the tree, storing, refilling; over the
// rig's tree and data module, and once through the main window's floating window.
#include "Rig.h"
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"
#include "TrayRig.h"
#include "desktop/TAcceptTextForm.h"
#include "desktop/TDragForm.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <memory>

namespace {
const QStringList kTree {QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("++排序2"),
    QStringLiteral("++查找2"), QStringLiteral("+网络1"), QStringLiteral("实例资料0"), QStringLiteral("+工具1"),
    QStringLiteral("搜索结果0")};

// Runs what is queued, deferred deletions included.
void drainEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList items(const QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out.append(combo->itemText(i));
    return out;
}

// The floating window over tree, shown as the tray shows it.
std::unique_ptr<TDragForm> floatingWindow(const TCategoryTree& tree)
{
    auto floating = std::make_unique<TDragForm>(&tree);
    floating->show();
    return floating;
}
}  // namespace

class TitleProposalTest final : public QObject {
    Q_OBJECT
private slots:
    void proposal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("a to p") << QStringLiteral("abcdefghijklmnop") << QStringLiteral("abcdefghij");
        // A title is one line: it stops at the first line break.
        QTest::newRow("short first line") << QStringLiteral("ab\r\ncdefghijkl") << QStringLiteral("ab");
        QTest::newRow("lone line feed") << QStringLiteral("a\nb") << QStringLiteral("a");
        QTest::newRow("starts with a break") << QStringLiteral("\r\nabc") << QString();
        QTest::newRow("five Chinese characters") << QStringLiteral("中文字符测试内容") << QStringLiteral("中文字符测");
        QTest::newRow("never half a character") << QStringLiteral("a中文字符测试") << QStringLiteral("a中文字符");
        QTest::newRow("short text") << QStringLiteral("abc") << QStringLiteral("abc");
        QTest::newRow("empty") << QString() << QString();
    }

    void proposal()
    {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QCOMPARE(TAcceptTextForm::proposeTitle(text), title);
        TAcceptTextForm dialog(text, nullptr);
        QCOMPARE(dialog.NameEdit->text(), title);
    }
};

class FilingDialogTest final : public QObject {
    Q_OBJECT
private slots:
    void textDialogLists()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        TAcceptTextForm dialog(QStringLiteral("body"), &rig.tree);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("添加文字资料"));
        QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(items(dialog.BigClassCombo), (QStringList {QStringLiteral("算法"), QStringLiteral("网络")}));
        QCOMPARE(items(dialog.SmallClassCombo),
            (QStringList {QStringLiteral("根目录"), QStringLiteral("排序"), QStringLiteral("查找")}));
        QCOMPARE(dialog.BigClassCombo->currentIndex(), 0);
        QCOMPARE(dialog.SmallClassCombo->currentIndex(), 0);

        dialog.BigClassCombo->setCurrentIndex(1);
        QCOMPARE(items(dialog.SmallClassCombo), QStringList {QStringLiteral("根目录")});
        dialog.BigClassCombo->setCurrentIndex(0);
        QCOMPARE(items(dialog.SmallClassCombo).size(), 3);
        QCOMPARE(dialog.SmallClassCombo->currentIndex(), 0);
    }

    void exampleDialogLists()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        TAcceptExeForm dialog(QStringLiteral("/opt/tool"), &rig.tree);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("添加实例资料"));
        QCOMPARE(dialog.PathEdit->text(), QStringLiteral("/opt/tool"));
        QVERIFY(dialog.NameEdit->text().isEmpty());
        QCOMPARE(items(dialog.BigClassCombo), QStringList {QStringLiteral("工具")});
        QCOMPARE(items(dialog.SmallClassCombo), QStringList {QStringLiteral("根目录")});
    }

    void oddTrees_data()
    {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("textCategories");
        QTest::addColumn<QStringList>("textSubcategories");
        QTest::addColumn<QStringList>("exampleCategories");
        QTest::addColumn<QStringList>("exampleSubcategories");
        QTest::newRow("no text categories")
            << QStringList {QStringLiteral("文字资料0"), QStringLiteral("实例资料0"), QStringLiteral("+工具1"),
                   QStringLiteral("++编辑器2"), QStringLiteral("搜索结果0")}
            << QStringList {} << QStringList {QStringLiteral("根目录")} << QStringList {QStringLiteral("工具")}
            << QStringList {QStringLiteral("根目录"), QStringLiteral("编辑器")};
        QTest::newRow("no example root") << QStringList {QStringLiteral("文字资料0"), QStringLiteral("+算法1"),
            QStringLiteral("++排序2"), QStringLiteral("搜索结果0")}
                                         << QStringList {QStringLiteral("算法")}
                                         << QStringList {QStringLiteral("根目录"), QStringLiteral("排序")}
                                         << QStringList {} << QStringList {QStringLiteral("根目录")};
        QTest::newRow("category named like a root")
            << QStringList {QStringLiteral("文字资料0"), QStringLiteral("+文字资料1"), QStringLiteral("+网络1"),
                   QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")}
            << QStringList {QStringLiteral("文字资料"), QStringLiteral("网络")}
            << QStringList {QStringLiteral("根目录")} << QStringList {} << QStringList {QStringLiteral("根目录")};
    }

    void oddTrees()
    {
        QFETCH(QStringList, tree);
        QFETCH(QStringList, textCategories);
        QFETCH(QStringList, textSubcategories);
        QFETCH(QStringList, exampleCategories);
        QFETCH(QStringList, exampleSubcategories);
        TestDataDir dir(tree);
        Rig rig(dir);
        TAcceptTextForm text(QStringLiteral("body"), &rig.tree);
        QCOMPARE(items(text.BigClassCombo), textCategories);
        QCOMPARE(items(text.SmallClassCombo), textSubcategories);
        TAcceptExeForm example(QStringLiteral("/bin/ls"), &rig.tree);
        QCOMPARE(items(example.BigClassCombo), exampleCategories);
        QCOMPARE(items(example.SmallClassCombo), exampleSubcategories);
    }

    void storesEscapedTextMaterial()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        ScriptedPrompts prompts;
        const auto floating = floatingWindow(rig.tree);
        floating->acceptText(QStringLiteral("it's 10:30\r\nsecond line\r\n"));
        QPointer<TAcceptTextForm> dialog = AcceptTextForm;
        QVERIFY(dialog);
        dialog->NameEdit->setText(QStringLiteral("it's: now"));
        dialog->AuthorEdit->setText(QStringLiteral("O'Brien"));
        dialog->BigClassCombo->setCurrentIndex(0);  // 算法
        dialog->SmallClassCombo->setCurrentIndex(0);  // 根目录
        dialog->OkBtnClick();

        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().text, QStringLiteral("添加成功！你可以继续操作！"));
        QCOMPARE(prompts.shown.first().caption, QStringLiteral("Quillstash"));
        QCOMPARE(prompts.shown.first().icon, Prompts::Icon::None);
        QCOMPARE(
            dir.column(QStringLiteral("select title from textfile")), QStringList {QStringLiteral("it+(DYH)+s: now")});
        QCOMPARE(dir.column(QStringLiteral("select main from textfile")),
            QStringList {QStringLiteral("it+(DYH)+s 10+(MH)+30\r\nsecond line\r\n")});
        QCOMPARE(dir.column(QStringLiteral("select writer from textfile")), QStringList {QStringLiteral("O'Brien")});
        QCOMPARE(dir.column(QStringLiteral("select bigclassname from textfile")), QStringList {QStringLiteral("算法")});
        QCOMPARE(dir.column(QStringLiteral("select classname from textfile")), QStringList {QString()});
        QTRY_VERIFY(!dialog);
        QVERIFY(!AcceptTextForm);
    }

    void storesExampleMaterial()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        ScriptedPrompts prompts;
        const auto floating = floatingWindow(rig.tree);
        floating->acceptPath(QStringLiteral("/opt/my tools/gdb"));
        QPointer<TAcceptExeForm> dialog = AcceptExeForm;
        QVERIFY(dialog);
        dialog->NameEdit->setText(QStringLiteral("GDB"));
        dialog->MainMemo->setPlainText(QStringLiteral("debugger: it's fine"));
        dialog->OkBtnClick();
        QCOMPARE(prompts.lastText(), QStringLiteral("添加成功！你可以继续操作！"));
        QCOMPARE(
            dir.column(QStringLiteral("select fpath from exefile")), QStringList {QStringLiteral("/opt/my tools/gdb")});
        QCOMPARE(dir.column(QStringLiteral("select about from exefile")),
            QStringList {QStringLiteral("debugger+(MH)+ it+(DYH)+s fine\r\n")});
        QCOMPARE(dir.column(QStringLiteral("select bigclassname from exefile")), QStringList {QStringLiteral("工具")});
        QCOMPARE(dir.column(QStringLiteral("select classname from exefile")), QStringList {QString()});
        QTRY_VERIFY(!dialog);
        QVERIFY(!AcceptExeForm);
    }

    void subcategoryIsStored()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        ScriptedPrompts prompts;
        TAcceptTextForm* dialog = new TAcceptTextForm(QStringLiteral("quick sort"), &rig.tree);
        QPointer<TAcceptTextForm> guard = dialog;
        dialog->SmallClassCombo->setCurrentIndex(1);  // 排序
        dialog->OkBtnClick();
        QCOMPARE(dir.column(QStringLiteral("select classname from textfile")), QStringList {QStringLiteral("排序")});
        QTRY_VERIFY(!guard);
    }

    void incompleteInputIsRefused_data()
    {
        QTest::addColumn<bool>("example");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("content");
        QTest::newRow("text without title") << false << QString() << QStringLiteral("body");
        QTest::newRow("text without body") << false << QStringLiteral("title") << QString();
        QTest::newRow("example without title") << true << QString() << QStringLiteral("/bin/ls");
        QTest::newRow("example without path") << true << QStringLiteral("title") << QString();
    }

    void incompleteInputIsRefused()
    {
        QFETCH(bool, example);
        QFETCH(QString, title);
        QFETCH(QString, content);
        TestDataDir dir(kTree);
        Rig rig(dir);
        ScriptedPrompts prompts;
        std::unique_ptr<TAcceptTextForm> dialog(
            example ? new TAcceptExeForm(content, &rig.tree) : new TAcceptTextForm(content, &rig.tree));
        dialog->NameEdit->setText(title);
        dialog->show();
        dialog->OkBtnClick();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().text, QStringLiteral("内容不完整，请填写完整"));
        QCOMPARE(prompts.shown.first().icon, Prompts::Icon::Warning);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isClosing());
        QVERIFY(dir.column(QStringLiteral("select id from textfile union all select id from exefile")).isEmpty());
    }

    void failedStoreKeepsTheInput()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        ScriptedPrompts prompts;
        const auto floating = floatingWindow(rig.tree);
        floating->acceptText(QStringLiteral("it's 10:30"));
        QPointer<TAcceptTextForm> dialog = AcceptTextForm;
        dialog->NameEdit->setText(QStringLiteral("it's"));
        dialog->AuthorEdit->setText(QStringLiteral("me"));
        QVERIFY(QFile::remove(dir.file(QStringLiteral("Data.QSD"))));
        dialog->OkBtnClick();
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY2(
            prompts.lastText().startsWith(QStringLiteral("数据库操作失败！ 原因：")), qPrintable(prompts.lastText()));
        QCOMPARE(prompts.shown.first().icon, Prompts::Icon::None);
        drainEvents();
        QVERIFY(dialog);
        QCOMPARE(AcceptTextForm, dialog.data());
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isClosing());
        QCOMPARE(dialog->NameEdit->text(), QStringLiteral("it's"));
        QCOMPARE(dialog->AuthorEdit->text(), QStringLiteral("me"));
        QCOMPARE(dialog->MainMemo->toPlainText(), QStringLiteral("it's 10:30"));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("Data.QSD"))));  // the store made no new database
    }

    void unwieldyTextIsStoredWhole()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        ScriptedPrompts prompts;
        const QString longLine(TAcceptTextForm::kMaxEditableLine + 1, QLatin1Char(':'));
        auto* dialog = new TAcceptTextForm(QStringLiteral("head\r\n") + longLine, &rig.tree);
        QPointer<TAcceptTextForm> guard = dialog;
        QVERIFY(dialog->bodyHeld());
        QVERIFY(dialog->MainMemo->isReadOnly());
        QVERIFY(dialog->MainMemo->toPlainText().size() < longLine.size());
        QCOMPARE(dialog->NameEdit->text(), QStringLiteral("head"));
        dialog->OkBtnClick();
        QCOMPARE(prompts.lastText(), QStringLiteral("添加成功！你可以继续操作！"));
        const QStringList stored = dir.column(QStringLiteral("select main from textfile"));
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().size(), 4 + 2 + longLine.size() * 6 + 2);  // every colon escaped, CR LF after each line
        QVERIFY(stored.first().startsWith(QStringLiteral("head\r\n+(MH)++(MH)+")));
        QTRY_VERIFY(!guard);

        // A refill with ordinary text makes the body editable again.
        TAcceptTextForm other(longLine, &rig.tree);
        QVERIFY(other.bodyHeld());
        other.WMAcceptData(QStringLiteral("short"));
        QVERIFY(!other.bodyHeld());
        QVERIFY(!other.MainMemo->isReadOnly());
        QCOMPARE(other.body(), QStringLiteral("short"));
    }

    void refillKeepsTitleAuthorAndCategory()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        const auto floating = floatingWindow(rig.tree);
        floating->acceptText(QStringLiteral("first body"));
        QPointer<TAcceptTextForm> dialog = AcceptTextForm;
        dialog->NameEdit->setText(QStringLiteral("my title"));
        dialog->AuthorEdit->setText(QStringLiteral("me"));
        dialog->BigClassCombo->setCurrentIndex(1);  // 网络

        // Closing by the caption's close button only hides the dialog.
        dialog->close();
        QVERIFY(!dialog->isVisible());
        drainEvents();
        QCOMPARE(AcceptTextForm, dialog.data());

        floating->acceptText(QStringLiteral("second body"));
        QCOMPARE(AcceptTextForm, dialog.data());
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->MainMemo->toPlainText(), QStringLiteral("second body"));
        QCOMPARE(dialog->NameEdit->text(), QStringLiteral("my title"));
        QCOMPARE(dialog->AuthorEdit->text(), QStringLiteral("me"));
        QCOMPARE(dialog->BigClassCombo->currentText(), QStringLiteral("网络"));

        floating->acceptPath(QStringLiteral("/bin/ls"));
        QPointer<TAcceptExeForm> example = AcceptExeForm;
        example->NameEdit->setText(QStringLiteral("ls"));
        example->close();
        floating->acceptPath(QStringLiteral("/bin/cat"));
        QCOMPARE(AcceptExeForm, example.data());
        QVERIFY(example->isVisible());
        QCOMPARE(example->PathEdit->text(), QStringLiteral("/bin/cat"));
        QCOMPARE(example->NameEdit->text(), QStringLiteral("ls"));
        QCOMPARE(AcceptTextForm, dialog.data());  // both kinds side by side
    }

    void cancelDestroysAndNextDropOpensAFreshDialog()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        const auto floating = floatingWindow(rig.tree);
        floating->acceptText(QStringLiteral("first"));
        QPointer<TAcceptTextForm> first = AcceptTextForm;
        first->NameEdit->setText(QStringLiteral("kept?"));
        first->CancelBtnClick();
        QVERIFY(!first->isVisible());
        // A drop before the dialog is gone already gets a fresh one.
        floating->acceptText(QStringLiteral("second"));
        QPointer<TAcceptTextForm> second = AcceptTextForm;
        QVERIFY(second);
        QVERIFY(second != first);
        QCOMPARE(second->NameEdit->text(), QStringLiteral("second"));
        QTRY_VERIFY(!first);
        QCOMPARE(AcceptTextForm, second.data());
    }

    void shutdownTakesTheDialogsAlong()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        TrayRig desk(&rig.tree);
        desk.tray.ShowDragForm();
        DragForm->acceptText(QStringLiteral("text"));
        DragForm->acceptPath(QStringLiteral("/bin/ls"));
        QPointer<TAcceptTextForm> text = AcceptTextForm;
        QPointer<TAcceptExeForm> example = AcceptExeForm;
        QCOMPARE(items(text->BigClassCombo), (QStringList {QStringLiteral("算法"), QStringLiteral("网络")}));
        desk.tray.destroyDragForm();
        QVERIFY(!DragForm);
        QVERIFY(!text);
        QVERIFY(!example);
        QVERIFY(!AcceptTextForm);
        QVERIFY(!AcceptExeForm);
    }

    // The main window's floating window offers the main window's tree, stores through its data
    // module, and its shutdown takes the open dialogs along.
    void mainWindowFloatingWindowFilesADrop()
    {
        TestDataDir dir(kTree);
        TestApp app(dir);
        ScriptedPrompts prompts;
        app->ShowDragForm();
        QVERIFY(DragForm);
        DragForm->acceptText(QStringLiteral("it's 10:30"));
        QPointer<TAcceptTextForm> dialog = AcceptTextForm;
        QVERIFY(dialog);
        QCOMPARE(items(dialog->BigClassCombo), (QStringList {QStringLiteral("算法"), QStringLiteral("网络")}));
        dialog->OkBtnClick();
        QCOMPARE(prompts.texts(), QStringList {QStringLiteral("添加成功！你可以继续操作！")});
        QCOMPARE(
            dir.column(QStringLiteral("select title from textfile")), QStringList {QStringLiteral("it+(DYH)+s 10:30")});
        QTRY_VERIFY(!dialog);

        DragForm->acceptPath(QStringLiteral("/bin/ls"));
        QPointer<TAcceptExeForm> example = AcceptExeForm;
        QVERIFY(example);
        QCOMPARE(items(example->BigClassCombo), QStringList {QStringLiteral("工具")});
        app->QuitProgram();
        QVERIFY(!DragForm);
        QVERIFY(!example);
        QVERIFY(!AcceptExeForm);
    }
};

QS_TEST_CLASS(TitleProposalTest)
QS_TEST_CLASS(FilingDialogTest)
#include "FilingDialogTests.moc"
