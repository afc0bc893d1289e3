#include "app/MainControls.h"

#include "browse/FindBar.h"
#include "browse/ListItems.h"
#include "browse/ViewerFont.h"
#include "common/Images.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// Hides `covered` while the watched widget is shown over it, and shows it again after.
class CoveredWhileShown final : public QObject {
public:
    CoveredWhileShown(QWidget* cover, QWidget* covered) : QObject(cover), m_covered(covered) { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            m_covered->hide();
        else if (event->type() == QEvent::Hide && !static_cast<QWidget*>(watched)->window()->isHidden())
            m_covered->show();
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_covered;
};

const char* const kImageProperty = "qsImageIndex";

QToolButton* makeButton(QToolBar* bar, const char* name, const QString& hint, int image)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIconSize(QSize(24, 24));
    TMainControls::setButtonImage(button, image);
    bar->addWidget(button);
    return button;
}
// The view styles are one choice: the menu shows which one is in force.
void makeRadioGroup(QObject* owner, const QList<QAction*>& actions)
{
    auto* group = new QActionGroup(owner);
    group->setExclusive(true);
    for (QAction* action : actions) {
        action->setCheckable(true);
        group->addAction(action);
    }
    actions.first()->setChecked(true);
}
}  // namespace

TMainControls TMainControls::built(QMainWindow* window)
{
    TMainControls controls;
    controls.buildToolBar(window);
    controls.buildCentralArea(window);
    controls.buildMenus(window);
    return controls;
}

int TMainControls::buttonImage(const QToolButton* button)
{
    return button ? button->property(kImageProperty).toInt() : -1;
}

void TMainControls::setButtonImage(QToolButton* button, int image)
{
    if (!button)
        return;
    button->setProperty(kImageProperty, image);
    button->setIcon(images::mainImage(image));
}

void TMainControls::buildToolBar(QMainWindow* window)
{
    ToolCoolBar = window->addToolBar(QStringLiteral("ToolCoolBar"));
    ToolCoolBar->setObjectName(QStringLiteral("ToolCoolBar"));
    ToolCoolBar->setMovable(false);
    ToolCoolBar->setFloatable(false);
    ToolCoolBar->setIconSize(QSize(24, 24));
    MainToolBar = ToolCoolBar;

    BackMenu = new QMenu(window);
    BackMenu->setObjectName(QStringLiteral("BackMenu"));
    BackMenu->addSeparator();
    PreMenu = new QMenu(window);
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
}

void TMainControls::buildCentralArea(QMainWindow* window)
{
    auto* central = new QWidget(window);
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
    viewerfont::setUpReadingArea(ThisFrmViewer);
    ThisFrmViewer->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ThisFrmViewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ThisFrmViewer->hide();
    stack->addWidget(MainDetail, 0, 0);
    stack->addWidget(ThisFrmViewer, 0, 0);
    // The reading pane covers the details; the covered table must not take the keyboard from it.
    ThisFrmViewer->installEventFilter(new CoveredWhileShown(ThisFrmViewer, MainDetail));
    ReaderFind = new FindBar(ThisFrmViewer, detailArea);
    stack->addWidget(ReaderFind, 1, 0);
    stack->setRowStretch(0, 1);
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

    window->setCentralWidget(central);
    listitems::setViewStyle(MainList, 0);
}

