#include "support/XServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#if JBX_HAVE_XCB
#include <cstdlib>
#include <xcb/xcb.h>
#endif

extern char **environ;

namespace {
constexpr int KStartTimeoutMs = 10000;
constexpr int KStopTimeoutMs = 3000;

// Still running, without reaping it: Running() is a question, not a wait.
bool Alive(pid_t pid)
{
    siginfo_t info{};
    return waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

#if JBX_HAVE_XCB
xcb_atom_t Atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// An EWMH window manager announces itself on the root window; a system tray
// owns the tray selection of its screen.
bool Ready(xcb_connection_t *connection, xcb_window_t root, bool trayHost)
{
    if (trayHost) {
        const xcb_atom_t tray = Atom(connection, "_NET_SYSTEM_TRAY_S0");
        xcb_get_selection_owner_reply_t *reply =
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, tray), nullptr);
        const bool owned = reply && reply->owner != XCB_NONE;
        std::free(reply);
        return owned;
    }
    const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool set = reply && xcb_get_property_value_length(reply) > 0;
    std::free(reply);
    return set;
}
#endif

// Polls until the program started as pid is ready on the display, it exits,
// or the time is up.
bool WaitUntilReady(const QString &display, const QString &program, pid_t pid, bool trayHost, QString *error)
{
#if JBX_HAVE_XCB
    xcb_connection_t *connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        *error = QStringLiteral("cannot connect to X display %1").arg(display);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const QDeadlineTimer deadline(KStartTimeoutMs);
    bool ready = false;
    while (!(ready = Ready(connection, root, trayHost)) && Alive(pid) && !deadline.hasExpired())
        QThread::msleep(20);
    xcb_disconnect(connection);
    if (!ready)
        *error = Alive(pid)
                     ? QStringLiteral("%1 was not ready within %2 ms").arg(program).arg(KStartTimeoutMs)
                     : QStringLiteral("%1 exited during start").arg(program);
    return ready;
#else
    Q_UNUSED(display);
    Q_UNUSED(pid);
    Q_UNUSED(trayHost);
    *error = QStringLiteral("cannot tell when %1 is ready: built without xcb").arg(program);
    return false;
#endif
}
} // namespace

TXServer::~TXServer() { Stop(); }

bool TXServer::XvfbInstalled() { return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty(); }

bool TXServer::Start(bool windowManager, bool trayHost, QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    if (!FPids.empty()) {
        *error = QStringLiteral("the X server runs already");
        return false;
    }

    // With -displayfd Xvfb picks a free display itself and writes its number
    // once it accepts connections, so neither a number nor a wait is guessed.
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        *error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const pid_t xvfb = Spawn(QStringLiteral("Xvfb"),
                             {QStringLiteral("-displayfd"), QString::number(pipeFds[1]),
                              QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")},
                             pipeFds[1], error);
    ::close(pipeFds[1]); // else the read below never sees the end when Xvfb dies
    QByteArray number;
    const QDeadlineTimer deadline(KStartTimeoutMs);
    while (xvfb > 0 && !number.endsWith('\n') && !deadline.hasExpired()) {
        pollfd readable{pipeFds[0], POLLIN, 0};
        const int polled = poll(&readable, 1, int(std::max<qint64>(1, deadline.remainingTime())));
        if (polled < 0 && errno == EINTR)
            continue;
        char buffer[16];
        const ssize_t got = polled > 0 ? read(pipeFds[0], buffer, sizeof buffer) : 0;
        if (got <= 0)
            break;
        number.append(buffer, got);
    }
    ::close(pipeFds[0]);
    if (xvfb <= 0)
        return false;
    bool numeric = false;
    FDisplay = number.trimmed().toInt(&numeric);
    if (!number.endsWith('\n') || !numeric) {
        *error = Alive(xvfb) ? QStringLiteral("Xvfb reported no display within %1 ms").arg(KStartTimeoutMs)
                             : QStringLiteral("Xvfb exited during start");
        Stop();
        return false;
    }

    const auto startClient = [&](const QString &program, const QStringList &arguments, bool tray) {
        const pid_t pid = Spawn(program, arguments, -1, error);
        return pid > 0 && WaitUntilReady(Display(), program, pid, tray, error);
    };
    const bool started =
        (!windowManager || startClient(QStringLiteral("openbox"), {}, false)) &&
        (!trayHost ||
         startClient(QStringLiteral("trayer"),
                     {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                      QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                      QStringLiteral("--height"), QStringLiteral("24"), QStringLiteral("--SetDockType"),
                      QStringLiteral("true"), QStringLiteral("--transparent"), QStringLiteral("false")},
                     true));
    if (!started)
        Stop();
    return started;
}

bool TXServer::Running() const { return !FPids.empty() && Alive(FPids.front()); }

QString TXServer::Display() const { return FDisplay < 0 ? QString() : QStringLiteral(":%1").arg(FDisplay); }

QProcessEnvironment TXServer::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), Display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // The test display is an X11 session of its own, whatever desktop the
    // tests were started from.
    environment.remove(QStringLiteral("XDG_SESSION_TYPE"));
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    return environment;
}

pid_t TXServer::Spawn(const QString &program, const QStringList &arguments, int keepFd, QString *error)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        *error = QStringLiteral("%1 is not installed").arg(program);
        return -1;
    }
    // Everything the child needs is built here: between fork and exec only
    // async-signal-safe calls are allowed.
    std::vector<QByteArray> strings{QFile::encodeName(path)};
    for (const QString &argument : arguments)
        strings.push_back(argument.toLocal8Bit());
    const size_t argc = strings.size();
    for (char **variable = environ; *variable; ++variable)
        if (std::strncmp(*variable, "DISPLAY=", 8) != 0)
            strings.emplace_back(*variable);
    if (FDisplay >= 0) // the clients run on our display; Xvfb itself keeps the environment as it is
        strings.push_back("DISPLAY=" + Display().toLocal8Bit());
    std::vector<char *> argv, envp;
    for (size_t i = 0; i < strings.size(); ++i)
        (i < argc ? argv : envp).push_back(strings[i].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // Should the test die without cleaning up, the child goes with it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        if (keepFd >= 0)
            fcntl(keepFd, F_SETFD, 0);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (devNull >= 0)
        ::close(devNull);
    if (pid < 0) {
        *error =
            QStringLiteral("cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(errno)));
        return -1;
    }
    FPids.push_back(pid);
    return pid;
}

void TXServer::Stop()
{
    for (pid_t pid : FPids)
        kill(pid, SIGTERM);
    std::vector<pid_t> left = FPids;
    const QDeadlineTimer deadline(KStopTimeoutMs);
    while (!left.empty()) {
        // -1 (not our child any more) counts as gone as well.
        std::erase_if(left, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
        if (left.empty() || deadline.hasExpired())
            break;
        QThread::msleep(10);
    }
    for (pid_t pid : left) {
        kill(pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    FPids.clear();
    FDisplay = -1;
}
