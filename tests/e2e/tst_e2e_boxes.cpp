// Questions and error boxes of the installed program on a private X display
// with a window manager: each opens above the window it was asked from and
// above every always-on-top note, takes the focus and answers the mouse.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <csignal>

namespace {
// Over the middle of the 1280x1024 screen, where boxes open.
constexpr QRect KCovering(240, 212, 800, 600);
} // namespace

class TestE2eBoxes : public TE2eTest {
    Q_OBJECT

    // The menu of the note, opened by a right click on its text.
    bool OpenNoteMenu(const QString &note)
    {
        const QRect place = Geometry(note);
        const QImage before = Screenshot();
        PointerTo(place.center());
        XDo({"click", "3"});
        return Eventually([&] { return Screenshot() != before; });
    }

    // A left click on a push button of the box, counted from the right: the
    // buttons stand in a row at the box's bottom right, and each is found by
    // its frame, which differs from the box's face. Why not, or empty.
    QString ClickButton(const QString &box, int fromRight)
    {
        const QRect place = Geometry(box);
        const QImage screen = Screenshot();
        if (screen.isNull() || place.isEmpty())
            return QStringLiteral("no picture of the box");
        const QColor face = screen.pixelColor(place.right() - 2, place.bottom() - 2);
        // Upwards from the bottom edge at a third of the way in: the row of
        // the buttons begins where the face ends.
        std::vector<std::pair<int, int>> buttons; // left and right edges, from the right
        for (int y = place.bottom() - 2; y > place.bottom() - 60 && buttons.empty(); --y) {
            int right = -1;
            for (int x = place.right() - 2; x > place.left(); --x) {
                const bool frame = screen.pixelColor(x, y) != face;
                if (frame && right < 0)
                    right = x;
                else if (!frame && right >= 0) {
                    if (right - x > 30)
                        buttons.emplace_back(x, right);
                    right = -1;
                }
            }
            if (!buttons.empty()) {
                if (fromRight >= int(buttons.size()))
                    return QStringLiteral("only %1 buttons found").arg(buttons.size());
                const auto [left, rightEdge] = buttons[fromRight];
                PointerTo(QPoint((left + rightEdge) / 2, y - 8));
                XDo({"click", "1"});
                return {};
            }
        }
        return QStringLiteral("no buttons found at the bottom of the box");
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
        WriteDataFile([](TTaskList &tasks) {
            for (const char *text : {"Keep me", "Shopping"}) {
                TTask *task = tasks.AddNewTask();
                task->Text = text;
                task->NoteOpen = false;
            }
            TTask *open = tasks.GetTask(1);
            open->NoteOpen = true;
            open->Left = KCovering.x();
            open->Top = KCovering.y();
            open->Width = KCovering.width();
            open->Height = KCovering.height();
        });
    }

    void deleteQuestionOpensAboveTheNoteAndTakesTheClick()
    {
        TProgram program(FFolder, Environment());
        QString why;
        const QString note = Started(program, &why);
        QVERIFY2(!note.isEmpty(), qPrintable(why));
        QCOMPARE(Geometry(note), KCovering);

        QVERIFY2(OpenNoteMenu(note), "no menu opened on the note");
        XDo({"key", "d"}); // &Delete
        QString box;
        QVERIFY2(
            Eventually([&] { return !(box = NewWindowTitled(program, "Confirmation", {note})).isEmpty(); }),
            qPrintable("no question; output:\n" + program.Output()));
        SaveScreenshot(QStringLiteral("boxes-delete.png"));
        why = Above(box, {note});
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Eventually([&] { return XDo({"getwindowfocus"}) == box; }), "the question has no focus");

        // Yes, left of No.
        why = ClickButton(box, 1);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Eventually([&] { return ProgramWindows(program).isEmpty(); }),
                 "the click on Yes did not delete the note");
        QCOMPARE(program.Stop(SIGTERM), 0);
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("Keep me"));
        });
    }

    void helpErrorFromOptionsOpensAboveOptionsAndTakesTheClick()
    {
        QVERIFY(QFile::remove(Path("Jotterbox.html")));
        TProgram program(FFolder, Environment());
        QString why;
        const QString note = Started(program, &why);
        QVERIFY2(!note.isEmpty(), qPrintable(why));

        QVERIFY2(OpenNoteMenu(note), "no menu opened on the note");
        XDo({"key", "o"}); // &Options...
        QString options;
        QVERIFY2(Eventually([&] { return !(options = NewWindowTitled(program, "Options", {})).isEmpty(); }),
                 "the options did not show");
        why = Above(options, {note});
        QVERIFY2(why.isEmpty(), qPrintable(why));
        // Its Help button, bottom right.
        PointerTo(Geometry(options).topLeft() + QPoint(288 + 37, 224 + 12));
        XDo({"click", "1"});
        QString box;
        QVERIFY2(Eventually([&] {
                     return !(box = NewWindowTitled(program, "Jotterbox", {note, options})).isEmpty();
                 }),
                 qPrintable("no error box; output:\n" + program.Output()));
        SaveScreenshot(QStringLiteral("boxes-help-error.png"));
        why = Above(box, {note, options});
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Eventually([&] { return XDo({"getwindowfocus"}) == box; }), "the error box has no focus");

        why = ClickButton(box, 0); // OK
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Eventually([&] { return Geometry(box).isEmpty(); }),
                 "the click on OK did not close the box");
        // The options answer again.
        XDo({"key", "--window", options, "Escape"});
        QVERIFY2(Eventually([&] { return Geometry(options).isEmpty(); }), "the options did not close");
        QCOMPARE(program.Stop(SIGTERM), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eBoxes)
#include "tst_e2e_boxes.moc"
