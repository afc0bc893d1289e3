#pragma once
// A viewer window: a top-level, always-on-top window that shows a text material (header and
// body) or the description of an example material, with select-all and copy buttons.
#include "browse/DetailRows.h"
#include "common/RunState.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>

class FindBar;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class StatusSink;

// What a viewer window is asked to show (the refill message's first parameter).
enum ViewerContent { ViewerTextMaterial = 0, ViewerDescription = 1 };

// The captions of the action labels that open a viewer window.
inline QString viewInNewWindowCaption() { return detailactions::viewInNewWindow(); }
inline QString viewDescriptionCaption() { return detailactions::viewDescription(); }

class TNewFrmViewer final : public QWidget {
    Q_OBJECT
public:
    // actionCaption selects what is shown: viewInNewWindowCaption() the text material id,
    // viewDescriptionCaption() the description of the example material id, anything else nothing.
    // The window has no owner and is visible from its creation on. Its font comes from the settings
    // file at settingsPath; a font that cannot be read is reported to status (either may be empty).
    // position: where the window's frame goes (the window system chooses when none is given).
    TNewFrmViewer(const QString& actionCaption, qint64 id, const QString& settingsPath = QString(),
        StatusSink* status = nullptr, QWidget* parent = nullptr, std::optional<QPoint> position = std::nullopt);
    ~TNewFrmViewer() override;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // 全选
    QToolButton* ToolButton2 = nullptr;  // 复制
    QPlainTextEdit* Memo1 = nullptr;
    FindBar* Find = nullptr;  // under Memo1, shown by Ctrl+F

    // Applies the viewer font of the settings file to Memo1 (kept when it cannot be read).
    void FontInit();
    // Refills the window (ViewerContent in wParam, material id in lParam), keeping its font.
    void ReView(int wParam, qint64 lParam);
    void ToolButton1Click();
    void ToolButton2Click();
    // Clears the open viewer caption and destroys the window.
    void FormClose();

    // The viewer windows that exist and are not closing, oldest first.
    static QList<TNewFrmViewer*> liveWindows();
    // The first live viewer window with this caption; nullptr for none or an empty caption.
    static TNewFrmViewer* findByCaption(const QString& caption);
    // Where a new viewer window's frame (frameSize) goes when `open` viewer windows are open already:
    // at the reading area's top left, each further one offset down and to the right, starting over at
    // the corner before one would leave the screen; always inside the screen.
    static QSize defaultSize() { return {619, 433}; }
    static QPoint cascadePosition(const QRect& readingArea, const QRect& screen, const QSize& frameSize, int open);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Writes the content into Memo1 and sets the caption; false (nothing changed) for other kinds.
    bool fill(int content, qint64 id);
    bool m_closed = false;
    QString m_settingsPath;
    StatusSink* m_status = nullptr;
};
