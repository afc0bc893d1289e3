#include "browse/ListItems.h"

#include "browse/ListCaptions.h"
#include "common/Images.h"

#include <QIcon>
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

namespace {
// A list item that answers its picture number, its id and its tooltip (the caption it was made with, which
// may show elided) from members: a listing makes thousands of items, and each value stored in an item
// costs more than making the item itself. Values set later are stored and reported as usual.
class ListItem final : public QListWidgetItem {
public:
    ListItem(const QString& caption, int image, qint64 id)
        : QListWidgetItem(caption), m_caption(caption), m_image(image), m_id(id)
    { }

    QVariant data(int role) const override
    {
        if (role == kImageRole)
            return m_image;
        if (role == kIdRole)
            return m_id;
        if (role == Qt::ToolTipRole) {
            const QVariant set = QListWidgetItem::data(role);
            return set.isValid() ? set : QVariant(m_caption);
        }
        return QListWidgetItem::data(role);
    }

    void setData(int role, const QVariant& value) override
    {
        if (role == kImageRole)
            m_image = value.toInt();
        else if (role == kIdRole)
            m_id = value.toLongLong();
        QListWidgetItem::setData(role, value);  // tells the list of the change
    }

    QListWidgetItem* clone() const override { return new ListItem(*this); }

private:
    QString m_caption;
    int m_image;
    qint64 m_id;
};

QIcon iconFor(int image, bool largeIcons)
{
    return largeIcons ? images::listImage(image) : images::smallListImage(image);
}

QListWidgetItem* addWithIcon(QListWidget* list, const QString& caption, int image, qint64 id, const QIcon& icon)
{
    auto* item = new ListItem(caption, image, id);
    item->setIcon(icon);
    if (list)
        list->addItem(item);
    return item;
}
}  // namespace

QListWidgetItem* add(QListWidget* list, const QString& caption, int image, qint64 id, bool largeIcons)
{
    return addWithIcon(list, caption, image, id, iconFor(image, largeIcons));
}

void fill(QListWidget* list, const QList<ListEntry>& entries, bool largeIcons)
{
    list->clear();
    // Many items at once: lay them out once, not after each one, and look each picture up once.
    list->setUpdatesEnabled(false);
    int lastImage = -1;
    QIcon icon;
    for (const ListEntry& e : entries) {
        if (e.image != lastImage) {
            lastImage = e.image;
            icon = iconFor(e.image, largeIcons);
        }
        addWithIcon(list, e.caption, e.image, e.id, icon);
    }
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
