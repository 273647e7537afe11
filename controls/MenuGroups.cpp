#include "controls/MenuGroups.h"

#include <QMenu>

void AddActionGroups(QMenu *menu, const QList<QList<QAction *>> &groups)
{
    for (const QList<QAction *> &group : groups) {
        bool separated = menu->actions().isEmpty();
        for (QAction *action : group) {
            if (!action)
                continue;
            if (!separated)
                menu->addSeparator();
            separated = true;
            menu->addAction(action);
        }
    }
}
