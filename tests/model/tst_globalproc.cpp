#include "base/Clock.h"
#include "base/LocaleFormats.h"
#include "model/TStream.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "settings/TUserInfo.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestGlobalProc : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QStringList LogFiles() const { return QDir(FDir.path()).entryList({"*.log"}, QDir::Files, QDir::Name); }
    QByteArray LogOf(int digit) const
    {
        QFile file(FDir.filePath(QString::number(digit) + ".log"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale("de_DE"));
        TLocaleFormats::ResetTimeFormat();
        for (const QString &name : LogFiles())
            QFile::remove(FDir.filePath(name));
        CreateGlobals(FDir.path() + '/');
    }
    void cleanup()
    {
        DestroyGlobals();
        TClock::Reset();
    }

    void firstNonBlankLine()
    {
        QCOMPARE(FirstNonBlankLine("\r\n \t \r\n  two words\t\r\nlast"), QByteArray("two words"));
        QCOMPARE(FirstNonBlankLine(""), QByteArray());
        QCOMPARE(FirstNonBlankLine(" \r\n\t"), QByteArray());
        QCOMPARE(FirstNonBlankLine("\n  second  "), QByteArray("second"));
        QCOMPARE(FirstNonBlankLine("\rcr only\rnext"), QByteArray("cr only"));
        QCOMPARE(FirstNonBlankLine(QByteArray("\x01\x1f subject\x7f", 12)), QByteArray("subject\x7f"));
        QCOMPARE(FirstNonBlankLine(QByteArray(" \0hidden", 8)), QByteArray());
        QCOMPARE(FirstNonBlankLine("caf\xc3\xa9 "), QByteArray("caf\xc3\xa9"));
    }

    void globalsStartInOrder()
    {
        QVERIFY(GlobalsExist());
        QCOMPARE(AppDir, FDir.path() + '/');
        QVERIFY(!DataModified && !StayOnTopChanged);
        QCOMPARE(UserInfo().FileName(), FDir.filePath("Jotterbox.ini"));
        QCOMPARE(TaskList().Count(), 0);
        QCOMPARE(TaskList().AddNewTask()->Left, 120);
    }

    // A watcher that stops another watching (as a window closing in answer
    // does) must not see that one told afterwards: what it touches is gone.
    void modifiedWatchersRemovedWhileToldAreNotTold()
    {
        TModifiedFlag flag;
        QStringList told;
        int second = 0;
        flag.Watch([&] {
            told << "first";
            flag.Unwatch(second);
            flag.Watch([&] { told << "added"; });
        });
        second = flag.Watch([&] { told << "second"; });
        flag.Watch([&] { told << "third"; });
        flag.Mark();
        QVERIFY(flag);
        QCOMPARE(told, QStringList({"first", "third"}));
        told.clear();
        flag.Mark();
        QCOMPARE(told, QStringList({"first", "third", "added"}));
    }

    void logIsSilentWhileDebugModeIsOff()
    {
        TClock::Set(QDateTime(QDate(2026, 12, 12), QTime(10, 0)));
        WriteDebugLog("TimerSaveTimer");
        QVERIFY(LogFiles().isEmpty());
    }

    void logRotatesThroughTheWeek()
    {
        UserInfo().DebugMode = true;
        // A week of stale files: each day's first line deletes tomorrow's.
        for (int digit = 0; digit < 7; ++digit) {
            QFile file(FDir.filePath(QString::number(digit) + ".log"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old\r\n");
        }
        TClock::Set(QDateTime(QDate(2026, 12, 12), QTime(10, 0, 5))); // Saturday
        WriteDebugLog("TimerSaveTimer");
        QCOMPARE(LogOf(6), QByteArray("old\r\n12.12.26 10:00:05 : TimerSaveTimer\r\n"));
        QVERIFY(!QFile::exists(FDir.filePath("0.log")));

        TClock::Set(QDateTime(QDate(2026, 12, 13), QTime(8, 1))); // Sunday
        TLocaleFormats::UseShortTimeFormat();
        const QString longMessage(300, u'x');
        WriteDebugLog(longMessage);
        QCOMPARE(LogOf(0), "13.12.26 08:01 : " + longMessage.toLatin1() + "\r\n");
        QVERIFY(!QFile::exists(FDir.filePath("1.log")));

        // Days later: today's file grows, six files at most survive.
        for (int day = 14; day <= 20; ++day) {
            TClock::Set(QDateTime(QDate(2026, 12, day), QTime(9, 0)));
            WriteDebugLog("FormDestroy");
        }
        QCOMPARE(LogFiles().size(), 6);
        QVERIFY(!QFile::exists(FDir.filePath("1.log"))); // Monday 21st would be next
    }

    void logSwallowsErrors()
    {
        UserInfo().DebugMode = true;
        AppDir = FDir.filePath("missing/");
        WriteDebugLog("FormCloseQuery"); // must neither throw nor create anything
        QVERIFY(!QDir(AppDir).exists());
    }

    // Under the usual umask 022 the settings (the sync server, its user and
    // password command) and the log are still the user's alone.
    void filesTheProgramMakesAreOwnerOnly_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("settings") << "Jotterbox.ini";
        QTest::newRow("log") << "6.log";
    }

    void filesTheProgramMakesAreOwnerOnly()
    {
        QFETCH(QString, file);
        const mode_t mask = ::umask(022);
        UserInfo().DebugMode = true;
        UserInfo().SyncUrl = QStringLiteral("https://dav.example.org/ann/tasks/");
        TClock::Set(QDateTime(QDate(2026, 12, 12), QTime(10, 0))); // Saturday
        QFile::remove(FDir.filePath("Jotterbox.ini"));
        UserInfo().SaveSettings();
        WriteDebugLog("TimerSaveTimer");
        ::umask(mask);
        QVERIFY(QFile::exists(FDir.filePath(file)));
        QCOMPARE(QFile::permissions(FDir.filePath(file)) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    void streamStrings()
    {
        TMemoryStream stream;
        WriteStreamString(stream, "");
        WriteStreamString(stream, QByteArray("a\0b", 3));
        QCOMPARE(stream.Bytes(), QByteArray("\0\0\0\0\x03\0\0\0a\0b", 11));
        stream.Seek(0);
        QCOMPARE(ReadStreamString(stream), QByteArray());
        QCOMPARE(ReadStreamString(stream), QByteArray("a\0b", 3));
        QVERIFY_THROWS_EXCEPTION(std::exception, ReadStreamString(stream));

        // Before the start or past the end there is nothing to read.
        char byte = 0;
        stream.Seek(-4);
        QCOMPARE(stream.BytesLeft(), 11);
        QCOMPARE(ReadStreamString(stream), QByteArray());
        stream.Seek(1000);
        QCOMPARE(stream.BytesLeft(), 0);
        QVERIFY_THROWS_EXCEPTION(std::exception, stream.ReadBuffer(&byte, 1));
    }
};

QTEST_GUILESS_MAIN(TestGlobalProc)
#include "tst_globalproc.moc"
