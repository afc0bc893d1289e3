#pragma once
// The status sink of the main window: its simple-text status bar and its progress bar.
#include "common/StatusSink.h"

class QProgressBar;
class QStatusBar;

class StatusBarSink final : public StatusSink {
public:
    StatusBarSink(QStatusBar* status, QProgressBar* progress) : m_status(status), m_progress(progress) { }
    void showStatus(const QString& text) override;
    void showProgress(int position) override;
    QString currentStatus() const override;

private:
    QStatusBar* m_status;
    QProgressBar* m_progress;
};
