// A command given on the command line beside the X11 hot key that does the
// same: from the exec of `Jotterbox --new-note` to the new note's window on
// screen, and from the exec of `xdotool key ctrl+alt+n` to the same. Both
// include starting a process; beside them, how long each sender process
// takes to end and /bin/true (the floor of any exec). The running program
// has 1,000 tasks; the two ways take turns.
//
//   bench_remote [--runs N]

#include "ProcessBench.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <vector>
#include <xcb/xcb.h>

using namespace ProcessBench;

namespace {

// Sees every top-level window the window manager puts on screen: its frames
// are children of the root window, mapped once their client is placed.
class TMapWatch {
public:
    explicit TMapWatch(const QString &display) : FConnection(xcb_connect(qPrintable(display), nullptr))
    {
        if (xcb_connection_has_error(FConnection))
            return;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(FConnection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(FConnection);
        FOk = true;
    }
    ~TMapWatch() { xcb_disconnect(FConnection); }
    TMapWatch(const TMapWatch &) = delete;
    TMapWatch &operator=(const TMapWatch &) = delete;

    bool Ok() const { return FOk; }

    // Forgets what was mapped so far.
    void Drain()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection))
            std::free(event);
    }

    // Waits for the next managed window (not a menu or a tooltip) to map.
    bool WaitForMap(int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection)) {
                const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                const bool mapped =
                    (event->response_type & 0x7f) == XCB_MAP_NOTIFY && !map->override_redirect;
                if (mapped)
                    FLastFrame = map->window;
                std::free(event);
                if (mapped)
                    return true;
            }
            const qint64 left = timeoutMs - clock.elapsed();
            pollfd wait{xcb_get_file_descriptor(FConnection), POLLIN, 0};
            if (left <= 0 || ::poll(&wait, 1, int(left)) <= 0)
                return false;
        }
    }

    // Asks the window last mapped to close, as its close button would, and
    // waits until it is gone: a new note left open and untouched is what
    // the next new-note command would show again instead of a new one.
    bool CloseLast(int timeoutMs)
    {
        const xcb_atom_t protocols = Atom("WM_PROTOCOLS"), close = Atom("WM_DELETE_WINDOW");
        xcb_query_tree_reply_t *tree =
            xcb_query_tree_reply(FConnection, xcb_query_tree(FConnection, FLastFrame), nullptr);
        if (!tree)
            return false;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            xcb_client_message_event_t message{};
            message.response_type = XCB_CLIENT_MESSAGE;
            message.format = 32;
            message.window = children[i];
            message.type = protocols;
            message.data.data32[0] = close;
            message.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(FConnection, 0, children[i], XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char *>(&message));
        }
        std::free(tree);
        xcb_flush(FConnection);
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection)) {
                const bool gone = (event->response_type & 0x7f) == XCB_UNMAP_NOTIFY &&
                                  reinterpret_cast<xcb_unmap_notify_event_t *>(event)->window == FLastFrame;
                std::free(event);
                if (gone)
                    return true;
            }
            const qint64 left = timeoutMs - clock.elapsed();
            pollfd wait{xcb_get_file_descriptor(FConnection), POLLIN, 0};
            if (left <= 0 || ::poll(&wait, 1, int(left)) <= 0)
                return false;
        }
    }

private:
    xcb_atom_t Atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            FConnection, xcb_intern_atom(FConnection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    xcb_connection_t *FConnection;
    xcb_window_t FLastFrame = XCB_WINDOW_NONE;
    bool FOk = false;
};

// From the exec of `program` to the next window mapped; -1 if none came.
// The window is closed again for the next run.
double Time(TMapWatch &watch, const QString &program, const QStringList &arguments,
            const QProcessEnvironment &environment)
{
    watch.Drain();
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    const double ms = watch.WaitForMap(10000) ? double(clock.nsecsElapsed()) / 1e6 : -1;
    process.waitForFinished(10000);
    if (ms >= 0 && !watch.CloseLast(10000))
        std::fprintf(stderr, "bench_remote: a note did not close\n");
    return ms;
}

double ExitTime(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 11;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("--runs"))
            runs = qMax(1, args[i + 1].toInt());

    TXServer x;
    if (!StartDisplay(x, "bench_remote"))
        return 1;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Jotterbox"));
    if (!Install(folder)) {
        std::fprintf(stderr, "bench_remote: cannot install the program\n");
        return 1;
    }
    WriteTasks(folder, 1000, 0);
    // Only the notes map: no tip of the day, no toolbar.
    QFile settings(folder + QStringLiteral("/Jotterbox.ini"));
    if (!settings.open(QIODevice::WriteOnly) ||
        settings.write("[User Interface]\r\nShowTips=0\r\nShowToolBar=0\r\n") < 0) {
        std::fprintf(stderr, "bench_remote: cannot write the settings\n");
        return 1;
    }
    settings.close();
    const QString program = folder + QStringLiteral("/Jotterbox");
    const QProcessEnvironment environment = Environment(x, dir.filePath(QStringLiteral("runtime")));
    TMapWatch watch(x.Display());
    if (!watch.Ok()) {
        std::fprintf(stderr, "bench_remote: cannot watch the display\n");
        return 1;
    }

    QProcess running;
    if (StartOne(running, program, folder, environment).Ms < 0) {
        std::fprintf(stderr, "bench_remote: the program did not start\n");
        return 1;
    }
    const QString xdotool = QStringLiteral("xdotool");
    const QStringList hotKey{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"),
                             QStringLiteral("ctrl+alt+n")};
    const QStringList command{QStringLiteral("--new-note")};
    // Warm the caches.
    Time(watch, program, command, environment);
    Time(watch, xdotool, hotKey, environment);

    std::vector<double> remote, key, remoteExit, keyExit, trueMs;
    int missed = 0;
    for (int r = 0; r < runs; ++r) {
        const double byCommand = Time(watch, program, command, environment);
        const double byKey = Time(watch, xdotool, hotKey, environment);
        if (byCommand < 0 || byKey < 0) {
            ++missed;
            continue;
        }
        remote.push_back(byCommand);
        key.push_back(byKey);
        // The senders alone, with no window to wait for: a command the
        // program takes at once, and a key nobody holds.
        remoteExit.push_back(ExitTime(program, {QStringLiteral("--show-list")}, environment));
        keyExit.push_back(ExitTime(
            xdotool,
            {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"), QStringLiteral("shift")},
            environment));
        trueMs.push_back(ExitTime(QStringLiteral("/bin/true"), {}, environment));
    }
    End(running);
    if (remote.empty()) {
        std::fprintf(stderr, "bench_remote: no note window came\n");
        return 1;
    }

    const double byCommand = Median(remote), byKey = Median(key);
    std::printf("new note, from exec to its window on screen, median of %zu runs%s:\n", remote.size(),
                missed ? qPrintable(QStringLiteral(" (%1 missed)").arg(missed)) : "");
    std::printf("  Jotterbox --new-note        %6.1f ms = %.2fx the hot key\n", byCommand, byCommand / byKey);
    std::printf("  xdotool key ctrl+alt+n      %6.1f ms (the X11 hot key)\n", byKey);
    std::printf("the sender alone, from exec to its end:\n");
    std::printf("  Jotterbox --show-list       %6.1f ms\n", Median(remoteExit));
    std::printf("  xdotool key shift           %6.1f ms\n", Median(keyExit));
    std::printf("  /bin/true                   %6.1f ms\n", Median(trueMs));
    return 0;
}
