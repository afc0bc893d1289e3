#include "edit/MoveMenu.h"

#include "common/Images.h"

#include <QAction>
#include <QMenu>

namespace {
// Menu captions are shown as they are: no character turns into an accelerator.
QString menuCaption(const QString& name)
{
    QString caption = name;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}
}  // namespace

void movemenu::rebuild(
    QMenu* menu, const QList<MoveTarget>& targets, const std::function<void(const QString&, const QString&)>& choose)
{
    const QList<QAction*> actions = menu->actions();
    if (!actions.isEmpty() && actions.last()->text().startsWith(caption())) {
        QAction* old = actions.last();
        menu->removeAction(old);
        if (QMenu* oldMenu = old->menu())
            delete oldMenu;  // takes its items and its menu action with it
        else
            delete old;
    }
    if (targets.isEmpty())
        return;

    auto* move = new QMenu(caption(), menu);
    move->setObjectName(QStringLiteral("TurnFileMenu"));
    move->setIcon(images::listImage(10));
    menu->addMenu(move);
    for (const MoveTarget& target : targets) {
        const QString category = target.category;
        if (target.subcategories.isEmpty()) {
            QAction* action = move->addAction(menuCaption(category));
            action->setData(QStringList {category});
            QObject::connect(action, &QAction::triggered, menu, [choose, category] { choose(category, QString()); });
            continue;
        }
        QMenu* sub = move->addMenu(menuCaption(category));
        for (const QString& subName : target.subcategories) {
            QAction* action = sub->addAction(menuCaption(subName));
            action->setData(QStringList {category, subName});
            QObject::connect(
                action, &QAction::triggered, menu, [choose, category, subName] { choose(category, subName); });
        }
    }
}
