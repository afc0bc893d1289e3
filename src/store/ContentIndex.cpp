#include "store/ContentIndex.h"

#include "store/Sqlite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace contentindex {

namespace {

constexpr char kTokenizerName[] = "qsgram";
// A longer keyword is looked up by this many of its pairs at most; the text check makes the answer exact.
constexpr int kMaxPairs = 48;
constexpr int kBatch = 500;

// Byte length of the UTF-8 character starting with lead (1 for a stray byte, so bad input still moves on).
int charLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

char foldByte(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

int createTokenizer(void*, const char**, int, Fts5Tokenizer** out)
{
    static int tag = 0;
    *out = reinterpret_cast<Fts5Tokenizer*>(&tag);
    return SQLITE_OK;
}

void deleteTokenizer(Fts5Tokenizer*) { }

// Set on the thread that reads rows into the index: a long text stops being tokenized once it is asked to stop
// (an interrupt of SQLite is only seen between the steps of a statement, and one text is one step).
thread_local const std::atomic<bool>* t_stopTokenizing = nullptr;

// Documents: every character and every pair starting at it. Queries: one character gives itself, a
// longer string its pairs (the search only ever asks for one character or one pair per phrase).
int tokenize(Fts5Tokenizer*, void* ctx, int flags, const char* text, int size,
    int (*addToken)(void*, int, const char*, int, int, int))
{
    if (size <= 0 || !text)
        return SQLITE_OK;
    const bool query = (flags & FTS5_TOKENIZE_QUERY) != 0;
    int starts[2] = {0, 0};
    int lengths[2] = {0, 0};
    int count = 0;
    char token[8];
    int pos = 0;
    auto charAt = [&](int at) {
        return std::min(charLength(static_cast<unsigned char>(text[at])), size - at);
    };
    // A query of one character.
    if (query && charAt(0) == size) {
        for (int i = 0; i < size; ++i)
            token[i] = foldByte(text[i]);
        return addToken(ctx, 0, token, size, 0, size);
    }
    while (pos < size) {
        if ((count & 0xFFF) == 0 && t_stopTokenizing && t_stopTokenizing->load(std::memory_order_relaxed))
            return SQLITE_INTERRUPT;
        const int len = charAt(pos);
        starts[count % 2] = pos;
        lengths[count % 2] = len;
        if (count > 0) {
            const int ps = starts[(count - 1) % 2];
            const int pl = lengths[(count - 1) % 2];
            for (int i = 0; i < pl; ++i)
                token[i] = foldByte(text[ps + i]);
            for (int i = 0; i < len; ++i)
                token[pl + i] = foldByte(text[pos + i]);
            if (const int rc = addToken(ctx, 0, token, pl + len, ps, pos + len); rc != SQLITE_OK)
                return rc;
        }
        if (!query) {
            for (int i = 0; i < len; ++i)
                token[i] = foldByte(text[pos + i]);
            if (const int rc = addToken(ctx, 0, token, len, pos, pos + len); rc != SQLITE_OK)
                return rc;
        }
        ++count;
        pos += len;
    }
    return SQLITE_OK;
}

fts5_tokenizer kTokenizer = {createTokenizer, deleteTokenizer, tokenize};

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString tableOf(int kind) { return kind == 0 ? QStringLiteral("textfile") : QStringLiteral("exefile"); }
QString bodyColumnOf(int kind) { return kind == 0 ? QStringLiteral("main") : QStringLiteral("about"); }
qint64 keyOf(int kind, qint64 id) { return (qint64(kind) << kKindShift) | id; }

// The stored forms undone in SQL, exactly as UnescapeTitleText and UnescapeBodyText undo them (every
// apostrophe token first, then every colon token, left to right).
QString unescapedTitle(const QString& column) { return QStringLiteral("replace(%1,'+(DYH)+','''')").arg(column); }
QString unescapedBody(const QString& column)
{
    return QStringLiteral("replace(replace(%1,'+(DYH)+',''''),'+(MH)+',':')").arg(column);
}

// Runs one statement with values to its first row or its end; on failure error says why.
bool runOne(sqlite::Connection& c, const QString& sql, const QVariantList& values, QString* error)
{
    const sqlite::Error e = c.run(sql, values);
    if (!e.ok())
        setError(error, e.message);
    return e.ok();
}

// Whether the select gives a row; false also on failure (with error set).
bool hasRow(sqlite::Connection& c, const QString& sql, const QVariantList& values, bool& row, QString* error)
{
    sqlite::Statement st(c, sql);
    sqlite::Error e = st.isValid() ? st.bindAll(values) : st.error();
    if (!e.ok()) {
        setError(error, e.message);
        return false;
    }
    const sqlite::Statement::Step step = st.step();
    if (step == sqlite::Statement::Step::Failed) {
        setError(error, st.error().message);
        return false;
    }
    row = step == sqlite::Statement::Step::Row;
    return true;
}

// What the index knows of the database it was made from: the count and the highest id of each table, and the
// first and last material of each (id, title, creation time), which tells another database with as many
// materials apart. A new row takes an id above the highest, so any insert moves the highest id or, when the
// rows at the top were deleted, the count or the last material; unlike a sum of the ids it costs no walk
// over the table.
struct Fingerprint {
    qint64 values[4] = {0, 0, 0, 0};  // count and highest id of textfile, then of exefile
    QString sample;
    bool operator==(const Fingerprint& o) const
    {
        return std::equal(values, values + 4, o.values) && sample == o.sample;
    }
};

bool sampleOf(sqlite::Connection& c, const QString& schema, QString& out, QString* error)
{
    QString sql = QStringLiteral("select ''");
    for (int kind = 0; kind < 2; ++kind) {
        for (const char* order : {"asc", "desc"}) {
            sql += QStringLiteral(" || char(30) || coalesce((select id || char(31) || title || char(31) || createtime "
                                  "from %1.%2 order by id %3 limit 1), '')")
                       .arg(schema, tableOf(kind), QLatin1String(order));
        }
    }
    sqlite::Statement st(c, sql);
    if (!st.isValid() || st.step() != sqlite::Statement::Step::Row) {
        setError(error, st.error().message);
        return false;
    }
    out = st.text(0);
    return true;
}

bool fingerprintOf(sqlite::Connection& c, const QString& schema, Fingerprint& out, QString* error)
{
    for (int kind = 0; kind < 2; ++kind) {
        // Two selects: SQLite counts a table quickly only in a select of count(*) alone.
        sqlite::Statement st(c,
            QStringLiteral("select (select count(*) from %1.%2), (select coalesce(max(id),0) from %1.%2)")
                .arg(schema, tableOf(kind)));
        if (!st.isValid() || st.step() != sqlite::Statement::Step::Row) {
            setError(error, st.error().message);
            return false;
        }
        out.values[kind * 2] = st.int64(0);
        out.values[kind * 2 + 1] = st.int64(1);
    }
    return sampleOf(c, schema, out.sample, error);
}

// The fingerprint the attached index holds, and its format.
bool storedFingerprint(sqlite::Connection& c, Fingerprint& out, qint64& format, sqlite::Error* failure)
{
    sqlite::Statement meta(c, QStringLiteral("select format,count0,last0,count1,last1,sample from idx.meta"));
    if (!meta.isValid() || meta.step() != sqlite::Statement::Step::Row) {
        *failure = meta.error();
        if (failure->ok())
            *failure = sqlite::Error::fromCode(SQLITE_CORRUPT, QStringLiteral("内容索引没有记录"));
        return false;
    }
    format = meta.int64(0);
    for (int i = 0; i < 4; ++i)
        out.values[i] = meta.int64(i + 1);
    out.sample = meta.text(5);
    return true;
}

const char* const kSchema = R"(
CREATE TABLE meta(format INTEGER NOT NULL, count0 INTEGER NOT NULL, last0 INTEGER NOT NULL,
  count1 INTEGER NOT NULL, last1 INTEGER NOT NULL, sample TEXT NOT NULL, unsynced TEXT NOT NULL DEFAULT '');
CREATE TABLE docs(key INTEGER PRIMARY KEY, title TEXT NOT NULL, body TEXT NOT NULL);
CREATE TABLE pending(kind INTEGER NOT NULL, id INTEGER NOT NULL, PRIMARY KEY(kind, id)) WITHOUT ROWID;
CREATE VIRTUAL TABLE fts USING fts5(title, body, content='docs', content_rowid='key', detail='none',
  tokenize='qsgram');
CREATE TABLE names(key INTEGER PRIMARY KEY, title TEXT NOT NULL);
CREATE VIRTUAL TABLE titles USING fts5(title, content='names', content_rowid='key', detail='none',
  tokenize='qsgram');
CREATE TRIGGER docs_ai AFTER INSERT ON docs BEGIN
  INSERT INTO fts(rowid, title, body) VALUES(new.key, new.title, new.body);
  INSERT INTO names(key, title) VALUES(new.key, new.title);
  INSERT INTO titles(rowid, title) VALUES(new.key, new.title);
END;
CREATE TRIGGER docs_ad AFTER DELETE ON docs BEGIN
  INSERT INTO fts(fts, rowid, title, body) VALUES('delete', old.key, old.title, old.body);
  INSERT INTO titles(titles, rowid, title) VALUES('delete', old.key, old.title);
  DELETE FROM names WHERE key=old.key;
END;
CREATE TRIGGER docs_au AFTER UPDATE ON docs BEGIN
  INSERT INTO fts(fts, rowid, title, body) VALUES('delete', old.key, old.title, old.body);
  INSERT INTO fts(rowid, title, body) VALUES(new.key, new.title, new.body);
  INSERT INTO titles(titles, rowid, title) VALUES('delete', old.key, old.title);
  UPDATE names SET title=new.title WHERE key=new.key;
  INSERT INTO titles(rowid, title) VALUES(new.key, new.title);
END;
)";

void detach(sqlite::Connection& c, const QString& name) { c.exec(QStringLiteral("DETACH %1").arg(name)); }

// A file cut short: SQLite reads the missing pages as absent and may answer without noticing.
bool looksTruncated(sqlite::Connection& c, const QString& path)
{
    const QFileInfo wal(path + QStringLiteral("-wal"));
    if (wal.exists() && wal.size() > 0)
        return false;  // pages may live in the WAL only
    sqlite::Statement count(c, QStringLiteral("PRAGMA idx.page_count"));
    sqlite::Statement size(c, QStringLiteral("PRAGMA idx.page_size"));
    if (!count.isValid() || !size.isValid() || count.step() != sqlite::Statement::Step::Row
        || size.step() != sqlite::Statement::Step::Row)
        return true;
    return QFileInfo(path).size() < count.int64(0) * size.int64(0);
}

}  // namespace

