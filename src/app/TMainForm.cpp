#include "app/TMainForm.h"

#include "app/StartupSettings.h"
#include "app/TOptionForm.h"
#include "browse/ListItems.h"
#include "common/Images.h"
#include "common/Kinds.h"
#include "common/ModalDialog.h"
#include "desktop/Help.h"
#include "edit/EditDialogs.h"
#include "edit/ExchangeDialogs.h"
#include "edit/MoveMenu.h"
#include "search/TSerchForm.h"
#include "store/TFile.h"
#include "store/TMainData.h"
#include "tree/HistoryMenu.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

TMainForm::TMainForm(const QString& programDir, QWidget* parent)
    : QMainWindow(parent), m_programDir(programDir), m_ui(TMainControls::built(this)),
      m_status(m_ui.MainStatus, m_ui.MainProgressBar), m_treeFile(treeFilePath(), m_tree),
      m_treeView(m_tree, m_ui.MainTreeView), m_navigator(m_tree, m_treeView, *this),
      m_details(m_ui.MainDetail, m_tree, m_treeView, m_status),
      m_listView(m_ui.MainList, {m_ui.ToolButton1, m_ui.ToolButton2, m_ui.ToolButton3}, m_ui.ToolButton4,
          m_ui.ThisFrmViewer, m_details),
      m_list(m_tree, m_treeView, m_navigator, m_listView),
      m_categories(m_tree, m_treeView, m_treeFile, m_prompter, *this),
      m_materials(m_tree, m_treeView, m_list, m_prompter, *this),
      m_reader(m_ui.ThisFrmViewer, settingsFilePath(), m_status),
      m_tray(this, m_ui.N121, m_ui.N341, m_ui.TrayPopMenu, &m_tree)
{
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(QStringLiteral("Quillstash "));
    setWindowIcon(images::appIcon());
    setGeometry(202, 157, 696, 480);
    m_ui.panel->installEventFilter(this);
    connectControls();
    connectMenus();
    // A material opened from the results of a contents search shows where the keyword stands.
    m_reader.setFindWords(
        [this](qint64 id, bool example) {
            const QString words = TSerchForm::lastContentsKeyword();
            const TTreeNode* node = m_treeView.selectedNode();
            if (words.isEmpty() || !node || node->parent() || node->text() != kinds::searchNode())
                return QString();
            const int image = example ? 5 : 4;
            for (const ListEntry& hit : m_list.searchResults()) {
                if (hit.id == id && hit.image == image)
                    return words;
            }
            return QString();
        },
        m_ui.ReaderFind);
}

TMainForm::~TMainForm() = default;

QString TMainForm::treeFilePath() const { return QDir(m_programDir).filePath(QStringLiteral("MTS.qs")); }

QString TMainForm::settingsFilePath() const { return QDir(m_programDir).filePath(QStringLiteral("QS.ini")); }

int TMainForm::listViewStyle() const { return listitems::viewStyle(m_ui.MainList); }

void TMainForm::setListViewStyle(int style)
{
    listitems::setViewStyle(m_ui.MainList, style);
    const int shown = listViewStyle();
    m_ui.N23->setChecked(shown == 0);
    m_ui.N24->setChecked(shown == 1);
    m_ui.N25->setChecked(shown == 2);
    m_ui.ListLargeIcons->setChecked(shown == 0);
    m_ui.ListSmallIcons->setChecked(shown == 1);
    m_ui.ListList->setChecked(shown == 2);
}

