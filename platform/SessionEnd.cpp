#include "platform/SessionEnd.h"

#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
int SignalPipe[2] = {-1, -1};

#ifdef Q_OS_UNIX
void OnSignal(int signal)
{
    // Only async-signal-safe work here: the event loop does the rest.
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}
#endif
} // namespace

void TSessionEnd::InstallSignalHandlers()
{
#ifdef Q_OS_UNIX
    if (SignalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalPipe) != 0) {
        std::perror("Jotterbox: socketpair");
        return;
    }
    for (int fd : SignalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
#endif
}

TSessionEnd::TSessionEnd(QObject *parent) : QObject(parent)
{
    InstallSignalHandlers();
#ifdef Q_OS_UNIX
    if (SignalPipe[0] >= 0) {
        FNotifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
        connect(FNotifier, &QSocketNotifier::activated, this, &TSessionEnd::SignalReadable);
    }
#endif
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        // The session manager asks; answering "no" keeps the session alive.
        connect(app, &QGuiApplication::commitDataRequest, this, &TSessionEnd::CommitDataRequest,
                Qt::DirectConnection);
    }
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool TSessionEnd::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance())
        return false;
    // Agreed, and without closing a window: the final save after the loop
    // writes everything.
    event->accept();
    QCoreApplication::exit(0);
    return true;
}

TSessionEnd::~TSessionEnd() = default;

void TSessionEnd::SignalReadable()
{
#ifdef Q_OS_UNIX
    char bytes[16];
    while (::read(SignalPipe[0], bytes, sizeof bytes) > 0) {
    }
#endif
    bool agree = true;
    emit EndRequested(agree);
    if (agree)
        emit EndAgreed();
    else
        emit EndForced();
}

void TSessionEnd::CommitDataRequest(QSessionManager &manager)
{
    bool agree = true;
    emit EndRequested(agree);
    if (!agree && manager.allowsInteraction())
        manager.cancel();
}
