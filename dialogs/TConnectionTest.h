#pragma once

#include "sync/TCalDavClient.h"

#include <QObject>
#include <QString>

class QThread;

// "Test connection" of the Sync page: asks the server whether the address
// is a task list (TCalDavClient::Probe) on a thread of its own, so the
// dialog never waits for the network, and answers in plain words. A test
// still running when this object goes finishes by itself, unheard.
class TConnectionTest : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // What is wrong with a typed address before any test: empty, or not
    // http(s) with a host. Empty when it may be tried.
    static QString UrlProblem(const QString &url);

    // Starts a test with `options`; while Options.Password is empty the
    // worker runs `passwordCommand` (when given) for it first. A refused
    // password is told as `passwordProblem` when one is given (why no
    // password could be had). Ignored while a test runs.
    void Start(const TCalDavClient::TOptions &options, const QString &passwordCommand,
               const QString &passwordProblem = QString());
    bool Running() const { return FThread != nullptr; }

signals:
    // ok: "Connected: the task list is there."; else what is wrong.
    void Finished(bool ok, const QString &message);

private:
    QThread *FThread = nullptr; // the test running, until it finished
};
