#pragma once
// The search dialog: finds the materials of one kind by title keyword and/or author, optionally
// within a category, a subcategory and a creation-time range, and stores them in the main window's
// hidden result list, which the "搜索结果" node of the tree shows.
#include "browse/MaterialList.h"
#include "search/SearchQuery.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class TCategoryTree;

class TSerchForm final : public QDialog {
    Q_OBJECT
public:
    // Where the hits of each search go (they replace the results before them).
    using ResultsSink = std::function<void(const QList<ListEntry>&)>;
    // tree fills the boxes; results takes the hits.
    TSerchForm(QWidget* owner, const TCategoryTree* tree, ResultsSink results);

    QLabel* Label1 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QComboBox* FWComBox = nullptr;
    QComboBox* BigComBox = nullptr;
    QComboBox* SmallComBox = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* TitleKey = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* AuthorKey = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QDateEdit* BeginTime = nullptr;
    QLabel* Label6 = nullptr;
    QDateEdit* EndTime = nullptr;
    QLabel* SerchLabel = nullptr;
    QPushButton* SerchBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

    // The search the controls describe now.
    search::SearchInput input() const;

public slots:
    void FormCreate();
    void FWComBoxChange();
    void BigComBoxChange();
    void CheckBox1Click();
    void SerchBtnClick();
    void CloseBtnClick();

private:
    void buildControls();

    const TCategoryTree* m_tree = nullptr;
    ResultsSink m_results;
};
