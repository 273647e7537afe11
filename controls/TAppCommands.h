#pragma once

#include <QPointer>

class QAction;

// The program's commands that more than one window offers in its menus.
// Each is made by the window it belongs to and filled in here once that
// window exists; the windows that only offer it read it at every opening of
// their menu. An empty one is left out.
struct TAppCommands {
    QPointer<QAction> ActionAddNewNote; // the list's
    QPointer<QAction> ActionShowList;   // the main window's, from here on
    QPointer<QAction> ActionShowToolbar;
    QPointer<QAction> ActionOptions;
    QPointer<QAction> ActionPrintList;
    QPointer<QAction> ActionExportList;
    QPointer<QAction> ActionSyncNow; // the main window's: a sync round now
};
