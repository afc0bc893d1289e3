#include "app/TMainForm.h"

#include "app/Images.h"
#include "app/Prompts.h"
#include "app/SettingsFile.h"
#include "browse/ListItems.h"
#include "tree/CategoryTreeFile.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TMainForm* MainForm = nullptr;

namespace {
const char* const kImageProperty = "qsImageIndex";

QToolButton* makeButton(QToolBar* bar, const char* name, const QString& hint, int image)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIconSize(QSize(24, 24));
    TMainForm::setButtonImage(button, image);
    bar->addWidget(button);
    return button;
}

}  // namespace

TMainForm::TMainForm(const QString& programDir, QWidget* parent)
    : QMainWindow(parent), m_programDir(programDir)
{
    MainForm = this;
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(QStringLiteral("Quillstash "));
    setWindowIcon(images::appIcon());
    setGeometry(202, 157, 696, 480);
    buildToolBar();
    buildCentralArea();
    buildMenus();
}

TMainForm::~TMainForm()
{
    // The floating window has no owner: it (and the filing dialogs it owns) goes with the main window.
    destroyDragForm();
    if (MainForm == this)
        MainForm = nullptr;
}

QString TMainForm::treeFilePath() const { return QDir(m_programDir).filePath(QStringLiteral("MTS.qs")); }

QString TMainForm::settingsFilePath() const { return QDir(m_programDir).filePath(QStringLiteral("QS.ini")); }

int TMainForm::buttonImage(const QToolButton* button)
{
    return button ? button->property(kImageProperty).toInt() : -1;
}

void TMainForm::setButtonImage(QToolButton* button, int image)
{
    if (!button)
        return;
    button->setProperty(kImageProperty, image);
    button->setIcon(images::mainImage(image));
}

void TMainForm::setListViewStyle(int style)
{
    m_listViewStyle = (style == 1 || style == 2) ? style : 0;
    switch (m_listViewStyle) {
    case 0:  // large icons
        MainList->setViewMode(QListView::IconMode);
        MainList->setFlow(QListView::LeftToRight);
        MainList->setIconSize(QSize(32, 32));
        MainList->setGridSize(QSize(112, 72));
        MainList->setWordWrap(true);
        break;
    case 1:  // small icons: rows of small icons
        MainList->setViewMode(QListView::ListMode);
        MainList->setFlow(QListView::LeftToRight);
        MainList->setIconSize(QSize(16, 16));
        MainList->setGridSize(QSize(150, 22));
        MainList->setWordWrap(false);
        break;
    case 2:  // list: columns of small icons
        MainList->setViewMode(QListView::ListMode);
        MainList->setFlow(QListView::TopToBottom);
        MainList->setIconSize(QSize(16, 16));
        MainList->setGridSize(QSize());
        MainList->setWordWrap(false);
        break;
    }
    MainList->setWrapping(true);
    MainList->setResizeMode(QListView::Adjust);
    MainList->setMovement(QListView::Static);
    // Items take their icon from the list's image lists whenever the style changes.
    for (int i = 0; i < MainList->count(); ++i) {
        QListWidgetItem* item = MainList->item(i);
        const int image = listitems::image(item);
        item->setIcon(m_listViewStyle == 0 ? images::listImage(image) : images::smallListImage(image));
    }
}

