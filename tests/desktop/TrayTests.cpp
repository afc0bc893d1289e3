// Tray icon and window state, the floating window's place and menu, help and about; driven with a
// plain widget as the window, and once through the main window's own wiring.
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"
#include "TrayRig.h"
#include "common/SettingsFile.h"
#include "desktop/Help.h"
#include "desktop/TAboutForm.h"
#include "desktop/TDragForm.h"
#include "desktop/TrayAvailability.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>

class TrayTest final : public QObject {
    Q_OBJECT
private slots:
    void init() { tray::setAvailabilityOverride(true); }
    void cleanup()
    {
        tray::setAvailabilityOverride(std::nullopt);
        TrayOptions = TrayOptionSet {};
    }

    void setupShowsTheIcon()
    {
        TrayRig r;
        QVERIFY(r.tray.icon());
        QCOMPARE(r.tray.icon()->toolTip(), QStringLiteral("Quillstash"));
        QVERIFY(!r.tray.icon()->icon().isNull());
        QSystemTrayIcon* const first = r.tray.icon();
        r.tray.SetupTray();  // a second setup keeps the one icon
        QCOMPARE(r.tray.icon(), first);
        r.tray.removeTrayIcon();
        QVERIFY(!r.tray.icon());
        r.tray.removeTrayIcon();  // a second removal at shutdown is harmless
    }

    void flagMatrix_data()
    {
        QTest::addColumn<bool>("minimize");
        QTest::addColumn<bool>("close");
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("toTray");
        const int min = TTray::SC_MINIMIZE;
        const int cls = TTray::SC_CLOSE;
        QTest::newRow("minimise, no flags") << false << false << min << false;
        QTest::newRow("minimise, close flag") << false << true << min << false;
        QTest::newRow("minimise, minimise flag") << true << false << min << true;
        QTest::newRow("minimise, both flags") << true << true << min << true;
        QTest::newRow("close, no flags") << false << false << cls << false;
        QTest::newRow("close, close flag") << false << true << cls << true;
        QTest::newRow("close, minimise flag") << true << false << cls << false;
        QTest::newRow("close, both flags") << true << true << cls << true;
        QTest::newRow("other command, both flags") << true << true << 0xF030 << false;
    }

    void flagMatrix()
    {
        QFETCH(bool, minimize);
        QFETCH(bool, close);
        QFETCH(int, command);
        QFETCH(bool, toTray);
        TrayRig r(nullptr, true);
        TrayOptions = TrayOptionSet {minimize, close};
        QCOMPARE(r.tray.OnTrayForm(command), toTray);
        QCOMPARE(r.window.isVisible(), !toTray);
        QCOMPARE(r.showMain.isChecked(), !toTray);
    }

    void noTrayNeverHides_data()
    {
        QTest::addColumn<bool>("desktopHasTray");
        QTest::newRow("desktop without tray") << false;
        QTest::newRow("icon already removed") << true;
    }

    void noTrayNeverHides()
    {
        QFETCH(bool, desktopHasTray);
        tray::setAvailabilityOverride(desktopHasTray);
        TrayRig r(nullptr, true);
        if (desktopHasTray)
            r.tray.removeTrayIcon();
        TrayOptions = TrayOptionSet {true, true};
        QVERIFY(!r.tray.OnTrayForm(TTray::SC_MINIMIZE));
        QVERIFY(!r.tray.OnTrayForm(TTray::SC_CLOSE));
        r.window.showMinimized();
        r.tray.OnAppMin();  // what the window's minimise handler calls
        QCoreApplication::processEvents();
        QVERIFY(r.window.isMinimized());
        QVERIFY(r.window.isVisible());
        QVERIFY(r.showMain.isChecked());
    }

    void closeButtonHidesToTray()
    {
        TestDataDir dir;
        TestApp app(dir, true);
        TrayOptions = TrayOptionSet {false, true};
        QCloseEvent event;
        QCoreApplication::sendEvent(&app.form(), &event);
        QVERIFY(!event.isAccepted());
        QVERIFY(!app->isVisible());
        QVERIFY(!app->isClosing());
        QCOMPARE(app->treeSaveCount(), 0);
    }

