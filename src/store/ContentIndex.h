#pragma once
// The contents index: a file of its own beside the database, "Data.QSD.idx", that finds the materials whose
// title, body or description holds a keyword without reading every body. The database itself is never
// changed by it.
//
// The index file holds the unescaped title and body of every material in a table "docs" (rowid = kind << 40 |
// id, kind 0 for textfile, 1 for exefile) and an FTS5 table over it whose tokenizer emits every character and
// every pair of neighbouring characters (ASCII letters folded), and a second one over the titles alone, kept in a
// table "names" of their own (so that a search can hand out the titles it found without reading the database). A
// keyword of one or two characters is then one exact token; a longer one is the AND of its pairs, and the candidates
// are checked against the text.
//
// Keeping it in step: the data module tells the index which rows a write touched. Before the write commits,
// their keys go into the index's "pending" table; after it, they are read again from the database and the
// pending keys cleared (batched, right after the caller's work). A run killed in between leaves the keys pending, and
// they are read again before the index next answers. Only a run's first write syncs the index file: it leaves the boot
// id of the system in the index, cleared again when the run ends; an index still holding another boot's id may have
// lost writes with the power and is built anew. The index also keeps the count and the highest id of each table as the
// database had them when the index was last in step; when they differ (another program wrote, the file belongs to
// another database) the index is not used and is built anew.
#include "common/StatusSink.h"
#include "store/Statements.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

namespace sqlite {
class Connection;
}

namespace contentindex {

// A material's key in the index: kind << kKindShift | id.
constexpr int kKindShift = 40;

// Raised whenever the layout of the index file changes: a file of another format is built anew.
constexpr int kFormat = 4;

// The index file of a database file.
QString pathFor(const QString& databasePath);

// Attaches the database file path to connection under name (ATTACH with the path bound).
bool attachAs(sqlite::Connection& connection, const QString& path, const QString& name, QString* error);

// The id of this boot of the system ("" where the system does not tell it).
QString bootId();

// Registers the index's tokenizer and its text check (qs_body_has) on a connection. Every connection that reads or
// writes the index needs them.
bool registerIndexFunctions(sqlite3* db, QString* error);

// Opens the database file with the index functions registered and the index file attached as "idx".
bool openWithIndex(
    sqlite::Connection& connection, const QString& databasePath, const QString& indexPath, QString* error);

// The keyword with ASCII letters in lower case and nothing else changed: the case rule of every search.
QString foldAscii(const QString& text);

// 0 for textfile, 1 for exefile.
int kindOfTable(const QString& table);

// A material key as the index stores it.
using Key = QPair<int, qint64>;  // kind, id

// What attach() found.
enum class State {
    Ready,  // attached as "idx", in step with the database
    Missing,  // no index file
    Outdated,  // another format, another database, changes it did not see, damaged: to be built anew
    Unusable,  // cannot be opened or written now (read-only, locked)
};

// Attaches the index file to connection (open on the database) as "idx", brings the rows left pending by a
// killed run up to date and checks that the index is in step. Anything but Ready leaves nothing attached;
// why says what was found.
State attach(sqlite::Connection& connection, const QString& indexPath, QString* why);

// Reads the materials of keys from the database again into the index attached as "idx", in the caller's
// transaction, and keeps the index's counts in step. False with error on failure.
bool syncRows(sqlite::Connection& connection, const QList<Key>& keys, QString* error);

// The condition on a material table (columns title and body column) that holds when the title or the body
// contains keyword, unescaped, ASCII case ignored, by reading every row (what answers while there is no index).
Statement contentsCondition(const QString& table, const QString& keyword);

// Where a keyword is looked for.
enum class Scope { Titles, TitlesAndBodies };

// The ids of one material table from first to last, both included.
struct IdRange {
    qint64 first = 0;
    qint64 last = (qint64(1) << kKindShift) - 1;
};

// The select of the ids (within range) of the materials of table whose title or body holds keyword, unescaped,
// ASCII case ignored, through the attached index. For Titles, the select gives candidates: the selects of Found
// check their titles.
Statement matchingIds(const QString& table, const QString& keyword, Scope scope, IdRange range = IdRange());

// Whether matchingIds checks the candidates' texts (a keyword of three or more characters in the bodies).
bool checksTexts(const QString& keyword, Scope scope);

// What the attached index found for a keyword in one material table, for the statements that hand out the
// materials: the ids are tested through an SQL function registered on the connection while this lives.
class Found {
public:
    Found(sqlite::Connection& connection, const QString& table, const QString& keyword, Scope scope);
    ~Found();
    Found(const Found&) = delete;
    Found& operator=(const Found&) = delete;

    // A second connection (see openWithIndex) that reads half of a large search on a thread of its own, on the
    // second core; it must outlive this.
    void setHelper(sqlite::Connection* helper) { m_helper = helper; }
    sqlite::Connection* helper() const { return m_helper; }

    // Reads the ids and the table's count from the index. False with error on failure.
    bool read(QString* error);
    bool isEmpty() const { return m_ids.empty(); }
    qsizetype size() const { return qsizetype(m_ids.size()); }
    bool contains(qint64 id) const;

