#pragma once

// A window's part found by its design name, the way a user of the window
// reaches it: the parts are the window's own, not public members.

#include <QApplication>
#include <QObject>
#include <QString>
#include <QtGlobal>

template <typename T> T *Child(const QObject &window, const char *name)
{
    T *child = window.findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("%s has no %s named %s", qPrintable(window.objectName()), T::staticMetaObject.className(),
               name);
    return child;
}

// A window of the program with no parent (the tray's menu, say), by
// its design name; there must be exactly one.
template <typename T> T *TopLevel(const char *name)
{
    T *found = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *window = qobject_cast<T *>(widget);
        if (!window || window->objectName() != QLatin1String(name))
            continue;
        if (found)
            qFatal("more than one %s named %s", T::staticMetaObject.className(), name);
        found = window;
    }
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}
