// Drop decisions of the floating window: what is taken during a drag and what each drop files.
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"
#include "common/Gbk.h"
#include "desktop/TAcceptTextForm.h"
#include "desktop/TDragForm.h"
#include "desktop/TOleDragAndDrop.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

namespace {
bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Mime data of one of the kinds a drag can carry: "text", "files" (local paths), "urls", "raw".
std::unique_ptr<QMimeData> makeMime(const QString& kind, const QStringList& items)
{
    auto mime = std::make_unique<QMimeData>();
    if (kind == QLatin1String("text")) {
        mime->setText(items.value(0));
    } else if (kind == QLatin1String("files")) {
        QList<QUrl> urls;
        for (const QString& p : items)
            urls.append(QUrl::fromLocalFile(p));
        mime->setUrls(urls);
    } else if (kind == QLatin1String("urls")) {
        QList<QUrl> urls;
        for (const QString& u : items)
            urls.append(QUrl(u));
        mime->setUrls(urls);
        mime->setText(items.join(QLatin1Char('\n')));  // browsers offer the link as text as well
    } else if (kind == QLatin1String("bare urls")) {
        mime->setUrls({QUrl(items.value(0))});
    } else if (kind == QLatin1String("file with text")) {
        mime->setUrls({QUrl::fromLocalFile(items.value(0))});
        mime->setText(items.value(0));  // file managers offer the path as text as well
    } else {
        mime->setData(QStringLiteral("application/octet-stream"), items.value(0).toUtf8());
    }
    return mime;
}
}  // namespace

Q_DECLARE_METATYPE(DropAction::Kind)
Q_DECLARE_METATYPE(TOleDragAndDrop::Effect)

