#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

// A second real CalDAV server for tests: Xandikos on 127.0.0.1, on a free
// port, with a temporary folder of its own. It keeps no passwords (it
// takes any); its collections live under /user/calendars/. It runs from
// Start() until Stop() or the destructor.
class TXandikos {
public:
    TXandikos();
    ~TXandikos();
    TXandikos(const TXandikos &) = delete;
    TXandikos &operator=(const TXandikos &) = delete;

    static bool Installed();

    // False with Error() when it did not come up; nothing stays running then.
    bool Start();
    void Stop();
    bool Running() const { return FProcess && FProcess->state() == QProcess::Running; }
    QString Error() const { return FError; }

    quint16 Port() const { return FPort; }
    QString User() const { return QStringLiteral("tester"); }
    QString Password() const { return QStringLiteral("any"); }
    QUrl BaseUrl() const;
    QUrl Url(const QString &collection) const; // ends in '/'

    bool CreateTaskList(const QString &name);
    // One request as another client would send it, blocking: the HTTP
    // status, 0 when no answer came.
    int Send(const QByteArray &verb, const QString &path, const QByteArray &body = {},
             const QList<QPair<QByteArray, QByteArray>> &headers = {}, QByteArray *answer = nullptr);

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<QProcess> FProcess;
    quint16 FPort = 0;
    QString FError;
};
