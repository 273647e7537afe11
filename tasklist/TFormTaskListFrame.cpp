// The list window's life in its frame: the rows' panel and the search box
// within it, showing and placing, shrinking to the title bar and its title,
// the settings it restores and stores, print and export.
#include "tasklist/TFormTaskList.h"

#include "base/JbxError.h"
#include "base/Screen.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/ReminderEngine.h"
#include "platform/Dialogs.h"
#include "platform/DisplayPlatform.h"
#include "platform/PrintText.h"
#include "platform/SaveText.h"
#include "settings/TUserInfo.h"
#include "tasklist/ListFrame.h"
#include "tasklist/ListRules.h"
#include "tasklist/TListSkinFrame.h"
#include "tasklist/TTaskListModel.h"
#include "tasklist/TTaskListView.h"
#include "tasklist/TaskOrder.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLineEdit>
#include <QPrinter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// Openbox can drop the first placement of a frameless window: it is put
// there again this long after the first show.
constexpr int SettleDelay = 250;
constexpr int StripHeight = 17;

// The stored height as far as the screen can show it: the bottom band with
// the search box and the buttons must stay within reach, and a window
// taller than any screen would cost its height in memory for nothing.
int ListHeightOnScreen(qint32 height, QSize screen)
{
    return std::min<qint32>(height, std::max(screen.height() - ListTitleHeight, ListTitleHeight));
}

// A place past the right or bottom edge is pulled back on show; past the
// left or top edge it stays, as long as some of the window is on the
// screen to take hold of. A window wholly beyond them could never be
// dragged back, so it comes to the edge. Far-off numbers are brought near
// the screen first: the pulling back must not run past the range of an int.
QPoint ListPlaceWithinReach(QPoint place, QSize size, QSize screen)
{
    const auto axis = [](qint64 at, int length, int screenLength) {
        return at + length <= 0 ? 0 : int(std::min<qint64>(at, screenLength));
    };
    return {axis(place.x(), size.width(), screen.width()), axis(place.y(), size.height(), screen.height())};
}

} // namespace

void TFormTaskList::BuildClient()
{
    Frame = new TListSkinFrame(this);
    connect(Frame, &TListSkinFrame::CloseClicked, this, &TFormTaskList::ImageXClick);
    connect(Frame, &TListSkinFrame::ShrinkClicked, this, &TFormTaskList::PanelTitleDblClick);
    connect(Frame, &TListSkinFrame::HelpClicked, this, &TFormTaskList::ImageHClick);
    connect(Frame, &TListSkinFrame::NewClicked, this, &TFormTaskList::ImageNewClick);
    connect(Frame, &TListSkinFrame::DelClicked, this, &TFormTaskList::ImageDelClick);
    connect(Frame, &TListSkinFrame::DragStarting, this, &TFormTaskList::SettlePosition);

    PanelClient = Frame->ClientPanel();
    PanelClient2 = new QWidget(PanelClient);
    auto *column = new QVBoxLayout(PanelClient2);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *strip = new QFrame(PanelClient2);
    strip->setFrameStyle(QFrame::Panel | QFrame::Raised);
    strip->setBackgroundRole(QPalette::Button);
    strip->setAutoFillBackground(true);
    strip->setFixedHeight(StripHeight);
    strip->hide();
    PanelLV2Top = strip;
    ListView1 = new TTaskListView(PanelClient2);
    column->addWidget(PanelLV2Top);
    column->addWidget(ListView1);
}

QLineEdit *TFormTaskList::SearchBox()
{
    // Made when first needed: the first edit box of the program loads the
    // fonts, which a list that stays hidden at start-up need not wait for.
    if (EditSearch)
        return EditSearch;
    EditSearch = new QLineEdit(PanelClient);
    EditSearch->setToolTip(tr("Input your search string here."));
    EditSearch->setStyleSheet(
        QStringLiteral("QLineEdit { border: 1px solid palette(dark); background: white; color: black; }"));
    EditSearch->setContextMenuPolicy(Qt::PreventContextMenu);
    EditSearch->setGeometry(ListLayout(width(), height() - ListTitleHeight).SearchBox);
    EditSearch->show();
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    connect(EditSearch, &QLineEdit::textChanged, this, &TFormTaskList::EditSearchChange);
    return EditSearch;
}

// --- creation, showing, layout -------------------------------------------

