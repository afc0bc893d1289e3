#include "search/SearchQuery.h"

#include "store/Escaping.h"
#include "store/TMainData.h"

#include "store/Sqlite.h"
#include <QStringList>
#include <QVariant>

namespace search {

QString validate(const SearchInput& input)
{
    if (input.kind.isEmpty() || input.category.isEmpty() || input.subcategory.isEmpty())
        return QStringLiteral("请选择搜索范围！");
    if (input.titleKey.isEmpty() && input.author.isEmpty())
        return QStringLiteral("标题关键字和作者至少填写一样！");
    return QString();
}

QString likePattern(const QString& keyword)
{
    // A keyword is text to find, not a pattern: "50%" finds titles holding "50%", and "a_b" does
    // not match "axb". Titles are matched in their stored form, so "it's" finds "it+(DYH)+s".
    const QString stored = EscapeTitleText(keyword);
    QString escaped;
    escaped.reserve(stored.size() + 2);
    escaped += QLatin1Char('%');
    for (const QChar c : stored) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    escaped += QLatin1Char('%');
    return escaped;
}

Statement buildStatement(const SearchInput& input)
{
    Statement st;
    QStringList conditions;
    if (input.category != allCategories()) {
        conditions << QStringLiteral("bigclassname=?");
        st.values << input.category;
    }
    if (input.subcategory != allCategories()) {
        conditions << QStringLiteral("classname=?");
        st.values << input.subcategory;
    }
    if (!input.titleKey.isEmpty()) {
        conditions << QStringLiteral("title like ? escape '\\'");
        st.values << likePattern(input.titleKey);
    }
    if (!input.author.isEmpty()) {
        conditions << QStringLiteral("writer=?");
        st.values << input.author;
    }
    // Creation times are "yyyy-MM-dd HH:mm:ss" (or the date alone at midnight), so text order is
    // time order: the range runs from the first day's start to just before the day after the last.
    if (input.useTime && input.beginDate.isValid() && input.endDate.isValid() && input.beginDate <= input.endDate) {
        conditions << QStringLiteral("createtime>=?") << QStringLiteral("createtime<?");
        st.values << input.beginDate.toString(QStringLiteral("yyyy-MM-dd"))
                  << input.endDate.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    }
    st.sql = QStringLiteral("select id,title from ") + tableForKind(input.kind);
    if (!conditions.isEmpty())
        st.sql += QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));
    return st;
}

bool run(TMainData& data, const Statement& st, QList<SearchHit>& hits, QString* error)
{
    return data.select(
        st,
        [&hits](TMainData::Row& q) {
            hits.append(SearchHit {q.int64(0), UnescapeTitleText(q.text(1))});
            return true;
        },
        error);
}

}  // namespace search
