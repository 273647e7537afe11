#pragma once

// A window's part found by its design name, the way a user of the window
// reaches it: the parts are the window's own, not public members.

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
