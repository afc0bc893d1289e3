#pragma once
// The main window: it owns the controls, menus and program-wide state of a run and wires the
// handlers. The handlers' work lives with the subsystem each belongs to; their definitions are in
// the subsystem folders (tree/, browse/, edit/, search/, desktop/).
#include "tree/NavHistory.h"

#include <QMainWindow>
#include <QPointer>
#include <optional>

class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QStatusBar;
class QSystemTrayIcon;
class QTableWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class TMainForm final : public QMainWindow {
    Q_OBJECT
public:
    // programDir: where MTS.qs, QS.ini, Data.QSD and the help page live. The constructor builds the
    // controls; FormCreate() runs the start-up sequence.
    explicit TMainForm(const QString& programDir, QWidget* parent = nullptr);
    ~TMainForm() override;

    const QString& programDir() const { return m_programDir; }
    QString treeFilePath() const;
    QString settingsFilePath() const;

    // ---- controls -----------------------------------------------------------------------
    QToolBar* ToolCoolBar = nullptr;  // the band holding MainToolBar
    QToolBar* MainToolBar = nullptr;
    QToolButton* BackTBtn = nullptr;
    QToolButton* PreTBtn = nullptr;
    QToolButton* UpTBtn = nullptr;
    QToolButton* ToolButton1 = nullptr;   // add subcategory
    QToolButton* ToolButton2 = nullptr;   // rename category
    QToolButton* ToolButton3 = nullptr;   // delete subcategory
    QToolButton* ToolButton4 = nullptr;   // add material
    QToolButton* ToolButton6 = nullptr;   // delete material
    QToolButton* ToolButton7 = nullptr;   // edit material
    QToolButton* ToolButton9 = nullptr;   // search
    QToolButton* ToolButton10 = nullptr;  // options
    QToolButton* ToolButton13 = nullptr;  // help
    QToolButton* ToolButton12 = nullptr;  // exit

    QTreeWidget* MainTreeView = nullptr;
    QWidget* panel = nullptr;
    QListWidget* MainList = nullptr;
    QWidget* detailArea = nullptr;  // MainDetail and ThisFrmViewer share this place
    QTableWidget* MainDetail = nullptr;
    QPlainTextEdit* ThisFrmViewer = nullptr;
    QListWidget* StoreItemView = nullptr;  // hidden: the last search results
    QWidget* Panel1 = nullptr;
    QStatusBar* MainStatus = nullptr;
    QProgressBar* MainProgressBar = nullptr;

    // ---- menus ----------------------------------------------------------------------------
    QMenu* FileMenu = nullptr;    // "文件&F"
    QMenu* EditMenu = nullptr;    // "编辑&E"
    QMenu* ViewMenu = nullptr;    // "查看&V"
    QMenu* HelpMenu = nullptr;    // "帮助&H"
    QMenu* MainTreePopupMenu = nullptr;
    QMenu* MainListPopupMenu = nullptr;
    QMenu* TrayPopMenu = nullptr;
    QMenu* BackMenu = nullptr;
    QMenu* PreMenu = nullptr;
    QAction* N11 = nullptr;   // 文件 → 在当前分类添加新的资料
    QAction* N19 = nullptr;   // 编辑 → 删除选定的资料
    QAction* N20 = nullptr;   // 编辑 → 修改选定的资料
    QAction* N31 = nullptr;   // 编辑 → 资料转移功能
    QAction* N6 = nullptr;    // tree popup → 在当前分类添加新的资料
    QAction* N14 = nullptr;   // list popup → 添加新的资料
    QAction* N15 = nullptr;   // list popup → 删除资料
    QAction* N16 = nullptr;   // list popup → 修改资料
    QAction* N121 = nullptr;  // tray → 显示主窗口 (checkable)
    QAction* N341 = nullptr;  // tray → 显示悬浮窗口 (checkable)
    QSystemTrayIcon* TrayIcon = nullptr;

    // ---- program-wide state of the run -----------------------------------------------------
    bool Closing = false;  // set when FormClose starts; stops FormResize from listing
    TNavHistory BackHistory;
    TNavHistory ForwardHistory;
    LocationKey CurrentKey;
    LocationKey PreviousKey;
    bool HistoryFlag = false;
    QString RunPath;  // fpath of the example material shown last in the details pane
    int treeSaveCount = 0;  // how many times the tree file was written in this run

