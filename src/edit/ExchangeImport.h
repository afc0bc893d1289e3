#pragma once
// The import: plain .txt and .md files become text materials of one place, and a folder written by the
// export (it holds index.tsv) comes back with its own tree, titles, authors, times and example
// materials. It has two halves:
// - the planner walks the chosen paths, reads and checks every file and hands over batches of
//   materials ready to be filed; it touches neither the database nor the tree, so it may run on a
//   worker thread;
// - the applier files one batch in one transaction, on the thread that owns the tree: it adds the
//   categories the batch needs, and saves the tree file before the commit, so a batch is in the
//   database and in the tree file completely or not at all.
#include "edit/ExchangeFormat.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class ExchangeProgress;
class TCategoryTree;
class TMainData;
class TTreeFileKeeper;
class TTreeNode;

// A category of a kind, or a subcategory of it.
struct ImportPlace {
    QString kind;  // "文字资料" or "实例资料"
    QString category;
    std::optional<QString> subcategory;  // none: the category itself
    QString describe() const;  // "文字资料/算法/排序"
};

// What a path the user chose is. File names are taken as bytes: a name that is not valid UTF-8 is
// still read.
struct ImportSource {
    enum class Kind { File, Folder, ExportFolder, Unreadable };
    QByteArray path;
    Kind kind = Kind::File;
    QString problem;  // why it is Unreadable
};
ImportSource classifySource(const QByteArray& nativePath);
ImportSource classifySource(const QString& path);

struct ImportRequest {
    QList<ImportSource> sources;
    // Where plain files go: a category or subcategory of 文字资料. None when every source is an export.
    std::optional<ImportPlace> plainPlace;
};

// One material ready to be filed, its texts in their stored forms.
struct ImportItem {
    bool example = false;
    ImportPlace place;
    // False for a material the export found outside the tree: it is filed under its names as it was,
    // without a place in the tree.
    bool inTree = true;
    QString title;
    QString writer;
    QString createtime;
    QString text;  // body or description
    QString fpath;
    QString source;  // the file it came from, for the report
};

struct ImportBatch {
    QList<ImportPlace> places;  // made, in this order, before the items are filed (an export's tree)
    QList<ImportItem> items;
    QStringList skipped;  // "file：reason" of what the planner could not use
    int processed = 0;  // files looked at up to the end of this batch
};

class TImportPlanner final {
public:
    // Larger files are skipped: a material is read and shown whole.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
    // A batch is handed over when it holds this many materials or this much text, or after five times as
    // many files (all skipped).
    static constexpr int kBatchItems = 200;
    static constexpr qint64 kBatchChars = 4 * 1024 * 1024;

    TImportPlanner(const ImportRequest& request, ExchangeProgress& progress) : m_request(request), m_progress(progress)
    { }

    // Hands over the batches in order; deliver returns false to stop. Stops early when the progress is
    // cancelled. Sets the progress total once it knows how many files there are.
    void run(const std::function<bool(ImportBatch&&)>& deliver);

private:
    const ImportRequest& m_request;
    ExchangeProgress& m_progress;
};

struct ImportReport {
    int imported = 0;
    QStringList skipped;
    int processed = 0;  // files looked at
    int total = 0;  // files found
    bool cancelled = false;
    QString error;  // why the import stopped before its end
};

// "导入了 N 个资料，跳过 M 个文件"
QString importSummary(const ImportReport& report);

class TImportApplier final {
public:
    TImportApplier(TMainData& data, TCategoryTree& tree, TTreeFileKeeper& treeFile)
        : m_data(data), m_tree(tree), m_treeFile(treeFile)
    { }

    // Files a batch in one transaction. On failure nothing of it stays, in the database, the tree or
    // the tree file, and error says why.
    bool apply(const ImportBatch& batch, QString* error);
    ImportReport& report() { return m_report; }
    const ImportReport& report() const { return m_report; }
    // Whether any category was added to the tree.
    bool treeChanged() const { return m_treeChanged; }

private:
    // The node of a place, made (and noted in added) when missing; nullptr with refusal when its name
    // cannot go into the tree file or a sibling has it already (fresh: refused for the first time).
    TTreeNode* ensurePlace(const ImportPlace& place, std::vector<TTreeNode*>& added, QString* refusal, bool* fresh);

    TMainData& m_data;
    TCategoryTree& m_tree;
    TTreeFileKeeper& m_treeFile;
    ImportReport m_report;
    QHash<QString, QString> m_refused;  // why a place was refused, by place: said once
    bool m_treeChanged = false;
};
