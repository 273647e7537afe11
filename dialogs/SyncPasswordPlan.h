#pragma once

#include <QString>

// What confirming the Sync page does to the keyring. The password box is
// filled from the keyring when it holds a password for the account shown
// (`filled`); the user may keep it, type another, or empty the box to have
// it forgotten. `edited`: the user changed the box since it was shown or
// filled. Keys as TKeyring::Key() makes them: `oldKey` of the account as
// the page was shown, `newKey` as confirmed; empty where no server is set.
//
// A changed account takes its password along (typed, kept, or still in
// the keyring when the box was never filled) and the old account's entry
// goes, so no stale secret stays behind. An emptied server keeps the
// entry: the account is only set aside.
struct TSyncPasswordPlan {
    // Written under WriteKey: Password, or else the password now under
    // CopyFrom (none there: nothing is written, nothing removed).
    QString WriteKey;
    QString Password;
    QString CopyFrom;
    // Removed once the write succeeded, or at once when nothing is written.
    QString RemoveKey;

    bool Empty() const { return WriteKey.isEmpty() && RemoveKey.isEmpty(); }
};

TSyncPasswordPlan PlanSyncPassword(const QString &oldKey, const QString &newKey, const QString &text,
                                   bool filled, bool edited);
