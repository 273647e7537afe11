#pragma once

#include "tasklist/TitleCycling.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class TReminderEngine;
class TSkinImage;
class TTask;
class TTaskListView;

// The list's own commands that the main window holds; the others the menu
// offers (show the list, the toolbar, the options) are shared with the
// notes through TNoteEvents. An empty one is left out.
struct TListMainActions {
    QPointer<QAction> PrintList;
    QPointer<QAction> ExportList;
};

// The task list window: every task as a row, in a frame drawn from the
// current skin's bitmaps. It lives from start-up to the end of the program,
// shown or hidden.
class TFormTaskList : public QWidget {
    Q_OBJECT

public:
    // `reminders` is the engine whose tick the title cycling follows.
    explicit TFormTaskList(TReminderEngine *reminders, QWidget *parent = nullptr);
    ~TFormTaskList() override;

    // --- components ---
    QWidget *PanelTitle;
    TSkinImage *ImageTopLeft;
    TSkinImage *ImageTopMid;
    TSkinImage *ImageTopRight;
    QLabel *LabelTitle;
    TSkinImage *ImageIcon;
    TSkinImage *ImageH;
    TSkinImage *ImageS;
    TSkinImage *ImageX;
    QWidget *PanelClient;
    TSkinImage *ImageLeftMid;
    TSkinImage *ImageRightMid;
    TSkinImage *ImageBottomMid;
    TSkinImage *ImageRightTop;
    TSkinImage *ImageBottomLeft;
    TSkinImage *ImageBottomRight;
    TSkinImage *ImageSearch;
    QLineEdit *EditSearch = nullptr; // made by SearchBox()
    TSkinImage *ImageNew;
    TSkinImage *ImageDel;
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
    TListMainActions MainActions;

    // --- state ---
    bool DeletingByUser = false;
    int DownX = 0;
    int DownY = 0;
    bool Ready = false;
    bool ShuttingDown = false;
    int ExpandedWidth = 0;
    TTitleCycling Title;

    // --- the list ---
    void FillList();
    void ActionAddNewNoteExecute();
    void ActionEditSelectedNoteExecute();
    void ActionDeleteSelectedNoteExecute();
    void ListView1Deletion(TTask *task);
    void ListView1MouseDown(Qt::MouseButton button, QPoint point);
    void ListView1MouseUp(Qt::MouseButton button, QPoint point);
    void ListView1MouseMove(QPoint point);
    void ListView1Enter();
    void ListView1Exit();
    void PopupMenu1Popup();
    void List1Click();
    void LargeIcons1Click();
    // The view the settings name; with `resort`, in the order that view
    // is kept in.
    void ApplyViewStyle(bool resort = true);
    void TimerUpdateListViewTimer();
    void ListView1Resize();
    void TimerResortTimer();
    // The Due Date column's bounds (and, unless only the bounds are asked
    // for, its width) from the setting DisplayDueDate.
    void ApplyDueDateColumn(bool boundsOnly = false);
    // The schedulers of the deferred rebuild: restart the countdown, at the
    // given interval or the current one.
    void RestartUpdateTimer(int interval = 0);
    void EditSearchChange();
    // The search box, made the first time it is needed.
    QLineEdit *SearchBox();
    void FinishedItems1Click();

    // --- the frame and the window's life ---
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormCloseQuery();
    void FormHide();
    void FormDestroy();
    void WMQueryEndSession();
    void WMMove();
    // The stored place applied again once the window manager has placed the
    // window (some drop the first); moves count from then.
    void SettlePosition();
    void PanelTitleDblClick();
    void ImageXClick();
    void ImageHClick();
    void ImageNewClick();
    void ImageDelClick();
    void LoadTitleSkin();
    void LoadFrameSkin();
    void ResetWindowRegion();
    void Timer1Timer();
    // The title as it was given, before it was cut to fit.
    QString TitleText() const;
    void TimerTitleTimer();
    // Shows the window the way the main window's show command does.
    void ShowExpanded();
    // Its place, size, columns and sort into the settings.
    void StoreState();
    // Expanded, the window keeps room for every column but a narrowest
    // Subject, and for its title and bottom band.
    void ApplyMinimumSize();

    // --- print and export ---
    void PrintList();
    void ExportList();
    QStringList RowLines() const;

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
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildTitleBar();
    void BuildClient();
    void BuildActions();
    void BuildFrameDrag();
    void AddRowFor(TTask *task);
    void TitleTick();
    // Runs TimerTitle while the title cycles (shrunk and on screen) or
    // still shows a subject that the plain title should replace.
    void UpdateTitleTimer(bool restart = false);
    void ShowTitle(const QString &title);
    void FitTitle();
    // Empty, or why the file could not be read.
    QString LoadSkinPicture(TSkinImage *image, const QString &fileName);
    void LoadSkinPictures(const QList<QPair<TSkinImage *, QString>> &pictures);
    QString SkinDirectory() const;

    TReminderEngine *FReminders;
    bool FPlaced = false;       // moves are stored only once the window was placed
    TTask *FDownTask = nullptr; // the task under the last press; compared, never read
    bool FDestroyed = false;
    QString FTitle = QStringLiteral("Jotterbox"); // the title whole; the label may show less
};
