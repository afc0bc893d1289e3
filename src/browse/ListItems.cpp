#include "browse/ListItems.h"

#include "browse/ListCaptions.h"
#include "common/Images.h"

#include <QListWidget>

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kIdRole = Qt::UserRole + 2;
const char* const kStyleProperty = "qsViewStyle";
// Room between large-icon cells, and around small-icon and list items.
constexpr int kLargeGap = 8;
constexpr int kSmallGap = 2;
}  // namespace

namespace listitems {

QListWidgetItem* add(QListWidget* list, const QString& caption, int image, qint64 id, bool largeIcons)
{
    auto* item = new QListWidgetItem(caption);
    item->setData(kImageRole, image);
    item->setData(kIdRole, id);
    item->setToolTip(caption);  // the caption may show elided
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
    if (!qobject_cast<listcaptions::CaptionDelegate*>(list->itemDelegate()))
        list->setItemDelegate(new listcaptions::CaptionDelegate(list));
    switch (style) {
    case 0:  // large icons: a grid of cells the same size
        list->setViewMode(QListView::IconMode);
        list->setFlow(QListView::LeftToRight);
        list->setIconSize(QSize(32, 32));
        list->setGridSize(listcaptions::CaptionDelegate::largeItemSize(list) + QSize(kLargeGap, kLargeGap));
        list->setWordWrap(true);
        break;
    case 1:  // small icons: rows of small icons, each item as wide as its caption
        list->setViewMode(QListView::ListMode);
        list->setFlow(QListView::LeftToRight);
        list->setIconSize(QSize(16, 16));
        list->setGridSize(QSize());
        list->setWordWrap(false);
        break;
    default:  // list: columns of small icons, each as wide as its widest caption
        list->setViewMode(QListView::ListMode);
        list->setFlow(QListView::TopToBottom);
        list->setIconSize(QSize(16, 16));
        list->setGridSize(QSize());
        list->setWordWrap(false);
        break;
    }
    // Every large-icon item has the size of its cell, so the list may size one and lay out all; the
    // other styles size each item by its caption (the delegate does so without laying text out).
    list->setUniformItemSizes(style == 0);
    list->setSpacing(style == 0 ? 0 : kSmallGap);
    list->setTextElideMode(Qt::ElideMiddle);
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
