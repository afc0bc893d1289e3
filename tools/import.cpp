// quillstash-import DATA_DIR IN_DIR [CATEGORY [SUBCATEGORY]]: files the materials of IN_DIR into the
// knowledge base of a data directory (the same import as 文件 → 导入资料...). A folder written by the
// export comes back with its own tree; any other folder (or file) has its .txt and .md files filed as
// text materials under CATEGORY (and SUBCATEGORY) of 文字资料, made when missing. It refuses to run
// while the program runs on DATA_DIR, and keeps the program from starting meanwhile.
//
// Exit status: 0 everything imported; 3 imported, but some files were skipped (listed on standard
// error); 1 the import could not run or stopped (what was filed before stays, each material complete);
// 2 a wrong command line; 130 interrupted.
#include "app/SingleInstance.h"
#include "common/Kinds.h"
#include "edit/ExchangeCommands.h"
#include "edit/ExchangeJob.h"
#include "store/TMainData.h"
#include "tree/CategoryTree.h"
#include "tree/TreeFileKeeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <csignal>
#include <limits>

namespace {
ExchangeProgress* g_progress = nullptr;

extern "C" void interrupted(int)
{
    if (g_progress)
        g_progress->cancel();
}

int fail(const QString& text, int status = 1)
{
    QTextStream(stderr) << "quillstash-import: " << text << "\n";
    return status;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The program tells this tool's lock from a stale one by this name.
    QCoreApplication::setApplicationName(QStringLiteral("quillstash-import"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3 || args.size() > 5) {
        QTextStream(stderr) << "usage: quillstash-import DATA_DIR IN_DIR [CATEGORY [SUBCATEGORY]]\n"
                               "  IN_DIR written by quillstash-export: imported with its own categories\n"
                               "  any other folder or file: its .txt and .md files become text materials of\n"
                               "  文字资料/CATEGORY[/SUBCATEGORY] (made when missing)\n";
        return 2;
    }
    const QString dataDir = QFileInfo(args.at(1)).canonicalFilePath();
    if (dataDir.isEmpty() || !QFileInfo(dataDir).isDir())
        return fail(QStringLiteral("%1 is not a folder").arg(args.at(1)));
    const QDir data(dataDir);
    if (!QFileInfo(data.filePath(QStringLiteral("Data.QSD"))).isFile())
        return fail(QStringLiteral("%1 holds no Data.QSD").arg(args.at(1)));

    ImportRequest request;
    request.sources.append(classifySource(args.at(2)));
    const ImportSource& source = request.sources.first();
    if (source.kind == ImportSource::Kind::Unreadable)
        return fail(QStringLiteral("%1: %2").arg(args.at(2), source.problem));
    if (source.kind == ImportSource::Kind::ExportFolder && args.size() > 3)
        return fail(QStringLiteral("%1 was written by the export and brings its own categories; leave out CATEGORY")
                        .arg(args.at(2)),
            2);
    if (source.kind != ImportSource::Kind::ExportFolder) {
        if (args.size() < 4)
            return fail(QStringLiteral("name the CATEGORY of %1 to file the files of %2 under")
                            .arg(kinds::textRoot(), args.at(2)),
                2);
        request.plainPlace = ImportPlace {kinds::textRoot(), args.at(3), std::nullopt};
        if (args.size() == 5)
            request.plainPlace->subcategory = args.at(4);
    }

    // The program's own lock: a program running on this directory keeps it, and holds a tree of its own
    // that it would write over the one this import saves.
    SingleInstance instance(data.filePath(QStringLiteral("quillstash")));
    if (!instance.takeLock())
        return fail(QStringLiteral("Quillstash is running on %1; quit it first").arg(dataDir));
    if (!instance.holdsLock())
        QTextStream(stderr) << "quillstash-import: warning: " << instance.errorString() << "\n";

    TCategoryTree tree;
    TTreeFileKeeper treeFile(data.filePath(QStringLiteral("MTS.qs")), tree);
    if (!treeFile.load())
        return fail(QStringLiteral("cannot read %1").arg(treeFile.path()));
    TMainData database(dataDir);
    database.useAbsolutePath();
    MainData = &database;
    TImportApplier applier(database, tree, treeFile);
    TImportJob job(std::move(request), applier);
    g_progress = &job.progress();
    std::signal(SIGINT, interrupted);
    std::signal(SIGTERM, interrupted);
    job.runHere();
    g_progress = nullptr;
    // The safety copy of the database before this run is finished before the program ends.
    while (!database.waitForSafetyCopy(std::numeric_limits<int>::max())) { }
    MainData = nullptr;

    const ImportReport& report = job.report();
    QTextStream out(stdout);
    QTextStream err(stderr);
    for (const QString& line : report.skipped)
        err << "quillstash-import: skipped " << line << "\n";
    QString details;
    const QString notice = database.takeSafetyCopyNotice();
    if (!notice.isEmpty())
        err << "quillstash-import: " << notice << "\n";
    if (!report.error.isEmpty())
        return fail(importReportText(report, 0, &details));
    if (report.cancelled)
        return fail(importReportText(report, 0, &details), 130);
    out << importSummary(report) << "\n";
    return report.skipped.isEmpty() ? 0 : 3;
}
