#include "common/StatusBarSink.h"

#include <QProgressBar>
#include <QStatusBar>

void StatusBarSink::showStatus(const QString& text)
{
    if (m_status)
        m_status->showMessage(text);
}

void StatusBarSink::showProgress(int position)
{
    if (!m_progress)
        return;
    m_progress->setValue(
        position == kFull ? m_progress->maximum() : qBound(m_progress->minimum(), position, m_progress->maximum()));
}

QString StatusBarSink::currentStatus() const { return m_status ? m_status->currentMessage() : QString(); }
