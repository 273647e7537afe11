#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// Where later starts of the program send their command (--new-note, ...):
// a local socket that only its own user may use. One command per
// connection, a line of a few bytes, answered "ok" or "unknown"; longer
// messages, commands it does not know and connections from another user
// are dropped and logged (jbx.events).
class TCommandServer : public QObject {
    Q_OBJECT

public:
    // Longer than any command with its line end: such a message is dropped.
    static constexpr int MaxMessage = 64;
    // A connection that sends no whole line within this long is dropped.
    static constexpr int MessageTimeoutMs = 2000;

    explicit TCommandServer(QObject *parent = nullptr);
    ~TCommandServer() override;

    // Listens at `path`, taking the place of a socket left by an instance
    // that died (call only while holding the single-instance lock). False
    // when it cannot, and Error() says why.
    bool Listen(const QString &path);
    // Stops listening and removes the socket.
    void Close();
    QString Error() const { return FError; }

signals:
    // A known command arrived; emitted from the event loop, after the sender
    // has its answer.
    void CommandReceived(const QString &name);

private:
    void Accept();
    void Read(QLocalSocket *socket);
    static void Drop(QLocalSocket *socket, const char *why);

    QLocalServer *FServer;
    QString FError;
};
