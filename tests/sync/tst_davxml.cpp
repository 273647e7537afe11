// The multistatus reader on its own: bounded, namespace-aware, hrefs as
// decoded paths.

#include "sync/DavXml.h"

#include <QtTest>

class TstDavXml : public QObject {
    Q_OBJECT

private slots:
    void ParseMultistatus_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("href"); // of the first response
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("etag");
        QTest::addColumn<bool>("calendar");
        QTest::addColumn<bool>("todos");
        QTest::addColumn<QByteArray>("token"); // the top-level one

        QTest::newRow("other prefixes")
            << QByteArray(
                   "<?xml version='1.0'?><x:multistatus xmlns:x='DAV:' "
                   "xmlns:cal='urn:ietf:params:xml:ns:caldav'>"
                   "<x:response><x:href>/c/</x:href><x:propstat><x:prop><x:getetag>\"1\"</x:getetag>"
                   "<x:resourcetype><x:collection/><cal:calendar/></x:resourcetype>"
                   "<cal:supported-calendar-component-set><cal:comp name='VEVENT'/><cal:comp name='VTODO'/>"
                   "</cal:supported-calendar-component-set></x:prop><x:status>HTTP/1.1 200 OK</x:status>"
                   "</x:propstat></x:response></x:multistatus>")
            << true << "/c/" << 200 << QByteArray("\"1\"") << true << true << QByteArray();
        QTest::newRow("default namespace, events only")
            << QByteArray("<multistatus xmlns='DAV:'><response><href>/c/</href><propstat><prop><resourcetype>"
                          "<collection/><calendar xmlns='urn:ietf:params:xml:ns:caldav'/></resourcetype>"
                          "<supported-calendar-component-set xmlns='urn:ietf:params:xml:ns:caldav'>"
                          "<comp name='VEVENT'/></supported-calendar-component-set></prop>"
                          "<status>HTTP/1.1 200 OK</status></propstat></response></multistatus>")
            << true << "/c/" << 200 << QByteArray() << true << false << QByteArray();
        QTest::newRow("a calendar element of another namespace is not one")
            << QByteArray("<multistatus xmlns='DAV:'><response><href>/c/</href><propstat><prop><resourcetype>"
                          "<collection/><calendar/></resourcetype></prop><status>HTTP/1.1 200 OK</status>"
                          "</propstat></response></multistatus>")
            << true << "/c/" << 200 << QByteArray() << false << true << QByteArray();
        QTest::newRow("full url, percent-encoded")
            << QByteArray("<D:multistatus xmlns:D='DAV:'><D:response>"
                          "<D:href>https://dav.example.com:8443/u/t%C3%A4sks/a%20b%2540.ics</D:href>"
                          "<D:propstat><D:prop><D:getetag>\"x\"</D:getetag></D:prop>"
                          "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response></D:multistatus>")
            << true << QString::fromUtf8("/u/täsks/a b%40.ics") << 200 << QByteArray("\"x\"") << false << true
            << QByteArray();
        QTest::newRow("no property readable")
            << QByteArray("<D:multistatus xmlns:D='DAV:'><D:response><D:href>/c/</D:href><D:propstat><D:prop>"
                          "<D:getetag/></D:prop><D:status>HTTP/1.1 403 Forbidden</D:status></D:propstat>"
                          "</D:response></D:multistatus>")
            << true << "/c/" << 403 << QByteArray() << false << true << QByteArray();
        QTest::newRow("removed item, top-level token")
            << QByteArray("<D:multistatus xmlns:D='DAV:'><D:response><D:href>/c/gone.ics</D:href>"
                          "<D:status>HTTP/1.1 404 Not Found</D:status></D:response>"
                          "<D:sync-token>tok-2</D:sync-token></D:multistatus>")
            << true << "/c/gone.ics" << 404 << QByteArray() << false << true << QByteArray("tok-2");
        QTest::newRow("properties the server lacks are left out")
            << QByteArray(
                   "<D:multistatus xmlns:D='DAV:'><D:response><D:href>/c/a.ics</D:href>"
                   "<D:propstat><D:prop><D:getetag>\"e\"</D:getetag></D:prop>"
                   "<D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
                   "<D:propstat><D:prop><D:getetag>\"bogus\"</D:getetag><D:resourcetype><D:collection/>"
                   "</D:resourcetype></D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat>"
                   "</D:response></D:multistatus>")
            << true << "/c/a.ics" << 200 << QByteArray("\"e\"") << false << true << QByteArray();
        QTest::newRow("entities declared in a DTD")
            << QByteArray(
                   "<?xml version='1.0'?><!DOCTYPE m [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;'>]>"
                   "<D:multistatus xmlns:D='DAV:'><D:response><D:href>&b;</D:href></D:response>"
                   "</D:multistatus>")
            << false << QString() << 0 << QByteArray() << false << false << QByteArray();
        // Multistatus and response are two levels; `levels` more inside.
        const auto nested = [](int levels) {
            return "<D:multistatus xmlns:D='DAV:'><D:response><D:href>/d</D:href>" +
                   QByteArray("<D:x>").repeated(levels) + QByteArray("</D:x>").repeated(levels) +
                   "</D:response></D:multistatus>";
        };
        QTest::newRow("deepest allowed")
            << nested(MaxXmlDepth - 2) << true << "/d" << 0 << QByteArray() << false << true << QByteArray();
        QTest::newRow("too deep") << nested(MaxXmlDepth - 1) << false << QString() << 0 << QByteArray()
                                  << false << false << QByteArray();
        QTest::newRow("not multistatus") << QByteArray("<D:propfind xmlns:D='DAV:'/>") << false << QString()
                                         << 0 << QByteArray() << false << false << QByteArray();
        QTest::newRow("multistatus of no namespace") << QByteArray("<multistatus/>") << false << QString()
                                                     << 0 << QByteArray() << false << false << QByteArray();
        QTest::newRow("not well-formed")
            << QByteArray("<D:multistatus xmlns:D='DAV:'><D:response></D:multistatus>") << false << QString()
            << 0 << QByteArray() << false << false << QByteArray();
        QByteArray big = "<D:multistatus xmlns:D='DAV:'>" + QByteArray(MaxXmlBytes, ' ') + "</D:multistatus>";
        QTest::newRow("too big") << big << false << QString() << 0 << QByteArray() << false << false
                                 << QByteArray();
    }
    void ParseMultistatus()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, ok);
        QFETCH(QString, href);
        QFETCH(int, status);
        QFETCH(QByteArray, etag);
        QFETCH(bool, calendar);
        QFETCH(bool, todos);
        QFETCH(QByteArray, token);
        TDavMultistatus multistatus;
        QString error;
        QCOMPARE(::ParseMultistatus(xml, multistatus, error), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (!ok) {
            QVERIFY(multistatus.Responses.isEmpty());
            return;
        }
        QCOMPARE(multistatus.Responses.size(), 1);
        const TDavResponse &response = multistatus.Responses.first();
        QCOMPARE(response.Href, href);
        QCOMPARE(response.Status, status);
        QCOMPARE(response.ETag, etag);
        QCOMPARE(response.IsCalendar, calendar);
        QCOMPARE(response.HoldsTodos, todos);
        QCOMPARE(multistatus.SyncToken, token);
    }
    void ParseCalendarData()
    {
        const QByteArray xml =
            "<D:multistatus xmlns:D='DAV:' xmlns:C='urn:ietf:params:xml:ns:caldav'><D:response>"
            "<D:href>/c/a.ics</D:href><D:propstat><D:prop><D:getetag>\"1\"</D:getetag><C:calendar-data>"
            "BEGIN:VCALENDAR\r\nSUMMARY:K\xc3\xa4se &amp; "
            "Brot\r\n<![CDATA[<x>]]>END:VCALENDAR\r\n</C:calendar-data>"
            "<D:sync-token>per-item</D:sync-token></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
            "</D:response><D:response><D:href>/c/b.ics</D:href><D:status>HTTP/1.1 404 Not Found</D:status>"
            "</D:response></D:multistatus>";
        TDavMultistatus multistatus;
        QString error;
        QVERIFY2(::ParseMultistatus(xml, multistatus, error), qPrintable(error));
        QCOMPARE(multistatus.Responses.size(), 2);
        // XML normalises the line ends of text to LF; iCalendar readers take either.
        QCOMPARE(multistatus.Responses.at(0).Data,
                 QByteArray("BEGIN:VCALENDAR\nSUMMARY:K\xc3\xa4se & Brot\n<x>END:VCALENDAR\n"));
        QCOMPARE(multistatus.Responses.at(0).SyncToken, QByteArray("per-item"));
        QCOMPARE(multistatus.Responses.at(1).Status, 404);
        QVERIFY(multistatus.SyncToken.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstDavXml)
#include "tst_davxml.moc"
