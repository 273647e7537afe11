#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The answers of a CalDAV server are WebDAV multistatus XML. This reads
// them within bounds: no DTD (so no entity expansion), at most
// MaxXmlDepth levels of elements and MaxXmlBytes of text; anything else is
// refused as a broken answer rather than read in part.
inline constexpr qsizetype MaxXmlBytes = 64 << 20;
inline constexpr int MaxXmlDepth = 32;

// One <response> of a multistatus answer.
struct TDavResponse {
    QString Href;    // as the server wrote it, percent-decoded path
    QString Origin;  // "scheme://host:port" when the server wrote a whole URL, else empty
    int Status = 0;  // of the response or of its 200 propstat; 404 for a removed item
    QByteArray ETag; // getetag, quotes kept
    QByteArray Data; // calendar-data, when asked for
    bool IsCollection = false;
    bool IsCalendar = false; // resourcetype holds C:calendar
    bool HoldsTodos = false; // supported-calendar-component-set names VTODO (or is absent)
    QByteArray SyncToken;    // DAV:sync-token property, when asked for
};

struct TDavMultistatus {
    QList<TDavResponse> Responses;
    QByteArray SyncToken; // the top-level sync-token of a sync-collection answer
};

// False with a reason when the text is not a bounded, well-formed
// multistatus document.
bool ParseMultistatus(const QByteArray &xml, TDavMultistatus &out, QString &error);
