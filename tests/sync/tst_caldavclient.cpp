#include "support/TRadicale.h"
#include "sync/TCalDavClient.h"

#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(TDavResult::TFailure)

bool operator==(const TDavItem &a, const TDavItem &b) { return a.Href == b.Href && a.ETag == b.ETag; }

namespace {
QByteArray Todo(const QByteArray &uid, const QByteArray &summary)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Jotterbox tests//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
           "\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:" + summary + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

QByteArray Http(const QByteArray &statusLine, const QByteArray &type, const QByteArray &body)
{
    return "HTTP/1.1 " + statusLine + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// A port nobody listens on.
quint16 ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A stand-in for a broken server: reads each whole request, counts it and
// writes the canned answer (none when Answer is empty), then closes when
// told to.
class TStandIn : public QTcpServer {
public:
    QByteArray Answer;
    bool Close = true;
    int Requests = 0;
    QByteArray LastRequest;

    TStandIn()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    *buffer += socket->readAll();
                    for (;;) {
                        const qsizetype headEnd = buffer->indexOf("\r\n\r\n");
                        if (headEnd < 0)
                            return;
                        const QByteArray head = buffer->left(headEnd).toLower();
                        const qsizetype at = head.indexOf("content-length:");
                        const qsizetype length = at < 0
                                                     ? 0
                                                     : head.mid(at + 15, head.indexOf("\r\n", at) - at - 15)
                                                           .trimmed()
                                                           .toLongLong();
                        if (buffer->size() < headEnd + 4 + length)
                            return;
                        LastRequest = buffer->left(headEnd + 4 + length);
                        buffer->remove(0, headEnd + 4 + length);
                        ++Requests;
                        if (Answer.isEmpty())
                            continue;
                        socket->write(Answer);
                        if (Close)
                            socket->disconnectFromHost();
                    }
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl Url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/dav/tasks/").arg(serverPort())); }
};
} // namespace

class TstCalDavClient : public QObject {
    Q_OBJECT

    std::unique_ptr<TRadicale> FServer; // http, shared by the tests that only read
    std::unique_ptr<TRadicale> FTlsServer;
    int FLists = 0;

    TCalDavClient::TOptions Options(const TRadicale &server, const QString &collection) const
    {
        TCalDavClient::TOptions options;
        options.Url = server.Url(collection);
        options.User = server.User();
        options.Password = server.Password();
        options.CaFile = server.CaFile();
        options.TimeoutMs = 10000;
        return options;
    }

    // A task list of its own for a test that writes.
    QString NewTaskList()
    {
        const QString name = QStringLiteral("list%1").arg(++FLists);
        if (!FServer->CreateTaskList(name))
            qWarning("%s", qPrintable(FServer->Error()));
        return name;
    }

private slots:
    void initTestCase()
    {
        if (!TRadicale::Installed())
            QSKIP("radicale is not installed");
        FServer = std::make_unique<TRadicale>();
        QVERIFY2(FServer->Start(), qPrintable(FServer->Error()));
        qInfo("radicale took %lld ms to start", FServer->StartMs());
        QVERIFY2(FServer->CreateTaskList(QStringLiteral("tasks")), qPrintable(FServer->Error()));
        QVERIFY2(FServer->CreateTaskList(QStringLiteral("events"), {QStringLiteral("VEVENT")}),
                 qPrintable(FServer->Error()));
        QVERIFY2(FServer->CreateAddressBook(QStringLiteral("contacts")), qPrintable(FServer->Error()));
        FTlsServer = std::make_unique<TRadicale>();
        QVERIFY2(FTlsServer->Start(true), qPrintable(FTlsServer->Error()));
        qInfo("radicale with TLS took %lld ms to start", FTlsServer->StartMs());
        QVERIFY2(FTlsServer->CreateTaskList(QStringLiteral("tasks")), qPrintable(FTlsServer->Error()));
    }
    void cleanupTestCase()
    {
        if (!FServer)
            return;
        FServer->Stop(); // and with it the port
        QVERIFY(!FServer->Running());
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, FServer->Port());
        QVERIFY(!socket.waitForConnected(2000));
    }

