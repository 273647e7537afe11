#include "sync/IcalOnDemand.h"

#include <QLibrary>
#include <cstdio>
#include <cstdlib>

namespace {

QLibrary &Libical()
{
    static QLibrary library(QStringLiteral("ical"), JBX_LIBICAL_MAJOR);
    [[maybe_unused]] static const bool loaded = library.load();
    return library;
}

} // namespace

QString IcalOnDemand::LoadError()
{
    QLibrary &library = Libical();
    if (library.isLoaded())
        return {};
    return QStringLiteral("Sync needs the libical library (libical.so.%1), which cannot be loaded: %2")
        .arg(JBX_LIBICAL_MAJOR)
        .arg(library.errorString());
}

QFunctionPointer IcalOnDemand::Symbol(const char *name)
{
    const QFunctionPointer function = Libical().resolve(name);
    if (!function) {
        // Only a libical other than the one built against can get here: no
        // call may go to nowhere.
        std::fprintf(stderr, "Jotterbox: libical has no %s\n", name);
        std::abort();
    }
    return function;
}
