#include "sync/TSyncRound.h"

#include "base/TextCodec.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "sync/IcalOnDemand.h"
#include "sync/TaskMerge.h"
#include "sync/VTodo.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QUuid>
#include <algorithm>
#include <map>

namespace {

// Counts tasks per Created moment as they come, giving each its ordinal.
class TOrdinals {
public:
    int Next(TDateTime key) { return FCounts[key]++; }

private:
    std::map<TDateTime, int> FCounts;
};

// What the round found for one entry of the state, or for an item or a task
// that has none yet.
enum class TStep {
    Keep,         // in step, or nothing this side can do
    Forget,       // gone on both sides
    DeleteRemote, // deleted here, unchanged there
    DeleteLocal,  // deleted there, unchanged here
    Upload,       // changed here only (or gone there and changed here)
    Download,     // changed there only (or deleted here and changed there)
    Both,         // changed on both sides
};

TStep StepFor(bool hasLocal, bool localChanged, bool hasRemote, bool remoteChanged)
{
    if (!hasLocal && !hasRemote)
        return TStep::Forget;
    if (!hasLocal)
        return remoteChanged ? TStep::Download : TStep::DeleteRemote;
    if (!hasRemote)
        return localChanged ? TStep::Upload : TStep::DeleteLocal;
    if (localChanged && remoteChanged)
        return TStep::Both;
    if (localChanged)
        return TStep::Upload;
    return remoteChanged ? TStep::Download : TStep::Keep;
}

// How a task is named in a message: its first line.
QString Subject(const TTask &task)
{
    const QString text = DecodeText(task.Text).trimmed();
    return QStringLiteral("\u201C%1\u201D").arg(text.section(u'\n', 0, 0).trimmed().left(60));
}

constexpr int KMaxQuietDeletions = 20;

QString ConflictPrefix()
{
    return QCoreApplication::translate("TSyncRound", "Conflicting copy") + QStringLiteral(": ");
}

// The round's working state: entries by number (none once forgotten), the
// server's items as listed, and the outcome being built.
class TRound {
public:
    TRound(TCalDavClient &client, const TSyncSnapshot &snapshot, const TSyncState &state)
        : FClient(client), FSnapshot(snapshot), FBefore(state)
    {
        for (const TSyncEntry &entry : state.Entries)
            FEntries.emplace_back(entry);
    }

    TSyncOutcome Run(bool allowManyDeletions);

private:
    bool List();
    void Pair();
    void Recognise(QStringList &newItems);
    TDateTime FreshMoment(TDateTime wanted);
    void KeepOrdinals();
    void FreshToken();
    bool Fetch(const QStringList &hrefs);
    bool Process(int entry, TStep step);
    bool ProcessNewItem(const QString &href);
    bool UploadNewTask(int task);
    bool Resolve(int task, int entry, const TTask &remote, const TRemoteItem &item);
    bool Put(int entry, const TTask &task, const QByteArray &previous, const QByteArray &etag);
    bool AddCopy(const TTask &version);
    int AddEntry(TSyncEntry entry);
    void Change(TSyncChange::TKind kind, int task, const std::optional<TTask> &fields, int entry);
    bool Failed(const TDavResult &result);
    QByteArray LocalDigest(int task) const { return TravellingDigest(FSnapshot.Tasks[size_t(task)]); }
    bool RemoteChanged(const TSyncEntry &entry) const
    {
        return entry.ETag.isEmpty() || FRemote.value(entry.Href) != entry.ETag;
    }

