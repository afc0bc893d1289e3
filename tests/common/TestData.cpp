#include "TestData.h"

#include "app/InstallFiles.h"
#include "common/Gbk.h"
#include "store/Sqlite.h"
#include "tree/TreeNodes.h"

#include <QDir>
#include <QFile>
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
// Runs one statement straight on a database file, the way another program would.
template <typename Fn> auto withStatement(const QString& path, const QString& sql, const QVariantList& values, Fn fn)
{
    decltype(fn(std::declval<sqlite::Statement&>(), std::declval<sqlite::Connection&>())) result {};
    sqlite::Connection db;
    // Like any other program's, this connection makes the file when it is missing.
    if (!db.openOrCreate(path).ok())
        return result;
    sqlite::Statement st(db, sql);
    if (!st.isValid())
        return result;
    // A null QVariant binds SQL NULL here: tests make the files older or foreign programs leave.
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values.at(i);
        sqlite::Error e;
        if (!v.isValid())
            e = st.bindNull(i + 1);
        else if (v.typeId() == QMetaType::QByteArray)
            e = st.bindBlob(i + 1, v.toByteArray());
        else if (v.typeId() == QMetaType::QString)
            e = st.bindText(i + 1, v.toString());
        else if (v.typeId() == QMetaType::Double)
            e = st.bindDouble(i + 1, v.toDouble());
        else
            e = st.bindInt64(i + 1, v.toLongLong());
        if (!e.ok())
            return result;
    }
    result = fn(st, db);
    return result;
}

QVariantList texts(const QStringList& values)
{
    QVariantList out;
    for (const QString& v : values)
        out.append(v);  // a null QString binds as ''
    return out;
}
}  // namespace

bool TestDataDir::exec(const QString& sql, const QVariantList& values) const
{
    return withStatement(file(QStringLiteral("Data.QSD")), sql, values, [](sqlite::Statement& st, sqlite::Connection&) {
        sqlite::Statement::Step step;
        while ((step = st.step()) == sqlite::Statement::Step::Row) { }
        return step == sqlite::Statement::Step::Done;
    });
}

QStringList TestDataDir::column(const QString& sql, const QVariantList& values) const
{
    return withStatement(file(QStringLiteral("Data.QSD")), sql, values, [](sqlite::Statement& st, sqlite::Connection&) {
        QStringList out;
        while (st.step() == sqlite::Statement::Step::Row)
            out.append(st.isNull(0) ? QString() : st.text(0));
        return out;
    });
}

qint64 TestDataDir::addText(const QString& title, const QString& category, const QString& subcategory,
    const QString& body, const QString& writer, const QString& createtime) const
{
    return withStatement(file(QStringLiteral("Data.QSD")),
        QStringLiteral("insert into textfile(title,classname,bigclassname,writer,createtime,main) values(?,?,?,?,?,?)"),
        texts({title, subcategory, category, writer, createtime, body}),
        [](sqlite::Statement& st, sqlite::Connection& db) -> qint64 {
            return st.step() == sqlite::Statement::Step::Done ? db.lastInsertId() : -1;
        });
}

qint64 TestDataDir::addExe(const QString& title, const QString& category, const QString& subcategory,
    const QString& path, const QString& about, const QString& writer, const QString& createtime) const
{
    return withStatement(file(QStringLiteral("Data.QSD")),
        QStringLiteral(
            "insert into exefile(title,classname,bigclassname,writer,createtime,about,fpath) values(?,?,?,?,?,?,?)"),
        texts({title, subcategory, category, writer, createtime, about, path}),
        [](sqlite::Statement& st, sqlite::Connection& db) -> qint64 {
            return st.step() == sqlite::Statement::Step::Done ? db.lastInsertId() : -1;
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
