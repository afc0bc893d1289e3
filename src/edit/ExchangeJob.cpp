#include "edit/ExchangeJob.h"

#include <QThread>

TExchangeJob::~TExchangeJob() { stopWorker(); }

void TExchangeJob::stopWorker()
{
    if (!m_thread)
        return;
    m_progress.cancel();
    m_thread->wait();
    m_thread.reset();
}

void TExchangeJob::startWorker(std::function<void()> work, std::function<void()> done)
{
    m_thread.reset(QThread::create(std::move(work)));
    // Queued: the thread's finished() comes from the worker.
    connect(m_thread.get(), &QThread::finished, this, [this, done = std::move(done)] {
        m_thread->wait();
        done();
    });
    m_thread->start();
}

void TExchangeJob::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    emit finished();
}

TExportJob::~TExportJob() { stopWorker(); }

void TExportJob::start()
{
    startWorker([this] { m_outcome = exportKnowledgeBase(m_source, m_folder, m_progress); }, [this] { finish(); });
}

void TExportJob::runHere()
{
    m_outcome = exportKnowledgeBase(m_source, m_folder, m_progress);
    finish();
}

TImportJob::~TImportJob()
{
    closeQueue();
    stopWorker();
}

void TImportJob::closeQueue()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_waiting.clear();
    }
    m_room.notify_all();
}

void TImportJob::cancel()
{
    TExchangeJob::cancel();
    // Batches read but not filed are dropped: what is filed stays, each material complete.
    closeQueue();
}

void TImportJob::sumUp()
{
    ImportReport& report = m_applier.report();
    report.total = m_progress.state().total;
    // A cancel that came after the last file is no cancel.
    report.cancelled = m_progress.isCancelled() && report.error.isEmpty() && report.processed < report.total;
}

bool TImportJob::deliver(ImportBatch&& batch)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this] { return m_closed || m_waiting.size() < 2; });
    if (m_closed)
        return false;
    m_waiting.push_back(std::move(batch));
    lock.unlock();
    QMetaObject::invokeMethod(this, &TImportJob::applyWaiting, Qt::QueuedConnection);
    return true;
}

bool TImportJob::apply(const ImportBatch& batch)
{
    QString error;
    if (!m_applier.apply(batch, &error)) {
        m_applier.report().error = error;
        return false;
    }
    m_progress.setDone(batch.processed);
    return true;
}

void TImportJob::applyWaiting()
{
    ImportBatch batch;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed || m_waiting.empty())
            return;
        batch = std::move(m_waiting.front());
        m_waiting.pop_front();
    }
    m_room.notify_all();
    if (!apply(batch)) {
        m_progress.cancel();  // the planner stops too
        closeQueue();
    }
}

void TImportJob::start()
{
    startWorker(
        [this] {
            TImportPlanner(m_request, m_progress).run([this](ImportBatch&& b) { return deliver(std::move(b)); });
        },
        [this] {
            // Whatever the worker handed over last is filed before the end is told.
            for (;;) {
                {
                    const std::lock_guard<std::mutex> lock(m_mutex);
                    if (m_closed || m_waiting.empty())
                        break;
                }
                applyWaiting();
            }
            sumUp();
            finish();
        });
}

void TImportJob::runHere()
{
    TImportPlanner(m_request, m_progress).run([this](ImportBatch&& b) {
        if (m_progress.isCancelled())
            return false;
        if (!apply(b)) {
            m_progress.cancel();
            return false;
        }
        return true;
    });
    sumUp();
    finish();
}
