#pragma once
// The installation files that come with the program: Data.QSD, MTS.qs, QS.ini and QSHELP.html.
// The build (and the tests) lay them beside a program directory; the program itself never does.
#include <QString>

namespace install {
// The schema of an empty material database.
extern const char* const kSchema[];
// Bytes of the default category tree file (the three top nodes, GBK, CR LF).
QByteArray defaultTreeFile();
// Bytes of the default settings file.
QByteArray defaultSettingsFile();
// Creates an empty material database at path (fails if it exists). Returns false with error set.
bool createDatabase(const QString& path, QString* error);
// Lays every installation file that is absent in dir. Returns false with error set on failure.
bool layInstallationFiles(const QString& dir, QString* error);
}  // namespace install
