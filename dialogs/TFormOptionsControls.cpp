// The options dialog's controls, made at its first showing. Layouts place
// them: at the dialog's own font they stand where the dialog was drawn, and
// a translation with longer words widens the dialog instead of cutting them.

#include "dialogs/TFormOptions.h"

#include "base/JbxError.h"
#include "base/LocaleFormats.h"
#include "dialogs/TSkinPreview.h"
#include "platform/Dialogs.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>
#include <algorithm>

namespace {
// The size the dialog was drawn for; it grows only when its texts need more.
constexpr QSize DrawnSize(377, 256);

template <typename T> T *Named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *NewLabel(QWidget *parent, const QString &text, const char *name)
{
    auto *label = Named(new QLabel(text, parent), name);
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return label;
}

// A check box at least as wide as drawn, and as wide as its text needs (in
// the font of `parent`, which it takes); a minimum width overrides the hint
// in a layout, so it is the wider of the two.
void FitCheckBox(QCheckBox *box, int width)
{
    box->setMinimumWidth(std::max(width, box->sizeHint().width()));
}

QCheckBox *NewCheckBox(QWidget *parent, const QString &text, int width, const char *name)
{
    auto *box = Named(new QCheckBox(text, parent), name);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    box->setFixedHeight(17);
    FitCheckBox(box, width);
    return box;
}

// A button of the size drawn, wider when its caption needs it (measured in
// the font of `parent`, which it takes).
QPushButton *NewButton(QWidget *parent, const QString &text, QSize size, const char *name)
{
    auto *button = Named(new QPushButton(text, parent), name);
    QString caption = text;
    caption.remove(u'&');
    const int needed = button->fontMetrics().horizontalAdvance(caption) + 12;
    button->setFixedSize(std::max(size.width(), needed), size.height());
    return button;
}

QFrame *NewBevel(QWidget *parent, QFrame::Shape shape, const char *name)
{
    auto *bevel = Named(new QFrame(parent), name);
    bevel->setFrameStyle(shape | QFrame::Sunken);
    if (shape == QFrame::HLine)
        bevel->setFixedHeight(2);
    else
        bevel->setFixedWidth(2);
    return bevel;
}

QLabel *NewRaisedPanel(QWidget *parent, const QString &text, QSize size, const char *name)
{
    auto *panel = Named(new QLabel(text, parent), name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    panel->setCursor(Qt::PointingHandCursor);
    panel->setFixedSize(size);
    return panel;
}

QBoxLayout *NewBox(QBoxLayout::Direction direction, const QMargins &margins = {}, int spacing = 0)
{
    auto *box = new QBoxLayout(direction);
    box->setContentsMargins(margins);
    box->setSpacing(spacing);
    return box;
}

// `part` in `row`, `top` pixels below the row's top: a line reads straight
// when its box, its value and its words each keep their own drop.
void AddDropped(QBoxLayout *row, QWidget *part, int top)
{
    QBoxLayout *column = NewBox(QBoxLayout::TopToBottom, QMargins(0, top, 0, 0));
    column->addWidget(part, 0, Qt::AlignTop);
    row->addLayout(column);
}

// A line that reads as one sentence, "words %1 words", the value's control
// where the %1 stands: the check box carries the words before it, the label
// those after it, so a translation may move the value within the sentence.
// Each part follows the one before it one pixel on.
QBoxLayout *SentenceLine(const QString &sentence, QCheckBox *box, QWidget *value, QLabel *rest)
{
    const qsizetype at = sentence.indexOf(QLatin1String("%1"));
    box->setText(sentence.left(at).trimmed());
    FitCheckBox(box, box->minimumWidth());
    rest->setText(at < 0 ? QString() : sentence.mid(at + 2).trimmed());
    QBoxLayout *row = NewBox(QBoxLayout::LeftToRight, QMargins(8, 0, 0, 0), 1);
    AddDropped(row, box, 2);
    AddDropped(row, value, 0);
    AddDropped(row, rest, 3);
    row->addStretch();
    return row;
}

// A group's row of panels, centred across the group and `top` pixels below
// its top edge, `bottom` pixels above its bottom edge.
void PlacePanels(QGroupBox *group, std::initializer_list<QWidget *> panels, int spacing, int top, int bottom)
{
    const QMargins frame = group->contentsMargins();
    QBoxLayout *row =
        NewBox(QBoxLayout::LeftToRight, QMargins(0, top - frame.top(), 0, bottom - frame.bottom()), spacing);
    row->addStretch();
    for (QWidget *panel : panels)
        row->addWidget(panel);
    row->addStretch();
    group->setLayout(row);
}
} // namespace

void TFormOptions::CreateControls()
{
    if (PageControl1)
        return;
    // In the dialog from the start: the pages take its font as they are made.
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    CreateGeneralPage();
    CreateColorFontPage();
    CreateSoundPage();
    CreateSkinPage();
    CreateSyncPage();
    // The two pages the user cannot reach: their settings pass through.
    PageControl1->setTabVisible(PageControl1->indexOf(TSSound), false);
    PageControl1->setTabVisible(PageControl1->indexOf(TSSkin), false);
    PageControl1->setCurrentWidget(TSGeneral);

    const QSize button(75, 25);
    BtnOK = NewButton(this, tr("OK"), button, "BtnOK");
    BtnOK->setDefault(true);
    BtnCancel = NewButton(this, tr("Cancel"), button, "BtnCancel");
    BtnHelp = NewButton(this, tr("Help"), button, "BtnHelp");
    QBoxLayout *buttons = NewBox(QBoxLayout::LeftToRight, QMargins(0, 0, 6, 0), 13);
    buttons->addStretch();
    for (QPushButton *each : {BtnOK, BtnCancel, BtnHelp})
        buttons->addWidget(each);

    QBoxLayout *dialog = NewBox(QBoxLayout::TopToBottom, QMargins(8, 8, 8, 7), 7);
    dialog->addWidget(PageControl1);
    dialog->addLayout(buttons);
    setLayout(dialog);
    setFixedSize(DrawnSize.expandedTo(dialog->totalMinimumSize()));

    connect(BtnOK, &QPushButton::clicked, this, [this] {
        BtnOKClick();
        accept();
    });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnHelp, &QPushButton::clicked, this, &TFormOptions::BtnHelpClick);
}

