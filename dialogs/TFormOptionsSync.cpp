// The options dialog's Sync page: the settings of sync with a CalDAV
// server, the password in the keyring, the connection test, a round now,
// and how the last round went.

#include "dialogs/TFormOptions.h"

#include "base/DateTime.h"
#include "controls/TAppCommands.h"
#include "dialogs/SyncPasswordPlan.h"
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
#include <QPointer>
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

    // The box starts empty and is filled, as dots, with the keyring's
    // password when it answers, unless the user has typed meanwhile: kept,
    // it stays; emptied, OK removes it. Asking the keyring may make it ask
    // the user to unlock it, so only for an account that is set up.
    ClearSyncPassword();
    const int showing = FShowing;
    EditSyncPassword->setEnabled(FKeyring);
    EditSyncPassword->setPlaceholderText(FKeyring ? QString() : tr("No keyring"));
    EditSyncPassword->setToolTip(FKeyring ? QString()
                                          : tr("No keyring is running here: use a password command."));
    if (FKeyring && !settings.SyncUrl.isEmpty())
        FKeyring->Read(TKeyring::Key(settings.SyncUser, settings.SyncUrl), this,
                       [this, showing](bool ok, const QString &password, const QString &) {
                           if (!ok || showing != FShowing)
                               return;
                           EditSyncPassword->setPlaceholderText(tr("Stored"));
                           EditSyncPassword->setToolTip(
                               tr("A password is stored in the keyring; type a new one to replace it, or "
                                  "empty the box to remove it."));
                           if (!EditSyncPassword->text().isEmpty() || EditSyncPassword->isModified())
                               return; // typed meanwhile: that one counts
                           EditSyncPassword->setText(password);
                           FSyncPasswordFilled = true;
                       });
    if (!FConnectionTest || !FConnectionTest->Running())
        Say(LabelSyncTest, QString());
    SyncStatusChange();
}

void TFormOptions::SaveSyncPage()
{
    TUserInfo &settings = UserInfo();
    const QString oldKey =
        settings.SyncUrl.isEmpty() ? QString() : TKeyring::Key(settings.SyncUser, settings.SyncUrl);
    settings.SyncEnabled = CBSyncEnabled->isChecked();
    settings.SyncUrl = EditSyncUrl->text().trimmed();
    settings.SyncUser = EditSyncUser->text().trimmed();
    settings.SyncPasswordCommand = EditSyncPasswordCommand->text();
    settings.SyncCaFile = EditSyncCaFile->text().trimmed();
    settings.SyncIntervalMinutes = EditSyncInterval->value();

    const TSyncPasswordPlan plan = PlanSyncPassword(
        oldKey, settings.SyncUrl.isEmpty() ? QString() : TKeyring::Key(settings.SyncUser, settings.SyncUrl),
        EditSyncPassword->text(), FSyncPasswordFilled, EditSyncPassword->isModified());
    ClearSyncPassword(); // not kept in the dialog either
    if (FKeyring && !plan.Empty())
        StoreSyncPassword(plan);
}

void TFormOptions::StoreSyncPassword(const TSyncPasswordPlan &plan)
{
    // The dialog has closed by the time the keyring answers, and may be
    // gone: the keyring's own jobs run on, only the words to the user need
    // the dialog.
    const QPointer<TFormOptions> self(this);
    const QPointer<TKeyring> keyring(FKeyring);
    const auto removeOld = [self, keyring, key = plan.RemoveKey] {
        if (key.isEmpty() || !keyring)
            return;
        keyring->Remove(key, keyring, [self](bool ok, const QString &error) {
            if (!ok && self)
                Dialogs().ErrorBox(tr("The sync password was not removed from the keyring: %1").arg(error));
        });
    };
    if (plan.WriteKey.isEmpty()) {
        removeOld();
        return;
    }
    const auto write = [self, keyring, removeOld, key = plan.WriteKey](const QString &password) {
        if (!keyring)
            return;
        keyring->Write(key, password, keyring, [self, removeOld](bool ok, const QString &error) {
            if (ok)
                removeOld();
            if (!self)
                return;
            if (ok)
                emit self->SyncPasswordStored();
            else
                Dialogs().ErrorBox(tr("The sync password was not stored: %1").arg(error));
        });
    };
    if (plan.CopyFrom.isEmpty()) {
        write(plan.Password);
        return;
    }
    // Nothing under the old key (or a keyring that would not give it out):
    // nothing to move, and the old entry, if any, stays.
    keyring->Read(plan.CopyFrom, keyring, [write](bool ok, const QString &password, const QString &) {
        if (ok)
            write(password);
    });
}

void TFormOptions::EditSyncPasswordEdited(const QString &text)
{
    if (FSyncPasswordFilled)
        EditSyncPassword->setPlaceholderText(text.isEmpty() ? tr("Removed on OK") : tr("Stored"));
}

void TFormOptions::ClearSyncPassword()
{
    ++FShowing; // a keyring answer still on its way fills nothing now
    EditSyncPassword->clear();
    EditSyncPassword->setModified(false);
    FSyncPasswordFilled = false;
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
