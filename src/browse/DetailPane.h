#pragma once
// The details pane of the main window: the rows for the selected list item (browse/DetailRows.h) and
// the clickable action labels over them, which read a material or run an example material.
#include "browse/DetailRows.h"

#include <QObject>
#include <QString>

class QLabel;
class QListWidgetItem;
class QTableWidget;
class StatusSink;
class TCategoryTree;
class TreeSelection;

class TDetailPane final : public QObject {
    Q_OBJECT
public:
    TDetailPane(QTableWidget* table, const TCategoryTree& tree, const TreeSelection& selection, StatusSink& status,
        QObject* parent = nullptr);

    // OnSelectItem of the list: the labels of the previous selection go; a selected item gets its rows.
    void MainDetailShow(QListWidgetItem* item, bool selected);
    // Removes every row.
    void clear();
    // Runs the first action label of the rows shown (what Enter on a material does); false when there is none.
    bool runFirstAction();
    // Opens the file of the example material shown last, or says that its path is wrong.
    void RunDetail();
    // The path "运行资料" runs: the example material whose details were shown last.
    const QString& runPath() const { return m_runPath; }

signals:
    // An action label was clicked; label carries the caption and the material id (its "tag").
    void actionTriggered(DetailRow::Action action, QLabel* label);

private:
    QTableWidget* m_table;
    const TCategoryTree& m_tree;
    const TreeSelection& m_selection;
    StatusSink& m_status;
    QString m_runPath;
};