    TCalDavClient &FClient;
    const TSyncSnapshot &FSnapshot;
    const TSyncState &FBefore;
    TSyncOutcome FOut;
    std::vector<std::optional<TSyncEntry>> FEntries;
    QHash<QString, QByteArray> FRemote; // href -> ETag, as listed
    QByteArray FNewToken;
    std::vector<int> FLocalOfEntry;
    std::vector<int> FEntryOfLocal;
    std::vector<int> FOrdinalOfLocal; // each task's place among those of its Created moment
    QHash<QString, TDavItem> FFetched;
    TOrdinals FOrdinals;      // of the tasks the list will hold, in its order
    QSet<TDateTime> FMoments; // the Created moments taken, so that no two tasks share one
    bool FKeepToken = false;  // something is left for the next round to see again
};

bool TRound::Failed(const TDavResult &result)
{
    FOut.Result = TSyncOutcome::Failed;
    FOut.Failure = result;
    return false;
}

// The server's items now: the changes since the last token where the server
// keeps tokens, else every item's ETag.
bool TRound::List()
{
    if (!FBefore.SyncToken.isEmpty()) {
        TDavChanges changes;
        const TDavResult result = FClient.ListChanges(FBefore.SyncToken, changes);
        if (result.Ok()) {
            for (const std::optional<TSyncEntry> &entry : FEntries)
                FRemote.insert(entry->Href, entry->ETag);
            for (const TDavItem &item : changes.Changed)
                FRemote.insert(item.Href, item.ETag);
            for (const QString &href : changes.Removed)
                FRemote.remove(href);
            FNewToken = changes.NewToken;
            return true;
        }
        if (result.Failure != TDavResult::TokenExpired)
            return Failed(result);
    }
    // The token first: what changes while the list is read is seen again.
    TDavResult result = FClient.Probe(FNewToken);
    if (!result.Ok())
        return Failed(result);
    QList<TDavItem> items;
    result = FClient.ListAll(items);
    if (!result.Ok())
        return Failed(result);
    for (const TDavItem &item : items)
        FRemote.insert(item.Href, item.ETag);
    return true;
}

// Entries find their tasks by Created moment. Where tasks share a moment
// (made so by an older version, or by hand), a task unchanged since the
// last round is known by its fields first; the rest pair in the order they
// stand between those: deleting one of them must not hand its item to the
// next.
void TRound::Pair()
{
    std::map<TDateTime, std::vector<int>> tasksOf;   // in list order
    std::map<TDateTime, std::vector<int>> entriesOf; // by ordinal
    TOrdinals ordinals;
    for (size_t i = 0; i < FSnapshot.Tasks.size(); ++i) {
        const TDateTime key = FSnapshot.Tasks[i].Created;
        FOrdinalOfLocal.push_back(ordinals.Next(key));
        FOrdinals.Next(key);
        tasksOf[key].push_back(int(i));
        FMoments.insert(key);
    }
    for (size_t e = 0; e < FEntries.size(); ++e)
        if (FEntries[e]->Ordinal >= 0)
            entriesOf[FEntries[e]->Key].push_back(int(e));
    FLocalOfEntry.assign(FEntries.size(), -1);
    FEntryOfLocal.assign(FSnapshot.Tasks.size(), -1);
    const auto pair = [this](int entry, int task) {
        FLocalOfEntry[size_t(entry)] = task;
        FEntryOfLocal[size_t(task)] = entry;
    };
    for (auto &[key, entries] : entriesOf) {
        const std::vector<int> &tasks = tasksOf[key];
        if (tasks.empty())
            continue;
        if (tasks.size() == 1 && entries.size() == 1) {
            pair(entries[0], tasks[0]);
            continue;
        }
        std::sort(entries.begin(), entries.end(), [this](int a, int b) {
            return FEntries[size_t(a)]->Ordinal < FEntries[size_t(b)]->Ordinal;
        });
        for (const int e : entries) {
            for (const int task : tasks) {
                if (FEntryOfLocal[size_t(task)] < 0 && !FEntries[size_t(e)]->Digest.isEmpty() &&
                    LocalDigest(task) == FEntries[size_t(e)]->Digest) {
                    pair(e, task);
                    break;
                }
            }
        }
        for (const int e : entries) {
            if (FLocalOfEntry[size_t(e)] >= 0)
                continue;
            // Between the tasks of the entries before and after it.
            int low = -1, high = int(tasks.size());
            for (const int other : entries) {
                const int task = FLocalOfEntry[size_t(other)];
                if (task < 0)
                    continue;
                if (FEntries[size_t(other)]->Ordinal < FEntries[size_t(e)]->Ordinal)
                    low = std::max(low, FOrdinalOfLocal[size_t(task)]);
                else
                    high = std::min(high, FOrdinalOfLocal[size_t(task)]);
            }
            for (int o = low + 1; o < high; ++o) {
                if (FEntryOfLocal[size_t(tasks[size_t(o)])] < 0) {
                    pair(e, tasks[size_t(o)]);
                    break;
                }
            }
        }
    }
}

// An item is known by its UID wherever the server keeps it: one listed
// under an address new to this side that carries an entry's UID is that
// entry's item, moved (another app wrote it anew, or the server named it
// itself). A collection holds one item per UID, so the old address is gone.
void TRound::Recognise(QStringList &newItems)
{
    QHash<QByteArray, int> entryOfUid;
    for (size_t e = 0; e < FEntries.size(); ++e)
        if (FEntries[e])
            entryOfUid.insert(FEntries[e]->Uid, int(e));
    for (qsizetype i = newItems.size() - 1; i >= 0; --i) {
        const auto fetched = FFetched.constFind(newItems[i]);
        if (fetched == FFetched.cend())
            continue;
        TTask scratch = *FSnapshot.Blank;
        TRemoteItem item;
        QString error;
        CalendarObjectToTask(fetched->Data, scratch, item, error);
        const auto entry = entryOfUid.constFind(item.Uid);
        if (item.Uid.isEmpty() || entry == entryOfUid.cend())
            continue;
        TSyncEntry &target = *FEntries[size_t(*entry)];
        FRemote.remove(target.Href);
        target.Href = fetched->Href;
        newItems.removeAt(i);
    }
}

// The token was taken before this round wrote anything. A server need not
// report an item created and removed after a token (RFC 6578), so a
// deletion elsewhere of an item sent now could go unseen: after writing,
// the changes since are listed, and when they are all this round's own
// the newer token is kept. Anything else leaves the older token, and the
// next round looks again.
void TRound::FreshToken()
{
    if (FNewToken.isEmpty() || (FOut.Uploaded == 0 && FOut.DeletedOnServer == 0))
        return;
    TDavChanges changes;
    if (!FClient.ListChanges(FNewToken, changes).Ok() || changes.NewToken.isEmpty())
        return;
    QHash<QString, QByteArray> ours;
    for (const std::optional<TSyncEntry> &entry : FEntries)
        if (entry)
            ours.insert(entry->Href, entry->ETag);
    for (const TDavItem &item : changes.Changed)
        if (item.ETag.isEmpty() || ours.value(item.Href) != item.ETag)
            return;
    for (const QString &href : changes.Removed)
        if (ours.contains(href))
            return;
    FNewToken = changes.NewToken;
}

// Each entry's place among the tasks of its moment as the list will hold
// them once this round's deletions here are done.
void TRound::KeepOrdinals()
{
    std::vector<bool> removed(FSnapshot.Tasks.size(), false);
    for (const TSyncChange &change : FOut.Changes)
        if (change.Kind == TSyncChange::Remove)
            removed[size_t(change.TaskIndex)] = true;
    TOrdinals ordinals;
    for (size_t i = 0; i < FSnapshot.Tasks.size(); ++i) {
        if (removed[i])
            continue;
        const int ordinal = ordinals.Next(FSnapshot.Tasks[i].Created);
        const int entry = FEntryOfLocal[i];
        if (entry >= 0 && FEntries[size_t(entry)])
            FEntries[size_t(entry)]->Ordinal = ordinal;
    }
}

// `wanted`, or the first free millisecond after it: each task keeps a
// moment of its own, its identity between rounds.
TDateTime TRound::FreshMoment(TDateTime wanted)
{
    while (FMoments.contains(wanted))
        wanted += 1.0 / double(MSecsPerDay);
    FMoments.insert(wanted);
    return wanted;
}

bool TRound::Fetch(const QStringList &hrefs)
{
    if (hrefs.isEmpty())
        return true;
    QList<TDavItem> items;
    const TDavResult result = FClient.Fetch(hrefs, items);
    if (!result.Ok())
        return Failed(result);
    for (TDavItem &item : items)
        FFetched.insert(item.Href, std::move(item));
    return true;
}

int TRound::AddEntry(TSyncEntry entry)
{
    FEntries.emplace_back(std::move(entry));
    return int(FEntries.size()) - 1;
}

void TRound::Change(TSyncChange::TKind kind, int task, const std::optional<TTask> &fields, int entry)
{
    TSyncChange change;
    change.Kind = kind;
    change.TaskIndex = task;
    change.Task = fields;
    change.EntryIndex = entry;
    if (entry >= 0 && size_t(entry) < FBefore.Entries.size())
        change.EntryBefore = FBefore.Entries[size_t(entry)];
    FOut.Changes.push_back(std::move(change));
}

// Writes the task to the entry's item; a 412 leaves the entry's version
// unknown, so the next round reads the item again and settles it.
bool TRound::Put(int entry, const TTask &task, const QByteArray &previous, const QByteArray &etag)
{
    TSyncEntry &target = *FEntries[size_t(entry)];
    const QByteArray object = TaskToCalendarObject(task, target.Uid, previous);
    // Past the size any server takes: it stays here, unsent, and does not
    // hold up the others.
    if (object.isEmpty())
        return true;
    QByteArray newEtag;
    const TDavResult result = FClient.Put(target.Href, object, etag, newEtag);
    if (result.Failure == TDavResult::Changed) {
        target.ETag.clear();
        FKeepToken = true;
        return true;
    }
    if (result.Failure == TDavResult::Refused) {
        // This item only: the entry stays as it was, so the next round
        // tries again, and the rest of this one goes on.
        FOut.Refused << QStringLiteral("%1: %2").arg(Subject(task), result.Message);
        return true;
    }
    if (!result.Ok())
        return Failed(result);
    target.ETag = newEtag;
    target.Digest = TravellingDigest(task);
    target.Base = TravellingBytes(task);
    ++FOut.Uploaded;
    return true;
}

// Keeps the losing version's text as a task of its own, on both sides.
bool TRound::AddCopy(const TTask &version)
{
    TTask copy = version;
    copy.Text = EncodeText(ConflictPrefix() + DecodeText(version.Text));
    copy.NoteOpen = false;
    copy.Alerting = false;
    copy.Created = FreshMoment(FSnapshot.Now);
    copy.Modified = FSnapshot.Now;
    const QByteArray uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8();
    TSyncEntry entry{copy.Created, FOrdinals.Next(copy.Created), uid, FClient.HrefForUid(uid), {}, {}, {}};
    const int index = AddEntry(std::move(entry));
    Change(TSyncChange::Add, -1, copy, index);
    return Put(index, copy, {}, {});
}

// Both sides changed: the newer LAST-MODIFIED wins the task, and when the
// texts differ the other one is kept as a conflicting copy.
bool TRound::Resolve(int task, int entry, const TTask &remote, const TRemoteItem &item)
{
    const TTask &local = FSnapshot.Tasks[size_t(task)];
    TSyncEntry &target = *FEntries[size_t(entry)];
    const TDavItem fetched = FFetched.value(target.Href);
    if (TravellingDigest(local) == TravellingDigest(remote)) {
        target.ETag = fetched.ETag;
        target.Digest = TravellingDigest(local);
        target.Base = TravellingBytes(local);
        return true;
    }
    // Against the version both sides last agreed on, each field changed on
    // one side only is taken from it; a conflict is only a field changed
    // differently on both, where the newer side wins, and only the text's
    // keeps the other text as a conflicting copy.
    TTask base = local;
    if (ReadTravellingBytes(target.Base, base)) {
        const bool remoteNewer = item.LastModified > local.Modified;
        const TMergedTask merged = MergeTasks(base, local, remote, remoteNewer);
        FOut.Conflicts += merged.Conflict ? 1 : 0;
        // The server's version is taken in now: should the round stop
        // before the merged one is written, the next round must not copy
        // it again, only send the merged one.
        target.ETag = fetched.ETag;
        if (TravellingDigest(merged.Task) == TravellingDigest(remote)) {
            target.Digest = TravellingDigest(remote);
            target.Base = TravellingBytes(remote);
            Change(TSyncChange::Update, task, remote, entry);
            ++FOut.Downloaded;
            return !merged.TextConflict || AddCopy(local);
        }
        if (merged.TextConflict && !AddCopy(remoteNewer ? local : remote))
            return false;
        if (TravellingDigest(merged.Task) != TravellingDigest(local)) {
            Change(TSyncChange::Update, task, merged.Task, entry);
            ++FOut.Downloaded;
        }
        return Put(entry, merged.Task, fetched.Data, fetched.ETag);
    }
    ++FOut.Conflicts;
    const bool textsDiffer = DecodeText(local.Text) != DecodeText(remote.Text);
    if (item.LastModified > local.Modified) {
        target.ETag = fetched.ETag;
        target.Digest = TravellingDigest(remote);
        target.Base = TravellingBytes(remote);
        Change(TSyncChange::Update, task, remote, entry);
        ++FOut.Downloaded;
        return !textsDiffer || AddCopy(local);
    }
    // The server's version is copied now: should the round stop before this
    // side's version is written over it, the next round must not copy it
    // again, only send this side's version.
    target.ETag = fetched.ETag;
    if (textsDiffer && !AddCopy(remote))
        return false;
    return Put(entry, local, fetched.Data, fetched.ETag);
}

bool TRound::Process(int entry, TStep step)
{
    TSyncEntry &target = *FEntries[size_t(entry)];
    const int task = FLocalOfEntry[size_t(entry)];
    const auto fetched = FFetched.constFind(target.Href);
    const bool stillThere = fetched != FFetched.cend();
    if ((step == TStep::Download || step == TStep::Both) && !stillThere)
        step = StepFor(task >= 0, task >= 0 && LocalDigest(task) != target.Digest, false, false);
    switch (step) {
    case TStep::Keep: return true;
    case TStep::Forget: FEntries[size_t(entry)].reset(); return true;
    case TStep::DeleteLocal:
        Change(TSyncChange::Remove, task, std::nullopt, entry);
        FEntries[size_t(entry)].reset();
        ++FOut.DeletedHere;
        return true;
    case TStep::DeleteRemote: {
        const TDavResult result = FClient.Delete(target.Href, target.ETag);
        if (result.Failure == TDavResult::Changed) {
            target.ETag.clear(); // changed there meanwhile: the next round brings it back
            FKeepToken = true;
            return true;
        }
        if (!result.Ok())
            return Failed(result);
        FEntries[size_t(entry)].reset();
        ++FOut.DeletedOnServer;
        return true;
    }
    case TStep::Upload:
        return Put(entry, FSnapshot.Tasks[size_t(task)], stillThere ? fetched->Data : QByteArray(),
                   stillThere ? fetched->ETag : QByteArray());
    case TStep::Download:
    case TStep::Both: {
        TTask remote = task >= 0 ? FSnapshot.Tasks[size_t(task)] : *FSnapshot.Blank;
        TRemoteItem item;
        QString error;
        if (!CalendarObjectToTask(fetched->Data, remote, item, error)) {
            // Unreadable now: this side's version stands, and goes over it
            // at its next change.
            target.ETag = fetched->ETag;
            if (task < 0)
                target.Ordinal = -1;
            return true;
        }
        if (task < 0) { // deleted here, changed there: it comes back
            FEntries[size_t(entry)].reset();
            return ProcessNewItem(fetched->Href);
        }
        remote.Created = FSnapshot.Tasks[size_t(task)].Created; // the key stays
        if (step == TStep::Both)
            return Resolve(task, entry, remote, item);
        target.ETag = fetched->ETag;
        target.Digest = TravellingDigest(remote);
        target.Base = TravellingBytes(remote);
        Change(TSyncChange::Update, task, remote, entry);
        ++FOut.Downloaded;
        return true;
    }
    }
    return true;
}

// An item with no entry: the task it belongs to when one here carries its
// key and has no item yet, else a new task.
bool TRound::ProcessNewItem(const QString &href)
{
    const auto fetched = FFetched.constFind(href);
    if (fetched == FFetched.cend())
        return true; // gone already
    TTask remote = *FSnapshot.Blank;
    remote.Created = 0;
    TRemoteItem item;
    QString error;
    if (!CalendarObjectToTask(fetched->Data, remote, item, error)) {
        // Not a task this program can show: remembered, and left alone.
        const QByteArray uid = item.Uid.isEmpty() ? href.toUtf8() : item.Uid;
        AddEntry({0, -1, uid, href, fetched->ETag, {}, {}});
        return true;
    }
    if (item.HasKey) {
        for (size_t i = 0; i < FSnapshot.Tasks.size(); ++i) {
            if (FEntryOfLocal[i] >= 0 || FSnapshot.Tasks[i].Created != item.Key)
                continue;
            int ordinal = 0;
            for (size_t j = 0; j < i; ++j)
                ordinal += FSnapshot.Tasks[j].Created == item.Key ? 1 : 0;
            const int entry = AddEntry({item.Key, ordinal, item.Uid, href, {}, {}, {}});
            FEntryOfLocal[i] = entry;
            FLocalOfEntry.resize(FEntries.size(), -1);
            FLocalOfEntry[size_t(entry)] = int(i);
            remote.Created = item.Key;
            return Resolve(int(i), entry, remote, item);
        }
    }
    // Items of other apps often carry no moment, or the same second: each
    // task here gets one of its own. Ours keep the moment they were made
    // at, which names them on every machine.
    if (item.HasKey)
        FMoments.insert(remote.Created);
    else
        remote.Created = FreshMoment(remote.Created == 0 ? FSnapshot.Now : remote.Created);
    const int entry = AddEntry({remote.Created, FOrdinals.Next(remote.Created), item.Uid, href, fetched->ETag,
                                TravellingDigest(remote), TravellingBytes(remote)});
    Change(TSyncChange::Add, -1, remote, entry);
    ++FOut.Downloaded;
    return true;
}

bool TRound::UploadNewTask(int task)
{
    const TTask &local = FSnapshot.Tasks[size_t(task)];
    const QByteArray uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8();
    const int entry =
        AddEntry({local.Created, FOrdinalOfLocal[size_t(task)], uid, FClient.HrefForUid(uid), {}, {}, {}});
    FEntryOfLocal[size_t(task)] = entry;
    return Put(entry, local, {}, {});
}

TSyncOutcome TRound::Run(bool allowManyDeletions)
{
    // A round that stops before it has done anything keeps all it knew:
    // forgetting it would make the next round take every edit made here
    // since for a conflict, and bring back what was deleted on either side.
    FOut.State = FBefore;
    // The items are read and written with libical, opened by the first round.
    if (const QString why = IcalOnDemand::LoadError(); !why.isEmpty()) {
        Failed({TDavResult::NoLibrary, 0, why});
        return FOut;
    }
    if (!List())
        return FOut;
    Pair();

    // An item that could not be read is read again once it changes.
    for (std::optional<TSyncEntry> &entry : FEntries)
        if (entry->Ordinal < 0 && (!FRemote.contains(entry->Href) || RemoteChanged(*entry)))
            entry.reset();
    // Items new to this side are read first: one may be an item this side
    // knows, under a new address.
    QSet<QString> known;
    for (const std::optional<TSyncEntry> &entry : FEntries)
        if (entry)
            known.insert(entry->Href);
    QStringList newItems;
    for (auto it = FRemote.cbegin(); it != FRemote.cend(); ++it)
        if (!known.contains(it.key()))
            newItems << it.key();
    newItems.sort(); // the same order on every machine, for the same keys
    if (!Fetch(newItems))
        return FOut;
    Recognise(newItems);

    std::vector<TStep> steps(FEntries.size(), TStep::Keep);
    QStringList toFetch;
    int deletions = 0;
    for (size_t e = 0; e < FEntries.size(); ++e) {
        if (!FEntries[e] || FEntries[e]->Ordinal < 0)
            continue;
        const TSyncEntry &entry = *FEntries[e];
        const int task = FLocalOfEntry[e];
        const bool hasRemote = FRemote.contains(entry.Href);
        steps[e] = StepFor(task >= 0, task >= 0 && LocalDigest(task) != entry.Digest, hasRemote,
                           hasRemote && RemoteChanged(entry));
        if (steps[e] == TStep::DeleteLocal || steps[e] == TStep::DeleteRemote)
            ++deletions;
        if (hasRemote && !FFetched.contains(entry.Href) &&
            (steps[e] == TStep::Upload || steps[e] == TStep::Download || steps[e] == TStep::Both))
            toFetch << entry.Href;
    }

    // A server that lost or never kept the items (or a wrong collection)
    // looks like deletions on the other side: every task, a quarter or
    // more than a few dozen at once are asked first.
    const int tasks = int(std::max(FSnapshot.Tasks.size(), FBefore.Entries.size()));
    if (!allowManyDeletions && deletions > 0 && (deletions > KMaxQuietDeletions || deletions * 4 > tasks)) {
        TSyncOutcome ask;
        ask.Result = TSyncOutcome::AskDeletions;
        ask.DeletionsAsked = deletions;
        ask.State = FBefore;
        return ask;
    }
    if (!Fetch(toFetch))
        return FOut;

    const size_t listed = steps.size();
    bool ok = true;
    for (size_t e = 0; ok && e < listed; ++e)
        if (FEntries[e])
            ok = Process(int(e), steps[e]);
    for (qsizetype i = 0; ok && i < newItems.size(); ++i)
        ok = ProcessNewItem(newItems[i]);
    for (size_t i = 0; ok && i < FSnapshot.Tasks.size(); ++i)
        if (FEntryOfLocal[i] < 0)
            ok = UploadNewTask(int(i));

    if (ok && !FKeepToken)
        FreshToken();
    KeepOrdinals();
    // The state to keep: the entries left, with the changes pointing at
    // their new places.
    std::vector<int> newIndex(FEntries.size(), -1);
    FOut.State.Entries.clear();
    FOut.State.SyncToken = ok && !FKeepToken ? FNewToken : FBefore.SyncToken;
    for (size_t e = 0; e < FEntries.size(); ++e) {
        if (!FEntries[e])
            continue;
        newIndex[e] = int(FOut.State.Entries.size());
        FOut.State.Entries.push_back(*FEntries[e]);
    }
    for (TSyncChange &change : FOut.Changes)
        change.EntryIndex = change.EntryIndex >= 0 ? newIndex[size_t(change.EntryIndex)] : -1;
    return FOut;
}

} // namespace

