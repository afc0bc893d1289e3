#include "Rig.h"

#include "store/TFile.h"

Rig::Rig(const TestDataDir& dir) : data(dir.path()), treeFile(dir.file(QStringLiteral("MTS.qs")), tree)
{
    data.setStatusSink(&status);
    data.useAbsolutePath();
    MainData = &data;
    treeFile.load();
    list.showKindRoots();  // what the list shows at start-up
}

Rig::~Rig()
{
    if (MainData == &data)
        MainData = nullptr;
}

void Rig::click(const QStringList& path)
{
    select(path);
    list.MainTreeViewClick();
}

bool Rig::selectItem(const QString& caption)
{
    for (int i = 0; i < view.entries.size(); ++i) {
        if (view.entries.at(i).caption == caption) {
            view.selected = i;
            return true;
        }
    }
    return false;
}

QStringList Rig::captions() const
{
    QStringList out;
    for (const ListEntry& e : view.entries)
        out.append(e.caption);
    return out;
}

QStringList Rig::described() const
{
    QStringList out;
    for (const ListEntry& e : view.entries)
        out.append(QStringLiteral("%1/%2/%3").arg(e.caption).arg(e.image).arg(e.id));
    return out;
}

void Rig::showKindRoots()
{
    ++kindRootListings;
    list.showKindRoots();
}

void Rig::runAddDialog(const QString& kind, const QStringList& placement)
{
    dialogs.append(QStringLiteral("add %1 %2/%3").arg(kind, placement.value(1), placement.value(2)));
}

void Rig::runEditDialog(const TFile& record, bool text, const QStringList& placement)
{
    dialogs.append(
        QStringLiteral("edit %1 %2 %3")
            .arg(text ? QStringLiteral("text") : QStringLiteral("example"), placement.value(4), record.title));
}

void Rig::relist()
{
    ++relists;
    list.MainListShow();
}
