#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qttranslations {
QTranslator* install(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    // qtbase holds the widgets' texts; Debian ships it in qt6-translations-l10n.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    if (!QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}
}  // namespace qttranslations
