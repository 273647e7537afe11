#include "app/TSyncRunner.h"

#include "app/TFormMain.h"
#include "base/Clock.h"
#include "base/EventLog.h"
#include "base/LocaleFormats.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "model/UnitGlobalProc.h"
#include "notes/NoteWindows.h"
#include "notes/TaskSheetMessage.h"
#include "settings/TUserInfo.h"
#include "sync/PasswordCommand.h"
#include "sync/TSyncStatus.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <utility>

// What one round takes to its thread and brings back.
struct TSyncRunner::TJob {
    TSyncSnapshot Snapshot;
    TSyncState State;
    TCalDavClient::TOptions Options;
    QString PasswordCommand;
    bool AllowManyDeletions = false;
    TSyncOutcome Outcome;
};

namespace {

void RunJobOnItsThread(TSyncOutcome &outcome, TCalDavClient::TOptions options, const QString &passwordCommand,
                       const TSyncSnapshot &snapshot, const TSyncState &state, bool allowManyDeletions)
{
    if (!passwordCommand.isEmpty()) {
        QString error;
        if (!RunPasswordCommand(passwordCommand, options.Password, error)) {
            outcome.Result = TSyncOutcome::Failed;
            outcome.Failure.Failure = TDavResult::WrongPassword;
            outcome.Failure.Message = error;
            outcome.State = state;
            return;
        }
    }
    TCalDavClient client(options);
    outcome = RunSyncRound(client, snapshot, state, allowManyDeletions);
}

} // namespace

TSyncRunner::TSyncRunner(const QString &dataPath, QObject *parent)
    : QObject(parent), FDataPath(dataPath), FStatus(new TSyncStatus(this)), TimerSync(new QTimer(this)),
      TimerSyncSoon(new QTimer(this))
{
    TimerSync->setObjectName(QStringLiteral("TimerSync"));
    TimerSyncSoon->setObjectName(QStringLiteral("TimerSyncSoon"));
    TimerSync->setSingleShot(true);
    TimerSyncSoon->setSingleShot(true);
    TimerSyncSoon->setInterval(ChangeDelayMs);
    connect(TimerSync, &QTimer::timeout, this, &TSyncRunner::TimerSyncTimer);
    connect(TimerSyncSoon, &QTimer::timeout, this, &TSyncRunner::TimerSyncSoonTimer);
    FModifiedWatch = DataModified.Watch([this] {
        if (FApplying || !Enabled())
            return;
        FChangedSinceSnapshot = true;
        TimerSyncSoon->start();
    });
}

TSyncRunner::~TSyncRunner()
{
    DataModified.Unwatch(FModifiedWatch);
    if (FThread && !WaitForRound(5000)) {
        // A thread still talking to a server is left to the process's end
        // rather than destroyed while it runs.
        FThread->setParent(nullptr);
        FThread = nullptr;
    }
}

bool TSyncRunner::Enabled() const { return UserInfo().SyncEnabled && !UserInfo().SyncUrl.isEmpty(); }

QString TSyncRunner::StatePath() const { return TSyncState::FileNameFor(FDataPath); }

void TSyncRunner::Start()
{
    FPassword.clear(); // the keyring is asked afresh: the password may have changed
    if (!Enabled()) {
        TimerSync->stop();
        TimerSyncSoon->stop();
        return;
    }
    SyncNow();
}

void TSyncRunner::SyncNow()
{
    if (!Enabled())
        return;
    if (FPhase != TPhase::Idle) {
        FAgain = true;
        return;
    }
    AskPasswordAndBegin();
}

void TSyncRunner::AllowManyDeletions()
{
    FAllowDeletions = true;
    SyncNow();
}

void TSyncRunner::TimerSyncTimer() { SyncNow(); }

void TSyncRunner::TimerSyncSoonTimer() { SyncNow(); }

