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

TTask *TTaskList::AddNewTask()
{
    FOwned.push_back(std::make_unique<TTask>(FSettings));
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
    for (qint32 i = 0; i < count; ++i)
        AddNewTask()->LoadFromStream(stream);
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
    switch (WriteFileSafely(path, SaveToBytes(), true)) {
    case TSafeWrite::Done: return;
    case TSafeWrite::CannotCreate: throw EJbxError(JbxMessages::CannotCreateFile(path));
    case TSafeWrite::WriteFailed: throw EJbxError(QString::fromLatin1(JbxMessages::StreamWrite));
    }
}
