#pragma once
// The status sink of the main window: its simple-text status bar and its progress bar.
#include "common/StatusSink.h"

class QLabel;
class QProgressBar;
class QStatusBar;

class StatusBarSink final : public StatusSink {
public:
    StatusBarSink(QStatusBar* status, QProgressBar* progress) : m_status(status), m_progress(progress) { }
    void showStatus(const QString& text) override;
    void showProgress(int position) override;
    QString currentStatus() const override;
    // On a label of its own at the status bar's far end, so the status text is never covered.
    void showBackgroundWork(const QString& text) override;

private:
    QStatusBar* m_status;
    QProgressBar* m_progress;
    QLabel* m_work = nullptr;
};
