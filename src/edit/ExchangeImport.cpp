#include "edit/ExchangeImport.h"

#include "common/Gbk.h"
#include "common/Kinds.h"
#include "edit/ExchangeProgress.h"
#include "store/Escaping.h"
#include "store/Sqlite.h"
#include "store/Statements.h"
#include "store/TFile.h"
#include "store/TMainData.h"
#include "tree/CategoryTree.h"
#include "tree/CategoryTreeFile.h"
#include "tree/TreeFileKeeper.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QPair>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using exchange::IndexEntry;

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString display(const QByteArray& path) { return exchange::decodeFileName(path); }

QString skippedLine(const QString& what, const QString& why) { return what + QStringLiteral("：") + why; }

QByteArray joined(const QByteArray& dir, const QByteArray& name)
{
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// Reads a regular file whole; false with why when it is not one, is larger than limit or cannot be read.
// Opened without blocking, so a pipe or a device named like a text file cannot stop the import.
bool readWholeFile(const QByteArray& path, qint64 limit, QByteArray* bytes, QString* why)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        *why = errno == ENOENT ? QStringLiteral("文件不存在") : QStringLiteral("无法读取：") + systemError(errno);
        return false;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *why = QStringLiteral("不是普通文件");
        return false;
    }
    if (st.st_size > limit) {
        ::close(fd);
        *why = QStringLiteral("文件超过 %1 MB").arg(limit / (1024 * 1024));
        return false;
    }
    QByteArray data;
    data.resize(qsizetype(st.st_size));
    qsizetype have = 0;
    for (;;) {
        if (have == data.size()) {
            if (data.size() > limit)
                break;
            data.resize(std::min<qsizetype>(data.size() + 65536, qsizetype(limit) + 1));
        }
        const ssize_t n = ::read(fd, data.data() + have, size_t(data.size() - have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            *why = QStringLiteral("无法读取：") + systemError(e);
            return false;
        }
        if (n == 0)
            break;
        have += n;
    }
    ::close(fd);
    if (have > limit) {
        *why = QStringLiteral("文件超过 %1 MB").arg(limit / (1024 * 1024));
        return false;
    }
    data.truncate(have);
    *bytes = data;
    return true;
}

// The names in a folder, sorted by their bytes; false with errno's text when it cannot be read.
bool listFolder(const QByteArray& dir, QList<QByteArray>* names, QString* why)
{
    DIR* d = ::opendir(dir.constData());
    if (!d) {
        *why = systemError(errno);
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(d)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names->append(name);
    }
    const int e = errno;
    ::closedir(d);
    if (e != 0) {
        *why = systemError(e);
        return false;
    }
    std::sort(names->begin(), names->end());
    return true;
}

// One file to read: a plain text file, or a material file an export's index describes.
struct Candidate {
    QByteArray path;
    std::optional<IndexEntry> entry;
};

// Every .txt and .md file under root, a folder's own files before its subfolders, each set in name order.
// Linked folders are followed once each, so a link that points back up ends the walk there.
void walkFolder(const QByteArray& root, const ExchangeProgress& progress, QList<Candidate>* found, QStringList* skipped)
{
    QSet<QPair<quint64, quint64>> visited;
    struct stat rootStat { };
    if (::stat(root.constData(), &rootStat) == 0)
        visited.insert({quint64(rootStat.st_dev), quint64(rootStat.st_ino)});
    std::vector<QByteArray> stack {root};
    while (!stack.empty() && !progress.isCancelled()) {
        const QByteArray dir = stack.back();
        stack.pop_back();
        QList<QByteArray> names;
        QString why;
        if (!listFolder(dir, &names, &why)) {
            skipped->append(skippedLine(display(dir), QStringLiteral("无法读取文件夹：") + why));
            continue;
        }
        std::vector<QByteArray> folders;
        for (const QByteArray& name : names) {
            const QByteArray path = joined(dir, name);
            struct stat st { };
            if (::stat(path.constData(), &st) != 0) {
                // A dangling link or a loop of links.
                if (exchange::isTextFileName(name))
                    skipped->append(skippedLine(display(path), QStringLiteral("无法读取：") + systemError(errno)));
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                if (!visited.contains({quint64(st.st_dev), quint64(st.st_ino)})) {
                    visited.insert({quint64(st.st_dev), quint64(st.st_ino)});
                    folders.push_back(path);
                }
            } else if (exchange::isTextFileName(name)) {
                if (S_ISREG(st.st_mode))
                    found->append(Candidate {path, std::nullopt});
                else
                    skipped->append(skippedLine(display(path), QStringLiteral("不是普通文件")));
            }
        }
        for (auto it = folders.rbegin(); it != folders.rend(); ++it)
            stack.push_back(*it);
    }
}

