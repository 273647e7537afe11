// The multistatus entry on its own, so the calendar target links without
// the XML reader.
#include "fuzz/SyncEntries.h"

#include "sync/DavXml.h"

namespace SyncEntries {

QString ReadMultistatus(const QByteArray &bytes)
{
    TDavMultistatus answer;
    QString error;
    if (!ParseMultistatus(bytes, answer, error) && error.isEmpty())
        return QStringLiteral("refused without a reason");
    return QString();
}

} // namespace SyncEntries
