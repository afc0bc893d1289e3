#pragma once
// The floating drop window: a small translucent square that stays on top near the top right corner
// of the screen. Text or one file dropped on it opens (or refills) a filing dialog; dragging its body
// moves it; a right click pops up the tray menu.
#include "common/RunState.h"
#include "desktop/TOleDragAndDrop.h"

#include <QPoint>
#include <QWidget>

class QLabel;
class TCategoryTree;

class TDragForm final : public QWidget {
    Q_OBJECT
public:
    // tree (may be null) offers its categories in the filing dialogs.
    explicit TDragForm(const TCategoryTree* tree, QWidget* parent = nullptr);
    ~TDragForm() override;

    QLabel* Image1 = nullptr;

    // Where the window starts on a screen of this geometry: top 50, 100 pixels left of the right edge.
    static QPoint startPosition(const QRect& screen);
    // The drop target (decisions only).
    TOleDragAndDrop& dropTarget() { return m_dropTarget; }

    // Hands a dropped text or path to the open filing dialog of its kind, or opens one.
    void acceptText(const QString& text);
    void acceptPath(const QString& path);
    // Carries out what a drop decided.
    void perform(const DropAction& action);

signals:
    // A right click on the body: the tray menu belongs there.
    void menuRequested(const QPoint& globalPos);
    // The system's close command took the window away.
    void closedByUser();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    TOleDragAndDrop m_dropTarget;
    const TCategoryTree* m_tree = nullptr;
    bool m_moving = false;
    QPoint m_grabOffset;  // cursor position inside the window while it is dragged by hand
};
