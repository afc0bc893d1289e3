#include "tree/HistoryMenu.h"

#include <QAction>
#include <QMenu>

void historymenu::fill(QMenu* menu, const TNavHistory& history, const std::function<void(int)>& onClick)
{
    menu->clear();
    const QList<LocationKey> keys = history.mostRecentFirst();
    for (int i = 0; i < keys.size(); ++i) {
        QString caption = keys.at(i).text();
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QObject::connect(menu->addAction(caption), &QAction::triggered, menu, [onClick, i] { onClick(i); });
    }
}
