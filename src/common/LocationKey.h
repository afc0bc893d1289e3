#pragma once
// The location key of a tree place (kind root, category, subcategory).
#include <QString>

// A tree place: kind root text, category text and subcategory text. The text form joins them with
// "-" and writes "null" for a missing level; the parts are kept so that names holding "-" or equal
// to "null" still navigate correctly.
struct LocationKey {
    QString kind;
    QString category;  // empty when the place is a kind root
    QString subcategory;  // empty when the place is a kind root or a category
    int depth = 0;  // 0 none (empty key), 1 kind root, 2 category, 3 subcategory

    static LocationKey root(const QString& kind) { return {kind, QString(), QString(), 1}; }
    static LocationKey category_(const QString& kind, const QString& cat) { return {kind, cat, QString(), 2}; }
    static LocationKey subcategory_(const QString& kind, const QString& cat, const QString& sub)
    {
        return {kind, cat, sub, 3};
    }
    bool isEmpty() const { return depth == 0; }
    // 文字资料-算法-排序, 实例资料-null-null
    QString text() const
    {
        if (depth == 0)
            return QString();
        const QString null = QStringLiteral("null");
        return kind + QLatin1Char('-') + (depth >= 2 ? category : null) + QLatin1Char('-')
            + (depth >= 3 ? subcategory : null);
    }
    bool operator==(const LocationKey& o) const
    {
        return depth == o.depth && kind == o.kind && category == o.category && subcategory == o.subcategory;
    }
    bool operator!=(const LocationKey& o) const { return !(*this == o); }
};