TSyncSnapshot TSyncSnapshot::Take(const TTaskList &list, const TUserInfo &settings, TDateTime now)
{
    TSyncSnapshot snapshot;
    snapshot.Tasks.reserve(size_t(list.Count()));
    for (TTask *task : list.Tasks()) {
        snapshot.Tasks.push_back(*task);
        snapshot.Originals.push_back(task);
    }
    TUserInfo scratch = settings;
    const qint32 left = CascadeLeft;
    const qint32 top = CascadeTop;
    snapshot.Blank.emplace(scratch);
    CascadeLeft = left;
    CascadeTop = top;
    snapshot.Now = now;
    return snapshot;
}

QString SyncSummary(const TSyncOutcome &outcome)
{
    return QCoreApplication::translate(
               "TSyncRound", "%1 sent, %2 received, %3 deleted on the server, %4 deleted here, %5 conflicts")
        .arg(outcome.Uploaded)
        .arg(outcome.Downloaded)
        .arg(outcome.DeletedOnServer)
        .arg(outcome.DeletedHere)
        .arg(outcome.Conflicts);
}

TSyncOutcome RunSyncRound(TCalDavClient &client, const TSyncSnapshot &snapshot, const TSyncState &state,
                          bool allowManyDeletions)
{
    return TRound(client, snapshot, state).Run(allowManyDeletions);
}

