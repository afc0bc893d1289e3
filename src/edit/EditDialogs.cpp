#include "edit/EditDialogs.h"

#include "common/Kinds.h"
#include "common/ModalDialog.h"
#include "edit/TAddFileExeFrm.h"
#include "edit/TAddFileForm.h"
#include "store/TFile.h"

void editdialogs::runAdd(QWidget* owner, const QString& kind, const QStringList& placement)
{
    if (kind == kinds::textRoot())
        runModal(new TAddFileForm(owner, placement));
    else
        runModal(new TAddFileExeFrm(owner, placement));
}

void editdialogs::runEdit(QWidget* owner, const TFile& record, bool text, const QStringList& placement)
{
    if (text)
        runModal(new TAddFileForm(owner, static_cast<const TFileText&>(record), placement));
    else
        runModal(new TAddFileExeFrm(owner, static_cast<const TFileExe&>(record), placement));
}
