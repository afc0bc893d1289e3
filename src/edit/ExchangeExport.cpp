#include "edit/ExchangeExport.h"

#include "common/Kinds.h"
#include "edit/ExchangeFormat.h"
#include "edit/ExchangeProgress.h"
#include "store/Escaping.h"
#include "store/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using exchange::IndexEntry;

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// What the export made, so that a cancelled or failed one can take it all away again.
class ExportWriter final {
public:
    explicit ExportWriter(const QString& root) : m_root(root) { }
    ExportWriter(const ExportWriter&) = delete;
    ExportWriter& operator=(const ExportWriter&) = delete;

    // The root must be missing or an empty folder.
    bool open(QString* error)
    {
        const QFileInfo info(m_root);
        if (info.exists() || info.isSymLink()) {
            if (!info.isDir()) {
                *error = QStringLiteral("“%1”不是文件夹").arg(QDir::toNativeSeparators(m_root));
                return false;
            }
            if (!QDir(m_root).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
                *error = QStringLiteral("文件夹“%1”不是空的").arg(QDir::toNativeSeparators(m_root));
                return false;
            }
            return true;
        }
        // Only the last part is ours to remove again; folders above it stay.
        const QString parent = info.absolutePath();
        if (!QDir().mkpath(parent)) {
            *error = QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(parent));
            return false;
        }
        return makeDir(QString(), error);
    }

    // Makes the folder at relative path (empty: the root itself).
    bool makeDir(const QString& relative, QString* error)
    {
        const QByteArray path = native(relative);
        if (::mkdir(path.constData(), 0777) != 0) {
            *error = QStringLiteral("无法建立文件夹“%1”：%2").arg(display(relative), systemError(errno));
            return false;
        }
        m_dirs.push_back(path);
        return true;
    }

    // Writes a whole file: under a temporary name first, renamed when every byte is written, so a file
    // that carries its own name is always complete.
    bool writeFile(const QString& dir, const QString& name, const QByteArray& bytes, QString* error)
    {
        const QString relative = dir.isEmpty() ? name : dir + QLatin1Char('/') + name;
        const QByteArray temporary = native(dir) + "/.quillstash-export.part";
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            *error = QStringLiteral("无法写入“%1”：%2").arg(display(relative), systemError(errno));
            return false;
        }
        m_pending = temporary;
        qsizetype written = 0;
        while (written < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                const int e = n < 0 ? errno : ENOSPC;
                ::close(fd);
                *error = QStringLiteral("无法写入“%1”：%2").arg(display(relative), systemError(e));
                return false;
            }
            written += n;
        }
        if (::close(fd) != 0) {
            *error = QStringLiteral("无法写入“%1”：%2").arg(display(relative), systemError(errno));
            return false;
        }
        const QByteArray final = native(relative);
        if (::rename(temporary.constData(), final.constData()) != 0) {
            *error = QStringLiteral("无法写入“%1”：%2").arg(display(relative), systemError(errno));
            return false;
        }
        m_pending.clear();
        m_files.push_back(final);
        return true;
    }

    // Removes every file and folder the export made, newest first.
    void removeAll()
    {
        if (!m_pending.isEmpty())
            ::unlink(m_pending.constData());
        for (auto it = m_files.rbegin(); it != m_files.rend(); ++it)
            ::unlink(it->constData());
        for (auto it = m_dirs.rbegin(); it != m_dirs.rend(); ++it)
            ::rmdir(it->constData());
        m_files.clear();
        m_dirs.clear();
    }

private:
    QByteArray native(const QString& relative) const
    {
        return QFile::encodeName(relative.isEmpty() ? m_root : m_root + QLatin1Char('/') + relative);
    }
    QString display(const QString& relative) const
    {
        return QDir::toNativeSeparators(relative.isEmpty() ? m_root : m_root + QLatin1Char('/') + relative);
    }

    QString m_root;
    QByteArray m_pending;
    std::vector<QByteArray> m_files;
    std::vector<QByteArray> m_dirs;
};

// One folder of the export and the names used in it.
struct Folder {
    QString path;  // relative to the export folder
    exchange::NameSpace names;
};

// A place the materials of a table are filed in: table, category, subcategory.
QString placeKey(const QString& table, const QString& category, const QString& subcategory)
{
    return table + QChar(0) + category + QChar(0) + subcategory;
}

class Exporter final {
public:
    Exporter(const ExportSource& source, const QString& folder, ExchangeProgress& progress)
        : m_source(source), m_writer(folder), m_progress(progress)
    {
        m_outcome.folder = folder;
        m_root.names.reserve(exchange::indexFileName());
        m_root.names.reserve(QStringLiteral(".quillstash-export.part"));
    }

