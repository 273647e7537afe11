#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace {
// The translation `name` in `folder` for the language, installed; null when
// there is none.
QTranslator *Install(const QString &name, const QLocale &language, const QString &folder)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    // "jotterbox_de_DE.qm", then "jotterbox_de.qm"; never the bare name.
    if (!translator->load(language, name, QStringLiteral("_"), folder) || translator->isEmpty()) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}
} // namespace

QList<QTranslator *> InstallTranslations(const QStringList &uiLanguages, const QString &folder,
                                         const QString &qtFolder)
{
    QList<QTranslator *> installed;
    for (const QString &name : uiLanguages) {
        const QLocale language(name);
        if (language.language() == QLocale::English)
            break;
        if (language.language() == QLocale::C) // "C", "POSIX" or a name Qt does not know
            continue;
        if (QTranslator *own = Install(QStringLiteral("jotterbox"), language, folder)) {
            installed << own;
            if (QTranslator *qt = Install(QStringLiteral("qtbase"), language, qtFolder))
                installed << qt;
            break;
        }
    }
    return installed;
}
