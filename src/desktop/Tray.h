#pragma once
// The tray icon and the window state it governs: minimising or closing the main window to the tray
// as the settings say, the tray menu that shows and hides the main window and the floating drop
// window, and the floating window itself. Without a tray nothing is ever hidden out of reach.
#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;
class TCategoryTree;

class TTray final : public QObject {
    Q_OBJECT
public:
    static constexpr int SC_MINIMIZE = 0xF020;
    static constexpr int SC_CLOSE = 0xF060;

    // window: the main window; showMain / showFloating: the tray menu's two check items; menu: the
    // tray menu; tree: what the floating window's filing dialogs offer.
    TTray(QWidget* window, QAction* showMain, QAction* showFloating, QMenu* menu, const TCategoryTree* tree,
        QObject* parent = nullptr);
    ~TTray() override;

    void SetupTray();
    void removeTrayIcon();
    QSystemTrayIcon* icon() const { return m_icon; }
    // The application's minimise event.
    void OnAppMin();
    // The system commands minimise and close: true when the window went to the tray instead.
    bool OnTrayForm(int command);
    // A tray icon event (a QSystemTrayIcon::ActivationReason).
    void TrayControl(int reason);
    void N121Click();
    void N341Click();
    // A second start asks the window to show itself.
    void WMSencondRun();

    // The floating drop window: created once and shown; destroyed at shutdown.
    void ShowDragForm();
    void showDragFormWindow();
    void destroyDragForm();

private:
    bool canHideToTray() const;
    void hideToTray();
    void showFromTray();
    void dragFormClosed();
    void popupMenu(const QPoint& at);

    QWidget* m_window;
    QAction* m_showMain;
    QAction* m_showFloating;
    QMenu* m_menu;
    const TCategoryTree* m_tree;
    QSystemTrayIcon* m_icon = nullptr;
};
