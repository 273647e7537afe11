#include "model/TTask.h"

#include "base/Clock.h"
#include "base/Screen.h"
#include "base/TextCodec.h"
#include "model/TStream.h"
#include "model/UnitGlobalProc.h"
#include "settings/TUserInfo.h"

qint32 CascadeLeft = 120;
qint32 CascadeTop = 120;

void ResetCascade()
{
    CascadeLeft = 120;
    CascadeTop = 120;
}

namespace {
qint32 RotationColor(const TUserInfo &settings)
{
    switch (settings.DefaultColor) {
    case 1: return settings.Color1;
    case 2: return settings.Color2;
    case 3: return settings.Color3;
    case 4: return settings.Color4;
    case 5: return settings.Color5;
    default: return 0;
    }
}
} // namespace

TTask::TTask(TUserInfo &settings)
{
    Left = CascadeLeft;
    CascadeLeft += 20;
    Top = CascadeTop;
    CascadeTop += 20;
    Width = 250;
    Height = 160;
    const QSize screen = PrimaryScreenSize();
    if (CascadeLeft > screen.width() / 2 || CascadeTop > screen.height() / 3) {
        CascadeLeft = 100;
        CascadeTop = 100;
    }

    Color = RotationColor(settings);
    if (++settings.DefaultColor > 5)
        settings.DefaultColor = 1;

    FontName = EncodeText(settings.DefaultFontName);
    FontSize = settings.DefaultFontSize;
    FontBold = settings.DefaultFontBold;
    FontItalic = settings.DefaultFontItalic;
    FontColor = settings.DefaultFontColor;

    Text = NewNoteText;

    const QDate today = TClock::Current().date();
    CreatedDayOfWeek = today.dayOfWeek();
    CreatedYear = quint16(today.year());
    CreatedMonth = quint16(today.month());
    CreatedDay = quint16(today.day());
    Created = TClock::Now();
    Modified = TClock::Now();

    if (settings.AutoDueDate)
        DueDate = DateToDateTime(today) + settings.AutoDueDateDays - 1;
    if (settings.AutoReminder)
        ReminderTime = DueDate + settings.AutoReminderTime;
}

void TTask::LoadFromStream(TStream &s)
{
    Left = s.Read<qint32>();
    Top = s.Read<qint32>();
    Width = s.Read<qint32>();
    Height = s.Read<qint32>();
    Color = s.Read<qint32>();
    FontName = ReadStreamString(s);
    FontSize = s.Read<qint32>();
    FontBold = s.ReadFlag();
    FontItalic = s.ReadFlag();
    FontColor = s.Read<qint32>();
    NoteOpen = s.ReadFlag();
    RolledUp = s.ReadFlag();
    Spare1 = s.Read<qint32>();
    Text = ReadStreamString(s);
    DueDate = s.ReadDouble();
    Spare2 = s.ReadDouble();
    ReminderTime = s.ReadDouble();
    Alerting = s.ReadFlag();
    Spare3 = s.Read<quint8>();
    Spare4 = s.Read<qint32>();
    CreatedDayOfWeek = s.Read<qint32>();
    CreatedYear = s.Read<quint16>();
    CreatedMonth = s.Read<quint16>();
    CreatedDay = s.Read<quint16>();
    Created = s.ReadDouble();
    Modified = s.ReadDouble();
    Finished = s.ReadFlag();
    Priority = s.Read<qint32>();
}

void TTask::SaveToStream(TStream &s) const
{
    s.Write(Left);
    s.Write(Top);
    s.Write(Width);
    s.Write(Height);
    s.Write(Color);
    WriteStreamString(s, FontName);
    s.Write(FontSize);
    s.WriteFlag(FontBold);
    s.WriteFlag(FontItalic);
    s.Write(FontColor);
    s.WriteFlag(NoteOpen);
    s.WriteFlag(RolledUp);
    s.Write(Spare1);
    WriteStreamString(s, Text);
    s.WriteDouble(DueDate);
    s.WriteDouble(Spare2);
    s.WriteDouble(ReminderTime);
    s.WriteFlag(Alerting);
    s.Write(Spare3);
    s.Write(Spare4);
    s.Write(CreatedDayOfWeek);
    s.Write(CreatedYear);
    s.Write(CreatedMonth);
    s.Write(CreatedDay);
    s.WriteDouble(Created);
    s.WriteDouble(Modified);
    s.WriteFlag(Finished);
    s.Write(Priority);
}