    ExportOutcome run()
    {
        QString error;
        if (!m_writer.open(&error))
            return failed(error, false);
        if (!exportAll(&error)) {
            m_writer.removeAll();
            if (m_progress.isCancelled()) {
                m_outcome.state = ExportOutcome::State::Cancelled;
                m_outcome.materials = 0;
                return m_outcome;
            }
            return failed(error, true);
        }
        return m_outcome;
    }

private:
    ExportOutcome failed(const QString& error, bool removed)
    {
        m_outcome.state = ExportOutcome::State::Failed;
        m_outcome.error = error;
        if (removed)
            m_outcome.error += QStringLiteral("\n已经写出的文件都已删除。");
        m_outcome.materials = 0;
        return m_outcome;
    }

    Folder* subfolder(Folder& parent, const QString& name, QString* error)
    {
        auto folder = std::make_unique<Folder>();
        const QString claimed = parent.names.claim(name);
        folder->path = parent.path.isEmpty() ? claimed : parent.path + QLatin1Char('/') + claimed;
        folder->names.reserve(QStringLiteral(".quillstash-export.part"));
        if (!m_writer.makeDir(folder->path, error))
            return nullptr;
        m_folders.push_back(std::move(folder));
        return m_folders.back().get();
    }

    void addTreeRow(IndexEntry::Kind entry, const QString& kind, const QString& category, const QString& sub)
    {
        IndexEntry row;
        row.entry = entry;
        row.kind = kind;
        row.category = category;
        row.subcategory = sub;
        appendIndexLine(row);
    }

    void appendIndexLine(const IndexEntry& row)
    {
        m_index += exchange::indexLine(row).toUtf8();
        m_index += '\n';
    }

    // The folders of the tree, made now so that empty categories show too: the text root (always the
    // first top node) and the example root. The search-results node holds no categories.
    bool layTree(QString* error)
    {
        for (int t = 0; t < m_source.tree.size(); ++t) {
            const TreeNodeData& top = m_source.tree.at(t);
            const bool text = t == 0;
            if (!text && (top.text != kinds::exampleRoot() || m_kindFolders.contains(kinds::exeTable())))
                continue;
            const QString table = text ? kinds::textTable() : kinds::exeTable();
            const QString kind = text ? kinds::textRoot() : kinds::exampleRoot();
            Folder* kindFolder = subfolder(m_root, top.text, error);
            if (!kindFolder)
                return false;
            m_kindFolders.insert(table, kindFolder);
            for (const TreeNodeData& category : top.children) {
                Folder* categoryFolder = subfolder(*kindFolder, category.text, error);
                if (!categoryFolder)
                    return false;
                addTreeRow(IndexEntry::Kind::Category, kind, category.text, QString());
                // Duplicate siblings share their materials: they go to the first, as the tree lists them.
                if (!m_places.contains(placeKey(table, category.text, QString())))
                    m_places.insert(placeKey(table, category.text, QString()), categoryFolder);
                for (const TreeNodeData& sub : category.children) {
                    Folder* subFolder = subfolder(*categoryFolder, sub.text, error);
                    if (!subFolder)
                        return false;
                    addTreeRow(IndexEntry::Kind::Subcategory, kind, category.text, sub.text);
                    // Materials without a subcategory are the category's own, even beside a
                    // subcategory of an empty name.
                    if (!sub.text.isEmpty() && !m_places.contains(placeKey(table, category.text, sub.text)))
                        m_places.insert(placeKey(table, category.text, sub.text), subFolder);
                }
            }
        }
        return true;
    }

    // The folder of a place the tree does not hold, made when its first material comes.
    Folder* outsideFolder(const QString& table, const QString& category, const QString& sub, QString* error)
    {
        const QString key = placeKey(table, category, sub);
        if (Folder* known = m_outside.value(key))
            return known;
        Folder* kindFolder = m_kindFolders.value(table);
        if (!kindFolder) {
            kindFolder
                = subfolder(m_root, table == kinds::textTable() ? kinds::textRoot() : kinds::exampleRoot(), error);
            if (!kindFolder)
                return nullptr;
            m_kindFolders.insert(table, kindFolder);
        }
        const QString outsideKey = placeKey(table, QString(), QString()) + QChar(1);
        Folder* outside = m_outside.value(outsideKey);
        if (!outside && !(outside = subfolder(*kindFolder, outsideTreeFolderName(), error)))
            return nullptr;
        m_outside.insert(outsideKey, outside);
        const QString categoryKey = placeKey(table, category, QString()) + QChar(1);
        Folder* categoryFolder = m_outside.value(categoryKey);
        if (!categoryFolder && !(categoryFolder = subfolder(*outside, category, error)))
            return nullptr;
        m_outside.insert(categoryKey, categoryFolder);
        Folder* folder = categoryFolder;
        if (!sub.isEmpty() && !(folder = subfolder(*categoryFolder, sub, error)))
            return nullptr;
        m_outside.insert(key, folder);
        return folder;
    }

