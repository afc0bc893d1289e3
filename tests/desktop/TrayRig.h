#pragma once
// The tray driven as the main window drives it, without a main window: a plain widget stands for the
// window, with the tray menu's two check items and the menu of its own. Set up as start-up leaves it:
// the main window's item checked and the tray icon shown.
#include "desktop/Tray.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

class TCategoryTree;

class TrayRig final {
public:
    // tree: what the floating window's filing dialogs offer (may be null); show: show the window.
    explicit TrayRig(const TCategoryTree* tree = nullptr, bool show = false)
        : tray(&window, &showMain, &showFloating, &menu, tree)
    {
        showMain.setCheckable(true);
        showFloating.setCheckable(true);
        menu.addAction(&showMain);
        menu.addAction(&showFloating);
        showMain.setChecked(true);
        tray.SetupTray();
        if (show)
            window.show();
    }
    TrayRig(const TrayRig&) = delete;
    TrayRig& operator=(const TrayRig&) = delete;

    QWidget window;
    QAction showMain {QStringLiteral("显示主窗口")};
    QAction showFloating {QStringLiteral("显示悬浮窗口")};
    QMenu menu;
    TTray tray;  // last: made after and destroyed before what it drives
};
