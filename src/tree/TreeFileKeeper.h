#pragma once
// The category tree file of a program directory: read once at start-up, written after every category
// change and at exit. The first rewrite of a run keeps the file it replaces as MTS.qs.bak, so a file
// the program read wrongly (another encoding, damage) is never destroyed by writing it back.
#include <QString>

class TCategoryTree;

class TTreeFileKeeper final {
public:
    TTreeFileKeeper(const QString& path, TCategoryTree& tree) : m_path(path), m_tree(tree) { }

    const QString& path() const { return m_path; }
    // Loads the file into the tree; false when it cannot be opened or holds no line.
    bool load();
    // Writes the tree now. On failure returns false and sets failure (if given) to a message that
    // names the file and the system's reason.
    bool save(QString* failure = nullptr);
    // How many times the file was written in this run.
    int saveCount() const { return m_saveCount; }

private:
    QString m_path;
    TCategoryTree& m_tree;
    int m_saveCount = 0;
    bool m_backupKept = false;
};
