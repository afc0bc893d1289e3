#pragma once
// A viewer window: a top-level, always-on-top window that shows a text material (header and
// body) or the description of an example material, with select-all and copy buttons.
#include <QList>
#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QToolBar;
class QToolButton;
class TFileText;

// Caption of the viewer window filled last; empty when none has been filled or after a viewer
// window was closed. The shared-window mode refills the live window with this caption.
extern QString OpenViewerCaption;

// What a viewer window is asked to show (the refill message's first parameter).
enum ViewerContent { ViewerTextMaterial = 0, ViewerDescription = 1 };

// The captions of the action labels that open a viewer window.
inline QString viewInNewWindowCaption() { return QStringLiteral("在新窗口中浏览"); }
inline QString viewDescriptionCaption() { return QStringLiteral("在新窗口浏览简介"); }

// A text material as both reading areas show it: "作者：", "所属分类：" and "创建时间：" lines,
// each followed by an empty line, then the body; every line ends with a line break.
QString readingText(const TFileText& file);

class TNewFrmViewer final : public QWidget {
    Q_OBJECT
public:
    // actionCaption selects what is shown: viewInNewWindowCaption() the text material id,
    // viewDescriptionCaption() the description of the example material id, anything else nothing.
    // The window has no owner and is visible from its creation on.
    TNewFrmViewer(const QString& actionCaption, qint64 id, QWidget* parent = nullptr);
    ~TNewFrmViewer() override;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // 全选
    QToolButton* ToolButton2 = nullptr;  // 复制
    QPlainTextEdit* Memo1 = nullptr;

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Writes the content into Memo1 and sets the caption; false (nothing changed) for other kinds.
    bool fill(int content, qint64 id);
    bool m_closed = false;
};
