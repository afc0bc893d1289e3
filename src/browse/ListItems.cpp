#include "browse/ListItems.h"

#include "app/Images.h"
#include "app/TMainForm.h"

#include <QListWidget>

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kIdRole = Qt::UserRole + 2;
}  // namespace

namespace listitems {

QListWidgetItem* add(QListWidget* list, const QString& caption, int image, qint64 id)
{
    auto* item = new QListWidgetItem(caption);
    item->setData(kImageRole, image);
    item->setData(kIdRole, id);
    item->setToolTip(caption);  // long titles are elided under their icon
    // The main list shows large pictures in the large-icon view, small ones otherwise.
    const bool large = MainForm && list == MainForm->MainList && MainForm->listViewStyle() == 0;
    item->setIcon(large ? images::listImage(image) : images::smallListImage(image));
    if (list)
        list->addItem(item);
    return item;
}

int image(const QListWidgetItem* item) { return item ? item->data(kImageRole).toInt() : -1; }

qint64 id(const QListWidgetItem* item) { return item ? item->data(kIdRole).toLongLong() : 0; }

bool isMaterial(const QListWidgetItem* item)
{
    const int i = image(item);
    return i == 4 || i == 5;
}

QListWidgetItem* selected(const QListWidget* list)
{
    if (!list)
        return nullptr;
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

}  // namespace listitems
