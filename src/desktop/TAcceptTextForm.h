#pragma once
// The drop filing dialogs: small modeless windows, on top of everything and owned by the floating
// drop window, that turn a dropped text (TAcceptTextForm) or a dropped path (TAcceptExeForm) into a
// stored material. At most one of each exists; a further drop of the same kind refills it.
#include "common/RunState.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TCategoryTree;
class TTreeNode;

class TAcceptTextForm : public QWidget {
    Q_OBJECT
public:
    // A text filing dialog holding text, with a title proposed from it.
    // tree (may be null) offers the categories.
    TAcceptTextForm(const QString& text, const TCategoryTree* tree, QWidget* owner = nullptr);
    ~TAcceptTextForm() override;

    QLabel* NameLabel = nullptr;
    QLineEdit* NameEdit = nullptr;
    QLabel* AuthorLabel = nullptr;
    QLineEdit* AuthorEdit = nullptr;
    QLabel* ClassLabel = nullptr;
    QComboBox* BigClassCombo = nullptr;
    QComboBox* SmallClassCombo = nullptr;
    QLabel* PathLabel = nullptr;  // example dialog only
    QLineEdit* PathEdit = nullptr;  // example dialog only
    QLabel* AboutLabel = nullptr;  // example dialog only
    QPlainTextEdit* MainMemo = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // The title proposed for a dropped text: its first 10 GBK bytes, never half a character.
    static QString proposeTitle(const QString& text);
    // The entry heading the subcategory list; it stands for "no subcategory".
    static QString rootEntry() { return QStringLiteral("根目录"); }

    // Refills the subcategory list for the chosen category.
    void BigClassComboChange();
    // Checks, stores and reports; closes only when the material was stored.
    void OkBtnClick();
    void CancelBtnClick();
    // New dropped data: the body (here) or the path (example dialog); shows a hidden dialog again.
    virtual void WMAcceptData(const QString& data);
    // Destroys the dialog (later) and clears its program-wide reference.
    void WMAcceptClosed();
    // The body as it will be stored (before escaping): the memo's text, or the whole dropped text
    // while the memo shows only its head.
    QString body() const;
    // Whether the body is too unwieldy to edit and the memo shows only its head, read-only.
    bool bodyHeld() const { return m_bodyHeld; }
    // A line longer than this makes the body held: the text editor slows to a crawl on such lines.
    static constexpr int kMaxEditableLine = 20000;

    // True once OK or Cancel has sent the dialog on its way out; a new drop then opens a fresh one.
    bool isClosing() const { return m_closing; }

protected:
    enum class Layout { Text, Example };
    // Builds the common layout; the example layout adds the path row and the description label.
    // The caller fills the category lists once its own range is in place.
    TAcceptTextForm(Layout layout, const TCategoryTree* tree, QWidget* owner);

    // The tree nodes whose categories this dialog offers, in tree order.
    virtual QList<TTreeNode*> categoryRange() const;
    // Every node of the tree, in tree order.
    QList<TTreeNode*> treeNodes() const;
    // Whether the required fields besides the title are filled.
    virtual bool contentComplete() const;
    // Stores the material; true when the store reported success.
    virtual bool storeMaterial(const QString& title, const QString& writer, const QString& category,
        const QString& subcategory, const QString& escapedBody);
    // Empties this dialog's program-wide reference if it still names this dialog.
    virtual void clearReference();

    void fillCategoryLists();
    void setBody(const QString& text);

private:
    const TCategoryTree* m_tree = nullptr;
    void buildControls(Layout layout);
    void postAcceptClosed();
    bool m_closing = false;
    bool m_bodyHeld = false;
    QString m_heldBody;
};

class TAcceptExeForm final : public TAcceptTextForm {
    Q_OBJECT
public:
    // An example filing dialog holding path, with an empty title.
    TAcceptExeForm(const QString& path, const TCategoryTree* tree, QWidget* owner = nullptr);
    ~TAcceptExeForm() override;

    void WMAcceptData(const QString& data) override;

protected:
    QList<TTreeNode*> categoryRange() const override;
    bool contentComplete() const override;
    bool storeMaterial(const QString& title, const QString& writer, const QString& category, const QString& subcategory,
        const QString& escapedBody) override;
    void clearReference() override;
};
