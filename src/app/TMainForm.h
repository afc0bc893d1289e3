#pragma once
// The main window: it owns the controls (app/MainControls.h) and the collaborators that do the work,
// and connects them. Navigation (tree/Navigator.h), the material list (browse/MaterialList.h), the
// details pane (browse/DetailPane.h), reading (browse/Viewer.h), the category commands
// (tree/CategoryCommands.h), the material commands (edit/MaterialCommands.h) and the tray
// (desktop/Tray.h) each live in their own class; the handlers here only forward to them.
#include "app/MainControls.h"
#include "browse/DetailPane.h"
#include "browse/MaterialList.h"
#include "browse/MaterialListWidget.h"
#include "browse/Viewer.h"
#include "common/Prompts.h"
#include "common/StatusBarSink.h"
#include "desktop/Tray.h"
#include "edit/MaterialCommands.h"
#include "tree/CategoryCommands.h"
#include "tree/CategoryTree.h"
#include "tree/CategoryTreeView.h"
#include "tree/Navigator.h"
#include "tree/TreeFileKeeper.h"

#include <QMainWindow>
#include <memory>

class QListWidgetItem;

class TMainForm final : public QMainWindow,
                        private NavigatorHost,
                        private CategoryCommandsHost,
                        private MaterialCommandsHost {
    Q_OBJECT
public:
    // programDir: where MTS.qs, QS.ini, Data.QSD and the help page live. The constructor builds the
    // controls; FormCreate() runs the start-up sequence.
    explicit TMainForm(const QString& programDir, QWidget* parent = nullptr);
    ~TMainForm() override;

    const QString& programDir() const { return m_programDir; }
    QString treeFilePath() const;
    QString settingsFilePath() const;
    const TMainControls& ui() const { return m_ui; }
    StatusSink& statusSink() { return m_status; }
    TCategoryTree& categoryTree() { return m_tree; }
    TCategoryTreeView& treeView() { return m_treeView; }
    TNavigator& navigator() { return m_navigator; }
    TMaterialList& materialList() { return m_list; }
    TTray& tray() { return m_tray; }
    TDetailPane& detailPane() { return m_details; }
    TReader& reader() { return m_reader; }
    int treeSaveCount() const { return m_treeFile.saveCount(); }
    // Set when FormClose starts; a resize then lists nothing.
    bool isClosing() const { return m_closing; }
    void setClosing() { m_closing = true; }
    // Where the search dialog's hits go: the material list's results and the hidden result list.
    std::function<void(const QList<ListEntry>&)> searchResultsSink();
    // List view style of MainList: 0 large icons, 1 small icons, 2 list.
    int listViewStyle() const;
    void setListViewStyle(int style);

    void FormCreate();
    // Reads the settings at start-up; the reader's error text when it stopped (empty when not).
    QString MainFormInit();
    // Reads MTS.qs into the tree; false when it cannot be opened or holds no line.
    bool loadCategoryTree() { return m_treeFile.load(); }
    // Writes MTS.qs now; on failure returns false, shows why on the status bar and sets failure (if
    // given) to a message naming the file and the system's reason.
    bool saveCategoryTree(QString* failure = nullptr);
    // Whether FormCreate found the tree file unusable and the program must end.
    bool terminateRequested() const { return m_terminate; }
    void FormClose();
    void FormResize();

public slots:
    void ShowDragForm();
    void WMSencondRun();
    void secondInstanceRequest();
    void QuitProgram();
    void AddNewItem();
    void ReNameItem();
    void DelChildItem();
    bool GoToLocation(const LocationKey& key);
    void BackTBtnClick();
    void PreTBtnClick();
    void UpTBtnClick();
    void BackMenuPopup();
    void PreMenuPopup();
    void BackMenuItemClick(int index);
    void PreMenuItemClick(int index);
    void MainTreeViewClick();
    void MainListShow();
    void MainListClick();
    void MainListDblClick();
    // Enter on the selected list item: a folder or kind root opens, a material runs its first details action.
    void openSelectedItem();
    void OByName();
    void OByTime();
    void N23Click();
    void N24Click();
    void N25Click();
    void MainDetailShow(QListWidgetItem* item, bool selected);
    void ViewInThisFrm(QLabel* label);
    void ViewInNewFrm(QLabel* label);
    void AddFileToItem();
    void N14Click();
    void DelFile();
    void ReFile();
    void TurnFilePopMenu();
    void N31Click();
    void ExportAll();
    void ImportMaterials();
    void SerchFormPop();
    void OpenOption();
    void N41Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectControls();
    void connectMenus();
    void setSearchResults(const QList<ListEntry>& results);
    void updateNavigationButtons();

    // NavigatorHost
    void listSelectedPlace() override { MainListShow(); }
    void visitSelectedPlace() override { MainTreeViewClick(); }
    void showKindRoots() override { m_list.showKindRoots(); }
    void navigationChanged() override { updateNavigationButtons(); }
    // CategoryCommandsHost
    void categoriesChanged() override;
    // MaterialCommandsHost
    void runAddDialog(const QString& kind, const QStringList& placement) override;
    void runEditDialog(const TFile& record, bool text, const QStringList& placement) override;
    void relist() override;

    // In the order they are made: each one may use those above it.
    QString m_programDir;
    TMainControls m_ui;
    StatusBarSink m_status;
    WindowPrompter m_prompter {this};
    TCategoryTree m_tree;
    TTreeFileKeeper m_treeFile;
    TCategoryTreeView m_treeView;
    TNavigator m_navigator;
    TDetailPane m_details;
    TMaterialListWidget m_listView;
    TMaterialList m_list;
    TCategoryCommands m_categories;
    TMaterialCommands m_materials;
    TReader m_reader;
    TTray m_tray;
    bool m_closing = false;
    bool m_relistPending = false;  // a relisting after a resize is on its way
    bool m_terminate = false;
    bool m_formClosed = false;
};
