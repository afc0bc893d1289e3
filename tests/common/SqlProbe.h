#pragma once
// Straight access to a database file for tests, the way another program would reach it: reading a
// column, and holding a lock the program has to meet.
#include "store/Sqlite.h"

#include <QStringList>

namespace sqlprobe {

// The first column of every row of sql on the file at path (nothing when it cannot be read); the file is
// opened read-only when asked, and never created.
inline QStringList column(const QString& path, const QString& sql, bool readOnly = false)
{
    QStringList out;
    sqlite::Connection db;
    if (!db.open(path, readOnly ? sqlite::Connection::Access::ReadOnly : sqlite::Connection::Access::ReadWrite).ok())
        return out;
    sqlite::Statement st(db, sql);
    while (st.isValid() && st.step() == sqlite::Statement::Step::Row)
        out.append(st.isNull(0) ? QString() : st.text(0));
    return out;
}

// Another connection holding a transaction on the file for as long as it lives ("BEGIN IMMEDIATE" holds
// the write lock, "BEGIN EXCLUSIVE" keeps readers out too in a rollback-journal file).
class HeldLock final {
public:
    explicit HeldLock(const QString& path, const QString& begin = QStringLiteral("BEGIN IMMEDIATE"))
    {
        m_held = m_db.open(path).ok() && m_db.exec(begin).ok();
    }
    ~HeldLock()
    {
        if (m_held)
            m_db.exec(QStringLiteral("ROLLBACK"));
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    bool held() const { return m_held; }
    sqlite::Connection& connection() { return m_db; }

private:
    sqlite::Connection m_db;
    bool m_held = false;
};

}  // namespace sqlprobe
