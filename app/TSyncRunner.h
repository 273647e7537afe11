#pragma once

#include "sync/TSyncRound.h"
#include "sync/TSyncState.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

class QThread;
class QTimer;
class TSyncStatus;

// Runs the sync rounds of the running program: at start, every interval
// (longer after failures, up to an hour), a few seconds after a change,
// on request, and a last one before the final save. The server is talked
// to on a thread of its own, so the windows never wait for it; the outcome
// is applied back here, to tasks the user did not change meanwhile.
class TSyncRunner : public QObject {
    Q_OBJECT

public:
    // How long after a change its round starts; edits that follow within it
    // ride along.
    static constexpr int ChangeDelayMs = 5000;
    static constexpr int MaxBackOffMinutes = 60;

    explicit TSyncRunner(const QString &dataPath, QObject *parent = nullptr);
    ~TSyncRunner() override;

    TSyncStatus *Status() const { return FStatus; }
    // Whether the settings turn sync on and name a server.
    bool Enabled() const;

    // Takes up the settings: the first round, and the interval's timer.
    // Called again after the options changed.
    void Start();
    // A round now; one already running is followed by another.
    void SyncNow();
    // The last round, before the final save: waits at most `ms` for the
    // server, and never asks anything.
    void FinalRound(int ms);

    // The data file was saved: the state of the rounds applied to it may
    // follow it to disk.
    void DataSaved();

    // Where the password comes from when no password command is set (the
    // desktop's keyring): asked on this thread, answering when it can.
    using TPasswordAnswer = std::function<void(bool ok, const QString &password, const QString &error)>;
    using TPasswordSource = std::function<void(const QString &url, const QString &user, TPasswordAnswer)>;
    void SetPasswordSource(TPasswordSource source) { FPasswordSource = std::move(source); }

    bool Busy() const { return FPhase != TPhase::Idle; }

    // The interval's timer, and the one a change starts.
    void TimerSyncTimer();
    void TimerSyncSoonTimer();

signals:
    // Tasks changed by a round: notes were reloaded, opened or closed; the
    // list and the reminders must look again.
    void TasksChanged();
    // The round would delete this many tasks: answer with SyncNow after
    // AllowManyDeletions, or not at all. Never asked by the last round.
    void DeletionsAsked(int count);
    // A failure after rounds that went well (or the first one): said once,
    // until a round goes well again; and each task the server turned down,
    // once. Never said by the last round.
    void Problem(const QString &message);

public slots:
    // The next round may delete as many tasks as it finds deleted.
    void AllowManyDeletions();

private:
    struct TJob;

    void BeginRound(const QString &password, int timeoutMs = TCalDavClient::TOptions().TimeoutMs);
    void AskPasswordAndBegin();
    void RoundFinished();
    void Apply(TJob &job);
    void ArmInterval();
    bool WaitForRound(int ms);
    void LoadState(); // once, from its file; afresh when the settings name another collection
    QString StatePath() const;

    QString FDataPath;
    TSyncStatus *FStatus;
    QTimer *TimerSync;
    QTimer *TimerSyncSoon;
    TSyncState FState;
    bool FStateLoaded = false;
    // One thing at a time: the keyring's answer awaited, or a round on its
    // thread. Every answer and every finished round carries the generation
    // it was started in, and one that is not the current one's is dropped:
    // a late answer must not start a second round, nor a late finish apply
    // an outcome twice or delete a thread that still runs.
    enum class TPhase { Idle, AskingPassword, Running };
    TPhase FPhase = TPhase::Idle;
    quint64 FGeneration = 0;
    std::shared_ptr<TJob> FJob;
    QThread *FThread = nullptr;
    bool FAgain = false; // a round was asked for while one ran
    bool FAllowDeletions = false;
    bool FEnding = false;   // the last round: the data changes, no window opens
    bool FApplying = false; // our own changes do not start a round
    bool FChangedSinceSnapshot = false;
    bool FStateUnsaved = false; // FState is newer than its file, waiting for the data file
    int FFailures = 0;
    bool FToldProblem = false;
    QSet<QString> FToldRefused; // items the server turned down, said once each
    int FModifiedWatch = 0;
    TPasswordSource FPasswordSource;
    QString FPassword; // the keyring's answer, for the last round when the loop has ended
};
