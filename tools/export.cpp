// quillstash-export DATA_DIR OUT_DIR: writes the knowledge base of a data directory as plain files
// (the same export as 文件 → 导出全部资料...). OUT_DIR must be missing or empty. Exit status 0 when the
// export is complete, 1 when it failed (nothing is left behind), 2 for a wrong command line, 130 when
// interrupted.
#include "edit/ExchangeJob.h"
#include "tree/CategoryTreeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <csignal>

namespace {
ExchangeProgress* g_progress = nullptr;

extern "C" void interrupted(int)
{
    if (g_progress)
        g_progress->cancel();
}

int fail(const QString& text, int status = 1)
{
    QTextStream(stderr) << "quillstash-export: " << text << "\n";
    return status;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillstash-export"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: quillstash-export DATA_DIR OUT_DIR\n"
                               "  writes every material of DATA_DIR (Data.QSD, MTS.qs) as files into OUT_DIR,\n"
                               "  which must be missing or empty\n";
        return 2;
    }
    const QDir data(args.at(1));
    const QString database = data.absoluteFilePath(QStringLiteral("Data.QSD"));
    if (!QFileInfo(database).isFile())
        return fail(QStringLiteral("%1 holds no Data.QSD").arg(args.at(1)));
    ExportSource source;
    source.databasePath = database;
    try {
        source.tree = loadTreeFile(data.absoluteFilePath(QStringLiteral("MTS.qs")));
    } catch (const EOpenFileError& e) {
        return fail(QStringLiteral("cannot read %1: %2").arg(data.absoluteFilePath(QStringLiteral("MTS.qs")), e.text));
    }
    TExportJob job(std::move(source), QFileInfo(args.at(2)).absoluteFilePath());
    g_progress = &job.progress();
    std::signal(SIGINT, interrupted);
    std::signal(SIGTERM, interrupted);
    job.runHere();
    g_progress = nullptr;
    const ExportOutcome& outcome = job.outcome();
    switch (outcome.state) {
    case ExportOutcome::State::Done:
        QTextStream(stdout) << "exported " << outcome.materials << " materials to " << outcome.folder << "\n";
        return 0;
    case ExportOutcome::State::Cancelled:
        return fail(QStringLiteral("interrupted; the files written so far were removed"), 130);
    case ExportOutcome::State::Failed:
        break;
    }
    return fail(outcome.error);
}
