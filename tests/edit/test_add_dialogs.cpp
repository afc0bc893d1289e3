// The add and edit dialogs of both kinds, driven directly: captions, required fields, what is
// stored, the creation time on an edit, and what stays in the dialog after a success or a failure.
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"

#include "edit/TAddFileExeFrm.h"
#include "edit/TAddFileForm.h"
#include "store/TFile.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kAdded = QStringLiteral("添加成功！你可以继续操作！");
const QString kTextRequired = QStringLiteral("有些内容是必须填写的，包括标题和正文，你可能没有填写！");
const QString kExeRequired = QStringLiteral("有些内容是必须填写的，包括标题和实例路径，你可能没有填写！");

struct DialogApp {
    explicit DialogApp(const TestDataDir& dir) : app(dir) { MainData->useAbsolutePath(); }
    TestApp app;
    TMainForm* form() { return &app.form(); }
};

// The given columns of one row joined by "|".
QString row(const TestDataDir& dir, const QString& table, const QString& columns, qint64 id)
{
    return dir.column(QStringLiteral("select %1 from %2 where id=?").arg(columns, table), {id}).value(0);
}
const QString kTextColumns = QStringLiteral("title||'|'||classname||'|'||bigclassname||'|'||writer||'|'||main");
const QString kExeColumns
    = QStringLiteral("title||'|'||classname||'|'||bigclassname||'|'||writer||'|'||about||'|'||fpath");

int count(const TestDataDir& dir, const QString& table)
{
    return dir.column(QStringLiteral("select count(*) from %1").arg(table)).value(0).toInt();
}

qint64 lastId(const TestDataDir& dir, const QString& table)
{
    return dir.column(QStringLiteral("select max(id) from %1").arg(table)).value(0).toLongLong();
}

void breakDatabase(const TestDataDir& dir) { QFile::remove(dir.file(QStringLiteral("Data.QSD"))); }

}  // namespace

