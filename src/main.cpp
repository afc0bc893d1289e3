// Program entry: one instance per program directory; a second start wakes the first and ends.
#include "app/HeapSettings.h"
#include "app/QtTranslations.h"
#include "app/SingleInstance.h"
#include "app/TMainForm.h"
#include "store/TMainData.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <memory>

namespace {
void warn(const QString& text) { std::fprintf(stderr, "quillstash: %s\n", qUtf8Printable(text)); }
}  // namespace

int main(int argc, char** argv)
{
    heapsettings::keepFreedMemoryAtHand();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillstash"));
    // The menu entry `make install` writes; desktops match the running window to it by this name.
    QApplication::setDesktopFileName(QStringLiteral("quillstash"));
    QApplication::setQuitOnLastWindowClosed(false);  // hidden to the tray is still running
    if (!qttranslations::install(app))
        warn(QStringLiteral("Qt's Chinese translations are not installed (Debian package qt6-translations-l10n)"));

    SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.takeLock()) {
        instance.askFirstToShow();
        return 0;
    }
    if (!instance.holdsLock())
        warn(instance.errorString());

    const QString programDir = QCoreApplication::applicationDirPath();
    // The data files are named relative to the program directory before the first record exists.
    QDir::setCurrent(programDir);
    TMainForm form(programDir);
    QObject::connect(&instance, &SingleInstance::showRequested, &form, &TMainForm::secondInstanceRequest);
    form.FormCreate();
    if (form.terminateRequested())
        return 1;
    auto data = std::make_unique<TMainData>(programDir);
    MainData = data.get();
    data->setStatusSink(&form.statusSink());
    form.showMaximized();
    // Only now: a second start during start-up (an error box, say) must not show the window early.
    if (instance.holdsLock() && !instance.startListening())
        warn(instance.errorString());
    const int rc = QApplication::exec();
    MainData = nullptr;
    return rc;
}
