#include "base/Clock.h"
#include "base/LocaleFormats.h"
#include "base/TextCodec.h"
#include "controls/NotePictures.h"
#include "controls/TAppCommands.h"
#include "controls/TZELBlinkImage.h"
#include "controls/TZELCombo.h"
#include "controls/TZELDatePicker2.h"
#include "controls/TZELEditableLabel.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteEvents.h"
#include "notes/NoteFrame.h"
#include "notes/NoteRules.h"
#include "notes/NoteWindows.h"
#include "notes/TFormNote.h"
#include "notes/TNoteInfoPanel.h"
#include "notes/TNoteMenu.h"
#include "platform/ColorRef.h"
#include "platform/Fonts.h"
#include "settings/TUserInfo.h"
#include "support/FindChild.h"
#include "support/ShellFixture.h"
#include "support/TestTasks.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>

namespace {
const QDateTime Created(QDate(2024, 3, 5), QTime(9, 0));
const QDateTime Later(QDate(2024, 3, 7), QTime(16, 45));
} // namespace

class TestFormNote : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TScriptedDialogs> FDialogs;

    TTask *NewTask(const QByteArray &text)
    {
        TTask *task = TaskList().AddNewTask();
        task->Text = text;
        task->Left = 100;
        task->Top = 120;
        task->Width = 300;
        task->Height = 220;
        task->Created = task->Modified = QDateTimeToDateTime(Created);
        return task;
    }

    // A note on screen for the task, placed, as the user meets it.
    TFormNote *Open(TTask *task)
    {
        CreateNoteWindow(task);
        TFormNote *note = TFormNote::OpenNotes().last();
        note->SettlePosition();
        DataModified.Clear();
        return note;
    }

    static QPlainTextEdit *Memo(TFormNote *note) { return Child<QPlainTextEdit>(*note, "MemoDetail"); }
    static TNoteMenu *MenuOf(TFormNote *note) { return Child<TNoteMenu>(*note, "Menu"); }

    static void Type(TFormNote *note, const QString &text)
    {
        Memo(note)->moveCursor(QTextCursor::End);
        Memo(note)->insertPlainText(text);
    }

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TClock::Set(Created);
        CreateGlobals(FDir->path() + u'/');
        FDialogs = std::make_unique<TScriptedDialogs>();
        TFormNote::InstallCreator();
    }

    void cleanup()
    {
        TFormNote::DestroyAll();
        SetNoteCreator({});
        FDialogs.reset();
        DestroyGlobals();
        TClock::Reset();
        TLocaleFormats::ResetTimeFormat();
        QLocale::setDefault(QLocale::c());
        FDir.reset();
    }

    void showFillsTheWindowAndStampsNothing()
    {
        TTask *task = NewTask("Buy milk\r\nand bread");
        task->Color = 9620973;
        task->Priority = TTask::PriorityHigh;
        TClock::Set(Later);
        TFormNote *note = Open(task);
        QCOMPARE(Memo(note)->toPlainText(), QStringLiteral("Buy milk\nand bread"));
        QCOMPARE(note->pos(), QPoint(100, 120));
        QCOMPARE(note->size(), QSize(300, 220));
        QCOMPARE(note->NoteColor(), 9620973);
        QCOMPARE(Child<QFrame>(*note, "PanelTitle")->palette().color(QPalette::Window),
                 QColor(188, 164, 116));
        // The dates behind the clock are made at their first showing.
        QVERIFY(!note->findChild<TNoteInfoPanel *>());
        // The first note already shows its times without seconds.
        QCOMPARE(Child<QLabel>(*note, "LabelBottom")->toolTip(),
                 QStringLiteral("Created: 3/5/24 9:00 AM\nModified: 3/5/24 9:00 AM"));
        note->ImageTaskInfoClick();
        QCOMPARE(Child<TZELCombo>(*note, "CBPriority")->Text(), QStringLiteral("High"));
        note->ImageTaskInfoClick();
        QVERIFY(task->NoteOpen);
        QCOMPARE(task->Modified, QDateTimeToDateTime(Created));
        QCOMPARE(task->Text, QByteArray("Buy milk\r\nand bread"));
        QCOMPARE(Child<QLabel>(*note, "LabelBottom")->text(), QStringLiteral("C: 3/5/24   M: 3/5/24"));
        // Typing stamps the change and shows it.
        Type(note, QStringLiteral("!"));
        QCOMPARE(task->Modified, QDateTimeToDateTime(Later));
        QCOMPARE(Child<QLabel>(*note, "LabelBottom")->text(), QStringLiteral("C: 3/5/24   M: 3/7/24"));
        QCOMPARE(task->Text, QByteArray("Buy milk\r\nand bread!"));
        QVERIFY(DataModified);
    }

    // A note shown as it was saved changes nothing to save; opened anew, or
    // brought back on screen from elsewhere, it does.
    void showingMarksOnlyWhatChanged_data()
    {
        QTest::addColumn<bool>("wasOpen");
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<bool>("modified");
        QTest::newRow("saved open, in its place") << true << QPoint(100, 120) << false;
        QTest::newRow("opened now") << false << QPoint(100, 120) << true;
        QTest::newRow("saved open, off the screen") << true << QPoint(-5000, -5000) << true;
    }

    void showingMarksOnlyWhatChanged()
    {
        QFETCH(bool, wasOpen);
        QFETCH(QPoint, place);
        QFETCH(bool, modified);
        TTask *task = NewTask("Saved");
        task->NoteOpen = wasOpen;
        task->Left = place.x();
        task->Top = place.y();
        DataModified.Clear();
        CreateNoteWindow(task);
        QVERIFY(task->NoteOpen);
        QCOMPARE(bool(DataModified), modified);
    }

    void textFromElsewhereKeepsItsBytesUntilEdited()
    {
        // Lone LF line ends and Windows-1252 bytes, as other programs write them.
        TTask *task = NewTask("caf\xe9\nlist");
        TFormNote *note = Open(task);
        note->move(300, 300);
        QCOMPARE(task->Left, 300);
        QCOMPARE(task->Text, QByteArray("caf\xe9\nlist"));
        Type(note, QStringLiteral("s"));
        QCOMPARE(task->Text, QByteArray("caf\xc3\xa9\r\nlists"));
    }

    void closingDiscardsOnlyAnUntouchedOrEmptyNote_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("kept");
        QTest::newRow("placeholder with blanks") << QByteArray("  New Note \r\n ") << false;
        QTest::newRow("only blanks") << QByteArray(" \r\n\t") << false;
        QTest::newRow("other letter case") << QByteArray("new note") << true;
        QTest::newRow("real text") << QByteArray("Call Anna") << true;
    }
    void closingDiscardsOnlyAnUntouchedOrEmptyNote()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, kept);
        TTask *task = NewTask(text);
        QSignalSpy rebuild(&TNoteEvents::Instance(), &TNoteEvents::ListRebuildNow);
        TFormNote *note = Open(task);
        note->close();
        QCOMPARE(TaskList().Tasks().size() == 1, kept);
        QCOMPARE(rebuild.count(), kept ? 0 : 1);
        QVERIFY(!task->NoteOpen);
        QVERIFY(DataModified);
        QVERIFY(TFormNote::OpenNotes().isEmpty());
        // A closed note answers nothing more: opening the task again makes a new one.
        if (kept) {
            OpenNoteForTask(task);
            QCOMPARE(TFormNote::OpenNotes().size(), 1);
            QVERIFY(TFormNote::OpenNotes().first() != note);
        }
    }

    void endOfSessionKeepsTheNoteOpen()
    {
        TTask *task = NewTask("Keep me");
        TFormNote *note = Open(task);
        emit TNoteEvents::Instance().SessionEnding();
        note->close();
        QVERIFY(task->NoteOpen);

        // A refused end leaves notes that close for real.
        TTask *other = NewTask("Other");
        TFormNote *otherNote = Open(other);
        emit TNoteEvents::Instance().SessionEnding();
        emit TNoteEvents::Instance().SessionResumed();
        otherNote->close();
        QVERIFY(!other->NoteOpen);
    }

    void rollUpAndDown()
    {
        TTask *task = NewTask("Hi");
        TFormNote *note = Open(task);
        note->PanelTitleDblClick();
        QVERIFY(task->RolledUp);
        QCOMPARE(Child<QLabel>(*note, "LabelTitle")->text(), QStringLiteral("Hi"));
        QCOMPARE(note->size(), QSize(NoteMinWidth, NoteTitleHeight)); // short subject: minimum width
        QCOMPARE(QSize(task->Width, task->Height), QSize(300, 220));  // rolled size never stored
        // Rolled up, the whole title bar moves the note, no edge sizes it.
        QVERIFY(NoteHitZone(TNotePart::Title, {1, 1}, {200, 18}, true).Move);
        note->PanelTitleDblClick();
        QVERIFY(!task->RolledUp);
        QCOMPARE(note->size(), QSize(300, 220));
        QVERIFY(Child<QLabel>(*note, "LabelTitle")->text().isEmpty());

        TFormNote *wide = Open(NewTask(QByteArray(60, 'W')));
        wide->PanelTitleDblClick();
        QCOMPARE(wide->width(), Child<QLabel>(*wide, "LabelTitle")->width() + 75);
        QVERIFY(wide->width() > NoteMinWidth);
    }

    // A rolled-up note with a very long subject is as wide as the note
    // itself, never wider than the screen, and ends its subject with "…".
    void rolledUpLongSubjectKeepsTheNotesWidth()
    {
        TTask *task = NewTask(QByteArray(4000, 'W'));
        TFormNote *note = Open(task);
        note->PanelTitleDblClick();
        QVERIFY(task->RolledUp);
        QCOMPARE(note->width(), task->Width);
        const QString title = Child<QLabel>(*note, "LabelTitle")->text();
        QVERIFY2(title.endsWith(QChar(0x2026)), qPrintable(title.right(5)));
        QVERIFY(note->x() >= 0);
        QCOMPARE(QSize(task->Width, task->Height), QSize(300, 220));
    }

    // Rolled up, the note shows no text: nothing typed, pasted or cut gets
    // into it, by keys or by the menu, until it is rolled down again.
    void rolledUpNoteTakesNoTyping()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        TTask *task = NewTask("Hi");
        TFormNote *note = Open(task);
        note->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(note));
        QCOMPARE(QApplication::focusWidget(), Memo(note));
        // Keys as the desktop delivers them: to the window, which hands them
        // to its focus.
        QWindow *window = note->windowHandle();
        const auto type = [window](const char *keys) {
            for (; *keys; ++keys)
                QTest::keyClick(window, *keys);
        };

        note->PanelTitleDblClick();
        QVERIFY(task->RolledUp);
        type("typed");
        QTest::keyClick(window, Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier);
        MenuOf(note)->Paste1->trigger();
        Memo(note)->selectAll();
        MenuOf(note)->Cut1->trigger();
        QTest::keyClick(window, Qt::Key_Delete);
        QCOMPARE(Memo(note)->toPlainText(), QStringLiteral("Hi"));
        QCOMPARE(task->Text, QByteArray("Hi"));

        note->PanelTitleDblClick();
        QVERIFY(!task->RolledUp);
        QCOMPARE(QApplication::focusWidget(), Memo(note));
        Memo(note)->moveCursor(QTextCursor::End);
        type("!");
        MenuOf(note)->Paste1->trigger();
        QCOMPARE(task->Text, QByteArray("Hi!pasted"));
    }

    void codeZeroUnrollsAndShowsTheText()
    {
        TTask *task = NewTask("Report");
        TFormNote *note = Open(task);
        note->ImageTaskInfoClick();
        QVERIFY(note->InfoPanelShown());
        QCOMPARE(Child<TZELBlinkImage>(*note, "ImageTaskInfo")->toolTip(), QStringLiteral("Content"));
        note->PanelTitleDblClick();
        OpenNoteForTask(task);
        QCOMPARE(TFormNote::OpenNotes().size(), 1);
        QVERIFY(!task->RolledUp);
        QVERIFY(!note->InfoPanelShown());
        QCOMPARE(Child<TZELBlinkImage>(*note, "ImageTaskInfo")->toolTip(), QStringLiteral("Date/Time"));
        QCOMPARE(Child<TZELBlinkImage>(*note, "ImageTaskInfo")->pixmap().toImage(), ClockPicture().toImage());
    }

    void priorityAndFinishedMapOntoTheTask()
    {
        TTask *task = NewTask("Tax return");
        task->ReminderTime = QDateTimeToDateTime(Later);
        TFormNote *note = Open(task);
        note->ImageTaskInfoClick();
        QVERIFY(Child<TZELEditableLabel>(*note, "TPReminder")
                    ->isVisibleTo(Child<TNoteInfoPanel>(*note, "PanelTaskInfo")));
        Child<TZELCombo>(*note, "CBPriority")->ItemClick(0);
        QCOMPARE(task->Priority, 3);
        Child<TZELCombo>(*note, "CBPriority")->ItemClick(2);
        QCOMPARE(task->Priority, 1);
        Child<TZELCombo>(*note, "CBFinished")->ItemClick(0);
        QVERIFY(task->Finished);
        QCOMPARE(task->ReminderTime, 0.0);
        QVERIFY(!Child<TZELEditableLabel>(*note, "TPReminder")
                     ->isVisibleTo(Child<TNoteInfoPanel>(*note, "PanelTaskInfo")));
        Child<TZELCombo>(*note, "CBFinished")->ItemClick(1);
        QVERIFY(!task->Finished);
        QCOMPARE(task->ReminderTime, 0.0);
        QVERIFY(DataModified);
    }

    void settingAReminder()
    {
        TTask *task = NewTask("Dentist");
        TFormNote *note = Open(task);
        note->ImageTaskInfoClick();
        // A first reminder proposes half past nine before the date is taken.
        QString proposed;
        connect(
            Child<TZELDatePicker2>(*note, "DPReminder"), &TZELDatePicker2::SelectingDate, note,
            [&] { proposed = Child<TZELEditableLabel>(*note, "TPReminder")->Caption(); },
            Qt::DirectConnection);
        Child<TZELDatePicker2>(*note, "DPReminder")->PickDate(EncodeDate(2024, 3, 9));
        QCOMPARE(proposed, QStringLiteral("9:30 AM"));
        QCOMPARE(task->ReminderTime, EncodeDate(2024, 3, 9) + EncodeTime(9, 30));
        QVERIFY(Child<TZELEditableLabel>(*note, "TPReminder")
                    ->isVisibleTo(Child<TNoteInfoPanel>(*note, "PanelTaskInfo")));
        QCOMPARE(Child<TZELEditableLabel>(*note, "TPReminder")->x(),
                 Child<TZELDatePicker2>(*note, "DPReminder")->x() +
                     Child<TZELDatePicker2>(*note, "DPReminder")->width() + 5);

        // Today at a time already gone (9:30, now 10:00): five minutes from now.
        TClock::Set(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
        Child<TZELDatePicker2>(*note, "DPReminder")->PickDate(EncodeDate(2024, 3, 5));
        QCOMPARE(task->ReminderTime, EncodeDate(2024, 3, 5) + EncodeTime(10, 5));
        QCOMPARE(Child<TZELEditableLabel>(*note, "TPReminder")->Caption(), QStringLiteral("10:05 AM"));

        Child<TZELDatePicker2>(*note, "DPReminder")->PickDate(0);
        QCOMPARE(task->ReminderTime, 0.0);
        QVERIFY(!Child<TZELEditableLabel>(*note, "TPReminder")
                     ->isVisibleTo(Child<TNoteInfoPanel>(*note, "PanelTaskInfo")));
        QCOMPARE(Child<TZELDatePicker2>(*note, "DPReminder")->text(), QStringLiteral("None"));
        QVERIFY(!task->Alerting);
    }

    // Where the locale writes no ":" between hours and minutes, the dates
    // panel opens and a reminder is set just the same, with the proposed
    // half past nine and the five minutes from now written the locale's way.
    void settingAReminderInTheLocalesTimeFormat_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("soon");
        QTest::newRow("fi_FI") << "fi_FI"
                               << "9.30"
                               << "10.05";
        QTest::newRow("da_DK") << "da_DK"
                               << "09.30"
                               << "10.05";
        QTest::newRow("fr_CA") << "fr_CA"
                               << "09 h 30"
                               << "10 h 05";
    }

    void settingAReminderInTheLocalesTimeFormat()
    {
        QFETCH(QString, locale);
        QFETCH(QString, proposed);
        QFETCH(QString, soon);
        QLocale::setDefault(QLocale(locale));
        TTask *task = NewTask("Dentist");
        TFormNote *note = Open(task);
        note->ImageTaskInfoClick();
        QVERIFY(note->InfoPanelShown());
        auto *picker = Child<TZELDatePicker2>(*note, "DPReminder");
        auto *time = Child<TZELEditableLabel>(*note, "TPReminder");
        QString shown;
        connect(picker, &TZELDatePicker2::SelectingDate, note, [&] { shown = time->Caption(); });
        picker->PickDate(EncodeDate(2024, 3, 9));
        QCOMPARE(shown, proposed);
        QCOMPARE(task->ReminderTime, EncodeDate(2024, 3, 9) + EncodeTime(9, 30));
        // The time label edited and left as it was keeps the reminder.
        time->BeginEdit();
        time->HideEditor();
        QCOMPARE(task->ReminderTime, EncodeDate(2024, 3, 9) + EncodeTime(9, 30));
        TClock::Set(QDateTime(QDate(2024, 3, 9), QTime(10, 0)));
        picker->PickDate(EncodeDate(2024, 3, 9));
        QCOMPARE(time->Caption(), soon);
        QCOMPARE(task->ReminderTime, EncodeDate(2024, 3, 9) + EncodeTime(10, 5));
        QVERIFY(FDialogs->Errors.isEmpty());
    }

    void acknowledgeAndSnooze()
    {
        TClock::Set(QDateTime(QDate(2026, 1, 31), QTime(10, 0)));
        TTask *task = NewTask("Renew passport");
        task->Alerting = true;
        TFormNote *note = Open(task);
        QVERIFY(Child<TZELBlinkImage>(*note, "ImageTaskInfo")->Blink());
        // The clock of an alerting note offers the blink menu, nothing else.
        note->ImageTaskInfoClick();
        QVERIFY(!note->InfoPanelShown());
        QStringList captions;
        for (QAction *item : Child<QMenu>(*note, "PMBlink")->actions())
            captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(captions.mid(0, 3), (QStringList{"&Acknowledged", "-", "Remind Me Again in 15 Minutes"}));
        QCOMPARE(captions.last(), QStringLiteral("Remind Me Again in 1 Year"));
        Child<QMenu>(*note, "PMBlink")->close();

        note->Acknowledged1Click(6);
        QCOMPARE(DateTimeToQDateTime(task->ReminderTime), QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
        QVERIFY(!task->Alerting);
        QVERIFY(!Child<TZELBlinkImage>(*note, "ImageTaskInfo")->Blink());
        // Shown only now, the dates are the task's as they are now.
        note->ImageTaskInfoClick();
        QCOMPARE(Child<TZELDatePicker2>(*note, "DPReminder")->Date(), EncodeDate(2026, 3, 2));

        task->Alerting = true;
        note->Acknowledged1Click(0);
        QCOMPARE(DateTimeToQDateTime(task->ReminderTime), QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
        QVERIFY(!task->Alerting);
        QVERIFY(DataModified);
    }

    void closingAnAlertingNoteAlertsInTheTray()
    {
        TTask *task = NewTask("Call back");
        TFormNote *note = Open(task);
        task->Alerting = true;
        SendTaskSheetMessage(TaskSheetRefresh, task);
        QVERIFY(Child<TZELBlinkImage>(*note, "ImageTaskInfo")->Blink());
        QSignalSpy alert(&TNoteEvents::Instance(), &TNoteEvents::AlertLeftUnseen);
        SendTaskSheetMessage(TaskSheetClose, task);
        QCOMPARE(alert.count(), 1);
        QVERIFY(task->Alerting);
        QVERIFY(!task->NoteOpen);
    }

    void oneLineModeKeys()
    {
        TTask *task = NewTask("Milk");
        TFormNote *note = Open(task);
        Memo(note)->moveCursor(QTextCursor::End);
        QTest::keyClick(Memo(note), Qt::Key_Return);
        QVERIFY(task->NoteOpen);
        QCOMPARE(task->Text, QByteArray("Milk\r\n"));
        QTest::keyClick(Memo(note), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!task->NoteOpen);
        QCOMPARE(task->Text, QByteArray("Milk\r\n"));

        UserInfo().QuickInputMode = true;
        TTask *quick = NewTask("Eggs");
        TFormNote *quickNote = Open(quick);
        Memo(quickNote)->moveCursor(QTextCursor::End);
        QTest::keyClick(Memo(quickNote), Qt::Key_Return);
        QVERIFY(!quick->NoteOpen);
        QCOMPARE(quick->Text, QByteArray("Eggs"));
    }

    void placeFromTheWindowSystemAndLostNotes()
    {
        TTask *unplaced = NewTask("Unplaced");
        unplaced->Left = TTask::NoPosition;
        CreateNoteWindow(unplaced);
        TFormNote *note = TFormNote::OpenNotes().last();
        QCOMPARE(unplaced->Left, TTask::NoPosition);
        note->SettlePosition();
        QCOMPARE(QPoint(unplaced->Left, unplaced->Top), note->pos());

        // Left behind on a monitor that is gone: brought back into sight.
        TTask *lost = NewTask("Lost");
        lost->Left = 5000;
        lost->Top = 3000;
        TFormNote *lostNote = Open(lost);
        QVERIFY(QGuiApplication::primaryScreen()->geometry().intersects(lostNote->geometry()));
        QCOMPARE(QPoint(lost->Left, lost->Top), lostNote->pos());

        const QRect screen(0, 0, 1024, 768);
        QCOMPARE(NotePlaceOnScreen({1000, 700, 300, 200}, {screen}, screen), QPoint(1000, 700)); // partly on
        QCOMPARE(NotePlaceOnScreen({-400, 50, 300, 200}, {screen}, screen), QPoint(120, 120));
        QCOMPARE(NotePlaceOnScreen({1024, 0, 300, 200}, {screen, {1024, 0, 800, 600}}, screen),
                 QPoint(1024, 0));
    }

    void reminderAndTextRules()
    {
        const TDateTime now = EncodeDate(2024, 3, 5) + EncodeTime(10, 0);
        // The moment itself counts as gone.
        QCOMPARE(ChosenReminder(EncodeDate(2024, 3, 5), EncodeTime(10, 0), now), now + EncodeTime(0, 5));
        QCOMPARE(ChosenReminder(EncodeDate(2024, 3, 5), EncodeTime(10, 1), now),
                 EncodeDate(2024, 3, 5) + EncodeTime(10, 1));
        QCOMPARE(ChosenReminder(0, EncodeTime(10, 1), now), 0.0);
        QCOMPARE(SnoozedReminder(1, now, 0), now + 1.0 / 96);
        QCOMPARE(SnoozedReminder(7, now, 0), now + 365);
        for (int tag : {0, 8, -1})
            QCOMPARE(SnoozedReminder(tag, now, 123.5), 123.5);
        // Blanks are every character up to the space, as in a subject.
        QVERIFY(DiscardsTask("\t\x01New Note\r\n"));
        QVERIFY(DiscardsTask(""));
        QVERIFY(!DiscardsTask("New Note."));
        QCOMPARE(TextForDisplay(QStringLiteral("a\r\nb\rc\nd")), QStringLiteral("a\nb\nc\nd"));
    }

    void frameZones()
    {
        const QSize title(300, 18);
        QCOMPARE(NoteHitZone(TNotePart::Title, {1, 1}, title, false).Edges, Qt::TopEdge | Qt::LeftEdge);
        QCOMPARE(NoteHitZone(TNotePart::Title, {298, 2}, title, false).Cursor, Qt::SizeBDiagCursor);
        QCOMPARE(NoteHitZone(TNotePart::Title, {150, 2}, title, false).Edges, Qt::Edges(Qt::TopEdge));
        QVERIFY(NoteHitZone(TNotePart::Title, {150, 10}, title, false).Move);
        QCOMPARE(NoteHitZone(TNotePart::Title, {298, 10}, title, false).Edges, Qt::Edges(Qt::RightEdge));
        QCOMPARE(NoteHitZone(TNotePart::TitleLabel, {5, 1}, {40, 14}, false).Edges, Qt::Edges(Qt::TopEdge));
        QVERIFY(NoteHitZone(TNotePart::TitleLabel, {5, 1}, {40, 14}, true).Move);
        const QSize client(300, 200);
        QCOMPARE(NoteHitZone(TNotePart::Client, {2, 198}, client, false).Edges,
                 Qt::BottomEdge | Qt::LeftEdge);
        QCOMPARE(NoteHitZone(TNotePart::Client, {298, 198}, client, false).Cursor, Qt::SizeFDiagCursor);
        QCOMPARE(NoteHitZone(TNotePart::Client, {150, 197}, client, false).Edges, Qt::Edges(Qt::BottomEdge));
        QCOMPARE(NoteHitZone(TNotePart::Client, {150, 196}, client, false), TNoteZone());
        QCOMPARE(NoteHitZone(TNotePart::Client, {2, 100}, client, false).Edges, Qt::Edges(Qt::LeftEdge));
    }

    void colourItemsColourTheNote()
    {
        TTask *task = NewTask("Green");
        TFormNote *note = Open(task);
        QAction *c3 = MenuOf(note)->ChangeColor1->findChild<QAction *>(QStringLiteral("C31"));
        QVERIFY(c3);
        c3->trigger();
        QCOMPARE(task->Color, 12639424);
        QCOMPARE(TitleColorOf(task->Color), 10006680);
        QCOMPARE(Child<QFrame>(*note, "PanelTitle")->palette().color(QPalette::Window),
                 QColor(0x98, 0xB0, 0x98));
        QVERIFY(DataModified);

        // Each item shows its colour as a swatch, with no caption beside it.
        UserInfo().Color4 = 0x00123456;
        MenuOf(note)->PMSysMenuPopup();
        for (int number = 1; number <= 5; ++number) {
            const auto *item =
                MenuOf(note)->ChangeColor1->findChild<QAction *>(QStringLiteral("C%1").arg(number) + u'1');
            QVERIFY(item);
            QVERIFY2(item->text().isEmpty(), qPrintable(item->text()));
            QCOMPARE(item->icon().pixmap(16, 16).toImage().pixelColor(7, 7),
                     ColorRefToQColor(UserInfo().NoteColor(number)));
        }
    }

    void menuOrderAndEnabling()
    {
        TTask *task = NewTask("Menu");
        TFormNote *note = Open(task);
        QAction options(QStringLiteral("&Options..."));
        TAppCommands commands;
        commands.ActionOptions = &options;
        note->SetCommands(&commands);
        MenuOf(note)->PMSysMenuPopup();
        note->SetCommands(nullptr);
        QStringList captions;
        for (QAction *item : MenuOf(note)->PMSysMenu->actions())
            captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(captions, (QStringList{"Save &As...", "&Print...", "&Delete", "-", "&Edit", "-",
                                        "Change Color            ", "Change &Font...", "-", "&Options..."}));
        QVERIFY(!MenuOf(note)->Cut1->isEnabled());
        QVERIFY(MenuOf(note)->SelectAll1->isEnabled());
        QTextCursor cursor = Memo(note)->textCursor();
        cursor.setPosition(0);
        cursor.setPosition(1, QTextCursor::KeepAnchor);
        Memo(note)->setTextCursor(cursor);
        MenuOf(note)->PMSysMenuPopup();
        QVERIFY(MenuOf(note)->Cut1->isEnabled() && MenuOf(note)->Copy1->isEnabled());
        // With the information panel up, the text's commands rest.
        note->ImageTaskInfoClick();
        MenuOf(note)->PMSysMenuPopup();
        for (QAction *item : {MenuOf(note)->Cut1, MenuOf(note)->Copy1, MenuOf(note)->Paste1,
                              MenuOf(note)->SelectAll1, MenuOf(note)->ActionChangeFont})
            QVERIFY(!item->isEnabled());
        QVERIFY(MenuOf(note)->Delete1->isEnabled() && MenuOf(note)->SaveAs1->isEnabled());
    }

    void fontChoiceKeepsBoldNotUnderline()
    {
        TTask *task = NewTask("Font");
        TFormNote *note = Open(task);
        const QString shownFamily = DecodeText(task->FontName);
        TFontChoice choice{QFont(QStringLiteral("DejaVu Sans"), 14), QColor(0, 0, 255)};
        choice.Font.setBold(true);
        choice.Font.setUnderline(true);
        FDialogs->FontAnswer = choice;
        MenuOf(note)->ActionChangeFontExecute();
        QCOMPARE(FDialogs->FontShown->Font.family(), shownFamily);
        QCOMPARE(task->FontName, QByteArray("DejaVu Sans"));
        QCOMPARE(task->FontSize, 14);
        QVERIFY(task->FontBold && !task->FontItalic);
        QCOMPARE(task->FontColor, 0xFF0000);
        QVERIFY(!Memo(note)->font().underline());
        QVERIFY(Memo(note)->font().bold());
    }

    void saveAsWritesTheTextAndAsksBeforeOverwriting()
    {
        TTask *task = NewTask("a\r\nb");
        TFormNote *note = Open(task);
        const QString path = FDir->filePath("note.txt");
        FDialogs->SavePath = path;
        MenuOf(note)->SaveAs1Click();
        QCOMPARE(ReadFileBytes(path), QByteArray("a\r\nb"));
        QCOMPARE(FDialogs->SaveFilters, QStringList{"Text Files (*.txt)"});
        QVERIFY(FDialogs->Questions.isEmpty());

        WriteFileBytes(path, "old");
        FDialogs->Answers = {false};
        MenuOf(note)->SaveAs1Click();
        QCOMPARE(ReadFileBytes(path), QByteArray("old"));
        QCOMPARE(FDialogs->Questions,
                 QStringList{"Confirmation|File already exists. Are you sure you want to overwrite it?"});
        FDialogs->Answers = {true};
        MenuOf(note)->SaveAs1Click();
        QCOMPARE(ReadFileBytes(path), QByteArray("a\r\nb"));

        FDialogs->SavePath = FDir->filePath("missing/folder/note.txt");
        MenuOf(note)->SaveAs1Click();
        QCOMPARE(FDialogs->Errors.size(), 1);
    }

    void printsTheNoteToPaper()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        TTask *task = NewTask("Shopping\r\nApples and pears");
        TFormNote *note = Open(task);
        FDialogs->PrintPdfPath = FDir->filePath("note.pdf");
        MenuOf(note)->Print1Click();
        QProcess text;
        text.start(pdftotext, {FDialogs->PrintPdfPath, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(printed.contains(QStringLiteral("Shopping")) &&
                     printed.contains(QStringLiteral("Apples and pears")),
                 qPrintable(printed));
    }

    void deleteAsksAndRemovesTheTask()
    {
        TTask *task = NewTask("Old stuff");
        TFormNote *note = Open(task);
        FDialogs->Answers = {false};
        MenuOf(note)->Delete1Click();
        QCOMPARE(TaskList().Count(), 1);
        QVERIFY(task->NoteOpen);
        FDialogs->Answers = {true};
        MenuOf(note)->Delete1Click();
        QCOMPARE(TaskList().Count(), 0);
        QCOMPARE(FDialogs->Questions.last(),
                 QStringLiteral("Confirmation|Are you sure that you want to delete this note?"));
        QVERIFY(TFormNote::OpenNotes().isEmpty());
    }
};

QTEST_MAIN(TestFormNote)
#include "tst_formnote.moc"