QString pathFor(const QString& databasePath) { return databasePath + QStringLiteral(".idx"); }

QString bootId()
{
    static const QString id = [] {
        QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
    }();
    return id;
}

bool attachAs(sqlite::Connection& c, const QString& path, const QString& name, QString* error)
{
    return runOne(c, QStringLiteral("ATTACH ? AS %1").arg(name), {path}, error);
}

bool openWithIndex(sqlite::Connection& c, const QString& databasePath, const QString& indexPath, QString* error)
{
    if (const sqlite::Error e = c.open(databasePath); !e.ok()) {
        setError(error, e.message);
        return false;
    }
    return registerIndexFunctions(c.handle(), error) && attachAs(c, indexPath, QStringLiteral("idx"), error);
}

namespace {
// qs_body_has(key, needle, fold): whether the body of idx.docs row key holds needle (UTF-8 bytes), with ASCII letters
// of the body lowered first when fold is 1. The body is read a piece at a time until the first occurrence: a
// candidate that holds the keyword near its start costs that start, not the whole text. The blob handle moves from
// row to row and is closed with the statement (it is kept as the needle's auxiliary data), so that no read
// transaction outlives the statement.

// The first piece is small (a keyword is often near the start); each next one twice as large, up to the largest.
constexpr int kFirstPiece = 4 * 1024;
constexpr int kLargestPiece = 64 * 1024;

struct BodyReader {
    sqlite3_blob* blob = nullptr;
    std::vector<char> buffer;
    ~BodyReader() { close(); }
    void close()
    {
        if (blob)
            sqlite3_blob_close(blob);
        blob = nullptr;
    }
    static void release(void* p) { delete static_cast<BodyReader*>(p); }
};

void lowerAscii(char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        p[i] = foldByte(p[i]);
}

void bodyHas(sqlite3_context* context, int, sqlite3_value** values)
{
    const sqlite3_int64 key = sqlite3_value_int64(values[0]);
    const auto* needle = reinterpret_cast<const char*>(sqlite3_value_text(values[1]));
    const size_t needleSize = size_t(sqlite3_value_bytes(values[1]));
    const bool fold = sqlite3_value_int(values[2]) != 0;
    if (!needle || needleSize == 0) {
        sqlite3_result_int(context, 1);
        return;
    }
    auto* reader = static_cast<BodyReader*>(sqlite3_get_auxdata(context, 1));
    if (!reader) {
        reader = new BodyReader;
        sqlite3_set_auxdata(context, 1, reader, &BodyReader::release);
        // SQLite may free it at once (a needle that is not a constant): then it lives for this call only.
        if (sqlite3_get_auxdata(context, 1) != reader) {
            reader = nullptr;
        }
    }
    BodyReader local;
    BodyReader& r = reader ? *reader : local;
    sqlite3* db = sqlite3_context_db_handle(context);
    int rc = r.blob ? sqlite3_blob_reopen(r.blob, key) : sqlite3_blob_open(db, "idx", "docs", "body", key, 0, &r.blob);
    if (rc != SQLITE_OK) {
        // A failed reopen leaves the handle unusable; a failed open may hand one out anyway.
        r.close();
        if (rc == SQLITE_ERROR) {
            sqlite3_result_int(context, 0);  // no such row: no body to hold the keyword
        } else {
            sqlite3_result_error_code(context, rc);
        }
        return;
    }
    const int total = sqlite3_blob_bytes(r.blob);
    const size_t overlap = needleSize - 1;
    r.buffer.resize(overlap + kLargestPiece);
    size_t kept = 0;  // bytes of the previous piece kept in front, so that an occurrence across pieces is seen
    bool found = false;
    int size = kFirstPiece;
    for (int offset = 0; offset < total && !found; size = std::min(2 * size, kLargestPiece)) {
        const int piece = std::min(size, total - offset);
        rc = sqlite3_blob_read(r.blob, r.buffer.data() + kept, piece, offset);
        if (rc != SQLITE_OK)
            break;
        if (fold)
            lowerAscii(r.buffer.data() + kept, size_t(piece));
        const size_t filled = kept + size_t(piece);
        found = memmem(r.buffer.data(), filled, needle, needleSize) != nullptr;
        offset += piece;
        kept = std::min(overlap, filled);
        std::memmove(r.buffer.data(), r.buffer.data() + filled - kept, kept);
    }
    if (rc != SQLITE_OK)
        sqlite3_result_error_code(context, rc);
    else
        sqlite3_result_int(context, found ? 1 : 0);
}
}  // namespace

