// Reading materials: the reading area of the main window and viewer windows, their text, font and
// colour, the shared and per-material window modes.
#include "common/ScriptedPrompts.h"
#include "common/TestData.h"
#include "common/TestMain.h"
#include "test_detail_support.h"

#include "browse/FindBar.h"
#include "browse/TNewFrmViewer.h"
#include "browse/ViewerFont.h"
#include "common/Colors.h"
#include "common/SettingsFile.h"
#include "search/TSerchForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>

using namespace detailtest;

namespace {

struct ColorGuard {
    qint32 saved = ViewerColor;
    ~ColorGuard() { ViewerColor = saved; }
};

ViewerFontRecord fontRecord(
    int size, int height, const QString& style, const QString& name = QStringLiteral("DejaVu Serif"))
{
    ViewerFontRecord font;
    font.charset = 134;
    font.color = 255;  // red
    font.height = height;
    font.name = name;
    font.size = size;
    parseFontStyle(style, font);
    return font;
}

bool writeFont(const TestDataDir& dir, const ViewerFontRecord& font)
{
    SettingsValues values;
    values.font = font;
    return writeSettingsFile(dir.file(QStringLiteral("QS.ini")), values, nullptr);
}

// Opens the material through the label the details pane shows for it.
bool openThrough(TMainForm& form, const QStringList& place, const QString& caption)
{
    if (!selectIn(form, place, caption))
        return false;
    const QList<QLabel*> labels = actionLabels(form.ui().MainDetail);
    if (labels.isEmpty())
        return false;
    if (labels.first()->text() == QStringLiteral("在当前窗口浏览"))
        form.ViewInThisFrm(labels.first());
    else
        form.ViewInNewFrm(labels.first());
    return true;
}

const QStringList kNet = {QStringLiteral("文字资料"), QStringLiteral("网络")};

}  // namespace

