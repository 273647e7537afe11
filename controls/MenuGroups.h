#pragma once

#include <QList>

class QAction;
class QMenu;

// Adds the groups of actions to the menu in order, each after a separator
// when the menu already holds something. Missing (null) actions are left
// out, and a group left empty adds no separator either, so commands of
// windows that do not exist yet leave no stray lines.
void AddActionGroups(QMenu *menu, const QList<QList<QAction *>> &groups);
