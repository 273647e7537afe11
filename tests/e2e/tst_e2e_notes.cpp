// The note windows of the installed program on a private X display with a
// window manager: an open note comes back where it was, in its colour, and
// what the user does to it with the mouse and the keyboard is saved.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "support/TestTasks.h"

#include <QColor>
#include <QImage>
#include <QTest>
#include <csignal>
#include <optional>

namespace {
constexpr QRect KStored(200, 150, 260, 180);
// Not the colour a new note window starts with, so a note that ignores the
// stored one shows.
constexpr qint32 KColor = 11858120; // RGB(200, 240, 180) as 0x00BBGGRR
const QColor KNoteColor(200, 240, 180);
const QColor KTitleColor(200 / 5 * 4, 240 / 5 * 4, 180 / 5 * 4); // the title bar's darker shade
constexpr int KTitleHeight = 18;
} // namespace

class TestE2eNotes : public TE2eTest {
    Q_OBJECT

    // Pixels of the text area's first lines that differ from its paper
    // further down: grows with the text shown there.
    static int InkIn(const QImage &screen, const QRect &note)
    {
        const QColor paper = screen.pixelColor(note.x() + 200, note.y() + 110);
        const QRect band(note.x() + 4, note.y() + KTitleHeight + 4, note.width() - 10, 32);
        int ink = 0;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                ink += screen.pixelColor(x, y) != paper;
        return ink;
    }

    // Link-style text (pure blue, anti-aliased) in a band of the screen: the
    // leftmost such pixel, or none.
    static std::optional<QPoint> LinkIn(const QImage &screen, const QRect &band)
    {
        for (int x = band.left(); x <= band.right(); ++x)
            for (int y = band.top(); y <= band.bottom(); ++y) {
                const QColor pixel = screen.pixelColor(x, y);
                if (pixel.blue() > 180 && pixel.red() < 90 && pixel.green() < 90)
                    return QPoint(x, y);
            }
        return std::nullopt;
    }

    void WriteThreeTasks()
    {
        WriteDataFile([](TTaskList &tasks) {
            for (const char *text : {"First task", "Second task", "Third task"}) {
                TTask *task = tasks.AddNewTask();
                task->Text = text;
                task->Color = KColor;
                task->ReminderTime = 0;
                task->Alerting = false;
                task->NoteOpen = false;
            }
            TTask *open = tasks.GetTask(1);
            OpenNoteAt(*open, KStored);
        });
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
        WriteThreeTasks();
    }

