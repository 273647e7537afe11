#include "tasklist/TTaskListView.h"

#include "base/Clock.h"
#include "tasklist/ListPictures.h"
#include "tasklist/TListHeader.h"
#include "tasklist/TListRowDelegate.h"
#include "tasklist/TTaskListModel.h"
#include "tasklist/TaskOrder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QTableView>

namespace {
constexpr int RowHeight = 17;
}

TTaskListView::TTaskListView(QWidget *parent) : QWidget(parent), FModel(new TTaskListModel(this))
{
    // The hidden caption, the three picture columns, the Subject column;
    // the Due Date column's bounds follow a setting.
    SetColumnBounds(ColumnCaption, 0, 0);
    SetColumnBounds(ColumnFinished, 22, 22);
    SetColumnBounds(ColumnReminder, 22, 22);
    SetColumnBounds(ColumnPriority, 16, 16);
    SetColumnBounds(ColumnSubject, 70, 0);
    for (int column = 0; column < ColumnCount; ++column)
        FWidths[size_t(column)] = Clamped(column, FWidths[size_t(column)]);
}

void TTaskListView::MakeViews()
{
    if (FReport)
        return;
    FReport = new QTableView(this);
    FHeader = new TListHeader(FReport);
    FDelegate = new TListRowDelegate(*FModel, this);
    FIcons = new QListView(this);
    FStack = new QStackedLayout(this);
    FModel->SetLargeIcon(LargeNoteIcon());

    FReport->setHorizontalHeader(FHeader);
    FReport->setModel(FModel);
    FReport->setItemDelegate(FDelegate);
    FReport->verticalHeader()->hide();
    FReport->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FReport->verticalHeader()->setMinimumSectionSize(1);
    FReport->verticalHeader()->setDefaultSectionSize(RowHeight);
    FReport->setShowGrid(true);
    FReport->setGridStyle(Qt::SolidLine);
    FReport->setWordWrap(false);
    FReport->setCornerButtonEnabled(false);
    FReport->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (int column = 0; column < ColumnCount; ++column) {
        FHeader->setSectionResizeMode(column, column <= ColumnPriority ? QHeaderView::Fixed
                                                                       : QHeaderView::Interactive);
        FHeader->resizeSection(column, SectionWidth(column));
    }

    FIcons->setViewMode(QListView::IconMode);
    FIcons->setIconSize(QSize(32, 32));
    FIcons->setGridSize(QSize(76, 64));
    FIcons->setMovement(QListView::Static);
    FIcons->setResizeMode(QListView::Fixed);
    FIcons->setWrapping(true);
    FIcons->setWordWrap(true);
    FIcons->setUniformItemSizes(true);
    FIcons->setTextElideMode(Qt::ElideRight);

    for (QAbstractItemView *view :
         {static_cast<QAbstractItemView *>(FReport), static_cast<QAbstractItemView *>(FIcons)}) {
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setFrameShape(QFrame::NoFrame);
        // Not reached by Tab; a click gives it the focus.
        view->setFocusPolicy(Qt::ClickFocus);
        view->setTabKeyNavigation(false);
        view->viewport()->setMouseTracking(true);
        view->viewport()->installEventFilter(this);
        view->installEventFilter(this);
        FStack->addWidget(view);
    }
    ShowView();

    connect(FHeader, &QHeaderView::sectionClicked, this, &TTaskListView::HeaderClicked);
    connect(FHeader, &QHeaderView::sectionResized, this, &TTaskListView::ColumnResized);
    // The table switches the header's arrow off as it takes the header in
    // (it sorts nothing itself); the list keeps its own sort and shows it.
    FHeader->setSortIndicatorShown(true);
    ShowSortArrow();
}

QTableView *TTaskListView::ReportView()
{
    MakeViews();
    return FReport;
}

QListView *TTaskListView::IconView()
{
    MakeViews();
    return FIcons;
}

QAbstractItemView *TTaskListView::Rows() const
{
    return FIconView ? static_cast<QAbstractItemView *>(FIcons) : FReport;
}

