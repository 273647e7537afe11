// Writes the seed inputs of the fuzz targets with the program's own writers:
// data files as the save routine makes them, settings files as TUserInfo
// saves them and a calendar object as the sync sends a task, plus a
// settings file edited by hand, calendar objects as other clients write
// them and a server's multistatus answers. The seeds are
// committed (fuzz/corpus); run this again only to renew them:
//   build-fuzz/fuzz/make_seeds fuzz/corpus
#include "base/Clock.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "sync/VTodo.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <cstdio>

namespace {
bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool WriteDataFiles(const QString &folder)
{
    TUserInfo settings;
    bool ok = true;
    {
        TTaskList empty(settings);
        ok &= Write(folder + QStringLiteral("/empty.dat"), empty.SaveToBytes());
    }
    {
        TTaskList one(settings);
        one.AddNewTask();
        ok &= Write(folder + QStringLiteral("/new-note.dat"), one.SaveToBytes());
    }
    {
        // What a few days of use leave: texts in UTF-8 and in the Windows
        // program's code page, dates, a reminder, finished and open notes.
        TTaskList list(settings);
        TTask *shopping = list.AddNewTask();
        shopping->Text = "Shopping\r\n- milk\r\n- bread\r\n\xE2\x82\xAC 12";
        shopping->NoteOpen = true;
        shopping->DueDate = EncodeDate(2024, 3, 16);
        shopping->ReminderTime = EncodeDate(2024, 3, 16) + EncodeTime(9, 30);
        TTask *call = list.AddNewTask();
        call->Text = "\r\n  Call \xE9milie about the \x80 invoice";
        call->FontName = "Arial";
        call->FontBold = true;
        call->Priority = TTask::PriorityHigh;
        call->RolledUp = true;
        TTask *done = list.AddNewTask();
        done->Text = "Tax return";
        done->Finished = true;
        done->Priority = TTask::PriorityLow;
        done->Left = TTask::NoPosition;
        list.AddNewTask()->Text.clear();
        ok &= Write(folder + QStringLiteral("/four-notes.dat"), list.SaveToBytes());
    }
    return ok;
}

bool WriteSettingsFiles(const QString &folder)
{
    bool ok = true;
    const auto save = [&ok, &folder](const QString &name, const std::function<void(TUserInfo &)> &change) {
        QFile::remove(folder + QStringLiteral("/Jotterbox.ini"));
        TUserInfo settings(folder + u'/');
        settings.SoundFileName = QStringLiteral("/home/me/Jotterbox/notify.wav"); // not this machine's folder
        change(settings);
        settings.SaveSettings();
        QFile::remove(folder + u'/' + name);
        ok &= QFile::rename(folder + QStringLiteral("/Jotterbox.ini"), folder + u'/' + name);
    };
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    save(QStringLiteral("defaults.ini"), [](TUserInfo &) {});
    save(QStringLiteral("changed.ini"), [](TUserInfo &s) {
        s.DebugMode = true;
        s.StayOnTop = false;
        s.DefaultFontName = QStringLiteral("Times New Roman");
        s.SoundFileName = QStringLiteral("/home/me/sounds/ding dong.wav");
        s.SkinDirectoryName = QStringLiteral("2");
        s.AutoReminder = true;
        s.AutoReminderTime = EncodeTime(17, 45, 30, 250);
        s.LastBackup = EncodeDate(2024, 3, 14) + EncodeTime(23, 59, 59);
        s.Color = qint32(0xFFFFFFFF);
        s.SortAscending = false;
    });
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    save(QStringLiteral("german.ini"), [](TUserInfo &s) {
        s.AutoReminderTime = EncodeTime(8, 5);
        s.LastBackup = EncodeDate(2024, 12, 31);
    });
    // As a user might leave it after editing it by hand.
    ok &= Write(folder + QStringLiteral("/hand-edited.ini"), "\xEF\xBB\xBF; my settings\n"
                                                             "[installation]\n"
                                                             "  version = 1.03 \n"
                                                             "[User Interface]\n"
                                                             "Left=$10\n"
                                                             "Top=0x20 ; not a comment\n"
                                                             "Height=-5\n"
                                                             "DefaultFontName=\"Comic Sans MS\"\n"
                                                             "SoundFileName='/tmp/a b.wav'\n"
                                                             "StayOnTop=1\n"
                                                             "stayontop=0\n"
                                                             "\n"
                                                             "[Data]\r\n"
                                                             "AutoReminderTime=9:30\r\n"
                                                             "LastBackup=2024-03-14T08:00:00\r\n"
                                                             "[User Interface]\n"
                                                             "ShowTips=0\n");
    return ok;
}
// iCalendar and XML seeds are written with LF here and sent with CR LF.
QByteArray Crlf(const char *text) { return QByteArray(text).replace("\n", "\r\n"); }

bool WriteCalendarObjects(const QString &folder)
{
    TUserInfo settings;
    TTask task(settings);
    task.Text = "Shopping\r\n- milk, bread; cheese\r\n\xE2\x82\xAC 12";
    task.DueDate = EncodeDate(2024, 3, 16);
    task.ReminderTime = EncodeDate(2024, 3, 16) + EncodeTime(9, 30);
    task.Priority = TTask::PriorityHigh;
    task.NoteOpen = true;
    bool ok = Write(folder + QStringLiteral("/jotterbox.ics"), TaskToCalendarObject(task, "jbx-seed-1", {}));
    // As a desktop calendar writes a task: its zone, a start, categories,
    // its own properties, an alarm at a moment and one before the due time.
    ok &= Write(folder + QStringLiteral("/desktop-client.ics"), Crlf(R"(BEGIN:VCALENDAR
PRODID:-//Mozilla.org/NONSGML Mozilla Calendar V1.1//EN
VERSION:2.0
BEGIN:VTIMEZONE
TZID:Europe/Berlin
BEGIN:DAYLIGHT
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
TZNAME:CEST
DTSTART:19700329T020000
RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU
END:DAYLIGHT
BEGIN:STANDARD
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
TZNAME:CET
DTSTART:19701025T030000
RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU
END:STANDARD
END:VTIMEZONE
BEGIN:VTODO
CREATED:20240310T101500Z
LAST-MODIFIED:20240312T083000Z
DTSTAMP:20240312T083000Z
UID:4f1c9e2a-7d3b-4c55-9a1e-2b8f0c6d3e71
SUMMARY:Steuererklärung abgeben
STATUS:IN-PROCESS
PERCENT-COMPLETE:40
PRIORITY:2
CATEGORIES:Finanzen,Büro
DTSTART;TZID=Europe/Berlin:20240315T090000
DUE;TZID=Europe/Berlin:20240401T233000
X-MOZ-GENERATION:3
X-MOZ-LASTACK:20240311T070000Z
DESCRIPTION:Belege sammeln\nFormular ausfüllen und dann noch einmal alles
  durchlesen
BEGIN:VALARM
ACTION:DISPLAY
TRIGGER;VALUE=DATE-TIME:20240401T070000Z
DESCRIPTION:Default Mozilla Description
END:VALARM
BEGIN:VALARM
ACTION:DISPLAY
TRIGGER;RELATED=END:-PT15M
DESCRIPTION:Default Mozilla Description
END:VALARM
END:VTODO
END:VCALENDAR
)"));
    // As a terminal to-do client writes one: floating due time, no alarm.
    ok &= Write(folder + QStringLiteral("/terminal-client.ics"), Crlf(R"(BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//todoman//todoman//EN
BEGIN:VTODO
UID:0a8d3c8e1f6b4e8b9d1d6c7a3b2e1f00@example.org
SUMMARY:Call the plumber
DESCRIPTION:about the kitchen sink
DUE:20240320T170000
PRIORITY:9
STATUS:COMPLETED
COMPLETED:20240319T120000Z
PERCENT-COMPLETE:100
CREATED:20240301T080000Z
LAST-MODIFIED:20240319T120000Z
DTSTAMP:20240319T120000Z
SEQUENCE:2
LOCATION:Home
END:VTODO
END:VCALENDAR
)"));
    // What libical cannot keep alone: a client's own components and a
    // property it does not know, beside the task and inside it.
    ok &= Write(folder + QStringLiteral("/foreign-components.ics"), Crlf(R"(BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//Other//Other//EN
X-WR-CALNAME:Tasks
BEGIN:VTODO
UID:other-1
SUMMARY:Plants
X-JOTTERBOX-KEY:45361.5
X-JOTTERBOX-FONT-NAME:Comic\, Sans
ODD-PROPERTY;ODD=1:value
BEGIN:X-CLIENT-NOTE
X-NOTE:inner
END:X-CLIENT-NOTE
END:VTODO
BEGIN:X-SECOND-CLIENT
X-STATE:42
END:X-SECOND-CLIENT
END:VCALENDAR
)"));
    return ok;
}

bool WriteMultistatus(const QString &folder)
{
    bool ok = Write(folder + QStringLiteral("/calendars.xml"), Crlf(R"(<?xml version="1.0" encoding="utf-8"?>
<D:multistatus xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav" xmlns:CS="http://calendarserver.org/ns/">
  <D:response>
    <D:href>/user/</D:href>
    <D:propstat><D:prop><D:resourcetype><D:collection/></D:resourcetype></D:prop>
      <D:status>HTTP/1.1 200 OK</D:status></D:propstat>
  </D:response>
  <D:response>
    <D:href>/user/tasks%20and%20more/</D:href>
    <D:propstat><D:prop>
      <D:resourcetype><D:collection/><C:calendar/></D:resourcetype>
      <C:supported-calendar-component-set><C:comp name="VTODO"/></C:supported-calendar-component-set>
      <D:sync-token>http://radicale.org/ns/sync/5b0c</D:sync-token>
      <CS:getctag>"5b0c"</CS:getctag>
    </D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>
    <D:propstat><D:prop><D:displayname/></D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat>
  </D:response>
</D:multistatus>
)"));
    ok &= Write(folder + QStringLiteral("/multiget.xml"), Crlf(R"(<?xml version="1.0" encoding="utf-8"?>
<multistatus xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav">
  <response>
    <href>/user/tasks/jbx-seed-1.ics</href>
    <propstat><prop>
      <getetag>"e1"</getetag>
      <C:calendar-data>BEGIN:VCALENDAR&#13;
VERSION:2.0&#13;
PRODID:-//Test//Test//EN&#13;
BEGIN:VTODO&#13;
UID:jbx-seed-1&#13;
SUMMARY:Milk &amp; bread&#13;
END:VTODO&#13;
END:VCALENDAR&#13;
</C:calendar-data>
    </prop><status>HTTP/1.1 200 OK</status></propstat>
  </response>
  <response>
    <href>/user/tasks/gone.ics</href>
    <status>HTTP/1.1 404 Not Found</status>
  </response>
</multistatus>
)"));
    ok &= Write(folder + QStringLiteral("/sync-collection.xml"), Crlf(R"(<?xml version="1.0"?>
<d:multistatus xmlns:d="DAV:">
  <d:response>
    <d:href>/user/tasks/a.ics</d:href>
    <d:propstat><d:prop><d:getetag>"a2"</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>
  </d:response>
  <d:response>
    <d:href>/user/tasks/b.ics</d:href>
    <d:status>HTTP/1.1 404 Not Found</d:status>
  </d:response>
  <d:sync-token>http://radicale.org/ns/sync/77aa</d:sync-token>
</d:multistatus>
)"));
    return ok;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS-FOLDER\n");
        return 2;
    }
    TClock::Set(QDateTime(QDate(2024, 3, 15), QTime(9, 30)));
    const QString corpus = QString::fromLocal8Bit(argv[1]);
    const QString data = corpus + QStringLiteral("/datafile");
    const QString settings = corpus + QStringLiteral("/settings");
    const QString calendar = corpus + QStringLiteral("/calendar");
    const QString multistatus = corpus + QStringLiteral("/multistatus");
    for (const QString &folder : {data, settings, calendar, multistatus})
        if (!QDir().mkpath(folder))
            return 1;
    const bool ok = WriteDataFiles(data) && WriteSettingsFiles(settings) && WriteCalendarObjects(calendar) &&
                    WriteMultistatus(multistatus);
    return ok ? 0 : 1;
}
