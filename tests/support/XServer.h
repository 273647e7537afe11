#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <sys/types.h>
#include <vector>

// A private X display for tests: Xvfb on a display number it picks itself,
// optionally with a window manager (openbox) and a system tray (trayer).
// The destructor ends exactly the processes started here.
class TXServer {
public:
    TXServer() = default;
    ~TXServer();
    TXServer(const TXServer &) = delete;
    TXServer &operator=(const TXServer &) = delete;

    static bool XvfbInstalled();

    // Starts the server and waits until it, and the window manager and tray
    // host when asked for, are ready. On failure nothing stays running.
    bool Start(bool windowManager, bool trayHost, QString *error = nullptr);
    bool Running() const;

    QString Display() const; // ":93"; empty before Start
    // This process's environment pointed at the display, for Qt programs.
    QProcessEnvironment Environment() const;
    // The processes it started, the server first.
    std::vector<qint64> Pids() const { return {FPids.begin(), FPids.end()}; }

private:
    std::vector<pid_t> FPids; // in start order: Xvfb first
    int FDisplay = -1;

    pid_t Spawn(const QString &program, const QStringList &arguments, int keepFd, QString *error);
    void Stop();
};