// A file named by the index must lie inside the export folder.
bool isInsideRelative(const QString& file)
{
    if (file.isEmpty() || file.startsWith(QLatin1Char('/')) || file.contains(QChar(0)))
        return false;
    for (const QString& part : file.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    }
    return true;
}

QByteArray realPath(const QByteArray& path)
{
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return QByteArray();
    QByteArray out(resolved);
    std::free(resolved);
    return out;
}

// What the planner has found for one chosen path.
struct SourcePlan {
    QList<ImportPlace> places;
    QList<Candidate> candidates;
    QStringList skipped;
    QByteArray root;  // the export folder, resolved
};

ImportPlace placeOf(const IndexEntry& e)
{
    ImportPlace place {e.kind, e.category, std::nullopt};
    if (e.entry == IndexEntry::Kind::Subcategory || !e.subcategory.isEmpty())
        place.subcategory = e.subcategory;
    return place;
}

// The index of an export folder, the files it names and those it leaves out.
void planExport(const QByteArray& root, const ExchangeProgress& progress, SourcePlan* plan)
{
    const QString indexName = exchange::indexFileName();
    const QByteArray indexPath = joined(root, QFile::encodeName(indexName));
    const QString indexShown = display(indexPath);
    QByteArray bytes;
    QString why;
    if (!readWholeFile(indexPath, qint64(1) << 30, &bytes, &why)) {
        plan->skipped.append(skippedLine(indexShown, why));
        return;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        plan->skipped.append(skippedLine(indexShown, QStringLiteral("不是 UTF-8 文本，整个文件夹没有导入")));
        return;
    }
    plan->root = realPath(root);
    QHash<QString, int> lineOfFile;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 1; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QString where = QStringLiteral("%1 第 %2 行").arg(indexShown).arg(i + 1);
        IndexEntry entry;
        if (!exchange::parseIndexLine(line, &entry, &why)) {
            plan->skipped.append(skippedLine(where, why));
            continue;
        }
        if (!entry.isMaterial()) {
            plan->places.append(placeOf(entry));
            continue;
        }
        if (!isInsideRelative(entry.file)) {
            plan->skipped.append(skippedLine(where, QStringLiteral("文件“%1”不在导出文件夹里").arg(entry.file)));
            continue;
        }
        if (const auto seen = lineOfFile.constFind(entry.file); seen != lineOfFile.cend()) {
            plan->skipped.append(skippedLine(where, QStringLiteral("与第 %1 行是同一个文件").arg(*seen)));
            continue;
        }
        lineOfFile.insert(entry.file, i + 1);
        plan->candidates.append(Candidate {joined(root, QFile::encodeName(entry.file)), entry});
    }
    // Text files the index does not name have no place to go: they are listed, not guessed at.
    QList<Candidate> present;
    walkFolder(root, progress, &present, &plan->skipped);
    QSet<QByteArray> listed;
    for (const Candidate& c : plan->candidates)
        listed.insert(c.path);
    for (const Candidate& c : present) {
        if (!listed.contains(c.path))
            plan->skipped.append(skippedLine(display(c.path), QStringLiteral("没有列在 index.tsv 中")));
    }
}

