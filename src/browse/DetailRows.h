#pragma once
// The rows the details pane shows for a list item: a kind root with its categories and its number of
// materials, a category or subcategory with its subcategories and its number of materials, or the
// fields of one material, with the actions laid over some rows.
#include "browse/MaterialList.h"

#include <QList>
#include <QString>

class BodyLines;
class TCategoryTree;
class TTreeNode;

struct DetailRow {
    enum class Action { None, ViewInThisFrm, ViewInNewFrm, RunDetail };
    QString name;
    QString value;
    Action action = Action::None;
    QString actionCaption;  // the label's caption
    qint64 tag = 0;  // the material id the label carries
    bool operator==(const DetailRow& o) const
    {
        return name == o.name && value == o.value && action == o.action && actionCaption == o.actionCaption
            && tag == o.tag;
    }
};

struct DetailContent {
    QList<DetailRow> rows;
    // An example material's path: what "运行资料" runs (empty for other items).
    QString runPath;
    bool isExample = false;
    // Set when the material could not be loaded: the record's failure text, for the status bar.
    QString loadFailure;
};

// The action captions.
namespace detailactions {
inline QString viewHere() { return QStringLiteral("在当前窗口浏览"); }
inline QString viewInNewWindow() { return QStringLiteral("在新窗口中浏览"); }
inline QString viewDescription() { return QStringLiteral("在新窗口浏览简介"); }
inline QString run() { return QStringLiteral("运行资料"); }
}  // namespace detailactions

// The rows for entry. selected is the tree node whose listing holds the entry (folder items are its
// children); viewMode decides how a text material is read. Counts and loads go to the database.
DetailContent detailContent(const ListEntry& entry, const TCategoryTree& tree, const TTreeNode* selected, int viewMode);

// The preview of a body or description: its first maxBytes GBK bytes, then "..." and five spaces.
QString detailPreview(const BodyLines& lines, int maxBytes);
