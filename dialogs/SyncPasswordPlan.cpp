#include "dialogs/SyncPasswordPlan.h"

TSyncPasswordPlan PlanSyncPassword(const QString &oldKey, const QString &newKey, const QString &text,
                                   bool filled, bool edited)
{
    TSyncPasswordPlan plan;
    const bool kept = filled && !edited;
    if (text.isEmpty()) {
        // Emptied by the user: forgotten. Left empty: the stored one stays.
        if (filled && edited)
            plan.RemoveKey = oldKey;
        return plan;
    }
    if (!kept && !newKey.isEmpty()) {
        plan.WriteKey = newKey;
        plan.Password = text;
    }
    return plan;
}