void TSyncRunner::AskPasswordAndBegin()
{
    const TUserInfo &settings = UserInfo();
    if (!settings.SyncPasswordCommand.isEmpty() || !FPasswordSource) {
        BeginRound(QString());
        return;
    }
    FStatus->SetRunning(true);
    FPhase = TPhase::AskingPassword;
    FPasswordSource(settings.SyncUrl, settings.SyncUser,
                    [this, guard = QPointer<TSyncRunner>(this),
                     generation = ++FGeneration](bool ok, const QString &password, const QString &error) {
                        if (!guard || generation != FGeneration || FPhase != TPhase::AskingPassword)
                            return;
                        FPhase = TPhase::Idle;
                        if (ok) {
                            FPassword = password;
                            BeginRound(password);
                            return;
                        }
                        auto job = std::make_shared<TJob>();
                        job->Outcome.Result = TSyncOutcome::Failed;
                        job->Outcome.Failure.Failure = TDavResult::WrongPassword;
                        job->Outcome.Failure.Message = error;
                        LoadState();
                        job->Outcome.State = FState;
                        FJob = job;
                        RoundFinished();
                    });
}

void TSyncRunner::BeginRound(const QString &password, int timeoutMs)
{
    if (FPhase == TPhase::Running)
        return;
    const TUserInfo &settings = UserInfo();
    LoadState();

    auto job = std::make_shared<TJob>();
    job->Snapshot = TSyncSnapshot::Take(TaskList(), settings, TClock::Now());
    job->State = FState;
    job->Options.Url = QUrl(settings.SyncUrl);
    job->Options.User = settings.SyncUser;
    job->Options.Password = password;
    job->Options.CaFile = settings.SyncCaFile;
    job->Options.TimeoutMs = timeoutMs;
    job->PasswordCommand = settings.SyncPasswordCommand;
    job->AllowManyDeletions = FAllowDeletions;
    FAllowDeletions = false;
    FChangedSinceSnapshot = false;
    FJob = job;
    TimerSyncSoon->stop();
    FStatus->SetRunning(true);
    FThread = QThread::create([job] {
        RunJobOnItsThread(job->Outcome, job->Options, job->PasswordCommand, job->Snapshot, job->State,
                          job->AllowManyDeletions);
    });
    FThread->setObjectName(QStringLiteral("SyncRound"));
    FPhase = TPhase::Running;
    connect(FThread, &QThread::finished, this, [this, generation = ++FGeneration] {
        if (generation == FGeneration && FPhase == TPhase::Running)
            RoundFinished();
    });
    FThread->start(QThread::LowPriority);
}

void TSyncRunner::LoadState()
{
    if (!FStateLoaded) {
        FState.Load(StatePath());
        FStateLoaded = true;
    }
    FState.BelongTo(UserInfo().SyncUrl, UserInfo().SyncUser);
}

bool TSyncRunner::WaitForRound(int ms)
{
    if (!FThread)
        return true;
    if (!FThread->wait(QDeadlineTimer(ms)))
        return false;
    RoundFinished();
    return true;
}

void TSyncRunner::RoundFinished()
{
    if (FThread) {
        // Also reached by WaitForRound before the queued finished signal,
        // which then finds the phase gone by.
        disconnect(FThread, &QThread::finished, this, nullptr);
        FThread->deleteLater();
        FThread = nullptr;
    }
    FPhase = TPhase::Idle;
    const std::shared_ptr<TJob> job = std::move(FJob);
    if (!job)
        return;
    TSyncOutcome &outcome = job->Outcome;
    const TDateTime now = TClock::Now();
    switch (outcome.Result) {
    case TSyncOutcome::AskDeletions:
        FStatus->SetResult(now, false,
                           tr("Waiting: the round would delete %1 tasks.").arg(outcome.DeletionsAsked));
        // Nobody answers at the end: the deletions wait for the next start.
        if (!FEnding)
            emit DeletionsAsked(outcome.DeletionsAsked);
        break;
    case TSyncOutcome::Done:
    case TSyncOutcome::Failed: Apply(*job); break;
    }
    if (outcome.Result == TSyncOutcome::Failed) {
        ++FFailures;
        WriteDebugLog(QStringLiteral("Sync failed: ") + outcome.Failure.Message);
        qCInfo(lcJbxEvents, "sync failed: %s", qPrintable(outcome.Failure.Message));
        FStatus->SetResult(now, false, outcome.Failure.Message);
        if (!FToldProblem && !FEnding) {
            FToldProblem = true;
            emit Problem(outcome.Failure.Message);
        }
    } else if (outcome.Result == TSyncOutcome::Done) {
        FFailures = 0;
        FToldProblem = false;
        FStatus->SetResult(now, true, SyncSummary(outcome));
        qCInfo(lcJbxEvents, "sync done: %s", qPrintable(SyncSummary(outcome)));
    }
    for (const QString &refused : std::as_const(outcome.Refused)) {
        WriteDebugLog(QStringLiteral("Sync: the server turned down ") + refused);
        if (!FEnding && !FToldRefused.contains(refused)) {
            FToldRefused.insert(refused);
            emit Problem(refused);
        }
    }
    ArmInterval();
    if (std::exchange(FAgain, false) || (FChangedSinceSnapshot && outcome.Result == TSyncOutcome::Done))
        TimerSyncSoon->start();
}

