#pragma once

// A proxy in front of a real server on this machine that passes every
// request on as it comes, except the PUTs a test names: those get a canned
// answer, either in the server's place (it never sees them) or in place of
// the server's own answer (it wrote the item, and the client is told it
// failed); or, from a request on, every one. It can also play a server
// that names new items itself. One request per connection, as the sync's
// client sends them.
#include <QHostAddress>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <memory>

class TFaultyProxy : public QTcpServer {
public:
    QSet<int> FailingPuts;       // counted from 1, over the proxy's life
    QByteArray Answer;           // what a failing PUT gets
    bool ServerSeesThem = false; // the server writes a failing PUT's item all the same
    int Puts = 0;                // PUTs seen so far
    int FailFrom = 0;            // from this request on (counted from 1) every one fails; 0: none
    int Requests = 0;            // requests seen so far
    bool NamesItems = false;     // a new item's PUT is passed on under a name of the server's own

    explicit TFaultyProxy(quint16 serverPort) : FServerPort(serverPort)
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = nextPendingConnection())
                Serve(client);
        });
    }

    // The address of the server's `url` through the proxy.
    QUrl Through(QUrl url) const
    {
        url.setPort(serverPort());
        return url;
    }

private:
    quint16 FServerPort;

    // PUT /collection/name.ics -> PUT /collection/server-N.ics
    static void Rename(QByteArray &request, int number)
    {
        const qsizetype pathEnd = request.indexOf(' ', 4);
        const qsizetype nameStart = request.lastIndexOf('/', pathEnd) + 1;
        request.replace(nameStart, pathEnd - nameStart, "server-" + QByteArray::number(number) + ".ics");
    }

    void Serve(QTcpSocket *client)
    {
        enum TMode { Pass, Replace, Replaced };
        auto *server = new QTcpSocket(client);
        auto buffer = std::make_shared<QByteArray>();
        auto mode = std::make_shared<TMode>(Pass);
        server->connectToHost(QHostAddress::LocalHost, FServerPort);
        connect(client, &QTcpSocket::readyRead, client, [this, client, server, buffer, mode] {
            *buffer += client->readAll();
            const qsizetype headEnd = buffer->indexOf("\r\n\r\n");
            if (headEnd < 0)
                return;
            const QByteArray head = buffer->left(headEnd).toLower();
            const qsizetype at = head.indexOf("content-length:");
            const qsizetype length =
                at < 0 ? 0 : head.mid(at + 15, head.indexOf("\r\n", at) - at - 15).trimmed().toLongLong();
            if (buffer->size() < headEnd + 4 + length)
                return;
            const int request = ++Requests;
            if (NamesItems && head.startsWith("put ") && head.contains("\r\nif-none-match:"))
                Rename(*buffer, request);
            const bool putFails = head.startsWith("put ") && FailingPuts.contains(++Puts);
            const bool fails = putFails || (FailFrom > 0 && request >= FailFrom);
            if (fails && !ServerSeesThem)
                client->write(Answer);
            else
                server->write(*buffer);
            *mode = fails ? Replace : Pass;
            buffer->clear();
        });
        // The server's answer goes back as it comes; for a PUT that fails
        // after all, the canned one goes in its place.
        connect(server, &QTcpSocket::readyRead, client, [this, client, server, mode] {
            const QByteArray answer = server->readAll();
            if (*mode == Pass)
                client->write(answer);
            else if (*mode == Replace)
                client->write(Answer);
            if (*mode == Replace)
                *mode = Replaced;
        });
        connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }
};
