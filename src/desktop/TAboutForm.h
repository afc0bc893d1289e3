#pragma once
// The about box: product name, a note to the users and the version line.
#include <QDialog>

class QLabel;

class TAboutForm final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* ProductLabel = nullptr;
    QLabel* NoteLabel1 = nullptr;
    QLabel* NoteLabel2 = nullptr;
    QLabel* VersionLabel = nullptr;
};