bool registerIndexFunctions(sqlite3* db, QString* error)
{
    if (sqlite3_create_function_v2(
            db, "qs_body_has", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &bodyHas, nullptr, nullptr, nullptr)
        != SQLITE_OK) {
        setError(error, QString::fromUtf8(sqlite3_errmsg(db)));
        return false;
    }
    fts5_api* api = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &st, nullptr) != SQLITE_OK) {
        setError(error, QString::fromUtf8(sqlite3_errmsg(db)));
        return false;
    }
    sqlite3_bind_pointer(st, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(st);
    sqlite3_finalize(st);
    if (!api || api->iVersion < 2) {
        setError(error, QStringLiteral("SQLite 没有 FTS5"));
        return false;
    }
    if (api->xCreateTokenizer(api, kTokenizerName, nullptr, &kTokenizer, nullptr) != SQLITE_OK) {
        setError(error, QString::fromUtf8(sqlite3_errmsg(db)));
        return false;
    }
    return true;
}

QString foldAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() - 'A' + 'a');
    }
    return out;
}

int kindOfTable(const QString& table) { return table == QLatin1String("textfile") ? 0 : 1; }

namespace {
bool pendingKeys(sqlite::Connection& c, QList<Key>& keys, sqlite::Error& failure)
{
    keys.clear();
    sqlite::Statement st(c, QStringLiteral("select kind,id from idx.pending"));
    sqlite::Statement::Step step = sqlite::Statement::Step::Failed;
    while (st.isValid() && (step = st.step()) == sqlite::Statement::Step::Row)
        keys.append({int(st.int64(0)), st.int64(1)});
    if (step == sqlite::Statement::Step::Done)
        return true;
    failure = st.error();
    return false;
}
}  // namespace

State attach(sqlite::Connection& c, const QString& path, QString* why)
{
    if (!QFileInfo::exists(path)) {
        setError(why, QStringLiteral("没有内容索引"));
        return State::Missing;
    }
    QString error;
    if (!registerIndexFunctions(c.handle(), &error)) {
        setError(why, error);
        return State::Unusable;
    }
    // A busy file may answer later; anything else that keeps the index from answering means building anew.
    auto stateOf = [](const sqlite::Error& e) {
        return e.isBusy() ? State::Unusable : State::Outdated;
    };
    if (const sqlite::Error e = c.run(QStringLiteral("ATTACH ? AS idx"), {path}); !e.ok()) {
        setError(why, e.message);
        return stateOf(e);
    }
    auto fail = [&](State state, const QString& text) {
        detach(c, QStringLiteral("idx"));
        setError(why, text);
        return state;
    };
    // An index that cannot learn of the next change cannot be trusted after it.
    if (sqlite3_db_readonly(c.handle(), "idx") != 0)
        return fail(State::Outdated, QStringLiteral("内容索引文件只读"));
    Fingerprint stored;
    qint64 format = 0;
    sqlite::Error failure;
    if (!storedFingerprint(c, stored, format, &failure))
        return fail(stateOf(failure), failure.message);
    if (format != kFormat)
        return fail(State::Outdated, QStringLiteral("内容索引的格式不同"));
    if (looksTruncated(c, path))
        return fail(State::Outdated, QStringLiteral("内容索引文件不完整"));
    // Changes written without a sync since the system started are all there (a killed program loses nothing
    // the system holds); after a restart some may be missing, so nothing in the index can be trusted.
    {
        sqlite::Statement marker(c, QStringLiteral("select unsynced from idx.meta"));
        if (!marker.isValid() || marker.step() != sqlite::Statement::Step::Row) {
            failure = marker.error();
            marker = sqlite::Statement();
            return fail(stateOf(failure), failure.message);
        }
        const QString unsynced = marker.text(0);
        if (!unsynced.isEmpty() && unsynced != bootId())
            return fail(State::Outdated, QStringLiteral("内容索引的最后几次写入在系统重启时可能已丢失"));
    }

    // Rows a killed run wrote but did not bring into the index, or a running one has not yet.
    QList<Key> pending;
    if (!pendingKeys(c, pending, failure))
        return fail(stateOf(failure), failure.message);
    if (!pending.isEmpty()) {
        bool repaired = false;
        {
            // Under the database's write lock. A writer puts its keys in before its commit: between the two the
            // rows read here would be the old ones, and the writer's keys would go with them. Under the lock
            // every key stands for a change that is committed (or was given up), and no key comes in meanwhile.
            sqlite::Transaction transaction(c, sqlite::Transaction::Mode::Immediate);
            repaired = transaction.error().ok() && pendingKeys(c, pending, failure) && syncRows(c, pending, &error)
                && runOne(c, QStringLiteral("delete from idx.pending"), {}, &error);
            if (repaired) {
                const sqlite::Error e = transaction.commit();
                repaired = e.ok();
                error = e.message;
            } else if (error.isEmpty()) {
                error = transaction.error().ok() ? failure.message : transaction.error().message;
            }
        }
        if (!repaired)
            return fail(State::Unusable, error);
        // The fingerprint was brought up to date with the rows.
        if (!storedFingerprint(c, stored, format, &failure))
            return fail(stateOf(failure), failure.message);
    }
    Fingerprint now;
    if (!fingerprintOf(c, QStringLiteral("main"), now, &error))
        return fail(State::Unusable, error);
    if (!(now == stored))
        return fail(State::Outdated, QStringLiteral("内容索引与数据库不符"));
    return State::Ready;
}

