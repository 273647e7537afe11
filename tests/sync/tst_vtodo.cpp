#include "base/Clock.h"
#include "base/Screen.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"
#include "sync/VTodo.h"

#include <QLocale>
#include <QStringDecoder>
#include <QtTest>
#include <algorithm>
#include <functional>

using TChange = std::function<void(TTask &)>;
Q_DECLARE_METATYPE(TChange)

namespace {
// Test texts are written with LF; calendar objects travel with CR LF.
QByteArray Crlf(QByteArray text) { return text.replace("\r\n", "\n").replace("\n", "\r\n"); }

QByteArray Calendar(const QByteArray &todoLines, const QByteArray &outside = {})
{
    return Crlf("BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Test//Test//EN\n" + outside + "BEGIN:VTODO\n" +
                todoLines + "END:VTODO\nEND:VCALENDAR\n");
}

// The lines of an object, unfolded.
QList<QByteArray> Lines(const QByteArray &object)
{
    QByteArray unfolded = object;
    unfolded.replace("\r\n ", "").replace("\r\n\t", "");
    QList<QByteArray> lines = unfolded.split('\n');
    for (QByteArray &line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    lines.removeAll(QByteArray());
    return lines;
}

// Every line ends CR LF, holds at most 75 octets and whole UTF-8 characters.
QString FoldingProblem(const QByteArray &object)
{
    if (!object.endsWith("\r\n"))
        return QStringLiteral("no CR LF at the end");
    const QList<QByteArray> lines = object.chopped(2).split('\n');
    for (const QByteArray &line : lines) {
        if (!line.endsWith('\r') && &line != &lines.last())
            return QStringLiteral("a line ends without CR: ") + QString::fromUtf8(line);
        const QByteArray content = line.endsWith('\r') ? line.chopped(1) : line;
        if (content.size() > 75)
            return QStringLiteral("a line of %1 octets").arg(content.size());
        if (!IsValidUtf8(content))
            return QStringLiteral("a line splits a character: ") + QString::fromLatin1(content.toHex());
    }
    return QString();
}

const QByteArray ThunderbirdItem = Crlf(R"(BEGIN:VCALENDAR
PRODID:-//Mozilla.org/NONSGML Mozilla Calendar V1.1//EN
VERSION:2.0
BEGIN:VTIMEZONE
TZID:America/New_York
X-LIC-LOCATION:America/New_York
BEGIN:DAYLIGHT
TZOFFSETFROM:-0500
TZOFFSETTO:-0400
TZNAME:EDT
DTSTART:19700308T020000
RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU
END:DAYLIGHT
BEGIN:STANDARD
TZOFFSETFROM:-0400
TZOFFSETTO:-0500
TZNAME:EST
DTSTART:19701101T020000
RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU
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
CATEGORIES:Finanzen
DTSTART;TZID=America/New_York:20240315T090000
DUE;TZID=America/New_York:20240401T233000
X-MOZ-GENERATION:3
X-MOZ-LASTACK:20240311T070000Z
ATTACH;FMTTYPE=text/plain:https://example.org/belege.txt
CLASS:PRIVATE
DESCRIPTION:Belege sammeln\nFormular ausfüllen
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
)");
} // namespace

class TstVTodo : public QObject {
    Q_OBJECT

    TUserInfo Settings;

    TTask Blank() { return TTask(Settings); }

    // A task as a user leaves it: UTF-8 text with CR LF, every field set.
    TTask Full()
    {
        TTask task = Blank();
        FillEveryField(task, 1);
        task.Text = "  \r\nEinkäufe für Sonntag \xE2\x82\xAC\r\n- Milch, Brot; Käse\r\n\r\n\\ Ende";
        task.FontName = "DejaVu Sans";
        task.Created = EncodeDate(2024, 3, 10) + EncodeTime(11, 15, 7, 123) + 1e-9;
        task.Modified = EncodeDate(2024, 3, 12) + EncodeTime(9, 30, 1, 456);
        task.ReminderTime = EncodeDate(2024, 3, 16) + EncodeTime(9, 30);
        task.DueDate = EncodeDate(2024, 3, 16);
        return task;
    }

