#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QTranslator;

// The user's language for every text the program shows: the first of
// `uiLanguages` (most wanted first, as QLocale::uiLanguages lists them,
// "de-DE" or "de_DE") that the program speaks. English is the language of
// the sources: a list that reaches it before a translation stays English.
// Installs the program's own translation (jotterbox_<language>.qm from
// `folder`) and, beside it, Qt's own for its dialogs and buttons
// (qtbase_<language>.qm from `qtFolder`) when there is one. Returns the
// translators installed, owned by the application; deleting one takes it
// out again. Call before any window is made.
QList<QTranslator *> InstallTranslations(const QStringList &uiLanguages, const QString &folder,
                                         const QString &qtFolder);
