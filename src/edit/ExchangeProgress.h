#pragma once
// How far an export or import has come, and whether the user asked it to stop: written by the worker
// thread, read by the progress dialog.
#include <QMutex>
#include <QMutexLocker>
#include <QString>

#include <atomic>

class ExchangeProgress final {
public:
    struct State {
        int done = 0;
        int total = 0;
        QString current;  // the file being written or read
    };

    State state() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_state;
    }
    void setTotal(int total)
    {
        const QMutexLocker lock(&m_mutex);
        m_state.total = total;
    }
    void setDone(int done)
    {
        const QMutexLocker lock(&m_mutex);
        m_state.done = done;
    }
    void setCurrent(const QString& current)
    {
        const QMutexLocker lock(&m_mutex);
        m_state.current = current;
    }
    // One more done, and the next one being worked on.
    void step(const QString& current)
    {
        const QMutexLocker lock(&m_mutex);
        ++m_state.done;
        m_state.current = current;
    }

    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }

private:
    mutable QMutex m_mutex;
    State m_state;
    std::atomic<bool> m_cancelled {false};
};
