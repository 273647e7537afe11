#pragma once

#include "notes/NoteFrame.h"
#include "notes/TaskSheetMessage.h"

#include <QPixmap>
#include <QWidget>

class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class TNoteInfoPanel;
class TNoteMenu;
class TTask;
class TZELBlinkImage;
class TZELCombo;
class TZELDatePicker2;
class TZELEditableLabel;
struct TAppCommands;

// One task on the desktop as a small borderless coloured note: a title bar
// with a close and a clock picture, the text, the creation and change dates
// at the bottom, and behind the clock an information panel for the due
// date, the reminder, the priority and the finished mark. Every change goes
// into the task at once.
class TFormNote : public QWidget, public TTaskSheetReceiver {
    Q_OBJECT

public:
    explicit TFormNote(QWidget *parent = nullptr);
    ~TFormNote() override;

    // Makes this window the program's note window: every "open a note"
    // creates one of these, offering the shared `commands` in its menu.
    static void InstallCreator(const TAppCommands *commands = nullptr);
    // The notes not yet closed, in creation order.
    static QList<TFormNote *> OpenNotes();
    // Destroys every note window without its close query, as the end of the
    // program does: the notes on screen stay marked open for the next start.
    static void DestroyAll();

    // Not owned; set by the creator before the window is shown.
    TTask *Task = nullptr;
    // The commands of other windows its menu offers; may be none.
    void SetCommands(const TAppCommands *commands);

    void EditSubjectChange();
    void PanelTitleDblClick();
    void PanelXClick();
    void ImageTaskInfoClick();
    // The blink menu's items: 0 acknowledges, 1 to 7 remind again in
    // 15 minutes, 1 hour, 4 hours, 1 day, 1 week, 30 days, 365 days.
    void Acknowledged1Click(int tag);

    // The place is final once the window manager has placed the window:
    // a stored place is applied again (some managers drop the first), a
    // note with no stored place keeps the one it got. Moves count from then.
    void SettlePosition();

    // The note colour (0x00BBGGRR) on the window, its title bar by the title
    // rule; the task takes it at the next EditSubjectChange.
    void SetNoteColor(qint32 color);
    qint32 NoteColor() const { return FColor; }
    void ApplyFont();
    bool InfoPanelShown() const;
    // The note's text as shown, lines ended by CR LF.
    QString MemoText() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    void FormResize();
    void WMMove();
    void MemoDetailChange();
    void SetTaskInfo();
    void DPDueDateDateSelected();
    void DPReminderSelectingDate();
    void DPReminderDateSelected();
    void CBPrioritySelected();
    void CBFinishedSelected();
    void PanelTaskInfoClick();
    void FormCloseQuery();
    void WMQueryEndSession();
    void TaskSheetMessage(int code, TTask *task) override;
    void BuildTitleBar();
    void BuildClient();
    void BuildInfoPanel();
    void ApplyTitleColor();
    void RollUp();
    // The title of the rolled-up note: its subject, and the width it takes.
    void ShowRolledUpTitle();
    void RollDown();
    // Rolled up, only the title bar is on screen: nothing below it takes
    // typing, a paste or the focus until the note is rolled down again.
    void SetClientReachable(bool reachable);
    void ShowInfoPanel(bool show);
    QString Subject() const;
    bool MemoKeyPress(QKeyEvent *event);

    bool Loading = false;      // the show is filling the controls
    bool Ready = false;        // shown and not yet closing
    bool ShuttingDown = false; // the session ends: closing keeps NoteOpen

    QFrame *PanelTitle;
    QLabel *LabelTitle;
    QLabel *ImageX;
    TZELBlinkImage *ImageTaskInfo;
    QPixmap ImageClock;
    QPixmap ImageNote;
    QWidget *PanelClient;
    QWidget *PanelClient2;
    QWidget *PanelOtherInfo;
    QLabel *LabelBottom;
    QPlainTextEdit *MemoDetail;
    // Made when first shown: most notes never show it.
    TNoteInfoPanel *PanelTaskInfo = nullptr;
    TZELDatePicker2 *DPDueDate = nullptr;
    TZELDatePicker2 *DPReminder = nullptr;
    TZELEditableLabel *TPReminder = nullptr;
    TZELCombo *CBPriority = nullptr;
    TZELCombo *CBFinished = nullptr;
    QMenu *PMBlink;
    TNoteMenu *Menu; // PMSysMenu and its commands

    qint32 FColor = 0;
    QString FShownText; // the text as last read from or written to the task
    bool FShown = false;
    bool FClosed = false;
    bool FDiscarded = false;
    bool FPositionSettled = false;
    bool FStoredPlace = false;
};
