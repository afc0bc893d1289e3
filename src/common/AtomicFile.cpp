#include "common/AtomicFile.h"

#include <QDir>
#include <QSaveFile>

QString FileWriteResult::frameworkText(const QString& path) const
{
    return QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason);
}

FileWriteResult writeWholeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    FileWriteResult result;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        result.ok = false;
        result.reason = file.errorString();
    }
    return result;
}
