#include "search/SearchQuery.h"

#include "store/Escaping.h"
#include "store/TMainData.h"

#include "store/Sqlite.h"
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QVariant>

#include <thread>

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

namespace {
// Creation times are "yyyy-MM-dd HH:mm:ss" (or the date alone at midnight), so text order is time order.
bool restrictsTime(const SearchInput& input)
{
    return input.useTime && input.beginDate.isValid() && input.endDate.isValid() && input.beginDate <= input.endDate;
}
}  // namespace

Statement buildStatement(const SearchInput& input)
{
    if (searchesContents(input))
        return buildStatement(input, contentindex::contentsCondition(tableForKind(input.kind), input.titleKey));
    if (input.titleKey.isEmpty())
        return buildStatement(input, Statement());
    return buildStatement(input, Statement {QStringLiteral("title like ? escape '\\'"), {likePattern(input.titleKey)}});
}

Statement buildStatement(const SearchInput& input, const Statement& keyword)
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
        conditions << keyword.sql;
        st.values << keyword.values;
    }
    if (!input.author.isEmpty()) {
        conditions << QStringLiteral("writer=?");
        st.values << input.author;
    }
    // The range runs from the first day's start to just before the day after the last.
    if (restrictsTime(input)) {
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
// titlesStored: the select gives titles as stored (else unescaped already).
bool runOn(sqlite::Connection& connection, const Statement& st, QList<SearchHit>& hits, QString* error,
    bool titlesStored = true)
{
    sqlite::Statement statement(connection, st.sql);
    sqlite::Error e = statement.isValid() ? statement.bindAll(st.values) : statement.error();
    while (e.ok()) {
        const sqlite::Statement::Step step = statement.step();
        if (step == sqlite::Statement::Step::Done)
            return true;
        if (step == sqlite::Statement::Step::Failed)
            e = statement.error();
        else if (titlesStored)
            hits.append(hitOf(statement));
        else
            hits.append(SearchHit {statement.int64(0), statement.text(1)});
    }
    if (error)
        *error = e.message;
    return false;
}
}  // namespace

namespace {
// The titles of the materials found, from the index alone: the upper half of a large result on a second thread.
bool readNames(sqlite::Connection& connection, const contentindex::Found& found, QList<SearchHit>& hits, QString* error)
{
    const qint64 split = found.splitPoint();
    if (split < 0)
        return runOn(connection, found.namesSelect(), hits, error, false);
    QList<SearchHit> upper;
    upper.reserve(found.size() / 2 + 1);
    QString upperError;
    bool upperOk = false;
    std::thread second([&] {
        upperOk = runOn(
            *found.helper(), found.namesSelect({split + 1, contentindex::IdRange().last}), upper, &upperError, false);
    });
    const bool ok = runOn(connection, found.namesSelect({0, split}), hits, error, false);
    second.join();
    if (ok && !upperOk && error)
        *error = upperError;
    hits.append(std::move(upper));
    return ok && upperOk;
}
}  // namespace

bool runWithIndex(const QString& databasePath, const SearchInput& input, bool useIndex, QList<SearchHit>& hits,
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
    // A second connection lets a second thread read half of a large result; it is opened meanwhile, on that
    // thread (it outlives found below).
    sqlite::Connection helper;
    bool helped = false;
    if (useIndex && !input.titleKey.isEmpty()) {
        std::thread opening([&] {
            helped = contentindex::openWithIndex(helper, databasePath, contentindex::pathFor(databasePath), nullptr);
        });
        state = contentindex::attach(connection, contentindex::pathFor(databasePath), nullptr);
        opening.join();
    }
    if (state == contentindex::State::Ready) {
        const qsizetype before = hits.size();
        // The index gives the ids first; the materials' other conditions and titles are then read with them.
        const contentindex::Scope scope
            = input.contents ? contentindex::Scope::TitlesAndBodies : contentindex::Scope::Titles;
        contentindex::Found found(connection, tableForKind(input.kind), input.titleKey, scope);
        if (helped)
            found.setHelper(&helper);
        const bool ok = found.read(error);
        if (ok && found.isEmpty())
            return report(true);
        if (ok) {
            hits.reserve(before + found.size());  // at most one hit per id
            // With no other condition the index alone answers, titles included.
            const bool keywordOnly = input.category == allCategories() && input.subcategory == allCategories()
                && input.author.isEmpty() && !restrictsTime(input);
            if (keywordOnly && readNames(connection, found, hits, error))
                return report(true);
            if (!keywordOnly && runOn(connection, buildStatement(input, found.condition()), hits, error))
                return report(true);
        }
        // An index that fails to answer (damaged on disk) is not asked again: the rows are read instead.
        hits.resize(before);
        state = contentindex::State::Outdated;
    }
    return report(runOn(connection, buildStatement(input), hits, error));
}

}  // namespace search
