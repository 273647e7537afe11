#pragma once

#include <QObject>

class QSessionManager;
class QSocketNotifier;

// Turns the ways a desktop session ends this program into one signal:
// SIGTERM, SIGHUP and SIGINT, and the session manager's request to save.
// The handler answers whether the program agrees to end.
class TSessionEnd : public QObject {
    Q_OBJECT

public:
    // Installs the signal handlers; call once, early.
    static void InstallSignalHandlers();

    explicit TSessionEnd(QObject *parent = nullptr);
    ~TSessionEnd() override;

signals:
    // A signal arrived or the session manager asks us to save and end.
    // `agree` starts true; a handler that could not save sets it false.
    void EndRequested(bool &agree);
    // Every handler agreed after a signal: the program should end now.
    void EndAgreed();

private:
    void SignalReadable();
    void CommitDataRequest(QSessionManager &manager);

    QSocketNotifier *FNotifier = nullptr;
};
