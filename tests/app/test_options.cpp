// The options dialog: filling from the settings file, writing all 14 lines on OK and applying them
// at once, Cancel writing nothing, and failures while reading or writing the file.
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"
#include "app/StartupSettings.h"
#include "app/TOptionForm.h"
#include "common/Gbk.h"
#include "common/SettingsFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
QStringList settingsLines(const QString& icon, const QString& order, const QString& view, const QString& viewDe,
    const QString& color, const QStringList& font, const QString& tray)
{
    return QStringList {QStringLiteral("[Quillstash ini file]"), QStringLiteral("ICON=") + icon,
               QStringLiteral("ORDER=") + order, QStringLiteral("VIEWSTYLE=") + view,
               QStringLiteral("VIEWSTYLEDE=") + viewDe, QStringLiteral("VFRMBC=") + color, QStringLiteral("Font=")}
    + font + QStringList {QStringLiteral("TrayWay=") + tray};
}

const QStringList kSongFont = {QStringLiteral("     134"), QStringLiteral("     0"), QStringLiteral("     -12"),
    QStringLiteral("     宋体"), QStringLiteral("     9"), QStringLiteral("     02")};

QByteArray fileBytes(const QStringList& lines) { return gbk::encode(joinLinesCrLf(lines)); }

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The list view styles handed to the main list, in order.
struct RecordedStyles {
    std::function<void(int)> sink()
    {
        return [this](int style) {
            styles.append(style);
        };
    }
    QList<int> styles;
};

QList<QRadioButton*> radios(const TOptionForm& form)
{
    return {form.BigIconOBtn, form.SmallIconOBtn, form.ListOBtn, form.ByNameOBtn, form.ByTimeOBtn, form.ThisOBtn,
        form.NewOBtn, form.AllNewOBtn, form.EveryNewOBtn};
}
}  // namespace

class OptionsDialogTest final : public QObject {
    Q_OBJECT
private slots:
    void init() { resetInMemorySettings(); }

    // Opening and pressing OK rewrites the file; canonical files come back byte for byte.
    void okRewrites_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("written");  // empty: the same lines
        QTest::addColumn<QString>("colorName");

