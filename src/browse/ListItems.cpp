#include "browse/ListItems.h"

#include "common/Images.h"

#include <QListWidget>

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kIdRole = Qt::UserRole + 2;
const char* const kStyleProperty = "qsViewStyle";
}  // namespace

namespace listitems {

QListWidgetItem* add(QListWidget* list, const QString& caption, int image, qint64 id, bool largeIcons)
{
    auto* item = new QListWidgetItem(caption);
    item->setData(kImageRole, image);
    item->setData(kIdRole, id);
    item->setToolTip(caption);  // long titles are elided under their icon
    item->setIcon(largeIcons ? images::listImage(image) : images::smallListImage(image));
    if (list)
        list->addItem(item);
    return item;
}

void fill(QListWidget* list, const QList<ListEntry>& entries, bool largeIcons)
{
    list->clear();
    // Many items at once: lay them out once, not after each one.
    list->setUpdatesEnabled(false);
    for (const ListEntry& e : entries)
        add(list, e.caption, e.image, e.id, largeIcons);
    list->setUpdatesEnabled(true);
}

void setViewStyle(QListWidget* list, int style)
{
    style = (style == 1 || style == 2) ? style : 0;
    list->setProperty(kStyleProperty, style);
    switch (style) {
    case 0:  // large icons
        list->setViewMode(QListView::IconMode);
        list->setFlow(QListView::LeftToRight);
        list->setIconSize(QSize(32, 32));
        list->setGridSize(QSize(112, 72));
        list->setWordWrap(true);
        break;
    case 1:  // small icons: rows of small icons
        list->setViewMode(QListView::ListMode);
        list->setFlow(QListView::LeftToRight);
        list->setIconSize(QSize(16, 16));
        list->setGridSize(QSize(150, 22));
        list->setWordWrap(false);
        break;
    default:  // list: columns of small icons
        list->setViewMode(QListView::ListMode);
        list->setFlow(QListView::TopToBottom);
        list->setIconSize(QSize(16, 16));
        list->setGridSize(QSize());
        list->setWordWrap(false);
        break;
    }
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    // Items take their icon from the list's image lists whenever the style changes.
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setIcon(style == 0 ? images::listImage(image(item)) : images::smallListImage(image(item)));
    }
}

int viewStyle(const QListWidget* list) { return list->property(kStyleProperty).toInt(); }

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
