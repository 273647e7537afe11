#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class TStream;
class TTask;
class TUserInfo;
struct TTaskEnvironment;

// The one owning list of all tasks, in insertion order, and the reader and
// writer of the data file.
class TTaskList {
public:
    static constexpr const char *DefaultMagic = "jbx01";
    static const QByteArray EmptyDigest; // MD5 of nothing, upper-case hex
    // Tasks live in blocks of this many slots rather than one heap block
    // each: loading a large file then costs a fraction of the allocations,
    // and a slot freed by DisposeRemoved serves the next new task.
    static constexpr size_t SlotsPerBlock = 256;

    explicit TTaskList(TUserInfo &settings);
    ~TTaskList();
    TTaskList(const TTaskList &) = delete;
    TTaskList &operator=(const TTaskList &) = delete;

    QByteArray Magic;
    QByteArray Digest;

    // A new task with the creation defaults, appended at the end.
    TTask *AddNewTask();
    int Count() const { return int(FTasks.size()); }
    // Fails with "List index out of bounds (%d)".
    TTask *GetTask(int index) const;
    // The tasks in list order, for callers that walk them all.
    const std::vector<TTask *> &Tasks() const { return FTasks; }

    // Takes the task out of the list and returns its former position, or -1.
    // The task stays valid (a note window may still show it) until
    // DisposeRemoved or the end of the list.
    int Remove(TTask *task);
    void DisposeRemoved(TTask *task);

    // Appends the tasks of the file. On a read error the tasks read so far
    // stay, the one being read with the fields it got, and the error goes on.
    // Answers how many bytes follow the last task the file counts, which a
    // whole file written by this program never has.
    qint64 LoadFromFile(const QString &path);
    void LoadFromStream(TStream &stream);

    // Writes through a temporary file renamed over the old one, so a failed
    // save leaves the previous file whole. A file that already holds these
    // bytes is left alone unless `rewriteSame` (a backup is made afresh).
    // A failure's cause in the system's words goes to `reason`, when given.
    void SaveToFile(const QString &path, bool rewriteSame = false, QString *reason = nullptr) const;
    void SaveToStream(TStream &stream) const;
    QByteArray SaveToBytes() const;

private:
    TTask *Append(const TTaskEnvironment &environment);

    struct TBlock;
    struct TBlockDeleter {
        void operator()(TBlock *block) const;
    };

    TUserInfo &FSettings;
    std::vector<TTask *> FTasks;
    std::vector<TTask *> FRemoved; // out of the list, still alive
    std::vector<std::unique_ptr<TBlock, TBlockDeleter>> FBlocks;
    size_t FSlotsUsed = SlotsPerBlock; // in the last block
    std::vector<void *> FFreeSlots;
};
