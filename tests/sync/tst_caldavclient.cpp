#include "support/TRadicale.h"
#include "sync/DavXml.h"
#include "sync/TCalDavClient.h"
#include <QtTest>

class TstCalDavClient : public QObject {
    Q_OBJECT

private slots:
    // The fixture itself: a real server that comes up, takes a task list and
    // keeps its items where the tests can read them, over http and https.
    void RadicaleFixture_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::newRow("http") << false;
        QTest::newRow("https") << true;
    }
    void RadicaleFixture()
    {
        QFETCH(bool, tls);
        if (!TRadicale::Installed())
            QSKIP("radicale is not installed");
        TRadicale server;
        QVERIFY2(server.Start(tls), qPrintable(server.Error()));
        qInfo("radicale took %lld ms to start", server.StartMs());
        QVERIFY(server.Url(QStringLiteral("tasks")).toString().endsWith(QLatin1String("/tester/tasks/")));
        QCOMPARE(server.CaFile().isEmpty(), !tls);
        QVERIFY2(server.CreateTaskList(QStringLiteral("tasks")), qPrintable(server.Error()));

        QByteArray answer;
        QCOMPARE(server.Send("PROPFIND", server.Url(QStringLiteral("tasks")).path(),
                             "<?xml version=\"1.0\"?><D:propfind xmlns:D=\"DAV:\"><D:prop><D:resourcetype/>"
                             "</D:prop></D:propfind>",
                             {{"Depth", "0"}}, &answer),
                 207);
        QVERIFY2(answer.contains("calendar"), answer.constData());

        const QByteArray item = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VTODO\r\n"
                                "UID:a1\r\nSUMMARY:Milk\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
        QCOMPARE(server.Send("PUT", server.Url(QStringLiteral("tasks")).path() + "a1.ics", item,
                             {{"Content-Type", "text/calendar; charset=utf-8"}}),
                 201);
        QCOMPARE(server.StoredItems(QStringLiteral("tasks")), QStringList{QStringLiteral("a1.ics")});
        QVERIFY(
            server.StoredItem(QStringLiteral("tasks"), QStringLiteral("a1.ics")).contains("SUMMARY:Milk"));

        server.Stop();
        QVERIFY(!server.Running());
    }
};

QTEST_GUILESS_MAIN(TstCalDavClient)
#include "tst_caldavclient.moc"
