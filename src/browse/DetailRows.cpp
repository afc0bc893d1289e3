#include "browse/DetailRows.h"

#include "common/Gbk.h"
#include "common/Kinds.h"
#include "store/Statements.h"
#include "store/TFile.h"
#include "tree/CategoryTree.h"

namespace {
constexpr int kTextPreviewBytes = 30;
constexpr int kDescriptionPreviewBytes = 60;

DetailRow plainRow(const QString& name, const QString& value)
{
    DetailRow row;
    row.name = name;
    row.value = value;
    return row;
}

QString childrenValue(const TTreeNode* node)
{
    if (!node || node->childCount() == 0)
        return QStringLiteral("0个");
    QStringList names;
    for (int i = 0; i < node->childCount(); ++i)
        names.append(node->child(i)->text());
    return QStringLiteral("共") + QString::number(node->childCount()) + QStringLiteral("个  它们是：")
        + names.join(QStringLiteral("， "));
}

// When the count cannot be taken, the status bar already tells why; the row says so rather than
// showing a number that was never counted.
QString countValue(const Statement& statement)
{
    int count = -1;
    if (!TFile::OpenAndCount(statement, count) || count < 0)
        return QStringLiteral("统计失败");
    return QStringLiteral("共") + QString::number(count) + QStringLiteral("个");
}

// The rows every material shows before its content.
void addRecordRows(QList<DetailRow>& rows, const TFile& file)
{
    rows.append(plainRow(QStringLiteral("名称:"), file.title));
    rows.append(plainRow(QStringLiteral("分类:"), file.bigclassname + QStringLiteral("--->") + file.classname));
    rows.append(plainRow(QStringLiteral("作者:"), file.writer));
    rows.append(plainRow(QStringLiteral("创建时间:"), file.createtime));
}

DetailRow actionRow(
    const QString& name, const QString& value, DetailRow::Action action, const QString& caption, qint64 tag)
{
    return DetailRow {name, value, action, caption, tag};
}
}  // namespace

QString detailPreview(const BodyLines& lines, int maxBytes)
{
    // Only the start of a long body is decoded. Almost every code point takes a GBK byte or more, so the
    // first maxBytes of them nearly always hold the preview; more are taken while they do not fill it.
    for (qsizetype wanted = qMax(maxBytes, 1);; wanted *= 4) {
        const QString start = lines.crLfTextStart(wanted);
        if (gbk::byteLength(start) > maxBytes || start.toUcs4().size() < wanted)
            return gbk::prefix(start, maxBytes) + QStringLiteral("...") + QStringLiteral("     ");
    }
}

DetailContent detailContent(const ListEntry& entry, const TCategoryTree& tree, const TTreeNode* selected, int viewMode)
{
    DetailContent out;
    QList<DetailRow>& rows = out.rows;
    const QString& caption = entry.caption;

    if (entry.image == 3) {
        rows.append(plainRow(QStringLiteral("类型:"), QStringLiteral("总目录")));
        const TTreeNode* node = nullptr;
        for (const TTreeNode* candidate : tree.allNodes()) {
            if (candidate->text() == caption) {
                node = candidate;
                break;
            }
        }
        rows.append(plainRow(QStringLiteral("拥有子分类："), childrenValue(node)));
        rows.append(plainRow(QStringLiteral("拥有资料数："), countValue(sql::countAll(kinds::tableForKind(caption)))));
        return out;
    }

    if (entry.image == 4) {
        TFileText file;
        if (!file.LoadById(entry.id))
            out.loadFailure = ResultMessage;
        addRecordRows(rows, file);
        const QString preview = detailPreview(file.main, kTextPreviewBytes);
        if (viewMode == 0)
            rows.append(actionRow(QStringLiteral("内容:"), preview, DetailRow::Action::ViewInThisFrm,
                detailactions::viewHere(), entry.id));
        else
            rows.append(actionRow(QStringLiteral("内容:"), preview, DetailRow::Action::ViewInNewFrm,
                detailactions::viewInNewWindow(), entry.id));
        return out;
    }

    if (entry.image == 5) {
        TFileExe file;
        if (!file.LoadById(entry.id))
            out.loadFailure = ResultMessage;
        addRecordRows(rows, file);
        rows.append(actionRow(QStringLiteral("简介:"), detailPreview(file.about, kDescriptionPreviewBytes),
            DetailRow::Action::ViewInNewFrm, detailactions::viewDescription(), entry.id));
        rows.append(actionRow(
            QStringLiteral("资料路径:"), file.fpath, DetailRow::Action::RunDetail, detailactions::run(), entry.id));
        out.runPath = file.fpath;
        out.isExample = true;
        return out;
    }

    // A category or subcategory folder item.
    rows.append(plainRow(QStringLiteral("类型:"), QStringLiteral("分类目录")));
    const TTreeNode* node = nullptr;
    if (selected && selected->childCount() > 0) {
        node = selected->childNamed(caption);
        if (!node)
            node = selected->child(selected->childCount() - 1);
    }
    rows.append(plainRow(QStringLiteral("拥有子分类："), childrenValue(node)));
    Statement count;
    if (node) {
        const TTreeNode* parent = node->parent();
        const TTreeNode* grandparent = node->grandparent();
        const TTreeNode* root = grandparent ? grandparent : parent;
        const QString table = kinds::tableForKind(root ? root->text() : QString());
        if (entry.image == 1 && grandparent)
            count = sql::countSubcategory(table, node->text(), parent->text());
        else
            count = sql::countCategory(table, node->text());
    } else {
        // The tree no longer holds the folder the list showed: count by its name in the kind of
        // the selected place.
        count = sql::countCategory(kinds::tableForKind(selected ? selected->kindText() : QString()), caption);
    }
    rows.append(plainRow(QStringLiteral("拥有资料数："), countValue(count)));
    return out;
}
