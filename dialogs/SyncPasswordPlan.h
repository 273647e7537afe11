#pragma once

#include <QString>

// What confirming the Sync page does to the keyring. The password box is
// filled from the keyring when it holds a password for the account shown
// (`filled`); the user may keep it, type another, or empty the box to have
// it forgotten. `edited`: the user changed the box since it was shown or
// filled. Keys as TKeyring::Key() makes them; empty where no server is set.
struct TSyncPasswordPlan {
    // Written under WriteKey: Password.
    QString WriteKey;
    QString Password;
    // Removed once the write succeeded, or at once when nothing is written.
    QString RemoveKey;

    bool Empty() const { return WriteKey.isEmpty() && RemoveKey.isEmpty(); }
};

TSyncPasswordPlan PlanSyncPassword(const QString &oldKey, const QString &newKey, const QString &text,
                                   bool filled, bool edited);