void TMainForm::buildToolBar()
{
    ToolCoolBar = addToolBar(QStringLiteral("ToolCoolBar"));
    ToolCoolBar->setObjectName(QStringLiteral("ToolCoolBar"));
    ToolCoolBar->setMovable(false);
    ToolCoolBar->setFloatable(false);
    ToolCoolBar->setIconSize(QSize(24, 24));
    MainToolBar = ToolCoolBar;

    BackMenu = new QMenu(this);
    BackMenu->setObjectName(QStringLiteral("BackMenu"));
    BackMenu->addSeparator();
    PreMenu = new QMenu(this);
    PreMenu->setObjectName(QStringLiteral("PreMenu"));
    PreMenu->addSeparator();

    BackTBtn = makeButton(MainToolBar, "BackTBtn", QStringLiteral("后退"), 17);
    BackTBtn->setMenu(BackMenu);
    BackTBtn->setPopupMode(QToolButton::MenuButtonPopup);
    PreTBtn = makeButton(MainToolBar, "PreTBtn", QStringLiteral("前进"), 18);
    PreTBtn->setMenu(PreMenu);
    PreTBtn->setPopupMode(QToolButton::MenuButtonPopup);
    UpTBtn = makeButton(MainToolBar, "UpTBtn", QStringLiteral("向上"), 19);
    MainToolBar->addSeparator();
    ToolButton1 = makeButton(MainToolBar, "ToolButton1", QStringLiteral("在当前分类添加新的子分类"), 0);
    ToolButton2 = makeButton(MainToolBar, "ToolButton2", QStringLiteral("修改分类名"), 1);
    ToolButton3 = makeButton(MainToolBar, "ToolButton3", QStringLiteral("删除子分类"), 2);
    ToolButton4 = makeButton(MainToolBar, "ToolButton4", QStringLiteral("在当前分类添加新的资料"), 3);
    MainToolBar->addSeparator();
    ToolButton6 = makeButton(MainToolBar, "ToolButton6", QStringLiteral("删除选定资料"), 5);
    ToolButton7 = makeButton(MainToolBar, "ToolButton7", QStringLiteral("修改选定的资料"), 6);
    MainToolBar->addSeparator();
    ToolButton9 = makeButton(MainToolBar, "ToolButton9", QStringLiteral("搜索"), 10);
    ToolButton10 = makeButton(MainToolBar, "ToolButton10", QStringLiteral("选项"), 7);
    MainToolBar->addSeparator();
    ToolButton13 = makeButton(MainToolBar, "ToolButton13", QStringLiteral("帮助"), 11);
    ToolButton12 = makeButton(MainToolBar, "ToolButton12", QStringLiteral("退出"), 4);

    connect(BackTBtn, &QToolButton::clicked, this, &TMainForm::BackTBtnClick);
    connect(PreTBtn, &QToolButton::clicked, this, &TMainForm::PreTBtnClick);
    connect(UpTBtn, &QToolButton::clicked, this, &TMainForm::UpTBtnClick);
    connect(BackMenu, &QMenu::aboutToShow, this, &TMainForm::BackMenuPopup);
    connect(PreMenu, &QMenu::aboutToShow, this, &TMainForm::PreMenuPopup);
    connect(ToolButton1, &QToolButton::clicked, this, &TMainForm::AddNewItem);
    connect(ToolButton2, &QToolButton::clicked, this, &TMainForm::ReNameItem);
    connect(ToolButton3, &QToolButton::clicked, this, &TMainForm::DelChildItem);
    connect(ToolButton4, &QToolButton::clicked, this, &TMainForm::AddFileToItem);
    connect(ToolButton6, &QToolButton::clicked, this, &TMainForm::DelFile);
    connect(ToolButton7, &QToolButton::clicked, this, &TMainForm::ReFile);
    connect(ToolButton9, &QToolButton::clicked, this, &TMainForm::SerchFormPop);
    connect(ToolButton10, &QToolButton::clicked, this, &TMainForm::OpenOption);
    connect(ToolButton13, &QToolButton::clicked, this, &TMainForm::N41Click);
    connect(ToolButton12, &QToolButton::clicked, this, &TMainForm::QuitProgram);
}