void TMainForm::connectControls()
{
    const TMainControls& c = m_ui;
    connect(c.BackTBtn, &QToolButton::clicked, this, &TMainForm::BackTBtnClick);
    connect(c.PreTBtn, &QToolButton::clicked, this, &TMainForm::PreTBtnClick);
    connect(c.UpTBtn, &QToolButton::clicked, this, &TMainForm::UpTBtnClick);
    connect(c.BackMenu, &QMenu::aboutToShow, this, &TMainForm::BackMenuPopup);
    connect(c.PreMenu, &QMenu::aboutToShow, this, &TMainForm::PreMenuPopup);
    connect(c.ToolButton1, &QToolButton::clicked, this, &TMainForm::AddNewItem);
    connect(c.ToolButton2, &QToolButton::clicked, this, &TMainForm::ReNameItem);
    connect(c.ToolButton3, &QToolButton::clicked, this, &TMainForm::DelChildItem);
    connect(c.ToolButton4, &QToolButton::clicked, this, &TMainForm::AddFileToItem);
    connect(c.ToolButton6, &QToolButton::clicked, this, &TMainForm::DelFile);
    connect(c.ToolButton7, &QToolButton::clicked, this, &TMainForm::ReFile);
    connect(c.ToolButton9, &QToolButton::clicked, this, &TMainForm::SerchFormPop);
    connect(c.ToolButton10, &QToolButton::clicked, this, &TMainForm::OpenOption);
    connect(c.ToolButton13, &QToolButton::clicked, this, &TMainForm::N41Click);
    connect(c.ToolButton12, &QToolButton::clicked, this, &TMainForm::QuitProgram);

    connect(&m_treeView, &TCategoryTreeView::nodeClicked, this, &TMainForm::MainTreeViewClick);
    connect(c.MainTreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // A right click selects the node under the cursor first, as the tree control does.
        if (QTreeWidgetItem* item = m_ui.MainTreeView->itemAt(pos))
            m_treeView.selectNode(m_treeView.nodeFor(item));
        m_ui.MainTreePopupMenu->popup(m_ui.MainTreeView->viewport()->mapToGlobal(pos));
    });
    connect(c.MainList, &QListWidget::itemClicked, this, &TMainForm::MainListClick);
    connect(c.MainList, &QListWidget::itemDoubleClicked, this, &TMainForm::MainListDblClick);
    connect(c.MainList, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* now, QListWidgetItem* before) {
        // The list taking the focus back makes an item current without selecting it; the commands act on
        // the selected item, so the one the details pane shows is selected too.
        if (now && !now->isSelected())
            m_ui.MainList->setCurrentItem(now, QItemSelectionModel::ClearAndSelect);
        if (before)
            MainDetailShow(before, false);
        if (now)
            MainDetailShow(now, true);
    });
    connect(c.MainList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QListWidgetItem* item = m_ui.MainList->itemAt(pos))
            m_ui.MainList->setCurrentItem(item);
        m_ui.MainListPopupMenu->popup(m_ui.MainList->viewport()->mapToGlobal(pos));
    });
    connect(c.MainListPopupMenu, &QMenu::aboutToShow, this, &TMainForm::TurnFilePopMenu);
    connect(&m_details, &TDetailPane::actionTriggered, this, [this](DetailRow::Action action, QLabel* label) {
        if (action == DetailRow::Action::ViewInThisFrm)
            ViewInThisFrm(label);
        else if (action == DetailRow::Action::ViewInNewFrm)
            ViewInNewFrm(label);
        else if (action == DetailRow::Action::RunDetail)
            m_details.RunDetail();
    });
}

void TMainForm::connectMenus()
{
    const TMainControls& c = m_ui;
    const auto on = [this](QAction* action, void (TMainForm::*slot)()) {
        connect(action, &QAction::triggered, this, slot);
    };
    for (QAction* a : {c.N2, c.N1})
        on(a, &TMainForm::AddNewItem);
    for (QAction* a : {c.N3, c.N5})
        on(a, &TMainForm::ReNameItem);
    for (QAction* a : {c.N4, c.N7})
        on(a, &TMainForm::DelChildItem);
    for (QAction* a : {c.N11, c.N6})
        on(a, &TMainForm::AddFileToItem);
    for (QAction* a : {c.N12, c.N36})
        on(a, &TMainForm::QuitProgram);
    for (QAction* a : {c.N19, c.N15})
        on(a, &TMainForm::DelFile);
    for (QAction* a : {c.N20, c.N16})
        on(a, &TMainForm::ReFile);
    for (QAction* a : {c.N23, c.ListLargeIcons})
        on(a, &TMainForm::N23Click);
    for (QAction* a : {c.N24, c.ListSmallIcons})
        on(a, &TMainForm::N24Click);
    for (QAction* a : {c.N25, c.ListList})
        on(a, &TMainForm::N25Click);
    for (QAction* a : {c.N27, c.ListByName})
        on(a, &TMainForm::OByName);
    for (QAction* a : {c.N28, c.ListByTime})
        on(a, &TMainForm::OByTime);
    on(c.N14, &TMainForm::N14Click);
    on(c.N31, &TMainForm::N31Click);
    on(c.N47, &TMainForm::ExportAll);
    on(c.N48, &TMainForm::ImportMaterials);
    on(c.N29, &TMainForm::SerchFormPop);
    on(c.N30, &TMainForm::OpenOption);
    on(c.N41, &TMainForm::N41Click);
    connect(c.N43, &QAction::triggered, this, [this] { help::N43Click(this); });
    connect(c.N44, &QAction::triggered, this, [this] { help::N44Click(this); });
    for (QAction* a : {c.N46, c.N35})
        connect(a, &QAction::triggered, this, [this] { help::N46Click(this); });
    on(c.NavBack, &TMainForm::BackTBtnClick);
    on(c.NavForward, &TMainForm::PreTBtnClick);
    on(c.NavUp, &TMainForm::UpTBtnClick);

    // Enter in the tree lists the node; in the list it opens a folder or reads a material.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* inTree = new QShortcut(QKeySequence(key), c.MainTreeView, nullptr, nullptr, Qt::WidgetShortcut);
        connect(inTree, &QShortcut::activated, this, &TMainForm::MainTreeViewClick);
        auto* inList = new QShortcut(QKeySequence(key), c.MainList, nullptr, nullptr, Qt::WidgetShortcut);
        connect(inList, &QShortcut::activated, this, &TMainForm::openSelectedItem);
    }
}

