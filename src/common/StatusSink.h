#pragma once
// Where database work reports progress and outcome: the main window's status bar and progress bar in
// the program, a recording stand-in in tests.
#include <QString>

class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void showStatus(const QString& text) = 0;
    // Position of the progress bar, 0 to 100; kFull sets it to its maximum.
    virtual void showProgress(int position) = 0;
    virtual QString currentStatus() const = 0;
    static constexpr int kFull = -1;
};