class DropDecisionTest final : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeFile(file(QStringLiteral("notes.txt")), QByteArray("line one\nline two\r\nline three")));
        QVERIFY(writeFile(file(QStringLiteral("notes.TXT")), QByteArray("upper case")));
        QVERIFY(writeFile(file(QStringLiteral("tool 工具.exe")), QByteArray("MZ")));
        QVERIFY(writeFile(file(QStringLiteral("gbk.txt")), gbk::encode(QStringLiteral("排序算法\r\n快速排序"))));
        QVERIFY(writeFile(file(QStringLiteral("utf8 中文.txt")), QStringLiteral("查找算法\n二分查找\n").toUtf8()));
        QVERIFY(writeFile(file(QStringLiteral("empty.txt")), QByteArray()));
        QVERIFY(writeFile(file(QStringLiteral("binary.txt")), QByteArray("head\0tail\n", 10)));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("a folder")));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.txt")));
    }

    void decisions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<TOleDragAndDrop::Effect>("effect");
        QTest::addColumn<DropAction::Kind>("result");
        QTest::addColumn<QString>("data");
        using E = TOleDragAndDrop::Effect;
        using K = DropAction::Kind;
        const QString notes = file(QStringLiteral("notes.txt"));
        const QString upper = file(QStringLiteral("notes.TXT"));
        const QString tool = file(QStringLiteral("tool 工具.exe"));
        const QString folder = file(QStringLiteral("a folder"));

        QTest::newRow("plain text") << "text" << QStringList {QStringLiteral("it's 10:30")} << E::Copy << K::Text
                                    << QStringLiteral("it's 10:30");
        QTest::newRow("text cut at NUL") << "text"
                                         << QStringList {QStringLiteral("abc") + QChar(0) + QStringLiteral("def")}
                                         << E::Copy << K::Text << QStringLiteral("abc");
        QTest::newRow("one .txt: lines joined by CR LF") << "files" << QStringList {notes} << E::Copy << K::Text
                                                         << QStringLiteral("line one\r\nline two\r\nline three\r\n");
        QTest::newRow("one .TXT is an example") << "files" << QStringList {upper} << E::Copy << K::ExamplePath << upper;
        QTest::newRow("other file with blank and Chinese")
            << "files" << QStringList {tool} << E::Copy << K::ExamplePath << tool;
        QTest::newRow("directory") << "files" << QStringList {folder + QLatin1Char('/')} << E::Copy << K::ExamplePath
                                   << folder;
        QTest::newRow("folder named .txt") << "files" << QStringList {file(QStringLiteral("folder.txt"))} << E::Copy
                                           << K::ExamplePath << file(QStringLiteral("folder.txt"));
        QTest::newRow("GBK .txt") << "files" << QStringList {file(QStringLiteral("gbk.txt"))} << E::Copy << K::Text
                                  << QStringLiteral("排序算法\r\n快速排序\r\n");
        QTest::newRow("UTF-8 .txt") << "files" << QStringList {file(QStringLiteral("utf8 中文.txt"))} << E::Copy
                                    << K::Text << QStringLiteral("查找算法\r\n二分查找\r\n");
        QTest::newRow("empty .txt") << "files" << QStringList {file(QStringLiteral("empty.txt"))} << E::Copy << K::Text
                                    << QString();
        QTest::newRow("binary .txt") << "files" << QStringList {file(QStringLiteral("binary.txt"))} << E::Copy
                                     << K::Text << QStringLiteral("head\r\n");
        QTest::newRow("two files") << "files" << QStringList {notes, tool} << E::None << K::Nothing << QString();
        // A link dragged from a browser comes with its text: that is text to file.
        QTest::newRow("web link with its text") << "urls" << QStringList {QStringLiteral("https://example.org/a.txt")}
                                                << E::Copy << K::Text << QStringLiteral("https://example.org/a.txt");
        QTest::newRow("web link alone") << "bare urls" << QStringList {QStringLiteral("https://example.org/a.txt")}
                                        << E::None << K::Nothing << QString();
        QTest::newRow("a file and its name as text")
            << "file with text" << QStringList {tool} << E::Copy << K::ExamplePath << tool;
        QTest::newRow("unsupported data")
            << "raw" << QStringList {QStringLiteral("bytes")} << E::None << K::Nothing << QString();
    }

    void decisions()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, items);
        QFETCH(TOleDragAndDrop::Effect, effect);
        QFETCH(DropAction::Kind, result);
        QFETCH(QString, data);
        const auto mime = makeMime(kind, items);
        TOleDragAndDrop target;
        QCOMPARE(target.DragEnter(mime.get()), effect);
        QCOMPARE(target.DragOver(), effect);
        const DropAction action = target.Drop(mime.get());
        QCOMPARE(action.kind, result);
        QCOMPARE(action.data, data);
        QCOMPARE(target.DragOver(), TOleDragAndDrop::Effect::None);  // every drag starts afresh
    }

    void dropWithoutAcceptedEnterDoesNothing()
    {
        const auto text = makeMime(QStringLiteral("text"), {QStringLiteral("hello")});
        TOleDragAndDrop target;
        QCOMPARE(target.Drop(text.get()).kind, DropAction::Kind::Nothing);
        QCOMPARE(target.DragEnter(text.get()), TOleDragAndDrop::Effect::Copy);
        target.DragLeave();
        QCOMPARE(target.DragOver(), TOleDragAndDrop::Effect::None);
        QCOMPARE(target.Drop(text.get()).kind, DropAction::Kind::Nothing);
    }

    void vanishedTextFileReportsError()
    {
        const QString path = file(QStringLiteral("gone.txt"));
        QVERIFY(writeFile(path, QByteArray("soon gone")));
        const auto mime = makeMime(QStringLiteral("files"), {path});
        TOleDragAndDrop target;
        QCOMPARE(target.DragEnter(mime.get()), TOleDragAndDrop::Effect::Copy);
        QVERIFY(QFile::remove(path));
        const DropAction action = target.Drop(mime.get());
        QCOMPARE(action.kind, DropAction::Kind::Error);
        QVERIFY2(action.error.contains(path), qPrintable(action.error));
        QVERIFY(action.data.isEmpty());
    }

    void textFileDecoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("plain") << QStringLiteral("plain");
        QTest::newRow("utf-8") << QStringLiteral("网络协议").toUtf8() << QStringLiteral("网络协议");
        QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBF") + QStringLiteral("网络").toUtf8()
                                        << QStringLiteral("网络");
        QTest::newRow("gbk") << gbk::encode(QStringLiteral("网络协议")) << QStringLiteral("网络协议");
    }

    void textFileDecoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(TOleDragAndDrop::decodeTextFile(bytes), text);
    }
};

// The same decisions reaching the floating window as Qt drag and drop events.
class DragFormDropTest final : public QObject {
    Q_OBJECT
    QTemporaryDir m_files;

    static bool enter(TDragForm& form, const QMimeData* mime)
    {
        QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &event);
        return event.isAccepted();
    }
    static void drop(TDragForm& form, const QMimeData* mime)
    {
        QDropEvent event(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &event);
    }
    static void dragAndDrop(TDragForm& form, const QMimeData* mime)
    {
        enter(form, mime);
        drop(form, mime);
    }

