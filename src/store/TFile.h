#pragma once
// Material records: the abstract base TFile with the class-level statement runners,
// and the program-wide outcome text of the last record operation.
#include "common/RunState.h"
#include "store/BodyLines.h"
#include "store/Statements.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace sqlite {
class Statement;
}

// Creation time text: "yyyy-MM-dd HH:mm:ss", or "yyyy-MM-dd" alone at exactly midnight.
QString creationTimeText(const QDateTime& when);

class TFile {
public:
    TFile();
    virtual ~TFile() = default;
    TFile(const TFile&) = default;
    TFile& operator=(const TFile&) = default;

    QString title;
    QString writer;
    QString classname;
    QString bigclassname;
    QString createtime;

    // Each returns whether it succeeded; ResultMessage holds the text that tells the user.
    virtual bool InsertNew() = 0;
    virtual bool LoadById(qint64 id) = 0;
    virtual bool UpdateById(qint64 id) = 0;

    // Runs a statement that returns no rows, reporting on the main window's status and progress bar.
    // Returns whether it succeeded.
    static bool ExecuteStatement(const Statement& st);
    // The same in one transaction that is committed only when beforeCommit() succeeds (see
    // TMainData::executeThen). A refusal of beforeCommit is its caller's to report: the status bar
    // then only says that nothing was changed.
    static bool ExecuteStatement(const Statement& st, const std::function<bool(QString*)>& beforeCommit);
    // Shows on the status bar why this run's safety copy could not be made, if that is news.
    static void ReportSafetyCopyNotice();
    // Runs a select and sets count to its number of rows; on failure count is left as given.
    static bool OpenAndCount(const Statement& st, int& count);
    // Category cascades (category form, or subcategory form when subcategory is given).
    // beforeCommit (optional) runs inside the statement's transaction, as for ExecuteStatement.
    static bool RenameClassRows(const QString& category, const std::optional<QString>& subcategory, const QString& kind,
        const QString& newName, const std::function<bool(QString*)>& beforeCommit = {});
    static bool DeleteClassRows(const QString& category, const std::optional<QString>& subcategory, const QString& kind,
        const std::function<bool(QString*)>& beforeCommit = {});

protected:
    // Runs an insert or update for a record; ResultMessage takes successText or the failure text.
    static bool runRecordStatement(const Statement& st, const QString& successText);
    // Reads the one row of a load through read(); ResultMessage takes "操作成功！" or the failure text.
    // read() throws the error text (QString) when a value cannot be read.
    static bool loadRecordRow(const Statement& st, qint64 id, const std::function<void(sqlite::Statement&)>& read);
    // The value at a column position as text; a missing column or a NULL throws the error text.
    static QString columnText(sqlite::Statement& row, int position, qint64 id);
    // The same as stored, for a body or description that is decoded when it is first read.
    static BodyLines columnLines(sqlite::Statement& row, int position, qint64 id);
};

class TFileText final : public TFile {
public:
    BodyLines main;  // body lines
    QString mainText() const;  // each line followed by CR LF

    bool InsertNew() override;
    bool LoadById(qint64 id) override;
    bool UpdateById(qint64 id) override;
};

class TFileExe final : public TFile {
public:
    BodyLines about;  // description lines
    QString fpath;
    QString aboutText() const;  // each line followed by CR LF

    bool InsertNew() override;
    bool LoadById(qint64 id) override;
    bool UpdateById(qint64 id) override;
};
