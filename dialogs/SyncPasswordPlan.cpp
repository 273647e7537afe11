#include "dialogs/SyncPasswordPlan.h"

TSyncPasswordPlan PlanSyncPassword(const QString &oldKey, const QString &newKey, const QString &text,
                                   bool filled, bool edited)
{
    TSyncPasswordPlan plan;
    const bool moved = !oldKey.isEmpty() && !newKey.isEmpty() && oldKey != newKey;
    if (text.isEmpty()) {
        if (filled && edited) {
            plan.RemoveKey = oldKey; // emptied by the user: forgotten
        } else if (moved) {
            // Never shown (the keyring had not answered yet, or holds
            // nothing): what it holds moves.
            plan.WriteKey = newKey;
            plan.CopyFrom = oldKey;
            plan.RemoveKey = oldKey;
        }
        return plan;
    }
    const bool kept = filled && !edited;
    if (newKey.isEmpty() || (kept && !moved))
        return plan;
    plan.WriteKey = newKey;
    plan.Password = text;
    if (moved)
        plan.RemoveKey = oldKey;
    return plan;
}