private slots:
    void initTestCase() { QVERIFY(m_files.isValid()); }

    void textOpensThenRefillsTheTextDialog()
    {
        TestDataDir dir;
        TestApp app(dir);
        ScriptedPrompts prompts;
        app->ShowDragForm();
        QVERIFY(DragForm);

        const auto first = makeMime(QStringLiteral("text"), {QStringLiteral("abcdefghijklmnop")});
        QVERIFY(enter(*DragForm, first.get()));
        drop(*DragForm, first.get());
        QPointer<TAcceptTextForm> dialog = AcceptTextForm;
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->parentWidget(), DragForm);
        QCOMPARE(dialog->MainMemo->toPlainText(), QStringLiteral("abcdefghijklmnop"));
        QCOMPARE(dialog->NameEdit->text(), QStringLiteral("abcdefghij"));

        const auto second = makeMime(QStringLiteral("text"), {QStringLiteral("second text")});
        dragAndDrop(*DragForm, second.get());
        QCOMPARE(AcceptTextForm, dialog.data());
        QCOMPARE(dialog->MainMemo->toPlainText(), QStringLiteral("second text"));
        QCOMPARE(dialog->NameEdit->text(), QStringLiteral("abcdefghij"));
        QVERIFY(!AcceptExeForm);
        QVERIFY(prompts.shown.isEmpty());
    }

    void filesGoToTheirDialogs()
    {
        TestDataDir dir;
        TestApp app(dir);
        ScriptedPrompts prompts;
        app->ShowDragForm();
        const QString txt = QDir(m_files.path()).filePath(QStringLiteral("readme.txt"));
        const QString upper = QDir(m_files.path()).filePath(QStringLiteral("README.TXT"));
        const QString other = QDir(m_files.path()).filePath(QStringLiteral("工具 集.sh"));
        QVERIFY(writeFile(txt, QByteArray("two\nlines")));
        QVERIFY(writeFile(upper, QByteArray("x")));
        QVERIFY(writeFile(other, QByteArray("#!/bin/sh")));

        const auto two = makeMime(QStringLiteral("files"), {txt, other});
        QVERIFY(!enter(*DragForm, two.get()));
        drop(*DragForm, two.get());
        QVERIFY(!AcceptTextForm);
        QVERIFY(!AcceptExeForm);

        const auto raw = makeMime(QStringLiteral("raw"), {QStringLiteral("x")});
        QVERIFY(!enter(*DragForm, raw.get()));

        const auto text = makeMime(QStringLiteral("files"), {txt});
        QVERIFY(enter(*DragForm, text.get()));
        drop(*DragForm, text.get());
        QVERIFY(AcceptTextForm);
        QCOMPARE(AcceptTextForm->MainMemo->toPlainText(), QStringLiteral("two\nlines\n"));
        QCOMPARE(AcceptTextForm->NameEdit->text(), QStringLiteral("two"));

        const auto exe = makeMime(QStringLiteral("files"), {upper});
        dragAndDrop(*DragForm, exe.get());
        QVERIFY(AcceptExeForm);
        QCOMPARE(AcceptExeForm->PathEdit->text(), upper);
        QVERIFY(AcceptExeForm->NameEdit->text().isEmpty());
        const auto exe2 = makeMime(QStringLiteral("files"), {other});
        QPointer<TAcceptExeForm> exeDialog = AcceptExeForm;
        dragAndDrop(*DragForm, exe2.get());
        QCOMPARE(AcceptExeForm, exeDialog.data());
        QCOMPARE(AcceptExeForm->PathEdit->text(), other);
        QVERIFY(prompts.shown.isEmpty());
    }

    void unreadableTextFileOpensNothing()
    {
        TestDataDir dir;
        TestApp app(dir);
        ScriptedPrompts prompts;
        app->ShowDragForm();
        const QString path = QDir(m_files.path()).filePath(QStringLiteral("vanishing.txt"));
        QVERIFY(writeFile(path, QByteArray("x")));
        const auto mime = makeMime(QStringLiteral("files"), {path});
        QVERIFY(enter(*DragForm, mime.get()));
        QVERIFY(QFile::remove(path));
        drop(*DragForm, mime.get());
        QVERIFY(!AcceptTextForm);
        QVERIFY(!AcceptExeForm);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().kind, QStringLiteral("standardError"));
        QVERIFY(prompts.shown.first().text.contains(QStringLiteral("vanishing.txt")));
    }

    void droppedTextEndsUpInTheList()
    {
        TestDataDir dir({QStringLiteral("文字资料0"), QStringLiteral("+算法1"), QStringLiteral("+网络1"),
            QStringLiteral("实例资料0"), QStringLiteral("搜索结果0")});
        TestApp app(dir);
        ScriptedPrompts prompts;
        app->ShowDragForm();
        const auto mime = makeMime(QStringLiteral("text"), {QStringLiteral("TCP 三次握手")});
        dragAndDrop(*DragForm, mime.get());
        QVERIFY(AcceptTextForm);
        AcceptTextForm->BigClassCombo->setCurrentIndex(1);  // 网络
        AcceptTextForm->OkBtnClick();
        QCOMPARE(prompts.lastText(), QStringLiteral("添加成功！你可以继续操作！"));
        clickNode(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")});
        QStringList captions;
        for (int i = 0; i < app->ui().MainList->count(); ++i)
            captions.append(app->ui().MainList->item(i)->text());
        QCOMPARE(captions, QStringList {QStringLiteral("TCP 三次握")});
    }

    void closedWindowTakesNoDropsUntilShownAgain()
    {
        TestDataDir dir;
        TestApp app(dir);
        app->ShowDragForm();
        QVERIFY(DragForm->acceptDrops());
        DragForm->close();
        QVERIFY(!DragForm->isVisible());
        QVERIFY(!DragForm->acceptDrops());
        app->ui().N341->setChecked(true);
        app->tray().N341Click();
        QVERIFY(DragForm->isVisible());
        QVERIFY(DragForm->acceptDrops());
    }
};

QS_TEST_CLASS(DropDecisionTest)
QS_TEST_CLASS(DragFormDropTest)
#include "DropTests.moc"
