// Lays the installation files (Data.QSD, MTS.qs, QS.ini, QSHELP.html) in the directory given,
// leaving every file that is already there untouched.
#include "app/InstallFiles.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: quillstash-lay DIRECTORY\n";
        return 2;
    }
    QString error;
    if (!install::layInstallationFiles(args.at(1), &error)) {
        QTextStream(stderr) << "quillstash-lay: " << error << "\n";
        return 1;
    }
    return 0;
}
