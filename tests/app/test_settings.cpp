// The settings file: exact bytes written, the start-up read and its partial assignments.
#include "Privileges.h"
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"

#include "app/StartupSettings.h"
#include "browse/ListItems.h"
#include "common/Gbk.h"
#include "common/SettingsFile.h"

#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

namespace {
QByteArray gbkFile(const QStringList& lines, const QString& eol = QStringLiteral("\r\n"))
{
    QString text;
    for (const QString& line : lines)
        text += line + eol;
    return gbk::encode(text);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QStringList standardLines()
{
    return {QStringLiteral("[Quillstash ini file]"), QStringLiteral("ICON=2"), QStringLiteral("ORDER=1"),
        QStringLiteral("VIEWSTYLE=1"), QStringLiteral("VIEWSTYLEDE=1"), QStringLiteral("VFRMBC=15780518"),
        QStringLiteral("Font="), QStringLiteral("     134"), QStringLiteral("     0"), QStringLiteral("     -12"),
        QStringLiteral("     宋体"), QStringLiteral("     9"), QStringLiteral("     02"), QStringLiteral("TrayWay=01")};
}
}  // namespace

class SettingsFileTest final : public QObject {
    Q_OBJECT
private slots:
    void init() { resetInMemorySettings(); }

    void writesTheFourteenLinesExactly()
    {
        SettingsValues v;
        v.icon = 0;
        v.order = 1;
        v.viewStyle = 0;
        v.viewStyleDe = 0;
        v.color = 16777215;
        v.font.charset = 134;
        v.font.color = 0;
        v.font.height = -12;
        v.font.name = QStringLiteral("宋体");
        v.font.size = 9;
        v.font.bold = true;
        v.font.underline = true;
        v.trayWay = QStringLiteral("01");
        const QByteArray expected = gbkFile({QStringLiteral("[Quillstash ini file]"), QStringLiteral("ICON=0"),
            QStringLiteral("ORDER=1"), QStringLiteral("VIEWSTYLE=0"), QStringLiteral("VIEWSTYLEDE=0"),
            QStringLiteral("VFRMBC=16777215"), QStringLiteral("Font="), QStringLiteral("     134"),
            QStringLiteral("     0"), QStringLiteral("     -12"), QStringLiteral("     宋体"), QStringLiteral("     9"),
            QStringLiteral("     02"), QStringLiteral("TrayWay=01")});
        QCOMPARE(settingsFileBytes(v), expected);
        // 宋体 is stored in GBK: two bytes a character.
        QVERIFY(expected.contains(QByteArray("\x20\xcb\xce\xcc\xe5\r\n")));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("QS.ini"));
        QString error;
        QVERIFY(writeSettingsFile(path, v, &error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), expected);

        // Reading the font lines back gives the same record; no style writes five spaces alone.
        const SettingsRead read = readSettings(path, SettingsLines::Font);
        QVERIFY(read.ok());
        QCOMPARE(read.values.font, v.font);
        v.font.bold = v.font.underline = false;
        QVERIFY(settingsFileBytes(v).contains("\r\n     \r\nTrayWay=01\r\n"));
        v.trayWay.clear();
        QVERIFY(settingsFileBytes(v).endsWith("\r\nTrayWay=\r\n"));
    }

