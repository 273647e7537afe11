#include "model/TTaskList.h"

#include "base/JbxError.h"
#include "base/SafeFile.h"
#include "model/TStream.h"
#include "model/TTask.h"
#include "model/UnitGlobalProc.h"

#include <QCryptographicHash>
#include <QFile>
#include <algorithm>

const QByteArray TTaskList::EmptyDigest =
    QCryptographicHash::hash(QByteArray(), QCryptographicHash::Md5).toHex().toUpper();

TTaskList::TTaskList(TUserInfo &settings) : Magic(DefaultMagic), Digest(EmptyDigest), FSettings(settings) {}

TTaskList::~TTaskList() = default;

TTask *TTaskList::AddNewTask() { return Append(TTaskEnvironment::Current(FSettings)); }

TTask *TTaskList::Append(const TTaskEnvironment &environment)
{
    FOwned.push_back(std::make_unique<TTask>(FSettings, environment));
    FTasks.push_back(FOwned.back().get());
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
    return index;
}

void TTaskList::DisposeRemoved(TTask *task)
{
    if (std::find(FTasks.begin(), FTasks.end(), task) != FTasks.end())
        return;
    auto owned = std::find_if(FOwned.begin(), FOwned.end(), [task](const auto &p) { return p.get() == task; });
    if (owned != FOwned.end())
        FOwned.erase(owned);
}

void TTaskList::LoadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EJbxError(JbxMessages::CannotOpenFile(path));
    // One read of the whole file: parsing from memory is many times faster
    // than field-sized reads from the device.
    TMemoryStream stream(file.readAll());
    LoadFromStream(stream);
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
    FOwned.reserve(FOwned.size() + size_t(room));
    // The clock and the screen are read once for the whole file.
    const TTaskEnvironment environment = TTaskEnvironment::Current(FSettings);
    for (qint32 i = 0; i < count; ++i)
        Append(environment)->LoadFromStream(stream);
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
    qint64 estimate = 49;
    for (const TTask *task : FTasks)
        estimate += 105 + task->FontName.size() + task->Text.size();
    stream.Reserve(estimate);
    SaveToStream(stream);
    return stream.TakeBytes();
}

void TTaskList::SaveToFile(const QString &path) const
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
    switch (WriteFileSafely(path, true, write)) {
    case TSafeWrite::Done: return;
    case TSafeWrite::CannotCreate: throw EJbxError(JbxMessages::CannotCreateFile(path));
    case TSafeWrite::WriteFailed: throw EJbxError(QString::fromLatin1(JbxMessages::StreamWrite));
    }
}
