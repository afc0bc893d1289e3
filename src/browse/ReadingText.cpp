#include "browse/ReadingText.h"

#include "store/TFile.h"

QString readingText(const TFileText& file)
{
    QStringList lines = {
        QStringLiteral("作者：") + file.writer,
        QString(),
        QStringLiteral("所属分类：") + file.bigclassname + QStringLiteral("--->") + file.classname,
        QString(),
        QStringLiteral("创建时间：") + file.createtime,
        QString(),
    };
    lines += file.main;
    // The text control keeps its own line ends; each line is followed by one.
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
