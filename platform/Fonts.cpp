#include "platform/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QSet>
#include <QString>

void InstallFontSubstitutions()
{
    // Arial, Times New Roman and Courier New reach their metric twins
    // (Liberation) through fontconfig's aliases. The old bitmap dialog font
    // has no twin and fontconfig would pick an unrelated default; Liberation
    // Sans is the closest in look and width.
    const QString sans = QStringLiteral("Liberation Sans");
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitution(QStringLiteral("Microsoft Sans Serif"), sans);
    // fontconfig maps this one where the Comic Neue package brings its
    // alias; saying it here too covers systems whose configuration lacks it.
    // A substitute is only consulted when the named family is missing.
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
}

QString InstalledFamily(const QString &family)
{
    // Families are matched without regard to case, as Qt matches them.
    static const QSet<QString> installed = [] {
        QSet<QString> names;
        for (const QString &name : QFontDatabase::families())
            names.insert(name.toCaseFolded());
        return names;
    }();
    if (installed.contains(family.toCaseFolded()))
        return family;
    for (const QString &substitute : QFont::substitutes(family))
        if (installed.contains(substitute.toCaseFolded()))
            return substitute;
    return family;
}
