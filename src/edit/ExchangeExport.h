#pragma once
// The export: the whole knowledge base as plain files. One folder per kind, category and subcategory
// as the tree shows them (empty ones too), one material file per material (ExchangeFormat.h), and
// index.tsv at the top. Materials whose category or subcategory the tree does not hold go to
// "<kind>/（不在分类树中）/<category>/<subcategory>/", so none is lost. The same knowledge base always
// gives the same bytes: the tree in its order, the materials of a table by id.
//
// It reads the database on a connection of its own inside one read transaction, so it may run on any
// thread and sees one state of the database. Every file is written under a temporary name and renamed
// when complete; a cancelled or failed export removes everything it wrote.
#include "tree/CategoryTreeFile.h"

#include <QDateTime>
#include <QList>
#include <QString>

class ExchangeProgress;

struct ExportSource {
    QString databasePath;
    QList<TreeNodeData> tree;
};

struct ExportOutcome {
    enum class State { Done, Cancelled, Failed };
    State state = State::Done;
    int materials = 0;  // files written
    QString folder;
    QString error;  // why it failed, in the user's words
};

// Exports into folder, which must be missing (it is made) or an empty folder.
ExportOutcome exportKnowledgeBase(const ExportSource& source, const QString& folder, ExchangeProgress& progress);

// Where an export into the folder the user chose goes: the folder itself when it is empty or missing, else a new
// folder "Quillstash 导出 yyyy-MM-dd HHmmss" in it (numbered when that name is taken).
QString exportFolderIn(const QString& chosen, const QDateTime& now);

// The folder of materials whose place the tree does not hold, inside their kind's folder.
QString outsideTreeFolderName();
