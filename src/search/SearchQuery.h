#pragma once
// The search statement and its run, kept free of widgets so they can be driven directly.
#include "store/ContentIndex.h"
#include "store/Statements.h"

#include <QDate>
#include <QList>
#include <QString>

class TMainData;

namespace search {

// The combo-box entry that stands for every category or subcategory.
inline QString allCategories() { return QStringLiteral("全部类别"); }

// What the user asked for. Empty kind, category or subcategory means nothing was chosen.
struct SearchInput {
    QString kind;  // "文字资料" or "实例资料"
    QString category;  // a category name or allCategories()
    QString subcategory;  // a subcategory name or allCategories()
    QString titleKey;  // matched anywhere inside titles
    bool contents = false;  // the keyword may stand in the body or description instead
    QString author;  // matched exactly
    bool useTime = false;  // restrict to the creation-time range below
    QDate beginDate;
    QDate endDate;
};

// The message that refuses the input, or an empty text when it can be searched.
QString validate(const SearchInput& input);

// The select for a validated input without the index: every value bound, the keyword taken literally. A
// contents search reads every body.
Statement buildStatement(const SearchInput& input);
// The same with the keyword's condition given (the index's, see runWithIndex).
Statement buildStatement(const SearchInput& input, const Statement& keyword);

// Whether the input searches the contents too (the box is ticked and there is a keyword).
inline bool searchesContents(const SearchInput& input) { return input.contents && !input.titleKey.isEmpty(); }

// The text a stored title must contain to match keyword, with LIKE's wildcards and the escape
// character itself escaped by a backslash.
QString likePattern(const QString& keyword);

// One material found: its id and its title as the user reads it.
struct SearchHit {
    qint64 id = 0;
    QString title;
};

// Runs st and appends the hits in result order. On failure returns false with the error text; the
// hits read before the failure stay in hits.
bool run(TMainData& data, const Statement& st, QList<SearchHit>& hits, QString* error);

// Runs a search with a title keyword (in the contents too when the input says so) on a connection of its own, so
// that it can run beside the window: through the index when useIndex and the index is in step (after bringing
// rows a killed run left pending up to date), else by reading every title or body. indexState says what the
// index was found to be. On failure returns false with the error text; the hits read before it stay.
bool runWithIndex(const QString& databasePath, const SearchInput& input, bool useIndex, QList<SearchHit>& hits,
    QString* error, contentindex::State* indexState);

}  // namespace search
