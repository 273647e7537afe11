// The socket a later start sends its command over: what the running
// instance takes, answers and drops, and what the sender makes of it.

#include "platform/CommandClient.h"
#include "platform/CommandServer.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <future>

class TestCommandServer : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString Path() const { return FDir.filePath(QStringLiteral("commands.socket")); }

    // Sends from another thread, as another process would, while this one
    // serves.
    TCommandSent Send(const QString &name)
    {
        auto sent = std::async(std::launch::async, [this, name] { return SendCommand(Path(), name, 5000); });
        while (sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return sent.get();
    }

private slots:
    void messagesAreTakenAnsweredOrDropped_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("answer"); // empty: dropped unanswered
        QTest::addColumn<QString>("command");   // what the program is told; empty: nothing

        QTest::newRow("command") << QByteArray("toggle-list\n") << QByteArray("ok\n") << "toggle-list";
        QTest::newRow("in pieces") << QByteArray("sho") + QByteArray("w-list\n") << QByteArray("ok\n")
                                   << "show-list";
        QTest::newRow("unknown") << QByteArray("format-disk\n") << QByteArray("unknown\n") << "";
        QTest::newRow("not for sending") << QByteArray("help\n") << QByteArray("unknown\n") << "";
        QTest::newRow("with dashes") << QByteArray("--exit\n") << QByteArray("unknown\n") << "";
        QTest::newRow("empty line") << QByteArray("\n") << QByteArray("unknown\n") << "";
        QTest::newRow("two lines") << QByteArray("new-note\nexit\n") << QByteArray() << "";
        QTest::newRow("too long") << QByteArray(TCommandServer::MaxMessage + 1, 'x') << QByteArray() << "";
        QTest::newRow("too long, then a line end") << QByteArray(4096, 'x') + "\nexit\n"
                                                   << QByteArray() << "";
    }

    void messagesAreTakenAnsweredOrDropped()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, answer);
        QFETCH(QString, command);
        TCommandServer server;
        QVERIFY2(server.Listen(Path()), qPrintable(server.Error()));
        // Its owner's alone.
        QCOMPARE(QFileInfo(Path()).permissions() &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
                 QFile::Permissions());
        QSignalSpy told(&server, &TCommandServer::CommandReceived);

        QLocalSocket client;
        client.connectToServer(Path());
        QVERIFY(client.waitForConnected(5000));
        client.write(message);
        QVERIFY(client.waitForBytesWritten(5000));
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(client.readAll(), answer);
        QCoreApplication::processEvents(); // the queued command, if any
        QCOMPARE(told.size(), command.isEmpty() ? 0 : 1);
        if (!command.isEmpty())
            QCOMPARE(told[0][0].toString(), command);
    }

    void senderKnowsHowItFared()
    {
        // Nobody there yet: the sender may try again.
        QCOMPARE(SendCommand(Path(), QStringLiteral("new-note"), 1000), TCommandSent::NoListener);
        {
            TCommandServer server;
            QSignalSpy told(&server, &TCommandServer::CommandReceived);
            QVERIFY(server.Listen(Path()));
            QCOMPARE(Send(QStringLiteral("new-note")), TCommandSent::Delivered);
            QCOMPARE(Send(QStringLiteral("make-tea")), TCommandSent::Unknown);
            QTRY_COMPARE(told.size(), 1);
            QCOMPARE(told[0][0].toString(), QStringLiteral("new-note"));
        }
        // The socket goes with the server; one left by a dead instance is taken over.
        QVERIFY(!QFileInfo::exists(Path()));
        QFile leftover(Path());
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        QCOMPARE(SendCommand(Path(), QStringLiteral("new-note"), 1000), TCommandSent::NoListener);
        TCommandServer again;
        QVERIFY2(again.Listen(Path()), qPrintable(again.Error()));
        QCOMPARE(Send(QStringLiteral("exit")), TCommandSent::Delivered);
    }
};

QTEST_GUILESS_MAIN(TestCommandServer)
#include "tst_commandserver.moc"
