#include "browse/MaterialListWidget.h"

#include "browse/DetailPane.h"
#include "browse/ListItems.h"

#include <QListWidget>
#include <QToolButton>

void TMaterialListWidget::showEntries(const QList<ListEntry>& entries)
{
    listitems::fill(m_list, entries, listitems::viewStyle(m_list) == 0);
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
