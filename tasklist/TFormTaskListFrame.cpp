// The list window's frame and life: the skinned parts and their layout,
// moving and sizing, shrinking to the title bar, the settings it restores
// and stores, print and export.
#include "tasklist/TFormTaskList.h"

#include "base/JbxError.h"
#include "base/Screen.h"
#include "controls/TSkinImage.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/ReminderEngine.h"
#include "platform/Dialogs.h"
#include "platform/DisplayPlatform.h"
#include "platform/NativePlace.h"
#include "platform/PrintText.h"
#include "platform/SaveText.h"
#include "platform/TWindowDrag.h"
#include "settings/TUserInfo.h"
#include "tasklist/ListFrame.h"
#include "tasklist/ListPictures.h"
#include "tasklist/ListRules.h"
#include "tasklist/SkinArt.h"
#include "tasklist/TTaskListModel.h"
#include "tasklist/TTaskListView.h"
#include "tasklist/TaskOrder.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
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

// The pictures of the frame and their files, in loading order.
struct TSkinFile {
    TSkinImage *TFormTaskList::*Image;
    const char *File;
};
constexpr TSkinFile FrameFiles[] = {
    {&TFormTaskList::ImageTopMid, "top_mid.bmp"},
    {&TFormTaskList::ImageLeftMid, "left_mid.bmp"},
    {&TFormTaskList::ImageRightMid, "right_mid.bmp"},
    {&TFormTaskList::ImageRightTop, "right_top.bmp"},
    {&TFormTaskList::ImageBottomLeft, "bottom_left.bmp"},
    {&TFormTaskList::ImageBottomMid, "bottom_mid.bmp"},
    {&TFormTaskList::ImageBottomRight, "bottom_right.bmp"},
    {&TFormTaskList::ImageS, "s.bmp"},
    {&TFormTaskList::ImageX, "x.bmp"},
    {&TFormTaskList::ImageSearch, "search.bmp"},
    {&TFormTaskList::ImageNew, "new.bmp"},
    {&TFormTaskList::ImageDel, "del.bmp"},
};

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

TSkinImage *NewImage(QWidget *parent, bool stretch, const QString &hint = QString())
{
    auto *image = new TSkinImage(parent);
    image->SetStretch(stretch);
    if (!hint.isEmpty()) {
        image->setToolTip(hint);
        image->setCursor(Qt::PointingHandCursor);
    }
    return image;
}
} // namespace

void TFormTaskList::BuildTitleBar()
{
    PanelTitle = new QWidget(this);
    // Painted in this order, each over the ones before.
    ImageTopMid = NewImage(PanelTitle, true);
    LabelTitle = new QLabel(QStringLiteral("Jotterbox"), PanelTitle);
    LabelTitle->setAttribute(Qt::WA_TranslucentBackground);
    QPalette ink = LabelTitle->palette();
    ink.setColor(QPalette::WindowText, Qt::black);
    LabelTitle->setPalette(ink);
    LabelTitle->move(28, 8);
    ImageTopLeft = NewImage(PanelTitle, false);
    ImageIcon = NewImage(PanelTitle, false);
    ImageIcon->SetPicture(ListIconPicture());
    ImageIcon->move(7, 7);
    ImageTopRight = NewImage(PanelTitle, false);
    ImageX = NewImage(PanelTitle, false, tr("Close"));
    ImageS = NewImage(PanelTitle, false, tr("Shrink/Expand"));
    ImageH = NewImage(PanelTitle, false, tr("Help"));
    ImageH->SetPicture(HelpButtonPicture());
    for (TSkinImage *button : {ImageX, ImageS, ImageH})
        button->SetTransparent(true);

    connect(ImageX, &TSkinImage::Clicked, this, &TFormTaskList::ImageXClick);
    connect(ImageS, &TSkinImage::Clicked, this, &TFormTaskList::PanelTitleDblClick);
    connect(ImageH, &TSkinImage::Clicked, this, &TFormTaskList::ImageHClick);
    for (TSkinImage *part : {ImageTopMid, ImageTopLeft, ImageIcon, ImageTopRight})
        connect(part, &TSkinImage::DoubleClicked, this, &TFormTaskList::PanelTitleDblClick);
    PanelTitle->installEventFilter(this);
    LabelTitle->installEventFilter(this);
}