void TMainForm::openSelectedItem()
{
    const QListWidgetItem* item = listitems::selected(m_ui.MainList);
    if (!item)
        return;
    if (listitems::isMaterial(item))
        m_details.runFirstAction();
    else
        MainListDblClick();
}

// ---- start-up and shutdown -------------------------------------------------------------------

void TMainForm::FormCreate()
{
    m_ui.N121->setChecked(true);
    OpenViewerCaption.clear();
    m_list.showKindRoots();
    // The keyboard starts in the tree: arrows and Enter browse at once.
    m_ui.MainTreeView->setFocus(Qt::OtherFocusReason);
    if (!m_treeFile.load()) {
        m_prompter.error(QStringLiteral("文件MTS.qs已经被损坏，请重新安装！"));
        m_terminate = true;  // the program ends as soon as the event loop starts
    }
    const QString settingsError = MainFormInit();
    if (!settingsError.isEmpty()) {
        // Tray icon, minimise handler and floating window are skipped after a settings failure.
        prompts().standardError(this, settingsError);
        m_navigator.ResetBackHistory();
        m_navigator.ResetForwardHistory();
        return;
    }
    m_tray.SetupTray();
    m_navigator.ResetBackHistory();
    m_navigator.ResetForwardHistory();
    QTimer::singleShot(0, this, &TMainForm::ShowDragForm);
}

QString TMainForm::MainFormInit()
{
    return readStartupSettings(settingsFilePath(), [this](int style) { setListViewStyle(style); });
}

bool TMainForm::saveCategoryTree(QString* failure)
{
    QString text;
    if (m_treeFile.save(&text))
        return true;
    m_status.showStatus(text);
    if (failure)
        *failure = text;
    return false;
}

void TMainForm::ShowDragForm() { m_tray.ShowDragForm(); }

void TMainForm::WMSencondRun() { m_tray.WMSencondRun(); }

void TMainForm::secondInstanceRequest()
{
    if (!isVisible() || isMinimized())
        WMSencondRun();
    raise();
    activateWindow();
}

void TMainForm::FormClose()
{
    if (m_formClosed)
        return;
    m_formClosed = true;
    m_closing = true;
    QString failure;
    if (!m_terminate && !saveCategoryTree(&failure))
        m_prompter.error(failure + QStringLiteral("\n分类树的最新状态没有保存。"));
    m_tray.removeTrayIcon();
    m_tray.destroyDragForm();
    QApplication::quit();
}

void TMainForm::QuitProgram()
{
    // The floating window's menu stays usable while a dialog of this window is open, and that dialog
    // holds what the user is typing: it is brought forward to be finished or cancelled first.
    const QList<QDialog*> dialogs = findChildren<QDialog*>();
    for (QDialog* dialog : dialogs) {
        if (dialog->isVisible() && dialog->isModal()) {
            m_tray.WMSencondRun();  // shows the window as a second start does
            dialog->raise();
            dialog->activateWindow();
            return;
        }
    }
    m_tray.removeTrayIcon();
    m_tray.destroyDragForm();
    m_closing = true;
    close();
    FormClose();  // also when the window was already hidden (close() then sends no close event)
    QApplication::quit();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!m_closing && m_tray.OnTrayForm(TTray::SC_CLOSE)) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

void TMainForm::FormResize()
{
    // A resize comes as a burst of events while the frame is dragged: list once, after the burst.
    if (m_relistPending)
        return;
    m_relistPending = true;
    QTimer::singleShot(0, this, [this] {
        m_relistPending = false;
        if (!m_closing && m_treeView.selectedNode())
            MainListShow();
    });
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && !m_closing)
        m_tray.OnAppMin();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // The list takes a quarter of the right-hand panel whenever the panel changes size (a splitter drag
    // included); only a resize of the window itself lists again.
    if (watched == m_ui.panel && event->type() == QEvent::Resize)
        m_ui.MainList->setFixedHeight(m_ui.panel->height() / 4);
    return QMainWindow::eventFilter(watched, event);
}

// ---- handlers: each hands its work to the class it belongs to ---------------------------------

