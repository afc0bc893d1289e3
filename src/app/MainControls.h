#pragma once
// The controls, toolbar buttons and menus of the main window, built in code with the names the
// program's handlers know them by. The window connects them to its handlers; nothing here acts.
class FindBar;
class QAction;
class QListWidget;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QStatusBar;
class QTableWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QWidget;

struct TMainControls {
    // Builds everything on window (toolbar, central area, status row, menu bar and pop-up menus).
    static TMainControls built(QMainWindow* window);

    // Toolbar image index of a button (MainImageList), and setting it with its picture.
    static int buttonImage(const QToolButton* button);
    static void setButtonImage(QToolButton* button, int image);

    QToolBar* ToolCoolBar = nullptr;  // the band holding MainToolBar
    QToolBar* MainToolBar = nullptr;
    QToolButton* BackTBtn = nullptr;
    QToolButton* PreTBtn = nullptr;
    QToolButton* UpTBtn = nullptr;
    QToolButton* ToolButton1 = nullptr;  // add subcategory
    QToolButton* ToolButton2 = nullptr;  // rename category
    QToolButton* ToolButton3 = nullptr;  // delete subcategory
    QToolButton* ToolButton4 = nullptr;  // add material
    QToolButton* ToolButton6 = nullptr;  // delete material
    QToolButton* ToolButton7 = nullptr;  // edit material
    QToolButton* ToolButton9 = nullptr;  // search
    QToolButton* ToolButton10 = nullptr;  // options
    QToolButton* ToolButton13 = nullptr;  // help
    QToolButton* ToolButton12 = nullptr;  // exit

    QTreeWidget* MainTreeView = nullptr;
    QWidget* panel = nullptr;
    QListWidget* MainList = nullptr;
    QWidget* detailArea = nullptr;  // MainDetail and ThisFrmViewer share this place
    QTableWidget* MainDetail = nullptr;
    QPlainTextEdit* ThisFrmViewer = nullptr;
    FindBar* ReaderFind = nullptr;  // under ThisFrmViewer, shown by Ctrl+F in it
    QListWidget* StoreItemView = nullptr;  // hidden: the last search results
    QWidget* Panel1 = nullptr;
    QStatusBar* MainStatus = nullptr;
    QProgressBar* MainProgressBar = nullptr;

    QMenu* FileMenu = nullptr;  // "文件&F"
    QMenu* EditMenu = nullptr;  // "编辑&E"
    QMenu* ViewMenu = nullptr;  // "查看&V"
    QMenu* HelpMenu = nullptr;  // "帮助&H"
    QMenu* MainTreePopupMenu = nullptr;
    QMenu* MainListPopupMenu = nullptr;
    QMenu* TrayPopMenu = nullptr;
    QMenu* BackMenu = nullptr;
    QMenu* PreMenu = nullptr;

    // 文件: add subcategory, rename, delete category, add material, export all, import, exit.
    QAction* N2 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* N11 = nullptr;
    QAction* N47 = nullptr;
    QAction* N48 = nullptr;
    QAction* N12 = nullptr;
    // 编辑: delete material, edit material, move materials.
    QAction* N19 = nullptr;
    QAction* N20 = nullptr;
    QAction* N31 = nullptr;
    // 查看: the three styles, the two orders, search, options.
    QAction* N23 = nullptr;
    QAction* N24 = nullptr;
    QAction* N25 = nullptr;
    QAction* N27 = nullptr;
    QAction* N28 = nullptr;
    QAction* N29 = nullptr;
    QAction* N30 = nullptr;
    // 查看, for the keyboard: back, forward, up (as the toolbar buttons).
    QAction* NavBack = nullptr;
    QAction* NavForward = nullptr;
    QAction* NavUp = nullptr;
    // 帮助: topics, mail, web site, about.
    QAction* N41 = nullptr;
    QAction* N43 = nullptr;
    QAction* N44 = nullptr;
    QAction* N46 = nullptr;
    // Tree pop-up menu: add subcategory, rename, delete, add material.
    QAction* N1 = nullptr;
    QAction* N5 = nullptr;
    QAction* N7 = nullptr;
    QAction* N6 = nullptr;
    // List pop-up menu: add, delete, edit material; its own styles and orders.
    QAction* N14 = nullptr;
    QAction* N15 = nullptr;
    QAction* N16 = nullptr;
    QAction* ListLargeIcons = nullptr;
    QAction* ListSmallIcons = nullptr;
    QAction* ListList = nullptr;
    QAction* ListByName = nullptr;
    QAction* ListByTime = nullptr;
    // Tray menu: show main window, show floating window (checkable), about, exit.
    QAction* N121 = nullptr;
    QAction* N341 = nullptr;
    QAction* N35 = nullptr;
    QAction* N36 = nullptr;

private:
    void buildToolBar(QMainWindow* window);
    void buildCentralArea(QMainWindow* window);
    void buildMenus(QMainWindow* window);
    void assignShortcuts();
};
