#pragma once

#include "model/TTask.h"
#include "sync/TCalDavClient.h"
#include "sync/TSyncState.h"

#include <QStringList>
#include <optional>
#include <vector>

class TTaskList;
class TUserInfo;

// The tasks as a round sees them: copies taken on the list's thread, so the
// round itself can run on a thread of its own while the user goes on.
struct TSyncSnapshot {
    std::vector<TTask> Tasks;       // in list order
    std::vector<TTask *> Originals; // the list's own tasks, for applying the outcome
    std::optional<TTask> Blank;     // a new task's defaults, for items new to this side
    TDateTime Now = 0;

    // The blank task takes the settings' defaults without moving the
    // cascade or the colour rotation of the notes the user makes.
    static TSyncSnapshot Take(const TTaskList &list, const TUserInfo &settings, TDateTime now);
};

// One change the round asks of the list once it is back on the list's thread.
struct TSyncChange {
    enum TKind { Update, Add, Remove };
    TKind Kind = Update;
    int TaskIndex = -1;        // Update, Remove: the task's place in the snapshot
    std::optional<TTask> Task; // Update, Add: the task as it is to be
    int EntryIndex = -1;       // the state's entry that counts on this change, or -1
    // That entry as it was before the round (none for an entry the round
    // made): put back when the change cannot be applied.
    std::optional<TSyncEntry> EntryBefore;
};

struct TSyncOutcome {
    enum TResult {
        Done,         // in step; apply the changes, keep the state
        AskDeletions, // nothing was done: the round would delete DeletionsAsked tasks
        Failed,       // stopped at Failure; the changes and the state hold what was
                      // done before it: apply and keep them all the same
    };
    TResult Result = Done;
    TDavResult Failure;
    int DeletionsAsked = 0;

    int Uploaded = 0;
    int Downloaded = 0;
    int DeletedOnServer = 0;
    int DeletedHere = 0;
    int Conflicts = 0;
    // The items the server turned down, as "task: why": the rest went, and
    // these are sent again by the next rounds.
    QStringList Refused;

    std::vector<TSyncChange> Changes;
    TSyncState State; // to keep once the changes are applied
};

// One round against the server: lists what changed there (by sync token
// where the server offers one, else by ETags), sends what changed here,
// and says what the list must change. Deletions travel both ways; a round
// that would delete more than a quarter of the tasks, and more than five,
// stops and asks unless `allowManyDeletions`. A task changed on both sides
// goes to the newer LAST-MODIFIED, and the other version's text becomes a
// new task whose subject says it is a conflicting copy: no text is lost.
TSyncOutcome RunSyncRound(TCalDavClient &client, const TSyncSnapshot &snapshot, const TSyncState &state,
                          bool allowManyDeletions);

// What a round did, in a line: "2 sent, 1 received, ...".
QString SyncSummary(const TSyncOutcome &outcome);

// What applying an outcome did to the list.
struct TSyncApplied {
    std::vector<TTask *> Updated;
    std::vector<TTask *> Added;
    std::vector<TTask *> Removed; // out of the list, still alive: close their notes, then dispose
    int Skipped = 0;              // changed here during the round: the next round sees to them
};

// On the list's thread, after the round: applies each change whose task is
// still in the list as the snapshot saw it. A change the user overtook is
// skipped and its entry put back as it was, so the next round finds both
// sides changed and nothing is lost.
TSyncApplied ApplySyncOutcome(TTaskList &list, const TSyncSnapshot &snapshot, TSyncOutcome &outcome);
