#pragma once

// Watches the program folder through inotify: the moment a file is written
// and closed (the program's debug log line that opens a save) or renamed
// into place (a data file, backup or settings file committed). The kernel
// queues the events; the program is neither slowed nor told.

#include <QByteArray>

#include <chrono>
#include <deque>
#include <optional>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

class TCrashSaveWatch {
public:
    using TClockPoint = std::chrono::steady_clock::time_point;

    struct TEvent {
        QByteArray Name;
        uint32_t Mask = 0;
        TClockPoint Seen; // when this process read it
    };

    explicit TCrashSaveWatch(const QByteArray &folder)
    {
        FFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (FFd >= 0)
            inotify_add_watch(FFd, folder.constData(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
    }
    ~TCrashSaveWatch()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TCrashSaveWatch(const TCrashSaveWatch &) = delete;
    TCrashSaveWatch &operator=(const TCrashSaveWatch &) = delete;

    bool Valid() const { return FFd >= 0; }

    // The next event, waiting for it until the deadline.
    std::optional<TEvent> Next(TClockPoint deadline)
    {
        while (FQueue.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd fd{FFd, POLLIN, 0};
            // Rounded up, so a deadline a fraction of a millisecond away is not
            // turned into a busy loop.
            const int ready = ::poll(&fd, 1, left.count() < 0 ? 0 : int(left.count()) + 1);
            if (ready > 0)
                ReadAll();
            else if (std::chrono::steady_clock::now() >= deadline)
                return std::nullopt;
        }
        TEvent event = FQueue.front();
        FQueue.pop_front();
        return event;
    }

    // Forgets every event so far.
    void Clear()
    {
        ReadAll();
        FQueue.clear();
    }

private:
    int FFd = -1;
    std::deque<TEvent> FQueue;

    void ReadAll()
    {
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t n = ::read(FFd, buffer, sizeof buffer);
            if (n <= 0)
                return;
            const TClockPoint now = std::chrono::steady_clock::now();
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                TEvent e;
                e.Name = QByteArray(event->len ? event->name : "");
                e.Mask = event->mask;
                e.Seen = now;
                FQueue.push_back(e);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }
};
