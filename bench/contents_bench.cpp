// Figures of the contents search on a data directory made by make-data: building the index (time, size
// against the text it holds), contents searches through the index against a reading of every body (time,
// and that both find the same materials), and one insert with and without the index beside the database.
//
//   qs-contents-bench DIR [RUNS]
//
// The index file DIR/Data.QSD.idx is built anew; the inserted materials are deleted again.
#include "search/SearchQuery.h"
#include "store/ContentIndex.h"
#include "store/Escaping.h"
#include "store/Sqlite.h"
#include "store/Statements.h"
#include "store/TMainData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QList<qint64> contentsSearch(const QString& database, const QString& keyword, bool useIndex, double* ms)
{
    search::SearchInput in;
    in.kind = QStringLiteral("文字资料");
    in.category = search::allCategories();
    in.subcategory = search::allCategories();
    in.titleKey = keyword;
    in.contents = true;
    QList<search::SearchHit> hits;
    QString error;
    contentindex::State state = contentindex::State::Missing;
    QElapsedTimer timer;
    timer.start();
    const bool ok = search::runContents(database, in, useIndex, hits, &error, &state);
    *ms = double(timer.nsecsElapsed()) / 1e6;
    if (!ok || (useIndex && state != contentindex::State::Ready))
        std::fprintf(stderr, "search %s failed: %s\n", qPrintable(keyword), qPrintable(error));
    QList<qint64> ids;
    for (const search::SearchHit& h : hits)
        ids << h.id;
    std::sort(ids.begin(), ids.end());
    return ids;
}

double insertMs(TMainData& data, int count, QList<qint64>& ids)
{
    std::vector<double> times;
    const QString body = EscapeBodyText(QString(700, QChar(0x7EBF)) + QStringLiteral(" insert: it's"));
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!data.execute(sql::insertText(QStringLiteral("bench insert %1").arg(i), QString(), QStringLiteral("bench"),
                              {}, QStringLiteral("2020-01-01"), body),
                &error))
            std::fprintf(stderr, "insert failed: %s\n", qPrintable(error));
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    sqlite::Connection c;
    c.open(data.databasePath());
    sqlite::Statement st(c, QStringLiteral("select id from textfile where bigclassname='bench'"));
    while (st.step() == sqlite::Statement::Step::Row)
        ids << st.int64(0);
    return median(times);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: qs-contents-bench DIR [RUNS]\n");
        return 2;
    }
    const QString dir = QDir(args.at(1)).absolutePath();
    const int runs = args.size() > 2 ? args.at(2).toInt() : 7;
    const QString database = QDir(dir).filePath(QStringLiteral("Data.QSD"));
    const QString index = contentindex::pathFor(database);
    for (const char* suffix : {"", "-wal", "-shm", "-new"})
        QFile::remove(index + QLatin1String(suffix));

    // Build.
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!contentindex::build(database, index, {}, &error)) {
        std::fprintf(stderr, "build failed: %s\n", qPrintable(error));
        return 1;
    }
    const double buildS = double(timer.elapsed()) / 1000;
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
    std::printf(
        "index build          %8.1f s   (database %lld MB)\n", buildS, QFileInfo(database).size() / (1024 * 1024));
    std::printf("index size           %8lld MB  text indexed %lld MB, %.2fx (of which the text itself 1.00x)\n",
        indexBytes / (1024 * 1024), textBytes / (1024 * 1024),
        double(indexBytes) / double(std::max<qint64>(textBytes, 1)));

    // Searches.
    const QStringList keywords = {QStringLiteral("线程"), QStringLiteral("二分查找"), QStringLiteral("QSqlQuery"),
        QStringLiteral("锁"), QStringLiteral("q")};
    for (const QString& keyword : keywords) {
        std::vector<double> times;
        QList<qint64> byIndex;
        double ms = 0;
        byIndex = contentsSearch(database, keyword, true, &ms);  // warm-up
        for (int i = 0; i < runs; ++i) {
            byIndex = contentsSearch(database, keyword, true, &ms);
            times.push_back(ms);
        }
        double scanMs = 0;
        const QList<qint64> byScan = contentsSearch(database, keyword, false, &scanMs);
        std::printf("contents %-10s  %8.1f ms  (%lld hits; full scan %.0f ms, %s)\n", qPrintable(keyword),
            median(times), qint64(byIndex.size()), scanMs, byIndex == byScan ? "same hits" : "DIFFERENT HITS");
    }

    // Inserts with and without the index.
    {
        QList<qint64> ids;
        TMainData data(dir);
        data.useAbsolutePath();
        insertMs(data, 3, ids);  // the run's safety copy and first opening
        const double with = insertMs(data, 50, ids);
        QFile::rename(index, index + QStringLiteral("-away"));
        const double without = insertMs(data, 50, ids);
        QFile::rename(index + QStringLiteral("-away"), index);
        std::printf("insert               %8.2f ms with the index, %.2f ms without (%.2fx)\n", with, without,
            with / std::max(without, 1e-9));
        sqlite::Connection c;
        c.open(database);
        c.exec(QStringLiteral("delete from textfile where bigclassname='bench'"));
    }
    return 0;
}
