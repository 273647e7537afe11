#pragma once

#include "tasklist/TitleCycling.h"

#include <QWidget>

class QAction;
class QLineEdit;
class QMenu;
class QTimer;
class TListSkinFrame;
class TReminderEngine;
class TTask;
class TTaskListView;
struct TAppCommands;

// The task list window: every task as a row, in a frame drawn from the
// current skin's bitmaps. It lives from start-up to the end of the program,
// shown or hidden.
class TFormTaskList : public QWidget {
    Q_OBJECT

public:
    // `reminders` is the engine whose tick the title cycling follows.
    explicit TFormTaskList(TReminderEngine *reminders, QWidget *parent = nullptr);
    ~TFormTaskList() override;

    // The commands its menu shares with the other windows; its new-note
    // command goes in there for them.
    void SetCommands(TAppCommands *commands);

    // Shown and not closing.
    bool IsReady() const { return Ready; }
    bool IsShuttingDown() const { return ShuttingDown; }
    bool IsDeletingByUser() const { return DeletingByUser; }
    // The width the window has when expanded.
    int ExpandedWidthNow() const { return ExpandedWidth; }

    // --- the list ---
    void FillList();
    void ActionAddNewNoteExecute();
    void ActionEditSelectedNoteExecute();
    void ActionDeleteSelectedNoteExecute();
    void ListView1MouseMove(QPoint point);
    void PopupMenu1Popup();
    void List1Click();
    void LargeIcons1Click();
    void FinishedItems1Click();
    // The view the settings name; with `resort`, in the order that view
    // is kept in.
    void ApplyViewStyle(bool resort = true);
    // The Due Date column's bounds (and, unless only the bounds are asked
    // for, its width) from the setting DisplayDueDate.
    void ApplyDueDateColumn(bool boundsOnly = false);
    // The schedulers of the deferred rebuild: restart the countdown, at the
    // given interval or the current one; or start it unless a rebuild is
    // already on its way.
    void RestartUpdateTimer(int interval = 0);
    void RequestRebuild();
    void TimerUpdateListViewTimer();
    void TimerResortTimer();
    // The search box, made the first time it is needed.
    QLineEdit *SearchBox();

    // --- the frame and the window's life ---
    void FormDestroy();
    // The stored place applied again once the window manager has placed the
    // window (some drop the first); moves count from then.
    void SettlePosition();
    void PanelTitleDblClick();
    void LoadTitleSkin();
    void LoadFrameSkin();
    // The title as it was given, before it was cut to fit.
    QString TitleText() const;
    void TimerTitleTimer();
    // Shows the window the way the main window's show command does.
    void ShowExpanded();
    // Its place, size, columns and sort into the settings.
    void StoreState();

    // --- print and export ---
    void PrintList();
    void ExportList();

signals:
    // The help button was pressed.
    void HelpRequested();
    // The window was shown or closed.
    void ShowingChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void BuildClient();
    void BuildActions();
    void AddRowFor(TTask *task);
    void ListView1Deletion(TTask *task);
    void ListView1MouseDown(Qt::MouseButton button, QPoint point);
    void ListView1MouseUp(Qt::MouseButton button, QPoint point);
    void ListView1Enter();
    void ListView1Exit();
    void ListView1Resize();
    void EditSearchChange();
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormCloseQuery();
    void FormHide();
    void WMQueryEndSession();
    void WMMove();
    void ImageXClick();
    void ImageHClick();
    void ImageNewClick();
    void ImageDelClick();
    void ResetWindowRegion();
    void Timer1Timer();
    // Expanded, the window keeps room for every column but a narrowest
    // Subject, and for its title and bottom band.
    void ApplyMinimumSize();
    QStringList RowLines() const;
    void TitleTick();
    // Runs TimerTitle while the title cycles (shrunk and on screen) or
    // still shows a subject that the plain title should replace.
    void UpdateTitleTimer(bool restart = false);
    void ShowTitle(const QString &title);
    void FitTitle();

    // --- components ---
    TListSkinFrame *Frame;           // the 16 skin pictures around the rows
    QWidget *PanelClient;            // the frame's, inside its edges: the rows and the search box go here
    QLineEdit *EditSearch = nullptr; // made by SearchBox()
    QWidget *PanelClient2;
    QWidget *PanelLV2Top;
    TTaskListView *ListView1;
    QAction *ActionAddNewNote;
    QAction *ActionEditSelectedNote;
    QAction *ActionDeleteSelectedNote;
    QAction *List1;
    QAction *LargeIcons1;
    QAction *FinishedItems1;
    QMenu *PopupMenu1;
    QMenu *View1;
    QTimer *TimerUpdateListView;
    QTimer *TimerResort;
    // Moves the shrunk window's title on every ten seconds; runs only while
    // the title has something to show.
    QTimer *TimerTitle;

    // --- state ---
    bool DeletingByUser = false;
    int DownX = 0;
    int DownY = 0;
    bool Ready = false;
    bool ShuttingDown = false;
    int ExpandedWidth = 0;
    TTitleCycling Title;

    TReminderEngine *FReminders;
    TAppCommands *FCommands = nullptr;
    TTask *FDownTask = nullptr; // the task under the last press; compared, never read
    bool FDestroyed = false;
    QString FTitle = QStringLiteral("Jotterbox"); // the title whole; the label may show less
};
