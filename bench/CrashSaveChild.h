#pragma once

// A child process for the crash test of the save, started and ended with
// plain POSIX calls: the test signals it at chosen microseconds and needs
// its exact end (signalled or not), which QProcess hides behind its loop.
// Its standard output and error come through one pipe.

#include <QByteArray>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class TCrashSaveChild {
public:
    using TClockPoint = std::chrono::steady_clock::time_point;

    TCrashSaveChild() = default;
    TCrashSaveChild(const TCrashSaveChild &) = delete;
    TCrashSaveChild &operator=(const TCrashSaveChild &) = delete;
    // A child still running here is a test gone wrong: it must not outlive it.
    ~TCrashSaveChild()
    {
        if (FPid > 0 && !FEnded) {
            ::kill(FPid, SIGKILL);
            Wait();
        }
        if (FPipe >= 0)
            ::close(FPipe);
    }

    bool Start(const QString &program, const QStringList &arguments, const QStringList &environment)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        std::vector<QByteArray> store;
        store.push_back(program.toLocal8Bit());
        for (const QString &a : arguments)
            store.push_back(a.toLocal8Bit());
        const size_t argc = store.size();
        for (const QString &e : environment)
            store.push_back(e.toLocal8Bit());
        std::vector<char *> argv, envp;
        for (size_t i = 0; i < store.size(); ++i)
            (i < argc ? argv : envp).push_back(store[i].data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        const int rc = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        FPipe = fds[0];
        ::fcntl(FPipe, F_SETFL, ::fcntl(FPipe, F_GETFL) | O_NONBLOCK);
        if (rc != 0) {
            FPid = -1;
            return false;
        }
        return true;
    }

    pid_t Pid() const { return FPid; }
    const QByteArray &Output() const { return FOutput; }

    // Reads what the child wrote until `needle` appears after `from`, the
    // child ends, or the deadline passes. Returns the needle's offset or -1.
    qsizetype WaitForOutput(const QByteArray &needle, qsizetype from, TClockPoint deadline)
    {
        for (;;) {
            const qsizetype at = FOutput.indexOf(needle, from);
            if (at >= 0)
                return at;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadSome(int(left.count())))
                return -1;
        }
    }

    // Everything up to the end of its output, for short tools.
    void ReadToEnd()
    {
        while (ReadSome(60000)) {
        }
    }

    // Keeps the pipe from filling while the test does other things.
    void Drain() { ReadSome(0); }

    bool Signal(int signal) const { return FPid > 0 && !FEnded && ::kill(FPid, signal) == 0; }

    // Waits for the end and returns the wait status.
    int Wait()
    {
        if (FPid <= 0 || FEnded)
            return FStatus;
        while (::waitpid(FPid, &FStatus, 0) < 0 && errno == EINTR) {
        }
        FEnded = true;
        return FStatus;
    }

    // True once the child has ended; does not block.
    bool Ended()
    {
        if (FPid <= 0 || FEnded)
            return true;
        if (::waitpid(FPid, &FStatus, WNOHANG) == FPid)
            FEnded = true;
        return FEnded;
    }

    bool KilledBy(int signal) const { return FEnded && WIFSIGNALED(FStatus) && WTERMSIG(FStatus) == signal; }
    int ExitCode() const { return FEnded && WIFEXITED(FStatus) ? WEXITSTATUS(FStatus) : -1; }

private:
    pid_t FPid = -1;
    int FPipe = -1;
    int FStatus = 0;
    bool FEnded = false;
    QByteArray FOutput;

    // False at the end of the output or when nothing came in time.
    bool ReadSome(int timeoutMs)
    {
        if (FPipe < 0)
            return false;
        pollfd fd{FPipe, POLLIN, 0};
        const int ready = ::poll(&fd, 1, timeoutMs);
        if (ready <= 0)
            return ready < 0 && errno == EINTR;
        char buffer[4096];
        bool any = false;
        for (;;) {
            const ssize_t n = ::read(FPipe, buffer, sizeof buffer);
            if (n > 0) {
                FOutput.append(buffer, n);
                any = true;
                continue;
            }
            if (n == 0) {
                ::close(FPipe);
                FPipe = -1;
                return any;
            }
            return any || errno == EINTR || errno == EAGAIN;
        }
    }
};
