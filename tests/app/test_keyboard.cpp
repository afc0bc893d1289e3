// The keyboard in the main window and the reading areas: which command each key runs depends on the
// control that has the focus, and the reading areas keep Ctrl+F and F3 for finding in their text.
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"

#include "browse/FindBar.h"
#include "browse/ListItems.h"
#include "browse/TNewFrmViewer.h"
#include "common/BodyField.h"
#include "common/RunState.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace {
const QStringList kTree = {QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("++排序2"),
    QStringLiteral("+网络1"), QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")};

// Closes the next modal dialog as soon as it is up and tells which class it was and how it was shown;
// whileUp runs first, with the dialog up.
class DialogCatcher final {
public:
    explicit DialogCatcher(std::function<void(QWidget*)> whileUp = {}) : m_whileUp(std::move(whileUp))
    {
        QTimer::singleShot(0, [this] { catchOne(); });
    }
    QString caught;
    Qt::WindowModality modality = Qt::NonModal;
    Qt::WindowFlags flags;

private:
    void catchOne()
    {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            caught = QString::fromLatin1(modal->metaObject()->className());
            modality = modal->windowModality();
            flags = modal->windowFlags();
            if (m_whileUp)
                m_whileUp(modal);
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            return;
        }
        if (++m_tries < 200)
            QTimer::singleShot(5, [this] { catchOne(); });
    }
    std::function<void(QWidget*)> m_whileUp;
    int m_tries = 0;
};

// Keys reach window shortcuts only in the active window.
bool activate(QWidget* window)
{
    // Asked again while waiting: the floating window may show (and be activated by the test platform) meanwhile.
    return QTest::qWaitFor(
        [window] {
            window->activateWindow();
            return window->isActiveWindow();
        },
        2000);
}

QStringList promptKinds(const ScriptedPrompts& prompts)
{
    QStringList out;
    for (const ShownPrompt& p : prompts.shown)
        out.append(p.kind);
    return out;
}
}  // namespace

