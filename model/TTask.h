#pragma once

#include "base/DateTime.h"

#include <QByteArray>
#include <QSize>

class TMemoryStream;
class TStream;
class TUserInfo;

// Where the next new note window goes; both start at 120 and restart at
// 100 once they pass half the screen width or a third of its height.
extern qint32 CascadeLeft;
extern qint32 CascadeTop;
void ResetCascade();

// What a new task takes from outside its settings fields: the clock, the
// screen and the default font's bytes. Loading a file reads them once for
// all its records instead of once per record.
struct TTaskEnvironment {
    TDateTime Now = 0;
    TDateTime Today = 0; // midnight
    qint32 DayOfWeek = 1;
    quint16 Year = 0;
    quint16 Month = 0;
    quint16 Day = 0;
    QSize Screen;
    QByteArray DefaultFontName;

    static TTaskEnvironment Current(const TUserInfo &settings);
};

// One task: its note window's place and look, its text, dates, reminder,
// priority and finished mark. The fields stand in data file order.
class TTask {
public:
    static constexpr qint32 NoPosition = -1000; // Left when no place is stored
    static constexpr qint32 PriorityHigh = 3;
    static constexpr qint32 PriorityNormal = 2;
    static constexpr qint32 PriorityLow = 1;
    static constexpr const char *NewNoteText = "New Note";

    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    qint32 Color = 0; // 0x00BBGGRR
    QByteArray FontName;
    qint32 FontSize = 0;
    bool FontBold = false;
    bool FontItalic = false;
    qint32 FontColor = 0;
    bool NoteOpen = false;
    bool RolledUp = false;
    qint32 Spare1 = 0;
    QByteArray Text;
    TDateTime DueDate = 0;
    double Spare2 = 0;
    TDateTime ReminderTime = 0;
    bool Alerting = false;
    quint8 Spare3 = 0;
    qint32 Spare4 = 0;
    qint32 CreatedDayOfWeek = 0;
    quint16 CreatedYear = 0;
    quint16 CreatedMonth = 0;
    quint16 CreatedDay = 0;
    TDateTime Created = 0;
    TDateTime Modified = 0;
    bool Finished = false;
    qint32 Priority = PriorityNormal;

    // Fills every field with the defaults for a new task, advancing the
    // cascade and the settings' colour rotation.
    explicit TTask(TUserInfo &settings);
    TTask(TUserInfo &settings, const TTaskEnvironment &environment);

    // Overwrites the fields in order; on a read error the fields read so
    // far keep their new values.
    void LoadFromStream(TStream &stream);
    // The same without a virtual call per field, for whole files in memory.
    void LoadFromStream(TMemoryStream &stream);
    void SaveToStream(TStream &stream) const;

    bool operator==(const TTask &other) const = default;
};
