#pragma once

#include "tasklist/TypeAhead.h"

#include <QWidget>
#include <array>

class QAbstractItemView;
class QListView;
class QStackedLayout;
class QTableView;
class TListHeader;
class TListRowDelegate;
class TTask;
class TTaskListModel;

// The list of tasks: a report view with six columns, or large icons. It
// keeps the sort column and direction, the columns' widths and bounds, the
// search by typing, and tells its owner about the mouse and the focus in
// list coordinates (those of the rows' area). The rows live in the model
// from the start; the views are made when first shown or asked for.
class TTaskListView : public QWidget {
    Q_OBJECT

public:
    explicit TTaskListView(QWidget *parent = nullptr);

    TTaskListModel *Model() const { return FModel; }
    QTableView *ReportView();
    QListView *IconView();
    // The view on screen: the report or the icons; none before they exist.
    QAbstractItemView *Rows() const;

    void SetIconView(bool icons);
    bool IsIconView() const { return FIconView; }

    // Sorts by the column in the direction and makes them the current pair.
    void AlphaSort(int column, bool ascending);
    // Sorts again by the current pair.
    void Resort();
    int SortColumn() const { return FSortColumn; }
    bool SortAscending() const { return FSortAscending; }

    // A column's width stays within its bounds when set; a maximum of 0 is
    // no maximum. A negative width is not applied. While the vertical
    // scroll bar shows, the Subject column gives it room on screen and
    // keeps its width here, so the columns always fit the list's width and
    // nothing scrolls sideways.
    void SetColumnBounds(int column, int minimum, int maximum);
    void SetColumnWidth(int column, int width);
    int ColumnWidth(int column) const;
    int ColumnWidthSum() const;

    // -1 when no row is selected.
    int SelectedRow() const;
    TTask *SelectedTask() const;
    void SelectRow(int row);
    void ClearSelection();
    int RowAt(QPoint listPoint) const;
    void RedrawRow(int row);

    // Search by typing in the current sort column.
    void TypeAhead(const QString &typed);

signals:
    void MouseDown(Qt::MouseButton button, QPoint listPoint);
    void MouseUp(Qt::MouseButton button, QPoint listPoint);
    void MouseMove(QPoint listPoint);
    void DblClick();
    void FocusEnter();
    void FocusExit();
    void Resized();
    // A column was resized, by the user or in code.
    void ColumnsResized();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct TBounds {
        int Minimum = 0;
        int Maximum = 0;
    };
    int Clamped(int column, int width) const;
    // What the vertical scroll bar takes of the rows' width; 0 when it is
    // hidden or nothing is on screen.
    int ScrollBarRoom() const;
    // A column's header section: its width, less the scroll bar's room for
    // the Subject column.
    int SectionWidth(int column) const;
    void FitSubject();
    void HeaderClicked(int column);
    void ColumnResized(int column, int oldWidth, int newWidth);
    void SetHotRow(int row);
    void ShowSortArrow();
    void MakeViews();
    void ShowView();

    TTaskListModel *FModel;
    QTableView *FReport = nullptr;
    TListHeader *FHeader = nullptr;
    TListRowDelegate *FDelegate = nullptr;
    QListView *FIcons = nullptr;
    QStackedLayout *FStack = nullptr;
    std::array<TBounds, 6> FBounds{};
    std::array<int, 6> FWidths{0, 22, 22, 16, 100, 100};
    TTypeAhead FTypeAhead;
    int FSortColumn = 5;
    bool FSortAscending = true;
    bool FIconView = false;
};