void TSyncRunner::Apply(TJob &job)
{
    // Which notes were up before: those reload, the others may open.
    QHash<const TTask *, bool> wasOpen;
    for (size_t i = 0; i < job.Snapshot.Originals.size(); ++i)
        wasOpen.insert(job.Snapshot.Originals[i], job.Snapshot.Tasks[i].NoteOpen);
    const TSyncApplied applied = ApplySyncOutcome(TaskList(), job.Snapshot, job.Outcome);
    FState = job.Outcome.State;
    // The state on disk never runs ahead of the data file: after a crash, a
    // state that knows tasks the file lacks would have the next round delete
    // them on the server, or send their old text over the new. It is written
    // with the data file, or now when the file holds everything already.
    const bool nothingApplied = applied.Added.empty() && applied.Updated.empty() && applied.Removed.empty();
    FStateUnsaved = true;
    if (nothingApplied) {
        if (!DataModified)
            DataSaved();
        return;
    }

    FApplying = true;
    // The program is ending: the tasks change and are saved; no window
    // opens or reloads any more.
    if (FEnding) {
        DataModified.Mark();
        FApplying = false;
        return;
    }
    // The task stays alive after Remove while its note closes.
    for (TTask *task : applied.Removed)
        SendTaskSheetMessage(TaskSheetClose, task);
    for (TTask *task : applied.Updated) {
        if (wasOpen.value(task))
            SendTaskSheetMessage(TaskSheetReload, task);
        else if (task->NoteOpen)
            CreateNoteWindow(task);
    }
    for (TTask *task : applied.Added)
        if (task->NoteOpen)
            CreateNoteWindow(task);
    DataModified.Mark();
    FApplying = false;
    emit TasksChanged();
}

void TSyncRunner::DataSaved()
{
    if (std::exchange(FStateUnsaved, false) && !FState.Save(StatePath()))
        WriteDebugLog(QStringLiteral("Sync: could not write ") + StatePath());
}

void TSyncRunner::ArmInterval()
{
    if (!Enabled()) {
        TimerSync->stop();
        return;
    }
    const int interval = std::clamp(UserInfo().SyncIntervalMinutes, 1, 24 * 60);
    // After failures the server gets longer and longer to come back.
    const int minutes = std::min(interval << std::min(FFailures, 6), std::max(interval, MaxBackOffMinutes));
    TimerSync->start(minutes * 60 * 1000);
}

void TSyncRunner::FinalRound(int ms)
{
    TimerSync->stop();
    TimerSyncSoon->stop();
    if (!Enabled())
        return;
    FEnding = true;
    const QDeadlineTimer deadline(ms);
    // A round under way is awaited; a new one only when it missed changes.
    // A keyring answer still awaited is dropped: the loop that brings it
    // has ended.
    if (FPhase == TPhase::AskingPassword) {
        FPhase = TPhase::Idle;
        ++FGeneration;
    }
    const bool wasRunning = FThread != nullptr;
    if (wasRunning && !WaitForRound(int(deadline.remainingTime())))
        return;
    if (wasRunning && !FChangedSinceSnapshot)
        return;
    // The keyring answers through the event loop, which has ended: its
    // last answer serves.
    if (UserInfo().SyncPasswordCommand.isEmpty() && FPasswordSource && FPassword.isEmpty())
        return;
    BeginRound(FPassword, int(std::max<qint64>(1, deadline.remainingTime())));
    WaitForRound(int(deadline.remainingTime()) + 1000);
}
