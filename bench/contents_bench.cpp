// Figures of the contents search on a data directory made by make-data: building the index (time, size
// against the text it holds), contents searches through the index against a reading of every body (time,
// and that both find the same materials), and one insert with and without the index beside the database.
//
//   qs-contents-bench DIR [RUNS] [--keep]
//
// The index file DIR/Data.QSD.idx is built anew (with --keep an index in step with the database is used as it
// is); the inserted materials are deleted again, and the safety copies the inserts made removed. Beside each search it
// prints the time of the same statement sent straight through the sqlite3 library (a connection opened, the tokenizer
// registered, the index attached, every row's columns read), the figure the program's own work is measured against.
#include "app/HeapSettings.h"
#include "search/SearchQuery.h"
#include "store/ContentIndex.h"
#include "store/Escaping.h"
#include "store/Sqlite.h"
#include "store/Statements.h"
#include "store/TMainData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QList<qint64> contentsSearch(
    const QString& database, const QString& keyword, bool useIndex, double* ms, bool contents = true)
{
    search::SearchInput in;
    in.kind = QStringLiteral("文字资料");
    in.category = search::allCategories();
    in.subcategory = search::allCategories();
    in.titleKey = keyword;
    in.contents = contents;
    QList<search::SearchHit> hits;
    QString error;
    contentindex::State state = contentindex::State::Missing;
    QElapsedTimer timer;
    timer.start();
    const bool ok = search::runWithIndex(database, in, useIndex, hits, &error, &state);
    *ms = double(timer.nsecsElapsed()) / 1e6;
    if (!ok || (useIndex && state != contentindex::State::Ready))
        std::fprintf(stderr, "search %s failed: %s\n", qPrintable(keyword), qPrintable(error));
    QList<qint64> ids;
    for (const search::SearchHit& h : hits)
        ids << h.id;
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The statements of a search of all text materials for keyword sent through the sqlite3 library alone, as the
// program sends them: the ids from the index, the count of the table (kept in the index), then the ids' titles from the
// index's table of titles (tested by a function over a bit set when they are a good part of the table, else looked up
// one by one, the ids given by the same select again or, when that checks texts, as a list). What the program adds is
// checking the index against the database and turning rows into hits.
struct RawFilter {
    std::vector<quint64> bits;
    static void call(sqlite3_context* context, int, sqlite3_value** values)
    {
        const auto* self = static_cast<const RawFilter*>(sqlite3_user_data(context));
        const qint64 id = sqlite3_value_int64(values[0]);
        sqlite3_result_int(
            context, id >= 0 && size_t(id / 64) < self->bits.size() && (self->bits[size_t(id / 64)] >> (id % 64)) & 1);
    }
};

sqlite3_stmt* prepared(sqlite3* db, const Statement& statement, QList<QByteArray>& texts)
{
    const QByteArray sql = statement.sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
    for (int i = 0; i < statement.values.size(); ++i) {
        const QVariant& v = statement.values.at(i);
        if (v.typeId() == QMetaType::QString) {
            texts << v.toString().toUtf8();
            sqlite3_bind_text(st, i + 1, texts.last().constData(), int(texts.last().size()), SQLITE_STATIC);
        } else {
            sqlite3_bind_int64(st, i + 1, v.toLongLong());
        }
    }
    return st;
}

double rawSearchMs(const QString& database, const QString& keyword, qint64* rows, bool contents = true)
{
    const contentindex::Scope scope = contents ? contentindex::Scope::TitlesAndBodies : contentindex::Scope::Titles;
    const Statement idSelect = contentindex::matchingIds(QStringLiteral("textfile"), keyword, scope);
    const QByteArray indexPath = contentindex::pathFor(database).toUtf8();
    QList<QByteArray> texts;
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    contentindex::registerIndexFunctions(db, nullptr);
    sqlite3_stmt* attach = nullptr;
    sqlite3_prepare_v2(db, "ATTACH ? AS idx", -1, &attach, nullptr);
    sqlite3_bind_text(attach, 1, indexPath.constData(), int(indexPath.size()), SQLITE_STATIC);
    sqlite3_step(attach);
    sqlite3_finalize(attach);
    std::vector<qint64> ids;
    sqlite3_stmt* st = prepared(db, idSelect, texts);
    while (sqlite3_step(st) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    *rows = 0;
    qint64 sum = 0;
    if (!ids.empty()) {
        sqlite3_prepare_v2(db, "select count0 from idx.meta", -1, &st, nullptr);
        sqlite3_step(st);
        const qint64 tableRows = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        RawFilter filter;
        Statement condition;
        if (qint64(ids.size()) * 8 >= tableRows) {
            filter.bits.assign(size_t(*std::max_element(ids.begin(), ids.end()) / 64 + 1), 0);
            for (const qint64 id : ids)
                filter.bits[size_t(id / 64)] |= quint64(1) << (id % 64);
            sqlite3_create_function_v2(
                db, "qs_found", 1, SQLITE_UTF8, &filter, &RawFilter::call, nullptr, nullptr, nullptr);
            condition.sql = QStringLiteral("qs_found(key-0)");
        } else if (!contentindex::checksTexts(keyword, scope)) {
            condition = Statement {QStringLiteral("key in (select id+0 from (%1))").arg(idSelect.sql), idSelect.values};
        } else {
            QStringList list;
            for (const qint64 id : ids)
                list << QString::number(id);
            condition = Statement {QStringLiteral("key in (select value+0 from json_each(?))"),
                {QLatin1Char('[') + list.join(QLatin1Char(',')) + QLatin1Char(']')}};
        }
        // A search of all text materials with no other condition: the titles come from the index alone.
        Statement select {
            QStringLiteral("select key-0, title from idx.names where key between 0 and ? and ") + condition.sql,
            {(qint64(1) << 40) - 1}};
        select.values << condition.values;
        if (!contents) {
            const QString folded = contentindex::foldAscii(keyword);
            const bool letters
                = std::any_of(folded.cbegin(), folded.cend(), [](QChar c) { return c >= 'a' && c <= 'z'; });
            select.sql
                += letters ? QStringLiteral(" and instr(lower(title),?)>0") : QStringLiteral(" and instr(title,?)>0");
            select.values << folded;
        }
        st = prepared(db, select, texts);
        while (sqlite3_step(st) == SQLITE_ROW) {
            sum += sqlite3_column_int64(st, 0) + sqlite3_column_bytes(st, 1);
            if (sqlite3_column_text(st, 1))
                ++*rows;
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    return sum >= 0 ? ms : -ms;
}

double insertMs(TMainData& data, int count, QList<qint64>& ids, double* laterMs = nullptr)
{
    std::vector<double> times;
    std::vector<double> laterTimes;
    const QString body = EscapeBodyText(QString(700, QChar(0x7EBF)) + QStringLiteral(" insert: it's"));
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!data.execute(sql::insertText(QStringLiteral("bench insert %1").arg(i), QString(), QStringLiteral("bench"),
                              {}, QStringLiteral("2020-01-01"), body),
                &error))
            std::fprintf(stderr, "insert failed: %s\n", qPrintable(error));
        const qint64 written = timer.nsecsElapsed();
        // The index reads the row in after the write (a thread of its own, then the event loop): timed apart, and
        // never left to the next insert.
        QElapsedTimer later;
        later.start();
        QCoreApplication::processEvents();
        while (data.contentIndex().isApplying())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        times.push_back(double(written) / 1e6);
        laterTimes.push_back(double(later.nsecsElapsed()) / 1e6);
    }
    sqlite::Connection c;
    c.open(data.databasePath());
    sqlite::Statement st(c, QStringLiteral("select id from textfile where bigclassname='bench'"));
    while (st.step() == sqlite::Statement::Step::Row)
        ids << st.int64(0);
    if (laterMs)
        *laterMs = median(laterTimes);
    return median(times);
}

}  // namespace

int main(int argc, char** argv)
{
    heapsettings::keepFreedMemoryAtHand();  // as the program's main() does
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: qs-contents-bench DIR [RUNS]\n");
        return 2;
    }
    const QString dir = QDir(args.at(1)).absolutePath();
    const bool keep = args.contains(QStringLiteral("--keep"));
    const int runs = args.size() > 2 && args.at(2) != QStringLiteral("--keep") ? args.at(2).toInt() : 7;
    const QString database = QDir(dir).filePath(QStringLiteral("Data.QSD"));
    const QString index = contentindex::pathFor(database);
    bool ready = false;
    if (keep) {
        sqlite::Connection c;
        ready = c.open(database).ok() && contentindex::attach(c, index, nullptr) == contentindex::State::Ready;
    }
    double buildS = 0;
    if (!ready) {
        for (const char* suffix : {"", "-wal", "-shm", "-new"})
            QFile::remove(index + QLatin1String(suffix));
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!contentindex::build(database, index, {}, &error)) {
            std::fprintf(stderr, "build failed: %s\n", qPrintable(error));
            return 1;
        }
        buildS = double(timer.elapsed()) / 1000;
    }
    qint64 textBytes = 0;
    {
        sqlite::Connection c;
        c.open(index);
        sqlite::Statement st(c,
            QStringLiteral("select total(length(cast(title as blob))+length(cast(body as blob))) "
                           "from docs"));
        if (st.step() == sqlite::Statement::Step::Row)
            textBytes = st.int64(0);
    }
    const qint64 indexBytes = QFileInfo(index).size();
    if (ready)
        std::printf("index build              kept   (database %lld MB)\n", QFileInfo(database).size() / (1024 * 1024));
    else
        std::printf(
            "index build          %8.1f s   (database %lld MB)\n", buildS, QFileInfo(database).size() / (1024 * 1024));
    std::printf("index size           %8lld MB  text indexed %lld MB, %.2fx (of which the text itself 1.00x)\n",
        indexBytes / (1024 * 1024), textBytes / (1024 * 1024),
        double(indexBytes) / double(std::max<qint64>(textBytes, 1)));

    // Searches.
    // The last is a title search (the box unticked) for the keyword the title-search figures of qs-bench use; its
    // "full scan" is the title select that serves while the index is not ready.
    const QStringList keywords = {QStringLiteral("线程"), QStringLiteral("二分查找"), QStringLiteral("QSqlQuery"),
        QStringLiteral("锁"), QStringLiteral("q"), QStringLiteral("线程池")};
    for (const QString& keyword : keywords) {
        const bool contents = keyword != keywords.last();
        std::vector<double> times;
        std::vector<double> rawTimes;
        QList<qint64> byIndex;
        double ms = 0;
        qint64 rawRows = 0;
        byIndex = contentsSearch(database, keyword, true, &ms, contents);  // warm-up
        rawSearchMs(database, keyword, &rawRows, contents);
        // In turns, so that both see the same load.
        for (int i = 0; i < runs; ++i) {
            byIndex = contentsSearch(database, keyword, true, &ms, contents);
            times.push_back(ms);
            rawTimes.push_back(rawSearchMs(database, keyword, &rawRows, contents));
        }
        double scanMs = 0;
        const QList<qint64> byScan = contentsSearch(database, keyword, false, &scanMs, contents);
        const bool same = byIndex == byScan && rawRows == byIndex.size();
        std::printf("%s %-10s  %8.1f ms  sqlite3 %6.1f ms  %.2fx  (%lld hits; full scan %.0f ms, %s)\n",
            contents ? "contents" : "title   ", qPrintable(keyword), median(times), median(rawTimes),
            median(times) / std::max(median(rawTimes), 1e-9), qint64(byIndex.size()), scanMs,
            same ? "same hits" : "DIFFERENT HITS");
    }

    // Inserts with and without the index. The safety copies they make go again afterwards.
    const QStringList copyPatterns = {QStringLiteral("Data.QSD.bak*")};
    const QStringList copiesBefore = QDir(dir).entryList(copyPatterns, QDir::Files);
    {
        QList<qint64> ids;
        TMainData data(dir);
        data.useAbsolutePath();
        insertMs(data, 3, ids);  // the run's first opening, and its safety copy started
        // The copy is made beside the writes: waited for, so that it weighs on neither set of inserts.
        data.waitForSafetyCopy(600000);
        double later = 0;
        const double with = insertMs(data, 50, ids, &later);
        QFile::rename(index, index + QStringLiteral("-away"));
        const double without = insertMs(data, 50, ids);
        QFile::rename(index + QStringLiteral("-away"), index);
        std::printf("insert               %8.2f ms with the index, %.2f ms without (%.2fx); the index reads the row "
                    "in %.2f ms after it\n",
            with, without, with / std::max(without, 1e-9), later);
        // Through the data module, so that the index follows and --keep can use it next time.
        QString error;
        if (!data.execute(
                Statement {QStringLiteral("delete from textfile where bigclassname=?"), {QStringLiteral("bench")}},
                &error))
            std::fprintf(stderr, "delete failed: %s\n", qPrintable(error));
    }
    for (const QString& copy : QDir(dir).entryList(copyPatterns, QDir::Files)) {
        if (!copiesBefore.contains(copy))
            QFile::remove(QDir(dir).filePath(copy));
    }
    return 0;
}