    void styleRule_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");  // b i u s flags as letters
        QTest::newRow("italic strikeout") << QStringLiteral("13") << QStringLiteral("is");
        QTest::newRow("order does not matter") << QStringLiteral("31") << QStringLiteral("is");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("all") << QStringLiteral("0123") << QStringLiteral("bius");
        QTest::newRow("repeats and noise") << QStringLiteral("2x2 9") << QStringLiteral("u");
    }
    void styleRule()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        ViewerFontRecord font;
        font.bold = true;  // reading starts from no style
        parseFontStyle(value, font);
        QString got;
        got += font.bold ? QStringLiteral("b") : QString();
        got += font.italic ? QStringLiteral("i") : QString();
        got += font.underline ? QStringLiteral("u") : QString();
        got += font.strikeout ? QStringLiteral("s") : QString();
        QCOMPARE(got, expected);
        // Writing emits the digits in their fixed order.
        QString ordered;
        for (QChar c : QStringLiteral("0123")) {
            if (expected.contains(QStringLiteral("bius").at(c.digitValue())))
                ordered += c;
        }
        QCOMPARE(fontStyleText(font), ordered);
    }

    void strictIntegers()
    {
        QCOMPARE(strictToInt(QStringLiteral("-16777201")), -16777201);
        QCOMPARE(strictToInt(QStringLiteral("15780518")), 15780518);
        for (const QString& bad : {QStringLiteral(""), QStringLiteral("x"), QStringLiteral(" 1"), QStringLiteral("1 "),
                 QStringLiteral("0x10"), QStringLiteral("-"), QStringLiteral("99999999999")}) {
            bool thrown = false;
            try {
                strictToInt(bad);
            } catch (const SettingsError& e) {
                thrown = true;
                QCOMPARE(e.text, QStringLiteral("'%1' is not a valid integer value").arg(bad));
            }
            QVERIFY2(thrown, qPrintable(bad));
        }
        // The error quotes at most the first 40 characters of a value.
        const auto errorOf = [](const QString& text) {
            try {
                strictToInt(text);
            } catch (const SettingsError& e) {
                return e.text;
            }
            return QString();
        };
        const QString forty = QStringLiteral("x").repeated(40);
        QCOMPARE(errorOf(forty), QStringLiteral("'%1' is not a valid integer value").arg(forty));
        QCOMPARE(errorOf(forty + QStringLiteral("y")), QStringLiteral("'%1…' is not a valid integer value").arg(forty));
        // Never half a character: a pair that would be cut stays out whole.
        const QString pairAtTheCut = QStringLiteral("x").repeated(39) + QStringLiteral("😀z");
        QCOMPARE(errorOf(pairAtTheCut),
            QStringLiteral("'%1…' is not a valid integer value").arg(QStringLiteral("x").repeated(39)));
    }

    // The start-up read: what each file gives and what a failure leaves in memory.
    void startupRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("listOrder");
        QTest::addColumn<int>("viewMode");
        QTest::addColumn<int>("windowMode");
        QTest::addColumn<int>("color");
        QTest::addColumn<bool>("minTray");
        QTest::addColumn<bool>("closeTray");
        QTest::addColumn<int>("listStyle");
        QTest::addColumn<QString>("error");

        QTest::newRow("standard") << gbkFile(standardLines()) << 2 << 1 << 1 << 15780518 << true << true << 2
                                  << QString();
        QStringList lines = standardLines();
        lines[13] = QStringLiteral("TrayWay=10");
        QTest::newRow("two tray characters set both")
            << gbkFile(lines) << 2 << 1 << 1 << 15780518 << true << true << 2 << QString();
        lines[13] = QStringLiteral("TrayWay=2");
        QTest::newRow("unknown tray value sets neither")
            << gbkFile(lines) << 2 << 1 << 1 << 15780518 << false << false << 2 << QString();
        lines[13] = QStringLiteral("TrayWay=0");
        lines[1] = QStringLiteral("ICON=7");
        lines[2] = QStringLiteral("ORDER=5");
        lines[3] = QStringLiteral("VIEWSTYLE=9");
        QTest::newRow("out of range values")
            << gbkFile(lines) << 0 << 0 << 1 << 15780518 << true << false << 0 << QString();
        lines = standardLines();
        lines[1] = QStringLiteral("ICON=12");
        QTest::newRow("one column only") << gbkFile(lines, QStringLiteral("\n")) << 2 << 1 << 1 << 15780518 << true
                                         << true << 1 << QString();
        QTest::newRow("CR line ends") << gbkFile(standardLines(), QStringLiteral("\r")) << 2 << 1 << 1 << 15780518
                                      << true << true << 2 << QString();
        lines = standardLines();
        lines[2] = QStringLiteral("ORDER=x");
        QTest::newRow("letter where a digit goes") << gbkFile(lines) << 0 << 0 << 0 << 16777215 << false << true << 0
                                                   << QStringLiteral("'x' is not a valid integer value");
        lines = standardLines().mid(0, 13);
        QTest::newRow("short file keeps the colour") << gbkFile(lines) << 0 << 0 << 0 << 15780518 << false << true << 0
                                                     << QStringLiteral("List index out of bounds (13)");
        lines = standardLines();
        lines[5] = QStringLiteral("VFRMBC=");
        QTest::newRow("empty colour") << gbkFile(lines) << 0 << 0 << 0 << 16777215 << false << true << 0
                                      << QStringLiteral("'' is not a valid integer value");
        // Ten million digits: too large for an integer, read at once, quoted cut short.
        lines[5] = QStringLiteral("VFRMBC=") + QStringLiteral("1234567890").repeated(1000000);
        QTest::newRow("huge colour")
            << gbkFile(lines) << 0 << 0 << 0 << 16777215 << false << true << 0
            << QStringLiteral("'%1…' is not a valid integer value").arg(QStringLiteral("1234567890").repeated(4));
    }
    void startupRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, listOrder);
        QFETCH(int, viewMode);
        QFETCH(int, windowMode);
        QFETCH(int, color);
        QFETCH(bool, minTray);
        QFETCH(bool, closeTray);
        QFETCH(int, listStyle);
        QFETCH(QString, error);

        TestDataDir dir;
        writeFile(dir.file(QStringLiteral("QS.ini")), file);
        ScriptedPrompts prompts;
        TMainForm form(dir.path());
        form.setListViewStyle(0);
        form.FormCreate();
        QCOMPARE(ListOrder, listOrder);
        QCOMPARE(ViewMode, viewMode);
        QCOMPARE(ViewerWindowMode, windowMode);
        QCOMPARE(ViewerColor, color);
        QCOMPARE(TrayOptions.minimize, minTray);
        QCOMPARE(TrayOptions.close, closeTray);
        QCOMPARE(form.listViewStyle(), listStyle);
        if (error.isEmpty()) {
            QVERIFY(prompts.shown.isEmpty());
        } else {
            QCOMPARE(prompts.shown.size(), 1);
            QCOMPARE(prompts.shown.first().kind, QStringLiteral("standardError"));
            QCOMPARE(prompts.shown.first().text, error);
        }
        form.setClosing();
    }

    // The same rows read without a window: the reader shows no box itself, and hands the list its
    // view style (which the list takes as large icons when out of range) only when every line was read.
    void startupReadWithoutAWindow_data() { startupRead_data(); }
    void startupReadWithoutAWindow()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, listOrder);
        QFETCH(int, viewMode);
        QFETCH(int, windowMode);
        QFETCH(int, color);
        QFETCH(bool, minTray);
        QFETCH(bool, closeTray);
        QFETCH(int, listStyle);
        QFETCH(QString, error);

        TestDataDir dir;
        writeFile(dir.file(QStringLiteral("QS.ini")), file);
        ScriptedPrompts prompts;
        QListWidget list;
        listitems::setViewStyle(&list, 0);
        int handed = 0;
        const QString read = readStartupSettings(dir.file(QStringLiteral("QS.ini")), [&](int style) {
            ++handed;
            listitems::setViewStyle(&list, style);
        });
        QCOMPARE(read, error);
        QCOMPARE(ListOrder, listOrder);
        QCOMPARE(ViewMode, viewMode);
        QCOMPARE(ViewerWindowMode, windowMode);
        QCOMPARE(ViewerColor, color);
        QCOMPARE(TrayOptions.minimize, minTray);
        QCOMPARE(TrayOptions.close, closeTray);
        QCOMPARE(handed, error.isEmpty() ? 1 : 0);
        QCOMPARE(listitems::viewStyle(&list), listStyle);
        QVERIFY(prompts.shown.isEmpty());
    }

    void missingFileReportsThePath()
    {
        TestDataDir dir;
        QFile::remove(dir.file(QStringLiteral("QS.ini")));
        ScriptedPrompts prompts;
        TMainForm form(dir.path());
        form.FormCreate();
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.lastText().startsWith(
            QStringLiteral("Cannot open file \"%1\". ").arg(dir.file(QStringLiteral("QS.ini")))));
        QCOMPARE(ViewerColor, 16777215);
        QCOMPARE(TrayOptions, TrayOptionSet {});
        // The tree still loaded and the history is empty.
        QCOMPARE(form.ui().MainTreeView->topLevelItemCount(), 3);
        QVERIFY(form.navigator().backHistory().isEmpty());
        form.setClosing();
    }

    void writeFailureLeavesOldFile()
    {
        TestDataDir dir;
        const QString path = dir.file(QStringLiteral("QS.ini"));
        QFile before(path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray old = before.readAll();
        before.close();
        QString error;
        // A directory where the file should be cannot be replaced.
        QVERIFY(!writeSettingsFile(dir.file(QStringLiteral("nosuchdir/QS.ini")), SettingsValues {}, &error));
        QVERIFY(error.startsWith(QStringLiteral("Cannot create file \"")));
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), old);
    }

    // A shared installation: the program directory is read-only, QS.ini in it writable.
    void writesInAReadOnlyDirectory()
    {
        TestDataDir dir;
        const QString path = dir.file(QStringLiteral("QS.ini"));
        SettingsValues v;
        v.icon = 2;
        v.trayWay = QStringLiteral("1");
        const QByteArray dirName = QFile::encodeName(dir.path());
        QCOMPARE(::chmod(dirName.constData(), 0555), 0);
        QString error;
        bool written = false;
        bool permissionsHold = false;
        {
            WithoutDacOverride dropped;
            permissionsHold = dropped.isActive();
            if (permissionsHold) {
                written = writeSettingsFile(path, v, &error);
                // Nothing new can be made in the directory, so this is the case the fallback is for.
                QFile probe(dir.file(QStringLiteral("probe")));
                permissionsHold = !probe.open(QIODevice::WriteOnly);
            }
        }
        QCOMPARE(::chmod(dirName.constData(), 0755), 0);
        if (!permissionsHold)
            QSKIP("file permissions cannot be made to hold here");
        QVERIFY2(written, qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), settingsFileBytes(v));
    }
};

QS_TEST_CLASS(SettingsFileTest)
#include "test_settings.moc"
