#include "notes/TFormNote.h"

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
#include "model/UnitGlobalProc.h"
#include "notes/NoteEvents.h"
#include "notes/NoteRules.h"
#include "notes/NoteWindows.h"
#include "notes/TNoteInfoPanel.h"
#include "notes/TNoteMenu.h"
#include "platform/ColorRef.h"
#include "platform/DisplayPlatform.h"
#include "platform/Fonts.h"
#include "platform/NativePlace.h"
#include "platform/TWindowDrag.h"
#include "settings/TUserInfo.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <cmath>

namespace {

QList<QPointer<TFormNote>> &LiveNotes()
{
    static QList<QPointer<TFormNote>> notes;
    return notes;
}

// How long the window manager gets to place a new window before its place
// counts: some managers report (0, 0) for a moment after the first show.
constexpr int SettleDelay = 250;

void SetBackground(QWidget *widget, qint32 color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ColorRefToQColor(color));
    palette.setColor(QPalette::Base, ColorRefToQColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QList<QRect> ScreenRects()
{
    QList<QRect> rects;
    for (const QScreen *screen : QGuiApplication::screens())
        rects << screen->geometry();
    return rects;
}

} // namespace

TFormNote::TFormNote(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | StayOnTopFlag())
{
    // The reminder's time label of the first note sets the program's time
    // format to hours and minutes; its panel is made at the first click, the
    // switch not: the note's own hint already shows times without seconds.
    TLocaleFormats::UseShortTimeFormat();
    setWindowTitle(tr("Jotterbox"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(InstalledFamily(QStringLiteral("MS Sans Serif")), 8));
    setMinimumWidth(NoteMinWidth);
    resize(349, 256);
    ImageClock = ClockPicture();
    ImageNote = NotePicture();
    BuildTitleBar();
    BuildClient();
    Menu = new TNoteMenu(this);
    Menu->AttachMemo(MemoDetail);
    auto *drag = new TWindowDrag(this);
    // Dragged before it settled: settle now, or the settle would undo the drag.
    connect(drag, &TWindowDrag::Starting, this, &TFormNote::SettlePosition);
    for (auto [part, kind] : {std::pair<QWidget *, TNotePart>{PanelTitle, TNotePart::Title},
                              {LabelTitle, TNotePart::TitleLabel},
                              {PanelClient, TNotePart::Client}})
        drag->AddPart(part, [this, kind](QPoint point, QSize size) {
            return NoteHitZone(kind, point, size, Task && Task->RolledUp);
        });

    PMBlink = new QMenu(this);
    for (int tag = 0; tag < 8; ++tag) {
        QAction *item = PMBlink->addAction(tr(BlinkCaptions[tag]));
        connect(item, &QAction::triggered, this, [this, tag] { Acknowledged1Click(tag); });
        if (tag == 0)
            PMBlink->addSeparator();
    }

    SetNoteColor(9620973);
    // The parts by their design names: the window's users find them so.
    setObjectName(QStringLiteral("FormNote"));
    const std::pair<QObject *, const char *> parts[] = {
        {PanelTitle, "PanelTitle"},
        {LabelTitle, "LabelTitle"},
        {ImageX, "ImageX"},
        {ImageTaskInfo, "ImageTaskInfo"},
        {PanelClient, "PanelClient"},
        {PanelClient2, "PanelClient2"},
        {PanelOtherInfo, "PanelOtherInfo"},
        {LabelBottom, "LabelBottom"},
        {MemoDetail, "MemoDetail"},
        {Menu, "Menu"},
        {PMBlink, "PMBlink"},
    };
    for (const auto &[part, name] : parts)
        part->setObjectName(QLatin1String(name));
    connect(&TNoteEvents::Instance(), &TNoteEvents::SessionEnding, this, &TFormNote::WMQueryEndSession);
    connect(&TNoteEvents::Instance(), &TNoteEvents::SessionResumed, this, [this] { ShuttingDown = false; });
    AddTaskSheetReceiver(this);
    LiveNotes() << this;
}

TFormNote::~TFormNote()
{
    RemoveTaskSheetReceiver(this);
    LiveNotes().removeAll(this);
    LiveNotes().removeAll(nullptr);
    if (FDiscarded && GlobalsExist())
        TaskList().DisposeRemoved(Task);
}

void TFormNote::InstallCreator(const TAppCommands *commands)
{
    SetNoteCreator([commands](TTask *task) {
        auto *note = new TFormNote;
        note->Task = task;
        note->SetCommands(commands);
        note->show();
    });
}

void TFormNote::SetCommands(const TAppCommands *commands) { Menu->Commands = commands; }

QList<TFormNote *> TFormNote::OpenNotes()
{
    QList<TFormNote *> notes;
    for (const QPointer<TFormNote> &note : LiveNotes())
        if (note && !note->FClosed)
            notes << note;
    return notes;
}

void TFormNote::DestroyAll()
{
    const QList<QPointer<TFormNote>> notes = LiveNotes();
    for (const QPointer<TFormNote> &note : notes)
        delete note.data();
}

void TFormNote::BuildTitleBar()
{
    PanelTitle = new QFrame(this);
    PanelTitle->installEventFilter(this);

    LabelTitle = new QLabel(PanelTitle);
    LabelTitle->setFont(QFont(InstalledFamily(QStringLiteral("MS Sans Serif")), 8));
    QPalette white = LabelTitle->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    LabelTitle->setPalette(white);
    LabelTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LabelTitle->installEventFilter(this);

    ImageX = new QLabel(PanelTitle);
    ImageX->setPixmap(CloseCrossPicture());
    ImageX->setFixedSize(16, 16);
    ImageX->setToolTip(tr("Close"));
    ImageX->setCursor(Qt::PointingHandCursor);
    ImageX->setContextMenuPolicy(Qt::PreventContextMenu);
    ImageX->installEventFilter(this);

    ImageTaskInfo = new TZELBlinkImage(PanelTitle);
    ImageTaskInfo->SetPicture1(ImageClock);
    ImageTaskInfo->SetPicture2(ClockBlinkPicture());
    ImageTaskInfo->SetInterval(500);
    ImageTaskInfo->setToolTip(tr("Date/Time"));
    ImageTaskInfo->setCursor(Qt::PointingHandCursor);
    ImageTaskInfo->setContextMenuPolicy(Qt::PreventContextMenu);
    ImageTaskInfo->installEventFilter(this);
}

void TFormNote::BuildClient()
{
    PanelClient = new QWidget(this);
    PanelClient2 = new QWidget(PanelClient);

    PanelOtherInfo = new QWidget(PanelClient2);
    PanelOtherInfo->installEventFilter(this);
    auto *line = new QFrame(PanelOtherInfo);
    line->setObjectName(QStringLiteral("BottomLine"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette shadow = line->palette();
    shadow.setColor(QPalette::WindowText, shadow.color(QPalette::Dark));
    line->setPalette(shadow);
    line->setGeometry(0, 0, 4000, 1);
    LabelBottom = new QLabel(PanelOtherInfo);
    LabelBottom->move(8, 4);
    LabelBottom->installEventFilter(this);

    MemoDetail = new QPlainTextEdit(PanelClient2);
    MemoDetail->setFrameShape(QFrame::NoFrame);
    MemoDetail->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoDetail->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The note's own menu stands in for the text area's.
    MemoDetail->setContextMenuPolicy(Qt::NoContextMenu);
    MemoDetail->installEventFilter(this);
    connect(MemoDetail, &QPlainTextEdit::textChanged, this, &TFormNote::MemoDetailChange);
}

// At the first press on the clock picture: most notes never show their
// dates, and a start with many notes should not pay for them.
void TFormNote::BuildInfoPanel()
{
    PanelTaskInfo = new TNoteInfoPanel(PanelClient2);
    PanelTaskInfo->hide();
    PanelTaskInfo->setGeometry(MemoDetail->geometry());
    PanelTaskInfo->installEventFilter(this);
    for (QLabel *caption : PanelTaskInfo->Captions)
        caption->installEventFilter(this);
    DPDueDate = PanelTaskInfo->DPDueDate;
    DPReminder = PanelTaskInfo->DPReminder;
    TPReminder = PanelTaskInfo->TPReminder;
    CBPriority = PanelTaskInfo->CBPriority;
    CBFinished = PanelTaskInfo->CBFinished;
    connect(DPDueDate, &TZELDatePicker2::DateSelected, this, &TFormNote::DPDueDateDateSelected);
    connect(DPReminder, &TZELDatePicker2::SelectingDate, this, &TFormNote::DPReminderSelectingDate);
    connect(DPReminder, &TZELDatePicker2::DateSelected, this, &TFormNote::DPReminderDateSelected);
    connect(TPReminder, &TZELEditableLabel::Edited, this, &TFormNote::DPReminderDateSelected);
    connect(CBPriority, &TZELCombo::Selected, this, &TFormNote::CBPrioritySelected);
    connect(CBFinished, &TZELCombo::Selected, this, &TFormNote::CBFinishedSelected);
    const std::pair<QObject *, const char *> parts[] = {
        {PanelTaskInfo, "PanelTaskInfo"}, {DPDueDate, "DPDueDate"},   {DPReminder, "DPReminder"},
        {TPReminder, "TPReminder"},       {CBPriority, "CBPriority"}, {CBFinished, "CBFinished"},
    };
    for (const auto &[part, name] : parts)
        part->setObjectName(QLatin1String(name));
    if (Task)
        PanelTaskInfo->Fill(*Task);
}

// --- showing --------------------------------------------------------------

void TFormNote::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!FShown && !event->spontaneous()) {
        FShown = true;
        FormShow();
        QTimer::singleShot(SettleDelay, this, &TFormNote::SettlePosition);
    }
}

void TFormNote::FormShow()
{
    WriteDebugLog(QStringLiteral("TFormTask.FormShow"));
    Loading = true;
    // What showing may change in the task; shown as it was saved, nothing is.
    const bool wasOpen = Task->NoteOpen;
    const QPoint wasPlace(Task->Left, Task->Top);

    FStoredPlace = Task->Left != TTask::NoPosition;
    if (FStoredPlace) {
        const int height = Task->RolledUp ? NoteTitleHeight : Task->Height;
        const QScreen *primary = QGuiApplication::primaryScreen();
        const QPoint place = primary ? NotePlaceOnScreen(QRect(Task->Left, Task->Top, Task->Width, height),
                                                         ScreenRects(), primary->availableGeometry())
                                     : QPoint(Task->Left, Task->Top);
        Task->Left = place.x();
        Task->Top = place.y();
        move(place);
    }

    SetNoteColor(Task->Color);
    const QString text = TextForDisplay(DecodeText(Task->Text));
    MemoDetail->setPlainText(text);
    FShownText = MemoDetail->toPlainText();
    ApplyFont();
    Task->NoteOpen = true;

    if (Task->RolledUp) {
        PanelTitle->setFrameStyle(QFrame::Panel | QFrame::Raised);
        ShowRolledUpTitle();
    } else {
        PanelTitle->setFrameStyle(QFrame::NoFrame);
        setMinimumHeight(NoteMinHeight);
        resize(Task->Width, Task->Height);
    }
    SetClientReachable(!Task->RolledUp);
    SetTaskInfo();
    Loading = false;
    Ready = true;
    if (!wasOpen || QPoint(Task->Left, Task->Top) != wasPlace)
        DataModified.Mark();
}

void TFormNote::SettlePosition()
{
    if (FPositionSettled || FClosed || !Task)
        return;
    if (FStoredPlace) {
        PinWindowPlace(this, QPoint(Task->Left, Task->Top));
    } else if (WindowPlacesKnown()) {
        // The place the manager chose, as the window system knows it.
        const QPoint place = NativeWindowPlace(windowHandle()).value_or(pos());
        PinWindowPlace(this, place);
        Task->Left = place.x();
        Task->Top = place.y();
        DataModified.Mark();
    }
    FPositionSettled = true;
}

void TFormNote::SetNoteColor(qint32 color)
{
    FColor = color;
    SetBackground(this, color);
    SetBackground(PanelClient, color);
    QPalette memo = MemoDetail->palette();
    memo.setColor(QPalette::Base, ColorRefToQColor(color));
    MemoDetail->setPalette(memo);
    ApplyTitleColor();
}

void TFormNote::ApplyTitleColor() { SetBackground(PanelTitle, TitleColorOf(FColor)); }

void TFormNote::ApplyFont()
{
    QFont font(InstalledFamily(DecodeText(Task->FontName)));
    font.setPointSize(std::max(1, int(Task->FontSize)));
    font.setBold(Task->FontBold);
    font.setItalic(Task->FontItalic);
    MemoDetail->setFont(font);
    QPalette palette = MemoDetail->palette();
    palette.setColor(QPalette::Text, ColorRefToQColor(Task->FontColor));
    MemoDetail->setPalette(palette);
}

QString TFormNote::Subject() const
{
    return DecodeText(FirstNonBlankLine(EncodeText(MemoDetail->toPlainText())));
}

QString TFormNote::MemoText() const { return TextForStorage(MemoDetail->toPlainText()); }

// --- changes into the task -------------------------------------------------

void TFormNote::EditSubjectChange()
{
    if (!isVisible() || Loading || !Task)
        return;
    if (WindowPlacesKnown()) {
        Task->Left = x();
        Task->Top = y();
    }
    Task->Color = FColor;
    // The stored bytes stay as they are until the text really changes: a
    // file from elsewhere keeps its line ends and its encoding.
    const QString shown = MemoDetail->toPlainText();
    if (shown != FShownText) {
        Task->Text = EncodeText(TextForStorage(shown));
        FShownText = shown;
    }
    emit TNoteEvents::Instance().ListUpdateRequested();
    DataModified.Mark();
}

void TFormNote::MemoDetailChange()
{
    if (!Task)
        return;
    if (Ready) {
        Task->Modified = TClock::Now();
        DataModified.Mark();
    }
    //: Created and Modified, shortened to fit the bottom line
    LabelBottom->setText(
        tr("C: %1   M: %2")
            .arg(TLocaleFormats::DateToStr(Task->Created), TLocaleFormats::DateToStr(Task->Modified)));
    LabelBottom->adjustSize();
    LabelBottom->setToolTip(tr("Created: %1\nModified: %2")
                                .arg(TLocaleFormats::DateTimeToStr(Task->Created),
                                     TLocaleFormats::DateTimeToStr(Task->Modified)));
    EditSubjectChange();
}

void TFormNote::WMMove()
{
    // Until the window manager has placed the window, its reports are not
    // the user's doing.
    if (isVisible() && FPositionSettled)
        EditSubjectChange();
}

void TFormNote::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    WMMove();
}

// --- size and roll-up --------------------------------------------------------

void TFormNote::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TFormNote::FormResize()
{
    if (Task && !Task->RolledUp && Ready) {
        Task->Width = width();
        Task->Height = height();
        DataModified.Mark();
    }
    // A 1-pixel line stays free along the right and bottom edges.
    const int w = width() - 1;
    const int h = height() - 1;
    PanelTitle->setGeometry(0, 0, w, NoteTitleHeight);
    LabelTitle->move(8, 2);
    LabelTitle->setFixedHeight(NoteTitleHeight - 4);
    ImageX->move(PanelTitle->width() - 18, 1);
    ImageTaskInfo->move(ImageX->x() - 18, 1);
    PanelClient->setGeometry(0, NoteTitleHeight, w, std::max(0, h - NoteTitleHeight));
    PanelClient2->setGeometry(NoteGrip, NoteGrip, std::max(0, PanelClient->width() - 2 * NoteGrip),
                              std::max(0, PanelClient->height() - 2 * NoteGrip));
    const int otherInfo = 21;
    const int textHeight = std::max(0, PanelClient2->height() - otherInfo);
    PanelOtherInfo->setGeometry(0, textHeight, PanelClient2->width(), otherInfo);
    MemoDetail->setGeometry(0, 0, PanelClient2->width(), textHeight);
    if (PanelTaskInfo)
        PanelTaskInfo->setGeometry(MemoDetail->geometry());
}

void TFormNote::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

void TFormNote::RollUp()
{
    Task->RolledUp = true;
    SetClientReachable(false);
    PanelTitle->setFrameStyle(QFrame::Panel | QFrame::Raised);
    ShowRolledUpTitle();
}

void TFormNote::ShowRolledUpTitle()
{
    // As wide as the subject, up to the note's own width and the screen's;
    // a longer subject ends in an ellipsis, as the list's title does.
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const int screenWidth = shown ? shown->availableGeometry().width() : Task->Width;
    const QString subject = Subject();
    LabelTitle->setText(subject);
    LabelTitle->adjustSize();
    const int wanted = std::max(30, LabelTitle->width());
    const int width = RolledUpWidth(wanted, std::min(Task->Width, screenWidth));
    if (width < RolledUpWidth(wanted)) {
        const int room = RolledUpLabelRoom(width);
        LabelTitle->setText(LabelTitle->fontMetrics().elidedText(subject, Qt::ElideRight, room));
        LabelTitle->adjustSize();
        LabelTitle->resize(room, LabelTitle->height());
    }
    setMinimumHeight(NoteTitleHeight);
    resize(width, NoteTitleHeight);
}

void TFormNote::RollDown()
{
    PanelTitle->setFrameStyle(QFrame::NoFrame);
    LabelTitle->clear();
    setMinimumHeight(NoteMinHeight);
    resize(Task->Width, Task->Height);
    Task->RolledUp = false;
    SetClientReachable(true);
}

void TFormNote::SetClientReachable(bool reachable)
{
    // Disabled, the text and the information panel let go of the focus and
    // refuse it; read-only, the text ignores the paste and cut commands too.
    PanelClient->setEnabled(reachable);
    MemoDetail->setReadOnly(!reachable);
    if (reachable && isActiveWindow() && !InfoPanelShown())
        MemoDetail->setFocus();
}

void TFormNote::PanelTitleDblClick()
{
    if (Task->RolledUp)
        RollDown();
    else
        RollUp();
    DataModified.Mark();
}

// --- the information panel ---------------------------------------------------

bool TFormNote::InfoPanelShown() const { return PanelTaskInfo && !PanelTaskInfo->isHidden(); }

void TFormNote::ShowInfoPanel(bool show)
{
    if (show && !PanelTaskInfo)
        BuildInfoPanel();
    if (PanelTaskInfo)
        PanelTaskInfo->setVisible(show);
    MemoDetail->setVisible(!show);
    ImageTaskInfo->SetPicture1(show ? ImageNote : ImageClock);
    ImageTaskInfo->setToolTip(show ? tr("Content") : tr("Date/Time"));
}

void TFormNote::ImageTaskInfoClick()
{
    if (Task->Alerting) {
        PMBlink->popup(QPoint(x() + ImageTaskInfo->x(), y() + ImageTaskInfo->height()));
        return;
    }
    ShowInfoPanel(!InfoPanelShown());
    if (Task->RolledUp)
        PanelTitleDblClick();
}

void TFormNote::SetTaskInfo()
{
    if (PanelTaskInfo)
        PanelTaskInfo->Fill(*Task);
    ImageTaskInfo->SetBlink(Task->Alerting);
}

void TFormNote::DPDueDateDateSelected()
{
    Task->DueDate = DPDueDate->Date();
    EditSubjectChange();
    DataModified.Mark();
}

void TFormNote::CBPrioritySelected()
{
    Task->Priority = 3 - CBPriority->ItemIndex();
    EditSubjectChange();
    DataModified.Mark();
}

void TFormNote::CBFinishedSelected()
{
    Task->Finished = CBFinished->ItemIndex() == 0;
    if (Task->Finished)
        Task->ReminderTime = 0;
    SetTaskInfo();
    EditSubjectChange();
    DataModified.Mark();
}

void TFormNote::DPReminderSelectingDate()
{
    // A new reminder proposes half past nine.
    if (DPReminder->Date() == 0)
        TPReminder->SetTime(EncodeTime(9, 30));
}

void TFormNote::DPReminderDateSelected()
{
    // The label holds a time of day whatever its caption's locale looks like.
    Task->ReminderTime = ChosenReminder(DPReminder->Date(), TPReminder->Time(), TClock::Now());
    DPReminder->SetDate(std::trunc(Task->ReminderTime));
    TPReminder->SetTime(TimeOf(Task->ReminderTime));
    PanelTaskInfo->PlaceReminderTime(Task->ReminderTime != 0);
    EditSubjectChange();
    DataModified.Mark();
}

void TFormNote::PanelTaskInfoClick()
{
    if (TPReminder)
        TPReminder->HideEditor();
}

void TFormNote::Acknowledged1Click(int tag)
{
    Task->ReminderTime = SnoozedReminder(tag, TClock::Now(), Task->ReminderTime);
    Task->Alerting = false;
    SetTaskInfo();
    // The list's bell follows at its next rebuild, as for any other change.
    emit TNoteEvents::Instance().ListUpdateRequested();
    DataModified.Mark();
}