void TMainForm::buildCentralArea()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* splitter = new QSplitter(Qt::Horizontal, central);
    splitter->setChildrenCollapsible(false);

    MainTreeView = new QTreeWidget(splitter);
    MainTreeView->setObjectName(QStringLiteral("MainTreeView"));
    MainTreeView->setHeaderHidden(true);
    MainTreeView->setIndentation(19);
    MainTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MainTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    MainTreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    MainTreeView->setUniformRowHeights(true);
    {
        QPalette pal = MainTreeView->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
        MainTreeView->setPalette(pal);
    }

    panel = new QWidget(splitter);
    panel->setObjectName(QStringLiteral("panel"));
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);

    MainList = new QListWidget(panel);
    MainList->setObjectName(QStringLiteral("MainList"));
    MainList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MainList->setSelectionMode(QAbstractItemView::SingleSelection);
    MainList->setContextMenuPolicy(Qt::CustomContextMenu);
    MainList->setUniformItemSizes(true);
    panelLayout->addWidget(MainList);

    detailArea = new QWidget(panel);
    detailArea->setObjectName(QStringLiteral("detailArea"));
    auto* stack = new QGridLayout(detailArea);
    stack->setContentsMargins(0, 0, 0, 0);
    MainDetail = new QTableWidget(0, 2, detailArea);
    MainDetail->setObjectName(QStringLiteral("MainDetail"));
    MainDetail->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("值")});
    MainDetail->setColumnWidth(0, 100);
    MainDetail->setColumnWidth(1, 400);
    MainDetail->horizontalHeader()->setStretchLastSection(true);
    MainDetail->verticalHeader()->setVisible(false);
    MainDetail->setShowGrid(true);
    MainDetail->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MainDetail->setSelectionBehavior(QAbstractItemView::SelectRows);
    MainDetail->setSelectionMode(QAbstractItemView::SingleSelection);
    MainDetail->setWordWrap(false);
    ThisFrmViewer = new QPlainTextEdit(detailArea);
    ThisFrmViewer->setObjectName(QStringLiteral("ThisFrmViewer"));
    ThisFrmViewer->setReadOnly(true);
    ThisFrmViewer->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ThisFrmViewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ThisFrmViewer->hide();
    stack->addWidget(MainDetail, 0, 0);
    stack->addWidget(ThisFrmViewer, 0, 0);
    panelLayout->addWidget(detailArea, 1);

    StoreItemView = new QListWidget(panel);
    StoreItemView->setObjectName(QStringLiteral("StoreItemView"));
    StoreItemView->hide();

    splitter->addWidget(MainTreeView);
    splitter->addWidget(panel);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({169, 527});
    outer->addWidget(splitter, 1);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(2);
    MainStatus = new QStatusBar(Panel1);
    MainStatus->setObjectName(QStringLiteral("MainStatus"));
    MainStatus->setSizeGripEnabled(false);
    MainStatus->setLayoutDirection(Qt::RightToLeft);
    MainProgressBar = new QProgressBar(Panel1);
    MainProgressBar->setObjectName(QStringLiteral("MainProgressBar"));
    MainProgressBar->setRange(0, 100);
    MainProgressBar->setValue(0);
    MainProgressBar->setTextVisible(false);
    MainProgressBar->setFixedWidth(159);
    bottom->addWidget(MainStatus, 1);
    bottom->addWidget(MainProgressBar, 0);
    Panel1->setFixedHeight(qMax(18, MainStatus->sizeHint().height()));
    outer->addWidget(Panel1);

    setCentralWidget(central);
    setListViewStyle(0);
    panel->installEventFilter(this);

    connect(MainTreeView, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem*, int) { MainTreeViewClick(); });
    connect(MainTreeView, &QTreeWidget::itemExpanded, this, &TMainForm::MainTreeViewExpanded);
    connect(MainTreeView, &QTreeWidget::itemCollapsed, this, &TMainForm::MainTreeViewCollapsed);
    connect(MainTreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // A right click selects the node under the cursor first, as the tree control does.
        if (QTreeWidgetItem* node = MainTreeView->itemAt(pos))
            treenodes::select(MainTreeView, node);
        MainTreePopupMenu->popup(MainTreeView->viewport()->mapToGlobal(pos));
    });
    connect(MainList, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { MainListClick(); });
    connect(MainList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { MainListDblClick(); });
    connect(MainList, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* current, QListWidgetItem* previous) {
        if (previous)
            MainDetailShow(previous, false);
        if (current)
            MainDetailShow(current, true);
    });
    connect(MainList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QListWidgetItem* item = MainList->itemAt(pos))
            MainList->setCurrentItem(item);
        MainListPopupMenu->popup(MainList->viewport()->mapToGlobal(pos));
    });
}

