#include "platform/Fonts.h"

#include <QFont>
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
