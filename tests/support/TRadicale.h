#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

// A real CalDAV server for tests: Radicale on 127.0.0.1, on a free port,
// in a temporary folder of its own (storage, configuration, a plain
// htpasswd file with one user), optionally over TLS with a certificate made
// for the test. It runs from Start() until Stop() or the destructor.
class TRadicale {
public:
    TRadicale();
    ~TRadicale();
    TRadicale(const TRadicale &) = delete;
    TRadicale &operator=(const TRadicale &) = delete;

    static bool Installed();

    // Starts the server and waits, bounded, until its port takes
    // connections. False with Error() (the server's stderr among it) when it
    // did not come up; nothing stays running then. Started again after
    // Stop(), it keeps its storage and, while that is free, its port.
    bool Start(bool tls = false);
    void Stop();
    bool Running() const;
    QString Error() const { return FError; }
    qint64 StartMs() const { return FStartMs; } // how long the last Start() took

    quint16 Port() const { return FPort; }
    bool Tls() const { return FTls; }
    QString User() const { return QStringLiteral("tester"); }
    QString Password() const { return QStringLiteral("s3cret:pass"); }
    // The certificate the server presents (self-signed, CN localhost, for
    // 127.0.0.1 and localhost); empty without TLS.
    QString CaFile() const { return FTls ? FDir->filePath(QStringLiteral("cert.pem")) : QString(); }
    // The server's root: http(s)://127.0.0.1:port/
    QUrl BaseUrl() const;
    // The user's collection of this name, ending in '/'; the user's own
    // folder for an empty name.
    QUrl Url(const QString &collection) const;

    // MKCALENDAR of a collection that holds VTODO only (or these components).
    bool CreateTaskList(const QString &name, const QStringList &components = {QStringLiteral("VTODO")});
    // Extended MKCOL of an address book: a collection, but not a calendar.
    // (Plain collections Radicale allows only as the user's own folder,
    // Url(QString()).)
    bool CreateAddressBook(const QString &name);

    // One request as another client would send it, with the test user's
    // password, blocking: the HTTP status, 0 when no answer came.
    int Send(const QByteArray &verb, const QString &path, const QByteArray &body = {},
             const QList<QPair<QByteArray, QByteArray>> &headers = {}, QByteArray *answer = nullptr);

    // What the server keeps on disk for a collection: its items' file
    // names, sorted, and one item's text.
    QStringList StoredItems(const QString &collection) const;
    QByteArray StoredItem(const QString &collection, const QString &fileName) const;
    // Puts an item straight into the storage folder, as another program
    // sharing it would: many times faster than a PUT, but unknown to the
    // server's sync-token history.
    bool StoreItem(const QString &collection, const QString &fileName, const QByteArray &text);

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<QProcess> FProcess;
    quint16 FPort = 0;
    bool FTls = false;
    QString FError;
    qint64 FStartMs = 0;

    bool MakeCertificate();
    bool WriteConfig();
    bool StartOnce();
    QString CollectionFolder(const QString &collection) const;
};
