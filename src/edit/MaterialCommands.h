#pragma once
// The material commands: add a material to the selected place, delete, edit and move the material
// selected in the list.
#include <QList>
#include <QString>
#include <QStringList>

struct Statement;
class Prompter;
class TCategoryTree;
class TFile;
class TMaterialList;
class TreeSelection;

// What the commands ask of the window they serve.
class MaterialCommandsHost {
public:
    virtual ~MaterialCommandsHost() = default;
    // Shows the add dialog of the kind ("文字资料" or "实例资料") modally for the placement list
    // (kind word, category, subcategory).
    virtual void runAddDialog(const QString& kind, const QStringList& placement) = 0;
    // Shows the edit dialog of a loaded text (or example) material modally; placement adds the title
    // and the id.
    virtual void runEditDialog(const TFile& record, bool text, const QStringList& placement) = 0;
    // Lists the selected place again.
    virtual void relist() = 0;
};

// A place a material can move to: a category without subcategories is a target itself, a category
// with subcategories offers those.
struct MoveTarget {
    QString category;
    QStringList subcategories;
    bool operator==(const MoveTarget& o) const { return category == o.category && subcategories == o.subcategories; }
};

class TMaterialCommands final {
public:
    TMaterialCommands(const TCategoryTree& tree, TreeSelection& selection, TMaterialList& list, Prompter& prompter,
        MaterialCommandsHost& host)
        : m_tree(tree), m_selection(selection), m_list(list), m_prompter(prompter), m_host(host)
    { }

    void AddFileToItem();
    void N14Click();
    void DelFile();
    void ReFile();
    // The places of the selected material's own kind, in tree order; empty when no material is selected.
    QList<MoveTarget> moveTargets() const;
    // Moves the selected material (subcategory empty: into the category itself).
    void TurnFile(const QString& category, const QString& subcategory);
    void N31Click();

private:
    // Runs a delete or move and lists again either way.
    void runAndRefresh(const Statement& statement);

    const TCategoryTree& m_tree;
    TreeSelection& m_selection;
    TMaterialList& m_list;
    Prompter& m_prompter;
    MaterialCommandsHost& m_host;
};