        QTest::newRow("song, bold and underline, both tray flags")
            << settingsLines("0", "1", "0", "0", "16777215", kSongFont, "01") << QStringList {} << "White";
        QTest::newRow("list, by name, new windows, sky blue, no style, no tray") << settingsLines("2", "0", "1", "1",
            "15780518", {"     1", "     255", "     -19", "     Noto Sans CJK SC", "     14", "     "}, "")
                                                                                 << QStringList {} << "Sky Blue";
        QTest::newRow("small icons, system colour, minimise only")
            << settingsLines("1", "0", "1", "0", "-16777201", kSongFont, "0") << QStringList {} << "Button Face";
        QTest::newRow("a colour without a name is kept")
            << settingsLines("0", "0", "0", "0", "1193046", kSongFont, "1") << QStringList {} << "$00123456";
        QTest::newRow("style and tray written in their usual form")
            << settingsLines("0", "0", "0", "1", "0",
                   {"     134", "     0", "     -12", "     宋 体", "     9", "     3x1"}, "10")
            << settingsLines(
                   "0", "0", "0", "1", "0", {"     134", "     0", "     -12", "     宋 体", "     9", "     13"}, "01")
            << "Black";
        QTest::newRow("values outside the groups count as 0")
            << settingsLines("7", "5", "9", "8", "16777215", kSongFont, "2")
            << settingsLines("0", "0", "0", "0", "16777215", kSongFont, "") << "White";
    }
    void okRewrites()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, written);
        QFETCH(QString, colorName);
        TestDataDir dir;
        const QString ini = dir.file(QStringLiteral("QS.ini"));
        QVERIFY(writeFile(ini, fileBytes(lines)));
        ScriptedPrompts prompts;
        RecordedStyles list;
        TOptionForm form(nullptr, ini, list.sink());
        QSignalSpy finished(&form, &QDialog::finished);
        QCOMPARE(form.ColorBox->currentText(), colorName);

        form.OkBtnClick();
        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.lastText()));
        QCOMPARE(readFile(ini), fileBytes(written.isEmpty() ? lines : written));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }

    void okAppliesAtOnce()
    {
        TestDataDir dir;
        const QString ini = dir.file(QStringLiteral("QS.ini"));
        QVERIFY(writeFile(ini, fileBytes(settingsLines("0", "0", "0", "0", "16777215", kSongFont, "01"))));
        ScriptedPrompts prompts;
        RecordedStyles list;
        QCOMPARE(readStartupSettings(ini, list.sink()), QString());  // as the program starts
        QCOMPARE(TrayOptions, (TrayOptionSet {true, true}));
        QCOMPARE(list.styles, QList<int> {0});
        TOptionForm form(nullptr, ini, list.sink());
        QVERIFY(form.MinToTrayCheck->isChecked());
        QVERIFY(form.CloseToTrayCheck->isChecked());

        form.MinToTrayCheck->setChecked(false);
        form.CloseToTrayCheck->setChecked(false);
        form.ListOBtn->setChecked(true);
        form.ByTimeOBtn->setChecked(true);
        form.NewOBtn->click();
        form.EveryNewOBtn->setChecked(true);
        form.selectColor(15780518);
        form.OkBtnClick();

        QCOMPARE(readFile(ini), fileBytes(settingsLines("2", "1", "1", "1", "15780518", kSongFont, "")));
        QCOMPARE(TrayOptions, (TrayOptionSet {false, false}));
        QCOMPARE(list.styles, (QList<int> {0, 2}));
        QCOMPARE(ListOrder, 2);
        QCOMPARE(ViewMode, 1);
        QCOMPARE(ViewerWindowMode, 1);
        QCOMPARE(ViewerColor, 15780518);

        // By name gives the by-title order; minimise alone is "0".
        TOptionForm again(nullptr, ini, list.sink());
        again.ByNameOBtn->setChecked(true);
        again.MinToTrayCheck->setChecked(true);
        again.OkBtnClick();
        QCOMPARE(ListOrder, 1);
        QCOMPARE(TrayOptions, (TrayOptionSet {true, false}));
        QVERIFY(readFile(ini).endsWith("TrayWay=0\r\n"));
    }

    void windowModeFollowsViewMode()
    {
        TestDataDir dir;
        const QString ini = dir.file(QStringLiteral("QS.ini"));
        QVERIFY(writeFile(ini, fileBytes(settingsLines("0", "0", "0", "1", "16777215", kSongFont, "1"))));
        RecordedStyles list;
        TOptionForm form(nullptr, ini, list.sink());
        QVERIFY(form.ThisOBtn->isChecked());
        QVERIFY(!form.AllNewOBtn->isEnabled());
        QVERIFY(!form.EveryNewOBtn->isEnabled());
        QVERIFY(form.EveryNewOBtn->isChecked());  // disabled buttons keep their check
        form.NewOBtn->click();
        QVERIFY(form.AllNewOBtn->isEnabled());
        QVERIFY(form.EveryNewOBtn->isEnabled());
        form.ThisOBtn->click();
        QVERIFY(!form.AllNewOBtn->isEnabled());

        // Groups are separate: checking a window button leaves the viewing button checked.
        form.NewOBtn->click();
        form.AllNewOBtn->click();
        QVERIFY(form.NewOBtn->isChecked());
        QVERIFY(form.AllNewOBtn->isChecked());
        QCOMPARE(form.values().viewStyleDe, 0);

        QVERIFY(writeFile(ini, fileBytes(settingsLines("0", "0", "1", "0", "16777215", kSongFont, "1"))));
        TOptionForm other(nullptr, ini, list.sink());
        QVERIFY(other.AllNewOBtn->isEnabled());
        QVERIFY(other.AllNewOBtn->isChecked());
    }

    void fontChoice()
    {
        TestDataDir dir;
        const QString ini = dir.file(QStringLiteral("QS.ini"));
        const QStringList redFont = {"     134", "     255", "     -12", "     宋体", "     9", "     02"};
        const QByteArray original = fileBytes(settingsLines("0", "0", "0", "0", "16777215", redFont, "1"));
        QVERIFY(writeFile(ini, original));
        ScriptedPrompts prompts;
        RecordedStyles list;

        TOptionForm form(nullptr, ini, list.sink());
        QCOMPARE(form.chooserFont().family(), QStringLiteral("宋体"));
        QCOMPARE(form.chooserFont().pointSize(), 9);
        QVERIFY(form.chooserFont().bold());
        QVERIFY(form.chooserFont().underline());
        QVERIFY(!form.chooserFont().italic());
        QFont chosen(QStringLiteral("DejaVu Sans"), 14);
        chosen.setItalic(true);
        chosen.setStrikeOut(true);
        prompts.fonts.enqueue(chosen);
        form.FontBtnClick();
        QCOMPARE(form.fontRecord().name, QStringLiteral("DejaVu Sans"));
        QCOMPARE(form.fontRecord().size, 14);
        form.CancelBtnClick();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(readFile(ini), original);
        QVERIFY(list.styles.isEmpty());  // Cancel applies nothing

        // A cancelled chooser changes nothing; a confirmed one is written by OK with the character
        // set and colour carried over.
        TOptionForm second(nullptr, ini, list.sink());
        prompts.fonts.enqueue(std::nullopt);
        second.FontBtnClick();
        QCOMPARE(second.fontRecord().name, QStringLiteral("宋体"));
        prompts.fonts.enqueue(chosen);
        second.FontBtnClick();
        QCOMPARE(second.chooserFont().family(), QStringLiteral("DejaVu Sans"));
        second.OkBtnClick();
        QCOMPARE(readFile(ini),
            fileBytes(settingsLines("0", "0", "0", "0", "16777215",
                {"     134", "     255", "     -19", "     DejaVu Sans", "     14", "     13"}, "1")));
    }

    void readFailureOnOpen_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: no file at all
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("filled");  // the radio buttons and tray boxes were filled

        const QStringList good = settingsLines("1", "1", "1", "1", "15780518", kSongFont, "01");
        QTest::newRow("missing file") << QByteArray() << "Cannot open file" << false;
        QStringList badOrder = good;
        badOrder[2] = QStringLiteral("ORDER=x");
        QTest::newRow("letter where a digit is read")
            << fileBytes(badOrder) << "'x' is not a valid integer value" << false;
        QTest::newRow("too short") << fileBytes(good.mid(0, 12)) << "List index out of bounds (13)" << false;
        QStringList badHeight = good;
        badHeight[9] = QStringLiteral("     abc");
        QTest::newRow("bad font height") << fileBytes(badHeight) << "'abc' is not a valid integer value" << true;
    }
    void readFailureOnOpen()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(bool, filled);
        TestDataDir dir;
        const QString ini = dir.file(QStringLiteral("QS.ini"));
        QVERIFY(QFile::remove(ini));
        if (!bytes.isEmpty())
            QVERIFY(writeFile(ini, bytes));
        ScriptedPrompts prompts;
        RecordedStyles list;
        TOptionForm form(nullptr, ini, list.sink());

        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().kind, QStringLiteral("standardError"));
        QVERIFY2(prompts.lastText().startsWith(error), qPrintable(prompts.lastText()));
        QCOMPARE(form.SmallIconOBtn->isChecked(), filled);
        QCOMPARE(form.MinToTrayCheck->isChecked(), filled);
        QCOMPARE(form.CloseToTrayCheck->isChecked(), filled);
        if (!filled) {
            for (QRadioButton* button : radios(form))
                QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
            QCOMPARE(form.ColorBox->currentText(), QStringLiteral("White"));
        } else {
            // The font lines read before the failure stay in the record.
            QCOMPARE(form.fontRecord().charset, 134);
            QCOMPARE(form.fontRecord().name, QString());
        }
    }

    void writeFailureOnOk()
    {
        TestDataDir dir;
        const QString ini = dir.file(QStringLiteral("QS.ini"));
        QVERIFY(writeFile(ini, fileBytes(settingsLines("0", "0", "0", "0", "16777215", kSongFont, "1"))));
        ScriptedPrompts prompts;
        RecordedStyles list;
        QCOMPARE(readStartupSettings(ini, list.sink()), QString());  // as the program starts
        TOptionForm form(nullptr, ini, list.sink());
        QSignalSpy finished(&form, &QDialog::finished);
        // A directory in the file's place cannot be replaced by a file (read-only permission bits
        // would not stop a test running as root).
        QVERIFY(QFile::remove(ini));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("QS.ini")));

        form.ListOBtn->setChecked(true);
        form.ByTimeOBtn->setChecked(true);
        form.MinToTrayCheck->setChecked(true);
        form.selectColor(0);
        form.OkBtnClick();

        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().kind, QStringLiteral("standardError"));
        QVERIFY2(
            prompts.lastText().startsWith(QStringLiteral("Cannot create file \"")), qPrintable(prompts.lastText()));
        QCOMPARE(finished.count(), 0);
        QCOMPARE(list.styles, QList<int> {0});  // only the start-up's
        QCOMPARE(ListOrder, 1);
        QCOMPARE(ViewerColor, 16777215);
        QCOMPARE(TrayOptions, (TrayOptionSet {false, true}));
        QVERIFY(QFileInfo(ini).isDir());
    }
};

QS_TEST_CLASS(OptionsDialogTest)
#include "test_options.moc"
