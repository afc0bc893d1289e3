#include "browse/ReadingText.h"

#include "store/TFile.h"

QString readingText(const TFileText& file)
{
    // The text control keeps its own line ends; each line is followed by one. The body is taken as one
    // text, not as thousands of line strings.
    return QStringLiteral("作者：") + file.writer + QStringLiteral("\n\n所属分类：") + file.bigclassname
        + QStringLiteral("--->") + file.classname + QStringLiteral("\n\n创建时间：") + file.createtime
        + QStringLiteral("\n\n") + file.main.text(u"\n");
}