void TTaskListView::SetIconView(bool icons)
{
    if (icons == FIconView)
        return;
    FIconView = icons;
    if (FReport)
        ShowView();
}

void TTaskListView::ShowView()
{
    const bool hadFocus = FStack->currentWidget() && FStack->currentWidget()->hasFocus();
    // The icons keep per-row layout data: they see the rows only while they
    // are the view on screen. Each model they get comes with a selection
    // model of its own; the old one goes.
    QItemSelectionModel *old = FIcons->selectionModel();
    FIcons->setModel(FIconView ? FModel : nullptr);
    delete old;
    FStack->setCurrentWidget(Rows());
    FitSubject(); // the report may come back with or without its scroll bar
    SetHotRow(-1);
    if (hadFocus)
        Rows()->setFocus();
}

void TTaskListView::AlphaSort(int column, bool ascending)
{
    FSortColumn = column;
    FSortAscending = ascending;
    ShowSortArrow();
    Resort();
}

void TTaskListView::Resort()
{
    FModel->Sort(FSortColumn, FSortAscending);
    if (FIconView && FIcons)
        FIcons->doItemsLayout();
}

void TTaskListView::ShowSortArrow()
{
    if (!FHeader)
        return;
    const bool valid = FSortColumn >= 0 && FSortColumn < ColumnCount;
    FHeader->setSortIndicator(valid ? FSortColumn : -1,
                              FSortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TTaskListView::HeaderClicked(int column)
{
    AlphaSort(column, column == FSortColumn ? !FSortAscending : true);
}

void TTaskListView::SetColumnBounds(int column, int minimum, int maximum)
{
    if (column < 0 || column >= ColumnCount)
        return;
    FBounds[size_t(column)] = {minimum, maximum};
}

int TTaskListView::Clamped(int column, int width) const
{
    const TBounds bounds = FBounds[size_t(column)];
    if (bounds.Maximum > 0)
        width = std::min(width, bounds.Maximum);
    return std::max(width, bounds.Minimum);
}

void TTaskListView::SetColumnWidth(int column, int width)
{
    if (column < 0 || column >= ColumnCount || width < 0)
        return;
    const int clamped = Clamped(column, width);
    if (clamped == FWidths[size_t(column)])
        return;
    FWidths[size_t(column)] = clamped;
    if (FHeader)
        FHeader->resizeSection(column, SectionWidth(column));
    emit ColumnsResized();
}

int TTaskListView::ScrollBarRoom() const
{
    if (!FReport || !FReport->isVisible())
        return 0;
    return std::max(0, FReport->width() - FReport->viewport()->width());
}

int TTaskListView::SectionWidth(int column) const
{
    const int width = FWidths[size_t(column)];
    return column == ColumnSubject ? std::max(0, width - ScrollBarRoom()) : width;
}

void TTaskListView::FitSubject()
{
    if (FHeader && FHeader->sectionSize(ColumnSubject) != SectionWidth(ColumnSubject))
        FHeader->resizeSection(ColumnSubject, SectionWidth(ColumnSubject));
}

int TTaskListView::ColumnWidth(int column) const
{
    return column >= 0 && column < ColumnCount ? FWidths[size_t(column)] : 0;
}

int TTaskListView::ColumnWidthSum() const
{
    int sum = 0;
    for (int width : FWidths)
        sum += width;
    return sum;
}

void TTaskListView::ColumnResized(int column, int, int newWidth)
{
    // On screen the Subject column is narrower by the scroll bar's room;
    // its width is what it would have without the bar.
    const int room = column == ColumnSubject ? ScrollBarRoom() : 0;
    const int clamped = Clamped(column, newWidth + room);
    if (clamped - room != newWidth) {
        // Comes back here once with the width it may have.
        FHeader->resizeSection(column, clamped - room);
        return;
    }
    if (clamped == FWidths[size_t(column)])
        return;
    FWidths[size_t(column)] = clamped;
    emit ColumnsResized();
}

int TTaskListView::SelectedRow() const
{
    const QAbstractItemView *view = Rows();
    if (!view || !view->selectionModel())
        return -1;
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

TTask *TTaskListView::SelectedTask() const { return FModel->Task(SelectedRow()); }

void TTaskListView::SelectRow(int row)
{
    MakeViews();
    QAbstractItemView *view = Rows();
    const QModelIndex index = FModel->index(row, FIconView ? 0 : ColumnSubject);
    if (!index.isValid() || !view->selectionModel())
        return;
    view->selectionModel()->setCurrentIndex(index,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

void TTaskListView::ClearSelection()
{
    QAbstractItemView *view = Rows();
    if (view && view->selectionModel())
        view->selectionModel()->clear();
}

int TTaskListView::RowAt(QPoint listPoint) const { return Rows() ? Rows()->indexAt(listPoint).row() : -1; }

void TTaskListView::RedrawRow(int row)
{
    QAbstractItemView *view = Rows();
    if (row < 0 || !view)
        return;
    for (int column = 0; column < ColumnCount; ++column)
        view->update(FModel->index(row, column));
}

void TTaskListView::SetHotRow(int row)
{
    if (!FDelegate || row == FDelegate->HotRow())
        return;
    const int old = FDelegate->HotRow();
    FDelegate->SetHotRow(row);
    RedrawRow(old);
    RedrawRow(row);
    FReport->viewport()->setCursor(row >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TTaskListView::TypeAhead(const QString &typed)
{
    const qint64 now = TClock::Current().toMSecsSinceEpoch();
    // The picture columns have no text to find: there, as in the icons,
    // the subject is searched.
    const int column = (FSortColumn == ColumnCaption || FSortColumn == ColumnDueDate) && !FIconView
                           ? FSortColumn
                           : ColumnSubject;
    const int row = FTypeAhead.Type(typed, now, FModel->rowCount(), SelectedRow(),
                                    [this, column](int r) { return FModel->CellText(r, column); });
    if (row < 0) {
        QApplication::beep();
        return;
    }
    SelectRow(row);
}

void TTaskListView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The views are made when the list is first shown: a list that stays
    // hidden (the usual start-up) costs no views, fonts or pictures.
    if (!FReport) {
        MakeViews();
        Rows()->show();
    }
    // Rows as tall as the pictures, or the text where the font is larger;
    // measured once shown, so a hidden list loads no fonts.
    FReport->verticalHeader()->setDefaultSectionSize(std::max(RowHeight, fontMetrics().height() + 4));
    FitSubject();
}

void TTaskListView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}

bool TTaskListView::eventFilter(QObject *watched, QEvent *event)
{
    if (!FReport)
        return QWidget::eventFilter(watched, event);
    const bool isViewport = watched == FReport->viewport() || watched == FIcons->viewport();
    const bool isView = watched == FReport || watched == FIcons;
    if (isViewport) {
        switch (event->type()) {
        case QEvent::Resize:
            // The vertical scroll bar came or went (or the list was sized):
            // the columns fit the rows' width again.
            if (watched == FReport->viewport())
                FitSubject();
            break;
        case QEvent::MouseButtonPress: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            // A press on the empty part of the list clears the selection.
            if (RowAt(mouse->position().toPoint()) < 0)
                ClearSelection();
            emit MouseDown(mouse->button(), mouse->position().toPoint());
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            emit MouseUp(mouse->button(), mouse->position().toPoint());
            break;
        }
        case QEvent::MouseMove: {
            const QPoint point = static_cast<QMouseEvent *>(event)->position().toPoint();
            SetHotRow(FIconView ? -1 : RowAt(point));
            emit MouseMove(point);
            break;
        }
        case QEvent::MouseButtonDblClick: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (RowAt(mouse->position().toPoint()) < 0)
                ClearSelection();
            emit DblClick();
            return true;
        }
        case QEvent::Leave: SetHotRow(-1); break;
        default: break;
        }
    } else if (isView) {
        switch (event->type()) {
        case QEvent::FocusIn: emit FocusEnter(); break;
        case QEvent::FocusOut: emit FocusExit(); break;
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            const QString text = key->text();
            const bool command =
                key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            if (!command && !text.isEmpty() && text.at(0).isPrint()) {
                TypeAhead(text);
                return true;
            }
            break;
        }
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