void TMainForm::AddNewItem() { m_categories.AddNewItem(); }
void TMainForm::ReNameItem() { m_categories.ReNameItem(); }
void TMainForm::DelChildItem() { m_categories.DelChildItem(); }
bool TMainForm::GoToLocation(const LocationKey& key) { return m_navigator.GoToLocation(key); }
void TMainForm::BackTBtnClick() { m_navigator.BackTBtnClick(); }
void TMainForm::PreTBtnClick() { m_navigator.PreTBtnClick(); }
void TMainForm::UpTBtnClick() { m_navigator.UpTBtnClick(); }
void TMainForm::BackMenuItemClick(int index) { m_navigator.BackMenuItemClick(index); }
void TMainForm::PreMenuItemClick(int index) { m_navigator.PreMenuItemClick(index); }
void TMainForm::MainTreeViewClick() { m_list.MainTreeViewClick(); }
void TMainForm::MainListShow() { m_list.MainListShow(); }
void TMainForm::MainListClick() { m_list.MainListClick(); }
void TMainForm::MainListDblClick() { m_list.MainListDblClick(); }
void TMainForm::OByName() { m_list.OByName(); }
void TMainForm::OByTime() { m_list.OByTime(); }
void TMainForm::N23Click() { setListViewStyle(0); }
void TMainForm::N24Click() { setListViewStyle(1); }
void TMainForm::N25Click() { setListViewStyle(2); }
void TMainForm::MainDetailShow(QListWidgetItem* item, bool selected) { m_details.MainDetailShow(item, selected); }
void TMainForm::ViewInThisFrm(QLabel* label) { m_reader.ViewInThisFrm(label); }
void TMainForm::ViewInNewFrm(QLabel* label) { m_reader.ViewInNewFrm(label); }
void TMainForm::AddFileToItem() { m_materials.AddFileToItem(); }
void TMainForm::N14Click() { m_materials.N14Click(); }
void TMainForm::DelFile() { m_materials.DelFile(); }
void TMainForm::ReFile() { m_materials.ReFile(); }
void TMainForm::N31Click() { m_materials.N31Click(); }
void TMainForm::N41Click() { help::N41Click(this, m_programDir); }
void TMainForm::ExportAll() { exchangedialogs::ExportAll(this, m_tree, m_treeView, m_treeFile); }
void TMainForm::ImportMaterials()
{
    exchangedialogs::ImportMaterials(this, m_tree, m_treeView, m_treeFile, [this] { MainListShow(); });
}

void TMainForm::BackMenuPopup()
{
    historymenu::fill(m_ui.BackMenu, m_navigator.backHistory(), [this](int i) { BackMenuItemClick(i); });
}

void TMainForm::PreMenuPopup()
{
    historymenu::fill(m_ui.PreMenu, m_navigator.forwardHistory(), [this](int i) { PreMenuItemClick(i); });
}

void TMainForm::TurnFilePopMenu()
{
    movemenu::rebuild(m_ui.MainListPopupMenu, m_materials.moveTargets(),
        [this](const QString& category, const QString& sub) { m_materials.TurnFile(category, sub); });
}

void TMainForm::SerchFormPop()
{
    // The contents index is made ready while the user types; until then a contents search reads every body.
    if (MainData)
        MainData->contentIndex().checkAndBuild();
    // A fresh dialog each time, so every opening starts from the initial state.
    runModal(new TSerchForm(this, &m_tree, searchResultsSink()));
}

void TMainForm::OpenOption()
{
    runModal(new TOptionForm(this, settingsFilePath(), [this](int style) { setListViewStyle(style); }));
}

std::function<void(const QList<ListEntry>&)> TMainForm::searchResultsSink()
{
    return [this](const QList<ListEntry>& hits) {
        setSearchResults(hits);
    };
}

void TMainForm::setSearchResults(const QList<ListEntry>& results)
{
    m_list.setSearchResults(results);
    listitems::fill(m_ui.StoreItemView, results, false);
}

void TMainForm::updateNavigationButtons()
{
    TMainControls::setButtonImage(m_ui.BackTBtn, m_navigator.backImage());
    TMainControls::setButtonImage(m_ui.PreTBtn, m_navigator.forwardImage());
    TMainControls::setButtonImage(m_ui.UpTBtn, m_navigator.upImage());
    m_ui.NavBack->setEnabled(m_navigator.backImage() == TNavigator::kBackActive);
    m_ui.NavForward->setEnabled(m_navigator.forwardImage() == TNavigator::kForwardActive);
    m_ui.NavUp->setEnabled(m_navigator.upImage() == TNavigator::kUpActive);
}

// ---- what the collaborators ask of the window -------------------------------------------------

void TMainForm::categoriesChanged() { MainListShow(); }

void TMainForm::relist() { MainListShow(); }

void TMainForm::runAddDialog(const QString& kind, const QStringList& placement)
{
    editdialogs::runAdd(this, kind, placement);
}

void TMainForm::runEditDialog(const TFile& record, bool text, const QStringList& placement)
{
    editdialogs::runEdit(this, record, text, placement);
}