QString placeKey(const ImportPlace& p)
{
    return p.kind + QChar(0) + p.category + (p.subcategory ? QChar(0) + *p.subcategory : QString());
}

// Why a name cannot be a new child of parent, or an empty text when it can.
QString nameProblem(const TTreeNode* parent, const QString& name)
{
    if (name.startsWith(QLatin1Char('+')))
        return QStringLiteral("名字以“+”开头，分类树文件无法保存");
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        return QStringLiteral("名字包含换行，分类树文件无法保存");
    if (!canWriteTreeName(name))
        return QStringLiteral("名字中有分类树文件无法保存的字符");
    // Materials follow names: two siblings that look the same would share them.
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text().trimmed() == name.trimmed())
            return QStringLiteral("已经有同名的分类“%1”").arg(parent->child(i)->text());
    }
    return QString();
}

}  // namespace

QString ImportPlace::describe() const
{
    QString text = kind + QLatin1Char('/') + category;
    if (subcategory)
        text += QLatin1Char('/') + *subcategory;
    return text;
}

ImportSource classifySource(const QString& path) { return classifySource(QFile::encodeName(path)); }

ImportSource classifySource(const QByteArray& nativePath)
{
    ImportSource source;
    source.path = withoutTrailingSlashes(nativePath);
    struct stat st { };
    if (::stat(source.path.constData(), &st) != 0) {
        source.kind = ImportSource::Kind::Unreadable;
        source.problem = errno == ENOENT ? QStringLiteral("不存在") : QStringLiteral("无法读取：") + systemError(errno);
        return source;
    }
    if (!S_ISDIR(st.st_mode)) {
        source.kind = ImportSource::Kind::File;
        return source;
    }
    source.kind = ImportSource::Kind::Folder;
    // An export is known by the first line of its index.
    const QByteArray indexPath = joined(source.path, QFile::encodeName(exchange::indexFileName()));
    QFile index(QFile::decodeName(indexPath));
    if (!index.exists())
        return source;
    if (!index.open(QIODevice::ReadOnly)) {
        source.kind = ImportSource::Kind::Unreadable;
        source.problem = QStringLiteral("无法读取 index.tsv：") + index.errorString();
        return source;
    }
    QByteArray first = index.readLine(4096);
    if (first.startsWith("\xEF\xBB\xBF"))
        first.remove(0, 3);
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    if (first == exchange::indexHeader().toUtf8())
        source.kind = ImportSource::Kind::ExportFolder;
    return source;
}

QString importSummary(const ImportReport& report)
{
    return QStringLiteral("导入了 %1 个资料，跳过 %2 个文件").arg(report.imported).arg(report.skipped.size());
}

