#pragma once

#include "base/DateTime.h"

// The program's one source of "now". Nothing else reads the system clock,
// so tests can set the time and step it without waiting.
class TClock {
public:
    static QDateTime Current();
    static TDateTime Now();
    // Midnight of the current day.
    static TDateTime Today();

    // Freezes the clock at the given local moment until Reset().
    static void Set(const QDateTime &moment);
    static void Set(TDateTime moment);
    static void Advance(qint64 msecs);
    static void Reset();
    // Whether a test has set the clock: then time stands still until moved.
    static bool IsSet();
};
