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
    // News of work going on beside the user's, such as the safety copy; shown apart from the status text.
    virtual void showBackgroundWork(const QString& text) { (void)text; }
    static constexpr int kFull = -1;
};
