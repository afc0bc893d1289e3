#include "tree/TreeFileKeeper.h"

#include "tree/CategoryTree.h"
#include "tree/CategoryTreeFile.h"

#include <QDebug>
#include <QDir>

bool TTreeFileKeeper::load()
{
    try {
        m_tree.load(loadTreeFile(m_path));
        return true;
    } catch (const EOpenFileError&) {
        return false;
    }
}

bool TTreeFileKeeper::save(QString* failure)
{
    ++m_saveCount;
    if (!m_backupKept) {
        QString why;
        m_backupKept = keepBackupCopy(m_path, &why);
        if (!m_backupKept)
            qWarning().noquote() << "cannot keep" << m_path + QStringLiteral(".bak") << why;
    }
    QString error;
    QString reason;
    if (saveTreeFile(m_path, m_tree.snapshot(), &error, &reason))
        return true;
    if (failure)
        *failure = QStringLiteral("无法保存分类树文件“%1”：%2").arg(QDir::toNativeSeparators(m_path), reason);
    return false;
}
