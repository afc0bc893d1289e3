#pragma once
// An export or import as one piece of work the window can run off the GUI thread and the command-line
// programs run to its end: its progress, its cancel, its outcome.
#include "edit/ExchangeExport.h"
#include "edit/ExchangeImport.h"
#include "edit/ExchangeProgress.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include <QThread>

class TExchangeJob : public QObject {
    Q_OBJECT
public:
    TExchangeJob() = default;
    // Cancels work still running and waits for its thread.
    ~TExchangeJob() override;
    TExchangeJob(const TExchangeJob&) = delete;
    TExchangeJob& operator=(const TExchangeJob&) = delete;

    ExchangeProgress& progress() { return m_progress; }
    // Asks the work to stop; finished() follows once it has.
    virtual void cancel() { m_progress.cancel(); }
    bool isFinished() const { return m_finished; }

    // Starts the work; finished() is emitted on this object's thread once it is over.
    virtual void start() = 0;
    // Does the whole work on the calling thread (the command-line programs).
    virtual void runHere() = 0;

signals:
    void finished();

protected:
    // Runs work on a thread of its own; done() then runs on this object's thread, before finished().
    void startWorker(std::function<void()> work, std::function<void()> done);
    void finish();
    void stopWorker();

    ExchangeProgress m_progress;

private:
    std::unique_ptr<QThread> m_thread;
    bool m_finished = false;
};

class TExportJob final : public TExchangeJob {
    Q_OBJECT
public:
    TExportJob(ExportSource source, QString folder) : m_source(std::move(source)), m_folder(std::move(folder)) { }
    ~TExportJob() override;

    void start() override;
    void runHere() override;
    // Valid once finished.
    const ExportOutcome& outcome() const { return m_outcome; }

private:
    ExportSource m_source;
    QString m_folder;
    ExportOutcome m_outcome;
};

// The planner reads files on the worker thread; the batches are filed one per turn of the event loop on
// the job's thread, so the window stays responsive between them. At most two batches wait.
class TImportJob final : public TExchangeJob {
    Q_OBJECT
public:
    TImportJob(ImportRequest request, TImportApplier& applier) : m_request(std::move(request)), m_applier(applier) { }
    ~TImportJob() override;

    void start() override;
    void runHere() override;
    void cancel() override;
    // The applier's report with the totals, the cancel and the failure; valid once finished.
    const ImportReport& report() const { return m_applier.report(); }

private:
    bool deliver(ImportBatch&& batch);
    void applyWaiting();
    bool apply(const ImportBatch& batch);
    void closeQueue();
    // The totals and whether the import ended before its last file.
    void sumUp();

    ImportRequest m_request;
    TImportApplier& m_applier;
    std::mutex m_mutex;
    std::condition_variable m_room;
    std::deque<ImportBatch> m_waiting;
    bool m_closed = false;  // no batch is taken any more
};
