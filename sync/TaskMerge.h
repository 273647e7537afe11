#pragma once

#include "model/TTask.h"

#include <QByteArray>

// The fields of a task that travel, kept as they were when both sides
// last agreed, and merged one by one against that version when both sides
// changed the task since.

// The travelling fields as bytes, and back (false for bytes that are not).
QByteArray TravellingBytes(const TTask &task);
bool ReadTravellingBytes(const QByteArray &bytes, TTask &task);

struct TMergedTask {
    TTask Task;                // `local` with the merged fields
    bool TextConflict = false; // both sides changed the text, differently
    bool Conflict = false;     // both sides changed some field differently
};

// A three-way merge: a field changed on one side only takes that side's
// value; one changed differently on both takes `remote`'s when
// `remoteNewer`, else `local`'s. Modified is the later of the two.
TMergedTask MergeTasks(const TTask &base, const TTask &local, const TTask &remote, bool remoteNewer);