void TFormOptions::CreateGeneralPage()
{
    TSGeneral = Named(new QWidget, "TSGeneral");
    PageControl1->addTab(TSGeneral, tr("General"));

    // The first two lines read as sentences: box, value, trailing words.
    CBAutoDueDate = NewCheckBox(TSGeneral, QString(), 241, "CBAutoDueDate");
    EditAutoDueDate = Named(new QSpinBox(TSGeneral), "EditAutoDueDate");
    EditAutoDueDate->setFixedSize(41, 22);
    EditAutoDueDate->setRange(1, 30);
    EditAutoDueDate->setValue(2);
    StaticText1 = NewLabel(TSGeneral, QString(), "StaticText1");

    CBAutoReminder = NewCheckBox(TSGeneral, QString(), 209, "CBAutoReminder");
    TPAutoReminder = Named(new QTimeEdit(TSGeneral), "TPAutoReminder");
    TPAutoReminder->setFixedSize(65, 21);
    TPAutoReminder->setDisplayFormat(TLocaleFormats::ShortTimeFormat());
    STAutoReminder = NewLabel(TSGeneral, QString(), "STAutoReminder");
    // The reminder line waits for the due-date box to be ticked.
    for (QWidget *line : std::initializer_list<QWidget *>{CBAutoReminder, TPAutoReminder, STAutoReminder})
        line->setEnabled(false);

    CBQuickInputMode = NewCheckBox(TSGeneral, tr("Enable \"One-Line Mode\"."), 153, "CBQuickInputMode");
    CBShowTips = NewCheckBox(TSGeneral, tr("Show tips at startup"), 121, "CBShowTips");
    CBStartAtLogin = NewCheckBox(TSGeneral, tr("Start Jotterbox when I log in"), 177, "CBStartAtLogin");
    Bevel2 = NewBevel(TSGeneral, QFrame::HLine, "Bevel2");
    StaticText2 = NewLabel(TSGeneral, tr("Sound file for the reminder:"), "StaticText2");
    EditSoundFile = Named(new QLineEdit(TSGeneral), "EditSoundFile");
    EditSoundFile->setFixedHeight(21);
    BtnSelectSoundFile = NewButton(TSGeneral, tr("Select"), QSize(49, 22), "BtnSelectSoundFile");
    BtnTestSound = NewButton(TSGeneral, tr("Test"), QSize(49, 22), "BtnTestSound");
    for (QPushButton *button : {BtnSelectSoundFile, BtnTestSound})
        button->setAutoDefault(false);
    CBNotifyWithTray = NewCheckBox(TSGeneral, tr("Also as a desktop notification"), 170, "CBNotifyWithTray");
    CBNotifyWithTray->setToolTip(
        tr("A reminder for a note that is not on screen also shows as a desktop "
           "notification while the tray icon cycles (without a tray it always does)."));

    QBoxLayout *page = NewBox(QBoxLayout::TopToBottom, QMargins(0, 6, 0, 0));
    //: The check box's words come before %1, the number of days; the rest after it.
    page->addLayout(SentenceLine(tr("Set a due date for new tasks on day %1 (1 = today)."), CBAutoDueDate,
                                 EditAutoDueDate, StaticText1));
    page->addSpacing(2);
    //: The check box's words come before %1, the time of day; the rest after it.
    page->addLayout(SentenceLine(tr("Set reminder automatically for new tasks %1 at due date."),
                                 CBAutoReminder, TPAutoReminder, STAutoReminder));
    page->addSpacing(5);
    QBoxLayout *quick = NewBox(QBoxLayout::LeftToRight, QMargins(8, 0, 0, 0));
    quick->addWidget(CBQuickInputMode);
    quick->addStretch();
    page->addLayout(quick);
    page->addSpacing(7);
    // Two boxes side by side, the second at its own column.
    auto *pair = new QGridLayout;
    pair->setContentsMargins(8, 0, 0, 0);
    pair->setSpacing(0);
    pair->setColumnMinimumWidth(0, 160);
    pair->addWidget(CBShowTips, 0, 0, Qt::AlignLeft);
    pair->addWidget(CBStartAtLogin, 0, 1, Qt::AlignLeft);
    pair->setColumnStretch(2, 1);
    page->addLayout(pair);
    page->addSpacing(7);
    QBoxLayout *bevel = NewBox(QBoxLayout::LeftToRight, QMargins(0, 0, 4, 0));
    bevel->addWidget(Bevel2);
    page->addLayout(bevel);
    page->addSpacing(6);
    QBoxLayout *soundLabel = NewBox(QBoxLayout::LeftToRight, QMargins(8, 0, 0, 0));
    soundLabel->addWidget(StaticText2);
    soundLabel->addStretch();
    page->addLayout(soundLabel);
    page->addSpacing(3);
    QBoxLayout *soundFile = NewBox(QBoxLayout::LeftToRight, QMargins(8, 0, 12, 0), 7);
    soundFile->addWidget(EditSoundFile, 1, Qt::AlignTop);
    soundFile->addWidget(BtnSelectSoundFile);
    page->addLayout(soundFile);
    page->addSpacing(2);
    QBoxLayout *test = NewBox(QBoxLayout::LeftToRight, QMargins(8, 0, 0, 0));
    test->addWidget(BtnTestSound);
    test->addSpacing(10);
    test->addWidget(CBNotifyWithTray);
    test->addStretch();
    page->addLayout(test);
    page->addStretch();
    TSGeneral->setLayout(page);

    // toggled also follows changes made from code, as the load relies on.
    connect(CBAutoDueDate, &QCheckBox::toggled, this, &TFormOptions::CBAutoDueDateClick);
    connect(EditAutoDueDate, &QSpinBox::valueChanged, this, &TFormOptions::EditAutoDueDateChange);
    connect(TPAutoReminder, &QTimeEdit::timeChanged, this, &TFormOptions::TPAutoReminderChange);
    connect(BtnSelectSoundFile, &QPushButton::clicked, this, &TFormOptions::BtnSelectSoundFileClick);
    connect(BtnTestSound, &QPushButton::clicked, this, &TFormOptions::BtnTestSoundClick);
}