class KeyboardTest final : public QObject {
    Q_OBJECT
private slots:
    void textfindGoesRound_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("words");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<int>("expected");
        QTest::newRow("forwards") << "abc Abc abc"
                                  << "abc" << 1 << false << 4;
        QTest::newRow("at from") << "abc abc"
                                 << "abc" << 4 << false << 4;
        QTest::newRow("round the end") << "abc xyz"
                                       << "abc" << 5 << false << 0;
        QTest::newRow("backwards") << "abc abc abc"
                                   << "abc" << 8 << true << 4;
        QTest::newRow("backwards round the start") << "abc xyz abc"
                                                   << "abc" << 0 << true << 8;
        QTest::newRow("the hit under the cursor is not found again backwards") << "abc"
                                                                               << "abc" << 0 << true << 0;
        QTest::newRow("absent") << "abc"
                                << "x" << 0 << false << -1;
        QTest::newRow("empty words") << "abc"
                                     << "" << 0 << false << -1;
        QTest::newRow("from past the end") << "abc"
                                           << "c" << 99 << false << 2;
        QTest::newRow("Chinese") << "冒泡排序与快速排序"
                                 << "排序" << 3 << false << 7;
    }
    void textfindGoesRound()
    {
        QFETCH(QString, text);
        QFETCH(QString, words);
        QFETCH(int, from);
        QFETCH(bool, backward);
        QFETCH(int, expected);
        QCOMPARE(int(textfind::next(text, words, from, backward)), expected);
    }

    // The find bar takes Ctrl+F, F3 and Escape from a window that holds them for other commands.
    void findBarKeepsItsKeys()
    {
        QMainWindow window;
        auto* editor = new QPlainTextEdit;
        editor->setReadOnly(true);
        editor->setPlainText(QStringLiteral("first line\nvector<int> v;\nmore vector here\n"));
        auto* host = new QWidget;
        auto* layout = new QVBoxLayout(host);
        layout->addWidget(editor);
        auto* bar = new FindBar(editor, host);
        layout->addWidget(bar);
        window.setCentralWidget(host);
        int windowFinds = 0, windowEscapes = 0;
        auto* find = window.addAction(QStringLiteral("find"));
        find->setShortcut(QKeySequence::Find);
        QObject::connect(find, &QAction::triggered, [&] { ++windowFinds; });
        auto* escape = window.addAction(QStringLiteral("escape"));
        escape->setShortcut(QKeySequence(Qt::Key_Escape));
        QObject::connect(escape, &QAction::triggered, [&] { ++windowEscapes; });
        window.show();
        QVERIFY(activate(&window));
        editor->setFocus();

        // Selected words on one line become the words to find.
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(11);
        cursor.setPosition(17, QTextCursor::KeepAnchor);  // "vector"
        editor->setTextCursor(cursor);
        QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(windowFinds, 0);
        QVERIFY(bar->isVisible());
        QVERIFY(bar->field()->hasFocus());
        QCOMPARE(bar->field()->text(), QStringLiteral("vector"));

        QTest::keyClick(bar->field(), Qt::Key_Return);
        QCOMPARE(editor->textCursor().selectionStart(), 31);  // the second one
        QTest::keyClick(bar->field(), Qt::Key_F3);
        QCOMPARE(editor->textCursor().selectionStart(), 11);  // round the end
        QTest::keyClick(bar->field(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(editor->textCursor().selectionStart(), 31);
        QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("vector"));

        bar->field()->setText(QStringLiteral("absent"));
        QVERIFY(!bar->findNext());
        QVERIFY(bar->notice()->text().contains(QStringLiteral("absent")));
        QCOMPARE(editor->textCursor().selectionStart(), 31);  // the last hit stays selected

        // Escape closes the bar, not the window's command; then it is the window's again.
        QTest::keyClick(bar->field(), Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QVERIFY(editor->hasFocus());
        QCOMPARE(windowEscapes, 0);
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(windowEscapes, 1);
        // F3 in the text finds again with the words kept; open words start from the top.
        bar->open(QStringLiteral("MORE"));
        QCOMPARE(editor->textCursor().selectionStart(), 26);
        editor->hide();
        QVERIFY(!bar->isVisible());
    }

    // End to end in the real window: Delete, F2 and Enter act on what has the focus; the search,
    // navigation and help keys reach their commands.
    void keysActOnTheFocusedControl()
    {
        TestDataDir dir(kTree);
        const qint64 id = dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"),
            QStringLiteral("void quicksort();"));
        ScriptedPrompts prompts;
        const int savedMode = ViewMode;
        ViewMode = 0;
        TestApp app(dir, true);
        MainData->useAbsolutePath();
        QVERIFY(activate(&app.form()));
        QTreeWidget* tree = app->ui().MainTreeView;
        QListWidget* list = app->ui().MainList;

        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法")});
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Delete);
        QTest::keyClick(tree, Qt::Key_F2);
        QCOMPARE(promptKinds(prompts), (QStringList {"ask", "input"}));  // delete the category? / its new name
        QCOMPARE(prompts.shown.at(1).initial, QStringLiteral("算法"));
        prompts.shown.clear();

        // Enter in the list opens the folder item, then reads the material in the reading pane.
        list->setFocus();
        list->setCurrentRow(0);  // 排序
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(listitems::id(list->item(0)), id);
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(app->ui().ThisFrmViewer->isVisible());
        QVERIFY(app->ui().ThisFrmViewer->toPlainText().contains(QStringLiteral("void quicksort();")));

        // Ctrl+F in the reading pane finds in the text; in the list it opens the search dialog.
        app->ui().ThisFrmViewer->setFocus();
        QTest::keyClick(app->ui().ThisFrmViewer, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(app->ui().ReaderFind->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        list->setCurrentRow(0);
        list->setFocus();
        {
            // Modal to the main window only, in a dialog frame; quitting meanwhile (the floating window's
            // menu still works) brings the dialog forward instead of ending the program.
            bool stillOpen = false;
            DialogCatcher catcher([&](QWidget* dialog) {
                app->QuitProgram();
                stillOpen = dialog->isVisible() && !app->isClosing();
            });
            QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
            QCOMPARE(catcher.caught, QStringLiteral("TSerchForm"));
            QCOMPARE(catcher.modality, Qt::WindowModal);
            QVERIFY(catcher.flags & Qt::WindowCloseButtonHint);
            QVERIFY(!(catcher.flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            QVERIFY(stillOpen);
        }
        // The test platform leaves no window active after a dialog.
        QVERIFY(activate(&app.form()));
        list->setFocus();
        {
            DialogCatcher catcher;
            QTest::keyClick(list, Qt::Key_F2);
            QCOMPARE(catcher.caught, QStringLiteral("TAddFileForm"));  // the edit dialog
        }
        QVERIFY(activate(&app.form()));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(promptKinds(prompts), QStringList {"ask"});  // delete the material?
        QCOMPARE(dir.column(QStringLiteral("SELECT count(*) FROM textfile")), QStringList {"1"});

        // Alt+Left goes back to the category, Alt+Right forward again, Alt+Up up.
        QTest::keyClick(list, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(treenodes::selected(tree)->text(0), QStringLiteral("算法"));
        QTest::keyClick(list, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(treenodes::selected(tree)->text(0), QStringLiteral("排序"));
        QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(treenodes::selected(tree)->text(0), QStringLiteral("算法"));
        ViewMode = savedMode;
    }

    // Code is typed into body fields: Tab is a tab there, Ctrl+Tab moves on and Ctrl+Shift+Tab back.
    void bodyFieldsTypeTabs()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* title = new QLineEdit;
        auto* body = new QPlainTextEdit;
        auto* button = new QPushButton(QStringLiteral("添加"));
        for (QWidget* w : {static_cast<QWidget*>(title), static_cast<QWidget*>(body), static_cast<QWidget*>(button)})
            layout->addWidget(w);
        bodyfield::setUp(body);
        window.show();
        QVERIFY(activate(&window));
        body->setFocus();
        QTest::keyClicks(body, QStringLiteral("if (x)"));
        QTest::keyClick(body, Qt::Key_Return);
        QTest::keyClick(body, Qt::Key_Tab);
        QTest::keyClicks(body, QStringLiteral("y();"));
        QCOMPARE(body->toPlainText(), QStringLiteral("if (x)\n\ty();"));
        QVERIFY(body->hasFocus());
        QVERIFY(QFontMetrics(body->font()).horizontalAdvance(QLatin1Char('i'))
            == QFontMetrics(body->font()).horizontalAdvance(QLatin1Char('W')));
        QTest::keyClick(body, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(button->hasFocus());
        body->setFocus();
        QTest::keyClick(body, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(title->hasFocus());
        QCOMPARE(body->toPlainText(), QStringLiteral("if (x)\n\ty();"));
    }

    // Escape closes a viewer window; Ctrl+F there finds in its text.
    void viewerWindowKeys()
    {
        TestDataDir dir(kTree);
        const qint64 id = dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QString(), QStringLiteral("abc"));
        ScriptedPrompts prompts;
        TestApp app(dir);
        MainData->useAbsolutePath();
        QPointer<TNewFrmViewer> viewer = new TNewFrmViewer(viewInNewWindowCaption(), id);
        QVERIFY(activate(viewer));
        viewer->Memo1->setFocus();
        QTest::keyClick(viewer->Memo1, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(viewer->Find->isVisible());
        QTest::keyClick(viewer->Find->field(), Qt::Key_Escape);  // closes the bar only
        QVERIFY(viewer && viewer->isVisible());
        QTest::keyClick(viewer->Memo1, Qt::Key_Escape);
        QTRY_VERIFY(viewer.isNull());
    }
};

QS_TEST_CLASS(KeyboardTest)
#include "test_keyboard.moc"