    // The main window's own wiring: start-up sets up the icon and the floating window, a minimise
    // reaches the tray through the window's state change, and its tray menu, the floating window's
    // right click and the help command reach their handlers.
    void mainWindowWiring()
    {
        TestDataDir dir;
        ScriptedPrompts prompts;
        RecordingOpener opener;
        TestApp app(dir, true);
        QVERIFY(app->tray().icon());
        QTRY_VERIFY(DragForm && DragForm->isVisible());
        QVERIFY(app->ui().N341->isChecked());

        TrayOptions = TrayOptionSet {true, false};
        app->showMinimized();
        QTRY_VERIFY(!app->isVisible());
        QVERIFY(!app->ui().N121->isChecked());
        app->ui().N121->trigger();
        QVERIFY(app->isVisible());
        QVERIFY(!app->isMinimized());
        QVERIFY(app->ui().N121->isChecked());

        app->ui().N341->trigger();
        QVERIFY(!DragForm->isVisible());
        app->ui().N341->trigger();
        QVERIFY(DragForm->isVisible());
        QTest::mouseClick(DragForm, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QVERIFY(app->ui().TrayPopMenu->isVisible());
        app->ui().TrayPopMenu->hide();

        app->ui().N41->trigger();
        QCOMPARE(opener.opened, QList<QUrl> {QUrl::fromLocalFile(dir.file(QStringLiteral("QSHELP.html")))});
        QVERIFY(prompts.shown.isEmpty());
    }

    void minimiseGoesToTrayWithItsFlag()
    {
        TrayRig r(nullptr, true);
        TrayOptions = TrayOptionSet {true, false};
        r.window.showMinimized();
        r.tray.OnAppMin();
        QTRY_VERIFY(!r.window.isVisible());
        QVERIFY(!r.showMain.isChecked());
        r.tray.TrayControl(QSystemTrayIcon::DoubleClick);
        QVERIFY(r.window.isVisible());
        QVERIFY(!r.window.isMinimized());
        QVERIFY(r.showMain.isChecked());

        // Without the minimise flag a minimised window stays on the task bar.
        TrayOptions = TrayOptionSet {false, true};
        r.window.showMinimized();
        r.tray.OnAppMin();
        QCoreApplication::processEvents();
        QVERIFY(r.window.isVisible());
        QVERIFY(r.showMain.isChecked());
    }

    void trayIconClicks()
    {
        TrayRig r(nullptr, true);
        TrayOptions = TrayOptionSet {false, true};
        QVERIFY(r.tray.OnTrayForm(TTray::SC_CLOSE));
        r.tray.TrayControl(QSystemTrayIcon::Trigger);  // a single click does nothing
        QVERIFY(!r.window.isVisible());
        r.tray.TrayControl(QSystemTrayIcon::DoubleClick);
        QVERIFY(r.window.isVisible());
        QVERIFY(r.showMain.isChecked());
        r.tray.TrayControl(QSystemTrayIcon::DoubleClick);  // visible: nothing changes
        QVERIFY(r.window.isVisible());
        QVERIFY(r.showMain.isChecked());

        r.tray.TrayControl(QSystemTrayIcon::Context);
        QVERIFY(r.menu.isVisible());
        r.menu.hide();
    }

    void menuCheckItems()
    {
        TrayRig r(nullptr, true);
        TrayOptions = TrayOptionSet {false, false};  // the item works whatever the flags say
        QVERIFY(r.showMain.isChecked());
        r.showMain.trigger();
        QVERIFY(!r.showMain.isChecked());
        QVERIFY(!r.window.isVisible());
        r.showMain.trigger();
        QVERIFY(r.showMain.isChecked());
        QVERIFY(r.window.isVisible());

        r.tray.ShowDragForm();
        QVERIFY(r.showFloating.isChecked());
        TDragForm* floating = DragForm;
        QVERIFY(floating && floating->isVisible());
        r.showFloating.trigger();
        QVERIFY(!r.showFloating.isChecked());
        QCOMPARE(DragForm, floating);  // hidden, not destroyed
        QVERIFY(!floating->isVisible());
        r.showFloating.trigger();
        QVERIFY(floating->isVisible());
        r.tray.ShowDragForm();  // a second request reuses the window
        QCOMPARE(DragForm, floating);
    }

    // Without a tray the last window shown stays: hiding it would leave the program running unreachable.
    void noTrayKeepsOneWindowShown()
    {
        tray::setAvailabilityOverride(false);
        ScriptedPrompts prompts;
        TrayRig r(nullptr, true);
        r.tray.ShowDragForm();
        QVERIFY(DragForm && DragForm->isVisible());

        r.showFloating.trigger();  // floating window away: the main window is still there
        QVERIFY(!DragForm->isVisible());
        r.showMain.trigger();  // and the main window may not follow
        QVERIFY(r.showMain.isChecked());
        QVERIFY(r.window.isVisible());
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.last().caption, QStringLiteral("提示信息"));

        r.showFloating.trigger();
        QVERIFY(DragForm->isVisible());
        r.showMain.trigger();  // main window away: now the floating window may not follow
        QVERIFY(!r.window.isVisible());
        r.showFloating.trigger();
        QVERIFY(r.showFloating.isChecked());
        QVERIFY(DragForm->isVisible());
        QCOMPARE(prompts.shown.size(), 2);

        // Its own close command takes the floating window away: the main window comes back, and the
        // check mark follows the window.
        QVERIFY(DragForm->close());
        QVERIFY(!r.showFloating.isChecked());
        QVERIFY(r.window.isVisible());
        QVERIFY(r.showMain.isChecked());
    }

