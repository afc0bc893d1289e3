// Writes the program's icon as DIRECTORY/hicolor/NxN/apps/quillstash.png for each size N given;
// `make install` copies that tree into the user's icon theme folder.
#include "common/Images.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char** argv)
{
    // Drawing the icon needs no screen; the build may run without one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: quillstash-icon DIRECTORY SIZE...\n";
        return 2;
    }
    for (qsizetype i = 2; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            QTextStream(stderr) << "quillstash-icon: not a size: " << args.at(i) << "\n";
            return 2;
        }
        const QString dir = QDir(args.at(1)).filePath(QStringLiteral("hicolor/%1x%1/apps").arg(size));
        const QString file = QDir(dir).filePath(QStringLiteral("quillstash.png"));
        if (!QDir().mkpath(dir) || !images::appIconPicture(size).save(file, "PNG")) {
            QTextStream(stderr) << "quillstash-icon: cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}