TSyncApplied ApplySyncOutcome(TTaskList &list, const TSyncSnapshot &snapshot, TSyncOutcome &outcome)
{
    TSyncApplied applied;
    QSet<const TTask *> present;
    for (const TTask *task : list.Tasks())
        present.insert(task);
    std::vector<TSyncEntry> revived;
    for (TSyncChange &change : outcome.Changes) {
        if (change.Kind == TSyncChange::Add) {
            TTask *task = list.AddNewTask();
            CopyTravellingFields(*change.Task, *task);
            applied.Added.push_back(task);
            continue;
        }
        TTask *task = snapshot.Originals[size_t(change.TaskIndex)];
        const bool unchanged =
            present.contains(task) &&
            TravellingDigest(*task) == TravellingDigest(snapshot.Tasks[size_t(change.TaskIndex)]);
        if (!unchanged) {
            // Overtaken here: the entry forgets the server's version, so the
            // next round reads it again and sees both sides changed.
            ++applied.Skipped;
            if (change.EntryIndex >= 0) {
                // Merged again against the version agreed on before.
                TSyncEntry &entry = outcome.State.Entries[size_t(change.EntryIndex)];
                entry.ETag.clear();
                entry.Digest.clear();
                entry.Base = change.EntryBefore ? change.EntryBefore->Base : QByteArray();
            } else if (change.EntryBefore) {
                revived.push_back(*change.EntryBefore);
                revived.back().ETag.clear();
            }
            continue;
        }
        if (change.Kind == TSyncChange::Update) {
            CopyTravellingFields(*change.Task, *task);
            applied.Updated.push_back(task);
        } else if (list.Remove(task) >= 0) {
            present.remove(task);
            applied.Removed.push_back(task);
        }
    }
    for (TSyncEntry &entry : revived)
        outcome.State.Entries.push_back(std::move(entry));
    return applied;
}
