#include "model/TTaskList.h"

#include "base/JbxError.h"
#include "base/SafeFile.h"
#include "model/TStream.h"
#include "model/TTask.h"
#include "model/UnitGlobalProc.h"

#include <QCryptographicHash>
#include <QFile>
#include <algorithm>
#include <cstddef>
#include <new>

const QByteArray TTaskList::EmptyDigest =
    QCryptographicHash::hash(QByteArray(), QCryptographicHash::Md5).toHex().toUpper();

TTaskList::TTaskList(TUserInfo &settings) : Magic(DefaultMagic), Digest(EmptyDigest), FSettings(settings) {}

struct TTaskList::TBlock {
    alignas(TTask) std::byte Slots[sizeof(TTask) * SlotsPerBlock];
};

void TTaskList::TBlockDeleter::operator()(TBlock *block) const { delete block; }

TTaskList::~TTaskList()
{
    for (TTask *task : FTasks)
        task->~TTask();
    for (TTask *task : FRemoved)
        task->~TTask();
}

TTask *TTaskList::AddNewTask() { return Append(TTaskEnvironment::Current(FSettings)); }

TTask *TTaskList::Append(const TTaskEnvironment &environment)
{
    void *slot;
    if (!FFreeSlots.empty()) {
        slot = FFreeSlots.back();
        FFreeSlots.pop_back();
    } else {
        if (FSlotsUsed == SlotsPerBlock) {
            FBlocks.emplace_back(new TBlock); // slots are raw memory: no zeroing
            FSlotsUsed = 0;
        }
        slot = FBlocks.back()->Slots + sizeof(TTask) * FSlotsUsed++;
    }
    FTasks.push_back(new (slot) TTask(FSettings, environment));
    return FTasks.back();
}

TTask *TTaskList::GetTask(int index) const
{
    if (index < 0 || index >= Count())
        throw EJbxError(JbxMessages::ListIndexOutOfBounds(index));
    return FTasks[size_t(index)];
}

int TTaskList::Remove(TTask *task)
{
    auto found = std::find(FTasks.begin(), FTasks.end(), task);
    if (found == FTasks.end())
        return -1;
    const int index = int(found - FTasks.begin());
    FTasks.erase(found);
    FRemoved.push_back(task);
    return index;
}

void TTaskList::DisposeRemoved(TTask *task)
{
    auto removed = std::find(FRemoved.begin(), FRemoved.end(), task);
    if (removed == FRemoved.end())
        return; // still in the list, or not ours
    FRemoved.erase(removed);
    task->~TTask();
    FFreeSlots.push_back(task);
}

qint64 TTaskList::LoadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EJbxError(JbxMessages::CannotOpenFile(path));
    // One read of the whole file: parsing from memory is many times faster
    // than field-sized reads from the device.
    TMemoryStream stream(file.readAll());
    LoadFromStream(stream);
    return stream.BytesLeft();
}

void TTaskList::LoadFromStream(TStream &stream)
{
    ReadStreamString(stream); // the magic is not checked: any file is taken
    Digest = ReadStreamString(stream);
    const qint32 count = stream.Read<qint32>();
    if (count <= 0)
        return;
    // A record takes at least 105 bytes, so the room reserved never exceeds
    // what the file can hold, whatever count it claims.
    const qint64 left = stream.BytesLeft();
    const qint64 room = qMin<qint64>(count, left >= 0 ? left / 105 + 1 : 0);
    FTasks.reserve(FTasks.size() + size_t(room));
    // The clock and the screen are read once for the whole file.
    const TTaskEnvironment environment = TTaskEnvironment::Current(FSettings);
    auto *memory = dynamic_cast<TMemoryStream *>(&stream);
    for (qint32 i = 0; i < count; ++i) {
        TTask *task = Append(environment);
        if (memory)
            task->LoadFromStream(*memory);
        else
            task->LoadFromStream(stream);
    }
}

void TTaskList::SaveToStream(TStream &stream) const
{
    WriteStreamString(stream, Magic);
    WriteStreamString(stream, Digest);
    stream.Write<qint32>(qint32(FTasks.size()));
    for (const TTask *task : FTasks)
        task->SaveToStream(stream);
}

QByteArray TTaskList::SaveToBytes() const
{
    TMemoryStream stream;
    // The exact size: a short guess would double the buffer near its end.
    qint64 estimate = 3 * 4 + Magic.size() + Digest.size();
    for (const TTask *task : FTasks)
        estimate += 105 + task->FontName.size() + task->Text.size();
    stream.Reserve(estimate);
    SaveToStream(stream);
    return stream.TakeBytes();
}

void TTaskList::SaveToFile(const QString &path, bool rewriteSame, QString *reason) const
{
    const auto write = [this](QIODevice &file) {
        // A megabyte at a time: serializing a large list into one buffer
        // would cost more in fresh memory than the write itself.
        TMemoryStream stream;
        stream.SpillTo(file, 1 << 20);
        SaveToStream(stream);
        stream.Flush();
        return true;
    };
    switch (WriteFileSafely(path, true, write, rewriteSame, reason)) {
    case TSafeWrite::Done: return;
    case TSafeWrite::CannotCreate: throw EJbxError(JbxMessages::CannotCreateFile(path));
    case TSafeWrite::WriteFailed: throw EJbxError(JbxMessages::Text(JbxMessages::StreamWrite));
    }
}
