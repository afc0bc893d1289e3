#include "TestData.h"

#include "app/InstallFiles.h"
#include "common/Gbk.h"
#include "tree/TreeNodes.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QUuid>
#include <QVariant>

TestDataDir::TestDataDir(const QStringList& treeLines)
{
    QString error;
    m_valid = m_dir.isValid() && install::layInstallationFiles(m_dir.path(), &error);
    if (m_valid && !treeLines.isEmpty())
        writeTree(treeLines);
}

QString TestDataDir::file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

void TestDataDir::writeTree(const QStringList& lines) const
{
    QFile f(file(QStringLiteral("MTS.qs")));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(gbk::encode(joinLinesCrLf(lines)));
}

namespace {
template <typename Fn> auto withDb(const QString& path, Fn fn)
{
    const QString name = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    decltype(fn(std::declval<QSqlDatabase&>())) result {};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            result = fn(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}
}  // namespace

bool TestDataDir::exec(const QString& sql, const QVariantList& values) const
{
    return withDb(file(QStringLiteral("Data.QSD")), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        return q.exec();
    });
}

QStringList TestDataDir::column(const QString& sql, const QVariantList& values) const
{
    return withDb(file(QStringLiteral("Data.QSD")), [&](QSqlDatabase& db) {
        QStringList out;
        QSqlQuery q(db);
        q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (q.exec()) {
            while (q.next())
                out.append(q.value(0).toString());
        }
        return out;
    });
}

qint64 TestDataDir::addText(const QString& title, const QString& category, const QString& subcategory,
    const QString& body, const QString& writer, const QString& createtime) const
{
    return withDb(file(QStringLiteral("Data.QSD")), [&](QSqlDatabase& db) -> qint64 {
        QSqlQuery q(db);
        q.prepare(QStringLiteral(
            "insert into textfile(title,classname,bigclassname,writer,createtime,main) values(?,?,?,?,?,?)"));
        for (const QString& v : {title, subcategory, category, writer, createtime, body})
            q.addBindValue(v.isNull() ? QStringLiteral("") : v);  // a null QString would bind as NULL
        return q.exec() ? q.lastInsertId().toLongLong() : -1;
    });
}

qint64 TestDataDir::addExe(const QString& title, const QString& category, const QString& subcategory,
    const QString& path, const QString& about, const QString& writer, const QString& createtime) const
{
    return withDb(file(QStringLiteral("Data.QSD")), [&](QSqlDatabase& db) -> qint64 {
        QSqlQuery q(db);
        q.prepare(QStringLiteral(
            "insert into exefile(title,classname,bigclassname,writer,createtime,about,fpath) values(?,?,?,?,?,?,?)"));
        for (const QString& v : {title, subcategory, category, writer, createtime, about, path})
            q.addBindValue(v.isNull() ? QStringLiteral("") : v);  // a null QString would bind as NULL
        return q.exec() ? q.lastInsertId().toLongLong() : -1;
    });
}

TestApp::TestApp(const TestDataDir& dir, bool show)
{
    // As main() does: the data files are named relative to the program directory at first.
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(dir.path());
    m_form = std::make_unique<TMainForm>(dir.path());
    m_form->FormCreate();
    m_data = std::make_unique<TMainData>(dir.path());
    MainData = m_data.get();
    m_data->setStatusSink(&m_form->statusSink());
    if (show)
        m_form->show();
}

TestApp::~TestApp()
{
    m_form->setClosing();  // tear-down is not a user close: nothing goes to the tray
    m_form.reset();
    if (MainData == m_data.get())
        MainData = nullptr;
    m_data.reset();
    QDir::setCurrent(m_previousDir);
}

QTreeWidgetItem* findNode(TMainForm& form, const QStringList& path)
{
    QTreeWidgetItem* node = nullptr;
    for (int depth = 0; depth < path.size(); ++depth) {
        QTreeWidgetItem* next = nullptr;
        const int count = depth == 0 ? form.ui().MainTreeView->topLevelItemCount() : node->childCount();
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* candidate = depth == 0 ? form.ui().MainTreeView->topLevelItem(i) : node->child(i);
            if (candidate->text(0) == path.at(depth))
                next = candidate;
        }
        if (!next)
            return nullptr;
        node = next;
    }
    return node;
}

void clickNode(TMainForm& form, const QStringList& path)
{
    QTreeWidgetItem* node = findNode(form, path);
    treenodes::select(form.ui().MainTreeView, node);
    form.MainTreeViewClick();
}