    static void CompareTravelling(const TTask &read, const TTask &written)
    {
        QCOMPARE(read.Text, written.Text);
        QCOMPARE(read.DueDate, written.DueDate);
        QCOMPARE(read.ReminderTime, written.ReminderTime);
        QCOMPARE(read.Priority, written.Priority);
        QCOMPARE(read.Finished, written.Finished);
        QCOMPARE(read.Color, written.Color);
        QCOMPARE(read.FontColor, written.FontColor);
        QCOMPARE(QPoint(read.Left, read.Top), QPoint(written.Left, written.Top));
        QCOMPARE(QSize(read.Width, read.Height), QSize(written.Width, written.Height));
        QCOMPARE(read.FontName, written.FontName);
        QCOMPARE(read.FontSize, written.FontSize);
        QCOMPARE(read.FontBold, written.FontBold);
        QCOMPARE(read.FontItalic, written.FontItalic);
        QCOMPARE(read.NoteOpen, written.NoteOpen);
        QCOMPARE(read.RolledUp, written.RolledUp);
        QCOMPARE(read.Created, written.Created);
        QCOMPARE(read.Modified, written.Modified);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(qgetenv("TZ"), QByteArray("Europe/Berlin"));
    }
    void init()
    {
        SetPrimaryScreenSizeFunction([] { return QSize(1920, 1080); });
        TClock::Set(QDateTime(QDate(2024, 3, 20), QTime(8, 0)));
    }
    void cleanup() { TClock::Reset(); }

    // Written, then read into a new task's defaults: every travelling field
    // comes back exactly, and the object is well-formed iCalendar.
    void roundTrip_data()
    {
        QTest::addColumn<TChange>("change");
        QTest::addColumn<QList<QByteArray>>("lines"); // expected among the written lines
        QTest::newRow("full, high, finished")
            << TChange([](TTask &) {})
            << QList<QByteArray>{
                   "SUMMARY:Einkäufe für Sonntag €",
                   "DESCRIPTION:  \\nEinkäufe für Sonntag €\\n- Milch\\, Brot\\; Käse\\n\\n\\\\ Ende",
                   "DUE;VALUE=DATE:20240316",
                   "TRIGGER;VALUE=DATE-TIME:20240316T083000Z",
                   "X-JOTTERBOX-REMINDER:1",
                   "PRIORITY:1",
                   "STATUS:COMPLETED",
                   "COMPLETED:20240312T083001Z",
                   "CREATED:20240310T101507Z",
                   "LAST-MODIFIED:20240312T083001Z",
                   "DTSTAMP:20240320T070000Z",
                   "UID:item-1",
                   "X-JOTTERBOX-COLOR:1193047",
                   "X-JOTTERBOX-LEFT:-999",
                   "X-JOTTERBOX-FONT-NAME:DejaVu Sans",
                   "X-JOTTERBOX-OPEN:1",
                   "X-JOTTERBOX-ROLLED-UP:1",
                   "VERSION:2.0"};
        QTest::newRow("normal, open") << TChange([](TTask &t) {
            t.Priority = TTask::PriorityNormal;
            t.Finished = false;
        }) << QList<QByteArray>{"PRIORITY:5", "STATUS:NEEDS-ACTION"};
        QTest::newRow("low") << TChange([](TTask &t) { t.Priority = TTask::PriorityLow; })
                             << QList<QByteArray>{"PRIORITY:9"};
        QTest::newRow("no due date, no reminder") << TChange([](TTask &t) {
            t.DueDate = 0;
            t.ReminderTime = 0;
            t.Finished = false;
        }) << QList<QByteArray>{"X-JOTTERBOX-ROLLED-UP:1"};
        QTest::newRow("reminder to the millisecond, summer time") << TChange([](TTask &t) {
            t.ReminderTime = EncodeDate(2024, 7, 1) + EncodeTime(23, 59, 59, 999);
        }) << QList<QByteArray>{"TRIGGER;VALUE=DATE-TIME:20240701T215959Z"};
        QTest::newRow("empty text") << TChange([](TTask &t) { t.Text.clear(); }) << QList<QByteArray>{};
        QTest::newRow("control characters") << TChange([](TTask &t) {
            t.Text = "a\bb\x01"
                     "c\tz\x7F";
        })
                                            << QList<QByteArray>{QByteArray("SUMMARY:a\bb\x01"
                                                                            "c\tz\x7F")};
        QTest::newRow("created before 1899")
            << TChange([](TTask &t) { t.Created = EncodeDate(1850, 1, 1) - 0.75; }) << QList<QByteArray>{};
        QTest::newRow("long text of many-byte characters") << TChange([](TTask &t) {
            t.Text = "x" + QString(300, QChar(0x20AC)).toUtf8() + "\r\n\xF0\x9F\x98\x80";
        }) << QList<QByteArray>{};
        QTest::newRow("place and colours at their limits")
            << TChange([](TTask &t) {
                   t.Left = TTask::NoPosition;
                   t.Top = -2147483647 - 1;
                   t.Color = 0x7FFFFFFF;
                   t.FontColor = 0;
                   t.NoteOpen = false;
                   t.RolledUp = false;
                   t.FontBold = false;
               })
            << QList<QByteArray>{"X-JOTTERBOX-LEFT:-1000", "X-JOTTERBOX-TOP:-2147483648",
                                 "X-JOTTERBOX-OPEN:0"};
    }
    void roundTrip()
    {
        QFETCH(TChange, change);
        QFETCH(QList<QByteArray>, lines);
        TTask task = Full();
        change(task);
        const QByteArray object = TaskToCalendarObject(task, "item-1", QByteArray());
        const QString folding = FoldingProblem(object);
        QVERIFY2(folding.isEmpty(), qPrintable(folding));
        const QList<QByteArray> written = Lines(object);
        for (const QByteArray &line : lines)
            QVERIFY2(written.contains(line), line.constData());
        QCOMPARE(written.count("BEGIN:VTODO"), 1);
        QCOMPARE(written.count("BEGIN:VALARM"), task.ReminderTime != 0 ? 1 : 0);
        QCOMPARE(std::count_if(written.begin(), written.end(),
                               [](const QByteArray &l) { return l.startsWith("DUE"); }),
                 task.DueDate != 0 ? 1 : 0);

        TTask read = Blank();
        TRemoteItem item;
        QString error;
        QVERIFY2(CalendarObjectToTask(object, read, item, error), qPrintable(error));
        QVERIFY(error.isEmpty());
        CompareTravelling(read, task);
        QCOMPARE(item.Uid, QByteArray("item-1"));
        QVERIFY(item.HasKey);
        QCOMPARE(item.Key, task.Created);
        QCOMPARE(item.LastModified, task.Modified);
        QCOMPARE(TravellingDigest(read), TravellingDigest(task));
        QCOMPARE(read.CreatedYear, quint16(DateTimeToQDate(task.Created).year()));
    }