    // Toolbar image index of a button (MainImageList), and setting it with its picture.
    static int buttonImage(const QToolButton* button);
    static void setButtonImage(QToolButton* button, int image);
    // List view style of MainList: 0 large icons, 1 small icons, 2 list.
    int listViewStyle() const { return m_listViewStyle; }
    void setListViewStyle(int style);

    // ---- start-up and shutdown ----------------------------------------------------------------
    void FormCreate();
    void MainFormInit();
    bool loadCategoryTree();   // false after the damaged-file message
    // Writes MTS.qs now; on failure returns false, shows why on the status bar and sets failure (if
    // given) to a message naming the file and the system's reason.
    bool saveCategoryTree(QString* failure = nullptr);
    // Whether FormCreate found the tree file unusable and the program must end.
    bool terminateRequested() const { return m_terminate; }

public slots:
    void ShowDragForm();
    void WMSencondRun();
    // A second start asked this instance to show itself.
    void secondInstanceRequest();
    void QuitProgram();

    // category tree (tree/)
    void MainTreeViewExpanded(QTreeWidgetItem* node);
    void MainTreeViewCollapsed(QTreeWidgetItem* node);
    void AddNewItem();
    void ReNameItem();
    void DelChildItem();

    // navigation history commands (tree/)
    void ResetBackHistory();
    void ResetForwardHistory();
    void PushBack(const LocationKey& key);
    void PushForward(const LocationKey& key);
    LocationKey PopBack();
    LocationKey PopForward();
    bool GoToLocation(const LocationKey& key);
    void BackTBtnClick();
    void PreTBtnClick();
    void UpTBtnClick();
    void BackMenuPopup();
    void PreMenuPopup();
    void BackMenuItemClick(int index);
    void PreMenuItemClick(int index);

    // material list, details pane, viewer (browse/)
    void MainTreeViewClick();
    void MainListShow();
    void AddRealFileToList(const QString& category, const QString& subcategory, int order, const QString& kind);
    void MainListClick();
    void MainListDblClick();
    void OByName();
    void OByTime();
    void N23Click();
    void N24Click();
    void N25Click();
    void MainDetailShow(QListWidgetItem* item, bool selected);
    void RunDetail();
    void ViewInThisFrm(QLabel* label);
    void ViewInNewFrm(QLabel* label);
    void ThisFrmFontInit();

    // material commands (edit/)
    void AddFileToItem();
    void N14Click();
    void DelFile();
    void ReFile();
    void TurnFilePopMenu();
    void TurnFile(QAction* target);
    void N31Click();

    // search (search/) and options (app/)
    void SerchFormPop();
    void OpenOption();

    // tray, help and about (desktop/)
    void SetupTray();
    void OnAppMin();
    void TrayControl(int reason);
    void N121Click();
    void N341Click();
    void N41Click();
    void N43Click();
    void N44Click();
    void N46Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // System commands minimise/close (desktop/): true when the window was sent to the tray instead.
    bool OnTrayForm(int command);
    static constexpr int SC_MINIMIZE = 0xF020;
    static constexpr int SC_CLOSE = 0xF060;
    // Runs the close sequence (tree saved, tray icon removed, floating window destroyed, quit).
    void FormClose();
    void FormResize();

    // Hooks into the subsystems used by start-up and shutdown.
    void clearOpenViewerCaption();  // browse/: no viewer window filled yet
    void showDragFormWindow();      // desktop/: create (once) and show the floating drop window
    void destroyDragForm();         // desktop/: destroy it and empty its reference
    void removeTrayIcon();          // desktop/
    void dragFormClosed();          // desktop/: the floating window was closed by its close command

private:
    void buildActions();
    void buildToolBar();
    void buildCentralArea();
    void buildMenus();

    QString m_programDir;
    int m_listViewStyle = 0;
    bool m_terminate = false;
    bool m_formClosed = false;
    bool m_treeBackupKept = false;
};

// The program-wide main window (null when none exists).
extern TMainForm* MainForm;
