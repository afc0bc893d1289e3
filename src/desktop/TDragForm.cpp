#include "desktop/TDragForm.h"

#include "common/Colors.h"
#include "common/Images.h"
#include "common/Prompts.h"
#include "desktop/TAcceptTextForm.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <exception>

namespace {
constexpr qint32 kSkyBlue = 15780518;
constexpr int kMargin = 4;

QString reasonOf(const std::exception& e) { return QString::fromLocal8Bit(e.what()); }
// A filing dialog opened by a drop is where the user types next: it comes up with the keyboard.
void bringForward(QWidget* dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
}  // namespace

TDragForm::TDragForm(const TCategoryTree* tree, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_tree(tree)
{
    setObjectName(QStringLiteral("TDragForm"));
    setWindowTitle(QStringLiteral("DragForm"));
    // Showing it must not take the keyboard from the window the user is typing in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colorFromValue(kSkyBlue));
    setPalette(pal);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap picture = images::dragPicture();
    Image1->setPixmap(picture);
    Image1->setFixedSize(picture.size());
    Image1->move(kMargin, kMargin);
    // Clicks and drags on the picture belong to the window body.
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);

    setFixedSize(picture.width() + 2 * kMargin, picture.height() + 2 * kMargin);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(startPosition(screen->geometry()));
    setWindowOpacity(160.0 / 255.0);
    setAcceptDrops(true);
}

TDragForm::~TDragForm()
{
    if (DragForm == this)
        DragForm = nullptr;
}

QPoint TDragForm::startPosition(const QRect& screen) { return {screen.left() + screen.width() - 100, 50}; }

void TDragForm::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TDragForm::showEvent(QShowEvent* event)
{
    setAcceptDrops(true);
    QWidget::showEvent(event);
}

void TDragForm::closeEvent(QCloseEvent* event)
{
    // The system's close command only hides the window and stops taking drops until shown again.
    setAcceptDrops(false);
    m_dropTarget.DragLeave();
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closedByUser();
}

void TDragForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        emit menuRequested(QCursor::pos());
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        // The window manager moves the window where it can; otherwise follow the mouse by hand.
        if (windowHandle() && windowHandle()->startSystemMove()) {
            m_moving = false;
        } else {
            m_moving = true;
            m_grabOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        }
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TDragForm::mouseMoveEvent(QMouseEvent* event)
{
    if (m_moving && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_grabOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TDragForm::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_moving = false;
    QWidget::mouseReleaseEvent(event);
}

void TDragForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_dropTarget.DragEnter(event->mimeData()) == TOleDragAndDrop::Effect::Copy) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TDragForm::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_dropTarget.DragOver() == TOleDragAndDrop::Effect::Copy) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TDragForm::dragLeaveEvent(QDragLeaveEvent* event)
{
    m_dropTarget.DragLeave();
    event->accept();
}

void TDragForm::dropEvent(QDropEvent* event)
{
    const DropAction action = m_dropTarget.Drop(event->mimeData());
    if (action.kind == DropAction::Kind::Nothing) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    perform(action);
}

void TDragForm::perform(const DropAction& action)
{
    switch (action.kind) {
    case DropAction::Kind::Nothing:
        break;
    case DropAction::Kind::Text:
        acceptText(action.data);
        break;
    case DropAction::Kind::ExamplePath:
        acceptPath(action.data);
        break;
    case DropAction::Kind::Error:
        prompts().standardError(this, action.error);
        break;
    }
}

void TDragForm::acceptText(const QString& text)
{
    if (AcceptTextForm && !AcceptTextForm->isClosing()) {
        AcceptTextForm->WMAcceptData(text);
        bringForward(AcceptTextForm);
        return;
    }
    try {
        AcceptTextForm = new TAcceptTextForm(text, m_tree, this);
        bringForward(AcceptTextForm);
    } catch (const std::exception& e) {
        prompts().warn(this, QStringLiteral("创建窗体错误，原因：") + reasonOf(e));
    }
}

void TDragForm::acceptPath(const QString& path)
{
    if (AcceptExeForm && !AcceptExeForm->isClosing()) {
        AcceptExeForm->WMAcceptData(path);
        bringForward(AcceptExeForm);
        return;
    }
    try {
        AcceptExeForm = new TAcceptExeForm(path, m_tree, this);
        bringForward(AcceptExeForm);
    } catch (const std::exception& e) {
        prompts().warn(this, QStringLiteral("创建窗体错误，原因：") + reasonOf(e));
    }
}
