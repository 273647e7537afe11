// The options dialog's controls, made at its first showing.

#include "dialogs/DialogParts.h"
#include "dialogs/TFormOptions.h"

#include "base/JbxError.h"
#include "base/LocaleFormats.h"
#include "dialogs/TSkinPreview.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>
#include <algorithm>

namespace {
QLabel *NewLabel(QWidget *parent, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QCheckBox *NewCheckBox(QWidget *parent, const QString &text, const QRect &place)
{
    auto *box = new QCheckBox(text, parent);
    box->setGeometry(place);
    // The fonts here run wider than the ones the layout was drawn for.
    box->resize(std::max(place.width(), box->sizeHint().width()), place.height());
    return box;
}

// A line that reads as one sentence (box, value, trailing words): each part
// keeps its place unless the part before it has grown into it.
void FlowSentence(std::initializer_list<QWidget *> parts)
{
    int end = 0;
    for (QWidget *part : parts) {
        if (part->x() < end)
            part->move(end, part->y());
        end = part->x() + part->width() + 1;
    }
}

QLabel *NewRaisedPanel(QWidget *parent, const QString &text, const QRect &place)
{
    auto *panel = new QLabel(text, parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    panel->setCursor(Qt::PointingHandCursor);
    panel->setGeometry(place);
    return panel;
}
} // namespace

void TFormOptions::CreateControls()
{
    if (PageControl1)
        return;
    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(8, 8, 361, 209);
    CreateGeneralPage();
    CreateColorFontPage();
    CreateSoundPage();
    CreateSkinPage();
    // The two pages the user cannot reach: their settings pass through.
    PageControl1->setTabVisible(PageControl1->indexOf(TSSound), false);
    PageControl1->setTabVisible(PageControl1->indexOf(TSSkin), false);
    PageControl1->setCurrentWidget(TSGeneral);

    BtnOK = NewButton(this, QStringLiteral("OK"), QRect(112, 224, 75, 25));
    BtnOK->setDefault(true);
    BtnCancel = NewButton(this, QStringLiteral("Cancel"), QRect(200, 224, 75, 25));
    BtnHelp = NewButton(this, QStringLiteral("Help"), QRect(288, 224, 75, 25));
    connect(BtnOK, &QPushButton::clicked, this, [this] {
        BtnOKClick();
        accept();
    });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnHelp, &QPushButton::clicked, this, &TFormOptions::BtnHelpClick);
}

void TFormOptions::CreateGeneralPage()
{
    TSGeneral = new QWidget;
    PageControl1->addTab(TSGeneral, QStringLiteral("General"));

    // The first two lines read as sentences: box, value, trailing words.
    CBAutoDueDate = NewCheckBox(TSGeneral, QStringLiteral("Set due date automatically for new tasks at the"),
                                QRect(8, 8, 241, 17));
    EditAutoDueDate = new QSpinBox(TSGeneral);
    EditAutoDueDate->setGeometry(250, 6, 41, 22);
    EditAutoDueDate->setRange(1, 30);
    EditAutoDueDate->setValue(2);
    StaticText1 = NewLabel(TSGeneral, QStringLiteral("day."), 294, 9);

    CBAutoReminder = NewCheckBox(TSGeneral, QStringLiteral("Set reminder automatically for new tasks"),
                                 QRect(8, 32, 209, 17));
    TPAutoReminder = new QTimeEdit(TSGeneral);
    TPAutoReminder->setGeometry(218, 30, 65, 21);
    TPAutoReminder->setDisplayFormat(TLocaleFormats::ShortTimeFormat());
    STAutoReminder = NewLabel(TSGeneral, QStringLiteral("at due date."), 286, 33);
    FlowSentence({CBAutoDueDate, EditAutoDueDate, StaticText1});
    FlowSentence({CBAutoReminder, TPAutoReminder, STAutoReminder});
    // The reminder line waits for the due-date box to be ticked.
    for (QWidget *line : std::initializer_list<QWidget *>{CBAutoReminder, TPAutoReminder, STAutoReminder})
        line->setEnabled(false);

    CBQuickInputMode =
        NewCheckBox(TSGeneral, QStringLiteral("Enable \"One-Line Mode\"."), QRect(8, 56, 153, 17));
    CBShowTips = NewCheckBox(TSGeneral, QStringLiteral("Show tips at startup"), QRect(8, 80, 121, 17));
    CBStartAtLogin =
        NewCheckBox(TSGeneral, QStringLiteral("Start Jotterbox when I log in"), QRect(168, 80, 177, 17));
    Bevel2 = NewBevel(TSGeneral, QFrame::HLine, QRect(0, 104, 353, 2));
    StaticText2 = NewLabel(TSGeneral, QStringLiteral("Sound file for the reminder:"), 8, 112);
    EditSoundFile = new QLineEdit(TSGeneral);
    EditSoundFile->setGeometry(8, 128, 281, 21);
    BtnSelectSoundFile = NewButton(TSGeneral, QStringLiteral("Select"), QRect(296, 128, 49, 22));
    BtnTestSound = NewButton(TSGeneral, QStringLiteral("Test"), QRect(8, 152, 49, 22));
    for (QPushButton *button : {BtnSelectSoundFile, BtnTestSound})
        button->setAutoDefault(false);

    // toggled also follows changes made from code, as the load relies on.
    connect(CBAutoDueDate, &QCheckBox::toggled, this, &TFormOptions::CBAutoDueDateClick);
    connect(EditAutoDueDate, &QSpinBox::valueChanged, this, &TFormOptions::EditAutoDueDateChange);
    connect(TPAutoReminder, &QTimeEdit::timeChanged, this, &TFormOptions::TPAutoReminderChange);
    connect(BtnSelectSoundFile, &QPushButton::clicked, this, &TFormOptions::BtnSelectSoundFileClick);
    connect(BtnTestSound, &QPushButton::clicked, this, &TFormOptions::BtnTestSoundClick);
}

void TFormOptions::CreateColorFontPage()
{
    TSColorFont = new QWidget;
    PageControl1->addTab(TSColorFont, QStringLiteral("Color && Font"));

    GroupBox1 = new QGroupBox(QStringLiteral("Default Colors for Open Tasks and Notes (Click to Change)"),
                              TSColorFont);
    GroupBox1->setGeometry(8, 8, 337, 73);
    QLabel **panels[] = {&PanelColor1, &PanelColor2, &PanelColor3, &PanelColor4, &PanelColor5};
    for (int index = 0; index < 5; ++index) {
        *panels[index] =
            NewRaisedPanel(GroupBox1, QString::number(index + 1), QRect(40 + 56 * index, 24, 33, 33));
        (*panels[index])->installEventFilter(this);
    }

    GroupBox2 =
        new QGroupBox(QStringLiteral("Default Font for Open Tasks and Notes (Click to Change)"), TSColorFont);
    GroupBox2->setGeometry(8, 88, 337, 73);
    PanelSampleFont = NewRaisedPanel(GroupBox2, QStringLiteral("Sample Font"), QRect(40, 24, 257, 33));
    PanelSampleFont->installEventFilter(this);
}

void TFormOptions::CreateSoundPage()
{
    TSSound = new QWidget;
    PageControl1->addTab(TSSound, QStringLiteral("Sound"));
    CBAutoDelete = NewCheckBox(TSSound, QStringLiteral("Delete tasks automatically"), QRect(8, 8, 145, 17));
    EditDelDays = new QSpinBox(TSSound);
    EditDelDays->setGeometry(156, 6, 57, 22);
    EditDelDays->setRange(1, 36600);
    EditDelDays->setValue(365);
    STDays = NewLabel(TSSound, QStringLiteral("days after finished"), 218, 9);
    CBStayOnTop = NewCheckBox(TSSound, QStringLiteral("Stay on top of all windows"), QRect(8, 32, 161, 17));
    CBDisplayDueDate = NewCheckBox(TSSound, QStringLiteral("Display column \"Due Date\" in task list."),
                                   QRect(8, 56, 217, 17));
    CBDisplayDueDate->setChecked(true);
    for (QWidget *control :
         std::initializer_list<QWidget *>{CBAutoDelete, EditDelDays, STDays, CBStayOnTop, CBDisplayDueDate})
        control->hide();
    connect(EditDelDays, &QSpinBox::valueChanged, this, &TFormOptions::EditDelDaysChange);
}

void TFormOptions::CreateSkinPage()
{
    TSSkin = new QWidget;
    PageControl1->addTab(TSSkin, QStringLiteral("Skin"));
    Label1 = NewLabel(TSSkin, QStringLiteral("Select a skin:"), 8, 8);

    // Display name and folder name; the folder is never seen.
    ListViewSkins = new QTreeWidget(TSSkin);
    ListViewSkins->setGeometry(8, 24, 113, 161);
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

    Bevel1 = NewBevel(TSSkin, QFrame::VLine, QRect(136, 8, 2, 185));
    LabelPreview = NewLabel(TSSkin, QStringLiteral("Preview:"), 144, 8);
    PanelPreview = new TSkinPreview(TSSkin);
    PanelPreview->setGeometry(152, 32, 193, 153);
    PanelPreview->hide();

    connect(ListViewSkins, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem *> selected = ListViewSkins->selectedItems();
        try {
            ListViewSkinsSelectItem(selected.value(0), !selected.isEmpty());
        } catch (const EJbxError &error) {
            Dialogs().ErrorBox(error.Message());
        }
    });
}
