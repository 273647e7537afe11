#include "dialogs/TFormAbout.h"

#include "controls/LinkStyle.h"
#include "controls/NotePictures.h"
#include "dialogs/DialogParts.h"
#include "dialogs/DialogRules.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "platform/Shell.h"
#include "settings/TUserInfo.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include <utility>

namespace {
} // namespace

TFormAbout::TFormAbout(QWidget *parent)
    : TLazyDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | StayOnTopFlag())
{
    setWindowTitle(tr("Jotterbox"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(345, 229);
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::CreateControls()
{
    if (Image1)
        return;
    Image1 = new QLabel(this);
    Image1->setPixmap(ProgramPicture(32));
    Image1->setGeometry(12, 12, 32, 32);
    Label1 = new QLabel(this);
    Label1->move(56, 8);
    LabelNotice = new QLabel(tr("\u00A9 2026 The Jotterbox authors"), this);
    Label5 = new QLabel(QString::fromLatin1(ManualFileName), this);
    ApplyLinkStyle(Label5);
    Label5->setToolTip(tr("Click to visit the Web site."));
    Label5->installEventFilter(this);
    // Both lines whole: a text too long for its place moves left, ending at
    // the box's right margin.
    for (const auto &[label, top] : {std::pair{LabelNotice, 8}, std::pair{Label5, 24}}) {
        label->adjustSize();
        label->move(std::min(216, width() - 8 - label->width()), top);
    }
    LabelAbout = new QLabel(this);
    LabelAbout->setWordWrap(true);
    LabelAbout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelAbout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelAbout->setGeometry(12, 68, 321, 108);
    Bevel1 = NewBevel(this, QFrame::HLine, QRect(8, 56, 329, 2));
    Bevel2 = NewBevel(this, QFrame::HLine, QRect(8, 184, 329, 2));
    BtnOK = NewButton(this, tr("O&K"), QRect(192, 200, 73, 22), tr("Click to close this dialog box."));
    BtnOK->setDefault(true);
    BtnHelp = NewButton(this, tr("&Help"), QRect(272, 200, 65, 22), tr("Learn how to use Jotterbox."));
    connect(BtnOK, &QPushButton::clicked, this, &TFormAbout::BtnOKClick);
    connect(BtnHelp, &QPushButton::clicked, this, &TFormAbout::BtnHelpClick);
}

void TFormAbout::showEvent(QShowEvent *event)
{
    // The dialog centres itself at the first showing; FormShow places the
    // later ones.
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
    FShownBefore = true;
}

void TFormAbout::FormShow()
{
    CreateControls();
    // The program's own version, whatever the settings file says.
    Label1->setText(tr("Jotterbox\nVersion %1\nTask List and Notes Software")
                        .arg(QLatin1String(TUserInfo::CurrentVersion)));
    Label1->adjustSize();
    LabelAbout->setText(tr("Your tasks as sticky notes on the desktop, with due dates and reminders that "
                           "sound and blink until you answer them.\n\nEverything Jotterbox keeps is in "
                           "its folder:\n%1")
                            .arg(QDir::toNativeSeparators(AppDir)));
    if (!FShownBefore)
        return;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(AboutBoxPlace(screen->geometry(), frameGeometry().size()));
}

void TFormAbout::BtnOKClick() { accept(); }

QString TFormAbout::ManualAddress()
{
    return QUrl::fromLocalFile(AppDir + QString::fromLatin1(ManualFileName)).toString();
}

void TFormAbout::Label5Click() { OpenWithDesktop(ManualAddress()); }

void TFormAbout::BtnHelpClick() { emit HelpRequested(); }

bool TFormAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && Label5->rect().contains(mouse->position().toPoint())) {
            Label5Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
