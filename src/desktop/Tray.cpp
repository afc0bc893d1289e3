#include "desktop/Tray.h"

#include "common/Images.h"
#include "common/Prompts.h"
#include "common/RunState.h"
#include "desktop/TDragForm.h"
#include "desktop/TrayAvailability.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <exception>

namespace {
std::optional<bool> trayOverride;
const QString kLastWindow = QStringLiteral("没有系统托盘时，不能把主窗口和悬浮窗口都隐藏，否则就无法再回到程序。");
}  // namespace

bool tray::available() { return trayOverride ? *trayOverride : QSystemTrayIcon::isSystemTrayAvailable(); }

void tray::setAvailabilityOverride(std::optional<bool> value) { trayOverride = value; }

TTray::TTray(
    QWidget* window, QAction* showMain, QAction* showFloating, QMenu* menu, const TCategoryTree* tree, QObject* parent)
    : QObject(parent), m_window(window), m_showMain(showMain), m_showFloating(showFloating), m_menu(menu), m_tree(tree)
{
    // The check items toggle themselves when clicked (triggered), then the handler acts on the new state.
    connect(m_showMain, &QAction::triggered, this, &TTray::N121Click);
    connect(m_showFloating, &QAction::triggered, this, &TTray::N341Click);
}

TTray::~TTray() { destroyDragForm(); }

// The window may go to the tray only while there is an icon to bring it back with.
bool TTray::canHideToTray() const { return m_icon && tray::available(); }

void TTray::hideToTray()
{
    m_window->hide();
    m_showMain->setChecked(false);
}

void TTray::showFromTray()
{
    if (m_window->isMinimized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_showMain->setChecked(true);
}

void TTray::SetupTray()
{
    if (m_icon)
        return;
    m_icon = new QSystemTrayIcon(images::appIcon(), this);
    m_icon->setObjectName(QStringLiteral("TrayIcon"));
    m_icon->setToolTip(QStringLiteral("Quillstash"));
    // The menu is popped up by TrayControl, as on a right click on the floating window.
    connect(m_icon, &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) { TrayControl(int(reason)); });
    m_icon->show();
}

void TTray::removeTrayIcon()
{
    if (!m_icon)
        return;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
}

void TTray::OnAppMin()
{
    if (!TrayOptions.minimize || !canHideToTray())
        return;
    // Hide once the minimise has run its course; hiding from inside the state change may be undone by it.
    QTimer::singleShot(0, this, [this] {
        if (m_window->isMinimized() && canHideToTray())
            hideToTray();
    });
}

bool TTray::OnTrayForm(int command)
{
    const bool toTray = (command == SC_MINIMIZE && TrayOptions.minimize) || (command == SC_CLOSE && TrayOptions.close);
    if (!toTray || !canHideToTray())
        return false;
    hideToTray();
    return true;
}

void TTray::popupMenu(const QPoint& at) { m_menu->popup(at); }

void TTray::TrayControl(int reason)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        if (!m_window->isVisible())
            showFromTray();
        break;
    case QSystemTrayIcon::Context:
        popupMenu(QCursor::pos());
        break;
    default:
        break;
    }
}

void TTray::N121Click()
{
    if (m_showMain->isChecked()) {
        showFromTray();
        return;
    }
    // Without a tray the floating window's menu is the only way back to a hidden main window.
    if (!tray::available() && !(DragForm && DragForm->isVisible())) {
        m_showMain->setChecked(true);
        prompts().info(m_window, kLastWindow, QStringLiteral("提示信息"));
        return;
    }
    m_window->hide();
}

void TTray::N341Click()
{
    if (m_showFloating->isChecked()) {
        showDragFormWindow();
        return;
    }
    if (!tray::available() && !m_window->isVisible()) {
        m_showFloating->setChecked(true);
        prompts().info(m_window, kLastWindow, QStringLiteral("提示信息"));
        return;
    }
    if (DragForm)
        DragForm->hide();
}

void TTray::dragFormClosed()
{
    // The check mark tells whether the floating window is shown.
    m_showFloating->setChecked(false);
    // Without a tray a hidden main window would have no way back once the floating window is gone.
    if (!tray::available() && !m_window->isVisible())
        showFromTray();
}

void TTray::WMSencondRun()
{
    if (m_showMain->isChecked()) {
        m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        m_window->show();
    } else {
        // A window sent to the tray by minimising keeps its minimised state: show it restored.
        m_showMain->setChecked(true);
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
        m_window->show();
    }
}

void TTray::ShowDragForm()
{
    showDragFormWindow();
    m_showFloating->setChecked(true);
}

void TTray::showDragFormWindow()
{
    try {
        if (!DragForm) {
            DragForm = new TDragForm(m_tree);
            connect(DragForm, &TDragForm::menuRequested, this, &TTray::popupMenu);
            connect(DragForm, &TDragForm::closedByUser, this, &TTray::dragFormClosed);
        }
        DragForm->show();
    } catch (const std::exception&) {
        prompts().warn(m_window, QStringLiteral("悬浮窗口创建失败！"));
    }
}

void TTray::destroyDragForm()
{
    // The filing dialogs are owned by the floating window and go with it.
    delete DragForm;
    DragForm = nullptr;
}
