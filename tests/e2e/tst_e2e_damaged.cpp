// The installed program with hand-damaged files in its folder: the data file
// and the backups, the settings, the skin, the tips and the sound. Whatever
// it finds, it starts, keeps running, says what is wrong where it reports
// errors at all, and loses nothing it had: a data file it could not read is
// kept aside unchanged and never saved over.

#include "base/Clock.h"
#include "base/DateTime.h"
#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QtEndian>
#include <csignal>

namespace {
QByteArray Noise(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// The program's peak memory so far, in KiB.
qint64 PeakMemory(TProgram &program)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(program.Process().processId()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression peak(QStringLiteral("VmHWM:\\s*(\\d+)"));
    return peak.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// A WAV file whose data chunk claims far more than the file holds.
QByteArray LyingWave(const QString &shipped)
{
    QByteArray wave = ReadFileBytes(shipped);
    const qsizetype data = wave.indexOf("data");
    if (data > 0)
        qToLittleEndian<quint32>(0x7FFFFFF0, wave.data() + data + 4);
    return wave.left(wave.size() / 2);
}
} // namespace

class TestE2eDamaged : public TE2eTest {
    Q_OBJECT

    QStringList Damaged() const
    {
        return QDir(FFolder).entryList({QStringLiteral("Jotterbox_Damaged_*.dat")});
    }

    // The settings of a quiet start, with this sound for the reminders.
    bool WriteSoundSetting(const QString &soundFile)
    {
        return WriteSettings(
                   QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\nSoundFileName=%1\r\n").arg(soundFile))
            .isEmpty();
    }

    // The lines the program reported as errors ("Jotterbox: ..." on stderr,
    // each also an error box).
    static QStringList Errors(TProgram &program)
    {
        QStringList errors;
        for (const QString &line : program.Output().split(u'\n'))
            if (line.startsWith(QStringLiteral("Jotterbox: ")))
                errors << line.mid(11);
        return errors;
    }

    // The list window: the program's one tall window (error boxes are low).
    QRect ListWindow(TProgram &program) const
    {
        for (const QString &id : ProgramWindows(program))
            if (const QRect place = Geometry(id); place.height() > 100)
                return place;
        return {};
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
    }

    // --- the data file ---------------------------------------------------

    void damagedDataFileIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("ini"); // damage to go with it; empty: none
        QTest::newRow("empty, with empty settings") << QByteArray() << "Stream read error" << QByteArray("-");
        QTest::newRow("noise, with noise for settings")
            << Noise(100000, 1) << "Stream read error" << Noise(3000, 2);
        QTest::newRow("header only") << QByteArray("\x05\0\0\0jbx01", 9) << "Stream read error"
                                     << QByteArray();
        QTest::newRow("a string longer than the file")
            << QByteArray("\xff\xff\xff\x7fjbx01", 9) << "Stream read error" << QByteArray();
    }

    void damagedDataFileIsKeptAside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(QByteArray, ini);
        QVERIFY(WriteFileBytes(Path("Jotterbox.dat"), bytes));
        if (ini == "-")
            QVERIFY(WriteFileBytes(Path("Jotterbox.ini"), {}));
        else if (!ini.isEmpty())
            QVERIFY(WriteFileBytes(Path("Jotterbox.ini"), ini));

        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        const QStringList kept = Damaged();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(Errors(program).value(0), error);
        QVERIFY2(program.Output().contains(Path(kept[0])), qPrintable(program.Output()));
        QCOMPARE(ReadFileBytes(Path(kept[0])), bytes);
        QCOMPARE(program.Stop(SIGTERM), 0);
        QCOMPARE(ReadFileBytes(Path(kept[0])), bytes);
        ReadDataFile([](const TTaskList &tasks) { QCOMPARE(tasks.Count(), 0); });
    }

    void cutDataFileKeepsWhatCouldBeRead()
    {
        WriteDataFile([](TTaskList &tasks) {
            for (int i = 0; i < 3; ++i) {
                TTask *task = tasks.AddNewTask();
                FillEveryField(*task, i);
                task->NoteOpen = false;
                task->Alerting = false;
                task->ReminderTime = 0;
            }
        });
        const QByteArray whole = ReadFileBytes(Path("Jotterbox.dat"));
        const QByteArray cut = whole.left(whole.size() - 40); // into the third record
        QVERIFY(WriteFileBytes(Path("Jotterbox.dat"), cut));

        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QCOMPARE(Errors(program).value(0), QStringLiteral("Stream read error"));
        QCOMPARE(Damaged().size(), 1);
        QCOMPARE(program.Stop(SIGTERM), 0);
        QCOMPARE(ReadFileBytes(Path(Damaged().value(0))), cut);
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 3); // two whole, the third as far as it went
            QVERIFY(tasks.GetTask(1)->Text.endsWith(" invoice 1"));
        });
    }

    void folderInPlaceOfTheDataFileIsLeftAlone()
    {
        QVERIFY(QDir().mkpath(Path("Jotterbox.dat")));
        // Tips that cannot be read either: no box for them.
        QVERIFY(QDir().mkpath(Path("tips.txt.new")));
        QFile::remove(Path("tips.txt"));
        QVERIFY(QDir().rename(Path("tips.txt.new"), Path("tips.txt")));
        QVERIFY(WriteSettings(QStringLiteral("ShowTips=1\r\nShowToolBar=0\r\n")).isEmpty());

        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        const QStringList errors = Errors(program);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith(QStringLiteral("Cannot open file ") + Path("Jotterbox.dat")),
                 qPrintable(errors[0]));
        QVERIFY(Eventually([&] {
            return !XDo({"search", "--onlyvisible", "--name", "^Tip of the Day$"}).isEmpty();
        }));
        QCOMPARE(program.Stop(SIGTERM), 0);
        QVERIFY(QFileInfo(Path("Jotterbox.dat")).isDir());
        QVERIFY(Damaged().isEmpty());
    }

    // Neither read nor copied aside: what the user types goes to a new file
    // beside it, named in the one box, minute after minute without another.
    void unreadableDataFileThatCannotBeKeptSavesTheSessionBeside()
    {
        QVERIFY(QDir().mkpath(Path("Jotterbox.dat")));
        const QPoint listPlace(600, 500); // tells the list from the error box
        QVERIFY(
            WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\nShowing=1\r\nLeft=%1\r\nTop=%2\r\n")
                              .arg(listPlace.x())
                              .arg(listPlace.y()))
                .isEmpty());
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("JBX_SAVE_INTERVAL_MS"), QStringLiteral("200"));
        TProgram program(FFolder, environment);
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QString list;
        QStringList windows;
        QVERIFY(Eventually([&] {
            windows = ProgramWindows(program);
            for (const QString &id : windows)
                if (Geometry(id).topLeft() == listPlace)
                    list = id;
            return !list.isEmpty();
        }));
        // The hot keys wait for a readable file; the list's own key makes the note.
        XDo({"windowactivate", "--sync", list});
        XDo({"key", "ctrl+alt+n"});
        QVERIFY2(Eventually([&] { return ProgramWindows(program).size() == windows.size() + 1; }),
                 qPrintable(program.Output()));
        XDo({"type", "--delay", "30", "Buy bread"});

        const QRegularExpression named(QStringLiteral("saved to (\\S+/Jotterbox_Recovered_[0-9-]+\\.dat)"));
        const QString savedTo = named.match(program.Output()).captured(1);
        QVERIFY2(!savedTo.isEmpty(), qPrintable(program.Output()));
        QByteArray held; // the text of each task the file holds
        auto holds = [&savedTo, &held](const QByteArray &text) {
            TUserInfo settings(QFileInfo(savedTo).absolutePath() + u'/');
            TTaskList tasks(settings);
            held = "(unreadable)";
            try {
                tasks.LoadFromFile(savedTo);
            } catch (...) {
                return false;
            }
            held.clear();
            for (int i = 0; i < tasks.Count(); ++i)
                held += tasks.GetTask(i)->Text + '|';
            return held == text + '|';
        };
        QVERIFY2(Eventually([&] { return holds("Buy bread"); }), held.constData());
        QCOMPARE(program.Stop(SIGTERM), 0);
        QCOMPARE(Errors(program).size(), 1);
        QVERIFY(holds("Buy bread"));
        QVERIFY(QFileInfo(Path("Jotterbox.dat")).isDir());
        QVERIFY(Damaged().isEmpty());
    }

    // A record count damaged to less than the records the file holds reads
    // as a whole file with fewer tasks; the next save would drop the rest.
    void fewerRecordsThanTheFileHoldsAreNotSavedOver()
    {
        WriteDataFile([](TTaskList &tasks) {
            for (int i = 0; i < 3; ++i)
                tasks.AddNewTask()->Text = "task " + QByteArray::number(i);
        });
        QByteArray bytes = ReadFileBytes(Path("Jotterbox.dat"));
        qToLittleEndian<qint32>(1, bytes.data() + 45);
        QVERIFY(WriteFileBytes(Path("Jotterbox.dat"), bytes));

        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
        const bool keptAside = Damaged().size() == 1 && ReadFileBytes(Path(Damaged().value(0))) == bytes;
        QVERIFY(keptAside || ReadFileBytes(Path("Jotterbox.dat")) == bytes);
    }

    void backupsThatCannotBeWrittenAreReported()
    {
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->Text = "keep me"; });
        for (int day = 0; day < 7; ++day)
            QVERIFY(QDir().mkpath(Path(QStringLiteral("Jotterbox_Backup_%1.dat").arg(day))));
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("JBX_SAVE_INTERVAL_MS"), QStringLiteral("200"));

        TProgram program(FFolder, environment);
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(program.WaitForLine(QStringLiteral("Jotterbox: Cannot create file ") + FFolder +
                                     QStringLiteral("/Jotterbox_Backup_")),
                 qPrintable(program.Output()));
        QVERIFY(program.Running());
        // The data file was written before the backup failed.
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("keep me"));
        });
    }

    // --- the settings ----------------------------------------------------

    void absurdSettingsStillGiveAUsableProgram()
    {
        const QByteArray own = "MyOwnKey=\xff\xfe\x01 kept as it was";
        QByteArray ini = "[Installation]\r\nDebugMode=banana\r\n[User Interface]\r\n"
                         "ShowTips=1\r\nShowToolBar=1\r\nShowing=1\r\nV_Expanded=1\r\n"
                         "Height=2000000000\r\nLeft=-2147483648\r\nTop=2147483647\r\n"
                         "Column0Width=2147483647\r\nColumn1Width=-7\r\nColumn4Width=2147483647\r\n"
                         "Column5Width=99999999\r\nSortColumn=99\r\nSortAscending=-3\r\n"
                         "Color1=-1\r\nColor2=0x1FFFFFFFF\r\nDefaultColor=-7\r\nDefaultFontSize=-40\r\n"
                         "NextTip=2147483647\r\nToolBarLeft=-99999\r\nToolBarTop=99999999\r\n"
                         "DefaultFontName=Caf\xe9 \x01\r\n" +
                         own + "\r\n" +
                         QByteArray("\x00\x01"
                                    "binary\xff line\r\n",
                                    16) +
                         "[Data]\r\nAutoDueDateDays=-5\r\nAutoReminderTime=25:99\r\nLastBackup=yesterday\r\n";
        QVERIFY(WriteFileBytes(Path("Jotterbox.ini"), ini));
        QVERIFY(WriteFileBytes(Path("tips.txt"), QByteArray("First\r\n\x00\xff\xfe binary\nThird", 23)));

        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY(Eventually([&] {
            return !XDo({"search", "--onlyvisible", "--name", "^Tip of the Day$"}).isEmpty();
        }));
        QRect list;
        QVERIFY(Eventually([&] { return (list = ListWindow(program)).isValid(); }));
        // Wholly on the screen, so it can be used and moved.
        QVERIFY2(QRect(0, 0, 1280, 1024).contains(list),
                 qPrintable(At(list.topLeft()) + u' ' + At(list.bottomRight())));
        QVERIFY2(Errors(program).isEmpty(), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);

        const QByteArray saved = ReadFileBytes(Path("Jotterbox.ini"));
        QVERIFY(saved.contains(own + "\r\n"));
        QVERIFY(saved.contains(QByteArray("\x00\x01"
                                          "binary\xff line\r\n",
                                          16)));
        QVERIFY(saved.contains("DefaultFontName=Caf\xc3\xa9 \x01\r\n")); // read, kept, in UTF-8
        QVERIFY(saved.contains("NextTip=1\r\n"));                        // the first tip was shown
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QVERIFY(settings.Height <= 1024);
        QVERIFY(settings.Left >= 0 && settings.Top >= 0);
        QCOMPARE(settings.Color1, -1);
    }

    void settingsThatCannotBeWrittenAreReported()
    {
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->Text = "keep me"; });
        QFile::remove(Path("Jotterbox.ini"));
        QVERIFY(QDir().mkpath(Path("Jotterbox.ini")));
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("JBX_SAVE_INTERVAL_MS"), QStringLiteral("200"));

        TProgram program(FFolder, environment);
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(
            program.WaitForLine(QStringLiteral("Jotterbox: Unable to write to ") + Path("Jotterbox.ini")),
            qPrintable(program.Output()));
        QVERIFY(program.Running());
        ReadDataFile([](const TTaskList &tasks) { QCOMPARE(tasks.Count(), 1); });
        QVERIFY(QFileInfo(Path("Jotterbox.ini")).isDir());
    }

    // --- the skin --------------------------------------------------------

    void damagedSkinIsReportedAndTheListStillShows_data()
    {
        QTest::addColumn<QString>("skin");
        QTest::addColumn<QString>("firstError");
        QTest::newRow("damaged bitmaps") << "1"
                                         << "Bitmap image is not valid: %1/skins/1/top_left.bmp";
        QTest::newRow("a skin name out of the skins folder")
            << "../../nowhere"
            << "Cannot open file %1/skins/../../nowhere/top_left.bmp";
    }

    void damagedSkinIsReportedAndTheListStillShows()
    {
        QFETCH(QString, skin);
        QFETCH(QString, firstError);
        const QString folder = Path("skins/1/");
        QVERIFY(WriteFileBytes(folder + "top_left.bmp", {}));
        QVERIFY(WriteFileBytes(folder + "top_mid.bmp", ReadFileBytes(folder + "top_mid.bmp").left(80)));
        QVERIFY(WriteFileBytes(folder + "left_mid.bmp", Noise(4000, 3)));
        QByteArray absurd = ReadFileBytes(folder + "right_mid.bmp");
        qToLittleEndian<qint32>(30000, absurd.data() + 18);
        qToLittleEndian<qint32>(30000, absurd.data() + 22);
        QVERIFY(WriteFileBytes(folder + "right_mid.bmp", absurd));
        QVERIFY(WriteFileBytes(folder + "new.bmp", "not a bitmap\r\n"));
        QFile::remove(folder + "x.bmp");
        QVERIFY(QDir().mkpath(folder + "x.bmp"));
        QVERIFY(WriteFileBytes(folder + "skinname.txt", Noise(64, 4)));
        // A huge tips file goes with it: it must not swell the program.
        {
            QFile tips(Path("tips.txt"));
            QVERIFY(tips.open(QIODevice::WriteOnly | QIODevice::Truncate));
            const QByteArray line = QByteArray("A tip, again and again.\n").repeated(1 << 12);
            for (int i = 0; i < 1000; ++i) // 100 MB
                QVERIFY(tips.write(line) == line.size());
        }
        QVERIFY(
            WriteSettings(QStringLiteral("ShowTips=1\r\nShowToolBar=0\r\nShowing=1\r\nSkinDirectoryName=") +
                          skin + QStringLiteral("\r\n"))
                .isEmpty());

        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY(Eventually([&] { return ListWindow(program).isValid(); }));
        const QStringList errors = Errors(program);
        // One box for the title bar's pictures and one for the frame's.
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors[0], firstError.arg(FFolder));
        QVERIFY(PeakMemory(program) < 150 * 1024);
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    // --- the sound -------------------------------------------------------

    // A WAV file that promises more than it holds is not played; the next
    // sound, of another file, still plays and the program goes on.
    void damagedSoundLeavesTheProgramRunning()
    {
        const QString lying = Path("lying.wav");
        QVERIFY(WriteFileBytes(lying, LyingWave(Path("notify.wav"))));
        const TDateTime soon = TClock::Now() + 6000.0 / MSecsPerDay;
        WriteDataFile([soon](TTaskList &tasks) {
            TTask *now = tasks.AddNewTask();
            now->Text = "Alerting at the start";
            now->Alerting = true;
            TTask *later = tasks.AddNewTask();
            later->Text = "Due in a moment";
            later->ReminderTime = soon;
        });
        QVERIFY(WriteSoundSetting(lying));

        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY(program.Output().contains(QStringLiteral("jbx.events: alert sound")));
        // Gone before the reminder: the next sound is the program's own.
        QVERIFY(QFile::remove(lying));
        QVERIFY2(
            Eventually([&] { return program.Output().count(QStringLiteral("jbx.events: alert sound")) >= 2; },
                       20000),
            qPrintable(program.Output()));
        RunOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+l")});
        QVERIFY2(program.WaitForLine(QStringLiteral("jbx.events: hot key Ctrl+Alt+L")),
                 qPrintable(program.Output()));
        QVERIFY2(Errors(program).isEmpty(), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    void soundNamedInTheSettingsThatIsNoFile()
    {
        WriteDataFile([](TTaskList &tasks) { tasks.AddNewTask()->Alerting = true; });
        QVERIFY(QDir().mkpath(Path("folder.wav")));
        QVERIFY(WriteFileBytes(Path("notify.wav"), Noise(5000, 5))); // the fallback is damaged too
        QVERIFY(WriteSoundSetting(Path("folder.wav")));
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY(program.Output().contains(QStringLiteral("jbx.events: alert sound")));
        QVERIFY2(Errors(program).isEmpty(), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QCOMPARE(settings.SoundFileName, Path("folder.wav")); // the choice stays the user's
    }
};

QTEST_MAIN(TestE2eDamaged)
#include "tst_e2e_damaged.moc"
