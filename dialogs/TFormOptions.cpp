#include "dialogs/TFormOptions.h"

#include "base/DateTime.h"
#include "base/JbxError.h"
#include "dialogs/DialogRules.h"
#include "dialogs/TSkinPreview.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "platform/ColorRef.h"
#include "platform/DesktopEntry.h"
#include "platform/Dialogs.h"
#include "platform/Sound.h"
#include "settings/TUserInfo.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTreeWidget>
#include <algorithm>

TFormOptions::TFormOptions(QWidget *parent)
    : TLazyDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | StayOnTopFlag())
{
    // Made at start-up with the other windows: only what the window itself
    // needs here; the controls come with the first showing.
    setWindowTitle(tr("Options"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(377, 256);
}

TFormOptions::~TFormOptions()
{
    // The skin list goes with the other children after this object has
    // stopped being an options dialog; it must not call back into it.
    if (ListViewSkins)
        ListViewSkins->disconnect(this);
}

void TFormOptions::setVisible(bool visible)
{
    // The first showing is centred; later ones come back where the user
    // left the dialog.
    if (visible && FShownBefore)
        setAttribute(Qt::WA_Moved, true);
    if (!visible && EditSyncPassword)
        ClearSyncPassword();
    TLazyDialog::setVisible(visible);
}

void TFormOptions::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
    FShownBefore = true;
}

std::array<QLabel *, 5> TFormOptions::ColorPanels() const
{
    return {PanelColor1, PanelColor2, PanelColor3, PanelColor4, PanelColor5};
}

void TFormOptions::FormShow()
{
    CreateControls();
    const TUserInfo &settings = UserInfo();
    CBShowTips->setChecked(settings.ShowTips);
    CBNotifyWithTray->setChecked(settings.NotifyWithTray);
    FStartAtLoginShown = DesktopEntry::AutostartEnabled(DesktopEntry::TPlaces::User());
    CBStartAtLogin->setChecked(FStartAtLoginShown);
    CBStayOnTop->setChecked(settings.StayOnTop);
    StayOnTopChanged = false;
    CBDisplayDueDate->setChecked(settings.DisplayDueDate);

    for (int index = 0; index < 5; ++index)
        SetPanelColor(index, settings.NoteColor(index + 1));

    QFont font(settings.DefaultFontName);
    // A size no font can have (only an edited file holds one) shows as 1.
    font.setPointSize(std::max(1, int(settings.DefaultFontSize)));
    font.setBold(settings.DefaultFontBold);
    font.setItalic(settings.DefaultFontItalic);
    SetSampleFont(font, settings.DefaultFontColor);

    CBQuickInputMode->setChecked(settings.QuickInputMode);
    EditSoundFile->setText(settings.SoundFileName);

    // Each value before its box: a changed value ticks the box, and the box
    // loaded afterwards has the last word. Values outside a spin box's range
    // are shown at the nearest end of it.
    EditDelDays->setValue(settings.AutoDeleteFinishedTasksDays);
    CBAutoDelete->setChecked(settings.AutoDeleteFinishedTasks);
    EditAutoDueDate->setValue(settings.AutoDueDateDays);
    CBAutoDueDate->setChecked(settings.AutoDueDate);
    TPAutoReminder->setTime(DateTimeToQTime(settings.AutoReminderTime));
    CBAutoReminder->setChecked(settings.AutoReminder);
    LoadSyncPage();

    FillSkinList();
}

void TFormOptions::FillSkinList()
{
    {
        const QSignalBlocker quiet(ListViewSkins);
        ListViewSkins->clear();
    }
    ListViewSkinsSelectItem(nullptr, false);
    const QString skins = AppDir + QStringLiteral("skins/");
    try {
        for (const QString &entry : SkinEntries(skins)) {
            auto *item = new QTreeWidgetItem(
                ListViewSkins, {ReadSkinName(skins + entry + QStringLiteral("/skinname.txt")), entry});
            if (entry != UserInfo().SkinDirectoryName)
                continue;
            {
                const QSignalBlocker quiet(ListViewSkins);
                item->setSelected(true);
                ListViewSkins->setCurrentItem(item);
            }
            ListViewSkinsSelectItem(item, true);
        }
    } catch (const EJbxError &error) {
        // The rest of the list is left out; the dialog opens all the same,
        // every other control already loaded.
        Dialogs().ErrorBox(error.Message());
    }
}

void TFormOptions::BtnOKClick()
{
    TUserInfo &settings = UserInfo();
    settings.ShowTips = CBShowTips->isChecked();
    settings.NotifyWithTray = CBNotifyWithTray->isChecked();
    if (CBStayOnTop->isChecked() != settings.StayOnTop)
        StayOnTopChanged = true;
    settings.StayOnTop = CBStayOnTop->isChecked();
    settings.DisplayDueDate = CBDisplayDueDate->isChecked();
    for (int index = 0; index < 5; ++index)
        settings.NoteColor(index + 1) = FColors[index];

    // Underline and strike-out the font chooser may have set are not kept.
    const QFont font = PanelSampleFont->font();
    settings.DefaultFontName = font.family();
    settings.DefaultFontSize = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
    settings.DefaultFontBold = font.bold();
    settings.DefaultFontItalic = font.italic();
    settings.DefaultFontColor = FSampleFontColor;

    settings.QuickInputMode = CBQuickInputMode->isChecked();
    settings.SoundFileName = EditSoundFile->text();
    const QList<QTreeWidgetItem *> skin = ListViewSkins->selectedItems();
    if (!skin.isEmpty())
        settings.SkinDirectoryName = skin.first()->text(1);
    settings.AutoDeleteFinishedTasksDays = EditDelDays->value();
    settings.AutoDeleteFinishedTasks = CBAutoDelete->isChecked();
    settings.AutoDueDateDays = EditAutoDueDate->value();
    settings.AutoDueDate = CBAutoDueDate->isChecked();
    settings.AutoReminderTime = TimeToDateTime(TPAutoReminder->time());
    settings.AutoReminder = CBAutoReminder->isChecked();
    SaveSyncPage();

    // Only a change is written: an entry made elsewhere meanwhile stays.
    if (CBStartAtLogin->isChecked() != FStartAtLoginShown) {
        const QString error =
            DesktopEntry::SetAutostart(CBStartAtLogin->isChecked(), AppDir, DesktopEntry::TPlaces::User());
        if (!error.isEmpty())
            Dialogs().ErrorBox(error);
    }
}

void TFormOptions::CBAutoDueDateClick()
{
    // An automatic reminder only comes with an automatic due date.
    const bool on = CBAutoDueDate->isChecked();
    if (!on)
        CBAutoReminder->setChecked(false);
    for (QWidget *line : std::initializer_list<QWidget *>{CBAutoReminder, TPAutoReminder, STAutoReminder})
        line->setEnabled(on);
}

void TFormOptions::EditAutoDueDateChange() { CBAutoDueDate->setChecked(true); }

void TFormOptions::TPAutoReminderChange() { CBAutoReminder->setChecked(true); }

void TFormOptions::EditDelDaysChange() { CBAutoDelete->setChecked(true); }

void TFormOptions::SetPanelColor(int index, qint32 color)
{
    FColors[index] = color;
    QLabel *panel = ColorPanels()[index];
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, ColorRefToQColor(color));
    panel->setPalette(palette);
}