    bool exportTable(sqlite::Connection& db, const QString& table, QString* error)
    {
        const bool example = table == kinds::exeTable();
        const QString sql = example
            ? QStringLiteral("select id,title,classname,bigclassname,writer,createtime,about,fpath from exefile "
                             "order by id")
            : QStringLiteral("select id,title,classname,bigclassname,writer,createtime,main from textfile order by id");
        sqlite::Statement st(db, sql);
        if (!st.isValid()) {
            *error = QStringLiteral("无法读取数据库：") + st.error().message;
            return false;
        }
        for (;;) {
            if (m_progress.isCancelled())
                return false;
            const sqlite::Statement::Step step = st.step();
            if (step == sqlite::Statement::Step::Done)
                return true;
            if (step == sqlite::Statement::Step::Failed) {
                *error = QStringLiteral("无法读取数据库：") + st.error().message;
                return false;
            }
            IndexEntry row;
            row.kind = example ? kinds::exampleRoot() : kinds::textRoot();
            row.id = st.int64(0);
            row.title = UnescapeTitleText(st.text(1));
            row.subcategory = st.text(2);
            row.category = st.text(3);
            row.writer = st.text(4);
            row.createtime = st.text(5);
            const QString text = UnescapeBodyText(st.text(6));
            if (example)
                row.fpath = st.text(7);
            Folder* folder = m_places.value(placeKey(table, row.category, row.subcategory));
            row.entry = folder ? IndexEntry::Kind::Material : IndexEntry::Kind::OutsideTree;
            if (!folder && !(folder = outsideFolder(table, row.category, row.subcategory, error)))
                return false;
            const QString name = folder->names.claim(row.title, QStringLiteral(".txt"));
            row.file = folder->path + QLatin1Char('/') + name;
            m_progress.setCurrent(row.file);
            if (!m_writer.writeFile(folder->path, name, exchange::materialFileBytes(row, text), error))
                return false;
            appendIndexLine(row);
            ++m_outcome.materials;
            m_progress.step(row.file);
        }
    }

    bool exportAll(QString* error)
    {
        sqlite::Connection db;
        sqlite::Error e = db.open(m_source.databasePath);
        if (!e.ok())
            e = db.open(m_source.databasePath, sqlite::Connection::Access::ReadOnly);
        if (!e.ok()) {
            *error = QStringLiteral("无法打开数据库：") + e.message;
            return false;
        }
        // One read transaction: every table is read from the same state of the file.
        sqlite::Transaction snapshot(db, sqlite::Transaction::Mode::Deferred);
        if (!snapshot.error().ok()) {
            *error = QStringLiteral("无法读取数据库：") + snapshot.error().message;
            return false;
        }
        int total = 0;
        for (const QString& table : {kinds::textTable(), kinds::exeTable()}) {
            sqlite::Statement count(db, QStringLiteral("select count(*) from %1").arg(table));
            if (!count.isValid() || count.step() != sqlite::Statement::Step::Row) {
                *error = QStringLiteral("无法读取数据库：") + count.error().message;
                return false;
            }
            total += int(count.int64(0));
        }
        m_progress.setTotal(total);
        m_index = exchange::indexHeader().toUtf8() + '\n';
        if (!layTree(error))
            return false;
        for (const QString& table : {kinds::textTable(), kinds::exeTable()}) {
            if (!exportTable(db, table, error))
                return false;
        }
        // Last: a folder with its index is a complete export.
        if (m_progress.isCancelled())
            return false;
        return m_writer.writeFile(QString(), exchange::indexFileName(), m_index, error);
    }

    const ExportSource& m_source;
    ExportWriter m_writer;
    ExchangeProgress& m_progress;
    ExportOutcome m_outcome;
    Folder m_root;
    std::vector<std::unique_ptr<Folder>> m_folders;
    QHash<QString, Folder*> m_kindFolders;  // by table
    QHash<QString, Folder*> m_places;  // the tree's places, by placeKey
    QHash<QString, Folder*> m_outside;  // folders of places outside the tree
    QByteArray m_index;
};

}  // namespace

QString outsideTreeFolderName() { return QStringLiteral("（不在分类树中）"); }

ExportOutcome exportKnowledgeBase(const ExportSource& source, const QString& folder, ExchangeProgress& progress)
{
    return Exporter(source, folder, progress).run();
}

QString exportFolderIn(const QString& chosen, const QDateTime& now)
{
    const QDir dir(chosen);
    if (!QFileInfo(chosen).exists() && !QFileInfo(chosen).isSymLink())
        return dir.absolutePath();
    if (dir.exists() && dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return dir.absolutePath();
    const QString base
        = QStringLiteral("Quillstash 导出 ") + QLocale::c().toString(now, QStringLiteral("yyyy-MM-dd HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(dir.filePath(name)) || QFileInfo(dir.filePath(name)).isSymLink(); ++n)
        name = base + QStringLiteral(" (%1)").arg(n);
    return dir.absoluteFilePath(name);
}