void TFormTaskList::BuildClient()
{
    PanelClient = new QWidget(this);
    ImageBottomMid = NewImage(PanelClient, true);
    ImageLeftMid = NewImage(PanelClient, true);
    ImageRightMid = NewImage(PanelClient, true);
    ImageRightTop = NewImage(PanelClient, false);
    ImageBottomLeft = NewImage(PanelClient, false);
    ImageBottomRight = NewImage(PanelClient, false);
    ImageSearch = NewImage(PanelClient, false);
    ImageNew = NewImage(PanelClient, false, tr("New Note"));
    ImageDel = NewImage(PanelClient, false, tr("Delete Selected Note"));
    connect(ImageNew, &TSkinImage::Clicked, this, &TFormTaskList::ImageNewClick);
    connect(ImageDel, &TSkinImage::Clicked, this, &TFormTaskList::ImageDelClick);

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

    // These show no menu of their own, and not the window's either.
    for (QWidget *quiet : std::initializer_list<QWidget *>{ImageX, ImageS, ImageH, ImageNew, ImageDel})
        quiet->setContextMenuPolicy(Qt::PreventContextMenu);
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
    connect(EditSearch, &QLineEdit::textChanged, this, &TFormTaskList::EditSearchChange);
    return EditSearch;
}

void TFormTaskList::BuildFrameDrag()
{
    auto *drag = new TWindowDrag(this);
    // Dragged before it settled: settle now, or the settle would undo the drag.
    connect(drag, &TWindowDrag::Starting, this, &TFormTaskList::SettlePosition);
    auto add = [this, drag](QWidget *widget, TListPart part) {
        drag->AddPart(widget, [this, part](QPoint point, QSize size) {
            return ListHitZone(part, point, size, UserInfo().V_Expanded, ImageBottomLeft->height());
        });
    };
    add(ImageTopLeft, TListPart::TopLeft);
    add(ImageTopRight, TListPart::TopRight);
    add(ImageTopMid, TListPart::TopMid);
    add(LabelTitle, TListPart::TitleLabel);
    add(ImageIcon, TListPart::TitleLabel);
    add(ImageLeftMid, TListPart::LeftMid);
    add(ImageRightMid, TListPart::RightMid);
    add(ImageRightTop, TListPart::RightMid);
    add(ImageBottomMid, TListPart::BottomMid);
    add(ImageBottomLeft, TListPart::BottomLeft);
    add(ImageBottomRight, TListPart::BottomRight);
    add(ImageSearch, TListPart::Search);
    add(PanelClient, TListPart::Client);
}

bool TFormTaskList::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == PanelTitle || watched == LabelTitle) && event->type() == QEvent::MouseButtonDblClick) {
        PanelTitleDblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
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
    FPlaced = false;
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
    if (!isVisible() || !Ready || FPlaced)
        return;
    PinWindowPlace(this, QPoint(UserInfo().Left, UserInfo().Top));
    FPlaced = true;
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
    const int h = std::max(0, height() - ListTitleHeight);

    PanelTitle->setGeometry(0, 0, w, ListTitleHeight);
    ImageTopLeft->move(0, 0);
    ImageTopRight->move(w - ImageTopRight->width(), 0);
    ImageTopMid->setGeometry(ImageTopLeft->width(), 0, w - ImageTopLeft->width() - ImageTopRight->width(),
                             ListTitleHeight);

    PanelClient->setGeometry(0, ListTitleHeight, w, h);
    const int band = ImageBottomMid->Picture().height();
    const int leftEdge = ImageLeftMid->Picture().width();
    const int rightEdge = ImageRightMid->Picture().width();
    ImageBottomMid->setGeometry(0, h - band, w, band);
    ImageLeftMid->setGeometry(0, 0, leftEdge, h - band);
    ImageRightMid->setGeometry(w - rightEdge, 0, rightEdge, h - band);

    const TListLayout layout = ListLayout(w, h);
    PanelClient2->setGeometry(layout.ListPanel);
    ImageRightTop->move(layout.RightTop);
    ImageBottomLeft->move(layout.BottomLeft);
    ImageBottomRight->move(layout.BottomRight);
    ImageSearch->move(layout.Search);
    if (EditSearch)
        EditSearch->setGeometry(layout.SearchBox);
    ImageNew->setGeometry(layout.NewButton);
    ImageDel->setGeometry(layout.DelButton);
    ImageH->setGeometry(layout.HelpButton);
    ImageS->setGeometry(layout.ShrinkButton);
    ImageX->setGeometry(layout.CloseButton);
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

void TFormTaskList::ResetWindowRegion() { clearMask(); }

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
    if (isVisible())
        FitTitle();
    else
        LabelTitle->setText(title);
    UpdateTitleTimer();
}

