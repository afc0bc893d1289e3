#include "common/StatusBarSink.h"

#include <QLabel>
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

void StatusBarSink::showBackgroundWork(const QString& text)
{
    if (!m_status)
        return;
    if (!m_work) {
        m_work = new QLabel(m_status);
        m_work->setObjectName(QStringLiteral("BackgroundWork"));
        m_status->addPermanentWidget(m_work);
    }
    m_work->setText(text);
    m_work->setToolTip(text);
}

QString StatusBarSink::currentStatus() const { return m_status ? m_status->currentMessage() : QString(); }
