// Reading a material in the main window or in viewer windows.
#include "app/SettingsFile.h"
#include "app/TMainForm.h"
#include "browse/TNewFrmViewer.h"
#include "browse/ViewerFont.h"
#include "store/TFile.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QVariant>

namespace {
// The material id an action label carries.
qint64 labelTag(const QLabel* label) { return label->property("tag").toLongLong(); }
}  // namespace

void TMainForm::ViewInThisFrm(QLabel* label)
{
    if (!label)
        return;
    ThisFrmViewer->clear();
    TFileText file;
    file.LoadById(labelTag(label));
    viewerfont::setBackground(ThisFrmViewer, ViewerColor);
    ThisFrmFontInit();
    ThisFrmViewer->setPlainText(readingText(file));
    ThisFrmViewer->show();
    ThisFrmViewer->raise();
}

void TMainForm::ViewInNewFrm(QLabel* label)
{
    if (!label)
        return;
    const QString caption = label->text();
    const qint64 id = labelTag(label);
    if (ViewerWindowMode == 0) {
        if (TNewFrmViewer* shared = TNewFrmViewer::findByCaption(OpenViewerCaption)) {
            const int content = caption == viewInNewWindowCaption() ? ViewerTextMaterial
                                : caption == viewDescriptionCaption() ? ViewerDescription
                                                                      : -1;
            shared->ReView(content, id);
            return;
        }
    }
    new TNewFrmViewer(caption, id);  // owns itself: destroyed when closed
}

void TMainForm::ThisFrmFontInit()
{
    // A settings file that cannot give the font leaves the previous font; the material is still
    // shown and the reason goes to the status bar.
    QString error;
    if (!viewerfont::applyFromSettings(ThisFrmViewer, settingsFilePath(), &error))
        MainStatus->showMessage(error);
}

void TMainForm::clearOpenViewerCaption() { OpenViewerCaption.clear(); }