QString TFormTaskList::TitleText() const { return FTitle; }

void TFormTaskList::FitTitle()
{
    // The title ends before the first of the buttons, with an ellipsis
    // where it is cut: a subject must not run under them.
    constexpr int Gap = 4;
    const int room = std::max(0, ImageH->x() - LabelTitle->x() - Gap);
    const QFontMetrics metrics = LabelTitle->fontMetrics();
    LabelTitle->setText(metrics.horizontalAdvance(FTitle) <= room
                            ? FTitle
                            : metrics.elidedText(FTitle, Qt::ElideRight, room));
    LabelTitle->resize(std::min(room, std::max(50, LabelTitle->sizeHint().width())),
                       LabelTitle->sizeHint().height());
}

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
        isVisible() && (!UserInfo().V_Expanded || LabelTitle->text() != QLatin1String("Jotterbox"));
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

QString TFormTaskList::SkinDirectory() const
{
    return AppDir + QStringLiteral("skins/") + UserInfo().SkinDirectoryName + u'/';
}

QString TFormTaskList::LoadSkinPicture(TSkinImage *image, const QString &fileName)
{
    const QString path = SkinDirectory() + fileName;
    QImage picture;
    const QString error = ReadSkinBitmap(path, picture);
    if (error.isEmpty()) {
        image->SetPicture(QPixmap::fromImage(picture));
        return {};
    }
    // A picture never read yet gets the default skin's own drawing, so the
    // frame stays whole and usable. Drawn only then: it costs start-up time.
    if (image->Picture().isNull())
        image->SetPicture(QPixmap::fromImage(DrawSkinPart(ShippedSkinNames().value(0), fileName)));
    return error;
}

void TFormTaskList::LoadSkinPictures(const QList<QPair<TSkinImage *, QString>> &pictures)
{
    // Read afresh every time: a changed skin shows at once. A file that
    // fails keeps its picture as it was; the first failure is told, once,
    // rather than a box for every file of a missing skin.
    QString firstError;
    for (const auto &[image, fileName] : pictures) {
        const QString error = LoadSkinPicture(image, fileName);
        if (firstError.isEmpty())
            firstError = error;
    }
    if (!firstError.isEmpty())
        Dialogs().ErrorBox(firstError);
    FormResize();
}

void TFormTaskList::LoadTitleSkin()
{
    const bool expanded = UserInfo().V_Expanded;
    LoadSkinPictures(
        {{ImageTopLeft, expanded ? QStringLiteral("top_left.bmp") : QStringLiteral("top_left_bar.bmp")},
         {ImageTopRight, expanded ? QStringLiteral("top_right.bmp") : QStringLiteral("top_right_bar.bmp")}});
}

void TFormTaskList::LoadFrameSkin()
{
    QList<QPair<TSkinImage *, QString>> pictures;
    for (const TSkinFile &file : FrameFiles)
        pictures.append({this->*file.Image, QString::fromLatin1(file.File)});
    LoadSkinPictures(pictures);
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
    if (!Ready || !FPlaced || !WindowPlacesKnown())
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
