#pragma once
// A data module on a fresh installation directory, reporting to a recording status sink.
#include "TestData.h"

#include "RecordingStatus.h"
#include "store/TMainData.h"

struct StoreFixture {
    TestDataDir dir;
    RecordingStatus status;
    TMainData data {dir.path()};

    StoreFixture()
    {
        data.setStatusSink(&status);
        data.useAbsolutePath();
    }
    QString db() const { return dir.file(QStringLiteral("Data.QSD")); }
    // The value of one column of one row, read directly.
    QString raw(const QString& table, const QString& column, qint64 id) const
    {
        const QStringList values = dir.column(QStringLiteral("select %1 from %2 where id=?").arg(column, table), {id});
        return values.value(0);
    }
    qint64 lastId(const QString& table) const
    {
        return dir.column(QStringLiteral("select max(id) from %1").arg(table)).value(0).toLongLong();
    }
};