void TFormOptions::CreateColorFontPage()
{
    TSColorFont = Named(new QWidget, "TSColorFont");
    PageControl1->addTab(TSColorFont, tr("Color && Font"));

    GroupBox1 =
        Named(new QGroupBox(tr("Default Colors for Open Tasks and Notes (Click to Change)"), TSColorFont),
              "GroupBox1");
    GroupBox2 =
        Named(new QGroupBox(tr("Default Font for Open Tasks and Notes (Click to Change)"), TSColorFont),
              "GroupBox2");
    QBoxLayout *page = NewBox(QBoxLayout::TopToBottom, QMargins(8, 8, 12, 0), 7);
    for (QGroupBox *group : {GroupBox1, GroupBox2}) {
        group->setFixedHeight(73);
        page->addWidget(group);
    }
    page->addStretch();
    TSColorFont->setLayout(page);

    QLabel **panels[] = {&PanelColor1, &PanelColor2, &PanelColor3, &PanelColor4, &PanelColor5};
    const char *names[] = {"PanelColor1", "PanelColor2", "PanelColor3", "PanelColor4", "PanelColor5"};
    for (int index = 0; index < 5; ++index) {
        *panels[index] = NewRaisedPanel(GroupBox1, QString::number(index + 1), QSize(33, 33), names[index]);
        (*panels[index])->installEventFilter(this);
    }
    PlacePanels(GroupBox1, {PanelColor1, PanelColor2, PanelColor3, PanelColor4, PanelColor5}, 23, 24, 16);
    PanelSampleFont = NewRaisedPanel(GroupBox2, tr("Sample Font"), QSize(257, 33), "PanelSampleFont");
    PanelSampleFont->installEventFilter(this);
    PlacePanels(GroupBox2, {PanelSampleFont}, 0, 24, 16);
}