    // Text and font name in the Windows code page travel as UTF-8 and read
    // back as the same characters.
    void windowsTextTravelsAsUtf8()
    {
        TTask task = Full();
        task.Text = "Caf\xE9 \x80 12\r\nZeile \x93zwei\x94";
        task.FontName = "Schrift \xC4";
        const QByteArray object = TaskToCalendarObject(task, "cp", QByteArray());
        QVERIFY(IsValidUtf8(object));
        QVERIFY(Lines(object).contains("SUMMARY:Café € 12"));
        TTask read = Blank();
        TRemoteItem item;
        QString error;
        QVERIFY(CalendarObjectToTask(object, read, item, error));
        QCOMPARE(read.Text, EncodeText(DecodeText(task.Text)));
        QCOMPARE(DecodeText(read.Text), QStringLiteral("Café € 12\r\nZeile “zwei”"));
        QCOMPARE(DecodeText(read.FontName), QStringLiteral("Schrift Ä"));
    }

    // What other clients write reads as the user expects.
    void readsOtherClients_data()
    {
        QTest::addColumn<QByteArray>("object");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TDateTime>("due");
        QTest::addColumn<TDateTime>("reminder");
        QTest::addColumn<int>("priority");
        QTest::addColumn<bool>("finished");
        const TDateTime none = 0;
        const int normal = TTask::PriorityNormal;
        QTest::newRow("summary only") << Calendar("UID:a\nSUMMARY:Milch kaufen\n")
                                      << QByteArray("Milch kaufen") << none << none << normal << false;
        QTest::newRow("our item, summary renamed elsewhere")
            << Calendar("UID:a\nX-JOTTERBOX-KEY:45000.5\nSUMMARY:Brot kaufen\nDESCRIPTION:\\n  Milch kaufen "
                        "\\n- 2 Liter\n")
            << QByteArray("\r\n  Brot kaufen \r\n- 2 Liter") << none << none << normal << false;
        QTest::newRow("their item, summary and description apart")
            << Calendar("UID:a\nSUMMARY:Brot kaufen\nDESCRIPTION:beim Bäcker\n")
            << QByteArray("Brot kaufen\r\nbeim Bäcker") << none << none << normal << false;
        QTest::newRow("their item, description starts with the summary")
            << Calendar("UID:a\nSUMMARY:Brot\nDESCRIPTION:Brot\\nbeim Bäcker\n")
            << QByteArray("Brot\r\nbeim Bäcker") << none << none << normal << false;
        QTest::newRow("due in UTC, next day here")
            << Calendar("UID:a\nDUE:20240701T223000Z\n") << QByteArray() << EncodeDate(2024, 7, 2) << none
            << normal << false;
        QTest::newRow("due floating") << Calendar("UID:a\nDUE:20240701T233000\n") << QByteArray()
                                      << EncodeDate(2024, 7, 1) << none << normal << false;
        QTest::newRow("due with a zone of the object")
            << Calendar(
                   "UID:a\nDUE;TZID=Ostküste:20240701T203000\n",
                   "BEGIN:VTIMEZONE\nTZID:Ostküste\nBEGIN:DAYLIGHT\nTZOFFSETFROM:-0500\nTZOFFSETTO:-0400\n"
                   "DTSTART:19700308T020000\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\nEND:DAYLIGHT\n"
                   "BEGIN:STANDARD\nTZOFFSETFROM:-0400\nTZOFFSETTO:-0500\nDTSTART:19701101T020000\n"
                   "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\nEND:STANDARD\nEND:VTIMEZONE\n")
            << QByteArray() << EncodeDate(2024, 7, 2) << none << normal << false;
        QTest::newRow("due with a zone named only")
            << Calendar("UID:a\nDUE;TZID=Asia/Tokyo:20240701T073000\n") << QByteArray()
            << EncodeDate(2024, 7, 1) << none << normal << false;
        QTest::newRow("their alarm at a moment is the reminder")
            << Calendar("UID:a\nBEGIN:VALARM\nACTION:DISPLAY\nTRIGGER;RELATED=END:-PT15M\nEND:VALARM\n"
                        "BEGIN:VALARM\nACTION:AUDIO\nTRIGGER;VALUE=DATE-TIME:20240316T083000Z\nEND:VALARM\n")
            << QByteArray() << none << EncodeDate(2024, 3, 16) + EncodeTime(9, 30) << normal << false;
        QTest::newRow("only a relative alarm") << Calendar("UID:a\nBEGIN:VALARM\nTRIGGER:-PT5M\nEND:VALARM\n")
                                               << QByteArray() << none << none << normal << false;
        QTest::newRow("priority 4 is high") << Calendar("UID:a\nPRIORITY:4\n") << QByteArray() << none << none
                                            << int(TTask::PriorityHigh) << false;
        QTest::newRow("priority 0 is normal")
            << Calendar("UID:a\nPRIORITY:0\n") << QByteArray() << none << none << normal << false;
        QTest::newRow("priority 6 is low") << Calendar("UID:a\nPRIORITY:6\n") << QByteArray() << none << none
                                           << int(TTask::PriorityLow) << false;
        QTest::newRow("due past the year 3000 is none") << Calendar("UID:a\nDUE;VALUE=DATE:30010101\n")
                                                        << QByteArray() << none << none << normal << false;
        QTest::newRow("completed moment alone finishes") << Calendar("UID:a\nCOMPLETED:20240301T100000Z\n")
                                                         << QByteArray() << none << none << normal << true;
        QTest::newRow("cancelled is not finished")
            << Calendar("UID:a\nSTATUS:CANCELLED\n") << QByteArray() << none << none << normal << false;
        QTest::newRow("lowercase and LF only")
            << QByteArray(
                   "begin:vcalendar\nversion:2.0\nbegin:vtodo\nuid:a\nsummary:klein\nstatus:completed\n"
                   "end:vtodo\nend:vcalendar\n")
            << QByteArray("klein") << none << none << normal << true;
    }
    void readsOtherClients()
    {
        QFETCH(QByteArray, object);
        TTask task = Blank();
        task.Text = "before";
        TRemoteItem item;
        QString error;
        QVERIFY2(CalendarObjectToTask(object, task, item, error), qPrintable(error));
        QTEST(task.Text, "text");
        QTEST(task.DueDate, "due");
        QTEST(task.ReminderTime, "reminder");
        QTEST(int(task.Priority), "priority");
        QTEST(task.Finished, "finished");
        QCOMPARE(item.Uid, QByteArray("a"));
    }

