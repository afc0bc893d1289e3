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
    QCheckBox* ContentBox = nullptr;  // "同时搜索资料内容": the keyword may stand in the body too
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

    // The keyword of the last contents search that found something (empty after any other search): the
    // reading pane and the viewer select it in a material opened from the results.
    static QString lastContentsKeyword();

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
    // Runs a keyword search off the GUI thread; starts building the index when it was found missing or out of
    // date.
    bool runWithIndex(const search::SearchInput& in, QList<search::SearchHit>& hits, QString* error);

    const TCategoryTree* m_tree = nullptr;
    ResultsSink m_results;
};
