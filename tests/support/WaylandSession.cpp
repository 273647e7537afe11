#include "support/WaylandSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {
constexpr int KStartTimeoutMs = 30000;
constexpr int KStopTimeoutMs = 5000;
const QString KSocketName = QStringLiteral("jbx-wayland");

bool GroupAlive(pid_t group) { return ::kill(-group, 0) == 0; }
} // namespace

TWaylandSession::~TWaylandSession() { Stop(); }

bool TWaylandSession::Start(QString *error)
{
    for (const char *program : {"dbus-run-session", "mutter", "Xwayland", "xwininfo"})
        if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty()) {
            *error = QStringLiteral("%1 is not installed").arg(QLatin1String(program));
            return false;
        }
    FRuntime = std::make_unique<QTemporaryDir>();
    if (!FRuntime->isValid() ||
        !QFile::setPermissions(FRuntime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        *error = QStringLiteral("no private runtime folder");
        return false;
    }
    const QString logPath = FRuntime->filePath(QStringLiteral("mutter.log"));
    const QByteArray log = QFile::encodeName(logPath);
    const QByteArray runtime = QFile::encodeName(FRuntime->path());
    const QByteArray program =
        QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")));
    const QByteArray socket = KSocketName.toLatin1();
    // Built before the fork: between it and exec only async-signal-safe calls.
    const char *argv[] = {program.constData(),
                          "--",
                          "mutter",
                          "--headless",
                          "--wayland",
                          "--virtual-monitor",
                          "1280x800",
                          "--wayland-display",
                          socket.constData(),
                          nullptr};
    // The session's environment: its own runtime folder, no display or bus
    // of the test's.
    std::vector<QByteArray> variables{"XDG_RUNTIME_DIR=" + runtime};
    for (char **variable = environ; *variable; ++variable) {
        const QByteArray entry(*variable);
        const QByteArray name = entry.left(entry.indexOf('='));
        if (name != "XDG_RUNTIME_DIR" && name != "DISPLAY" && name != "WAYLAND_DISPLAY" &&
            name != "XAUTHORITY" && name != "DBUS_SESSION_BUS_ADDRESS")
            variables.push_back(entry);
    }
    std::vector<char *> envp;
    for (QByteArray &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // A group of its own, so the compositor's helpers end with it; and
        // should the test die without cleaning up, the session goes too.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        const int out = ::open(log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || in < 0)
            _exit(127);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        execve(argv[0], const_cast<char *const *>(argv), envp.data());
        _exit(127);
    }
    if (pid < 0) {
        *error = QStringLiteral("cannot fork");
        return false;
    }
    setpgid(pid, pid); // as the child does, whichever runs first
    FGroup = pid;

    // The compositor names the X display its Xwayland serves in its log.
    const QRegularExpression announced(QStringLiteral("Using public X11 display (:\\d+)"));
    const QDeadlineTimer deadline(KStartTimeoutMs);
    QString text;
    auto alive = [pid] { return waitpid(pid, nullptr, WNOHANG) == 0; };
    while (FXDisplay.isEmpty() && alive() && !deadline.hasExpired()) {
        QFile file(logPath);
        if (file.open(QIODevice::ReadOnly))
            text = QString::fromLocal8Bit(file.readAll());
        FXDisplay = announced.match(text).captured(1);
        if (FXDisplay.isEmpty())
            QThread::msleep(50);
    }
    const QStringList cookies =
        QDir(FRuntime->path())
            .entryList({QStringLiteral(".mutter-Xwaylandauth.*")}, QDir::Files | QDir::Hidden);
    if (!cookies.isEmpty())
        FXAuthority = FRuntime->filePath(cookies.first());
    FWaylandSocket = FRuntime->filePath(KSocketName);

    // Answering X clients: Xwayland is up, and mutter manages its windows.
    bool answers = false;
    while (!FXDisplay.isEmpty() && !answers && alive() && !deadline.hasExpired()) {
        QProcess probe;
        probe.setProcessEnvironment(Environment());
        probe.start(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
        answers = probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit &&
                  probe.exitCode() == 0;
        if (!answers)
            QThread::msleep(50);
    }
    if (answers)
        return true;
    *error = QStringLiteral("mutter %1 within %2 ms; its log:\n%3")
                 .arg(alive() ? QStringLiteral("gave no X display") : QStringLiteral("ended"))
                 .arg(KStartTimeoutMs)
                 .arg(text.right(2000));
    Stop();
    return false;
}

QProcessEnvironment TWaylandSession::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), FWaylandSocket);
    environment.insert(QStringLiteral("DISPLAY"), FXDisplay);
    if (FXAuthority.isEmpty())
        environment.remove(QStringLiteral("XAUTHORITY"));
    else
        environment.insert(QStringLiteral("XAUTHORITY"), FXAuthority);
    return environment;
}

void TWaylandSession::Stop()
{
    if (FGroup <= 0)
        return;
    ::kill(-FGroup, SIGTERM);
    const QDeadlineTimer deadline(KStopTimeoutMs);
    while (GroupAlive(FGroup) && !deadline.hasExpired()) {
        waitpid(FGroup, nullptr, WNOHANG);
        QThread::msleep(10);
    }
    if (GroupAlive(FGroup))
        ::kill(-FGroup, SIGKILL);
    while (waitpid(FGroup, nullptr, 0) < 0 && errno == EINTR) {
    }
    FGroup = -1;
    FXDisplay.clear();
}