    // Values libical would change (trim, drop a character of) travel as the
    // item holds them, or as near as a value can carry.
    void oddValuesTravelUnchanged_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("uid");
        QTest::addColumn<QByteArray>("font");
        QTest::newRow("UID with blanks at its ends")
            << QByteArray("UID:  spaced \n") << QByteArray("  spaced ") << QByteArray();
        QTest::newRow("UID with escapes")
            << QByteArray("UID:a\\,b\\;c\\\\d\n") << QByteArray("a,b;c\\d") << QByteArray();
        QTest::newRow("font name with a carriage return")
            << QByteArray("UID:f\nX-JOTTERBOX-FONT-NAME:Comic\rSans\bMS\n") << QByteArray("f")
            << QByteArray("ComicSans\bMS");
        QTest::newRow("font name with escapes") << QByteArray("UID:f\nX-JOTTERBOX-FONT-NAME:A\\, B\\\\C \n")
                                                << QByteArray("f") << QByteArray("A, B\\C ");
    }
    void oddValuesTravelUnchanged()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, uid);
        QFETCH(QByteArray, font);
        QByteArray object = "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\n" + lines + "END:VTODO\r\nEND:VCALENDAR\r\n";
        for (int round = 0; round < 2; ++round) {
            TTask task = Blank();
            task.FontName.clear();
            TRemoteItem item;
            QString error;
            QVERIFY2(CalendarObjectToTask(object, task, item, error), qPrintable(error));
            QCOMPARE(item.Uid, uid);
            QCOMPARE(task.FontName, font);
            object = TaskToCalendarObject(task, item.Uid, object);
        }
    }

    // A realistic item of another client: read, edited here, written back
    // over it. What this program does not write stays, the alarm the
    // reminder came from is replaced rather than doubled.
    void editKeepsWhatOthersWrote()
    {
        // A client's own component and a property libical does not know,
        // beside the calendar and inside the task.
        QByteArray previous = ThunderbirdItem;
        previous.replace("CATEGORIES:Finanzen\r\n", "CATEGORIES:Finanzen,Haus\\, Hof\r\n");
        previous.replace("END:VTODO\r\n",
                         "DTEND:not a time\r\nREFRESH-ODD;ODD-PARAM=x:kept too\r\nBEGIN:X-CLIENT-NOTE\r\n"
                         "X-NOTE:inner\r\nEND:X-CLIENT-NOTE\r\nEND:VTODO\r\n");
        previous.replace("END:VCALENDAR\r\n",
                         "BEGIN:X-SECOND-CLIENT\r\nX-STATE:42\r\nBEGIN:X-DEEPER\r\n"
                         "X-A:b\r\nEND:X-DEEPER\r\nEND:X-SECOND-CLIENT\r\nEND:VCALENDAR\r\n");
        TTask task = Blank();
        TRemoteItem item;
        QString error;
        QVERIFY2(CalendarObjectToTask(previous, task, item, error), qPrintable(error));
        QCOMPARE(task.Text, QByteArray("Steuererklärung abgeben\r\nBelege sammeln\r\nFormular ausfüllen"));
        QCOMPARE(task.DueDate, EncodeDate(2024, 4, 2)); // 23:30 in New York is 05:30 here
        QCOMPARE(task.ReminderTime, EncodeDate(2024, 4, 1) + EncodeTime(9, 0));
        QCOMPARE(task.Priority, TTask::PriorityHigh);
        QVERIFY(!task.Finished);
        QCOMPARE(task.Created, EncodeDate(2024, 3, 10) + EncodeTime(11, 15));
        QCOMPARE(task.Modified, EncodeDate(2024, 3, 12) + EncodeTime(9, 30));
        QCOMPARE(item.LastModified, task.Modified);
        QVERIFY(!item.HasKey);

        task.Text += "\r\nund abschicken";
        task.ReminderTime = EncodeDate(2024, 4, 1) + EncodeTime(10, 0);
        task.Modified = EncodeDate(2024, 3, 20) + EncodeTime(9, 0);
        const QByteArray written = TaskToCalendarObject(task, item.Uid, previous);
        const QString folding = FoldingProblem(written);
        QVERIFY2(folding.isEmpty(), qPrintable(folding));
        const QList<QByteArray> lines = Lines(written);
        if (qEnvironmentVariableIsSet("DUMP"))
            qDebug().noquote() << written;
        for (const char *kept :
             {"TZID:America/New_York",
              "RRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3",
              "STATUS:IN-PROCESS",
              "PERCENT-COMPLETE:40",
              "PRIORITY:2",
              "CATEGORIES:Finanzen,Haus\\, Hof",
              "DTSTART;TZID=America/New_York:20240315T090000",
              "DUE;TZID=America/New_York:20240401T233000",
              "X-MOZ-GENERATION:3",
              "X-MOZ-LASTACK:20240311T070000Z",
              "ATTACH;FMTTYPE=text/plain:https://example.org/belege.txt",
              "CLASS:PRIVATE",
              "TRIGGER;RELATED=END:-PT15M",
              "REFRESH-ODD;ODD-PARAM=x:kept too",
              "BEGIN:X-CLIENT-NOTE",
              "X-NOTE:inner",
              "BEGIN:X-SECOND-CLIENT",
              "X-STATE:42",
              "BEGIN:X-DEEPER",
              "END:X-SECOND-CLIENT",
              "UID:4f1c9e2a-7d3b-4c55-9a1e-2b8f0c6d3e71",
              "TRIGGER;VALUE=DATE-TIME:20240401T080000Z",
              "DESCRIPTION:Steuererklärung abgeben\\nBelege sammeln\\nFormular ausfüllen\\nund abschicken"})
            QVERIFY2(lines.contains(kept), kept);
        QVERIFY(!lines.contains("TRIGGER;VALUE=DATE-TIME:20240401T070000Z"));
        QCOMPARE(lines.count("BEGIN:VALARM"), 2);
        QCOMPARE(lines.count("X-JOTTERBOX-REMINDER:1"), 1);
        QVERIFY(!written.contains("X-LIC-ERROR")); // libical's note on the broken DTEND
        QVERIFY(!lines.contains("PRODID:-//Mozilla.org/NONSGML Mozilla Calendar V1.1//EN"));
        // The client's components stay where they were: inside the task and
        // beside it.
        QVERIFY(lines.indexOf("BEGIN:X-CLIENT-NOTE") < lines.indexOf("END:VTODO"));
        QVERIFY(lines.indexOf("BEGIN:X-SECOND-CLIENT") > lines.indexOf("END:VTODO"));

        // Read back, and written again over itself: nothing doubles.
        TTask again = Blank();
        QVERIFY2(CalendarObjectToTask(written, again, item, error), qPrintable(error));
        CompareTravelling(again, task);
        const QByteArray rewritten = TaskToCalendarObject(again, item.Uid, written);
        QCOMPARE(Lines(rewritten).size(), lines.size());
        QCOMPARE(Lines(rewritten).count("BEGIN:VALARM"), 2);

        // The reminder cleared: its alarm goes, the other stays.
        again.ReminderTime = 0;
        const QList<QByteArray> cleared = Lines(TaskToCalendarObject(again, item.Uid, rewritten));
        QCOMPARE(cleared.count("BEGIN:VALARM"), 1);
        QVERIFY(cleared.contains("TRIGGER;RELATED=END:-PT15M"));
        // Finished here: the status follows, the completion moment is set once.
        again.Finished = true;
        const QList<QByteArray> finished = Lines(TaskToCalendarObject(again, item.Uid, rewritten));
        QVERIFY(finished.contains("STATUS:COMPLETED"));
        QVERIFY(finished.contains("PERCENT-COMPLETE:100"));
        QVERIFY(finished.contains("COMPLETED:20240320T080000Z"));
    }

    // libical writes a zone's name without its carriage return, so the due
    // time kept from the item would fall into another zone: the written
    // object gives the same day anyway.
    void keptDueStaysOnItsDay()
    {
        const QByteArray previous =
            "BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:Europe/Be\rrlin\r\n"
            "BEGIN:STANDARD\r\nDTSTART:19700101T000000\r\nTZOFFSETFROM:-1000\r\n"
            "TZOFFSETTO:-1000\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\nBEGIN:VTODO\r\nUID:z\r\n"
            "DUE;TZID=Europe/Berlin:20240401T233000\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
        TTask task = Blank();
        TRemoteItem item;
        QString error;
        QVERIFY2(CalendarObjectToTask(previous, task, item, error), qPrintable(error));
        QCOMPARE(task.DueDate, EncodeDate(2024, 4, 1));
        const QByteArray written = TaskToCalendarObject(task, item.Uid, previous);
        TTask again = Blank();
        QVERIFY2(CalendarObjectToTask(written, again, item, error), qPrintable(error));
        QCOMPARE(again.DueDate, EncodeDate(2024, 4, 1));
    }

    void unreadablePreviousIsWrittenFresh()
    {
        const TTask task = Full();
        const QByteArray object = TaskToCalendarObject(task, "u", "BEGIN:VCALENDAR\r\ngarbage");
        TTask read = Blank();
        TRemoteItem item;
        QString error;
        QVERIFY2(CalendarObjectToTask(object, read, item, error), qPrintable(error));
        CompareTravelling(read, task);
    }

    // A task too long to travel within the bound gives no object at all
    // rather than one the other side refuses.
    void tooLongTaskIsNotWritten()
    {
        TTask task = Full();
        task.Text = QByteArray(MaxCalendarObjectBytes, 'a');
        QVERIFY(TaskToCalendarObject(task, "u", QByteArray()).isEmpty());
    }

    // Each refusal leaves the task and the item as they were.
    void refusals_data()
    {
        QTest::addColumn<QByteArray>("object");
        QByteArray deep = "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:a\r\n";
        for (int i = 0; i < MaxCalendarNesting - 1; ++i)
            deep += "BEGIN:X-NEST\r\n";
        QTest::newRow("too big") << Calendar("UID:a\nDESCRIPTION:" + QByteArray(MaxCalendarObjectBytes, 'x') +
                                             "\n");
        QTest::newRow("too deep") << deep + "BEGIN:X-LAST\r\n";
        QTest::newRow("too deep, folded") << deep + "BEG\r\n IN:X-LAST\r\n";
        QTest::newRow("too deep, spaced") << deep + "begin :X-LAST\r\n";
        QTest::newRow("garbage") << QByteArray("\x00\xff garbage\r\n", 12);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("unterminated") << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:a\r\n");
        QTest::newRow("two tasks") << Calendar("UID:a\nEND:VTODO\nBEGIN:VTODO\nUID:b\n");
        QTest::newRow("an event only")
            << Crlf("BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:a\nEND:VEVENT\nEND:VCALENDAR\n");
        QTest::newRow("no UID") << Calendar("SUMMARY:x\n");
        QTest::newRow("carriage return in the UID")
            << QByteArray("BEGIN:VCALENDAR\nBEGIN:VTODO\nUID:a\rb\nEND:VTODO\nEND:VCALENDAR\n");
        QTest::newRow("two calendars") << Calendar("UID:a\n") + Calendar("UID:b\n");
        QTest::newRow("a task alone") << Crlf("BEGIN:VTODO\nUID:a\nEND:VTODO\n");
    }
    void refusals()
    {
        QFETCH(QByteArray, object);
        TTask task = Full();
        const TTask before = task;
        TRemoteItem item;
        item.Uid = "kept";
        QString error;
        QVERIFY(!CalendarObjectToTask(object, task, item, error));
        QVERIFY(!error.isEmpty());
        QVERIFY(task == before);
        QCOMPARE(item.Uid, QByteArray("kept"));
    }

    // Bytes that are not NUL-terminated (raw data) are read up to their
    // size and no further.
    void rawDataEndsAtItsSize()
    {
        const QByteArray one = Calendar("UID:a\nSUMMARY:first\n");
        const QByteArray buffer = one + Calendar("UID:b\n");
        TTask task = Blank();
        TRemoteItem item;
        QString error;
        QVERIFY2(
            CalendarObjectToTask(QByteArray::fromRawData(buffer.constData(), one.size()), task, item, error),
            qPrintable(error));
        QCOMPARE(task.Text, QByteArray("first"));
        const QByteArray written =
            TaskToCalendarObject(task, "a", QByteArray::fromRawData(buffer.constData(), one.size()));
        QCOMPARE(Lines(written).count("BEGIN:VCALENDAR"), 1);
    }

    // Nested exactly to the bound is still read.
    void nestingAtTheBoundReads()
    {
        QByteArray object = "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:a\r\n";
        for (int i = 0; i < MaxCalendarNesting - 2; ++i)
            object += "BEGIN:X-NEST\r\n";
        for (int i = 0; i < MaxCalendarNesting - 2; ++i)
            object += "END:X-NEST\r\n";
        object += "END:VTODO\r\nEND:VCALENDAR\r\n";
        TTask task = Blank();
        TRemoteItem item;
        QString error;
        QVERIFY2(CalendarObjectToTask(object, task, item, error), qPrintable(error));
    }

    // The digest tells exactly whether a travelling field changed.
    void digest_data()
    {
        QTest::addColumn<TChange>("change");
        QTest::addColumn<bool>("differs");
        QTest::newRow("text") << TChange([](TTask &t) { t.Text += "."; }) << true;
        QTest::newRow("text bytes, same characters") << TChange([](TTask &t) { t.Text = "\xE9"; }) << true;
        QTest::newRow("due date") << TChange([](TTask &t) { t.DueDate += 1; }) << true;
        QTest::newRow("reminder") << TChange([](TTask &t) { t.ReminderTime += 1e-8; }) << true;
        QTest::newRow("priority") << TChange([](TTask &t) { t.Priority = 1; }) << true;
        QTest::newRow("finished") << TChange([](TTask &t) { t.Finished = !t.Finished; }) << true;
        QTest::newRow("colour") << TChange([](TTask &t) { t.Color ^= 1; }) << true;
        QTest::newRow("font colour") << TChange([](TTask &t) { t.FontColor ^= 1; }) << true;
        QTest::newRow("left") << TChange([](TTask &t) { ++t.Left; }) << true;
        QTest::newRow("top") << TChange([](TTask &t) { ++t.Top; }) << true;
        QTest::newRow("width") << TChange([](TTask &t) { ++t.Width; }) << true;
        QTest::newRow("height") << TChange([](TTask &t) { ++t.Height; }) << true;
        QTest::newRow("font name") << TChange([](TTask &t) { t.FontName += "x"; }) << true;
        QTest::newRow("font size") << TChange([](TTask &t) { ++t.FontSize; }) << true;
        QTest::newRow("bold") << TChange([](TTask &t) { t.FontBold = !t.FontBold; }) << true;
        QTest::newRow("italic") << TChange([](TTask &t) { t.FontItalic = !t.FontItalic; }) << true;
        QTest::newRow("open") << TChange([](TTask &t) { t.NoteOpen = !t.NoteOpen; }) << true;
        QTest::newRow("rolled up") << TChange([](TTask &t) { t.RolledUp = !t.RolledUp; }) << true;
        QTest::newRow("created") << TChange([](TTask &t) { t.Created += 1e-10; }) << true;
        QTest::newRow("modified") << TChange([](TTask &t) { t.Modified += 1e-10; }) << true;
        QTest::newRow("text moved between fields") << TChange([](TTask &t) {
            t.Text = "ab";
            t.FontName = "c";
        }) << true;
        QTest::newRow("alerting does not travel")
            << TChange([](TTask &t) { t.Alerting = !t.Alerting; }) << false;
        QTest::newRow("spare fields do not travel") << TChange([](TTask &t) {
            t.Spare1 = 5;
            t.Spare2 = 6;
        }) << false;
        QTest::newRow("minus zero is zero") << TChange([](TTask &t) { t.DueDate = -0.0; }) << false;
    }
    void digest()
    {
        QFETCH(TChange, change);
        QFETCH(bool, differs);
        TTask task = Full();
        task.Text = "abc";
        task.FontName = "";
        task.DueDate = 0;
        const QByteArray before = TravellingDigest(task);
        QCOMPARE(TravellingDigest(task), before);
        change(task);
        QCOMPARE(TravellingDigest(task) != before, differs);

        // A copy of the travelling fields has the same digest and leaves the
        // others alone.
        TTask copy = Blank();
        copy.Alerting = true;
        copy.Spare1 = 99;
        CopyTravellingFields(task, copy);
        QCOMPARE(TravellingDigest(copy), TravellingDigest(task));
        QVERIFY(copy.Alerting);
        QCOMPARE(copy.Spare1, 99);
    }
};

QTEST_GUILESS_MAIN(TstVTodo)
#include "tst_vtodo.moc"
