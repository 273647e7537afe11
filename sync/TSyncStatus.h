#pragma once

#include "base/DateTime.h"

#include <QObject>
#include <QString>

// How the last sync round went, as the program keeps it for the windows
// that show it (the Options page's "Sync" tab). The program's sync runner
// sets it; windows read it and follow Changed.
class TSyncStatus : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    bool Running() const { return FRunning; }
    TDateTime LastRound() const { return FLastRound; } // 0 before the first round
    bool LastOk() const { return FLastOk; }
    QString LastResult() const { return FLastResult; } // plain words: what the round did, or what is wrong

    void SetRunning(bool running)
    {
        FRunning = running;
        emit Changed();
    }
    void SetResult(TDateTime moment, bool ok, const QString &result)
    {
        FRunning = false;
        FLastRound = moment;
        FLastOk = ok;
        FLastResult = result;
        emit Changed();
    }

signals:
    void Changed();

private:
    bool FRunning = false;
    TDateTime FLastRound = 0;
    bool FLastOk = true;
    QString FLastResult;
};