    void floatingWindowGeometry()
    {
        QCOMPARE(TDragForm::startPosition(QRect(0, 0, 1280, 800)), QPoint(1180, 50));
        QCOMPARE(TDragForm::startPosition(QRect(1920, 0, 1024, 768)), QPoint(2844, 50));
        TrayRig r;
        r.tray.ShowDragForm();
        QVERIFY(DragForm);
        QVERIFY(!DragForm->parentWidget());
        const Qt::WindowFlags flags = DragForm->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QCOMPARE(DragForm->size(), QSize(40, 40));
        QCOMPARE(DragForm->Image1->geometry(), QRect(4, 4, 32, 32));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(DragForm->pos(), QPoint(screen.width() - 100, 50));
        QVERIFY(qAbs(DragForm->windowOpacity() - 160.0 / 255.0) < 0.01);

        const QImage shot = DragForm->grab().toImage();
        QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(39, 39), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(2, 20), QColor(0xA6, 0xCA, 0xF0));  // sky blue between frame and picture
    }

    void floatingWindowMouse()
    {
        TrayRig r;
        r.tray.ShowDragForm();
        QTest::mouseClick(DragForm, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QVERIFY(r.menu.isVisible());
        r.menu.hide();

        // Dragging the body with the left button moves the window.
        const QPoint start = DragForm->pos();
        QTest::mousePress(DragForm, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QTest::mouseMove(DragForm, QPoint(-180, 120));
        QTest::mouseRelease(DragForm, Qt::LeftButton, Qt::NoModifier, QPoint(-180, 120));
        QTRY_COMPARE(DragForm->pos(), start + QPoint(-200, 100));
        QVERIFY(!r.menu.isVisible());
    }

    void helpPage()
    {
        TestDataDir dir;
        QWidget window;
        ScriptedPrompts prompts;
        RecordingOpener opener;
        help::N41Click(&window, dir.path());
        QCOMPARE(opener.opened, QList<QUrl> {QUrl::fromLocalFile(dir.file(QStringLiteral("QSHELP.html")))});
        QVERIFY(prompts.shown.isEmpty());

        QVERIFY(QFile::remove(dir.file(QStringLiteral("QSHELP.html"))));
        help::N41Click(&window, dir.path());
        QCOMPARE(opener.opened.size(), 1);
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.lastText().contains(QStringLiteral("QSHELP.html")));

        help::N43Click(&window);
        help::N44Click(&window);
        QCOMPARE(opener.opened.size(), 1);  // no contact address to hand out
        QCOMPARE(prompts.shown.size(), 3);
    }

    void aboutBox()
    {
        TAboutForm about;
        QCOMPARE(about.windowTitle(), QStringLiteral("关于Quillstash"));
        QCOMPARE(about.size(), QSize(329, 118));
        QCOMPARE(about.ProductLabel->text(), QStringLiteral("Quillstash"));
        QVERIFY(about.ProductLabel->font().bold());
        QCOMPARE(about.NoteLabel1->text(), QStringLiteral("说明：从这个工具发布以来，作者也没有想到会得到那么"));
        QCOMPARE(about.NoteLabel2->text(), QStringLiteral("多人的支持，感谢大家了，你们的支持使我有热情更新。"));
        QVERIFY(about.VersionLabel->text().startsWith(QStringLiteral("版本：1.5.5 Release")));
    }
};

QS_TEST_CLASS(TrayTest)
#include "TrayTests.moc"
