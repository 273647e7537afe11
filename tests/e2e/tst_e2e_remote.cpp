// Commands given on the command line (Jotterbox --new-note and the rest),
// sent to the running program or obeyed by a fresh start, on a private X
// display with a window manager and a tray host; what a mistyped option, a
// stranger's connection and a stranger's socket get.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <cstring>
#include <functional>
#include <grp.h>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr uid_t Nobody = 65534;
const QString SocketName = QStringLiteral("App_ZEL_Task_Sheet.socket");

struct TRun {
    int Code = -1; // -1: did not end normally in time
    QString Out;
    QString Err;
};

// A connected or listening Unix socket at `path`, as another user; -1 if not.
int UnixSocket(const QByteArray &path, bool listen)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto *where = reinterpret_cast<const sockaddr *>(&address);
    if (fd < 0 || (listen ? ::bind(fd, where, sizeof address) != 0 || ::listen(fd, 4) != 0
                          : ::connect(fd, where, sizeof address) != 0))
        return -1;
    return fd;
}

// What a peer sent or answered within two seconds, up to 64 bytes.
QByteArray ReadSome(int fd)
{
    QByteArray got;
    char buffer[64];
    pollfd wait{fd, POLLIN, 0};
    while (got.size() < 64 && ::poll(&wait, 1, 2000) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

// Runs `act` in a child process turned into the user nobody; the child's
// exit code (what `act` returned), or -1. `ready` (if given) is called in
// this process once the child said it is ready by writing to the pipe it
// is handed.
int AsNobody(const std::function<int(int readyPipe)> &act, const std::function<void()> &ready = {})
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(100);
        ::_exit(act(pipeEnds[1]));
    }
    ::close(pipeEnds[1]);
    char byte;
    pollfd wait{pipeEnds[0], POLLIN, 0};
    if (ready && ::poll(&wait, 1, 10000) > 0 && ::read(pipeEnds[0], &byte, 1) == 1)
        ready();
    ::close(pipeEnds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
} // namespace

class TestE2eRemote : public TE2eTest {
    Q_OBJECT

    QStringList Files(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    // Jotterbox run with `arguments` to its end.
    TRun Run(const QStringList &arguments) const
    {
        QProcess process;
        process.setProgram(Path("Jotterbox"));
        process.setArguments(arguments);
        process.setWorkingDirectory(FFolder);
        process.setProcessEnvironment(Environment());
        process.start();
        TRun run;
        if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
            run.Code = process.exitCode();
        run.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.Err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    // The command sent to the running program: it must end at once with 0
    // and say nothing.
    QString Sent(const QString &option) const
    {
        const TRun run = Run({option});
        if (run.Code != 0 || !run.Out.isEmpty() || !run.Err.isEmpty())
            return QStringLiteral("%1 ended with %2: %3%4").arg(option).arg(run.Code).arg(run.Out, run.Err);
        return {};
    }

    QStringList Options() const
    {
        return XDo({"search", "--onlyvisible", "--name", "^Options$"}).split(u'\n', Qt::SkipEmptyParts);
    }

    // Waits until the program shows `windows` note and list windows and
    // `options` options dialogs.
    bool Shows(TProgram &program, int windows, int options = 0) const
    {
        return Eventually([&] {
            program.Output();
            return ProgramWindows(program).size() == windows && Options().size() == options;
        });
    }

    // Whether the program has taken the command `times` times.
    bool Heard(TProgram &program, const QString &command, int times) const
    {
        return Eventually(
            [&] { return program.Output().count("jbx.events: command " + command + u'\n') == times; });
    }

    // Opens the runtime folder (and the way to it) to other users, as a
    // careless setup might; `open` false closes it again. An open one is
    // not taken for a runtime folder: it is closed again before the program
    // starts or is started.
    bool OpenTheWay(bool open, QFile::Permissions others) const
    {
        const QFile::Permissions owner(0x7700);
        return QFile::setPermissions(FDir->path(), owner | QFile::ExeOther) &&
               QFile::setPermissions(FRuntime, open ? owner | others : owner);
    }

    TProgram *Running(std::unique_ptr<TProgram> &a, std::unique_ptr<TProgram> &b) const
    {
        return a->Running() ? a.get() : b.get();
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
    }

    // The desktop entry's "Show the Task List" on a list that is up, shrunk
    // to its title: the list expands to the height it had, and the settings
    // keep that height.
    void showListExpandsAShrunkList()
    {
        QVERIFY(WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\nShowing=1\r\nV_Expanded=0\r\n"
                                             "Height=300\r\nLeft=200\r\nTop=150\r\n"))
                    .isEmpty());
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        // Shrunk, it is too low for ProgramWindows: its one window by title.
        QString list;
        QVERIFY2(Eventually([&] {
                     const QString pid = QString::number(program.Process().processId());
                     const QStringList ids =
                         XDo({"search", "--all", "--onlyvisible", "--pid", pid, "--name", "^Jotterbox$"})
                             .split(u'\n', Qt::SkipEmptyParts);
                     list = ids.size() == 1 ? ids.first() : QString();
                     return !list.isEmpty() && Geometry(list).height() > 0;
                 }),
                 qPrintable(program.Output()));
        QVERIFY(Geometry(list).height() < 64);

        QString why = Sent("--show-list");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Eventually([&] { return Geometry(list).height() == 300; }),
                 qPrintable(QStringLiteral("the list is %1 high").arg(Geometry(list).height())));
        SaveScreenshot(QStringLiteral("remote-show-list-expanded.png"));
        QCOMPARE(program.Stop(SIGTERM), 0);
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QCOMPARE(settings.Height, 300);
        QVERIFY(settings.V_Expanded);
    }

    // One running program, every command in turn, as a desktop shortcut or
    // a script would send them.
    void everyCommandReachesTheRunningProgram()
    {
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY(ProgramWindows(program).isEmpty());

        // --show-list shows and never hides; --toggle-list does both.
        QString why = Sent("--show-list");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Shows(program, 1), qPrintable(program.Output()));
        why = Sent("--show-list");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY(Heard(program, "show-list", 2));
        QVERIFY2(Shows(program, 1), qPrintable(program.Output()));
        why = Sent("--toggle-list");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Shows(program, 0), qPrintable(program.Output()));
        why = Sent("--toggle-list");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Shows(program, 1), qPrintable(program.Output()));

        why = Sent("--new-note");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Shows(program, 2), qPrintable(program.Output()));
        // Typed into at once, as a note of the hot key is.
        QVERIFY2(Eventually([&] {
                     const QString focus = XDo({"getwindowfocus"});
                     return ProgramWindows(program).contains(focus) &&
                            Geometry(focus).size() == QSize(250, 160);
                 }),
                 qPrintable("the new note has no focus: " + XDo({"getwindowfocus"})));
        SaveScreenshot(QStringLiteral("remote-list-and-note.png"));

        // Asked twice, the options come up once.
        why = Sent("--options");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Shows(program, 2, 1), qPrintable(program.Output()));
        why = Sent("--options");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY(Heard(program, "options", 2));
        QVERIFY2(Shows(program, 2, 1), qPrintable(program.Output()));

        // --exit ends it as the tray's Exit does, the dialog still open:
        // everything saved, every window kept for the next start.
        why = Sent("--exit");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(program.Process().waitForFinished(10000), "--exit did not end the program");
        QCOMPARE(program.Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.Process().exitCode(), 0);
        ReadDataFile([](const TTaskList &tasks) {
            QCOMPARE(tasks.Count(), 1);
            QCOMPARE(tasks.GetTask(0)->Text, QByteArray("New Note"));
            QVERIFY(tasks.GetTask(0)->NoteOpen);
        });
        TUserInfo settings(FFolder + u'/');
        settings.LoadSettings();
        QVERIFY(settings.Showing);
        // Nothing is left in the runtime folder for the next start.
        QCOMPARE(Files(FRuntime), QStringList());
    }

    // With none running the program starts and then obeys; --exit has
    // nothing to end and starts nothing.
    void commandsStartTheProgramWhenNoneRuns_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("windows"); // notes and the list
        QTest::addColumn<int>("options");
        QTest::newRow("--new-note") << "--new-note" << 1 << 0;
        QTest::newRow("--toggle-list") << "--toggle-list" << 1 << 0;
        QTest::newRow("--show-list") << "--show-list" << 1 << 0;
        QTest::newRow("--options") << "--options" << 0 << 1;
        QTest::newRow("--exit") << "--exit" << -1 << 0;
    }

    void commandsStartTheProgramWhenNoneRuns()
    {
        QFETCH(QString, option);
        QFETCH(int, windows);
        QFETCH(int, options);
        if (windows < 0) {
            const QStringList before = Files(FFolder);
            const TRun run = Run({option});
            QCOMPARE(run.Code, 0);
            QCOMPARE(run.Out + run.Err, QString());
            QCOMPARE(Files(FFolder), before);
            QCOMPARE(Files(FRuntime), QStringList());
            return;
        }
        TProgram program(FFolder, Environment());
        program.Process().setArguments({option});
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QVERIFY2(Shows(program, windows, options), qPrintable(program.Output()));
        // It is the running instance now: the next command reaches it.
        const QString why = Sent("--exit");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(program.Process().waitForFinished(10000), qPrintable(program.Output()));
        QCOMPARE(program.Process().exitCode(), 0);
    }

    // Two starts at the same moment: one is the instance, the other's
    // command reaches it, and each command is obeyed once.
    void twoCommandsAtOnce_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("none running") << false;
        QTest::newRow("one running") << true;
    }

    void twoCommandsAtOnce()
    {
        QFETCH(bool, running);
        std::unique_ptr<TProgram> first;
        if (running) {
            first = std::make_unique<TProgram>(FFolder, Environment());
            first->Start();
            QVERIFY2(first->WaitForIdle(), qPrintable(first->Output()));
        }
        auto note = std::make_unique<TProgram>(FFolder, Environment());
        auto list = std::make_unique<TProgram>(FFolder, Environment());
        note->Process().setArguments({"--new-note"});
        list->Process().setArguments({"--show-list"});
        note->Start();
        list->Start();
        if (running) {
            for (TProgram *sender : {note.get(), list.get()}) {
                QVERIFY(sender->Process().waitForFinished(30000));
                QCOMPARE(sender->Process().exitCode(), 0);
            }
            QVERIFY2(Shows(*first, 2), qPrintable(first->Output()));
            QCOMPARE(first->Stop(SIGTERM), 0);
            return;
        }
        // Exactly one of them stays, showing the note and the list.
        QVERIFY(Eventually([&] { return note->Running() != list->Running(); }, 30000));
        TProgram *instance = Running(note, list);
        TProgram *sender = instance == note.get() ? list.get() : note.get();
        QCOMPARE(sender->Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(sender->Process().exitCode(), 0);
        QVERIFY2(Shows(*instance, 2), qPrintable(instance->Output()));
        QCOMPARE(instance->Stop(SIGTERM), 0);
        ReadDataFile([](const TTaskList &tasks) { QCOMPARE(tasks.Count(), 1); });
    }

    // Help and the version print and end; a mistyped option says so and
    // ends with 2. None of them touches a file, nor the running program.
    void printsAndMistakesTouchNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // the start of stdout
        QTest::addColumn<QString>("err"); // all of stderr
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: Jotterbox [OPTION]\n"
                                << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "Jotterbox 1.03\n"
                                   << "";
        QTest::newRow("unknown") << QStringList{"--new-notes"} << 2 << ""
                                 << "Jotterbox: unknown option '--new-notes'\n"
                                    "Try 'Jotterbox --help' for the options.\n";
        QTest::newRow("two") << QStringList{"--exit", "--new-note"} << 2 << ""
                             << "Jotterbox: one option at a time: '--exit' and '--new-note'\n"
                                "Try 'Jotterbox --help' for the options.\n";
    }

    void printsAndMistakesTouchNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QStringList before = Files(FFolder);
        for (const bool running : {false, true}) {
            std::unique_ptr<TProgram> program;
            if (running) {
                program = std::make_unique<TProgram>(FFolder, Environment());
                program->Start();
                QVERIFY2(program->WaitForIdle(), qPrintable(program->Output()));
            }
            const QStringList runtime = Files(FRuntime);
            const TRun run = Run(arguments);
            QCOMPARE(run.Code, code);
            QVERIFY2(out.isEmpty() ? run.Out.isEmpty() : run.Out.startsWith(out), qPrintable(run.Out));
            QCOMPARE(run.Err, err);
            QCOMPARE(Files(FRuntime), runtime);
            if (running) {
                // Nothing reached it after its start.
                QString output = program->Output();
                output.remove(QRegularExpression(QStringLiteral("^jbx\\.events: platform \\S+\n"),
                                                 QRegularExpression::MultilineOption));
                QCOMPARE(output, QStringLiteral("jbx.events: notes shown\njbx.events: idle\n"));
                QCOMPARE(program->Stop(SIGTERM), 0);
            } else {
                QCOMPARE(Files(FFolder), before);
            }
        }
    }

    // The runtime folder keeps other users out. Were it open, the program
    // still turns away what another user sends...
    void messageOfAnotherUserIsRefused()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        const QString socket = FRuntime + u'/' + SocketName;
        QCOMPARE(QFileInfo(socket).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser |
                                                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner),
                 QFile::Permissions());
        // Blocked by the file's permissions at first.
        const QByteArray path = socket.toLocal8Bit();
        QVERIFY(OpenTheWay(true, QFile::ExeOther));
        QCOMPARE(AsNobody([&](int) { return UnixSocket(path, false) < 0 ? 0 : 1; }), 0);
        // Then let through by them, and turned away by the program.
        QVERIFY(QFile::setPermissions(socket, QFile::Permissions(0x7777)));
        const int answered = AsNobody([&](int) {
            const int fd = UnixSocket(path, false);
            if (fd < 0)
                return 2;
            // Cut off at once, maybe before the message is out: no answer either way.
            if (::send(fd, "new-note\n", 9, MSG_NOSIGNAL) != 9)
                return 0;
            return ReadSome(fd).isEmpty() ? 0 : 1;
        });
        QVERIFY(OpenTheWay(false, {}));
        QCOMPARE(answered, 0);
        QVERIFY2(program.WaitForLine("jbx.events: command refused: the connection is from user 65534"),
                 qPrintable(program.Output()));
        // The user's own command still gets through, and nothing else came.
        const QString why = Sent("--show-list");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QVERIFY2(Shows(program, 1), qPrintable(program.Output()));
        QVERIFY2(!program.Output().contains("command new-note"), qPrintable(program.Output()));
        QCOMPARE(program.Stop(SIGTERM), 0);
    }

    // ...and a later start sends nothing to a socket of another user where
    // its own instance's should be.
    void socketOfAnotherUserGetsNothing()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        // The lock held (by this live process), and a stranger listening.
        QLockFile lock(FRuntime + QStringLiteral("/App_ZEL_Task_Sheet.lock"));
        QVERIFY(lock.tryLock(0));
        QVERIFY(OpenTheWay(true, QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
        const QByteArray path = (FRuntime + u'/' + SocketName).toLocal8Bit();
        TRun run;
        const int heard = AsNobody(
            [&](int ready) {
                const int server = UnixSocket(path, true);
                if (server < 0 || ::write(ready, "!", 1) != 1)
                    return 2;
                pollfd wait{server, POLLIN, 0};
                if (::poll(&wait, 1, 20000) <= 0)
                    return 3; // nobody came
                const int peer = ::accept(server, nullptr, nullptr);
                return ReadSome(peer).isEmpty() ? 0 : 1;
            },
            [&] {
                if (OpenTheWay(false, {}))
                    run = Run({"--new-note"});
            });
        QCOMPARE(run.Code, 1);
        QCOMPARE(run.Err, "Jotterbox: " + QString::fromLocal8Bit(path) +
                              " belongs to another user: nothing was sent\n");
        QCOMPARE(heard, 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eRemote)
#include "tst_e2e_remote.moc"