class TestMaterialViewer final : public QObject {
    Q_OBJECT
private slots:
    // A material opened from the results of a contents search shows the keyword's first place selected, and
    // its find bar starts with the keyword; opened from its own place, or after a title search, it does not.
    void contentsHitIsSelected()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("甲"), QStringLiteral("网络"), QString(),
            QStringLiteral("开头 QSqlQuery+(MH)+用法，再一次 qsqlquery"));
        dir.addExe(QStringLiteral("丙"), QStringLiteral("软件"), QString(), QStringLiteral("/tmp"),
            QStringLiteral("说明\nQSQLQUERY: 在此"));
        ModeGuard modes;
        ScriptedPrompts prompts;
        DetailApp app(dir);
        ViewMode = 0;
        ViewerWindowMode = 1;
        const QString keyword = QStringLiteral("qsqlquery:");
        auto search = [&](const QString& kind, bool contents) {
            TSerchForm form(&app.form(), &app->categoryTree(), app->searchResultsSink());
            form.FWComBox->setCurrentIndex(form.FWComBox->findText(kind));
            form.FWComBoxChange();
            form.BigComBox->setCurrentIndex(0);
            form.BigComBoxChange();
            form.SmallComBox->setCurrentIndex(0);
            form.TitleKey->setText(keyword);
            form.ContentBox->setChecked(contents);
            form.SerchBtnClick();
            return form.SerchLabel->text();
        };
        const QStringList results = {QStringLiteral("搜索结果")};

        QCOMPARE(search(QStringLiteral("文字资料"), true), QStringLiteral("恭喜，共找到1个资料"));
        QVERIFY(openThrough(app.form(), results, QStringLiteral("甲")));
        QPlainTextEdit* pane = app->ui().ThisFrmViewer;
        const qsizetype first = pane->toPlainText().indexOf(QStringLiteral("QSqlQuery:"));
        QVERIFY(first > 0);
        QCOMPARE(pane->textCursor().selectionStart(), int(first));
        QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("QSqlQuery:"));
        QVERIFY(!app->ui().ReaderFind->isHidden());
        QCOMPARE(app->ui().ReaderFind->field()->text(), keyword);

        // From its own place the material opens as always.
        app->ui().ReaderFind->close();
        QVERIFY(openThrough(app.form(), {QStringLiteral("文字资料"), QStringLiteral("网络")}, QStringLiteral("甲")));
        QVERIFY(!pane->textCursor().hasSelection());
        QVERIFY(app->ui().ReaderFind->isHidden());

        // An example material's description in a viewer window.
        QCOMPARE(search(QStringLiteral("实例资料"), true), QStringLiteral("恭喜，共找到1个资料"));
        QVERIFY(openThrough(app.form(), results, QStringLiteral("丙")));
        QCOMPARE(TNewFrmViewer::liveWindows().size(), 1);
        TNewFrmViewer* viewer = TNewFrmViewer::liveWindows().constFirst();
        QCOMPARE(viewer->Memo1->textCursor().selectedText(), QStringLiteral("QSQLQUERY:"));
        QCOMPARE(viewer->Find->field()->text(), keyword);

        // A title search leaves the find bar alone.
        QCOMPARE(search(QStringLiteral("实例资料"), false), QStringLiteral("很遗憾，没有找到"));
        dir.addExe(QStringLiteral("qsqlquery: 丁"), QStringLiteral("软件"), QString(), QStringLiteral("/tmp"),
            QStringLiteral("qsqlquery: 丁"));
        QCOMPARE(search(QStringLiteral("实例资料"), false), QStringLiteral("恭喜，共找到1个资料"));
        QVERIFY(openThrough(app.form(), results, QStringLiteral("qsqlquery: 丁")));
        QCOMPARE(TNewFrmViewer::liveWindows().size(), 2);
        QVERIFY(!TNewFrmViewer::liveWindows().constLast()->Memo1->textCursor().hasSelection());
        QVERIFY(TNewFrmViewer::liveWindows().constLast()->Find->isHidden());
        QVERIFY(prompts.shown.isEmpty());
    }

    void readingInTheMainWindow()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("快排"), QStringLiteral("算法"), QStringLiteral("排序"),
            QStringLiteral("第一行\n第二行:+(MH)+"), QStringLiteral("张三"), QStringLiteral("2021-03-04 05:06:07"));
        dir.addText(QStringLiteral("堆排"), QStringLiteral("算法"), QStringLiteral("排序"), QStringLiteral("另一篇"));
        ModeGuard modes;
        ColorGuard color;
        DetailApp app(dir);
        ViewMode = 0;
        ViewerColor = 15780518;  // sky blue
        const QStringList place = {QStringLiteral("文字资料"), QStringLiteral("算法"), QStringLiteral("排序")};
        QVERIFY(app->ui().ThisFrmViewer->isHidden());
        QVERIFY(openThrough(app.form(), place, QStringLiteral("快排")));
        QVERIFY(!app->ui().ThisFrmViewer->isHidden());
        QCOMPARE(app->ui().ThisFrmViewer->toPlainText(),
            QStringLiteral(
                "作者：张三\n\n所属分类：算法--->排序\n\n创建时间：2021-03-04 05:06:07\n\n第一行\n第二行::\n"));
        QCOMPARE(app->ui().ThisFrmViewer->palette().color(QPalette::Base), colorFromValue(15780518));
        QVERIFY(app->ui().ThisFrmViewer->isReadOnly());
        // The next material replaces the text.
        QVERIFY(openThrough(app.form(), place, QStringLiteral("堆排")));
        QVERIFY(app->ui().ThisFrmViewer->toPlainText().endsWith(QStringLiteral("\n\n另一篇\n")));
        QVERIFY(!app->ui().ThisFrmViewer->toPlainText().contains(QStringLiteral("第一行")));
        QVERIFY(TNewFrmViewer::liveWindows().isEmpty());
    }

    void sharedWindowIsRefilled()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("甲"), QStringLiteral("网络"), QString(), QStringLiteral("甲的正文"),
            QStringLiteral("作者甲"));
        dir.addText(QStringLiteral("乙"), QStringLiteral("网络"), QString(), QStringLiteral("乙的正文"));
        dir.addExe(QStringLiteral("丙"), QStringLiteral("软件"), QString(), QStringLiteral("/tmp"),
            QStringLiteral("说明一\n说明二"));
        ModeGuard modes;
        ColorGuard color;
        DetailApp app(dir);
        ViewMode = 1;
        ViewerWindowMode = 0;
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("甲")));
        QCOMPARE(TNewFrmViewer::liveWindows().size(), 1);
        TNewFrmViewer* window = TNewFrmViewer::liveWindows().first();
        QCOMPARE(window->windowTitle(), QStringLiteral("甲"));
        QCOMPARE(OpenViewerCaption, QStringLiteral("甲"));
        QVERIFY(window->Memo1->toPlainText().startsWith(
            QStringLiteral("作者：作者甲\n\n所属分类：网络--->\n\n创建时间：")));
        QVERIFY(window->Memo1->toPlainText().endsWith(QStringLiteral("\n\n甲的正文\n")));
        QVERIFY(app->ui().ThisFrmViewer->isHidden());

        ViewerColor = 255;
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("乙")));
        QCOMPARE(TNewFrmViewer::liveWindows(), QList<TNewFrmViewer*> {window});
        QCOMPARE(window->windowTitle(), QStringLiteral("乙"));
        QVERIFY(window->Memo1->toPlainText().endsWith(QStringLiteral("\n\n乙的正文\n")));
        QVERIFY(!window->Memo1->toPlainText().contains(QStringLiteral("甲的正文")));
        // The background follows the setting at every refill.
        QCOMPARE(window->Memo1->palette().color(QPalette::Base), QColor(255, 0, 0));

        // An example's description goes to the same window.
        QVERIFY(openThrough(app.form(), kSoftware, QStringLiteral("丙")));
        QCOMPARE(TNewFrmViewer::liveWindows(), QList<TNewFrmViewer*> {window});
        QCOMPARE(window->windowTitle(), QStringLiteral("丙的简介"));
        QCOMPARE(window->Memo1->toPlainText(), QStringLiteral("说明一\n说明二"));
        QCOMPARE(OpenViewerCaption, QStringLiteral("丙的简介"));
    }

    void windowPerMaterial()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("甲"), QStringLiteral("网络"), QString(), QStringLiteral("x"));
        dir.addExe(
            QStringLiteral("丙"), QStringLiteral("软件"), QString(), QStringLiteral("/tmp"), QStringLiteral("说明"));
        ModeGuard modes;
        DetailApp app(dir);
        ViewMode = 1;
        ViewerWindowMode = 1;
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("甲")));
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("甲")));
        QVERIFY(openThrough(app.form(), kSoftware, QStringLiteral("丙")));
        QStringList titles;
        for (TNewFrmViewer* w : TNewFrmViewer::liveWindows())
            titles.append(w->windowTitle());
        QCOMPARE(titles, (QStringList {QStringLiteral("甲"), QStringLiteral("甲"), QStringLiteral("丙的简介")}));
    }

    void cascadePositions_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<int>("open");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 1280, 800);
        const QRect area(300, 400, 900, 350);
        const QRect high(300, 150, 900, 350);
        QTest::newRow("first at the reading area") << high << screen << 0 << QPoint(300, 150);
        QTest::newRow("third one two steps on") << high << screen << 2 << QPoint(356, 206);
        // From y 100 the frame (629 x 469) has room for 8 steps down on an 800 px screen: 9 places.
        QTest::newRow("last place") << QRect(100, 100, 600, 400) << screen << 8 << QPoint(324, 324);
        QTest::newRow("starting over") << QRect(100, 100, 600, 400) << screen << 9 << QPoint(100, 100);
        QTest::newRow("area low on the screen: kept inside") << area << screen << 0 << QPoint(300, 331);
        QTest::newRow("second screen") << QRect(1500, 100, 400, 400) << QRect(1280, 0, 1920, 1080) << 1
                                       << QPoint(1528, 128);
        QTest::newRow("screen smaller than the window") << area << QRect(0, 0, 500, 300) << 3 << QPoint(0, 0);
    }
    void cascadePositions()
    {
        QFETCH(QRect, area);
        QFETCH(QRect, screen);
        QFETCH(int, open);
        QFETCH(QPoint, expected);
        const QSize frame(629, 469);
        const QPoint at = TNewFrmViewer::cascadePosition(area, screen, frame, open);
        QCOMPARE(at, expected);
        QVERIFY(QRect(at, frame).intersects(screen));
        QVERIFY(screen.contains(at));
    }

    void closingTheSharedWindow()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("甲"), QStringLiteral("网络"), QString(), QStringLiteral("x"));
        dir.addText(QStringLiteral("乙"), QStringLiteral("网络"), QString(), QStringLiteral("y"));
        ModeGuard modes;
        DetailApp app(dir);
        ViewMode = 1;
        ViewerWindowMode = 0;
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("甲")));
        QPointer<TNewFrmViewer> first = TNewFrmViewer::liveWindows().value(0);
        QVERIFY(first);
        QVERIFY(first->close());
        QVERIFY(OpenViewerCaption.isEmpty());
        QVERIFY(TNewFrmViewer::liveWindows().isEmpty());
        QTRY_VERIFY(first.isNull());
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("乙")));
        QCOMPARE(TNewFrmViewer::liveWindows().size(), 1);
        QCOMPARE(TNewFrmViewer::liveWindows().first()->windowTitle(), QStringLiteral("乙"));

        // Start-up forgets any earlier viewer, so the next click opens its own window.
        OpenViewerCaption.clear();
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("甲")));
        QCOMPARE(TNewFrmViewer::liveWindows().size(), 2);
    }

    void viewerWindowControls()
    {
        TestDataDir dir(kDetailTree);
        DetailApp app(dir);
        QPointer<TNewFrmViewer> window
            = new TNewFrmViewer(QStringLiteral("别的"), 1, app->settingsFilePath(), &app->statusSink());
        QCOMPARE(window->windowTitle(), QStringLiteral("浏览资料"));
        QCOMPARE(OpenViewerCaption, QStringLiteral("浏览资料"));
        QVERIFY(window->isVisible());
        QVERIFY(!window->parentWidget());
        QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(window->size(), QSize(619, 433));
        QVERIFY(window->Memo1->isReadOnly());
        QCOMPARE(window->Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(window->ToolButton1->toolTip(), QStringLiteral("全选"));
        QCOMPARE(window->ToolButton2->toolTip(), QStringLiteral("复制"));

        window->Memo1->setPlainText(QStringLiteral("alpha beta\ngamma"));
        QTest::mouseClick(window->ToolButton1, Qt::LeftButton);
        QCOMPARE(window->Memo1->textCursor().selectedText(),
            QStringLiteral("alpha beta") + QChar(QChar::ParagraphSeparator) + "gamma");
        QTextCursor cursor(window->Memo1->document());
        cursor.setPosition(6);
        cursor.setPosition(10, QTextCursor::KeepAnchor);
        window->Memo1->setTextCursor(cursor);
        QApplication::clipboard()->clear();
        QTest::mouseClick(window->ToolButton2, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("beta"));

        // A refill with an unknown content clears the text and keeps the caption.
        window->ReView(7, 1);
        QCOMPARE(window->Memo1->toPlainText(), QString());
        QCOMPARE(window->windowTitle(), QStringLiteral("浏览资料"));
        window->FormClose();
        QVERIFY(OpenViewerCaption.isEmpty());
        QTRY_VERIFY(window.isNull());
    }

    void fontFromSettings_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("style");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<QString>("flags");  // b i u s
        QTest::newRow("every style") << 12 << -16 << "0123" << 12 << -1 << "bius";
        QTest::newRow("underline only") << 12 << -16 << "2" << 12 << -1 << "u";
        QTest::newRow("order and repeats") << 12 << -16 << "3x11" << 12 << -1 << "is";
        QTest::newRow("plain") << 12 << -16 << "" << 12 << -1 << "";
        QTest::newRow("size decides") << 14 << -40 << "0" << 14 << -1 << "b";
        QTest::newRow("no size keeps height") << 0 << -30 << "" << -1 << 30 << "";
    }
    void fontFromSettings()
    {
        QFETCH(int, size);
        QFETCH(int, height);
        QFETCH(QString, style);
        QFETCH(int, pointSize);
        QFETCH(int, pixelSize);
        QFETCH(QString, flags);
        TestDataDir dir(kDetailTree);
        QVERIFY(writeFont(dir, fontRecord(size, height, style)));
        DetailApp app(dir);
        app->reader().ThisFrmFontInit();
        auto* window = new TNewFrmViewer(QString(), 0, app->settingsFilePath(), &app->statusSink());
        for (QPlainTextEdit* area : {app->ui().ThisFrmViewer, window->Memo1}) {
            const QFont font = area->font();
            QCOMPARE(font.pointSize(), pointSize);
            QCOMPARE(font.pixelSize(), pixelSize);
            QCOMPARE(font.families().value(0), QStringLiteral("DejaVu Serif"));
            QCOMPARE(font.bold(), flags.contains('b'));
            QCOMPARE(font.italic(), flags.contains('i'));
            QCOMPARE(font.underline(), flags.contains('u'));
            QCOMPARE(font.strikeOut(), flags.contains('s'));
            QCOMPARE(area->palette().color(QPalette::Text), QColor(255, 0, 0));
            QCOMPARE(area->property(viewerfont::charsetProperty()).toInt(), 134);
        }
    }

    void badFontLinesKeepThePreviousFont_data()
    {
        QTest::addColumn<QByteArray>("content");  // empty: no settings file
        QTest::addColumn<QString>("error");
        const QByteArray head
            = "[Quillstash ini "
              "file]\r\nICON=0\r\nORDER=0\r\nVIEWSTYLE=0\r\nVIEWSTYLEDE=0\r\nVFRMBC=16777215\r\nFont=\r\n";
        QTest::newRow("size not a number")
            << head + "     134\r\n     0\r\n     -12\r\n     Serif\r\n     big\r\n     0\r\nTrayWay=1\r\n"
            << "'big' is not a valid integer value";
        QTest::newRow("lines missing") << head + "     134\r\n     0\r\n"
                                       << "List index out of bounds (9)";
        QTest::newRow("no file") << QByteArray() << "Cannot open file";
    }
    void badFontLinesKeepThePreviousFont()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("甲"), QStringLiteral("网络"), QString(), QStringLiteral("正文"));
        QVERIFY(writeFont(dir, fontRecord(15, -20, QStringLiteral("1"))));
        ModeGuard modes;
        DetailApp app(dir);
        ViewMode = 0;
        ViewerWindowMode = 1;
        app->reader().ThisFrmFontInit();
        QPointer<TNewFrmViewer> before = new TNewFrmViewer(QString(), 0, app->settingsFilePath(), &app->statusSink());
        const QFont previous = app->ui().ThisFrmViewer->font();
        QCOMPARE(previous.pointSize(), 15);

        QFile::remove(dir.file(QStringLiteral("QS.ini")));
        if (!content.isEmpty()) {
            QFile file(dir.file(QStringLiteral("QS.ini")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        // The material is still shown, in the font the area had.
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("甲")));
        QVERIFY(app->ui().ThisFrmViewer->toPlainText().endsWith(QStringLiteral("\n\n正文\n")));
        QCOMPARE(app->ui().ThisFrmViewer->font(), previous);
        QVERIFY2(
            app->ui().MainStatus->currentMessage().contains(error), qPrintable(app->ui().MainStatus->currentMessage()));
        // A new window takes the plain control font; the open one keeps its own.
        auto* after = new TNewFrmViewer(QString(), 0, app->settingsFilePath(), &app->statusSink());
        QVERIFY(!after->Memo1->font().italic());
        QVERIFY(before);
        QVERIFY(before->Memo1->font().italic());
    }

    void windowKeepsItsFontOnRefill()
    {
        TestDataDir dir(kDetailTree);
        dir.addText(QStringLiteral("甲"), QStringLiteral("网络"), QString(), QStringLiteral("x"));
        dir.addText(QStringLiteral("乙"), QStringLiteral("网络"), QString(), QStringLiteral("y"));
        QVERIFY(writeFont(dir, fontRecord(11, -15, QString())));
        ModeGuard modes;
        DetailApp app(dir);
        ViewMode = 1;
        ViewerWindowMode = 0;
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("甲")));
        TNewFrmViewer* window = TNewFrmViewer::liveWindows().value(0);
        QVERIFY(window);
        QVERIFY(writeFont(dir, fontRecord(20, -27, QStringLiteral("0"))));
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("乙")));
        QCOMPARE(window->windowTitle(), QStringLiteral("乙"));
        QCOMPARE(window->Memo1->font().pointSize(), 11);
        ViewerWindowMode = 1;
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("乙")));
        QCOMPARE(TNewFrmViewer::liveWindows().value(1)->Memo1->font().pointSize(), 20);
    }

    void largeBodyOpens()
    {
        TestDataDir dir(kDetailTree);
        QString body;
        const QString line = QString(99, QLatin1Char('x')) + QLatin1Char('\n');
        while (body.size() < 1024 * 1024)
            body += line;
        body += QString(200000, QChar(0x4E2D));  // one long line of Chinese characters
        dir.addText(QStringLiteral("大"), QStringLiteral("网络"), QString(), body);
        ModeGuard modes;
        DetailApp app(dir, true);
        ViewMode = 0;
        ViewerWindowMode = 1;
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("大")));
        QVERIFY(app->ui().ThisFrmViewer->toPlainText().endsWith(QString(200000, QChar(0x4E2D)) + QLatin1Char('\n')));
        ViewMode = 1;
        QVERIFY(openThrough(app.form(), kNet, QStringLiteral("大")));
        QCOMPARE(TNewFrmViewer::liveWindows().value(0)->Memo1->document()->blockCount(),
            app->ui().ThisFrmViewer->document()->blockCount());
    }
};

QS_TEST_CLASS(TestMaterialViewer)
#include "test_viewer.moc"
