// The note window's answers to the rest of the program and to the user:
// messages about its task, activation, closing, and the mouse and keys.
#include "notes/TFormNote.h"

#include "controls/TZELBlinkImage.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/NoteEvents.h"
#include "notes/NoteRules.h"
#include "notes/TNoteInfoPanel.h"
#include "notes/TNoteMenu.h"
#include "notes/TaskSheetMessage.h"
#include "settings/TUserInfo.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <algorithm>

namespace {
bool InTaskList(const TTask *task)
{
    const std::vector<TTask *> &tasks = TaskList().Tasks();
    return std::find(tasks.begin(), tasks.end(), task) != tasks.end();
}
} // namespace

void TFormNote::TaskSheetMessage(int code, TTask *task)
{
    if (task != Task || FClosed)
        return;
    switch (code) {
    case TaskSheetShow:
        show();
        raise();
        activateWindow();
        if (Task->RolledUp)
            PanelTitleDblClick();
        ShowInfoPanel(false);
        SetTaskInfo();
        break;
    case TaskSheetClose: close(); break;
    case TaskSheetRefresh: SetTaskInfo(); break;
    case TaskSheetReload:
        if (Task->NoteOpen)
            FormShow();
        else
            close();
        break;
    default: break;
    }
}

void TFormNote::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
    }
}

void TFormNote::FormActivate()
{
    if (!Task || FClosed)
        return;
    if (!InfoPanelShown())
        MemoDetail->setFocus();
    // Typing replaces the placeholder of a new note.
    if (IsPlaceholder(Task->Text))
        MemoDetail->selectAll();
    Menu->SelectAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
}

void TFormNote::FormDeactivate() { Menu->SelectAll1->setShortcut(QKeySequence()); }

void TFormNote::PanelXClick() { close(); }

void TFormNote::closeEvent(QCloseEvent *event)
{
    if (!FClosed)
        FormCloseQuery();
    event->accept();
}

void TFormNote::FormCloseQuery()
{
    WriteDebugLog(QStringLiteral("TFormTask.FormCloseQuery"));
    if (ShuttingDown || !Task)
        return;
    FClosed = true;
    RemoveTaskSheetReceiver(this);
    Task->NoteOpen = false;
    Ready = false;
    if (DiscardsTask(Task->Text)) {
        TaskList().Remove(Task);
        FDiscarded = true;
        emit TNoteEvents::Instance().ListRebuildNow();
    } else if (ImageTaskInfo->Blink() && InTaskList(Task)) {
        // A task deleted by the user has nothing left to remind of.
        emit TNoteEvents::Instance().AlertLeftUnseen();
    }
    DataModified.Mark();
}

void TFormNote::WMQueryEndSession()
{
    WriteDebugLog(QStringLiteral("TFormTask.WMQueryEndSession"));
    ShuttingDown = true;
}

// --- mouse and keys ----------------------------------------------------------

void TFormNote::contextMenuEvent(QContextMenuEvent *event) { Menu->Popup(event->globalPos()); }

bool TFormNote::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == MemoDetail && type == QEvent::KeyPress)
        return MemoKeyPress(static_cast<QKeyEvent *>(event));

    const bool leftPress =
        type == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    const bool leftRelease =
        type == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    if (watched == ImageX) {
        if (leftRelease && ImageX->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
            PanelXClick();
        return leftPress || leftRelease;
    }
    if (watched == ImageTaskInfo) {
        if (leftRelease &&
            ImageTaskInfo->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
            ImageTaskInfoClick();
        return leftPress || leftRelease;
    }
    if ((watched == PanelTitle || watched == LabelTitle) && type == QEvent::MouseButtonDblClick) {
        PanelTitleDblClick();
        return true;
    }
    if (leftPress && (watched == PanelTaskInfo || watched == PanelOtherInfo || watched == LabelBottom ||
                      (PanelTaskInfo && PanelTaskInfo->Captions.contains(watched))))
        PanelTaskInfoClick();
    return QWidget::eventFilter(watched, event);
}

bool TFormNote::MemoKeyPress(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    // One-Line Mode closes on Enter; otherwise Ctrl+Enter closes and Enter
    // breaks the line. The closing key never reaches the text.
    const bool control = event->modifiers() & Qt::ControlModifier;
    const bool closes = GlobalsExist() && UserInfo().QuickInputMode ? !control : control;
    if (closes)
        close();
    return closes;
}