void TMainForm::buildMenus()
{
    using images::mainImage;
    using images::treeImage;
    using images::listImage;

    // 文件&F
    FileMenu = menuBar()->addMenu(QStringLiteral("文件&F"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    QAction* a = FileMenu->addAction(mainImage(0), QStringLiteral("添加新的子分类"), this, &TMainForm::AddNewItem);
    a->setObjectName(QStringLiteral("N2"));
    a = FileMenu->addAction(mainImage(1), QStringLiteral("修改分类名"), this, &TMainForm::ReNameItem);
    a->setObjectName(QStringLiteral("N3"));
    a = FileMenu->addAction(mainImage(2), QStringLiteral("删除当前选定的分类"), this, &TMainForm::DelChildItem);
    a->setObjectName(QStringLiteral("N4"));
    FileMenu->addSeparator();
    N11 = FileMenu->addAction(mainImage(3), QStringLiteral("在当前分类添加新的资料"), this, &TMainForm::AddFileToItem);
    N11->setObjectName(QStringLiteral("N11"));
    FileMenu->addSeparator();
    a = FileMenu->addAction(mainImage(4), QStringLiteral("退出"), this, &TMainForm::QuitProgram);
    a->setObjectName(QStringLiteral("N12"));

    // 编辑&E
    EditMenu = menuBar()->addMenu(QStringLiteral("编辑&E"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    N19 = EditMenu->addAction(mainImage(5), QStringLiteral("删除选定的资料"), this, &TMainForm::DelFile);
    N19->setObjectName(QStringLiteral("N19"));
    N20 = EditMenu->addAction(mainImage(6), QStringLiteral("修改选定的资料"), this, &TMainForm::ReFile);
    N20->setObjectName(QStringLiteral("N20"));
    EditMenu->addSeparator();
    N31 = EditMenu->addAction(mainImage(8), QStringLiteral("资料转移功能"), this, &TMainForm::N31Click);
    N31->setObjectName(QStringLiteral("N31"));

    // 查看&V
    ViewMenu = menuBar()->addMenu(QStringLiteral("查看&V"));
    ViewMenu->setObjectName(QStringLiteral("ViewMenu"));
    ViewMenu->addAction(QStringLiteral("大图标"), this, &TMainForm::N23Click)->setObjectName(QStringLiteral("N23"));
    ViewMenu->addAction(QStringLiteral("小图标"), this, &TMainForm::N24Click)->setObjectName(QStringLiteral("N24"));
    ViewMenu->addAction(QStringLiteral("列表"), this, &TMainForm::N25Click)->setObjectName(QStringLiteral("N25"));
    QMenu* sort = ViewMenu->addMenu(mainImage(9), QStringLiteral("资料排序"));
    sort->setObjectName(QStringLiteral("N26"));
    sort->addAction(QStringLiteral("按名称"), this, &TMainForm::OByName)->setObjectName(QStringLiteral("N27"));
    sort->addAction(QStringLiteral("按加入时间"), this, &TMainForm::OByTime)->setObjectName(QStringLiteral("N28"));
    ViewMenu->addSeparator();
    ViewMenu->addAction(mainImage(10), QStringLiteral("搜索"), this, &TMainForm::SerchFormPop)->setObjectName(QStringLiteral("N29"));
    ViewMenu->addSeparator();
    ViewMenu->addAction(mainImage(7), QStringLiteral("选项"), this, &TMainForm::OpenOption)->setObjectName(QStringLiteral("N30"));

    // 帮助&H
    HelpMenu = menuBar()->addMenu(QStringLiteral("帮助&H"));
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    HelpMenu->addAction(mainImage(11), QStringLiteral("主题"), this, &TMainForm::N41Click)->setObjectName(QStringLiteral("N41"));
    HelpMenu->addSeparator();
    HelpMenu->addAction(mainImage(12), QStringLiteral("来信"), this, &TMainForm::N43Click)->setObjectName(QStringLiteral("N43"));
    HelpMenu->addAction(mainImage(13), QStringLiteral("访问网站"), this, &TMainForm::N44Click)->setObjectName(QStringLiteral("N44"));
    HelpMenu->addSeparator();
    HelpMenu->addAction(QStringLiteral("关于"), this, &TMainForm::N46Click)->setObjectName(QStringLiteral("N46"));

    // Tree popup menu.
    MainTreePopupMenu = new QMenu(this);
    MainTreePopupMenu->setObjectName(QStringLiteral("MainTreePopupMenu"));
    MainTreePopupMenu->addAction(treeImage(5), QStringLiteral("在当前分类添加新的子分类"), this, &TMainForm::AddNewItem)
        ->setObjectName(QStringLiteral("N1"));
    MainTreePopupMenu->addAction(treeImage(6), QStringLiteral("修改分类名"), this, &TMainForm::ReNameItem)
        ->setObjectName(QStringLiteral("N5"));
    MainTreePopupMenu->addSeparator();
    MainTreePopupMenu->addAction(treeImage(7), QStringLiteral("删除当前选定的分类"), this, &TMainForm::DelChildItem)
        ->setObjectName(QStringLiteral("N7"));
    MainTreePopupMenu->addSeparator();
    N6 = MainTreePopupMenu->addAction(treeImage(8), QStringLiteral("在当前分类添加新的资料"), this, &TMainForm::AddFileToItem);
    N6->setObjectName(QStringLiteral("N6"));

    // List popup menu; the move item is appended at each opening.
    MainListPopupMenu = new QMenu(this);
    MainListPopupMenu->setObjectName(QStringLiteral("MainListPopupMenu"));
    N14 = MainListPopupMenu->addAction(listImage(6), QStringLiteral("添加新的资料"), this, &TMainForm::N14Click);
    N14->setObjectName(QStringLiteral("N14"));
    N15 = MainListPopupMenu->addAction(listImage(7), QStringLiteral("删除资料"), this, &TMainForm::DelFile);
    N15->setObjectName(QStringLiteral("N15"));
    N16 = MainListPopupMenu->addAction(listImage(8), QStringLiteral("修改资料"), this, &TMainForm::ReFile);
    N16->setObjectName(QStringLiteral("N16"));
    MainListPopupMenu->addSeparator();
    QMenu* view = MainListPopupMenu->addMenu(listImage(9), QStringLiteral("查看"));
    view->setObjectName(QStringLiteral("N17"));
    view->addAction(QStringLiteral("大图标"), this, &TMainForm::N23Click);
    view->addAction(QStringLiteral("小图标"), this, &TMainForm::N24Click);
    view->addAction(QStringLiteral("列表"), this, &TMainForm::N25Click);
    QMenu* listSort = MainListPopupMenu->addMenu(listImage(11), QStringLiteral("资料排序"));
    listSort->setObjectName(QStringLiteral("N18"));
    listSort->addAction(QStringLiteral("按名称"), this, &TMainForm::OByName);
    listSort->addAction(QStringLiteral("按加入时间"), this, &TMainForm::OByTime);
    connect(MainListPopupMenu, &QMenu::aboutToShow, this, &TMainForm::TurnFilePopMenu);

    // Tray menu.
    TrayPopMenu = new QMenu(this);
    TrayPopMenu->setObjectName(QStringLiteral("TrayPopMenu"));
    N121 = TrayPopMenu->addAction(QStringLiteral("显示主窗口"));
    N121->setObjectName(QStringLiteral("N121"));
    N121->setCheckable(true);
    N341 = TrayPopMenu->addAction(QStringLiteral("显示悬浮窗口"));
    N341->setObjectName(QStringLiteral("N341"));
    N341->setCheckable(true);
    // The check items toggle themselves when clicked (triggered), then the handler acts on the new state.
    connect(N121, &QAction::triggered, this, &TMainForm::N121Click);
    connect(N341, &QAction::triggered, this, &TMainForm::N341Click);
    TrayPopMenu->addSeparator();
    TrayPopMenu->addAction(QStringLiteral("关于"), this, &TMainForm::N46Click)->setObjectName(QStringLiteral("N35"));
    TrayPopMenu->addAction(images::detailImage(1), QStringLiteral("退出"), this, &TMainForm::QuitProgram)
        ->setObjectName(QStringLiteral("N36"));
}

// ---- start-up --------------------------------------------------------------------------------

void TMainForm::FormCreate()
{
    N121->setChecked(true);
    clearOpenViewerCaption();
    MainTreeView->clear();
    MainList->clear();
    listitems::add(MainList, treenodes::textRoot(), 3);
    listitems::add(MainList, treenodes::exampleRoot(), 3);
    if (!loadCategoryTree())
        m_terminate = true;  // the program ends as soon as the event loop starts
    try {
        MainFormInit();
    } catch (const SettingsError& e) {
        // Tray icon, minimise handler and floating window are skipped after a settings failure.
        prompts().standardError(this, e.text);
        ResetBackHistory();
        ResetForwardHistory();
        return;
    }
    SetupTray();
    ResetBackHistory();
    ResetForwardHistory();
    QTimer::singleShot(0, this, &TMainForm::ShowDragForm);
}

void TMainForm::MainFormInit()
{
    const SettingsReader reader(settingsFilePath());
    const int icon = reader.digitAt(1, 6);
    const int order = reader.digitAt(2, 7);
    const int viewStyle = reader.digitAt(3, 11);
    const int viewStyleDe = reader.digitAt(4, 13);
    ViewerColor = reader.numberFrom(5, 8);
    const QString trayWay = reader.textFrom(13, 9);
    TrayOptions = TrayOptionSet{false, false};
    if (trayWay.size() == 2)
        TrayOptions = TrayOptionSet{true, true};
    else if (trayWay == QLatin1String("0"))
        TrayOptions.minimize = true;
    else if (trayWay == QLatin1String("1"))
        TrayOptions.close = true;
    setListViewStyle(icon == 1 || icon == 2 ? icon : 0);
    ListOrder = order == 0 ? 1 : order == 1 ? 2 : 0;
    ViewMode = (viewStyle == 0 || viewStyle == 1) ? viewStyle : 0;
    ViewerWindowMode = (viewStyleDe == 0 || viewStyleDe == 1) ? viewStyleDe : 0;
}

bool TMainForm::loadCategoryTree()
{
    try {
        const QList<TreeNodeData> nodes = loadTreeFile(treeFilePath());
        fillTreeWidget(MainTreeView, nodes);
        return true;
    } catch (const EOpenFileError&) {
        prompts().error(this, QStringLiteral("文件MTS.qs已经被损坏，请重新安装！"));
        return false;
    }
}

bool TMainForm::saveCategoryTree(QString* failure)
{
    ++treeSaveCount;
    const QString path = treeFilePath();
    // The first rewrite of a run keeps the file it replaces: a file the program read wrongly (another
    // encoding, damage) must not be destroyed by writing it back.
    if (!m_treeBackupKept) {
        QString why;
        m_treeBackupKept = keepBackupCopy(path, &why);
        if (!m_treeBackupKept)
            qWarning().noquote() << "cannot keep" << path + QStringLiteral(".bak") << why;
    }
    QString error;
    QString reason;
    if (!saveTreeFile(path, treeFromWidget(MainTreeView), &error, &reason)) {
        const QString text = QStringLiteral("无法保存分类树文件“%1”：%2").arg(QDir::toNativeSeparators(path), reason);
        MainStatus->showMessage(text);
        if (failure)
            *failure = text;
        return false;
    }
    return true;
}

void TMainForm::ShowDragForm()
{
    showDragFormWindow();
    N341->setChecked(true);
}

void TMainForm::WMSencondRun()
{
    if (N121->isChecked()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
    } else {
        // A window sent to the tray by minimising keeps its minimised state: show it restored.
        N121->setChecked(true);
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
    }
}

void TMainForm::secondInstanceRequest()
{
    if (!isVisible() || isMinimized())
        WMSencondRun();
    raise();
    activateWindow();
}

// ---- shutdown --------------------------------------------------------------------------------

void TMainForm::FormClose()
{
    if (m_formClosed)
        return;
    m_formClosed = true;
    Closing = true;
    QString failure;
    if (!m_terminate && !saveCategoryTree(&failure))
        prompts().error(this, failure + QStringLiteral("\n分类树的最新状态没有保存。"));
    removeTrayIcon();
    destroyDragForm();
    QApplication::quit();
}

void TMainForm::QuitProgram()
{
    removeTrayIcon();
    destroyDragForm();
    Closing = true;
    close();
    FormClose();  // also when the window was already hidden (close() then sends no close event)
    QApplication::quit();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!Closing && OnTrayForm(SC_CLOSE)) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

void TMainForm::FormResize()
{
    MainList->setFixedHeight(panel->height() / 4);
    if (!Closing && treenodes::selected(MainTreeView)) {
        MainListShow();
        MainList->viewport()->update();
    }
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && !Closing)
        OnAppMin();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // The list takes a quarter of the right-hand panel whenever the panel changes size.
    if (watched == panel && event->type() == QEvent::Resize)
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}
