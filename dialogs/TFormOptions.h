#pragma once

#include "dialogs/TLazyDialog.h"
#include <array>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TSkinPreview;

// The options dialog: edits the preferences of the settings object in
// memory. Made once at start-up and shown modally as often as asked; every
// showing reloads the controls from the settings, and only "OK" copies them
// back. The "Sound" and "Skin" pages have no tab: their settings pass
// through unchanged.
class TFormOptions : public TLazyDialog {
    Q_OBJECT

public:
    explicit TFormOptions(QWidget *parent = nullptr);
    ~TFormOptions() override;

    // Makes the controls; done by the first showing, so that making the
    // dialog at start-up costs next to nothing. Later calls do nothing.
    void CreateControls() override;

    // Every showing: the controls from the settings, the skin list last.
    void FormShow();
    // The controls into the settings; sets StayOnTopChanged when the stay-
    // on-top box differs from the setting.
    void BtnOKClick();

    void CBAutoDueDateClick();
    void EditAutoDueDateChange();
    void TPAutoReminderChange();
    void EditDelDaysChange();
    // Shared by the five colour panels.
    void PanelColor1Click(QLabel *sender);
    void PanelSampleFontClick();
    void BtnSelectSoundFileClick();
    void BtnTestSoundClick();
    void BtnHelpClick();
    // The skin list's selection changed; `selected` false for a deselected
    // item. Fails (EJbxError) when a preview picture cannot be read.
    void ListViewSkinsSelectItem(QTreeWidgetItem *item, bool selected);

    // What a colour panel and the sample font stand for, in the settings'
    // form (colours as 0x00BBGGRR).
    qint32 PanelColorValue(int index) const { return FColors.at(index); }
    qint32 SampleFontColor() const { return FSampleFontColor; }

    void setVisible(bool visible) override;

signals:
    // The help button was pressed: the program's help should open.
    void HelpRequested();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // --- components: null until CreateControls(); each named as here, by
    // which tests find them ---
    QTabWidget *PageControl1 = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnHelp = nullptr;

    QWidget *TSGeneral = nullptr;
    QCheckBox *CBAutoDueDate = nullptr;
    QSpinBox *EditAutoDueDate = nullptr;
    QLabel *StaticText1 = nullptr;
    QCheckBox *CBAutoReminder = nullptr;
    QTimeEdit *TPAutoReminder = nullptr;
    QLabel *STAutoReminder = nullptr;
    QCheckBox *CBQuickInputMode = nullptr;
    QCheckBox *CBShowTips = nullptr;
    // Start at login: an autostart entry, not a setting, so its state is
    // the entry's presence whoever made it.
    QCheckBox *CBStartAtLogin = nullptr;
    QFrame *Bevel2 = nullptr;
    QLabel *StaticText2 = nullptr;
    QLineEdit *EditSoundFile = nullptr;
    QPushButton *BtnSelectSoundFile = nullptr;
    QPushButton *BtnTestSound = nullptr;

    QWidget *TSColorFont = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *PanelColor1 = nullptr;
    QLabel *PanelColor2 = nullptr;
    QLabel *PanelColor3 = nullptr;
    QLabel *PanelColor4 = nullptr;
    QLabel *PanelColor5 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QLabel *PanelSampleFont = nullptr;

    QWidget *TSSound = nullptr;
    QCheckBox *CBAutoDelete = nullptr;
    QSpinBox *EditDelDays = nullptr;
    QLabel *STDays = nullptr;
    QCheckBox *CBStayOnTop = nullptr;
    QCheckBox *CBDisplayDueDate = nullptr;

    QWidget *TSSkin = nullptr;
    QLabel *Label1 = nullptr;
    QTreeWidget *ListViewSkins = nullptr;
    QFrame *Bevel1 = nullptr;
    QLabel *LabelPreview = nullptr;
    TSkinPreview *PanelPreview = nullptr;

    void CreateGeneralPage();
    void CreateColorFontPage();
    void CreateSoundPage();
    void CreateSkinPage();
    std::array<QLabel *, 5> ColorPanels() const;
    void SetPanelColor(int index, qint32 color);
    void SetSampleFont(const QFont &font, qint32 color);
    void FillSkinList();

    // The panels' values kept as the settings hold them, so a colour no one
    // touched goes back bit for bit.
    std::array<qint32, 5> FColors{};
    qint32 FSampleFontColor = 0;
    bool FShownBefore = false;
    bool FStartAtLoginShown = false; // the entry's presence when shown
};
