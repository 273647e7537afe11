#include "base/JbxError.h"
#include "settings/IniFile.h"
#include "settings/SettingsCodec.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {
TIniFile FromText(const QByteArray &text)
{
    TIniFile ini(QStringLiteral("unused.ini"));
    ini.LoadFromBytes(text);
    return ini;
}
} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void readsHandEditedFilesLikeTheProfileCalls()
    {
        const TIniFile ini = FromText("; a comment line\r\n"
                                      "  [ user INTERFACE ]  \r\n"
                                      "\tstayontop \t=  0 \t\r\n"
                                      ";Left=5\r\n"
                                      "Left=7\r\n"
                                      "LEFT=8\r\n"
                                      "Name = \"  quoted  \"\r\n"
                                      "Single='x'\r\n"
                                      "Mismatched=\"x'\r\n"
                                      "Inner=a \"b\" c\r\n"
                                      "Empty=\r\n"
                                      "no equals sign\r\n"
                                      "[User Interface]\r\n"
                                      "Top=99\r\n"
                                      "[Data]\n"
                                      "Unix=lf only");
        const QString ui = QStringLiteral("User Interface");
        QCOMPARE(ini.ReadString(ui, "StayOnTop", "d"), QStringLiteral("0"));
        QCOMPARE(ini.ReadString(ui, "Left", "d"), QStringLiteral("7")); // first key wins
        QCOMPARE(ini.ReadString(ui, "Top", "d"), QStringLiteral("d"));  // first section wins
        QCOMPARE(ini.ReadString(ui, "Name", "d"), QStringLiteral("  quoted  "));
        QCOMPARE(ini.ReadString(ui, "Single", "d"), QStringLiteral("x"));
        QCOMPARE(ini.ReadString(ui, "Mismatched", "d"), QStringLiteral("\"x'"));
        QCOMPARE(ini.ReadString(ui, "Inner", "d"), QStringLiteral("a \"b\" c"));
        QCOMPARE(ini.ReadString(ui, "Empty", "d"), QString());
        QCOMPARE(ini.Value(ui, "empty"), std::optional<QString>(QString()));
        QCOMPARE(ini.Value(ui, "no equals sign"), std::nullopt);
        QCOMPARE(ini.ReadString("data", "unix", "d"), QStringLiteral("lf only"));
        QCOMPARE(ini.ReadString("Missing", "Left", "d"), QStringLiteral("d"));
    }

    void longValuesAreCut()
    {
        const QByteArray value(3000, 'v');
        const TIniFile ini = FromText("[S]\r\nK=" + value + "\r\n");
        QCOMPARE(ini.ReadString("S", "K", QString()), QString(2047, u'v'));
    }

    void writingKeepsEveryOtherLine()
    {
        const QByteArray original = "; my settings\r\n"
                                    "[Installation]\r\n"
                                    "Version = 0.9 \r\n"
                                    "\r\n"
                                    "[User Interface]\r\n"
                                    "MyOwnKey=keep me\r\n"
                                    "Left=1\r\n"
                                    "; trailing comment of the section\r\n"
                                    "\r\n"
                                    "[Plugins]\r\n"
                                    "x=y\r\n";
        TIniFile ini = FromText(original);
        ini.WriteString("installation", "Version", "1.03");
        ini.WriteString("User Interface", "Top", "60");
        ini.WriteString("Data", "AutoDueDate", "0");
        ini.WriteString("Data", "AutoDueDateDays", "2");
        QCOMPARE(ini.ToBytes(), QByteArray("; my settings\r\n"
                                           "[Installation]\r\n"
                                           "Version=1.03\r\n"
                                           "\r\n"
                                           "[User Interface]\r\n"
                                           "MyOwnKey=keep me\r\n"
                                           "Left=1\r\n"
                                           "Top=60\r\n"
                                           "; trailing comment of the section\r\n"
                                           "\r\n"
                                           "[Plugins]\r\n"
                                           "x=y\r\n"
                                           "[Data]\r\n"
                                           "AutoDueDate=0\r\n"
                                           "AutoDueDateDays=2\r\n"));
    }

    void byteOrderMarkAndLineBreaksInValues()
    {
        TIniFile ini = FromText("\xEF\xBB\xBF[Installation]\r\nDebugMode=1\r\n");
        QCOMPARE(ini.ReadString("Installation", "DebugMode", "d"), QStringLiteral("1"));
        ini.WriteString("Installation", "DebugMode", "0");
        ini.WriteString("Installation", "Note", "two\r\n[Data]\nAutoReminder=1");
        QCOMPARE(ini.ToBytes(), QByteArray("\xEF\xBB\xBF[Installation]\r\nDebugMode=0\r\n"
                                           "Note=two  [Data] AutoReminder=1\r\n"));
    }

    void loneCarriageReturnEndsALine()
    {
        // A value read with a CR inside would be written back with a blank
        // in its place, and the next start would read another value.
        TIniFile ini = FromText("[User Interface]\rSoundFileName=/a.wav\rLeft=5\r\r\nTop=6\n");
        QCOMPARE(ini.ReadString("User Interface", "SoundFileName", "d"), QStringLiteral("/a.wav"));
        QCOMPARE(ini.ReadString("User Interface", "Left", "d"), QStringLiteral("5"));
        QCOMPARE(ini.ReadString("User Interface", "Top", "d"), QStringLiteral("6"));
        QCOMPARE(ini.ToBytes(),
                 QByteArray("[User Interface]\r\nSoundFileName=/a.wav\r\nLeft=5\r\n\r\nTop=6\r\n"));
        TIniFile again = FromText(ini.ToBytes());
        QCOMPARE(again.ToBytes(), ini.ToBytes());
    }

    void valuesReadBackAsWritten()
    {
        // Blanks at the ends and quotes around a value are what reading
        // takes away, so a file path ending in a blank or a name the user
        // quoted on purpose must be written so that they stay.
        const QStringList values = {QStringLiteral("/sounds/bell.wav "),
                                    QStringLiteral("\tindented"),
                                    QStringLiteral("\"quoted\""),
                                    QStringLiteral("'single'"),
                                    QStringLiteral(" "),
                                    QStringLiteral("\""),
                                    QStringLiteral("a \"b\" c"),
                                    QString()};
        TIniFile ini = FromText("[S]\r\n");
        for (qsizetype i = 0; i < values.size(); ++i)
            ini.WriteString("S", QStringLiteral("K%1").arg(i), values[i]);
        const TIniFile again = FromText(ini.ToBytes());
        for (qsizetype i = 0; i < values.size(); ++i)
            QCOMPARE(again.ReadString("S", QStringLiteral("K%1").arg(i), "missing"), values[i]);
        QVERIFY(ini.ToBytes().contains("K6=a \"b\" c\r\n")); // quotes inside stay as they are
    }

    void momentsBeforeTheEpochReadBackUnchanged()
    {
        // Days before 30 Dec 1899 count below zero while their time of day
        // still counts forward: 16:00 on 5 Oct 1012 must not come back as
        // 8:00 the day after.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QDate date(1012, 10, 5);
        const QTime time(16, 0);
        const std::optional<TDateTime> read =
            SettingsCodec::ParseDateTime(QStringLiteral("10/5/1012 4:00:00 PM"));
        QVERIFY(read);
        QCOMPARE(DateTimeToQDate(*read), date);
        QCOMPARE(DateTimeToQTime(*read), time);
        QCOMPARE(SettingsCodec::ParseDateTime(QStringLiteral("1012-10-05T16:00:00")), read);
        QCOMPARE(SettingsCodec::ParseDateTime(SettingsCodec::FormatDateTime(*read)), read);
        QLocale::setDefault(QLocale::c());
    }

    void unreadableFileIsNeverReplaced()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Jotterbox.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Mine]\r\nprecious=1\r\n");
        file.close();
        QFile::setPermissions(path, QFile::WriteOwner);
        if (QFile(path).open(QIODevice::ReadOnly))
            QSKIP("permissions do not stop this user from reading (root)");
        TIniFile ini(path);
        ini.Load();
        QCOMPARE(ini.ReadString("Mine", "precious", "d"), QStringLiteral("d"));
        ini.WriteString("A", "k", "v");
        QVERIFY_THROWS_EXCEPTION(EJbxError, ini.Save());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        TIniFile again(path);
        again.Load();
        QCOMPARE(again.ReadString("Mine", "precious", "d"), QStringLiteral("1"));
    }

    void savesWithCrLfAndCreatesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Jotterbox.ini");
        TIniFile ini(path);
        ini.Load(); // missing: empty
        ini.WriteString("A", "k", "v");
        ini.Save();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[A]\r\nk=v\r\n"));

        TIniFile again(path);
        again.Load();
        QCOMPARE(again.ReadString("a", "K", "d"), QStringLiteral("v"));
    }

    void unwritableFileIsReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("no/such/dir/Jotterbox.ini");
        TIniFile ini(path);
        ini.WriteString("A", "k", "v");
        try {
            ini.Save();
            QFAIL("the save should have failed");
        } catch (const EJbxError &error) {
            QCOMPARE(error.Message(), "Unable to write to " + path);
        }
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
