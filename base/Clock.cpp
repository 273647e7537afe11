#include "base/Clock.h"

#include <optional>

namespace {
std::optional<QDateTime> &Frozen()
{
    static std::optional<QDateTime> frozen;
    return frozen;
}
} // namespace

QDateTime TClock::Current() { return Frozen() ? *Frozen() : QDateTime::currentDateTime(); }

TDateTime TClock::Now() { return QDateTimeToDateTime(Current()); }

TDateTime TClock::Today() { return DateToDateTime(Current().date()); }

void TClock::Set(const QDateTime &moment) { Frozen() = moment; }

void TClock::Set(TDateTime moment) { Frozen() = DateTimeToQDateTime(moment); }

void TClock::Advance(qint64 msecs) { Frozen() = Current().addMSecs(msecs); }

void TClock::Reset() { Frozen().reset(); }

bool TClock::IsSet() { return Frozen().has_value(); }