void TFormOptions::CreateSoundPage()
{
    TSSound = Named(new QWidget, "TSSound");
    PageControl1->addTab(TSSound, tr("Sound"));
    CBAutoDelete = NewCheckBox(TSSound, QString(), 145, "CBAutoDelete");
    EditDelDays = Named(new QSpinBox(TSSound), "EditDelDays");
    EditDelDays->setFixedSize(57, 22);
    EditDelDays->setRange(1, 36600);
    EditDelDays->setValue(365);
    STDays = NewLabel(TSSound, QString(), "STDays");
    CBStayOnTop = NewCheckBox(TSSound, tr("Stay on top of all windows"), 161, "CBStayOnTop");
    CBDisplayDueDate =
        NewCheckBox(TSSound, tr("Display column \"Due Date\" in task list."), 217, "CBDisplayDueDate");
    CBDisplayDueDate->setChecked(true);

    QBoxLayout *page = NewBox(QBoxLayout::TopToBottom, QMargins(0, 6, 0, 0));
    //: The check box's words come before %1, the number of days; the rest after it.
    page->addLayout(SentenceLine(tr("Delete tasks automatically %1 days after finished"), CBAutoDelete,
                                 EditDelDays, STDays));
    for (QCheckBox *box : {CBStayOnTop, CBDisplayDueDate}) {
        page->addSpacing(7);
        QBoxLayout *line = NewBox(QBoxLayout::LeftToRight, QMargins(8, 0, 0, 0));
        line->addWidget(box);
        line->addStretch();
        page->addLayout(line);
    }
    page->addStretch();
    TSSound->setLayout(page);
    for (QWidget *control :
         std::initializer_list<QWidget *>{CBAutoDelete, EditDelDays, STDays, CBStayOnTop, CBDisplayDueDate})
        control->hide();
    connect(EditDelDays, &QSpinBox::valueChanged, this, &TFormOptions::EditDelDaysChange);
}

