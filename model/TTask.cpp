#include "model/TTask.h"

#include "base/Clock.h"
#include "base/Screen.h"
#include "base/TextCodec.h"
#include "model/TStream.h"
#include "model/UnitGlobalProc.h"
#include "settings/TUserInfo.h"

#include <cstring>

qint32 CascadeLeft = 120;
qint32 CascadeTop = 120;

void ResetCascade()
{
    CascadeLeft = 120;
    CascadeTop = 120;
}

namespace {
// Raw data: copies of it share no counter, so new tasks by the thousand
// cost no atomic operations on one string.
const QByteArray NewNoteBytes =
    QByteArray::fromRawData(TTask::NewNoteText, qsizetype(std::strlen(TTask::NewNoteText)));

qint32 RotationColor(const TUserInfo &settings)
{
    const int number = settings.DefaultColor;
    return number >= 1 && number <= 5 ? settings.NoteColor(number) : 0;
}
} // namespace

TTaskEnvironment TTaskEnvironment::Current(const TUserInfo &settings)
{
    TTaskEnvironment environment;
    const QDateTime now = TClock::Current();
    environment.Now = QDateTimeToDateTime(now);
    const QDate today = now.date();
    environment.Today = DateToDateTime(today);
    environment.DayOfWeek = today.dayOfWeek();
    environment.Year = quint16(today.year());
    environment.Month = quint16(today.month());
    environment.Day = quint16(today.day());
    environment.Screen = PrimaryScreenSize();
    environment.DefaultFontName = EncodeText(settings.DefaultFontName);
    return environment;
}

TTask::TTask(TUserInfo &settings) : TTask(settings, TTaskEnvironment::Current(settings)) {}

TTask::TTask(TUserInfo &settings, const TTaskEnvironment &environment)
    : FontName(environment.DefaultFontName), Text(NewNoteBytes)
{
    Left = CascadeLeft;
    CascadeLeft += 20;
    Top = CascadeTop;
    CascadeTop += 20;
    Width = 250;
    Height = 160;
    const QSize &screen = environment.Screen;
    if (CascadeLeft > screen.width() / 2 || CascadeTop > screen.height() / 3) {
        CascadeLeft = 100;
        CascadeTop = 100;
    }

    Color = RotationColor(settings);
    // Any stored index past 5 (a hand-edited file) starts the turn again.
    settings.DefaultColor = settings.DefaultColor >= 5 ? 1 : settings.DefaultColor + 1;

    FontSize = settings.DefaultFontSize;
    FontBold = settings.DefaultFontBold;
    FontItalic = settings.DefaultFontItalic;
    FontColor = settings.DefaultFontColor;

    CreatedDayOfWeek = environment.DayOfWeek;
    CreatedYear = environment.Year;
    CreatedMonth = environment.Month;
    CreatedDay = environment.Day;
    Created = environment.Now;
    Modified = environment.Now;

    if (settings.AutoDueDate)
        DueDate = environment.Today + settings.AutoDueDateDays - 1;
    if (settings.AutoReminder)
        ReminderTime = DueDate + settings.AutoReminderTime;
}

namespace {
// The record's fields in file order, once for reading and writing.
template <class Task, class Field, class Text> void VisitRecord(Task &t, Field &&field, Text &&text)
{
    field(t.Left);
    field(t.Top);
    field(t.Width);
    field(t.Height);
    field(t.Color);
    text(t.FontName);
    field(t.FontSize);
    field(t.FontBold);
    field(t.FontItalic);
    field(t.FontColor);
    field(t.NoteOpen);
    field(t.RolledUp);
    field(t.Spare1);
    text(t.Text);
    field(t.DueDate);
    field(t.Spare2);
    field(t.ReminderTime);
    field(t.Alerting);
    field(t.Spare3);
    field(t.Spare4);
    field(t.CreatedDayOfWeek);
    field(t.CreatedYear);
    field(t.CreatedMonth);
    field(t.CreatedDay);
    field(t.Created);
    field(t.Modified);
    field(t.Finished);
    field(t.Priority);
}

template <class S> void LoadRecord(TTask &task, S &s)
{
    VisitRecord(
        task, [&s](auto &value) { value = StreamRead<std::remove_reference_t<decltype(value)>>(s); },
        [&s](QByteArray &text) { ReadStreamStringInto(s, text); });
}

template <class S> void SaveRecord(const TTask &task, S &s)
{
    VisitRecord(
        task, [&s](const auto &value) { StreamWrite(s, value); },
        [&s](const QByteArray &text) { WriteStreamString(s, text); });
}
} // namespace

void TTask::LoadFromStream(TStream &stream)
{
    if (auto *memory = dynamic_cast<TMemoryStream *>(&stream))
        LoadRecord(*this, *memory);
    else
        LoadRecord(*this, stream);
}

void TTask::LoadFromStream(TMemoryStream &stream) { LoadRecord(*this, stream); }

void TTask::SaveToStream(TStream &stream) const
{
    if (auto *memory = dynamic_cast<TMemoryStream *>(&stream))
        SaveRecord(*this, *memory);
    else
        SaveRecord(*this, stream);
}