    void openNoteComesBackInPlaceAndColour()
    {
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = Started(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        QCOMPARE(Geometry(id), KStored);

        // The screen as the user sees it, kept for a look after the run.
        const QString shot = SaveScreenshot(QStringLiteral("note.png"));
        QVERIFY2(!shot.isEmpty(), "no screenshot written");
        const QImage screen(shot);
        QVERIFY(!screen.isNull());
        // The text area below the text, and the title bar left of the pictures.
        QCOMPARE(screen.pixelColor(KStored.x() + 200, KStored.y() + 110), KNoteColor);
        QCOMPARE(screen.pixelColor(KStored.x() + 100, KStored.y() + 9), KTitleColor);

        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 3);
            QVERIFY(!tasks.GetTask(0)->NoteOpen);
            QVERIFY(!tasks.GetTask(2)->NoteOpen);
            const TTask &note = *tasks.GetTask(1);
            QVERIFY(note.NoteOpen);
            QCOMPARE(QRect(note.Left, note.Top, note.Width, note.Height), KStored);
        });
    }

    void draggingTheTitleMovesTheNote()
    {
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = Started(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));

        // The press is left of the pictures.
        const QPoint shift(150, 100);
        why = DragBy(id, KStored.topLeft() + QPoint(60, 9), shift);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(SettledWindow(program, &why) == id, qPrintable(why));

        const QRect moved = Geometry(id);
        const QPoint expected = KStored.topLeft() + shift;
        // A start point taken inside the note instead of on the screen makes
        // the note leap by its own distance from the screen's corner.
        const bool leapt = (moved.topLeft() - expected - KStored.topLeft()).manhattanLength() <= 8;
        QVERIFY2(
            (moved.topLeft() - expected).manhattanLength() <= 8,
            qPrintable("the note stands at " + At(moved.topLeft()) + ", not near " + At(expected) +
                       (leapt ? ": the move began at the pointer's place in the note, not on screen" : "")));
        QCOMPARE(moved.size(), KStored.size());

        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([&moved](const TTaskList &tasks) {
            const TTask &note = *tasks.GetTask(1);
            QVERIFY(note.NoteOpen);
            const QPoint saved(note.Left, note.Top);
            QVERIFY2((saved - moved.topLeft()).manhattanLength() <= 2,
                     qPrintable("saved " + At(saved) + ", on screen " + At(moved.topLeft())));
            QCOMPARE(QSize(note.Width, note.Height), KStored.size());
        });
    }

    // Typed, then (in a locale whose times have no ":") the clock picture
    // clicked: the dates panel opens, the program keeps running, and the
    // text is saved at the end.
    void typedTextIsReadDataFile_data()
    {
        QTest::addColumn<QString>("locale"); // LC_ALL; empty: the test's own
        QTest::newRow("typed") << QString();
        QTest::newRow("typed, then the clock under fi_FI") << QStringLiteral("fi_FI.UTF-8");
        QTest::newRow("typed, then the clock under fr_CA") << QStringLiteral("fr_CA.UTF-8");
    }

    void typedTextIsReadDataFile()
    {
        QFETCH(QString, locale);
        QProcessEnvironment environment = Environment();
        if (!locale.isEmpty())
            environment.insert(QStringLiteral("LC_ALL"), locale);
        TProgram program(FFolder, environment);
        QString why;
        const QString id = Started(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        const int inkBefore = InkIn(Screenshot(), KStored);
        QVERIFY2(inkBefore > 0, "the note's text is not on screen");

        // A click in the text area below the text activates the note.
        PointerTo(KStored.topLeft() + QPoint(120, 100));
        XDo({"click", "1"});
        QVERIFY2(Eventually([&] { return XDo({"getwindowfocus"}) == id; }),
                 "the click did not activate the note");
        XDo({"key", "ctrl+End"});
        XDo({"type", "--delay", "30", " and more"});
        // The keys are in once they show: the end of the session must not
        // overtake them.
        QVERIFY2(Eventually([&] { return InkIn(Screenshot(), KStored) > inkBefore + 40; }),
                 qPrintable("the typed text does not show; program output:\n" + program.Output()));
        if (!locale.isEmpty()) {
            PointerTo(KStored.topLeft() + QPoint(KStored.width() - 29, 9));
            XDo({"click", "1"});
            // The priority link of the panel, the third row under the title bar.
            const QRect priorityRow(KStored.x() + 40, KStored.y() + KTitleHeight + 8 + 36, 120, 14);
            QVERIFY2(Eventually([&] { return program.Running() && LinkIn(Screenshot(), priorityRow); }),
                     qPrintable("the dates panel does not show; program output:\n" + program.Output()));
        }

        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([](const TTaskList &tasks) {
            const TTask &note = *tasks.GetTask(1);
            QCOMPARE(note.Text, QByteArray("Second task and more"));
            QVERIFY(note.NoteOpen);
            // The change goes in with the note's place: still where it stood.
            QCOMPARE(QPoint(note.Left, note.Top), KStored.topLeft());
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("First task"));
        });
    }

    void priorityChosenInTheInformationPanelIsReadDataFile()
    {
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = Started(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));

        // The clock picture, second from the right of the title bar.
        PointerTo(KStored.topLeft() + QPoint(KStored.width() - 29, 9));
        XDo({"click", "1"});
        // The priority row, the third of the panel under the title bar.
        const QRect priorityRow(KStored.x() + 40, KStored.y() + KTitleHeight + 8 + 36, 120, 14);
        std::optional<QPoint> link;
        QVERIFY2(Eventually([&] { return (link = LinkIn(Screenshot(), priorityRow)).has_value(); }),
                 "the information panel does not show a priority link");
        SaveScreenshot(QStringLiteral("note-information.png"));

        // "Normal" opens its menu of three just below; the first is "High".
        const QRect below(link->x(), link->y() + 16, 40, 30);
        const QImage before = Screenshot().copy(below);
        PointerTo(*link + QPoint(3, 0));
        XDo({"click", "1"});
        if (!Eventually([&] { return Screenshot().copy(below) != before; })) {
            SaveScreenshot(QStringLiteral("note-no-menu.png"));
            QFAIL(qPrintable("no menu opened below the priority; program output:\n" + program.Output()));
        }
        XDo({"key", "Down", "Return"});
        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile(
            [](const TTaskList &tasks) { QCOMPARE(tasks.GetTask(1)->Priority, TTask::PriorityHigh); });
    }

    // "Change Font..." through the real chooser. The note's family is shown
    // through a substitute here (Comic Sans MS is drawn with Comic Neue):
    // the chooser opens on what the note shows, and what the user leaves as
    // it was stays in the task byte for byte.
    void changeFontKeepsWhatTheUserLeft_data()
    {
        QTest::addColumn<QStringList>("keys"); // in the chooser, before OK
        QTest::addColumn<int>("size");
        QTest::newRow("OK at once") << QStringList{} << 13;
        QTest::newRow("size only") << QStringList{"alt+s", "ctrl+a", "1", "6"} << 16;
    }
    void changeFontKeepsWhatTheUserLeft()
    {
        QFETCH(QStringList, keys);
        QFETCH(int, size);
        constexpr qint32 fontColor = 0x00336699;
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "Fonts";
            task->Color = KColor;
            task->FontName = "Comic Sans MS";
            task->FontSize = 13; // between the sizes the chooser lists
            task->FontBold = task->FontItalic = true;
            task->FontColor = fontColor;
            task->ReminderTime = 0;
            task->Alerting = false;
            OpenNoteAt(*task, KStored);
        });
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = Started(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));

        // The note's menu opens at a right click in its text; F is its
        // "Change &Font...".
        const QPoint inText = KStored.topLeft() + QPoint(120, 100);
        const QRect below(inText, QSize(60, 60));
        const QImage before = Screenshot().copy(below);
        PointerTo(inText);
        XDo({"click", "3"});
        QVERIFY2(Eventually([&] { return Screenshot().copy(below) != before; }),
                 "no menu opened in the note");
        XDo({"key", "f"});
        const auto chooser = [this] { return XDo({"search", "--onlyvisible", "--name", "^Font$"}); };
        QString chooserId;
        QVERIFY2(Eventually([&] { return !(chooserId = chooser()).isEmpty(); }),
                 qPrintable("no font chooser opened; program output:\n" + program.Output()));
        QVERIFY2(Eventually([&] { return XDo({"getwindowfocus"}) == chooserId; }),
                 "the chooser has no focus");
        SaveScreenshot(QStringLiteral("note-font-chooser.png"));
        for (const QString &key : keys)
            XDo({"key", key});
        XDo({"key", "Return"});
        QVERIFY2(Eventually([&] { return chooser().isEmpty(); }), "OK did not close the chooser");

        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([size, fontColor](const TTaskList &tasks) {
            const TTask &task = *tasks.GetTask(0);
            QCOMPARE(task.FontName, QByteArray("Comic Sans MS"));
            QCOMPARE(task.FontSize, size);
            QVERIFY(task.FontBold && task.FontItalic);
            QCOMPARE(task.FontColor, fontColor);
        });
    }

    void noteWithoutAPlaceKeepsTheOneItIsGiven()
    {
        WriteDataFile([](TTaskList &tasks) {
            TTask *task = tasks.AddNewTask();
            task->Text = "From elsewhere";
            task->NoteOpen = true;
            task->Left = TTask::NoPosition;
            task->Width = KStored.width();
            task->Height = KStored.height();
        });
        TProgram program(FFolder, Environment());
        QString why;
        const QString id = Started(program, &why);
        QVERIFY2(!id.isEmpty(), qPrintable(why));
        const QRect shown = Geometry(id);
        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([&](const TTaskList &tasks) {
            const TTask &task = *tasks.GetTask(0);
            QCOMPARE(QPoint(task.Left, task.Top), shown.topLeft());
            QCOMPARE(QSize(task.Width, task.Height), KStored.size());
        });
    }
};

QTEST_GUILESS_MAIN(TestE2eNotes)
#include "tst_e2e_notes.moc"
