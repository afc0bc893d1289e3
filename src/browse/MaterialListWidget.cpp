#include "browse/MaterialListWidget.h"

#include "browse/DetailPane.h"
#include "browse/ListItems.h"

#include <QListWidget>
#include <QScrollBar>
#include <QToolButton>

#include <optional>

void TMaterialListWidget::showEntries(const QList<ListEntry>& entries, bool samePlace)
{
    // What to keep when the same place is listed again: the item the user was at, and the view's place.
    std::optional<ListEntry> kept;
    const int horizontal = m_list->horizontalScrollBar()->value();
    const int vertical = m_list->verticalScrollBar()->value();
    if (samePlace) {
        if (const QListWidgetItem* item = listitems::selected(m_list))
            kept = ListEntry {item->text(), listitems::image(item), listitems::id(item)};
    }
    listitems::fill(m_list, entries, listitems::viewStyle(m_list) == 0);
    if (!samePlace)
        return;
    if (kept) {
        const int row = int(entries.indexOf(*kept));
        if (row >= 0)
            m_list->setCurrentRow(row);
    }
    m_list->doItemsLayout();
    m_list->horizontalScrollBar()->setValue(horizontal);
    m_list->verticalScrollBar()->setValue(vertical);
}

int TMaterialListWidget::selectedIndex() const
{
    const QList<QListWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? -1 : m_list->row(items.first());
}

void TMaterialListWidget::clearDetails() { m_details.clear(); }

void TMaterialListWidget::setCategoryButtonsEnabled(bool enabled)
{
    for (QToolButton* button : std::as_const(m_categoryButtons))
        button->setEnabled(enabled);
}

void TMaterialListWidget::setAddMaterialEnabled(bool enabled) { m_addButton->setEnabled(enabled); }

void TMaterialListWidget::hideReader() { m_reader->hide(); }
