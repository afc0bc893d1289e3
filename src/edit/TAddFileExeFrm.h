#pragma once
// The modal dialog that adds an example material (a file or program with a description), or
// changes one. Same placement list and modes as TAddFileForm, plus a path row.
#include "edit/TAddFileForm.h"

class TFileExe;

class TAddFileExeFrm final : public TAddFileForm {
    Q_OBJECT
public:
    TAddFileExeFrm(QWidget* owner, const QStringList& placement);
    TAddFileExeFrm(QWidget* owner, const TFileExe& record, const QStringList& placement);

    QLabel* Label5 = nullptr;
    QLineEdit* PathEdit = nullptr;
    QPushButton* BrowerBtn = nullptr;

    // Filter of the file chooser behind "浏览".
    static QString openDialogFilter() { return QStringLiteral("所有文件 (*)"); }

public slots:
    void AddBtnClick() override;
    void CancelBtnClick() override;
    void BrowerBtnClick();

protected:
    void clearFields() override;

private:
    void buildPathRow();
};
