#include "search/SearchQuery.h"

#include "store/Escaping.h"
#include "store/TMainData.h"

#include "store/Sqlite.h"
#include <QDir>
#include <QFileInfo>
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

Statement buildStatement(const SearchInput& input, bool indexed)
{
    return buildStatement(input,
        searchesContents(input) ? contentindex::contentsCondition(tableForKind(input.kind), input.titleKey, indexed)
                                : Statement());
}

Statement buildStatement(const SearchInput& input, const Statement& contents)
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
    if (searchesContents(input)) {
        conditions << contents.sql;
        st.values << contents.values;
    } else if (!input.titleKey.isEmpty()) {
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

namespace {
// A result row of the search select: id, stored title.
SearchHit hitOf(sqlite::Statement& row) { return SearchHit {row.int64(0), UnescapeTitleText(row.text(1))}; }
}  // namespace

bool run(TMainData& data, const Statement& st, QList<SearchHit>& hits, QString* error)
{
    return data.select(
        st,
        [&hits](TMainData::Row& q) {
            hits.append(hitOf(q));
            return true;
        },
        error);
}

namespace {
bool runOn(sqlite::Connection& connection, const Statement& st, QList<SearchHit>& hits, QString* error)
{
    sqlite::Statement statement(connection, st.sql);
    sqlite::Error e = statement.isValid() ? statement.bindAll(st.values) : statement.error();
    while (e.ok()) {
        const sqlite::Statement::Step step = statement.step();
        if (step == sqlite::Statement::Step::Done)
            return true;
        if (step == sqlite::Statement::Step::Failed)
            e = statement.error();
        else
            hits.append(hitOf(statement));
    }
    if (error)
        *error = e.message;
    return false;
}
}  // namespace

bool runContents(const QString& databasePath, const SearchInput& input, bool useIndex, QList<SearchHit>& hits,
    QString* error, contentindex::State* indexState)
{
    contentindex::State state = contentindex::State::Unusable;
    auto report = [&](bool ok) {
        if (indexState)
            *indexState = state;
        return ok;
    };
    if (!QFileInfo::exists(databasePath)) {
        if (error)
            *error = QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(databasePath));
        return report(false);
    }
    sqlite::Connection connection;
    if (const sqlite::Error e = connection.open(databasePath); !e.ok()) {
        if (error)
            *error = e.message;
        return report(false);
    }
    if (useIndex)
        state = contentindex::attach(connection, contentindex::pathFor(databasePath), nullptr);
    if (state == contentindex::State::Ready) {
        const qsizetype before = hits.size();
        // The index gives the ids first; the materials' other conditions and titles are then read with them.
        const QString table = tableForKind(input.kind);
        std::vector<qint64> ids;
        bool ok = contentindex::findIds(connection, table, input.titleKey, ids, error);
        if (ok && ids.empty())
            return report(true);
        sqlite::Statement count(connection, QStringLiteral("select count(*) from ") + table);
        ok = ok && count.isValid() && count.step() == sqlite::Statement::Step::Row;
        if (ok) {
            const qint64 rows = count.int64(0);
            count = sqlite::Statement();
            const contentindex::IdFilter found(connection, std::move(ids));
            if (runOn(connection, buildStatement(input, found.condition(rows)), hits, error))
                return report(true);
        }
        // An index that fails to answer (damaged on disk) is not asked again: the rows are read instead.
        hits.resize(before);
        state = contentindex::State::Outdated;
    }
    return report(runOn(connection, buildStatement(input, false), hits, error));
}

}  // namespace search
