#pragma once
// A status sink that keeps what it was told, for tests that run database work without a window.
#include "common/StatusSink.h"

#include <QStringList>
#include <QtGlobal>

class RecordingStatus final : public StatusSink {
public:
    void showStatus(const QString& text) override
    {
        m_text = text;
        history.append(text);
    }
    void showProgress(int position) override { m_progress = position == kFull ? 100 : qBound(0, position, 100); }
    QString currentStatus() const override { return m_text; }
    int progress() const { return m_progress; }
    void showBackgroundWork(const QString& text) override { backgroundWork.append(text); }
    QStringList history;
    QStringList backgroundWork;

private:
    QString m_text;
    int m_progress = 0;
};
