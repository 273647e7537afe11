#include "base/JbxError.h"
#include "base/LocaleFormats.h"
#include "base/Screen.h"
#include "settings/SettingsCodec.h"
#include "settings/TUserInfo.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestUserInfo : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FAppDir;

    QString IniPath() const { return FAppDir + "Jotterbox.ini"; }
    void WriteIni(const QByteArray &content)
    {
        QFile file(IniPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    QByteArray ReadIni() const
    {
        QFile file(IniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    TUserInfo Loaded() const
    {
        TUserInfo info(FAppDir);
        info.LoadSettings();
        return info;
    }

private slots:
    void initTestCase()
    {
        FAppDir = FDir.path() + '/';
        SetPrimaryScreenSizeFunction([] { return QSize(1280, 1024); });
    }
    void init()
    {
        QFile::remove(IniPath());
        QLocale::setDefault(QLocale::c());
        TLocaleFormats::ResetTimeFormat();
    }

    void noFileGivesTheDefaultsAndTheFirstSaveWritesAllThreeSections()
    {
        const TUserInfo info = Loaded();
        QCOMPARE(info.Version, QStringLiteral("1.03"));
        QCOMPARE(info.StayOnTop, true);
        QCOMPARE(info.ToolBarLeft, 1280 - 140);
        QCOMPARE(info.Left, 1280 - 420);
        QCOMPARE(info.Top, 60);
        QCOMPARE(info.Color, 0x00005797);
        QCOMPARE(info.Color5, 0x009FFFFF);
        QCOMPARE(info.DefaultFontName, QStringLiteral("Comic Sans MS"));
        QCOMPARE(info.SoundFileName, FAppDir + "notify.wav");
        QCOMPARE(info.SkinDirectoryName, QStringLiteral("1"));
        QCOMPARE(info.AutoReminderTime, EncodeTime(9, 30));
        QCOMPARE(info.LastBackup, 0.0);

        info.SaveSettings();
        const QList<QByteArray> lines = ReadIni().split('\n');
        QList<QByteArray> sections;
        int keys = 0;
        for (const QByteArray &line : lines) {
            if (line.isEmpty())
                continue;
            QVERIFY2(line.endsWith('\r'), line.constData());
            if (line.startsWith('['))
                sections << line.trimmed();
            else
                ++keys;
        }
        QCOMPARE(sections, (QList<QByteArray>{"[Installation]", "[User Interface]", "[Data]"}));
        QCOMPARE(keys, 47);
        QVERIFY(ReadIni().startsWith("[Installation]\r\nVersion=1.03\r\nDebugMode=0\r\n[User Interface]\r\n"
                                     "StayOnTop=1\r\nShowTips=1\r\nNextTip=0\r\n"));
        QVERIFY(ReadIni().endsWith(
            "AutoReminder=0\r\nAutoReminderTime=09:30\r\nLastBackup=1899-12-30T00:00:00.000\r\n"));
        QCOMPARE(Loaded(), info);
    }

    void valueEncodings()
    {
        WriteIni("[User Interface]\r\n"
                 "StayOnTop=yes\r\n"
                 "ShowTips=0x0\r\n"
                 "ShowToolBar=2\r\n"
                 "NextTip=$A\r\n"
                 "Left=-30\r\n"
                 "Top=99999999999\r\n"
                 "Color=0X00ff00\r\n"
                 "Color1=$FFFFFFFF\r\n"
                 "Height=\r\n"
                 "DefaultFontSize= 14 \r\n"
                 "Column4Width=12abc\r\n"
                 "DefaultFontName='Times New Roman'\r\n"
                 "[Data]\r\n"
                 "AutoReminderTime=8\r\n"
                 "LastBackup=tomorrow-ish\r\n");
        const TUserInfo info = Loaded();
        QCOMPARE(info.StayOnTop, true); // unreadable: the default
        QCOMPARE(info.ShowTips, false);
        QCOMPARE(info.ShowToolBar, true);
        QCOMPARE(info.NextTip, 10);
        QCOMPARE(info.Left, -30);
        QCOMPARE(info.Top, 60);
        QCOMPARE(info.Color, 0x0000FF00);
        QCOMPARE(info.Color1, -1);
        QCOMPARE(info.Height, 200);
        QCOMPARE(info.DefaultFontSize, 14);
        QCOMPARE(info.Column4Width, 200);
        QCOMPARE(info.DefaultFontName, QStringLiteral("Times New Roman"));
        QCOMPARE(info.AutoReminderTime, EncodeTime(8, 0));
        QCOMPARE(info.LastBackup, 0.0); // so the next tick makes a backup

        QCOMPARE(SettingsCodec::ParseInteger("0x1"), std::optional<qint32>(1));
        QCOMPARE(SettingsCodec::ParseInteger("-$A"), std::optional<qint32>(-10));
        QCOMPARE(SettingsCodec::ParseInteger("-2147483648"), std::optional<qint32>(INT32_MIN));
        QCOMPARE(SettingsCodec::ParseInteger("2147483648"), std::nullopt);
        QCOMPARE(SettingsCodec::ParseInteger("0x"), std::nullopt);
        QCOMPARE(SettingsCodec::ParseInteger("\u0663"), std::nullopt); // an Arabic-Indic 3
        for (const char *notANumber : {"- 5", "$ A", "0x A", "$0x10", "0x0x10", "0x+5", "1e3", "5 6", "--5"})
            QVERIFY2(!SettingsCodec::ParseInteger(QString::fromLatin1(notANumber)), notANumber);
    }

    // What the file says beyond what a screen can show is read, and written
    // back, as the nearest it can.
    void valuesBeyondTheScreenAreKeptInBounds_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("toolbar far right")
            << QByteArray("ToolBarLeft=2147483647") << QByteArray("ToolBarLeft=32767");
        QTest::newRow("list far above") << QByteArray("Top=-2147483648") << QByteArray("Top=-32768");
        QTest::newRow("a screen to the left") << QByteArray("Left=-1200") << QByteArray("Left=-1200");
        QTest::newRow("column width")
            << QByteArray("Column4Width=2147483647") << QByteArray("Column4Width=32767");
        QTest::newRow("negative height") << QByteArray("Height=-5") << QByteArray("Height=0");
        QTest::newRow("huge font") << QByteArray("DefaultFontSize=2147483647")
                                   << QByteArray("DefaultFontSize=72");
        QTest::newRow("no font size") << QByteArray("DefaultFontSize=0") << QByteArray("DefaultFontSize=6");
    }

    void valuesBeyondTheScreenAreKeptInBounds()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, saved);
        WriteIni("[User Interface]\r\n" + stored + "\r\n");
        Loaded().SaveSettings();
        QVERIFY2(ReadIni().contains("\r\n" + saved + "\r\n"), ReadIni().constData());
    }

    void anotherVersionStampChangesNothingElse()
    {
        WriteIni("[Installation]\r\nVersion=0.5\r\nDebugMode=1\r\n[User Interface]\r\nNextTip=4\r\n");
        const TUserInfo info = Loaded();
        QCOMPARE(info.Version, QStringLiteral("1.03"));
        QCOMPARE(info.DebugMode, true);
        QCOMPARE(info.NextTip, 4);
        info.SaveSettings();
        QVERIFY(ReadIni().startsWith("[Installation]\r\nVersion=1.03\r\nDebugMode=1\r\n"));
    }

    void unknownKeysAndSectionsSurviveASave()
    {
        WriteIni("; written by hand\r\n"
                 "[User Interface]\r\n"
                 "Favourite=green\r\n"
                 "NextTip=3\r\n"
                 "[Extras]\r\n"
                 "Anything=goes\r\n");
        TUserInfo info = Loaded();
        info.NextTip = 4;
        info.SaveSettings();
        const QByteArray saved = ReadIni();
        QVERIFY(
            saved.startsWith("; written by hand\r\n[User Interface]\r\nFavourite=green\r\nNextTip=4\r\n"));
        QVERIFY(saved.contains("[Extras]\r\nAnything=goes\r\n[Installation]\r\n"));
    }

    void everyFieldReadsBackInEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("shortTime");
        QTest::addColumn<QByteArray>("lastBackupText");
        QTest::newRow("en_US") << "en_US" << false << QByteArray("LastBackup=2026-12-07T14:03:27.125\r\n");
        QTest::newRow("en_US after the switch")
            << "en_US" << true << QByteArray("LastBackup=2026-12-07T14:03:27.125\r\n");
        QTest::newRow("de_DE") << "de_DE" << false << QByteArray("LastBackup=2026-12-07T14:03:27.125\r\n");
        QTest::newRow("C") << "C" << true << QByteArray("LastBackup=2026-12-07T14:03:27.125\r\n");
        QTest::newRow("es_ES") << "es_ES" << false << QByteArray("AutoReminderTime=7:45:10\r\n");
        QTest::newRow("ko_KR") << "ko_KR" << true << QByteArray();
        QTest::newRow("ar_EG") << "ar_EG" << false << QByteArray();
    }

    void everyFieldReadsBackInEveryLocale()
    {
        QFETCH(QString, locale);
        QFETCH(bool, shortTime);
        QFETCH(QByteArray, lastBackupText);
        QLocale::setDefault(QLocale(locale));
        if (shortTime)
            TLocaleFormats::UseShortTimeFormat();

        TUserInfo info(FAppDir);
        info.DebugMode = true;
        info.StayOnTop = false;
        info.NextTip = 7;
        info.ToolBarLeft = -5;
        info.Color = 0x00ABCDEF;
        info.Column5Width = 0;
        info.SortAscending = false;
        info.DefaultFontName = QStringLiteral("Liberation Sans \u00e9");
        info.SoundFileName = QStringLiteral("/home/me/sounds/ding.wav");
        info.AutoDeleteFinishedTasksDays = 30;
        info.AutoReminderTime = EncodeTime(7, 45, 10);
        info.LastBackup = EncodeDate(2026, 12, 7) + EncodeTime(14, 3, 27, 125);
        info.SaveSettings();
        if (!lastBackupText.isEmpty())
            QVERIFY2(ReadIni().contains(lastBackupText), ReadIni().constData());
        QCOMPARE(Loaded(), info);

        info.LastBackup = EncodeDate(2026, 12, 31); // midnight
        info.SaveSettings();
        QCOMPARE(Loaded().LastBackup, info.LastBackup);
    }

    void momentsReadBackExactlyInAllLocales()
    {
        // The moment the save routine stores is the clock's, milliseconds
        // and all; one in the hour skipped in spring is among them.
        const TDateTime moments[] = {EncodeDate(2026, 12, 7) + EncodeTime(14, 3, 27, 481),
                                     EncodeDate(2026, 3, 29) + EncodeTime(2, 30, 0, 1),
                                     EncodeDate(1999, 1, 1)};
        int checked = 0;
        for (const QLocale &locale :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            QLocale::setDefault(locale);
            for (TDateTime moment : moments) {
                const QString text = SettingsCodec::FormatDateTime(moment);
                QVERIFY2(SettingsCodec::ParseDateTime(text) == moment,
                         qPrintable(locale.name() + ": " + text));
                const TDateTime timeOfDay = TimeToDateTime(DateTimeToQTime(moment));
                const QString time = SettingsCodec::FormatTime(timeOfDay);
                QVERIFY2(SettingsCodec::ParseTime(time) == timeOfDay,
                         qPrintable(locale.name() + ": " + time));
                ++checked;
            }
        }
        QVERIFY(checked > 300);
    }

    void handWrittenDatesAndTimesAreTaken()
    {
        QLocale::setDefault(QLocale("de_DE"));
        WriteIni("[Data]\r\nAutoReminderTime=7:15\r\nLastBackup=01.02.2026 8:05\r\n");
        QCOMPARE(Loaded().AutoReminderTime, EncodeTime(7, 15));
        QCOMPARE(Loaded().LastBackup, EncodeDate(2026, 2, 1) + EncodeTime(8, 5));
        WriteIni("[Data]\r\nLastBackup=01.02.2026\r\n");
        QCOMPARE(Loaded().LastBackup, EncodeDate(2026, 2, 1));
    }

    // Sync is off and absent until set up; once set up, its section is
    // written and read back, and it stays when sync is turned off again.
    void syncSectionComesWithTheFirstSyncSetting()
    {
        TUserInfo info(FAppDir);
        info.SaveSettings();
        QVERIFY(!ReadIni().contains("[Sync]"));
        QCOMPARE(Loaded().SyncIntervalMinutes, 5);

        info.SyncEnabled = true;
        info.SyncUrl = "https://dav.example.org/user/tasks/";
        info.SyncUser = "ann";
        info.SyncIntervalMinutes = 15;
        info.SyncPasswordCommand = "pass show dav";
        info.SyncCaFile = "/etc/ssl/dav.pem";
        info.SaveSettings();
        QVERIFY(ReadIni().contains("\r\n[Sync]\r\nEnabled=1\r\nUrl=https://dav.example.org/user/tasks/\r\n"));
        QCOMPARE(Loaded(), info);

        info = TUserInfo(FAppDir);
        info.SaveSettings();
        QVERIFY(ReadIni().contains("[Sync]\r\nEnabled=0\r\nUrl=\r\n"));
    }

    void unwritableFileIsReported()
    {
        TUserInfo info(FAppDir + "missing-dir/");
        try {
            info.SaveSettings();
            QFAIL("the save should have failed");
        } catch (const EJbxError &error) {
            QCOMPARE(error.Message(), "Unable to write to " + FAppDir + "missing-dir/Jotterbox.ini");
        }
    }
};

QTEST_GUILESS_MAIN(TestUserInfo)
#include "tst_userinfo.moc"
