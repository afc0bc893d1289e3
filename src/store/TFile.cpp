#include "store/TFile.h"

#include "store/TMainData.h"

#include "store/Sqlite.h"
#include <QLocale>

#include <QVariant>

namespace {
const QString kFailurePrefix = QStringLiteral("数据库操作失败！ 原因：");
const QString kLoadSucceeded = QStringLiteral("操作成功！");
const QString kSeriousSuffix = QStringLiteral("   严重错误，请重新安装程序");
const QString kNoDataModule = QStringLiteral("数据模块尚未创建，无法访问数据库");

// Reports a failed statement run on the main window.
void reportRunFailure(const QString& error)
{
    MainData->setStatus(error + kSeriousSuffix);
    MainData->setProgress(0);
}
}  // namespace

QString creationTimeText(const QDateTime& when)
{
    // A fixed, zero-padded form so the database sorts and compares creation times as times.
    const QTime time = when.time();
    const bool midnight = time.hour() == 0 && time.minute() == 0 && time.second() == 0;
    return QLocale::c().toString(when, midnight ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

TFile::TFile()
{
    ResultMessage.clear();
    createtime = creationTimeText(QDateTime::currentDateTime());
    if (MainData)
        MainData->useAbsolutePath();
}

bool TFile::ExecuteStatement(const Statement& st) { return ExecuteStatement(st, {}); }

bool TFile::ExecuteStatement(const Statement& st, const std::function<bool(QString*)>& beforeCommit)
{
    if (!MainData)
        return false;
    MainData->setProgress(3);
    MainData->setStatus(QStringLiteral("正在操作数据库！"));
    QString error;
    bool refused = false;
    const bool ok = beforeCommit ? MainData->executeThen(
                        st,
                        [&](QString* why) {
                            refused = !beforeCommit(why);
                            return !refused;
                        },
                        &error)
                                 : MainData->execute(st, &error);
    if (!ok) {
        if (refused) {
            MainData->setStatus(QStringLiteral("没有修改数据库"));
            MainData->setProgress(0);
        } else {
            reportRunFailure(error);
        }
        return false;
    }
    MainData->setProgress(-1);
    MainData->setStatus(QStringLiteral("数据库操作成功！"));
    ReportSafetyCopyNotice();
    return true;
}

void TFile::ReportSafetyCopyNotice()
{
    if (!MainData)
        return;
    const QString notice = MainData->takeSafetyCopyNotice();
    if (!notice.isEmpty())
        MainData->setStatus(notice);
}

bool TFile::OpenAndCount(const Statement& st, int& count)
{
    if (!MainData)
        return false;
    qint64 rows = -1;
    QString error;
    if (!MainData->countRows(st, rows, &error)) {
        reportRunFailure(error);
        return false;
    }
    count = int(rows);
    return true;
}

bool TFile::RenameClassRows(const QString& category, const std::optional<QString>& subcategory, const QString& kind,
    const QString& newName, const std::function<bool(QString*)>& beforeCommit)
{
    return ExecuteStatement(sql::renameClassRows(tableForKind(kind), category, subcategory, newName), beforeCommit);
}

bool TFile::DeleteClassRows(const QString& category, const std::optional<QString>& subcategory, const QString& kind,
    const std::function<bool(QString*)>& beforeCommit)
{
    return ExecuteStatement(sql::deleteClassRows(tableForKind(kind), category, subcategory), beforeCommit);
}

bool TFile::runRecordStatement(const Statement& st, const QString& successText)
{
    ResultMessage.clear();
    if (!MainData) {
        ResultMessage = kFailurePrefix + kNoDataModule;
        return false;
    }
    QString error;
    const bool ok = MainData->execute(st, &error);
    ResultMessage = ok ? successText : kFailurePrefix + error;
    return ok;
}

bool TFile::loadRecordRow(const Statement& st, qint64 id, const std::function<void(sqlite::Statement&)>& read)
{
    if (!MainData) {
        ResultMessage = kFailurePrefix + kNoDataModule;
        return false;
    }
    bool found = false;
    QString error;
    bool ok = MainData->select(
        st,
        [&](TMainData::Row& row) {
            found = true;
            read(row);
            return false;  // only the first row is read
        },
        &error);
    if (ok && !found) {
        ok = false;
        error = QStringLiteral("数据库中没有编号为 %1 的资料").arg(id);
    }
    ResultMessage = ok ? kLoadSucceeded : kFailurePrefix + error;
    return ok;
}

namespace {
// A missing column or a NULL throws the error text.
void requireValue(sqlite::Statement& row, int position, qint64 id)
{
    if (position >= row.columnCount())
        throw QStringLiteral("编号为 %1 的资料缺少第 %2 列").arg(id).arg(position);
    if (row.isNull(position))
        throw QStringLiteral("编号为 %1 的资料的 %2 列没有值（NULL）").arg(id).arg(row.columnName(position));
}
}  // namespace

QString TFile::columnText(sqlite::Statement& row, int position, qint64 id)
{
    requireValue(row, position, id);
    return row.text(position);
}

BodyLines TFile::columnLines(sqlite::Statement& row, int position, qint64 id)
{
    requireValue(row, position, id);
    return BodyLines::fromStored(row.bytes(position));
}
