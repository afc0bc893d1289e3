// Tray icon, floating drop window, help and about, as seen from the main window.
#include "app/Images.h"
#include "app/Opener.h"
#include "app/Prompts.h"
#include "app/SettingsFile.h"
#include "app/TMainForm.h"
#include "desktop/TAboutForm.h"
#include "desktop/TDragForm.h"
#include "desktop/TrayAvailability.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <exception>

namespace {
std::optional<bool> trayOverride;
}  // namespace

bool tray::available()
{
    return trayOverride ? *trayOverride : QSystemTrayIcon::isSystemTrayAvailable();
}

void tray::setAvailabilityOverride(std::optional<bool> value) { trayOverride = value; }

namespace {
// The window may go to the tray only while there is an icon to bring it back with.
bool canHideToTray(const TMainForm& form) { return form.TrayIcon && tray::available(); }

void hideToTray(TMainForm& form)
{
    form.hide();
    form.N121->setChecked(false);
}

void showFromTray(TMainForm& form)
{
    if (form.isMinimized())
        form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
    form.show();
    form.raise();
    form.activateWindow();
    form.N121->setChecked(true);
}
}  // namespace

void TMainForm::SetupTray()
{
    if (TrayIcon)
        return;
    TrayIcon = new QSystemTrayIcon(images::appIcon(), this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setToolTip(QStringLiteral("Quillstash"));
    // The menu is popped up by TrayControl, as on a right click on the floating window.
    connect(TrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { TrayControl(int(reason)); });
    TrayIcon->show();
}

void TMainForm::OnAppMin()
{
    if (!TrayOptions.minimize || !canHideToTray(*this))
        return;
    // Hide once the minimise has run its course; hiding from inside the state change may be undone by it.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && canHideToTray(*this))
            hideToTray(*this);
    });
}

// reason: a QSystemTrayIcon::ActivationReason.
void TMainForm::TrayControl(int reason)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        if (!isVisible())
            showFromTray(*this);
        break;
    case QSystemTrayIcon::Context:
        TrayPopMenu->popup(QCursor::pos());
        break;
    default:
        break;
    }
}

namespace {
const QString kLastWindow = QStringLiteral("没有系统托盘时，不能把主窗口和悬浮窗口都隐藏，否则就无法再回到程序。");
}  // namespace

void TMainForm::N121Click()
{
    if (N121->isChecked()) {
        showFromTray(*this);
        return;
    }
    // Without a tray the floating window's menu is the only way back to a hidden main window.
    if (!tray::available() && !(DragForm && DragForm->isVisible())) {
        N121->setChecked(true);
        prompts().info(this, kLastWindow, QStringLiteral("提示信息"));
        return;
    }
    hide();
}

void TMainForm::N341Click()
{
    if (N341->isChecked()) {
        showDragFormWindow();
        return;
    }
    if (!tray::available() && !isVisible()) {
        N341->setChecked(true);
        prompts().info(this, kLastWindow, QStringLiteral("提示信息"));
        return;
    }
    if (DragForm)
        DragForm->hide();
}

void TMainForm::dragFormClosed()
{
    // The check mark tells whether the floating window is shown.
    N341->setChecked(false);
    // Without a tray a hidden main window would have no way back once the floating window is gone.
    if (!tray::available() && !isVisible())
        showFromTray(*this);
}

void TMainForm::N41Click()
{
    const QString path = QDir(programDir()).filePath(QStringLiteral("QSHELP.html"));
    if (!QFileInfo::exists(path)) {
        prompts().warn(this, QStringLiteral("找不到帮助文件%1，请重新安装！").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!opener().open(QUrl::fromLocalFile(path)))
        prompts().warn(this, QStringLiteral("无法打开帮助文件%1。").arg(QDir::toNativeSeparators(path)));
}

void TMainForm::N43Click() { prompts().info(this, QStringLiteral("Quillstash 没有作者的电子邮件地址，暂时无法来信。")); }

void TMainForm::N44Click() { prompts().info(this, QStringLiteral("Quillstash 没有自己的网站，帮助请看“帮助 → 主题”。")); }

void TMainForm::N46Click()
{
    TAboutForm about(this);
    about.exec();
}

bool TMainForm::OnTrayForm(int command)
{
    const bool toTray = (command == SC_MINIMIZE && TrayOptions.minimize) || (command == SC_CLOSE && TrayOptions.close);
    if (!toTray || !canHideToTray(*this))
        return false;
    hideToTray(*this);
    return true;
}

void TMainForm::showDragFormWindow()
{
    try {
        if (!DragForm)
            DragForm = new TDragForm();
        DragForm->show();
    } catch (const std::exception&) {
        prompts().warn(this, QStringLiteral("悬浮窗口创建失败！"));
    }
}

void TMainForm::destroyDragForm()
{
    // The filing dialogs are owned by the floating window and go with it.
    delete DragForm;
    DragForm = nullptr;
}

void TMainForm::removeTrayIcon()
{
    if (!TrayIcon)
        return;
    TrayIcon->hide();
    delete TrayIcon;
    TrayIcon = nullptr;
}