void TImportPlanner::run(const std::function<bool(ImportBatch&&)>& deliver)
{
    // First every file is found, so the progress can tell how many there are.
    std::vector<SourcePlan> plans;
    int total = 0;
    for (const ImportSource& source : m_request.sources) {
        SourcePlan plan;
        switch (source.kind) {
        case ImportSource::Kind::Unreadable:
            plan.skipped.append(skippedLine(display(source.path), source.problem));
            break;
        case ImportSource::Kind::File:
            if (exchange::isTextFileName(source.path.mid(source.path.lastIndexOf('/') + 1)))
                plan.candidates.append(Candidate {source.path, std::nullopt});
            else
                plan.skipped.append(skippedLine(display(source.path), QStringLiteral("不是 .txt 或 .md 文件")));
            break;
        case ImportSource::Kind::Folder:
            walkFolder(source.path, m_progress, &plan.candidates, &plan.skipped);
            break;
        case ImportSource::Kind::ExportFolder:
            planExport(source.path, m_progress, &plan);
            break;
        }
        total += int(plan.candidates.size());
        plans.push_back(std::move(plan));
        if (m_progress.isCancelled())
            return;
    }
    m_progress.setTotal(total);

    ImportBatch batch;
    qint64 chars = 0;
    int processed = 0;
    int handedOver = 0;  // files looked at up to the last batch handed over
    const auto flush = [&] {
        batch.processed = processed;
        handedOver = processed;
        const bool go = deliver(std::move(batch));
        batch = ImportBatch();
        chars = 0;
        return go;
    };
    for (const SourcePlan& plan : plans) {
        batch.places += plan.places;
        batch.skipped += plan.skipped;
        for (const Candidate& c : plan.candidates) {
            if (m_progress.isCancelled())
                return;
            // Also a batch of files that were all skipped, so that the progress moves.
            const bool full = batch.items.size() >= kBatchItems || chars >= kBatchChars
                || processed - handedOver >= 5 * kBatchItems;
            if (full && !flush())
                return;
            const QString shown = display(c.path);
            m_progress.setCurrent(shown);
            ++processed;
            QByteArray bytes;
            QString why;
            ImportItem item;
            item.source = shown;
            if (c.entry) {
                const IndexEntry& e = *c.entry;
                // The index may name a link that leads out of the folder.
                const QByteArray resolved = realPath(c.path);
                if (!resolved.isEmpty() && !resolved.startsWith(plan.root + '/')) {
                    batch.skipped.append(skippedLine(shown, QStringLiteral("文件在导出文件夹之外")));
                    continue;
                }
                item.example = e.kind == kinds::exampleRoot();
                QString text;
                if (!readWholeFile(c.path, kMaxFileBytes, &bytes, &why)
                    || !exchange::materialFileText(bytes, item.example, &text, &why)) {
                    batch.skipped.append(skippedLine(shown, why));
                    continue;
                }
                item.place = placeOf(e);
                item.inTree = e.entry == IndexEntry::Kind::Material;
                item.title = EscapeTitleText(e.title);
                item.writer = e.writer;
                item.createtime = e.createtime;
                item.text = EscapeBodyText(text);
                item.fpath = e.fpath;
            } else {
                QString text;
                if (!readWholeFile(c.path, kMaxFileBytes, &bytes, &why)) {
                    batch.skipped.append(skippedLine(shown, why));
                    continue;
                }
                switch (exchange::decodeTextFile(bytes, &text)) {
                case exchange::TextKind::Binary:
                    batch.skipped.append(skippedLine(shown, QStringLiteral("是二进制文件")));
                    continue;
                case exchange::TextKind::Unknown:
                    batch.skipped.append(skippedLine(shown, QStringLiteral("既不是 UTF-8 也不是 GBK 文本")));
                    continue;
                case exchange::TextKind::Text:
                    break;
                }
                if (!m_request.plainPlace) {
                    batch.skipped.append(skippedLine(shown, QStringLiteral("没有选择导入到哪个分类")));
                    continue;
                }
                item.place = *m_request.plainPlace;
                const QByteArray name = c.path.mid(c.path.lastIndexOf('/') + 1);
                item.title = EscapeTitleText(exchange::titleFromFileName(exchange::decodeFileName(name)));
                item.createtime = creationTimeText(QDateTime::currentDateTime());
                // Lines as the add dialog stores them: each followed by CR LF.
                item.text = EscapeBodyText(joinLinesCrLf(splitLines(text)));
            }
            chars += item.text.size() + item.title.size();
            batch.items.append(std::move(item));
        }
    }
    batch.processed = processed;
    deliver(std::move(batch));
}

