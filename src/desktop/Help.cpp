#include "desktop/Help.h"

#include "common/ModalDialog.h"

#include "common/Opener.h"
#include "common/Prompts.h"
#include "desktop/TAboutForm.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace help {

void N41Click(QWidget* parent, const QString& programDir)
{
    const QString path = QDir(programDir).filePath(QStringLiteral("QSHELP.html"));
    if (!QFileInfo::exists(path)) {
        prompts().warn(parent, QStringLiteral("找不到帮助文件%1，请重新安装！").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!opener().open(QUrl::fromLocalFile(path)))
        prompts().warn(parent, QStringLiteral("无法打开帮助文件%1。").arg(QDir::toNativeSeparators(path)));
}

void N43Click(QWidget* parent)
{
    prompts().info(parent, QStringLiteral("Quillstash 没有作者的电子邮件地址，暂时无法来信。"));
}

void N44Click(QWidget* parent)
{
    prompts().info(parent, QStringLiteral("Quillstash 没有自己的网站，帮助请看“帮助 → 主题”。"));
}

void N46Click(QWidget* parent)
{
    TAboutForm about(parent);
    execWindowModal(about);
}

}  // namespace help
