// The options dialog's Sync page: the settings of sync with a CalDAV
// server, the password in the keyring, the connection test, a round now,
// and how the last round went.

#include "dialogs/TFormOptions.h"

#include "base/DateTime.h"
#include "controls/TAppCommands.h"
#include "dialogs/TConnectionTest.h"
#include "model/UnitGlobalData.h"
#include "platform/Dialogs.h"
#include "platform/TKeyring.h"
#include "settings/TUserInfo.h"
#include "sync/TSyncStatus.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>

namespace {
// An answer line takes room only while it says something.
void Say(QLabel *line, const QString &text)
{
    line->setText(text);
    line->setVisible(!text.isEmpty());
}
} // namespace

void TFormOptions::SetSync(TSyncStatus *status, TKeyring *keyring, const TAppCommands *commands)
{
    if (FSyncStatus)
        FSyncStatus->disconnect(this);
    FSyncStatus = status;
    FKeyring = keyring;
    FCommands = commands;
    if (status)
        connect(status, &TSyncStatus::Changed, this, &TFormOptions::SyncStatusChange);
    if (PageControl1)
        SyncStatusChange();
}

void TFormOptions::LoadSyncPage()
{
    const TUserInfo &settings = UserInfo();
    CBSyncEnabled->setChecked(settings.SyncEnabled);
    EditSyncUrl->setText(settings.SyncUrl);
    EditSyncUser->setText(settings.SyncUser);
    EditSyncPasswordCommand->setText(settings.SyncPasswordCommand);
    EditSyncCaFile->setText(settings.SyncCaFile);
    EditSyncInterval->setValue(settings.SyncIntervalMinutes);

    // The password is never shown: the box starts empty, and says so when
    // the keyring holds one. Asking the keyring may make it ask the user to
    // unlock it, so only for an account that is set up.
    const int showing = ++FShowing;
    EditSyncPassword->clear();
    EditSyncPassword->setEnabled(FKeyring);
    EditSyncPassword->setPlaceholderText(FKeyring ? QString() : tr("No keyring"));
    EditSyncPassword->setToolTip(FKeyring ? QString()
                                          : tr("No keyring is running here: use a password command."));
    if (FKeyring && !settings.SyncUrl.isEmpty())
        FKeyring->Read(TKeyring::Key(settings.SyncUser, settings.SyncUrl), this,
                       [this, showing](bool ok, const QString &, const QString &) {
                           if (!ok || showing != FShowing)
                               return;
                           EditSyncPassword->setPlaceholderText(tr("Stored"));
                           EditSyncPassword->setToolTip(
                               tr("A password is stored in the keyring; type a new one to replace it."));
                       });
    if (!FConnectionTest || !FConnectionTest->Running())
        Say(LabelSyncTest, QString());
    SyncStatusChange();
}

void TFormOptions::SaveSyncPage()
{
    TUserInfo &settings = UserInfo();
    settings.SyncEnabled = CBSyncEnabled->isChecked();
    settings.SyncUrl = EditSyncUrl->text().trimmed();
    settings.SyncUser = EditSyncUser->text().trimmed();
    settings.SyncPasswordCommand = EditSyncPasswordCommand->text();
    settings.SyncCaFile = EditSyncCaFile->text().trimmed();
    settings.SyncIntervalMinutes = EditSyncInterval->value();

    // Only a password the user typed is written; the box is emptied so it
    // is not kept in the dialog either.
    const QString typed = EditSyncPassword->text();
    EditSyncPassword->clear();
    if (typed.isEmpty() || !FKeyring || settings.SyncUrl.isEmpty())
        return;
    FKeyring->Write(TKeyring::Key(settings.SyncUser, settings.SyncUrl), typed, this,
                    [this](bool ok, const QString &error) {
                        if (ok)
                            emit SyncPasswordStored();
                        else
                            Dialogs().ErrorBox(tr("The sync password was not stored: %1").arg(error));
                    });
}

void TFormOptions::BtnSelectCaFileClick()
{
    const QString path = Dialogs().OpenFileName(this, EditSyncCaFile->text(),
                                                tr("Certificates (*.pem *.crt *.cer);;All Files (*)"));
    if (!path.isEmpty())
        EditSyncCaFile->setText(path);
}

void TFormOptions::BtnSyncTestClick()
{
    if (!FConnectionTest) {
        FConnectionTest = new TConnectionTest(this);
        connect(FConnectionTest, &TConnectionTest::Finished, this, &TFormOptions::ShowSyncTestResult);
    }
    if (FConnectionTest->Running())
        return;
    const QString problem = TConnectionTest::UrlProblem(EditSyncUrl->text());
    if (!problem.isEmpty()) {
        Say(LabelSyncTest, problem);
        return;
    }
    TCalDavClient::TOptions options;
    options.Url = QUrl(EditSyncUrl->text().trimmed());
    options.User = EditSyncUser->text().trimmed();
    options.Password = EditSyncPassword->text();
    options.CaFile = EditSyncCaFile->text().trimmed();
    const QString command = EditSyncPasswordCommand->text().trimmed();
    BtnSyncTest->setEnabled(false);
    Say(LabelSyncTest, tr("Testing the connection..."));
    if (!options.Password.isEmpty() || !command.isEmpty() || !FKeyring) {
        FConnectionTest->Start(options, options.Password.isEmpty() ? command : QString());
        return;
    }
    // Neither typed nor a command: the keyring's, for the typed account.
    // Without one the server is asked all the same (it may need none); a
    // refusal then tells why there was no password.
    FKeyring->Read(TKeyring::Key(options.User, EditSyncUrl->text().trimmed()), this,
                   [this, options](bool ok, const QString &password, const QString &error) mutable {
                       if (ok)
                           options.Password = password;
                       FConnectionTest->Start(options, QString(), ok ? QString() : error);
                   });
}

void TFormOptions::ShowSyncTestResult(bool, const QString &message)
{
    Say(LabelSyncTest, message);
    BtnSyncTest->setEnabled(true);
}

void TFormOptions::BtnSyncNowClick()
{
    if (FCommands && FCommands->ActionSyncNow)
        FCommands->ActionSyncNow->trigger();
}

void TFormOptions::SyncStatusChange()
{
    if (!PageControl1)
        return;
    BtnSyncNow->setEnabled(FCommands && FCommands->ActionSyncNow && FCommands->ActionSyncNow->isEnabled());
    if (!FSyncStatus) {
        Say(LabelSyncStatus, QString());
        return;
    }
    const TSyncStatus &status = *FSyncStatus;
    if (status.Running())
        Say(LabelSyncStatus, tr("A sync round is running..."));
    else if (status.LastRound() == 0)
        Say(LabelSyncStatus, tr("No sync round has run yet."));
    else {
        const QString when =
            QLocale().toString(DateTimeToQDateTime(status.LastRound()), QLocale::ShortFormat);
        Say(LabelSyncStatus, status.LastOk() ? tr("Last round %1: %2").arg(when, status.LastResult())
                                             : tr("Last round %1 failed: %2").arg(when, status.LastResult()));
    }
}
