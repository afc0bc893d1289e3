#include "browse/TNewFrmViewer.h"

#include "browse/FindBar.h"
#include "browse/ReadingText.h"
#include "browse/ViewerFont.h"
#include "common/Images.h"
#include "common/StatusSink.h"
#include "store/TFile.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QList<QPointer<TNewFrmViewer>>& registry()
{
    static QList<QPointer<TNewFrmViewer>> windows;
    return windows;
}

QToolButton* makeButton(QToolBar* bar, const char* name, const QString& hint, int image)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setText(hint);
    button->setIcon(images::viewerImage(image));
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}
}  // namespace

TNewFrmViewer::TNewFrmViewer(const QString& actionCaption, qint64 id, const QString& settingsPath, StatusSink* status,
    QWidget* parent, std::optional<QPoint> position)
    : QWidget(parent), m_settingsPath(settingsPath), m_status(status)
{
    setObjectName(QStringLiteral("TNewFrmViewer"));
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("浏览资料"));
    setWindowIcon(images::appIcon());
    resize(defaultSize());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(16, 16));
    ToolButton1 = makeButton(ToolBar1, "ToolButton1", QStringLiteral("全选"), 0);
    ToolButton2 = makeButton(ToolBar1, "ToolButton2", QStringLiteral("复制"), 1);
    layout->addWidget(ToolBar1);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    viewerfont::setUpReadingArea(Memo1);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Memo1, 1);
    Find = new FindBar(Memo1, this);
    layout->addWidget(Find);
    // Escape closes the window (the find bar takes it first while its field has the focus).
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    connect(ToolButton1, &QToolButton::clicked, this, &TNewFrmViewer::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TNewFrmViewer::ToolButton2Click);
    registry().append(this);

    viewerfont::setBackground(Memo1, ViewerColor);
    FontInit();
    if (actionCaption == viewInNewWindowCaption())
        fill(ViewerTextMaterial, id);
    else if (actionCaption == viewDescriptionCaption())
        fill(ViewerDescription, id);
    OpenViewerCaption = windowTitle();
    if (position)
        move(*position);
    show();
}

TNewFrmViewer::~TNewFrmViewer()
{
    registry().removeIf([this](const QPointer<TNewFrmViewer>& w) { return w.isNull() || w.data() == this; });
}

void TNewFrmViewer::FontInit()
{
    if (m_settingsPath.isEmpty())
        return;
    QString error;
    if (!viewerfont::applyFromSettings(Memo1, m_settingsPath, &error) && m_status)
        m_status->showStatus(error);
}

bool TNewFrmViewer::fill(int content, qint64 id)
{
    if (content == ViewerTextMaterial) {
        TFileText file;
        file.LoadById(id);
        Memo1->setPlainText(readingText(file));
        setWindowTitle(file.title);
        return true;
    }
    if (content == ViewerDescription) {
        TFileExe file;
        file.LoadById(id);
        Memo1->setPlainText(file.about.join(QLatin1Char('\n')));
        setWindowTitle(file.title + QStringLiteral("的简介"));
        return true;
    }
    return false;
}

void TNewFrmViewer::ReView(int wParam, qint64 lParam)
{
    viewerfont::setBackground(Memo1, ViewerColor);
    Memo1->clear();
    fill(wParam, lParam);
    OpenViewerCaption = windowTitle();
}

void TNewFrmViewer::ToolButton1Click()
{
    Memo1->setFocus();
    Memo1->selectAll();
}

void TNewFrmViewer::ToolButton2Click() { Memo1->copy(); }

void TNewFrmViewer::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    OpenViewerCaption.clear();
    hide();
    deleteLater();
}

void TNewFrmViewer::closeEvent(QCloseEvent* event)
{
    event->accept();
    FormClose();
}

QPoint TNewFrmViewer::cascadePosition(const QRect& readingArea, const QRect& screen, const QSize& frameSize, int open)
{
    constexpr int kStep = 28;
    const QPoint corner(qMax(readingArea.left(), screen.left()), qMax(readingArea.top(), screen.top()));
    // How many steps fit before the frame would cross the screen's right or bottom edge.
    const int roomX = (screen.left() + screen.width() - frameSize.width() - corner.x()) / kStep;
    const int roomY = (screen.top() + screen.height() - frameSize.height() - corner.y()) / kStep;
    const int places = qMax(1, qMin(roomX, roomY) + 1);
    const int step = qMax(0, open) % places;
    const QPoint at = corner + QPoint(step * kStep, step * kStep);
    // A frame larger than the room left keeps its title bar on the screen.
    const int x = qMax(screen.left(), qMin(at.x(), screen.left() + screen.width() - frameSize.width()));
    const int y = qMax(screen.top(), qMin(at.y(), screen.top() + screen.height() - frameSize.height()));
    return {x, y};
}

QList<TNewFrmViewer*> TNewFrmViewer::liveWindows()
{
    QList<TNewFrmViewer*> out;
    for (const QPointer<TNewFrmViewer>& w : std::as_const(registry())) {
        if (w && !w->m_closed)
            out.append(w.data());
    }
    return out;
}

TNewFrmViewer* TNewFrmViewer::findByCaption(const QString& caption)
{
    if (caption.isEmpty())
        return nullptr;
    for (TNewFrmViewer* w : liveWindows()) {
        if (w->windowTitle() == caption)
            return w;
    }
    return nullptr;
}
