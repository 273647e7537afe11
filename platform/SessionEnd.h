#pragma once

#include <QObject>

class QSessionManager;
class QSocketNotifier;

// Turns the ways a desktop session ends this program into one signal:
// SIGTERM, SIGHUP and SIGINT, and the session manager's request to save.
// The handler answers whether the program agrees to end.
// While it lives, a request to quit the application (the session manager's
// last word, quit()) only ends the event loop: Qt would first close every
// window as if the user had, and the windows are to be destroyed after the
// loop, keeping what they show for the next start.
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
    // A handler could not save everything, but a signal is the system's
    // stop: it is followed by a kill, which would lose what the end can
    // still save elsewhere. The program ends now all the same.
    void EndForced();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SignalReadable();
    void CommitDataRequest(QSessionManager &manager);

    QSocketNotifier *FNotifier = nullptr;
};