void TFormOptions::CreateSkinPage()
{
    TSSkin = Named(new QWidget, "TSSkin");
    PageControl1->addTab(TSSkin, tr("Skin"));
    Label1 = NewLabel(TSSkin, tr("Select a skin:"), "Label1");

    // Display name and folder name; the folder is never seen.
    ListViewSkins = Named(new QTreeWidget(TSSkin), "ListViewSkins");
    ListViewSkins->setFixedSize(113, 161);
    ListViewSkins->setColumnCount(2);
    ListViewSkins->setHeaderHidden(true);
    ListViewSkins->setRootIsDecorated(false);
    ListViewSkins->setColumnWidth(0, 109);
    ListViewSkins->setColumnHidden(1, true);
    ListViewSkins->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewSkins->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewSkins->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The choice stays visible while another control has the focus.
    QPalette palette = ListViewSkins->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    ListViewSkins->setPalette(palette);

    Bevel1 = NewBevel(TSSkin, QFrame::VLine, "Bevel1");
    Bevel1->setFixedHeight(185);
    LabelPreview = NewLabel(TSSkin, tr("Preview:"), "LabelPreview");
    PanelPreview = Named(new TSkinPreview(TSSkin), "PanelPreview");
    PanelPreview->setFixedSize(193, 153);
    PanelPreview->hide();

    QBoxLayout *list = NewBox(QBoxLayout::TopToBottom, {}, 3);
    list->addWidget(Label1);
    list->addWidget(ListViewSkins);
    list->addStretch();
    QBoxLayout *preview = NewBox(QBoxLayout::TopToBottom, {}, 11);
    preview->addWidget(LabelPreview);
    QBoxLayout *indented = NewBox(QBoxLayout::LeftToRight, QMargins(8, 0, 0, 0));
    indented->addWidget(PanelPreview);
    indented->addStretch();
    preview->addLayout(indented);
    preview->addStretch();
    QBoxLayout *page = NewBox(QBoxLayout::LeftToRight, QMargins(8, 8, 12, 0));
    page->addLayout(list);
    page->addSpacing(15);
    page->addWidget(Bevel1, 0, Qt::AlignTop);
    page->addSpacing(6);
    page->addLayout(preview, 1);
    TSSkin->setLayout(page);
    // Drawn a little taller than the pages (the list and the line end below
    // them): a page without a tab does not make the dialog grow.
    TSSkin->setMinimumSize(1, 1);

    connect(ListViewSkins, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem *> selected = ListViewSkins->selectedItems();
        try {
            ListViewSkinsSelectItem(selected.value(0), !selected.isEmpty());
        } catch (const EJbxError &error) {
            Dialogs().ErrorBox(error.Message());
        }
    });
}

