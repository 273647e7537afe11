#include "dialogs/TFormTip.h"

#include "controls/NotePictures.h"
#include "dialogs/DialogParts.h"
#include "dialogs/DialogRules.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "settings/TUserInfo.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

namespace {
QWidget *NewPanel(QWidget *parent, const QRect &place, const QColor &color)
{
    auto *panel = new QWidget(parent);
    panel->setGeometry(place);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, color);
    panel->setPalette(palette);
    return panel;
}
} // namespace

TFormTip::TFormTip(QWidget *parent)
    : TLazyDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                              Qt::WindowTitleHint | StayOnTopFlag())
{
    // No close box: the window is left with "Close".
    setWindowTitle(tr("Tip of the Day"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(431, 221);
    FormCreate();
}

TFormTip::~TFormTip() = default;

void TFormTip::FormCreate() { Tips = ReadTips(AppDir + QStringLiteral("tips.txt")); }

void TFormTip::CreateControls()
{
    if (Panel1)
        return;
    // A lowered frame around a black band with the program's picture on the
    // left and, on the right, the heading over the tip.
    auto *frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setGeometry(8, 8, 417, 177);
    Panel1 = frame;
    const QRect inside = frame->contentsRect();
    Panel2 = NewPanel(Panel1, QRect(inside.topLeft(), QSize(73, inside.height())), Qt::black);
    Image1 = new QLabel(Panel2);
    Image1->setPixmap(ProgramPicture(32));
    Image1->setGeometry(16, 16, 32, 32);
    Panel3 = NewPanel(Panel1, QRect(inside.left() + 73, inside.top(), inside.width() - 73, inside.height()),
                      Qt::black);
    Panel4 = NewPanel(Panel3, QRect(0, 0, Panel3->width(), 38), Qt::white);
    Label1 = new QLabel(tr("Did you know..."), Panel4);
    QFont heading(QStringLiteral("Times New Roman"));
    heading.setPixelSize(21);
    heading.setBold(true);
    Label1->setFont(heading);
    Label1->move(8, 7);
    Label1->adjustSize();
    Memo1 = new QPlainTextEdit(Panel3);
    Memo1->setGeometry(0, Panel3->height() - 135, Panel3->width(), 135);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    CBShowTips = new QCheckBox(tr("&Show tips at startup"), this);
    CBShowTips->setGeometry(8, 195, 121, 17);
    // A translation may need more room; the buttons leave it.
    CBShowTips->resize(std::max(CBShowTips->width(), CBShowTips->sizeHint().width()), CBShowTips->height());
    CBShowTips->setChecked(true);
    BtnNext = NewButton(this, tr("&Next"), QRect(272, 192, 75, 25));
    BtnNext->setDefault(true);
    BtnClose = NewButton(this, tr("&Close"), QRect(352, 192, 75, 25));
    connect(CBShowTips, &QCheckBox::clicked, this, &TFormTip::CBShowTipsClick);
    connect(BtnNext, &QPushButton::clicked, this, &TFormTip::BtnNextClick);
    connect(BtnClose, &QPushButton::clicked, this, &TFormTip::BtnCloseClick);
}

void TFormTip::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormTip::FormShow()
{
    CreateControls();
    // The box tells the truth about the setting even if the window is ever
    // shown while the tips are switched off.
    CBShowTips->setChecked(UserInfo().ShowTips);
    BtnNextClick();
}

void TFormTip::BtnNextClick()
{
    CreateControls();
    const int shown = TipToShow(UserInfo().NextTip, Tips.size());
    if (shown < 0)
        return;
    Memo1->setPlainText(Tips.at(shown));
    UserInfo().NextTip = shown + 1;
}

void TFormTip::CBShowTipsClick() { UserInfo().ShowTips = CBShowTips->isChecked(); }

void TFormTip::BtnCloseClick() { hide(); }
