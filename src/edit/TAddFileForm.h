#pragma once
// The modal dialog that adds a text material to a place in the tree, or changes one.
// Placement list: 0 kind word (not read), 1 category, 2 subcategory, and in edit mode 3 the plain
// title and 4 the material's id.
#include <QDialog>
#include <QStringList>

class BodyLines;

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class TFile;
class TFileText;

class TAddFileForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { AddMode = 0, EditMode = 1 };

    // Add mode: stores new materials under placement 1 / 2 until closed.
    TAddFileForm(QWidget* owner, const QStringList& placement);
    // Edit mode: shows the loaded record and overwrites its row once.
    TAddFileForm(QWidget* owner, const TFileText& record, const QStringList& placement);

    Mode mode() const { return m_mode; }
    const QStringList& placement() const { return m_placement; }

    QLabel* Label1 = nullptr;
    QLineEdit* title = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* writer = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* read = nullptr;  // clickable: pastes the clipboard into MainText
    QPlainTextEdit* MainText = nullptr;
    QPushButton* AddBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

public slots:
    virtual void AddBtnClick();
    virtual void CancelBtnClick();
    void readClick();

protected:
    // For derived dialogs: builds the common controls and leaves captions, contents and layout to them.
    TAddFileForm(QWidget* owner, const QStringList& placement, Mode mode, const QString& kindWord);

    // Shared steps of storing: fields checked by the caller; escapes title and body, lets the
    // record insert or update, shows the outcome, then empties the fields (and closes in edit mode)
    // after a success, or restores what was typed after a failure. Returns whether it was stored.
    bool storeRecord(TFile& record, BodyLines& bodyLines);
    // Empties the fields after a successful store.
    virtual void clearFields();
    // Lays the controls out; extraRow (may be null) goes between the author row and the body.
    void arrange(QWidget* extraRow);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // The creation time of the material being edited (kept on update).
    QString m_createtime;

private:
    void buildControls();
    void setCaption(const QString& kindWord);

    QStringList m_placement;
    Mode m_mode = AddMode;
};