void TFormOptions::CreateSyncPage()
{
    TSSync = Named(new QWidget, "TSSync");
    PageControl1->addTab(TSSync, tr("Sync"));
    // The controls scroll within the page: a long answer of the server, or
    // a translation, must not make the dialog taller.
    auto *scroll = Named(new QScrollArea(TSSync), "ScrollSync");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    auto *controls = Named(new QWidget(scroll), "PanelSync");
    controls->setFont(font());
    auto edit = [controls](const char *name) {
        auto *line = Named(new QLineEdit(controls), name);
        line->setFixedHeight(21);
        return line;
    };
    auto label = [controls](const QString &text, const char *name) { return NewLabel(controls, text, name); };

    CBSyncEnabled = NewCheckBox(controls, tr("Sync with a CalDAV server"), 153, "CBSyncEnabled");
    LabelSyncInterval = label(tr("Interval in minutes:"), "LabelSyncInterval");
    EditSyncInterval = Named(new QSpinBox(controls), "EditSyncInterval");
    EditSyncInterval->setFixedSize(53, 21);
    EditSyncInterval->setRange(1, 1440);
    EditSyncInterval->setValue(5);
    LabelSyncUrl = label(tr("URL:"), "LabelSyncUrl");
    EditSyncUrl = edit("EditSyncUrl");
    EditSyncUrl->setPlaceholderText(tr("https://server/path/to/the/task/list/"));
    LabelSyncUser = label(tr("User:"), "LabelSyncUser");
    EditSyncUser = edit("EditSyncUser");
    LabelSyncPassword = label(tr("Password:"), "LabelSyncPassword");
    EditSyncPassword = edit("EditSyncPassword");
    EditSyncPassword->setEchoMode(QLineEdit::Password);
    LabelSyncPasswordCommand = label(tr("Password command:"), "LabelSyncPasswordCommand");
    EditSyncPasswordCommand = edit("EditSyncPasswordCommand");
    EditSyncPasswordCommand->setPlaceholderText(tr("instead of the keyring, e.g. pass show dav"));
    LabelSyncCaFile = label(tr("Certificate file:"), "LabelSyncCaFile");
    EditSyncCaFile = edit("EditSyncCaFile");
    EditSyncCaFile->setPlaceholderText(tr("only for a self-signed server"));
    BtnSelectCaFile = NewButton(controls, tr("Select"), QSize(49, 22), "BtnSelectCaFile");
    BtnSyncTest = NewButton(controls, tr("Test connection"), QSize(91, 21), "BtnSyncTest");
    LabelSyncTest = Named(new QLabel(controls), "LabelSyncTest");
    BtnSyncNow = NewButton(controls, tr("Sync now"), QSize(91, 21), "BtnSyncNow");
    LabelSyncStatus = Named(new QLabel(controls), "LabelSyncStatus");
    for (QLabel *answer : {LabelSyncTest, LabelSyncStatus}) {
        answer->hide();
        answer->setWordWrap(true);
        answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    for (QPushButton *button : {BtnSelectCaFile, BtnSyncTest, BtnSyncNow})
        button->setAutoDefault(false);

    // Labels in the first column; the user and the password share a line;
    // the answers below the buttons, as wide as the page, and only while
    // they say something.
    auto *grid = new QGridLayout;
    grid->setContentsMargins(8, 4, 12, 2);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    QBoxLayout *first = NewBox(QBoxLayout::LeftToRight, {}, 6);
    first->addWidget(CBSyncEnabled);
    first->addStretch();
    first->addWidget(LabelSyncInterval);
    first->addWidget(EditSyncInterval);
    grid->addLayout(first, 0, 0, 1, 4);
    grid->addWidget(LabelSyncUrl, 1, 0);
    grid->addWidget(EditSyncUrl, 1, 1, 1, 3);
    grid->addWidget(LabelSyncUser, 2, 0);
    grid->addWidget(EditSyncUser, 2, 1);
    grid->addWidget(LabelSyncPassword, 2, 2);
    grid->addWidget(EditSyncPassword, 2, 3);
    grid->addWidget(LabelSyncPasswordCommand, 3, 0);
    grid->addWidget(EditSyncPasswordCommand, 3, 1, 1, 3);
    grid->addWidget(LabelSyncCaFile, 4, 0);
    QBoxLayout *caFile = NewBox(QBoxLayout::LeftToRight, {}, 6);
    caFile->addWidget(EditSyncCaFile, 1);
    caFile->addWidget(BtnSelectCaFile);
    grid->addLayout(caFile, 4, 1, 1, 3);
    QBoxLayout *buttons = NewBox(QBoxLayout::LeftToRight, {}, 6);
    buttons->addWidget(BtnSyncTest);
    buttons->addWidget(BtnSyncNow);
    buttons->addStretch();
    grid->addLayout(buttons, 5, 0, 1, 4);
    grid->addWidget(LabelSyncTest, 6, 0, 1, 4);
    grid->addWidget(LabelSyncStatus, 7, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(8, 1);
    controls->setLayout(grid);
    scroll->setWidget(controls);
    // As wide as the controls need beside a scroll bar (a translation widens
    // the dialog), as tall as the page is.
    scroll->setMinimumWidth(controls->minimumSizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width());
    QBoxLayout *page = NewBox(QBoxLayout::TopToBottom);
    page->addWidget(scroll);
    TSSync->setLayout(page);

    connect(BtnSelectCaFile, &QPushButton::clicked, this, &TFormOptions::BtnSelectCaFileClick);
    connect(EditSyncPassword, &QLineEdit::textEdited, this, &TFormOptions::EditSyncPasswordEdited);
    connect(BtnSyncTest, &QPushButton::clicked, this, &TFormOptions::BtnSyncTestClick);
    connect(BtnSyncNow, &QPushButton::clicked, this, &TFormOptions::BtnSyncNowClick);
}