    // The fixture started again keeps its items and its address; a server
    // that cannot start says why, and leaves nothing running.
    void FixtureRestarts()
    {
        TRadicale server;
        QVERIFY2(server.Start(true), qPrintable(server.Error()));
        QVERIFY(server.CreateTaskList(QStringLiteral("tasks")));
        QVERIFY(server.StoreItem(QStringLiteral("tasks"), QStringLiteral("a.ics"), Todo("a", "A")));
        const quint16 port = server.Port();
        server.Stop();
        QVERIFY2(server.Start(true), qPrintable(server.Error()));
        QCOMPARE(server.Port(), port);
        TCalDavClient client(Options(server, QStringLiteral("tasks")));
        QList<TDavItem> items;
        QVERIFY(client.ListAll(items).Ok());
        QCOMPARE(items.size(), 1);
        server.Stop();
        QFile certificate(server.CaFile());
        QVERIFY(certificate.open(QIODevice::WriteOnly | QIODevice::Truncate));
        certificate.write("not a certificate");
        certificate.close();
        QVERIFY(!server.Start(true));
        QVERIFY2(server.Error().contains(QLatin1String("radicale ended")), qPrintable(server.Error()));
        QVERIFY(!server.Running());
    }

    // What "Test connection" finds at an address, against the real server.
    void Probe_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("password");
        QTest::addColumn<TDavResult::TFailure>("failure");
        const QString good = QStringLiteral("s3cret:pass");
        QTest::newRow("task list") << "tasks" << good << TDavResult::None;
        QTest::newRow("wrong password") << "tasks"
                                        << "wrong" << TDavResult::WrongPassword;
        QTest::newRow("the user's own folder") << "" << good << TDavResult::NoTaskList;
        QTest::newRow("address book") << "contacts" << good << TDavResult::NoTaskList;
        QTest::newRow("calendar of events only") << "events" << good << TDavResult::NoTaskList;
        QTest::newRow("address that does not exist") << "missing" << good << TDavResult::NoTaskList;
        QTest::newRow("nothing listening") << "closed" << good << TDavResult::NoServer;
        QTest::newRow("tls, certificate named") << "tls" << good << TDavResult::None;
        QTest::newRow("tls, certificate not named") << "tls-untrusted" << good << TDavResult::Tls;
        QTest::newRow("tls, certificate file missing") << "tls-nofile" << good << TDavResult::Tls;
        QTest::newRow("http to the tls port") << "tls-as-http" << good << TDavResult::BadAnswer;
    }
    void Probe()
    {
        QFETCH(QString, where);
        QFETCH(QString, password);
        QFETCH(TDavResult::TFailure, failure);
        TCalDavClient::TOptions options = Options(*FServer, where);
        if (where.startsWith(QLatin1String("tls"))) {
            options = Options(*FTlsServer, QStringLiteral("tasks"));
            if (where == u"tls-untrusted")
                options.CaFile.clear();
            else if (where == u"tls-nofile")
                options.CaFile += QStringLiteral(".missing");
            else if (where == u"tls-as-http")
                options.Url.setScheme(QStringLiteral("http"));
        } else if (where == u"closed") {
            options.Url.setPort(ClosedPort());
        }
        options.Password = password;
        TCalDavClient client(options);
        QByteArray token = "stale";
        const TDavResult result = client.Probe(token);
        QVERIFY2(result.Failure == failure, qPrintable(QStringLiteral("%1 (%2): %3")
                                                           .arg(result.Failure)
                                                           .arg(result.HttpStatus)
                                                           .arg(result.Message)));
        QCOMPARE(result.Message.isEmpty(), result.Ok());
        QCOMPARE(token.startsWith("http://radicale.org/ns/sync/"), result.Ok());
    }

    // A sync round runs on a thread of its own, with a client made on the
    // window's thread.
    void UsedOnAnotherThread()
    {
        TCalDavClient client(Options(*FTlsServer, QStringLiteral("tasks")));
        TDavResult there;
        QByteArray token;
        std::unique_ptr<QThread> thread(QThread::create([&] { there = client.Probe(token); }));
        thread->start();
        QVERIFY(thread->wait(30000));
        QVERIFY2(there.Ok(), qPrintable(there.Message));
        QVERIFY(client.Probe(token).Ok());
    }

    // Plain http only to this machine: anywhere else the password would
    // travel in the clear, so nothing is sent at all.
    void PlainHttpOnlyToThisMachine_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<TDavResult::TFailure>("failure");
        QTest::newRow("127.0.0.1") << "127.0.0.1" << TDavResult::NoServer;
        QTest::newRow("127.0.0.2") << "127.0.0.2" << TDavResult::NoServer;
        QTest::newRow("::1") << "[::1]" << TDavResult::NoServer;
        QTest::newRow("localhost") << "LocalHost" << TDavResult::NoServer;
        QTest::newRow("private address") << "10.1.2.3" << TDavResult::Insecure;
        QTest::newRow("name that begins like localhost") << "localhost.example.com" << TDavResult::Insecure;
        QTest::newRow("0.0.0.0") << "0.0.0.0" << TDavResult::Insecure;
    }
    void PlainHttpOnlyToThisMachine()
    {
        QFETCH(QString, host);
        QFETCH(TDavResult::TFailure, failure);
        TCalDavClient::TOptions options;
        options.Url = QUrl(QStringLiteral("http://%1:%2/dav/tasks/").arg(host).arg(ClosedPort()));
        options.TimeoutMs = 2000;
        TCalDavClient client(options);
        QByteArray token;
        QCOMPARE(client.Probe(token).Failure, failure);
    }
    void PlainHttpToAnotherAddressSendsNothing()
    {
        QHostAddress other;
        for (const QHostAddress &address : QNetworkInterface::allAddresses())
            if (!address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol)
                other = address;
        if (other.isNull())
            QSKIP("this machine has no address but loopback");
        QTcpServer listener;
        QVERIFY(listener.listen(other, 0));
        TCalDavClient::TOptions options;
        options.Url =
            QUrl(QStringLiteral("http://%1:%2/dav/tasks/").arg(other.toString()).arg(listener.serverPort()));
        options.User = QStringLiteral("tester");
        options.Password = QStringLiteral("secret");
        TCalDavClient client(options);
        QList<TDavItem> items;
        QByteArray etag;
        const TDavResult result = client.Put(client.HrefForUid("x"), Todo("x", "y"), {}, etag);
        QCOMPARE(result.Failure, TDavResult::Insecure);
        QVERIFY(!result.Message.isEmpty());
        QCOMPARE(client.ListAll(items).Failure, TDavResult::Insecure);
        QVERIFY(!listener.waitForNewConnection(200));
    }

    // A task's whole life on the server: written, written again only over
    // the version read, listed, deleted once.
    void PutListDelete()
    {
        const QString list = NewTaskList();
        TCalDavClient client(Options(*FServer, list));
        const QString href = client.HrefForUid("a b/c@d");
        QCOMPARE(href, FServer->Url(list).path() + "a%20b%2Fc%40d.ics");

        QByteArray etag;
        TDavResult result = client.Put(href, Todo("a b/c@d", "Milk"), {}, etag);
        QVERIFY2(result.Ok(), qPrintable(result.Message));
        QCOMPARE(result.HttpStatus, 201);
        QVERIFY(etag.startsWith('"'));
        QCOMPARE(FServer->StoredItems(list), QStringList{QStringLiteral("a%20b%2Fc%40d.ics")});

        QByteArray again;
        QCOMPARE(client.Put(href, Todo("a b/c@d", "Other"), {}, again).Failure, TDavResult::Changed);
        QVERIFY(again.isEmpty());

        QByteArray second;
        QVERIFY(client.Put(href, Todo("a b/c@d", "Milk and bread"), etag, second).Ok());
        QVERIFY(!second.isEmpty() && second != etag);
        QByteArray stale;
        result = client.Put(href, Todo("a b/c@d", "Lost"), etag, stale);
        QCOMPARE(result.Failure, TDavResult::Changed);
        QCOMPARE(result.HttpStatus, 412);
        QVERIFY(FServer->StoredItem(list, QStringLiteral("a%20b%2Fc%40d.ics")).contains("Milk and bread"));

        QList<TDavItem> items;
        QVERIFY(client.ListAll(items).Ok());
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.at(0).Href, href);
        QCOMPARE(items.at(0).ETag, second);

        QCOMPARE(client.Delete(href, etag).Failure, TDavResult::Changed);
        QVERIFY(client.Delete(href, second).Ok());
        QVERIFY(client.Delete(href, second).Ok()); // gone already
        QVERIFY(client.ListAll(items).Ok());
        QVERIFY(items.isEmpty());
        QVERIFY(FServer->StoredItems(list).isEmpty());
    }

    // Items another client named: whatever characters the server's hrefs
    // hold, the decoded href fetches and deletes the same item.
    void ItemsNamedByOtherClients_data()
    {
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<QString>("name");
        QTest::newRow("space") << QByteArray("two%20words.ics") << "two words.ics";
        QTest::newRow("plus and at") << QByteArray("a+b@c.ics") << "a+b@c.ics";
        QTest::newRow("umlaut") << QByteArray("%C3%BC.ics") << QString::fromUtf8("\xc3\xbc.ics");
        QTest::newRow("percent sign") << QByteArray("50%25.ics") << "50%.ics";
        QTest::newRow("ampersand and angle") << QByteArray("a&b%3Cc%3E.ics") << "a&b<c>.ics";
    }
    void ItemsNamedByOtherClients()
    {
        QFETCH(QByteArray, encoded);
        QFETCH(QString, name);
        const QString list = NewTaskList();
        QCOMPARE(FServer->Send("PUT", FServer->Url(list).path() + QString::fromLatin1(encoded),
                               Todo("o", "Other"), {{"Content-Type", "text/calendar"}}),
                 201);
        TCalDavClient client(Options(*FServer, list));
        QList<TDavItem> items;
        QVERIFY(client.ListAll(items).Ok());
        QCOMPARE(items.size(), 1);
        const QString href = items.at(0).Href;
        QCOMPARE(href, FServer->Url(list).path() + name);
        QList<TDavItem> fetched;
        QVERIFY(client.Fetch({href}, fetched).Ok());
        QCOMPARE(fetched.size(), 1);
        QCOMPARE(fetched.at(0).Href, href);
        QVERIFY(client.Delete(href, items.at(0).ETag).Ok());
        QVERIFY(FServer->StoredItems(list).isEmpty());
    }

    // What changed since a token: new and changed items with their ETags,
    // removed ones by href; a token the server does not know asks for a
    // full listing.
    void ListChanges()
    {
        const QString list = NewTaskList();
        TCalDavClient client(Options(*FServer, list));
        QByteArray token0;
        QVERIFY(client.Probe(token0).Ok());
        QByteArray etagA, etagB;
        QVERIFY(client.Put(client.HrefForUid("a"), Todo("a", "A"), {}, etagA).Ok());
        QVERIFY(client.Put(client.HrefForUid("b"), Todo("b", "B"), {}, etagB).Ok());

        TDavChanges changes;
        QVERIFY(client.ListChanges(token0, changes).Ok());
        QCOMPARE(changes.Changed.size(), 2);
        QVERIFY(changes.Removed.isEmpty());
        QVERIFY(!changes.NewToken.isEmpty() && changes.NewToken != token0);
        const QByteArray token1 = changes.NewToken;
        QVERIFY(client.ListChanges({}, changes).Ok()); // the first round knows no token yet
        QCOMPARE(changes.Changed.size(), 2);
        QCOMPARE(changes.NewToken, token1);

        QByteArray etagA2;
        QVERIFY(client.Put(client.HrefForUid("a"), Todo("a", "A2"), etagA, etagA2).Ok());
        QVERIFY(client.Delete(client.HrefForUid("b"), etagB).Ok());
        QVERIFY(client.ListChanges(token1, changes).Ok());
        QCOMPARE(changes.Changed.size(), 1);
        QCOMPARE(changes.Changed.at(0).Href, client.HrefForUid("a"));
        QCOMPARE(changes.Changed.at(0).ETag, etagA2);
        QCOMPARE(changes.Removed, QStringList{client.HrefForUid("b")});

        QVERIFY(client.ListChanges(changes.NewToken, changes).Ok());
        QVERIFY(changes.Changed.isEmpty() && changes.Removed.isEmpty());

        const TDavResult expired = client.ListChanges("http://radicale.org/ns/sync/0000", changes);
        QCOMPARE(expired.Failure, TDavResult::TokenExpired);
        QVERIFY(!expired.Message.isEmpty());
        QCOMPARE(client.ListChanges("<&not a token>", changes).Failure, TDavResult::TokenExpired);
    }

    // More items than one multiget asks for: all listed, all fetched with
    // their text; an href the server no longer has is left out.
    void ListAndFetchInBatches()
    {
        const QString list = NewTaskList();
        TCalDavClient client(Options(*FServer, list));
        for (int i = 0; i < 250; ++i) {
            const QByteArray uid = "item-" + QByteArray::number(i);
            QVERIFY(FServer->StoreItem(list, uid + ".ics", Todo(uid, "Task")));
        }

        QElapsedTimer clock;
        clock.start();
        QList<TDavItem> listed;
        QVERIFY(client.ListAll(listed).Ok());
        QCOMPARE(listed.size(), 250);
        QStringList hrefs;
        for (const TDavItem &item : std::as_const(listed))
            hrefs << item.Href;
        QVERIFY(hrefs.contains(client.HrefForUid("item-249")));
        hrefs.insert(120, client.HrefForUid("gone"));
        QList<TDavItem> items;
        const TDavResult result = client.Fetch(hrefs, items);
        qInfo("listing and fetching 250 items took %lld ms", clock.elapsed());
        QVERIFY2(result.Ok(), qPrintable(result.Message));
        QCOMPARE(items.size(), 250);
        for (const TDavItem &item : std::as_const(items)) {
            const QString uid = item.Href.section(u'/', -1).chopped(4);
            const QRegularExpression line(QStringLiteral("UID:%1\r?\n").arg(uid));
            QVERIFY2(line.match(QString::fromUtf8(item.Data)).hasMatch(), qPrintable(item.Href));
            QVERIFY(listed.contains(TDavItem{item.Href, item.ETag, {}}));
        }
    }

    // Broken servers, each a stand-in on this machine.
    void BrokenServers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("changes"); // ListChanges rather than Probe
        QTest::addColumn<TDavResult::TFailure>("failure");
        const QByteArray xml = "application/xml; charset=utf-8";
        QTest::newRow("garbage") << QByteArray("hello, this is not HTTP\r\n\r\n") << false
                                 << TDavResult::BadAnswer;
        QTest::newRow("never answers") << QByteArray() << false << TDavResult::TimedOut;
        QTest::newRow("stops halfway")
            << QByteArray("HTTP/1.1 207 Multi-Status\r\nContent-Length: 900\r\n\r\n<mul") << false
            << TDavResult::TimedOut;
        QTest::newRow("500") << Http("500 Internal Server Error", "text/plain", "oops") << false
                             << TDavResult::ServerError;
        QTest::newRow("401") << Http("401 Unauthorized", "text/plain", "no") << false
                             << TDavResult::WrongPassword;
        QTest::newRow("plain web server, 405")
            << Http("405 Method Not Allowed", "text/html", "<html></html>") << false << TDavResult::NotCalDav;
        QTest::newRow("plain web server, 200 html")
            << Http("200 OK", "text/html", "<!DOCTYPE html><html><body>Hi</body></html>") << false
            << TDavResult::NotCalDav;
        QTest::newRow("redirect") << Http("301 Moved Permanently", "text/plain", "") << false
                                  << TDavResult::NotCalDav;
        QTest::newRow("207, broken xml")
            << Http("207 Multi-Status", xml, "<multistatus xmlns='DAV:'><response>") << false
            << TDavResult::BadAnswer;
        QTest::newRow("207, another document")
            << Http("207 Multi-Status", xml, "<D:error xmlns:D='DAV:'/>") << false << TDavResult::BadAnswer;
        QTest::newRow("207, announced too big")
            << QByteArray(
                   "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: 999999999"
                   "\r\n\r\n<multistatus xmlns='DAV:'>")
            << false << TDavResult::BadAnswer;
        QByteArray huge =
            "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nConnection: close\r\n\r\n"
            "<multistatus xmlns='DAV:'>";
        huge += QByteArray(MaxXmlBytes + 1, ' ') + "</multistatus>";
        QTest::newRow("207, too big without length") << huge << false << TDavResult::BadAnswer;
        QTest::newRow("token refused with 400")
            << Http("400 Bad Request", xml, "<error xmlns='DAV:'><valid-sync-token/></error>") << true
            << TDavResult::TokenExpired;
        QTest::newRow("token refused with 409")
            << Http("409 Conflict", xml, "<error xmlns='DAV:'><valid-sync-token/></error>") << true
            << TDavResult::TokenExpired;
        QTest::newRow("403 without a token precondition")
            << Http("403 Forbidden", "text/plain", "no") << true << TDavResult::WrongPassword;
    }
    void BrokenServers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, changes);
        QFETCH(TDavResult::TFailure, failure);
        TStandIn server;
        server.Answer = answer;
        server.Close = QTest::currentDataTag() != QByteArray("stops halfway"); // and stays silent
        TCalDavClient::TOptions options;
        options.Url = server.Url();
        options.TimeoutMs = 300;
        TCalDavClient client(options);
        QByteArray token;
        TDavChanges list;
        const TDavResult result = changes ? client.ListChanges("t1", list) : client.Probe(token);
        QVERIFY2(result.Failure == failure, qPrintable(QStringLiteral("%1 (%2): %3")
                                                           .arg(result.Failure)
                                                           .arg(result.HttpStatus)
                                                           .arg(result.Message)));
        QVERIFY(!result.Message.isEmpty());
        QVERIFY(server.Requests >= 1); // Qt tries again when a connection closes without an answer
    }

    // Only items right inside the collection are listed: never one in
    // another collection, in a folder inside, on a path that climbs out or
    // on another server, whether listed or reported removed.
    void ItemsOutsideTheCollectionAreNotListed()
    {
        TStandIn server;
        const QByteArray here = "http://127.0.0.1:" + QByteArray::number(server.serverPort());
        QByteArray body = "<multistatus xmlns='DAV:'><sync-token>t2</sync-token>";
        for (const QByteArray &href :
             {QByteArray("/dav/tasks/ok.ics"), here + "/dav/tasks/whole.ics", QByteArray("/dav/other/x.ics"),
              QByteArray("/dav/tasks/../x.ics"), QByteArray("/dav/tasks/%2e%2e"),
              QByteArray("/dav/tasks/sub/y.ics"), QByteArray("http://elsewhere.example/dav/tasks/z.ics"),
              QByteArray("/dav/tasks/"), QByteArray("/")})
            body += "<response><href>" + href +
                    "</href><propstat><prop><getetag>\"1\"</getetag></prop>"
                    "<status>HTTP/1.1 200 OK</status></propstat></response>"
                    "<response><href>" +
                    href + "</href><status>HTTP/1.1 404 Not Found</status></response>";
        server.Answer = Http("207 Multi-Status", "application/xml; charset=utf-8", body + "</multistatus>");
        TCalDavClient::TOptions options;
        options.Url = server.Url();
        options.TimeoutMs = 5000;
        TCalDavClient client(options);
        QList<TDavItem> items;
        QVERIFY(client.ListAll(items).Ok());
        QStringList listed;
        for (const TDavItem &item : items)
            listed << item.Href;
        const QStringList expected{QStringLiteral("/dav/tasks/ok.ics"),
                                   QStringLiteral("/dav/tasks/whole.ics")};
        QCOMPARE(listed, expected);
        TDavChanges changes;
        QVERIFY(client.ListChanges("t1", changes).Ok());
        listed.clear();
        for (const TDavItem &item : changes.Changed)
            listed << item.Href;
        QCOMPARE(listed, expected);
        QCOMPARE(changes.Removed, expected);
    }

    // The requests as they go out: verbs, depths, conditions, the password
    // sent at once, and calendar-multiget asked for 100 hrefs at a time.
    void RequestsAsSent()
    {
        TStandIn server;
        server.Close = false;
        server.Answer = Http("207 Multi-Status", "application/xml", "<multistatus xmlns='DAV:'/>");
        TCalDavClient::TOptions options;
        options.Url = server.Url();
        options.User = QStringLiteral("me");
        options.Password = QStringLiteral("pa:ss");
        TCalDavClient client(options);
        QStringList hrefs;
        for (int i = 0; i < 250; ++i)
            hrefs << QStringLiteral("/dav/tasks/%1 x.ics").arg(i);
        QList<TDavItem> items;
        QVERIFY(client.Fetch(hrefs, items).Ok());
        QCOMPARE(server.Requests, 3);
        QVERIFY(server.LastRequest.startsWith("REPORT /dav/tasks/ HTTP/1.1\r\n"));
        QVERIFY(server.LastRequest.contains("<D:href>/dav/tasks/249%20x.ics</D:href>"));
        QCOMPARE(server.LastRequest.count("<D:href>"), 50);
        QVERIFY(server.LastRequest.contains("Authorization: Basic " + QByteArray("me:pa:ss").toBase64()));

        QByteArray etag;
        server.Answer = QByteArray("HTTP/1.1 204 No Content\r\nETag: W/\"7\"\r\n\r\n");
        QVERIFY(client.Put(QStringLiteral("/dav/tasks/a b.ics"), "x", "\"6\"", etag).Ok());
        QCOMPARE(etag, QByteArray("W/\"7\""));
        QVERIFY(server.LastRequest.startsWith("PUT /dav/tasks/a%20b.ics HTTP/1.1\r\n"));
        QVERIFY(server.LastRequest.contains("If-Match: \"6\"\r\n"));
        QVERIFY(server.LastRequest.contains("Content-Type: text/calendar; charset=utf-8\r\n"));
        server.Answer = QByteArray("HTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n");
        QVERIFY(client.Put(QStringLiteral("/dav/tasks/new.ics"), "x", {}, etag).Ok());
        QVERIFY(etag.isEmpty());
        QVERIFY(server.LastRequest.contains("If-None-Match: *\r\n"));
    }
};

QTEST_GUILESS_MAIN(TstCalDavClient)
#include "tst_caldavclient.moc"
