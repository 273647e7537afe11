#include "sync/TaskMerge.h"

#include "base/TextCodec.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <type_traits>

namespace {

constexpr quint8 KFormat = 1;

// Every field the merge weighs on its own, in the order they are kept.
template <typename TVisit> void VisitMergedFields(TVisit &&visit)
{
    visit(&TTask::Text);
    visit(&TTask::DueDate);
    visit(&TTask::ReminderTime);
    visit(&TTask::Priority);
    visit(&TTask::Finished);
    visit(&TTask::Color);
    visit(&TTask::FontColor);
    visit(&TTask::Left);
    visit(&TTask::Top);
    visit(&TTask::Width);
    visit(&TTask::Height);
    visit(&TTask::FontName);
    visit(&TTask::FontSize);
    visit(&TTask::FontBold);
    visit(&TTask::FontItalic);
    visit(&TTask::NoteOpen);
    visit(&TTask::RolledUp);
}

// Texts compare as the words they say, whatever their encoding.
template <typename TValue> bool Same(const TValue &a, const TValue &b, bool text)
{
    if constexpr (std::is_same_v<TValue, QByteArray>)
        if (text)
            return DecodeText(a) == DecodeText(b);
    return a == b;
}

} // namespace

QByteArray TravellingBytes(const TTask &task)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << KFormat;
    VisitMergedFields([&](auto field) { out << task.*field; });
    out << task.Created << task.Modified;
    return bytes;
}

bool ReadTravellingBytes(const QByteArray &bytes, TTask &task)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint8 format = 0;
    in >> format;
    if (format != KFormat)
        return false;
    TTask read = task;
    VisitMergedFields([&](auto field) { in >> read.*field; });
    in >> read.Created >> read.Modified;
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return false;
    task = read;
    return true;
}

TMergedTask MergeTasks(const TTask &base, const TTask &local, const TTask &remote, bool remoteNewer)
{
    TMergedTask merged{local};
    VisitMergedFields([&](auto field) {
        bool text = false;
        if constexpr (std::is_same_v<decltype(field), QByteArray TTask::*>)
            text = field == &TTask::Text;
        const bool localChanged = !Same(local.*field, base.*field, text);
        const bool remoteChanged = !Same(remote.*field, base.*field, text);
        if (!remoteChanged || Same(local.*field, remote.*field, text))
            return;
        if (localChanged) {
            merged.Conflict = true;
            merged.TextConflict = merged.TextConflict || text;
            if (!remoteNewer)
                return;
        }
        merged.Task.*field = remote.*field;
    });
    merged.Task.Modified = std::max(local.Modified, remote.Modified);
    return merged;
}
