#include "tree/CategoryTreeFile.h"

#include "common/AtomicFile.h"
#include "common/Gbk.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

QList<TreeNodeData> parseTreeFile(const QByteArray& bytes)
{
    const QStringList lines = splitLines(decodeTreeText(bytes));

    QList<TreeNodeData> tops;
    // The cursor: index of the current top node and of the current category under it (-1 none).
    int top = -1;
    int category = -1;
    bool any = false;
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("++"))) {
            if (top < 0)
                continue;
            TreeNodeData node {line.mid(2, line.size() - 3), 2, {}};
            if (category >= 0) {
                tops[top].children[category].children.append(node);
            } else {
                // A subcategory line right after a top node hangs under the top node itself. Such a
                // node is saved as a category line, which cannot start with "+": drop those so the
                // name reads back the same.
                while (node.text.startsWith(QLatin1Char('+')))
                    node.text.remove(0, 1);
                tops[top].children.append(node);
            }
        } else if (line.startsWith(QLatin1Char('+'))) {
            if (top < 0)
                continue;
            tops[top].children.append(TreeNodeData {line.mid(1, line.size() - 2), 1, {}});
            category = int(tops[top].children.size()) - 1;
        } else {
            tops.append(TreeNodeData {line.left(line.size() - 1), 0, {}});
            top = int(tops.size()) - 1;
            category = -1;
        }
        any = true;
    }
    if (!any)
        throw EOpenFileError {QStringLiteral("the file holds no line")};
    return tops;
}

QString decodeTreeText(const QByteArray& bytes)
{
    QByteArray body = bytes;
    const bool bom = body.startsWith("\xEF\xBB\xBF");
    if (bom)
        body.remove(0, 3);
    // A file an editor saved as UTF-8 is read as such when GBK cannot read it (or it says so with a byte
    // order mark). A file that both can read stays GBK: every file the program writes is GBK.
    bool gbkValid = false;
    gbk::decode(body, &gbkValid);
    if (bom || !gbkValid) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(body);
        if (!utf8.hasError())
            return text;
    }
    return decodeCodePageText(bytes);
}

bool keepBackupCopy(const QString& path, QString* error)
{
    QFile source(path);
    if (!source.exists())
        return true;
    if (!source.open(QIODevice::ReadOnly)) {
        if (error)
            *error = source.errorString();
        return false;
    }
    const FileWriteResult written = writeWholeFile(path + QStringLiteral(".bak"), source.readAll());
    if (!written.ok && error)
        *error = written.reason;
    return written.ok;
}

QList<TreeNodeData> loadTreeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EOpenFileError {file.errorString()};
    return parseTreeFile(file.readAll());
}

namespace {
void appendLines(QString& out, const TreeNodeData& node, int depth)
{
    out += depth == 0 ? QString() : depth == 1 ? QStringLiteral("+") : QStringLiteral("++");
    out += node.text;
    out += QString::number(node.image);
    out += QStringLiteral("\r\n");
    for (const TreeNodeData& child : node.children)
        appendLines(out, child, qMin(depth + 1, 2));
}
}  // namespace

QByteArray treeFileBytes(const QList<TreeNodeData>& topNodes)
{
    QString text;
    for (const TreeNodeData& node : topNodes)
        appendLines(text, node, 0);
    return gbk::encode(text);
}

bool saveTreeFile(const QString& path, const QList<TreeNodeData>& topNodes, QString* error, QString* reason)
{
    const FileWriteResult written = writeWholeFile(path, treeFileBytes(topNodes));
    if (!written.ok) {
        if (error)
            *error = written.frameworkText(path);
        if (reason)
            *reason = written.reason;
    }
    return written.ok;
}

bool canWriteTreeName(const QString& name)
{
    if (name.startsWith(QLatin1Char('+')))
        return false;
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        return false;
    return gbk::canEncode(name);
}