bool syncRows(sqlite::Connection& c, const QList<Key>& keys, QString* error)
{
    qint64 delta[2] = {0, 0};
    for (const Key& k : keys) {
        const int kind = k.first == 0 ? 0 : 1;
        const qint64 id = k.second;
        if (id < 0 || id >= (qint64(1) << kKindShift))
            continue;
        const qint64 key = keyOf(kind, id);
        bool existed = false;
        bool exists = false;
        if (!hasRow(c, QStringLiteral("select 1 from idx.docs where key=?"), {key}, existed, error)
            || !hasRow(c, QStringLiteral("select 1 from main.%1 where id=?").arg(tableOf(kind)), {id}, exists, error))
            return false;
        if (exists) {
            const QString sql
                = QStringLiteral("insert into idx.docs(key,title,body) select ?, %1, %2 from main.%3 "
                                 "where id=? on conflict(key) do update set title=excluded.title, "
                                 "body=excluded.body where title is not excluded.title or "
                                 "body is not excluded.body")
                      .arg(unescapedTitle(QStringLiteral("title")), unescapedBody(bodyColumnOf(kind)), tableOf(kind));
            if (!runOne(c, sql, {key, id}, error))
                return false;
        } else if (existed) {
            if (!runOne(c, QStringLiteral("delete from idx.docs where key=?"), {key}, error))
                return false;
        }
        if (exists != existed)
            delta[kind] += exists ? 1 : -1;
    }
    QString sample;
    return sampleOf(c, QStringLiteral("main"), sample, error)
        && runOne(c,
            QStringLiteral(
                "update idx.meta set count0=count0+?, last0=(select coalesce(max(id),0) from main.textfile), "
                "count1=count1+?, last1=(select coalesce(max(id),0) from main.exefile), sample=?"),
            {delta[0], delta[1], sample}, error);
}

namespace {
// The SQL text folded as the keyword was. Only a keyword with ASCII letters needs it; folding a long body costs a
// copy of it.
bool hasLetters(const QString& foldedKeyword)
{
    return std::any_of(foldedKeyword.cbegin(), foldedKeyword.cend(), [](QChar c) { return c >= 'a' && c <= 'z'; });
}

QString foldedLike(const QString& foldedKeyword, const QString& text)
{
    return hasLetters(foldedKeyword) ? QStringLiteral("lower(%1)").arg(text) : text;
}
}  // namespace

Statement matchingIds(const QString& table, const QString& keyword, Scope scope, IdRange range)
{
    const bool bodies = scope == Scope::TitlesAndBodies;
    // The titles have an index of their own: an index without positions cannot tell in which column a word is.
    const QString fts = bodies ? QStringLiteral("fts") : QStringLiteral("titles");
    const int kind = kindOfTable(table);
    const QString folded = foldAscii(keyword);
    auto fold = [&folded](const QString& text) {
        return foldedLike(folded, text);
    };
    // Every piece of the keyword goes to FTS5 as a quoted string of its own, so none of it is ever read as
    // query syntax.
    auto quoted = [](const QString& piece) {
        QString q = piece;
        q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + q + QLatin1Char('"');
    };
    const QList<uint> chars = folded.toUcs4();
    const qint64 low = keyOf(kind, 0);
    const qint64 first = keyOf(kind, range.first);
    const qint64 last = keyOf(kind, range.last);
    if (chars.size() <= 2) {
        // One token that the text holds exactly when it holds the keyword: no check needed.
        return Statement {
            QStringLiteral("select rowid-? as id from idx.%1 where %1 match ? and rowid between ? and ?").arg(fts),
            {low, quoted(folded), first, last}};
    }
    QStringList pairs;
    for (int i = 0; i + 1 < chars.size() && pairs.size() < kMaxPairs; ++i) {
        const uint two[2] = {chars.at(i), chars.at(i + 1)};
        const QString pair = quoted(QString::fromUcs4(reinterpret_cast<const char32_t*>(two), 2));
        if (!pairs.contains(pair))
            pairs.append(pair);
    }
    if (!bodies) {
        // Candidates only: Found::titleCheck() checks them where the title is read anyway.
        return Statement {
            QStringLiteral("select rowid-? as id from idx.titles where titles match ? and rowid between ? and ?"),
            {low, pairs.join(QStringLiteral(" AND ")), first, last}};
    }
    // The body is read only as far as its first occurrence (qs_body_has), and not at all when the title has it.
    return Statement {QStringLiteral("select docs.key-? as id from idx.fts join idx.docs on docs.key=fts.rowid "
                                     "where fts match ? and fts.rowid between ? and ? and "
                                     "(instr(%1,?)>0 or qs_body_has(docs.key,?,%2))")
                          .arg(fold(QStringLiteral("docs.title")))
                          .arg(hasLetters(folded) ? 1 : 0),
        {low, pairs.join(QStringLiteral(" AND ")), first, last, folded, folded}};
}

Statement contentsCondition(const QString& table, const QString& keyword)
{
    const int kind = kindOfTable(table);
    const QString folded = foldAscii(keyword);
    auto fold = [&folded](const QString& text) {
        return foldedLike(folded, text);
    };
    return Statement {QStringLiteral("(instr(%1,?)>0 or instr(%2,?)>0)")
                          .arg(fold(unescapedTitle(QStringLiteral("title"))), fold(unescapedBody(bodyColumnOf(kind)))),
        {folded, folded}};
}

namespace {
constexpr char kFilterName[] = "qs_found";
}

bool checksTexts(const QString& keyword, Scope scope)
{
    return scope == Scope::TitlesAndBodies && foldAscii(keyword).toUcs4().size() > 2;
}

Found::Found(sqlite::Connection& connection, const QString& table, const QString& keyword, Scope scope)
    : m_connection(connection), m_table(table), m_keyword(keyword), m_scope(scope)
{ }