void TMainControls::buildMenus(QMainWindow* window)
{
    using images::listImage;
    using images::mainImage;
    using images::treeImage;

    // 文件&F
    FileMenu = window->menuBar()->addMenu(QStringLiteral("文件&F"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    N2 = FileMenu->addAction(mainImage(0), QStringLiteral("添加新的子分类"));
    N2->setObjectName(QStringLiteral("N2"));
    N3 = FileMenu->addAction(mainImage(1), QStringLiteral("修改分类名"));
    N3->setObjectName(QStringLiteral("N3"));
    N4 = FileMenu->addAction(mainImage(2), QStringLiteral("删除当前选定的分类"));
    N4->setObjectName(QStringLiteral("N4"));
    FileMenu->addSeparator();
    N11 = FileMenu->addAction(mainImage(3), QStringLiteral("在当前分类添加新的资料"));
    N11->setObjectName(QStringLiteral("N11"));
    N47 = FileMenu->addAction(QStringLiteral("导出全部资料..."));
    N47->setObjectName(QStringLiteral("N47"));
    N48 = FileMenu->addAction(QStringLiteral("导入资料..."));
    N48->setObjectName(QStringLiteral("N48"));
    FileMenu->addSeparator();
    N12 = FileMenu->addAction(mainImage(4), QStringLiteral("退出"));
    N12->setObjectName(QStringLiteral("N12"));

    // 编辑&E
    EditMenu = window->menuBar()->addMenu(QStringLiteral("编辑&E"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    N19 = EditMenu->addAction(mainImage(5), QStringLiteral("删除选定的资料"));
    N19->setObjectName(QStringLiteral("N19"));
    N20 = EditMenu->addAction(mainImage(6), QStringLiteral("修改选定的资料"));
    N20->setObjectName(QStringLiteral("N20"));
    EditMenu->addSeparator();
    N31 = EditMenu->addAction(mainImage(8), QStringLiteral("资料转移功能"));
    N31->setObjectName(QStringLiteral("N31"));

    // 查看&V
    ViewMenu = window->menuBar()->addMenu(QStringLiteral("查看&V"));
    ViewMenu->setObjectName(QStringLiteral("ViewMenu"));
    N23 = ViewMenu->addAction(QStringLiteral("大图标"));
    N23->setObjectName(QStringLiteral("N23"));
    N24 = ViewMenu->addAction(QStringLiteral("小图标"));
    N24->setObjectName(QStringLiteral("N24"));
    N25 = ViewMenu->addAction(QStringLiteral("列表"));
    N25->setObjectName(QStringLiteral("N25"));
    makeRadioGroup(window, {N23, N24, N25});
    QMenu* sort = ViewMenu->addMenu(mainImage(9), QStringLiteral("资料排序"));
    sort->setObjectName(QStringLiteral("N26"));
    N27 = sort->addAction(QStringLiteral("按名称"));
    N27->setObjectName(QStringLiteral("N27"));
    N28 = sort->addAction(QStringLiteral("按加入时间"));
    N28->setObjectName(QStringLiteral("N28"));
    ViewMenu->addSeparator();
    N29 = ViewMenu->addAction(mainImage(10), QStringLiteral("搜索"));
    N29->setObjectName(QStringLiteral("N29"));
    ViewMenu->addSeparator();
    N30 = ViewMenu->addAction(mainImage(7), QStringLiteral("选项"));
    N30->setObjectName(QStringLiteral("N30"));
    ViewMenu->addSeparator();
    NavBack = ViewMenu->addAction(images::mainImage(14), QStringLiteral("后退"));
    NavBack->setObjectName(QStringLiteral("NavBack"));
    NavForward = ViewMenu->addAction(images::mainImage(15), QStringLiteral("前进"));
    NavForward->setObjectName(QStringLiteral("NavForward"));
    NavUp = ViewMenu->addAction(images::mainImage(16), QStringLiteral("向上"));
    NavUp->setObjectName(QStringLiteral("NavUp"));

    // 帮助&H
    HelpMenu = window->menuBar()->addMenu(QStringLiteral("帮助&H"));
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    N41 = HelpMenu->addAction(mainImage(11), QStringLiteral("主题"));
    N41->setObjectName(QStringLiteral("N41"));
    HelpMenu->addSeparator();
    N43 = HelpMenu->addAction(mainImage(12), QStringLiteral("来信"));
    N43->setObjectName(QStringLiteral("N43"));
    N44 = HelpMenu->addAction(mainImage(13), QStringLiteral("访问网站"));
    N44->setObjectName(QStringLiteral("N44"));
    HelpMenu->addSeparator();
    N46 = HelpMenu->addAction(QStringLiteral("关于"));
    N46->setObjectName(QStringLiteral("N46"));

    // Tree popup menu.
    MainTreePopupMenu = new QMenu(window);
    MainTreePopupMenu->setObjectName(QStringLiteral("MainTreePopupMenu"));
    N1 = MainTreePopupMenu->addAction(treeImage(5), QStringLiteral("在当前分类添加新的子分类"));
    N1->setObjectName(QStringLiteral("N1"));
    N5 = MainTreePopupMenu->addAction(treeImage(6), QStringLiteral("修改分类名"));
    N5->setObjectName(QStringLiteral("N5"));
    MainTreePopupMenu->addSeparator();
    N7 = MainTreePopupMenu->addAction(treeImage(7), QStringLiteral("删除当前选定的分类"));
    N7->setObjectName(QStringLiteral("N7"));
    MainTreePopupMenu->addSeparator();
    N6 = MainTreePopupMenu->addAction(treeImage(8), QStringLiteral("在当前分类添加新的资料"));
    N6->setObjectName(QStringLiteral("N6"));

    // List popup menu; the move item is appended at each opening.
    MainListPopupMenu = new QMenu(window);
    MainListPopupMenu->setObjectName(QStringLiteral("MainListPopupMenu"));
    N14 = MainListPopupMenu->addAction(listImage(6), QStringLiteral("添加新的资料"));
    N14->setObjectName(QStringLiteral("N14"));
    N15 = MainListPopupMenu->addAction(listImage(7), QStringLiteral("删除资料"));
    N15->setObjectName(QStringLiteral("N15"));
    N16 = MainListPopupMenu->addAction(listImage(8), QStringLiteral("修改资料"));
    N16->setObjectName(QStringLiteral("N16"));
    MainListPopupMenu->addSeparator();
    QMenu* view = MainListPopupMenu->addMenu(listImage(9), QStringLiteral("查看"));
    view->setObjectName(QStringLiteral("N17"));
    ListLargeIcons = view->addAction(QStringLiteral("大图标"));
    ListSmallIcons = view->addAction(QStringLiteral("小图标"));
    ListList = view->addAction(QStringLiteral("列表"));
    makeRadioGroup(window, {ListLargeIcons, ListSmallIcons, ListList});
    QMenu* listSort = MainListPopupMenu->addMenu(listImage(11), QStringLiteral("资料排序"));
    listSort->setObjectName(QStringLiteral("N18"));
    ListByName = listSort->addAction(QStringLiteral("按名称"));
    ListByTime = listSort->addAction(QStringLiteral("按加入时间"));

    // Tray menu.
    TrayPopMenu = new QMenu(window);
    TrayPopMenu->setObjectName(QStringLiteral("TrayPopMenu"));
    N121 = TrayPopMenu->addAction(QStringLiteral("显示主窗口"));
    N121->setObjectName(QStringLiteral("N121"));
    N121->setCheckable(true);
    N341 = TrayPopMenu->addAction(QStringLiteral("显示悬浮窗口"));
    N341->setObjectName(QStringLiteral("N341"));
    N341->setCheckable(true);
    TrayPopMenu->addSeparator();
    N35 = TrayPopMenu->addAction(QStringLiteral("关于"));
    N35->setObjectName(QStringLiteral("N35"));
    N36 = TrayPopMenu->addAction(images::detailImage(1), QStringLiteral("退出"));
    N36->setObjectName(QStringLiteral("N36"));
    assignShortcuts();
}

void TMainControls::assignShortcuts()
{
    N29->setShortcut(QKeySequence::Find);
    N11->setShortcut(QKeySequence::New);
    N12->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    N41->setShortcut(QKeySequence(Qt::Key_F1));
    NavBack->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    NavForward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    NavUp->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    // Delete and F2 act on the category in the tree or on the material in the list, whichever has the
    // focus: each action works in its own control only.
    const auto inControl = [](QAction* action, const QKeySequence& keys, QWidget* control) {
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        control->addAction(action);
    };
    inControl(N4, QKeySequence(Qt::Key_Delete), MainTreeView);
    inControl(N3, QKeySequence(Qt::Key_F2), MainTreeView);
    inControl(N19, QKeySequence(Qt::Key_Delete), MainList);
    inControl(N20, QKeySequence(Qt::Key_F2), MainList);
}
