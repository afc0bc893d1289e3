#include "common/StatusBarSink.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace {
// The status bar and the progress bar repaint at once on every change, and an operation reports several
// changes: drawn with the next paint instead, an operation costs no repaints of its own.
template <typename F> void changeLater(QWidget* widget, F change)
{
    const bool enabled = widget->updatesEnabled();
    widget->setUpdatesEnabled(false);
    change();
    widget->setUpdatesEnabled(enabled);  // schedules the paint
}
}  // namespace

void StatusBarSink::showStatus(const QString& text)
{
    if (m_status)
        changeLater(m_status, [&] { m_status->showMessage(text); });
}

void StatusBarSink::showProgress(int position)
{
    if (!m_progress)
        return;
    const int value
        = position == kFull ? m_progress->maximum() : qBound(m_progress->minimum(), position, m_progress->maximum());
    changeLater(m_progress, [&] { m_progress->setValue(value); });
}

void StatusBarSink::showBackgroundWork(const QString& text)
{
    if (!m_status)
        return;
    if (!m_work) {
        m_work = new QLabel(m_status);
        m_work->setObjectName(QStringLiteral("BackgroundWork"));
        // A panel of its own, so that it never reads as the start of the status text beside it.
        m_work->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        m_work->setContentsMargins(4, 0, 4, 0);
        m_status->addPermanentWidget(m_work);
    }
    m_work->setText(text);
    m_work->setToolTip(text);
}

QString StatusBarSink::currentStatus() const { return m_status ? m_status->currentMessage() : QString(); }