Found::~Found()
{
    for (sqlite::Connection* c : {&m_connection, m_helper}) {
        if (m_tested && c && c->handle())
            sqlite3_create_function_v2(
                c->handle(), kFilterName, 1, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
}

namespace {
// Below this many hits a second thread saves less than it costs to start.
constexpr qsizetype kSplitAt = 2000;

// Appends the first column of every row of select to ids.
sqlite::Error collectIds(sqlite::Connection& c, const Statement& select, std::vector<qint64>& ids)
{
    sqlite::Statement st(c, select.sql);
    sqlite::Error e = st.isValid() ? st.bindAll(select.values) : st.error();
    sqlite::Statement::Step step = sqlite::Statement::Step::Failed;
    while (e.ok() && (step = st.step()) == sqlite::Statement::Step::Row)
        ids.push_back(st.int64(0));
    if (e.ok() && step == sqlite::Statement::Step::Failed)
        e = st.error();
    return e;
}

// The highest id of the kind in the index (-1 when it has none).
qint64 highestId(sqlite::Connection& c, int kind, sqlite::Error& e)
{
    sqlite::Statement st(c, QStringLiteral("select max(key) from idx.names where key between ? and ?"));
    e = st.isValid() ? st.bindAll({keyOf(kind, 0), keyOf(kind, IdRange().last)}) : st.error();
    if (e.ok() && st.step() != sqlite::Statement::Step::Row)
        e = st.error();
    return e.ok() && !st.isNull(0) ? st.int64(0) - keyOf(kind, 0) : -1;
}
}  // namespace

bool Found::read(QString* error)
{
    sqlite::Error e;
    // With a helper, a second thread reads the upper half of the ids (and checks their texts when needed).
    const qint64 half = m_helper ? highestId(m_connection, kindOfTable(m_table), e) / 2 : -1;
    if (half <= 0) {
        if (e.ok())
            e = collectIds(m_connection, matchingIds(m_table, m_keyword, m_scope), m_ids);
    } else {
        std::vector<qint64> upper;
        sqlite::Error upperError;
        std::thread second([&] {
            upperError
                = collectIds(*m_helper, matchingIds(m_table, m_keyword, m_scope, {half + 1, IdRange().last}), upper);
        });
        e = collectIds(m_connection, matchingIds(m_table, m_keyword, m_scope, {0, half}), m_ids);
        second.join();
        if (e.ok())
            e = upperError;
        m_ids.insert(m_ids.end(), upper.cbegin(), upper.cend());
    }
    // The index in step knows how many materials the table holds.
    if (e.ok()) {
        sqlite::Statement count(m_connection,
            QStringLiteral("select %1 from idx.meta")
                .arg(kindOfTable(m_table) == 0 ? QStringLiteral("count0") : QStringLiteral("count1")));
        e = count.isValid() && count.step() == sqlite::Statement::Step::Row ? sqlite::Error() : count.error();
        m_tableRows = count.int64(0);
    }
    if (!e.ok()) {
        setError(error, e.message);
        return false;
    }
    // In rowid order already, unless SQLite chose another plan.
    if (!std::is_sorted(m_ids.cbegin(), m_ids.cend()))
        std::sort(m_ids.begin(), m_ids.end());
    // Looking up a row costs about ten times testing one while reading an index in order: for a good part of
    // the table, reading a covering index through and testing every id is quicker.
    m_tested = !m_ids.empty() && size() * 8 >= m_tableRows;
    if (!m_tested)
        return true;
    // A bit per id up to the highest, unless the ids are too sparse for that (8 MB at most).
    const qint64 highest = m_ids.back();
    if (m_ids.front() >= 0 && highest < (qint64(64) << 20)) {
        m_bits.assign(size_t(highest / 64 + 1), 0);
        for (const qint64 id : m_ids)
            m_bits[size_t(id / 64)] |= quint64(1) << (id % 64);
    }
    for (sqlite::Connection* c : {&m_connection, m_helper}) {
        if (c)
            sqlite3_create_function_v2(c->handle(), kFilterName, 1, SQLITE_UTF8 | SQLITE_DIRECTONLY, this, &Found::call,
                nullptr, nullptr, nullptr);
    }
    return true;
}

qint64 Found::splitPoint() const { return m_helper && size() >= kSplitAt ? m_ids[m_ids.size() / 2 - 1] : -1; }

bool Found::contains(qint64 id) const
{
    if (!m_bits.empty())
        return id >= 0 && size_t(id / 64) < m_bits.size() && (m_bits[size_t(id / 64)] >> (id % 64)) & 1;
    return std::binary_search(m_ids.cbegin(), m_ids.cend(), id);
}

void Found::call(sqlite3_context* context, int, sqlite3_value** values)
{
    const auto* self = static_cast<const Found*>(sqlite3_user_data(context));
    sqlite3_result_int(context, self->contains(sqlite3_value_int64(values[0])) ? 1 : 0);
}

Statement Found::idTest(const QString& column, qint64 offset, IdRange range) const
{
    if (m_tested)
        return Statement {QStringLiteral("%1(%2-%3)").arg(QLatin1String(kFilterName), column).arg(offset), {}};
    // The column itself on the left, so that each id is looked up. A select of the index that reads no text
    // costs less to run again than the list of ids costs to pass.
    if (!checksTexts(m_keyword, m_scope)) {
        const Statement again = matchingIds(m_table, m_keyword, m_scope, range);
        return Statement {
            QStringLiteral("%1 in (select id+%2 from (%3))").arg(column).arg(offset).arg(again.sql), again.values};
    }
    QByteArray list = "[";
    const auto from = std::lower_bound(m_ids.cbegin(), m_ids.cend(), range.first);
    const auto to = std::upper_bound(from, m_ids.cend(), range.last);
    for (auto id = from; id != to; ++id) {
        if (list.size() > 1)
            list += ',';
        list += QByteArray::number(*id);
    }
    list += ']';
    return Statement {QStringLiteral("%1 in (select value+%2 from json_each(?))").arg(column).arg(offset),
        {QString::fromLatin1(list)}};
}

Statement Found::titleCheck(const QString& title) const
{
    if (m_scope != Scope::Titles)
        return Statement();
    const QString folded = foldAscii(m_keyword);
    return Statement {QStringLiteral(" and instr(%1,?)>0").arg(foldedLike(folded, title)), {folded}};
}

Statement Found::condition() const
{
    Statement condition = idTest(QStringLiteral("id"), 0, IdRange());
    const Statement check = titleCheck(unescapedTitle(QStringLiteral("title")));
    condition.sql += check.sql;
    condition.values << check.values;
    return condition;
}

Statement Found::namesSelect(IdRange range) const
{
    const int kind = kindOfTable(m_table);
    const qint64 low = keyOf(kind, 0);
    // The key is the id within the kind's range: key - low (a number of this program's, not of the user's).
    const Statement test = idTest(QStringLiteral("key"), low, range);
    const Statement check = titleCheck(QStringLiteral("title"));
    Statement select {QStringLiteral("select key-%1, title from idx.names where key between ? and ? and %2%3")
                          .arg(low)
                          .arg(test.sql, check.sql),
        {keyOf(kind, range.first), keyOf(kind, range.last)}};
    select.values << test.values << check.values;
    return select;
}

bool build(const QString& databasePath, const QString& target,
    const std::function<bool(qint64 done, qint64 total)>& progress, QString* error)
{
    auto removeAll = [&target] {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(target + QLatin1String(suffix));
    };
    removeAll();
    bool ok = false;
    {
        sqlite::Connection out;
        if (const sqlite::Error e = out.openOrCreate(target); !e.ok()) {
            setError(error, e.message);
            return false;
        }
        out.setBusyBudget(5000);
        ok = registerIndexFunctions(out.handle(), error);
        // The new file is put in place only once it is complete, so it needs no journal while it is built.
        if (ok) {
            const sqlite::Error e = out.exec(
                QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;") + QString::fromUtf8(kSchema));
            ok = e.ok();
            if (!ok)
                setError(error, e.message);
        }
        ok = ok && attachAs(out, databasePath, QStringLiteral("m"), error);
        if (ok) {
            // One transaction: the database is read as one snapshot, while the program goes on writing.
            sqlite::Transaction transaction(out, sqlite::Transaction::Mode::Deferred);
            Fingerprint print;
            ok = transaction.error().ok() && fingerprintOf(out, QStringLiteral("m"), print, error);
            const qint64 total = print.values[0] + print.values[2];
            qint64 done = 0;
            for (int kind = 0; ok && kind < 2; ++kind) {
                qint64 after = -1;
                for (;;) {
                    sqlite::Statement ids(out,
                        QStringLiteral("select max(id), count(*) from (select id from m.%1 where id>? order by id "
                                       "limit %2)")
                            .arg(tableOf(kind))
                            .arg(kBatch));
                    sqlite::Error e = ids.isValid() ? ids.bindAll({after}) : ids.error();
                    if (!e.ok() || ids.step() != sqlite::Statement::Step::Row) {
                        setError(error, e.ok() ? ids.error().message : e.message);
                        ok = false;
                        break;
                    }
                    if (ids.isNull(0))
                        break;
                    const qint64 last = ids.int64(0);
                    const qint64 rows = ids.int64(1);
                    const QString sql = QStringLiteral("insert into docs(key,title,body) select (%1<<%2)|id, %3, %4 "
                                                       "from m.%5 where id>? and id<=? and id>=0 and id<(1<<%2)")
                                            .arg(kind)
                                            .arg(kKindShift)
                                            .arg(unescapedTitle(QStringLiteral("title")),
                                                unescapedBody(bodyColumnOf(kind)), tableOf(kind));
                    if (!runOne(out, sql, {after, last}, error)) {
                        ok = false;
                        break;
                    }
                    after = last;
                    done += rows;
                    if (progress && !progress(done, total)) {
                        setError(error, QStringLiteral("已停止"));
                        ok = false;
                        break;
                    }
                }
            }
            ok = ok
                && runOne(out,
                    QStringLiteral("insert into meta(format,count0,last0,count1,last1,sample) values(?,?,?,?,?,?)"),
                    {kFormat, print.values[0], print.values[1], print.values[2], print.values[3], print.sample}, error);
            if (ok) {
                const sqlite::Error e = transaction.commit();
                ok = e.ok();
                if (!ok)
                    setError(error, e.message);
            }
        }
        if (ok) {
            detach(out, QStringLiteral("m"));
            // Kept in step write by write from now on: a journal so that a killed run leaves it whole.
            const sqlite::Error e = out.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            ok = e.ok();
            if (!ok)
                setError(error, e.message);
        }
    }
    if (!ok)
        removeAll();
    return ok;
}

}  // namespace contentindex

// --- TContentIndex

struct TContentIndex::Build {
    std::thread thread;
    std::atomic<bool> stop {false};
    std::atomic<bool> done {false};
    bool ok = false;
    QString error;
    QString target;
};

namespace {
// Device and inode of a file ({-1, -1} when it does not exist).
QPair<qint64, qint64> fileIdentity(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {-1, -1};
    return {qint64(st.st_dev), qint64(st.st_ino)};
}

void removeIndexFiles(const QString& path)
{
    for (const char* suffix : {"-wal", "-shm", ""})
        QFile::remove(path + QLatin1String(suffix));
}
}  // namespace

TContentIndex::TContentIndex(std::function<QString()> databasePath) : m_databasePath(std::move(databasePath)) { }

TContentIndex::~TContentIndex()
{
    if (m_build) {
        m_build->stop = true;
        if (m_build->thread.joinable())
            m_build->thread.join();
        removeIndexFiles(m_build->target);
    }
    closeWrites();
}

void TContentIndex::closeWrites()
{
    stopReading();
    while (!m_unapplied.isEmpty())
        applyNow(takeUnapplied(500));
    // One sync puts every write of the run on disk; then the mark goes, so that a restart of the system does
    // not make the index be built anew.
    if (m_write && m_marked) {
        m_write->restartBusyBudget();
        if (m_write->exec(QStringLiteral("PRAGMA idx.synchronous=FULL")).ok()
            && m_write->run(QStringLiteral("update idx.meta set unsynced=''"), {}).ok())
            m_marked = false;
    }
    m_write.reset();
}

QString TContentIndex::indexPath() const
{
    return contentindex::pathFor(QFileInfo(m_databasePath()).absoluteFilePath());
}

void TContentIndex::onUpdate(void* self, int, const char* db, const char* table, qint64 rowid)
{
    if (qstrcmp(db, "main") != 0)
        return;
    auto* index = static_cast<TContentIndex*>(self);
    if (qstrcmp(table, "textfile") == 0)
        index->m_touched.insert({0, rowid});
    else if (qstrcmp(table, "exefile") == 0)
        index->m_touched.insert({1, rowid});
}

sqlite::Connection* TContentIndex::writeConnection()
{
    const QString database = QFileInfo(m_databasePath()).absoluteFilePath();
    const QString path = contentindex::pathFor(database);
    // Another file in the index's place (deleted, rebuilt, copied in) is opened afresh.
    const auto identity = qMakePair(fileIdentity(database), fileIdentity(path));
    if (m_write && (m_writeIdentity != identity || m_write->path() != database))
        m_write.reset();
    if (m_write || identity.second.first < 0 || identity.first.first < 0)
        return m_write.get();
    auto c = std::make_unique<sqlite::Connection>();
    QString error;
    if (!contentindex::openWithIndex(*c, database, path, &error))
        return nullptr;
    // A build leaves the file in WAL mode; another program may have changed that (a rollback journal costs
    // each write two more syncs). Should the file be busy, the next write connection tries again.
    c->exec(QStringLiteral("PRAGMA idx.journal_mode=WAL"));
    // Each write adds a few pages to the index's WAL: folding them back into the file less often spares the
    // syncs that each folding costs.
    c->exec(QStringLiteral("PRAGMA wal_autocheckpoint=8000"));
    m_write = std::move(c);
    m_marked = false;
    m_writeIdentity = identity;
    return m_write.get();
}

int TContentIndex::onCommit(void* self)
{
    auto* index = static_cast<TContentIndex*>(self);
    if (index->m_touched.isEmpty())
        return 0;
    if (index->m_build) {
        index->m_changedWhileBuilding.unite(index->m_touched);
        return 0;
    }
    if (!QFileInfo::exists(index->indexPath()))
        return 0;
    // The keys are in the index before the database commits, so a run killed right after the commit leaves them
    // to be read again. Only a write that finds the index without this boot's mark waits for the disk: it marks
    // the index as written without syncs in this boot of the system (a killed program loses nothing the system
    // holds; a restart may, and then the mark makes the index be built anew). The mark is read each time, as
    // another program writing beside this one may have cleared it at its end. Without a boot id every write
    // syncs its keys.
    sqlite::Connection* c = index->writeConnection();
    const QString boot = contentindex::bootId();
    bool ok = c != nullptr;
    if (ok)
        c->restartBusyBudget();
    // Whether the index holds this boot's mark now.
    auto hasMark = [c, &boot](bool& marked) {
        sqlite::Statement mark(*c, QStringLiteral("select unsynced=? from idx.meta"));
        const bool read = mark.isValid() && mark.bindAll({boot}).ok() && mark.step() == sqlite::Statement::Step::Row;
        marked = read && mark.int64(0) != 0;
        return read;
    };
    // The sync level cannot change within a transaction: the mark is read before, and once more within, should
    // it have gone meanwhile (then the write is done again, synced).
    bool committed = false;
    for (int attempt = 0; ok && attempt < 2; ++attempt) {
        bool marked = false;
        ok = boot.isEmpty() || hasMark(marked);
        ok = ok
            && c->exec(marked ? QStringLiteral("PRAGMA idx.synchronous=NORMAL")
                              : QStringLiteral("PRAGMA idx.synchronous=FULL"))
                   .ok();
        if (!ok)
            break;
        // Deferred: the database itself stays unlocked (it is committing). The keys go in first, which takes
        // the index's write lock; the mark is then read under it.
        sqlite::Transaction transaction(*c, sqlite::Transaction::Mode::Deferred);
        ok = transaction.error().ok();
        sqlite::Statement st(*c, QStringLiteral("insert or ignore into idx.pending(kind,id) values(?,?)"));
        ok = ok && st.isValid();
        for (auto it = index->m_touched.cbegin(); ok && it != index->m_touched.cend(); ++it) {
            st.reset();
            ok = st.bindAll({it->first, it->second}).ok() && st.step() == sqlite::Statement::Step::Done;
        }
        st = sqlite::Statement();
        if (ok && marked) {
            bool still = false;
            ok = hasMark(still);
            if (ok && !still)
                continue;  // rolled back
        }
        if (ok && !marked && !boot.isEmpty())
            ok = c->run(QStringLiteral("update idx.meta set unsynced=?"), {boot}).ok();
        committed = ok && transaction.commit().ok();
        break;
    }
    if (committed) {
        index->m_pendingWritten = true;
        index->m_marked = !boot.isEmpty();
    } else {
        // An index that cannot learn of a change must not answer any more: it is built anew when needed.
        index->m_write.reset();
        removeIndexFiles(index->indexPath());
    }
    return 0;
}

void TContentIndex::writeBegins(sqlite::Connection& connection)
{
    // A write never waits for the index to read texts in (a body of 10 MB takes about 0.4 s): the batch being read
    // is given up, and read again after the write.
    interruptReading();
    m_touched.clear();
    m_pendingWritten = false;
    sqlite3_update_hook(connection.handle(), &TContentIndex::onUpdate, this);
    sqlite3_commit_hook(connection.handle(), &TContentIndex::onCommit, this);
}

void TContentIndex::writeEnded(sqlite::Connection& connection)
{
    if (connection.handle()) {
        sqlite3_update_hook(connection.handle(), nullptr, nullptr);
        sqlite3_commit_hook(connection.handle(), nullptr, nullptr);
    }
    if (m_pendingWritten)
        m_unapplied.unite(m_touched);
    m_touched.clear();
    m_pendingWritten = false;
    // The rows are read into the index once the caller is done: a write returns sooner, and a burst of writes
    // (an import, a drop of many files) is brought in as one. A search before that reads them itself.
    if (!m_unapplied.isEmpty() && !m_applyQueued) {
        m_applyQueued = true;
        QTimer::singleShot(0, this, [this] { applyPending(); });
    }
}

namespace {
// Begins a transaction that holds the index's write lock from its first statement: SQLite waits for a busy lock
// only when a transaction starts, so one that read first would meet a writer of the index with an error at
// once. The database itself is only read.
bool beginIndexWrite(sqlite::Connection& c, sqlite::Transaction& transaction)
{
    return transaction.error().ok() && c.exec(QStringLiteral("delete from idx.pending where 0")).ok();
}
}  // namespace

void TContentIndex::applyPending()
{
    m_applyQueued = false;
    if (m_unapplied.isEmpty() || m_reading.joinable())
        return;  // the batch being read comes back here when it is done
    // A few rows at a time: a large category's texts are read in (or taken out) in steps.
    constexpr int kRowsPerBatch = 64;
    m_inFlight = takeUnapplied(kRowsPerBatch);
    // Tokenizing the texts is the costly part (about 0.4 s for a body of 10 MB): a thread of its own does it, on a
    // connection of its own, without taking the keys out of pending. Its rows may already be old when it commits
    // (a write may have come in between); the window's thread then brings the rows in step once more, which
    // costs a comparison of each text, and takes the keys out.
    const QString database = QFileInfo(m_databasePath()).absoluteFilePath();
    const QString path = contentindex::pathFor(database);
    const QList<contentindex::Key> keys = m_inFlight;
    m_readingStop = false;
    m_reading = std::thread([this, database, path, keys] {
        sqlite::Connection c;
        QString error;
        contentindex::t_stopTokenizing = &m_readingStop;
        if (QFileInfo::exists(path) && contentindex::openWithIndex(c, database, path, &error)) {
            bool go = false;
            {
                const std::lock_guard<std::mutex> lock(m_readingMutex);
                go = !m_readingStop;
                m_readingDb = go ? c.handle() : nullptr;
            }
            c.exec(QStringLiteral("PRAGMA idx.synchronous=NORMAL"));
            sqlite::Transaction transaction(c, sqlite::Transaction::Mode::Deferred);
            go = go && beginIndexWrite(c, transaction);
            // A row at a time, so that a stop asked between two statements is seen too (an interrupt only stops
            // the statement running); what is not committed goes with the transaction.
            for (qsizetype i = 0; go && i < keys.size(); ++i)
                go = !m_readingStop && contentindex::syncRows(c, {keys.at(i)}, &error);
            if (go && !m_readingStop)
                transaction.commit();
            const std::lock_guard<std::mutex> lock(m_readingMutex);
            m_readingDb = nullptr;
        }
        QMetaObject::invokeMethod(
            this, [this] { finishReading(); }, Qt::QueuedConnection);
    });
}

QList<contentindex::Key> TContentIndex::takeUnapplied(int count)
{
    QList<contentindex::Key> keys;
    for (auto it = m_unapplied.begin(); it != m_unapplied.end() && keys.size() < count;) {
        keys.append(*it);
        it = m_unapplied.erase(it);
    }
    return keys;
}

void TContentIndex::interruptReading()
{
    if (!m_reading.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_readingMutex);
        m_readingStop = true;
        if (m_readingDb)
            sqlite3_interrupt(m_readingDb);
    }
    stopReading();
}

void TContentIndex::finishReading()
{
    if (!m_reading.joinable())
        return;
    m_reading.join();
    const QList<contentindex::Key> keys = std::exchange(m_inFlight, {});
    if (!m_build)
        applyNow(keys);
    if (!m_unapplied.isEmpty() && !m_applyQueued) {
        m_applyQueued = true;
        QTimer::singleShot(0, this, [this] { applyPending(); });
    }
}

void TContentIndex::stopReading()
{
    if (m_reading.joinable())
        m_reading.join();
    m_unapplied.unite(QSet<contentindex::Key>(m_inFlight.cbegin(), m_inFlight.cend()));
    m_inFlight.clear();
}

bool TContentIndex::applyNow(const QList<contentindex::Key>& keys)
{
    // Left pending on failure: the next reader of the index brings the rows up to date.
    sqlite::Connection* c = writeConnection();
    if (!c)
        return false;
    // A change lost with the power is still pending: no sync needed here.
    c->exec(QStringLiteral("PRAGMA idx.synchronous=NORMAL"));
    c->restartBusyBudget();
    QString error;
    sqlite::Transaction transaction(*c, sqlite::Transaction::Mode::Deferred);
    if (!beginIndexWrite(*c, transaction) || !contentindex::syncRows(*c, keys, &error))
        return false;
    {
        sqlite::Statement st(*c, QStringLiteral("delete from idx.pending where kind=? and id=?"));
        for (const contentindex::Key& k : keys) {
            st.reset();
            if (!st.bindAll({k.first, k.second}).ok() || st.step() != sqlite::Statement::Step::Done)
                return false;
        }
    }
    return transaction.commit().ok();
}

void TContentIndex::show(const QString& text)
{
    if (m_status)
        m_status->showBackgroundWork(text);
}

void TContentIndex::startBuild()
{
    if (m_build || m_buildFailed)
        return;
    const QString database = QFileInfo(m_databasePath()).absoluteFilePath();
    if (!QFileInfo::exists(database))
        return;
    const QString path = contentindex::pathFor(database);
    // The old file no longer answers: changes made while the new one is built do not reach it, and the rows on
    // their way into it are read by the build.
    stopReading();
    m_unapplied.clear();
    m_write.reset();
    removeIndexFiles(path);
    if (QFileInfo::exists(path)) {
        m_buildFailed = true;
        show(QStringLiteral("未能建立内容索引：无法替换 %1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    m_changedWhileBuilding.clear();
    m_build = std::make_unique<Build>();
    m_build->target = path + QStringLiteral("-new");
    Build* build = m_build.get();
    show(QStringLiteral("正在建立内容索引……"));
    build->thread = std::thread([this, build, database] {
        int shown = -1;
        build->ok = contentindex::build(
            database, build->target,
            [this, build, &shown](qint64 done, qint64 total) {
                const int percent = total > 0 ? int(done * 100 / total) : 100;
                if (percent != shown) {
                    shown = percent;
                    QMetaObject::invokeMethod(
                        this, [this, percent] { show(QStringLiteral("正在建立内容索引…… %1%").arg(percent)); },
                        Qt::QueuedConnection);
                }
                return !build->stop.load();
            },
            &build->error);
        build->done = true;
        QMetaObject::invokeMethod(
            this, [this] { finishBuild(); }, Qt::QueuedConnection);
    });
}

void TContentIndex::checkAndBuild()
{
    if (m_build || m_buildFailed)
        return;
    const QString database = QFileInfo(m_databasePath()).absoluteFilePath();
    sqlite::Connection c;
    if (!QFileInfo::exists(database) || !c.open(database).ok())
        return;
    const contentindex::State state = contentindex::attach(c, indexPath(), nullptr);
    c.close();
    if (state == contentindex::State::Missing || state == contentindex::State::Outdated)
        startBuild();
}

void TContentIndex::finishBuild()
{
    if (!m_build || !m_build->done)
        return;
    if (!m_readers.tryLock()) {
        // A search still reads the old state; the new file goes in place right after it.
        QTimer::singleShot(20, this, [this] { finishBuild(); });
        return;
    }
    if (m_build->thread.joinable())
        m_build->thread.join();
    std::unique_ptr<Build> build = std::move(m_build);
    bool ok = build->ok;
    QString error = build->error;
    const QString database = QFileInfo(m_databasePath()).absoluteFilePath();
    const QString path = contentindex::pathFor(database);
    if (ok && !m_changedWhileBuilding.isEmpty()) {
        // The rows written since the build took its snapshot.
        sqlite::Connection c;
        ok = contentindex::openWithIndex(c, database, build->target, &error);
        if (ok) {
            const QList<contentindex::Key> keys(m_changedWhileBuilding.cbegin(), m_changedWhileBuilding.cend());
            sqlite::Transaction transaction(c, sqlite::Transaction::Mode::Deferred);
            ok = transaction.error().ok() && contentindex::syncRows(c, keys, &error) && transaction.commit().ok();
        }
    }
    m_changedWhileBuilding.clear();
    if (ok) {
        // Built without syncs for speed: on disk whole before it takes the index's name.
        QFile built(build->target);
        ok = built.open(QIODevice::ReadOnly) && ::fsync(built.handle()) == 0;
        built.close();
        m_write.reset();
        removeIndexFiles(path);
        ok = ok && std::rename(QFile::encodeName(build->target).constData(), QFile::encodeName(path).constData()) == 0;
        if (!ok)
            error = QStringLiteral("无法写入 %1").arg(QDir::toNativeSeparators(path));
    }
    m_readers.unlock();
    if (ok) {
        show(QStringLiteral("内容索引已建立"));
    } else {
        removeIndexFiles(build->target);
        if (!build->stop)
            m_buildFailed = true;
        show(QStringLiteral("未能建立内容索引：") + error);
    }
    emit buildFinished(ok);
}

bool TContentIndex::waitForBuild(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (m_build && !m_build->done && timer.elapsed() < ms)
        QThread::msleep(5);
    if (m_build && m_build->done)
        finishBuild();
    return !m_build;
}