class TestAddDialogs final : public QObject {
    Q_OBJECT

private slots:
    void captions()
    {
        TestDataDir dir;
        DialogApp app(dir);
        TFileText text;
        text.title = QStringLiteral("it's");
        TFileExe exe;
        exe.title = QStringLiteral("ls");

        TAddFileForm addText(app.form(), {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")});
        QCOMPARE(addText.windowTitle(), QStringLiteral("添加资料在:->文字资料->算法->排序"));
        QCOMPARE(addText.mode(), TAddFileForm::AddMode);
        TAddFileForm addDirect(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络"), QString()});
        QCOMPARE(addDirect.windowTitle(), QStringLiteral("添加资料在:->文字资料->网络->"));
        TAddFileExeFrm addExe(
            app.form(), {QStringLiteral("实例资料"), QStringLiteral("工具"), QStringLiteral("编辑器")});
        QCOMPARE(addExe.windowTitle(), QStringLiteral("添加资料在:->实例资料->工具->编辑器"));
        // The kind word of the list is not read: edits always carry "文字资料" there.
        const QStringList editPlace {
            QStringLiteral("文字资料"), QStringLiteral("算法"), QString(), QStringLiteral("it's"), QStringLiteral("7")};
        TAddFileForm editText(app.form(), text, editPlace);
        QCOMPARE(editText.windowTitle(), QStringLiteral("修改资料在:->文字资料->算法->->it's"));
        QCOMPARE(editText.mode(), TAddFileForm::EditMode);
        TAddFileExeFrm editExe(app.form(), exe, editPlace);
        QCOMPARE(editExe.windowTitle(), QStringLiteral("修改资料在:->实例资料->算法->->it's"));
        QCOMPARE(editExe.Label3->text(), QStringLiteral("实例简介："));
        QCOMPARE(addText.Label3->text(), QStringLiteral("正文："));
        QCOMPARE(addText.AddBtn->text(), QStringLiteral("添加"));
        QCOMPARE(editText.AddBtn->text(), QStringLiteral("添加"));
        QCOMPARE(addText.size(), QSize(475, 275));
        QCOMPARE(addExe.size(), QSize(475, 275));
        // Larger, the body takes the room; never smaller than it opens; code is set in a fixed-width font.
        for (TAddFileForm* dialog : {&addText, static_cast<TAddFileForm*>(&addExe)}) {
            QCOMPARE(dialog->minimumSize(), QSize(475, 275));
            dialog->show();
            const QSize body = dialog->MainText->size();
            dialog->resize(800, 600);
            QTRY_COMPARE(dialog->MainText->size(), body + QSize(325, 325));
            QVERIFY(dialog->MainText->font().fixedPitch());
            dialog->hide();
        }
    }

    void requiredFields_data()
    {
        QTest::addColumn<bool>("example");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");  // the body, or the path of an example
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored");  // body or path of the new row
        QTest::newRow("text, nothing") << false << ""
                                       << "" << kTextRequired << "";
        QTest::newRow("text, title only") << false << "t"
                                          << "" << kTextRequired << "";
        QTest::newRow("text, body only") << false << ""
                                         << "b" << kTextRequired << "";
        QTest::newRow("text, blank body") << false << "t"
                                          << " " << kAdded << " \r\n";
        QTest::newRow("text, line break body") << false << "t"
                                               << "\n"
                                               << kAdded << "\r\n";
        QTest::newRow("example, nothing") << true << ""
                                          << "" << kExeRequired << "";
        QTest::newRow("example, title only") << true << "t"
                                             << "" << kExeRequired << "";
        QTest::newRow("example, path only") << true << ""
                                            << "/bin/ls" << kExeRequired << "";
        QTest::newRow("example, no description") << true << "t"
                                                 << "/bin/ls" << kAdded << "/bin/ls";
    }

    void requiredFields()
    {
        QFETCH(bool, example);
        QFETCH(QString, title);
        QFETCH(QString, body);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        TestDataDir dir;
        DialogApp app(dir);
        ScriptedPrompts prompts;
        const QStringList place {QStringLiteral("x"), QStringLiteral("算法"), QString()};
        std::unique_ptr<TAddFileForm> dialog;
        if (example) {
            auto* exe = new TAddFileExeFrm(app.form(), place);
            exe->PathEdit->setText(body);
            dialog.reset(exe);
        } else {
            dialog = std::make_unique<TAddFileForm>(app.form(), place);
            dialog->MainText->setPlainText(body);
        }
        dialog->title->setText(title);
        dialog->show();

        dialog->AddBtnClick();

        QCOMPARE(prompts.texts(), QStringList {message});
        const QString table = example ? QStringLiteral("exefile") : QStringLiteral("textfile");
        QCOMPARE(dir.column(QStringLiteral("select %1 from %2").arg(example ? "fpath" : "main", table)),
            stored.isEmpty() ? QStringList() : QStringList {stored});
        QVERIFY(dialog->isVisible());
        // A refused store leaves the fields as typed.
        if (message != kAdded)
            QCOMPARE(dialog->title->text(), title);
    }

    void addStoresAndStaysOpen_data()
    {
        QTest::addColumn<bool>("example");
        QTest::addColumn<QString>("stored");
        QTest::newRow("text") << false << "it+(DYH)+s: 1|排序|算法|O'Brien|a+(MH)++(DYH)+b+(DYH)+\r\nsecond\r\n";
        QTest::newRow("example")
            << true << "it+(DYH)+s: 1|排序|算法|O'Brien|a+(MH)++(DYH)+b+(DYH)+\r\nsecond\r\n|/home/o'brien/a:b.sh";
    }

    void addStoresAndStaysOpen()
    {
        QFETCH(bool, example);
        QFETCH(QString, stored);
        TestDataDir dir;
        DialogApp app(dir);
        ScriptedPrompts prompts;
        const QStringList place {QString(), QStringLiteral("算法"), QStringLiteral("排序")};
        std::unique_ptr<TAddFileForm> dialog(
            example ? new TAddFileExeFrm(app.form(), place) : new TAddFileForm(app.form(), place));
        auto* exe = qobject_cast<TAddFileExeFrm*>(dialog.get());
        dialog->show();
        const QString caption = dialog->windowTitle();
        dialog->title->setText(QStringLiteral("it's: 1"));
        dialog->writer->setText(QStringLiteral("O'Brien"));
        dialog->MainText->setPlainText(QStringLiteral("a:'b'\nsecond"));
        if (exe)
            exe->PathEdit->setText(QStringLiteral("/home/o'brien/a:b.sh"));
        // While the outcome is shown the fields show what was typed, never the stored forms.
        QStringList whileShown;
        prompts.whileMessageShown = [&] {
            whileShown = {dialog->title->text(), dialog->MainText->toPlainText()};
        };

        dialog->AddBtnClick();

        QCOMPARE(prompts.texts(), QStringList {kAdded});
        QCOMPARE(whileShown, (QStringList {QStringLiteral("it's: 1"), QStringLiteral("a:'b'\nsecond")}));
        const QString table = example ? QStringLiteral("exefile") : QStringLiteral("textfile");
        QCOMPARE(row(dir, table, example ? kExeColumns : kTextColumns, lastId(dir, table)), stored);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), caption);
        QVERIFY(dialog->title->text().isEmpty());
        QVERIFY(dialog->writer->text().isEmpty());
        QVERIFY(dialog->MainText->toPlainText().isEmpty());
        if (exe)
            QVERIFY(exe->PathEdit->text().isEmpty());

        dialog->CancelBtnClick();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(count(dir, table), 1);
    }

    void editKeepsCreationTimeAndCloses_data()
    {
        QTest::addColumn<bool>("example");
        QTest::addColumn<QString>("body");  // as stored
        QTest::addColumn<QString>("shown");  // in the memo
        QTest::newRow("text") << false << "one\r\n+(MH)+two\r\n"
                              << "one\n:two\n";
        QTest::newRow("text, body of one line break") << false << "\r\n"
                                                      << "\n";
        QTest::newRow("example") << true << "one\r\n+(MH)+two\r\n"
                                 << "one\n:two\n";
    }

    void editKeepsCreationTimeAndCloses()
    {
        QFETCH(bool, example);
        QFETCH(QString, body);
        QFETCH(QString, shown);
        TestDataDir dir;
        const QString created = QStringLiteral("2019-05-06 07:08:09");
        const QString title = QStringLiteral("old+(DYH)+s");
        const qint64 id = example
            ? dir.addExe(title, QStringLiteral("工具"), QString(), QStringLiteral("/bin/ls"), body,
                QStringLiteral("me"), created)
            : dir.addText(title, QStringLiteral("算法"), QStringLiteral("排序"), body, QStringLiteral("me"), created);
        DialogApp app(dir);
        ScriptedPrompts prompts;
        TFileText text;
        TFileExe exe;
        TFile& record = example ? static_cast<TFile&>(exe) : text;
        record.LoadById(id);
        QCOMPARE(ResultMessage, QStringLiteral("操作成功！"));
        const QStringList place {QString(), record.bigclassname, record.classname, record.title, QString::number(id)};
        std::unique_ptr<TAddFileForm> dialog(
            example ? new TAddFileExeFrm(app.form(), exe, place) : new TAddFileForm(app.form(), text, place));
        dialog->show();
        QCOMPARE(dialog->title->text(), QStringLiteral("old's"));
        QCOMPARE(dialog->writer->text(), QStringLiteral("me"));
        QCOMPARE(dialog->MainText->toPlainText(), shown);
        if (example)
            QCOMPARE(static_cast<TAddFileExeFrm*>(dialog.get())->PathEdit->text(), QStringLiteral("/bin/ls"));

        dialog->title->setText(QStringLiteral("new's"));
        dialog->AddBtnClick();

        QCOMPARE(prompts.texts(), QStringList {QStringLiteral("操作成功！")});
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const QString table = example ? QStringLiteral("exefile") : QStringLiteral("textfile");
        const QString place2 = example ? QStringLiteral("|工具") : QStringLiteral("排序|算法");
        QCOMPARE(row(dir, table, QStringLiteral("title||'|'||classname||'|'||bigclassname||'|'||createtime"), id),
            QStringLiteral("new+(DYH)+s|") + place2 + QStringLiteral("|") + created);
        QCOMPARE(row(dir, table, example ? QStringLiteral("about") : QStringLiteral("main"), id), body);
    }

    void failedStoreKeepsInput_data()
    {
        QTest::addColumn<bool>("example");
        QTest::addColumn<bool>("edit");
        QTest::newRow("text, add") << false << false;
        QTest::newRow("text, edit") << false << true;
        QTest::newRow("example, add") << true << false;
        QTest::newRow("example, edit") << true << true;
    }

    void failedStoreKeepsInput()
    {
        QFETCH(bool, example);
        QFETCH(bool, edit);
        TestDataDir dir;
        DialogApp app(dir);
        ScriptedPrompts prompts;
        const QStringList place {
            QStringLiteral("文字资料"), QStringLiteral("算法"), QString(), QStringLiteral("t"), QStringLiteral("1")};
        std::unique_ptr<TAddFileForm> dialog;
        TAddFileExeFrm* exe = nullptr;
        if (example) {
            TFileExe record;
            dialog.reset(
                exe = edit ? new TAddFileExeFrm(app.form(), record, place) : new TAddFileExeFrm(app.form(), place));
            exe->PathEdit->setText(QStringLiteral("/it's/path"));
        } else {
            TFileText record;
            dialog.reset(edit ? new TAddFileForm(app.form(), record, place) : new TAddFileForm(app.form(), place));
        }
        dialog->show();
        dialog->title->setText(QStringLiteral("it's"));
        dialog->writer->setText(QStringLiteral("me"));
        dialog->MainText->setPlainText(QStringLiteral("a:'b'"));
        breakDatabase(dir);

        dialog->AddBtnClick();

        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.lastText().startsWith(QStringLiteral("数据库操作失败！ 原因：")));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->title->text(), QStringLiteral("it's"));
        QCOMPARE(dialog->writer->text(), QStringLiteral("me"));
        QCOMPARE(dialog->MainText->toPlainText(), QStringLiteral("a:'b'"));
        if (exe)
            QCOMPARE(exe->PathEdit->text(), QStringLiteral("/it's/path"));
    }

    void pasteAndBrowse()
    {
        TestDataDir dir;
        DialogApp app(dir);
        ScriptedPrompts prompts;
        TAddFileExeFrm dialog(app.form(), {QString(), QStringLiteral("工具"), QString()});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QApplication::clipboard()->setText(QStringLiteral("粘贴"));
        dialog.MainText->setPlainText(QStringLiteral("aXb"));
        QTextCursor cursor = dialog.MainText->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(2, QTextCursor::KeepAnchor);
        dialog.MainText->setTextCursor(cursor);
        QTest::mouseClick(dialog.read, Qt::LeftButton);
        QCOMPARE(dialog.MainText->toPlainText(), QStringLiteral("a粘贴b"));

        prompts.files.enqueue(QStringLiteral("/opt/o'brien/tool"));
        dialog.BrowerBtn->click();
        QCOMPARE(dialog.PathEdit->text(), QStringLiteral("/opt/o'brien/tool"));
        QCOMPARE(prompts.shown.last().kind, QStringLiteral("chooseFile"));
        QCOMPARE(prompts.shown.last().text, QStringLiteral("所有文件 (*)"));
        dialog.BrowerBtnClick();  // cancelled
        QCOMPARE(dialog.PathEdit->text(), QStringLiteral("/opt/o'brien/tool"));
    }
};

QS_TEST_CLASS(TestAddDialogs)
#include "test_add_dialogs.moc"