void TFormTaskList::FormCreate()
{
    DeletingByUser = false;
    Ready = false;
    ShuttingDown = false;
    ApplyDueDateColumn(true);
    ApplyViewStyle();
    FillList();

    // Every later use of the stored height (the first size, expanding a
    // list that starts shrunk) gets one the screen can show.
    UserInfo().Height = ListHeightOnScreen(UserInfo().Height, PrimaryScreenSize());
    const TUserInfo &settings = UserInfo();
    // A column wider than the screen is a hand-edited number, not a width
    // the user gave it: it would make a window no screen shows, and the sum
    // of such widths runs past the range of an int. It takes its default.
    const int widest = PrimaryScreenSize().width();
    const TUserInfo defaults;
    const auto stored = [widest](qint32 width, qint32 standard) { return width > widest ? standard : width; };
    const int widths[] = {stored(settings.Column0Width, defaults.Column0Width),
                          stored(settings.Column1Width, defaults.Column1Width),
                          stored(settings.Column2Width, defaults.Column2Width),
                          stored(settings.Column3Width, defaults.Column3Width),
                          stored(settings.Column4Width, defaults.Column4Width),
                          stored(settings.Column5Width, defaults.Column5Width)};
    for (int column = 0; column < ColumnCount; ++column)
        ListView1->SetColumnWidth(column, widths[column]);
    // Every column as it came out, the Due Date column's too: a list that
    // starts shrunk expands to the width its columns fill, as one shown
    // expanded does.
    const int width = ListView1->ColumnWidthSum() + ListWidthExtra;
    ExpandedWidth = width;
    // The stored height from the start: a list never shown this time
    // stores it back unchanged.
    if (settings.V_Expanded)
        resize(width, settings.Height);
    ApplyMinimumSize();

    Title = TTitleCycling();
    if (settings.Showing)
        show();
}

void TFormTaskList::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormTaskList::FormShow()
{
    WriteDebugLog(QStringLiteral("TFormTaskList.FormShow"));
    SearchBox();
    Ready = false;
    Frame->Unsettle();
    ApplyMinimumSize();
    TUserInfo &settings = UserInfo();
    if (settings.V_Expanded) {
        const int width = ListView1->ColumnWidthSum() + ListWidthExtra;
        resize(width, ListHeightOnScreen(settings.Height, PrimaryScreenSize()));
    } else {
        resize(ListView1->ColumnWidth(ColumnSubject) + ShrunkWidthExtra, ListTitleHeight);
    }
    ResetWindowRegion();
    const QPoint place =
        PulledOnScreen(ListPlaceWithinReach(QPoint(settings.Left, settings.Top), size(), PrimaryScreenSize()),
                       size(), PrimaryScreenSize());
    settings.Left = place.x();
    settings.Top = place.y();
    move(place);
    LoadTitleSkin();
    LoadFrameSkin();
    FitTitle();
    // Hidden, the title did not cycle: shrunk, it catches up at once.
    if (!settings.V_Expanded) {
        Title.TitleTick = -1;
        TitleTick();
    }
    UpdateTitleTimer(true);
    settings.Showing = true;
    Ready = true;
    emit ShowingChanged();
    QTimer::singleShot(SettleDelay, this, &TFormTaskList::SettlePosition);
}

void TFormTaskList::SettlePosition()
{
    if (Ready)
        Frame->Settle(QPoint(UserInfo().Left, UserInfo().Top));
}

void TFormTaskList::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TFormTaskList::FormResize()
{
    WriteDebugLog(QStringLiteral("TFormTaskList.FormResize"));
    const int w = width();
    const TListLayout layout = Frame->Arrange();
    PanelClient2->setGeometry(layout.ListPanel);
    if (EditSearch)
        EditSearch->setGeometry(layout.SearchBox);
    if (isVisible())
        FitTitle();

    TUserInfo &settings = UserInfo();
    if (settings.V_Expanded && Ready) {
        int others = 0;
        for (int column = 0; column < ColumnCount; ++column)
            if (column != ColumnSubject)
                others += ListView1->ColumnWidth(column);
        ListView1->SetColumnWidth(ColumnSubject, w - ListFrameWidth - others);
        settings.Height = height();
    }
}

void TFormTaskList::ResetWindowRegion() { Frame->ResetWindowRegion(); }

void TFormTaskList::ApplyMinimumSize()
{
    if (!UserInfo().V_Expanded) {
        setMinimumSize(0, 0);
        return;
    }
    const int others = ListView1->ColumnWidthSum() - ListView1->ColumnWidth(ColumnSubject);
    constexpr int SubjectMinimum = 70;
    constexpr int BottomBand = 39;
    constexpr int RoomForRows = 40; // the headers and a row
    setMinimumSize(others + SubjectMinimum + ListWidthExtra, ListTitleHeight + BottomBand + RoomForRows);
}

void TFormTaskList::ShowTitle(const QString &title)
{
    if (title == FTitle)
        return;
    FTitle = title;
    // Measured only on screen: measuring text loads the fonts, which a
    // hidden list at start-up need not wait for.
    Frame->FitTitle(title, isVisible());
    UpdateTitleTimer();
}

QString TFormTaskList::TitleText() const { return FTitle; }

void TFormTaskList::FitTitle() { Frame->FitTitle(FTitle); }

// --- shrink and expand ---------------------------------------------------