void TFormOptions::PanelColor1Click(QLabel *sender)
{
    const auto panels = ColorPanels();
    const auto found = std::find(panels.begin(), panels.end(), sender);
    if (found == panels.end())
        return;
    const int index = int(found - panels.begin());
    QColor color = ColorRefToQColor(FColors[index]);
    if (Dialogs().ChooseColor(this, color))
        SetPanelColor(index, QColorToColorRef(color));
}

void TFormOptions::SetSampleFont(const QFont &font, qint32 color)
{
    FSampleFontColor = color;
    PanelSampleFont->setFont(font);
    QPalette palette = PanelSampleFont->palette();
    palette.setColor(QPalette::WindowText, ColorRefToQColor(color));
    PanelSampleFont->setPalette(palette);
}

void TFormOptions::PanelSampleFontClick()
{
    TFontChoice choice{PanelSampleFont->font(), ColorRefToQColor(FSampleFontColor)};
    if (Dialogs().ChooseFont(this, choice))
        SetSampleFont(choice.Font, QColorToColorRef(choice.Color));
}

void TFormOptions::BtnSelectSoundFileClick()
{
    const QString path = Dialogs().OpenFileName(this, EditSoundFile->text(), tr("Sound Files (*.wav)"));
    if (!path.isEmpty())
        EditSoundFile->setText(path);
}

void TFormOptions::BtnTestSoundClick()
{
    PlaySoundAsync(UserInfo().SoundFileOrDefault(EditSoundFile->text()));
}

bool TFormOptions::SyncPageShown() const
{
    return PageControl1 && TSSync && PageControl1->currentWidget() == TSSync;
}

void TFormOptions::BtnHelpClick() { emit HelpRequested(); }

void TFormOptions::ListViewSkinsSelectItem(QTreeWidgetItem *item, bool selected)
{
    if (!item || !selected) {
        LabelPreview->setText(tr("Preview:"));
        PanelPreview->hide();
        return;
    }
    LabelPreview->setText(tr("Preview of %1:").arg(item->text(0)));
    PanelPreview->show();
    PanelPreview->LoadSkin(AppDir + QStringLiteral("skins/") + item->text(1) + u'/');
}

bool TFormOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        auto *panel = qobject_cast<QLabel *>(watched);
        if (panel && mouse->button() == Qt::LeftButton &&
            panel->rect().contains(mouse->position().toPoint())) {
            if (panel == PanelSampleFont)
                PanelSampleFontClick();
            else
                PanelColor1Click(panel);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
