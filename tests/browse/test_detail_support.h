#pragma once
// Helpers shared by the details pane and viewer tests: a main window on a test directory, item
// selection as a user makes it, and the pane's rows and action labels.
#include "common/TestData.h"

#include "common/SettingsFile.h"
#include "store/TMainData.h"

#include <QLabel>
#include <QListWidget>
#include <QTableWidget>

namespace detailtest {

inline const QStringList kDetailTree = {
    QStringLiteral("文字资料0"),
    QStringLiteral("+算法1"),
    QStringLiteral("++排序2"),
    QStringLiteral("++查找2"),
    QStringLiteral("+网络1"),
    QStringLiteral("+工具1"),
    QStringLiteral("++编辑器2"),
    QStringLiteral("实例资料0"),
    QStringLiteral("+软件1"),
    QStringLiteral("搜索结果0"),
};

// A main window on the directory, whose data module reads the directory's database whatever the
// current directory is. Start-up reads the viewing modes from the settings file: set them after.
struct DetailApp {
    explicit DetailApp(const TestDataDir& dir, bool show = false) : app(dir, show) { MainData->useAbsolutePath(); }
    TMainForm& form() { return app.form(); }
    TMainForm* operator->() { return &app.form(); }
    TestApp app;
};

struct ModeGuard {
    int viewMode = ViewMode;
    int windowMode = ViewerWindowMode;
    ~ModeGuard()
    {
        ViewMode = viewMode;
        ViewerWindowMode = windowMode;
    }
};

// "name=value" of every row.
inline QStringList rows(const QTableWidget* table)
{
    QStringList out;
    for (int row = 0; row < table->rowCount(); ++row)
        out.append(table->item(row, 0)->text() + QLatin1Char('=') + table->item(row, 1)->text());
    return out;
}

inline QListWidgetItem* listItem(QListWidget* list, const QString& caption)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text() == caption)
            return list->item(i);
    }
    return nullptr;
}

// Lists the place and selects the item with this caption, as a user does.
inline bool selectIn(TMainForm& form, const QStringList& place, const QString& caption)
{
    clickNode(form, place);
    QListWidgetItem* item = listItem(form.ui().MainList, caption);
    if (!item)
        return false;
    form.ui().MainList->setCurrentItem(item);
    return true;
}

// The action labels of the pane that have not been taken away.
inline QList<QLabel*> actionLabels(const QTableWidget* table)
{
    QList<QLabel*> out;
    for (QLabel* label : table->findChildren<QLabel*>()) {
        if (label->property("tag").isValid() && label->isVisibleTo(table->viewport()))
            out.append(label);
    }
    return out;
}

// The row whose value cell holds the label.
inline int labelRow(const QTableWidget* table, const QLabel* label)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->cellWidget(row, 1) && table->cellWidget(row, 1)->isAncestorOf(label))
            return row;
    }
    return -1;
}

// An example category of kDetailTree.
inline const QStringList kSoftware = {QStringLiteral("实例资料"), QStringLiteral("软件")};

}  // namespace detailtest
