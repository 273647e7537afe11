#pragma once

#include "dialogs/TLazyDialog.h"

#include <QPointer>
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
class TConnectionTest;
class TKeyring;
class TSkinPreview;
class TSyncStatus;
struct TSyncPasswordPlan;
struct TAppCommands;

// The options dialog: edits the preferences of the settings object in
// memory. Made once at start-up and shown modally as often as asked; every
// showing reloads the controls from the settings, and only "OK" copies them
// back. The "Sound" and "Skin" pages have no tab: their settings pass
// through unchanged. The "Sync" page sets up sync with a CalDAV server; its
// password goes to the keyring, never to the settings.
class TFormOptions : public TLazyDialog {
    Q_OBJECT

public:
    explicit TFormOptions(QWidget *parent = nullptr);
    ~TFormOptions() override;

    // What the Sync page works with, none owned: the last round's status it
    // shows (and follows), the keyring the password goes to, and the
    // commands whose ActionSyncNow "Sync now" triggers. Each may be null:
    // no status line, no password box, no "Sync now" then.
    void SetSync(TSyncStatus *status, TKeyring *keyring, const TAppCommands *commands);

    // Makes the controls; done by the first showing, so that making the
    // dialog at start-up costs next to nothing. Later calls do nothing.
    void CreateControls() override;

    // Every showing: the controls from the settings, the skin list last.
    void FormShow();
    // Whether the Sync page is the one in front (help opens at its part).
    bool SyncPageShown() const;
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
    // The Sync page.
    void BtnSelectCaFileClick();
    // Tests the typed values, on a thread of its own; the answer comes in
    // LabelSyncTest. The password: the typed one, else the password
    // command's, else the keyring's.
    void BtnSyncTestClick();
    void BtnSyncNowClick();
    // The user changed the password box: emptying a stored password says
    // that OK removes it from the keyring.
    void EditSyncPasswordEdited(const QString &text);
    void SyncStatusChange();
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
    // A password from the Sync page is in the keyring now, typed or taken
    // along to a changed account (OK writes it after the dialog closed): a
    // round may read it.
    void SyncPasswordStored();

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
    // Reminders as desktop notifications where the tray icon also cycles.
    QCheckBox *CBNotifyWithTray = nullptr;
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

    QWidget *TSSync = nullptr;
    QCheckBox *CBSyncEnabled = nullptr;
    QLabel *LabelSyncInterval = nullptr;
    QSpinBox *EditSyncInterval = nullptr;
    QLabel *LabelSyncUrl = nullptr;
    QLineEdit *EditSyncUrl = nullptr;
    QLabel *LabelSyncUser = nullptr;
    QLineEdit *EditSyncUser = nullptr;
    QLabel *LabelSyncPassword = nullptr;
    QLineEdit *EditSyncPassword = nullptr;
    QLabel *LabelSyncPasswordCommand = nullptr;
    QLineEdit *EditSyncPasswordCommand = nullptr;
    QLabel *LabelSyncCaFile = nullptr;
    QLineEdit *EditSyncCaFile = nullptr;
    QPushButton *BtnSelectCaFile = nullptr;
    QPushButton *BtnSyncTest = nullptr;
    QLabel *LabelSyncTest = nullptr;
    QPushButton *BtnSyncNow = nullptr;
    QLabel *LabelSyncStatus = nullptr;

    void CreateGeneralPage();
    void CreateColorFontPage();
    void CreateSoundPage();
    void CreateSkinPage();
    void CreateSyncPage();
    void LoadSyncPage();
    void SaveSyncPage();
    // Does to the keyring what confirming the page asks, after the dialog
    // closed; says what failed.
    void StoreSyncPassword(const TSyncPasswordPlan &plan);
    // Empties the password box: nothing of it stays in a hidden dialog.
    void ClearSyncPassword();
    void ShowSyncTestResult(bool ok, const QString &message);
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

    QPointer<TSyncStatus> FSyncStatus;
    QPointer<TKeyring> FKeyring;
    const TAppCommands *FCommands = nullptr;
    TConnectionTest *FConnectionTest = nullptr;
    // Each showing counts up: a keyring answer for an earlier one is old.
    int FShowing = 0;
    // The password box holds the keyring's password of the account shown.
    bool FSyncPasswordFilled = false;
};
