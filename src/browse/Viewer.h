#pragma once
// Reading a text material in the main window's reading pane or in viewer windows, and an example
// material's description in a viewer window.
#include <QObject>
#include <QString>

#include <functional>

class FindBar;
class QLabel;
class QPlainTextEdit;
class StatusSink;

class TReader final : public QObject {
    Q_OBJECT
public:
    // pane: the main window's reading pane; settingsPath: where the viewer font is read each time.
    TReader(QPlainTextEdit* pane, const QString& settingsPath, StatusSink& status, QObject* parent = nullptr);
    // The viewer windows go with the main window.
    ~TReader() override;

    // The "在当前窗口浏览" label: the text material of the label's tag in the reading pane.
    void ViewInThisFrm(QLabel* label);
    // The "在新窗口中浏览" and "在新窗口浏览简介" labels: a new viewer window, or the shared one refilled.
    void ViewInNewFrm(QLabel* label);
    // Applies the viewer font of the settings file to the reading pane.
    void ThisFrmFontInit();

    // The words a material opened for reading starts with in its find bar, the first place selected (the
    // keyword of the contents search that found it); empty for none. paneBar: the reading pane's find bar.
    using FindWords = std::function<QString(qint64 id, bool example)>;
    void setFindWords(FindWords words, FindBar* paneBar);

private:
    QPlainTextEdit* m_pane;
    QString m_settingsPath;
    StatusSink& m_status;
    FindWords m_findWords;
    FindBar* m_paneBar = nullptr;

    QString findWords(qint64 id, bool example) const { return m_findWords ? m_findWords(id, example) : QString(); }
};
