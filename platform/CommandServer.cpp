#include "platform/CommandServer.h"

#include "base/EventLog.h"
#include "model/UnitGlobalProc.h"
#include "platform/CommandLine.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr char BufferProperty[] = "jbxMessage";

// The user on the other end of a local connection; -1 if it cannot be told.
long PeerUser(const QLocalSocket *socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return -1;
    return long(peer.uid);
}
} // namespace

TCommandServer::TCommandServer(QObject *parent) : QObject(parent), FServer(new QLocalServer(this))
{
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, &TCommandServer::Accept);
}

TCommandServer::~TCommandServer() { Close(); }

bool TCommandServer::Listen(const QString &path)
{
    FError.clear();
    // Only a dead instance leaves a socket behind: the lock says none lives.
    QLocalServer::removeServer(path);
    if (FServer->listen(path))
        return true;
    FError = QStringLiteral("Cannot listen for commands at %1: %2").arg(path, FServer->errorString());
    return false;
}

void TCommandServer::Close()
{
    if (FServer->isListening())
        FServer->close();
}

void TCommandServer::Accept()
{
    while (QLocalSocket *socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The folder keeps other users out; should it not, they are turned away here.
        const long user = PeerUser(socket);
        if (user != long(::geteuid())) {
            qCInfo(lcJbxEvents, "command refused: the connection is from user %ld", user);
            WriteDebugLog(QStringLiteral("Command refused: the connection is from user %1").arg(user));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        QTimer::singleShot(MessageTimeoutMs, socket, [socket] { Drop(socket, "no command in time"); });
        if (socket->bytesAvailable() > 0)
            Read(socket);
    }
}

void TCommandServer::Read(QLocalSocket *socket)
{
    if (socket->state() != QLocalSocket::ConnectedState)
        return;
    QByteArray message = socket->property(BufferProperty).toByteArray();
    message += socket->read(MaxMessage + 1 - message.size());
    const qsizetype end = message.indexOf('\n');
    if (end < 0) {
        if (message.size() > MaxMessage)
            Drop(socket, "message too long");
        else
            socket->setProperty(BufferProperty, message);
        return;
    }
    const QString name = QString::fromLatin1(message.left(end));
    // What a stranger sent is logged with its odd bytes escaped.
    const QByteArray shown = message.left(end).toPercentEncoding("-_. ");
    // A second line or more after the first is not part of any command.
    if (end + 1 < message.size() || socket->bytesAvailable() > 0) {
        Drop(socket, "more than one line");
        return;
    }
    if (!IsRemoteCommand(name)) {
        qCInfo(lcJbxEvents, "unknown command ignored: %s", shown.constData());
        WriteDebugLog(QStringLiteral("Unknown command ignored: %1").arg(QLatin1String(shown)));
        socket->write("unknown\n");
        socket->disconnectFromServer();
        return;
    }
    qCInfo(lcJbxEvents, "command %s", qPrintable(name));
    socket->write("ok\n");
    socket->disconnectFromServer();
    // Run from the loop: the command may open a modal dialog.
    QMetaObject::invokeMethod(
        this, [this, name] { emit CommandReceived(name); }, Qt::QueuedConnection);
}

void TCommandServer::Drop(QLocalSocket *socket, const char *why)
{
    if (socket->state() != QLocalSocket::ConnectedState)
        return;
    qCInfo(lcJbxEvents, "command connection dropped: %s", why);
    WriteDebugLog(QStringLiteral("Command connection dropped: %1").arg(QLatin1String(why)));
    socket->abort();
}
