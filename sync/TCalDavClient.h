#pragma once

#include "sync/DavXml.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

class QSslConfiguration;

// What one request to the server came to. A failure says in plain words
// what is wrong, the way "Test connection" shows it.
struct TDavResult {
    enum TFailure {
        None,
        NoServer,      // nothing answers at that address (or the name is unknown)
        TimedOut,      // the server took longer than the time allowed
        Tls,           // the certificate is not trusted, or TLS failed
        Insecure,      // plain http:// to an address that is not this machine
        WrongPassword, // 401 or 403 on the collection
        NotCalDav,     // the server answers, but not as a CalDAV server
        NoTaskList,    // the address is not a calendar collection that holds tasks
        Changed,       // 412: the item changed on the server since it was read
        TokenExpired,  // the sync token is no longer valid: list everything
        ServerError,   // 5xx or any other unexpected status
        BadAnswer,     // an answer that could not be read (too big, broken XML)
        NoLibrary,     // libical, which reads and writes the items, cannot be loaded
        Refused,       // the server will not take this one item (400, 403, 413, 415, 507 on a PUT)
    };
    TFailure Failure = None;
    int HttpStatus = 0;
    QString Message; // empty when Ok()

    bool Ok() const { return Failure == None; }
};

// An item of the collection: where it lives, its version, and its text
// when it was fetched.
struct TDavItem {
    QString Href; // path on the server, as the server names it
    QByteArray ETag;
    QByteArray Data;
};

struct TDavChanges {
    QByteArray NewToken;
    QList<TDavItem> Changed; // href and ETag; Data empty
    QStringList Removed;     // hrefs
};

// A blocking client of one CalDAV task collection. Each call waits for its
// answer within the timeout, running a local event loop: use it from a
// thread of its own (or a command-line tool), never from a window's
// handler; it may be made on one thread and used on another, one call at a
// time. Plain http:// is allowed only to a loopback address; https
// certificates are verified, against the system's authorities plus the
// certificates in CaFile when one is named.
class TCalDavClient {
public:
    struct TOptions {
        QUrl Url; // the task collection, ending in '/'
        QString User;
        QString Password;
        QString CaFile;
        // How long the server may stay silent. Generous: a server working
        // through a large collection (the first listing or sync-token of
        // 10,000 items) can think for tens of seconds before its first byte,
        // and rounds run on a worker thread that holds nothing up.
        int TimeoutMs = 120000;
    };

    explicit TCalDavClient(const TOptions &options);
    ~TCalDavClient();
    TCalDavClient(const TCalDavClient &) = delete;
    TCalDavClient &operator=(const TCalDavClient &) = delete;

    // PROPFIND depth 0: the URL is a calendar collection that holds VTODOs.
    // Gives the collection's sync-token, empty when the server has none.
    TDavResult Probe(QByteArray &syncToken);
    // REPORT sync-collection since `token` (RFC 6578). TokenExpired when
    // the server no longer knows it.
    TDavResult ListChanges(const QByteArray &token, TDavChanges &changes);
    // PROPFIND depth 1: every item's href and ETag.
    TDavResult ListAll(QList<TDavItem> &items);
    // REPORT calendar-multiget for these hrefs, asked for in batches;
    // items come back with Data. An href the server no longer has is left out.
    TDavResult Fetch(const QStringList &hrefs, QList<TDavItem> &items);
    // PUT with If-Match `etag`, or If-None-Match: * when `etag` is empty
    // (a new item). `newEtag` is the server's ETag of what was written, or
    // empty when the server gave none (Fetch it then). Refused when the
    // server turns down this item, not the whole collection.
    TDavResult Put(const QString &href, const QByteArray &data, const QByteArray &etag, QByteArray &newEtag);
    // DELETE with If-Match `etag`; an item already gone counts as deleted.
    TDavResult Delete(const QString &href, const QByteArray &etag);

    // The href a new item with this UID is written to.
    QString HrefForUid(const QByteArray &uid) const;

private:
    struct TAnswer;
    // One request to `path` (a decoded path; the collection when empty),
    // waited for within the timeout and MaxXmlBytes of answer.
    TAnswer Send(const QByteArray &verb, const QString &path, const QByteArray &body,
                 const QList<QPair<QByteArray, QByteArray>> &headers);
    TDavResult Unexpected(const TAnswer &answer) const;
    TDavResult Read(const TAnswer &answer, TDavMultistatus &multistatus) const;
    bool IsItem(const TDavResponse &response) const;
    QString CollectionPath() const; // decoded, ending in '/'

    TOptions FOptions;
    std::unique_ptr<QSslConfiguration> FSsl; // with CaFile's certificates, once read
};