void TFormTaskList::PanelTitleDblClick()
{
    TUserInfo &settings = UserInfo();
    if (settings.V_Expanded) {
        settings.V_Expanded = false;
        ApplyMinimumSize();
        settings.Height = height();
        resize(width(), ListTitleHeight);
        ListView1->ClearSelection();
        ResetWindowRegion();
        if (y() < 0)
            move(x(), 0);
        ExpandedWidth = width();
        resize(ListView1->ColumnWidth(ColumnSubject) + ShrunkWidthExtra, ListTitleHeight);
    } else {
        // The columns did not change while shrunk, so this is the width
        // they had: the Subject column keeps its width.
        ExpandedWidth = ListView1->ColumnWidthSum() + ListWidthExtra;
        resize(ExpandedWidth, settings.Height);
        ResetWindowRegion();
        move(PulledOnScreen(pos(), size(), PrimaryScreenSize()));
        settings.V_Expanded = true;
        ApplyMinimumSize();
    }
    LoadTitleSkin();
    Title.TitleTick = -1;
    Timer1Timer();
}

void TFormTaskList::Timer1Timer()
{
    // The reminder scan, then the title; the title's next turn is ten
    // seconds from now.
    if (FReminders)
        FReminders->Timer1Timer();
    TitleTick();
    UpdateTitleTimer(true);
}

void TFormTaskList::TitleTick()
{
    if (const std::optional<QString> title = Title.Tick(TaskList(), UserInfo().V_Expanded))
        ShowTitle(*title);
}

void TFormTaskList::TimerTitleTimer()
{
    // Each run is the tenth tick: the title moves on.
    Title.TitleTick = -1;
    TitleTick();
    UpdateTitleTimer();
}

void TFormTaskList::UpdateTitleTimer(bool restart)
{
    const bool wanted =
        isVisible() && (!UserInfo().V_Expanded || Frame->ShownTitle() != QLatin1String("Jotterbox"));
    if (!wanted)
        TimerTitle->stop();
    else if (restart || !TimerTitle->isActive())
        TimerTitle->start();
}

// --- the buttons ---------------------------------------------------------

void TFormTaskList::ImageXClick() { close(); }
void TFormTaskList::ImageHClick() { emit HelpRequested(); }
void TFormTaskList::ImageNewClick() { ActionAddNewNoteExecute(); }
void TFormTaskList::ImageDelClick() { ActionDeleteSelectedNoteExecute(); }

void TFormTaskList::ShowExpanded()
{
    UserInfo().V_Expanded = true;
    ApplyMinimumSize();
    show();
    raise();
    activateWindow();
}

// --- the skin ------------------------------------------------------------

void TFormTaskList::LoadTitleSkin()
{
    Frame->LoadTitleSkin(UserInfo().V_Expanded);
    FormResize();
}

void TFormTaskList::LoadFrameSkin()
{
    Frame->LoadFrameSkin();
    FormResize();
}

// --- closing and the end -------------------------------------------------

void TFormTaskList::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    event->accept();
}

void TFormTaskList::FormCloseQuery()
{
    WriteDebugLog(QStringLiteral("TFormTaskList.FormCloseQuery"));
    if (ShuttingDown)
        return;
    UserInfo().Showing = false;
    Ready = false;
    emit ShowingChanged();
}

void TFormTaskList::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        FormHide();
}

void TFormTaskList::FormHide()
{
    WriteDebugLog(QStringLiteral("TFormTaskList.FormHide"));
    TimerTitle->stop();
}

void TFormTaskList::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    WMMove();
}

void TFormTaskList::WMMove()
{
    if (!Ready || !Frame->Placed() || !WindowPlacesKnown())
        return;
    UserInfo().Left = x();
    UserInfo().Top = y();
}

void TFormTaskList::WMQueryEndSession()
{
    WriteDebugLog(QStringLiteral("TFormTaskList.WMQueryEndSession"));
    StoreState();
    ShuttingDown = true;
    FormCloseQuery();
}

void TFormTaskList::FormDestroy()
{
    WriteDebugLog(QStringLiteral("TFormTaskList.FormDestroy"));
    FDestroyed = true;
    StoreState();
}

void TFormTaskList::StoreState()
{
    TUserInfo &settings = UserInfo();
    if (settings.V_Expanded)
        settings.Height = height();
    qint32 *widths[] = {&settings.Column0Width, &settings.Column1Width, &settings.Column2Width,
                        &settings.Column3Width, &settings.Column4Width, &settings.Column5Width};
    for (int column = 0; column < ColumnCount; ++column)
        *widths[column] = ListView1->ColumnWidth(column);
    settings.SortColumn = ListView1->SortColumn();
    settings.SortAscending = ListView1->SortAscending();
}

// --- print and export ----------------------------------------------------

QStringList TFormTaskList::RowLines() const { return ::RowLines(ListView1->Model()->Rows()); }

void TFormTaskList::PrintList()
{
    QPrinter printer;
    if (!Dialogs().SetUpPrinter(this, printer))
        return;
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    try {
        PrintPlainText(printer, RowLines().join(u'\n'), font, tr("Jotterbox"), true);
    } catch (const EJbxError &error) {
        Dialogs().ErrorBox(error.Message());
    }
}

void TFormTaskList::ExportList()
{
    SaveTextFileAs(this, QStringLiteral("tasklist.txt"), tr("Export"),
                   [this] { return ExportBytes(RowLines()); });
}
