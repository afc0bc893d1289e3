#pragma once
// The material list as the main window shows it: the list control, the toolbar buttons the listing turns
// on and off, the reading pane it hides and the details pane it empties.
#include "browse/MaterialList.h"

#include <QList>

class QListWidget;
class QToolButton;
class QWidget;
class TDetailPane;

class TMaterialListWidget final : public MaterialListView {
public:
    TMaterialListWidget(QListWidget* list, QList<QToolButton*> categoryButtons, QToolButton* addButton, QWidget* reader,
        TDetailPane& details)
        : m_list(list), m_categoryButtons(std::move(categoryButtons)), m_addButton(addButton), m_reader(reader),
          m_details(details)
    { }

    void showEntries(const QList<ListEntry>& entries, bool samePlace) override;
    int selectedIndex() const override;
    void clearDetails() override;
    void setCategoryButtonsEnabled(bool enabled) override;
    void setAddMaterialEnabled(bool enabled) override;
    void hideReader() override;

private:
    QListWidget* m_list;
    QList<QToolButton*> m_categoryButtons;
    QToolButton* m_addButton;
    QWidget* m_reader;
    TDetailPane& m_details;
};
