#pragma once
// The item format of the material list and the hidden search-result list: caption, image index
// (0 folder with children, 1 folder without, 3 kind root, 4 text material, 5 example material)
// and the indent field holding a material's id (0 for other items).
#include "browse/MaterialList.h"

#include <QList>
#include <QString>

class QListWidget;
class QListWidgetItem;

namespace listitems {
// The list's item for an entry; largeIcons picks the 24 x 24 pictures of the large-icon view.
QListWidgetItem* add(QListWidget* list, const QString& caption, int image, qint64 id = 0, bool largeIcons = false);
// Replaces the items of list by entries.
void fill(QListWidget* list, const QList<ListEntry>& entries, bool largeIcons);
// The list view style: 0 large icons, 1 small icons, 2 list (any other value: large icons). The list's
// captions are drawn by a listcaptions::CaptionDelegate, set here the first time.
void setViewStyle(QListWidget* list, int style);
int viewStyle(const QListWidget* list);
int image(const QListWidgetItem* item);
qint64 id(const QListWidgetItem* item);  // the indent field
bool isMaterial(const QListWidgetItem* item);  // image 4 or 5
// The single selected item of list, or nullptr.
QListWidgetItem* selected(const QListWidget* list);
}  // namespace listitems
