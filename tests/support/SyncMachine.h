#pragma once

// A program folder in the test process that syncs with a test server: its
// settings, its tasks and its sync state, and a round as the program runs
// it. Tests of the sync and its benchmark stand two of them side by side.
#include "base/Clock.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TRadicale.h"
#include "sync/TSyncRound.h"
#include "sync/VTodo.h"

#include <QStringList>
#include <QTemporaryDir>

// One program folder: its settings, its tasks and its sync state.
struct TSyncMachine {
    QTemporaryDir Dir;
    TUserInfo Settings{Dir.path() + u'/'};
    TTaskList List{Settings};
    TSyncState State;
    TCalDavClient::TOptions Options;
    TSyncApplied Applied;

    TSyncMachine(const TRadicale &server, const QString &collection)
        : TSyncMachine(server.Url(collection), server.User(), server.Password())
    {
    }
    TSyncMachine(const QUrl &url, const QString &user, const QString &password)
    {
        Options.Url = url;
        Options.User = user;
        Options.Password = password;
        State.BelongTo(Options.Url.toString(), Options.User);
    }

    TTask *Add(const QByteArray &text)
    {
        TTask *task = List.AddNewTask();
        task->Text = text;
        task->Created = TClock::Now();
        task->Modified = TClock::Now();
        TClock::Advance(1000);
        return task;
    }

    // A round as the program runs it: snapshot, round, apply, keep the state.
    TSyncOutcome Round(bool allowManyDeletions = false)
    {
        TCalDavClient client(Options);
        const TSyncSnapshot snapshot = TSyncSnapshot::Take(List, Settings, TClock::Now());
        TSyncOutcome outcome = RunSyncRound(client, snapshot, State, allowManyDeletions);
        if (outcome.Result != TSyncOutcome::AskDeletions) {
            Applied = ApplySyncOutcome(List, snapshot, outcome);
            for (TTask *task : Applied.Removed)
                List.DisposeRemoved(task);
            State = outcome.State;
        }
        return outcome;
    }

    QStringList Texts() const
    {
        QStringList texts;
        for (const TTask *task : List.Tasks())
            texts << DecodeText(task->Text);
        texts.sort();
        return texts;
    }

    const TTask *Find(const QString &text) const
    {
        for (const TTask *task : List.Tasks())
            if (DecodeText(task->Text) == text)
                return task;
        return nullptr;
    }
};

inline QByteArray Digest(const TTask &task) { return TravellingDigest(task); }