    // The condition on the material table (column id) that holds for the materials found.
    Statement condition() const;
    // The select of id and unescaped title of the materials found within range, from the index
    // alone (for a search with no condition but the keyword).
    Statement namesSelect(IdRange range = IdRange()) const;
    // Where a large result is best cut in two for two threads (the id of its middle hit); -1 when it is small.
    qint64 splitPoint() const;

private:
    static void call(sqlite3_context* context, int count, sqlite3_value** values);
    // The test of the ids within range on a column holding the ids plus offset.
    Statement idTest(const QString& column, qint64 offset, IdRange range) const;
    // The check of the candidates' titles (Titles only) on a title expression.
    Statement titleCheck(const QString& title) const;

    sqlite::Connection& m_connection;
    sqlite::Connection* m_helper = nullptr;
    QString m_table;
    QString m_keyword;
    Scope m_scope;
    std::vector<qint64> m_ids;  // ascending
    std::vector<quint64> m_bits;
    qint64 m_tableRows = 0;
    bool m_tested = false;  // the ids are tested row by row through the SQL function
};

// Builds a complete index of the database into target (a new file; a file there is replaced). progress gets
// the materials done and the total and returns false to stop; a stopped or failed build leaves no file.
bool build(const QString& databasePath, const QString& target,
    const std::function<bool(qint64 done, qint64 total)>& progress, QString* error);

}  // namespace contentindex

// The contents index of one data module: follows its writes and builds the index in the background.
class TContentIndex final : public QObject {
    Q_OBJECT
public:
    enum class Phase { Idle, Building };

    explicit TContentIndex(std::function<QString()> databasePath);
    // Stops a build still running; its half-made file goes.
    ~TContentIndex() override;
    TContentIndex(const TContentIndex&) = delete;
    TContentIndex& operator=(const TContentIndex&) = delete;

    void setStatusSink(StatusSink* sink) { m_status = sink; }
    QString indexPath() const;
    Phase phase() const { return m_build ? Phase::Building : Phase::Idle; }

    // Follows the writes of connection until writeEnded(): the rows they touch are recorded as pending in the
    // index before the commit and brought up to date after it.
    void writeBegins(sqlite::Connection& connection);
    void writeEnded(sqlite::Connection& connection);
    // Brings rows written since the last time into the index, a batch at a time: a thread of its own reads the
    // texts in, then the window's thread checks them and takes the keys out of pending (queued after every write).
    void applyPending();
    // Whether rows written in this run are still on their way into the index.
    bool isApplying() const { return !m_unapplied.isEmpty() || !m_inFlight.isEmpty(); }
    // Brings in what is left, puts the writes of this run on disk and closes the index file (done on
    // destruction too).
    void closeWrites();

    // Starts building the index in the background unless a build runs or one failed in this run. Progress and
    // outcome go to the status sink's background work.
    void startBuild();
    // Looks at the index file (bringing pending rows up to date) and starts a build when it is missing or out of
    // date. Quick: it reads no body.
    void checkAndBuild();
    // Waits up to ms for a running build and finishes it; true when no build runs any more.
    bool waitForBuild(int ms);

    // Held by a search while it reads the index, so that a finished build does not replace the file under it.
    QMutex& readerLock() { return m_readers; }

signals:
    void buildFinished(bool ok);

private:
    struct Build;
    static int onCommit(void* self);
    static void onUpdate(void* self, int op, const char* db, const char* table, qint64 rowid);
    void finishBuild();
    // The batch read in by m_reading: brought in step and taken out of pending; then the next batch.
    void finishReading();
    // Waits for the batch being read, which goes back to the rows to bring in.
    void stopReading();
    // The same, the reading stopped where it is (its transaction rolled back).
    void interruptReading();
    // Up to count keys taken out of m_unapplied.
    QList<contentindex::Key> takeUnapplied(int count);
    // Brings keys in step in one transaction on the write connection and takes them out of pending.
    bool applyNow(const QList<contentindex::Key>& keys);
    void show(const QString& text);
    // The connection the writes keep the index with (the database, the index attached as "idx"), kept open
    // between writes; null when there is no index file or it cannot be opened.
    sqlite::Connection* writeConnection();

    std::function<QString()> m_databasePath;
    StatusSink* m_status = nullptr;
    QSet<contentindex::Key> m_touched;  // rows the current write changed
    bool m_pendingWritten = false;
    QSet<contentindex::Key> m_unapplied;  // pending in the index file, not yet read into it
    bool m_applyQueued = false;
    std::thread m_reading;  // reads a batch into the index
    std::mutex m_readingMutex;
    sqlite3* m_readingDb = nullptr;  // its connection while open (guarded by m_readingMutex)
    std::atomic<bool> m_readingStop {false};
    QList<contentindex::Key> m_inFlight;  // that batch
    bool m_marked = false;  // this run wrote under this boot's mark: its end syncs and clears the mark
    QSet<contentindex::Key> m_changedWhileBuilding;
    std::unique_ptr<Build> m_build;
    bool m_buildFailed = false;
    QMutex m_readers;
    std::unique_ptr<sqlite::Connection> m_write;
    QPair<QPair<qint64, qint64>, QPair<qint64, qint64>> m_writeIdentity;  // of the database and the index file
};
