#pragma once

#include "base/DateTime.h"

#include <QByteArray>
#include <QString>
#include <vector>

// What the program remembers of one item between rounds.
struct TSyncEntry {
    // The task it belongs to: its Created moment, and its place among the
    // tasks that share that moment, in list order. Ordinal -1 marks an item
    // the program could not read as a task: it is left alone on the server.
    TDateTime Key = 0;
    int Ordinal = 0;
    QByteArray Uid;
    QString Href;
    QByteArray ETag;   // the server's version when last seen; empty: unknown
    QByteArray Digest; // the task's travelling fields when last in step
    QByteArray Base;   // and those fields themselves, to merge against; empty when unknown
};

// The sync state kept beside the data file: which item is which task, and
// the server's versions as last seen. The data file knows nothing of it, so
// the format stays as it is. A state for another address or user, or one
// that cannot be read, is no state: the next round is a full one that pairs
// tasks and items by their keys, and neither doubles nor deletes anything.
class TSyncState {
public:
    QString Url;
    QString User;
    QByteArray SyncToken;
    std::vector<TSyncEntry> Entries;

    // The data file's path with ".sync" in place of its extension.
    static QString FileNameFor(const QString &dataPath);

    // False, with the state empty, when the file is missing or damaged.
    bool Load(const QString &path);
    // Through a temporary file and a rename; false when it could not be written.
    bool Save(const QString &path) const;

    QByteArray ToBytes() const;
    bool FromBytes(const QByteArray &bytes);

    // Forgets everything when the state belongs to another collection.
    void BelongTo(const QString &url, const QString &user);
};
