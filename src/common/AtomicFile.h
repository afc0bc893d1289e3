#pragma once
// Writes a whole file in one piece: a complete new file or the old one, never half of one. In a
// directory that only lets its files be rewritten in place (a shared install) it writes in place.
#include <QByteArray>
#include <QString>

struct FileWriteResult {
    bool ok = true;
    QString reason;  // the system's reason when it failed
    // "Cannot create file "path". reason", the framework's text for a failed write.
    QString frameworkText(const QString& path) const;
};

FileWriteResult writeWholeFile(const QString& path, const QByteArray& bytes);