TTreeNode* TImportApplier::ensurePlace(
    const ImportPlace& place, std::vector<TTreeNode*>& added, QString* refusal, bool* fresh)
{
    *fresh = false;
    TTreeNode* root = nullptr;
    if (place.kind == kinds::textRoot() || place.kind == kinds::exampleRoot())
        root = m_tree.kindRoot(place.kind);
    if (!root || root->parent()) {
        *refusal = QStringLiteral("分类树中没有“%1”").arg(place.kind);
        return nullptr;
    }
    const auto make = [&](TTreeNode* parent, const ImportPlace& at, const QString& name, bool sub) -> TTreeNode* {
        if (TTreeNode* existing = parent->childNamed(name))
            return existing;
        const QString key = placeKey(at);
        if (const auto known = m_refused.constFind(key); known != m_refused.cend()) {
            *refusal = *known;
            return nullptr;
        }
        const QString problem = nameProblem(parent, name);
        if (!problem.isEmpty()) {
            *refusal = QStringLiteral("分类“%1”没有建立：%2").arg(at.describe(), problem);
            m_refused.insert(key, *refusal);
            *fresh = true;
            return nullptr;
        }
        TTreeNode* node = m_tree.addChild(parent, name, sub ? 2 : 1, sub ? 2 : 4);
        added.push_back(node);
        return node;
    };
    TTreeNode* category = make(root, {place.kind, place.category, std::nullopt}, place.category, false);
    if (!category || !place.subcategory)
        return category;
    return make(category, place, *place.subcategory, true);
}

bool TImportApplier::apply(const ImportBatch& batch, QString* error)
{
    if (batch.places.isEmpty() && batch.items.isEmpty()) {
        // Nothing to file: no write, and so no safety copy either.
        m_report.skipped += batch.skipped;
        m_report.processed = batch.processed;
        return true;
    }
    std::vector<TTreeNode*> added;
    QStringList skipped = batch.skipped;
    const QHash<QString, QString> refusedBefore = m_refused;
    int imported = 0;
    bool saved = false;
    const bool ok = m_data.writeTransaction(
        [&](sqlite::Connection& db, QString* why) {
            for (const ImportPlace& place : batch.places) {
                QString refusal;
                bool fresh = false;
                if (!ensurePlace(place, added, &refusal, &fresh) && fresh)
                    skipped.append(refusal);
            }
            const Statement textInsert = sql::insertText({}, {}, {}, {}, {}, {});
            const Statement exeInsert = sql::insertExe({}, {}, {}, {}, {}, {}, {});
            sqlite::Statement texts(db, textInsert.sql);
            sqlite::Statement examples(db, exeInsert.sql);
            if (!texts.isValid() || !examples.isValid()) {
                *why = (texts.isValid() ? examples : texts).error().message;
                return false;
            }
            for (const ImportItem& item : batch.items) {
                const ImportPlace& p = item.place;
                if (item.inTree) {
                    QString refusal;
                    bool fresh = false;
                    if (!ensurePlace(p, added, &refusal, &fresh)) {
                        skipped.append(skippedLine(item.source, refusal + QStringLiteral("，资料没有导入")));
                        continue;
                    }
                }
                const QString sub = p.subcategory.value_or(QString());
                sqlite::Statement& st = item.example ? examples : texts;
                const Statement values = item.example
                    ? sql::insertExe(item.title, sub, p.category, item.writer, item.createtime, item.text, item.fpath)
                    : sql::insertText(item.title, sub, p.category, item.writer, item.createtime, item.text);
                st.reset();
                sqlite::Error e = st.bindAll(values.values);
                if (e.ok() && st.step() != sqlite::Statement::Step::Done)
                    e = st.error();
                if (!e.ok()) {
                    *why = skippedLine(item.source, e.message);
                    return false;
                }
                ++imported;
            }
            // The tree file takes the new categories before the materials in them are committed.
            if (!added.empty()) {
                QString failure;
                if (!m_treeFile.save(&failure)) {
                    *why = failure;
                    return false;
                }
                saved = true;
            }
            return true;
        },
        error);
    if (!ok) {
        for (auto it = added.rbegin(); it != added.rend(); ++it)
            m_tree.take(*it);
        m_refused = refusedBefore;
        QString failure;
        if (saved && !m_treeFile.save(&failure))
            *error += QStringLiteral("\n") + failure;
        return false;
    }
    m_treeChanged = m_treeChanged || !added.empty();
    m_report.imported += imported;
    m_report.skipped += skipped;
    m_report.processed = batch.processed;
    return true;
}
