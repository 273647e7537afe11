#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/LocaleFormats.h"
#include "base/TextCodec.h"

#include <QLocale>
#include <QTest>
#include <ctime>

class TestDateTime : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The clock changes below are Berlin's, wherever the test runs.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void init()
    {
        QLocale::setDefault(QLocale::c());
        TLocaleFormats::ResetTimeFormat();
        TClock::Reset();
    }

    void conversionsFollowTheDayCount()
    {
        QCOMPARE(EncodeDate(1899, 12, 30), 0.0);
        QCOMPARE(EncodeDate(2000, 1, 1), 36526.0);
        QCOMPARE(EncodeTime(9, 30), 9.5 / 24);
        const QDateTime moment(QDate(2026, 3, 10), QTime(14, 7, 9, 250));
        QCOMPARE(DateTimeToQDateTime(QDateTimeToDateTime(moment)), moment);
        QCOMPARE(DateTimeToQDate(DateOf(QDateTimeToDateTime(moment))), QDate(2026, 3, 10));
        // Monday is 1, Sunday 7.
        QCOMPARE(DayOfTheWeek(EncodeDate(2026, 12, 7)), 1);
        QCOMPARE(DayOfTheWeek(EncodeDate(2026, 12, 13)), 7);
        // A fraction a hair below a whole day must not give 24:00.
        QCOMPARE(DateTimeToQDateTime(EncodeDate(2026, 1, 1) + 0.99999999999),
                 QDateTime(QDate(2026, 1, 2), QTime(0, 0)));
        // Before the day count's start the days go below zero and the time
        // of day still forward: -1.25 is 29 December 1899, 6:00.
        const QDateTime early(QDate(1899, 12, 29), QTime(6, 0));
        QCOMPARE(QDateTimeToDateTime(early), -1.25);
        QCOMPARE(DateTimeToQDateTime(-1.25), early);
        const QDateTime medieval(QDate(1012, 10, 5), QTime(16, 0));
        QCOMPARE(DateTimeToQDateTime(QDateTimeToDateTime(medieval)), medieval);
    }

    void clockCanBeSetAndStepped()
    {
        TClock::Set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 30)));
        QCOMPARE(TClock::Today(), EncodeDate(2026, 12, 7));
        TClock::Advance(60000);
        QCOMPARE(TClock::Current(), QDateTime(QDate(2026, 12, 8), QTime(0, 0, 30)));
        QCOMPARE(TClock::Today(), EncodeDate(2026, 12, 8));
        TClock::Reset();
        QVERIFY(qAbs(TClock::Current().secsTo(QDateTime::currentDateTime())) < 5);
    }

    void timeParser_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // seconds since midnight, -1: invalid
        QTest::newRow("hour alone") << "de_DE"
                                    << "9" << (9 * 60) * 60;
        QTest::newRow("24h") << "de_DE"
                             << "21:30" << (21 * 60 + 30) * 60;
        QTest::newRow("with seconds") << "de_DE"
                                      << " 7:05:59 " << (7 * 60 + 5) * 60 + 59;
        QTest::newRow("25:00") << "de_DE"
                               << "25:00" << -1;
        QTest::newRow("no milliseconds when typed") << "de_DE"
                                                    << "7:05:59.250" << -1;
        QTest::newRow("minutes 60") << "de_DE"
                                    << "9:60" << -1;
        QTest::newRow("empty") << "de_DE"
                               << "" << -1;
        QTest::newRow("words") << "de_DE"
                               << "soon" << -1;
        QTest::newRow("four parts") << "de_DE"
                                    << "1:2:3:4" << -1;
        QTest::newRow("pm after") << "en_US"
                                  << "9:30 PM" << (21 * 60 + 30) * 60;
        QTest::newRow("am before") << "en_US"
                                   << "AM 9:30" << (9 * 60 + 30) * 60;
        QTest::newRow("12 am is midnight") << "en_US"
                                           << "12:15 am" << (15) * 60;
        QTest::newRow("12 pm is noon") << "en_US"
                                       << "12 PM" << (12 * 60) * 60;
        QTest::newRow("13 pm") << "en_US"
                               << "13 PM" << -1;
        QTest::newRow("0 am") << "en_US"
                              << "0 AM" << -1;
        QTest::newRow("finnish separator") << "fi_FI"
                                           << "9.45" << (9 * 60 + 45) * 60;
        QTest::newRow("wrong separator") << "fi_FI"
                                         << "9:45" << -1;
    }

    void timeParser()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, expected);
        QLocale::setDefault(QLocale(locale));
        const auto parsed = TLocaleFormats::StrToTime(text);
        if (expected < 0) {
            QVERIFY(!parsed);
            QVERIFY_THROWS_EXCEPTION(std::exception, TLocaleFormats::StrToTimeOrThrow(text));
            return;
        }
        QVERIFY(parsed);
        QCOMPARE(DateTimeToQTime(*parsed).msecsSinceStartOfDay() / 1000, expected);
    }

    void longTimeFormatLosesSecondsAfterTheSwitch()
    {
        QLocale::setDefault(QLocale("en_US"));
        const TDateTime t = EncodeTime(21, 5, 7);
        QCOMPARE(TLocaleFormats::TimeToStr(t), QStringLiteral("9:05:07 PM"));
        TLocaleFormats::UseShortTimeFormat();
        QCOMPARE(TLocaleFormats::TimeToStr(t), QStringLiteral("9:05 PM"));
        QCOMPARE(TLocaleFormats::DateTimeToStr(EncodeDate(2026, 3, 10) + t),
                 QStringLiteral("3/10/26 9:05 PM"));
        QCOMPARE(TLocaleFormats::DateTimeToStr(EncodeDate(2026, 3, 10)), QStringLiteral("3/10/26"));
        // No zone name in any form: it would change with the season.
        TLocaleFormats::ResetTimeFormat();
        QLocale::setDefault(QLocale("de_DE"));
        QCOMPARE(TLocaleFormats::TimeToStr(t), QStringLiteral("21:05:07"));
        QLocale::setDefault(QLocale("es_ES")); // its long form ends in " (zone)"
        QCOMPARE(TLocaleFormats::TimeToStr(t), QStringLiteral("21:05:07"));
    }

    // Every time the program writes itself reads back with the same
    // locale's format: with seconds (the settings, the log) and without
    // (the reminder's time label, the hints), whatever the locale puts
    // between hours and minutes ("9.30", "09 h 30", AM/PM texts of its own).
    void writtenTimesReadBackInEveryLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        for (const QLocale &locale :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
            QTest::newRow(qPrintable(locale.bcp47Name())) << locale;
    }

    void writtenTimesReadBackInEveryLocale()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        // The proposed 9:30, five minutes past midnight (now + 5 minutes at
        // 23:60), noon, and a moment with seconds and milliseconds.
        const TDateTime times[] = {EncodeTime(9, 30), EncodeTime(0, 5), EncodeTime(12, 0),
                                   EncodeTime(23, 59, 58, 250)};
        for (bool shortFormat : {false, true}) {
            if (shortFormat)
                TLocaleFormats::UseShortTimeFormat();
            for (const TDateTime time : times) {
                const QString text = TLocaleFormats::TimeToStr(time);
                const std::optional<TDateTime> read = TLocaleFormats::StrToTime(text);
                QVERIFY2(read, qPrintable(text));
                const QTime written = DateTimeToQTime(time);
                const QTime expected(written.hour(), written.minute(), shortFormat ? 0 : written.second());
                QCOMPARE(DateTimeToQTime(*read), expected);
                QCOMPARE(TLocaleFormats::StrToTimeOrThrow(text), *read);
            }
        }
    }

    // A wall time the clock skips in spring is first reached at the jump; one
    // it shows twice in autumn, at its first showing (Europe/Berlin, 2027:
    // 28 March 2:00 CET becomes 3:00 CEST; 31 October 3:00 CEST becomes
    // 2:00 CET).
    void wallTimesAroundClockChanges_data()
    {
        QTest::addColumn<QDateTime>("wall");
        QTest::addColumn<QDateTime>("utc");
        QTest::addColumn<bool>("skipped");
        const QDate spring(2027, 3, 28);
        const QDate autumn(2027, 10, 31);
        auto row = [](const char *name, QDate day, QTime wall, QDate utcDay, QTime utc,
                      bool skipped = false) {
            QTest::newRow(name) << QDateTime(day, wall, Qt::UTC) << QDateTime(utcDay, utc, Qt::UTC)
                                << skipped;
        };
        row("winter", QDate(2027, 1, 5), QTime(9, 30), QDate(2027, 1, 5), QTime(8, 30));
        row("just before the jump", spring, QTime(1, 59, 59, 999), spring, QTime(0, 59, 59, 999));
        row("skipped hour's start", spring, QTime(2, 0), spring, QTime(1, 0), true);
        row("in the skipped hour", spring, QTime(2, 30), spring, QTime(1, 0), true);
        row("after the jump", spring, QTime(3, 0, 30), spring, QTime(1, 0, 30));
        row("before the repeated hour", autumn, QTime(1, 59), autumn.addDays(-1), QTime(23, 59));
        row("in the repeated hour", autumn, QTime(2, 30), autumn, QTime(0, 30));
        row("after the repeated hour", autumn, QTime(3, 0), autumn, QTime(2, 0));
    }

    void wallTimesAroundClockChanges()
    {
        QFETCH(QDateTime, wall);
        QFETCH(QDateTime, utc);
        QFETCH(bool, skipped);
        const TDateTime value = CombineDateTime(wall.date(), wall.time());
        const QDateTime moment = DateTimeToQDateTime(value);
        QVERIFY(moment.isValid());
        QCOMPARE(moment.toUTC(), utc);
        // A skipped time becomes the jump's 3:00; any other reads back as it was.
        QCOMPARE(QDateTimeToDateTime(moment), skipped ? DateOf(value) + EncodeTime(3, 0) : value);
    }

    void textDecodingFallsBackToWindows1252()
    {
        QCOMPARE(DecodeText(QByteArray("caf\xc3\xa9")), QStringLiteral("caf\u00e9"));
        QCOMPARE(DecodeText(QByteArray("caf\xe9 \x80")), QStringLiteral("caf\u00e9 \u20ac"));
        QVERIFY(!IsValidUtf8(QByteArray("\xe9")));
        QVERIFY(IsValidUtf8(QByteArray("plain")));
    }
};

QTEST_GUILESS_MAIN(TestDateTime)
#include "tst_datetime.moc"
