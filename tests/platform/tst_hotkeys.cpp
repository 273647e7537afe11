#include "platform/THotKeys.h"
#include "support/XServer.h"

#include <QAbstractNativeEventFilter>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeySequence>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

#if JBX_HAVE_XCB
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#endif

// The X11 cases need a QGuiApplication on xcb, and this process's one is
// offscreen for good. So they run this program again as a child on a private
// Xvfb display. The child takes one command a line on stdin, answers each
// with one line on stdout, and reports every hot key press as "pressed <id>",
// preceded by "keypress <state in hex>" with the raw X modifier state.
namespace {
const char KChildFlag[] = "--x11-child";
constexpr int KWaitMs = 10000;

void Say(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

#if JBX_HAVE_XCB
class TKeyProbe : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if (eventType == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_KEY_PRESS)
            Say("keypress " +
                QByteArray::number(reinterpret_cast<const xcb_key_press_event_t *>(event)->state, 16));
        return false;
    }
};
#endif

int RunChild(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    std::unique_ptr<THotKeys> hotKeys;
#if JBX_HAVE_XCB
    TKeyProbe probe;
#endif
    const auto create = [&] {
        hotKeys = std::make_unique<THotKeys>();
        QObject::connect(hotKeys.get(), &THotKeys::Pressed,
                         [](int id) { Say("pressed " + QByteArray::number(id)); });
#if JBX_HAVE_XCB
        // The newest filter runs first: the probe sees a press before THotKeys takes it.
        app.removeNativeEventFilter(&probe);
        app.installNativeEventFilter(&probe);
#endif
    };
    create();
    if (!hotKeys->Available()) {
        Say("unavailable " + hotKeys->UnavailableReason().toUtf8());
        return 1;
    }
    Say("ready");

    const auto run = [&](const QList<QByteArray> &words) -> QByteArray {
        const QByteArray &command = words[0];
        const int id = words.value(1).toInt();
        if (command == "register" && words.size() == 3) {
            const QKeyCombination combination = QKeySequence::fromString(QString::fromUtf8(words[2]))[0];
            const bool ok = hotKeys->Register(id, combination.key(), combination.keyboardModifiers());
            return words[0] + ' ' + words[1] + (ok ? " ok" : " failed");
        }
        if (command == "unregister" && words.size() == 2) {
            hotKeys->Unregister(id);
            return words[0] + ' ' + words[1] + " done";
        }
        if (command == "unregisterall")
            hotKeys->UnregisterAll();
        else if (command == "destroy")
            hotKeys.reset();
        else if (command == "create")
            create();
        else
            return "unknown command " + words.join(' ');
        return command + " done";
    };
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) { // the test closed our input, or is gone
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, got);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (!line.isEmpty())
                Say(run(line.split(' ')));
        }
    });
    return app.exec();
}

// The test's side of a child.
class TChild {
public:
    explicit TChild(const QProcessEnvironment &environment)
    {
        FProcess.setProcessEnvironment(environment);
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(KChildFlag)});
    }
    ~TChild()
    {
        FProcess.closeWriteChannel(); // the child quits at the end of its input
        if (!FProcess.waitForFinished(KWaitMs)) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }

    // The next line apart from key states, or why there is none.
    QByteArray Next()
    {
        const QDeadlineTimer deadline(KWaitMs);
        for (;;) {
            while (FProcess.canReadLine()) {
                const QByteArray line = FProcess.readLine().trimmed();
                if (!line.startsWith("keypress "))
                    return line;
                FLastState = line.mid(9).toUInt(nullptr, 16);
            }
            if (FProcess.state() == QProcess::NotRunning)
                return "<child ended>";
            if (deadline.hasExpired())
                return "<no answer>";
            FProcess.waitForReadyRead(int(deadline.remainingTime()));
        }
    }
    QByteArray Call(const QByteArray &command)
    {
        FProcess.write(command + '\n');
        FProcess.waitForBytesWritten(KWaitMs);
        return Next();
    }
    // Modifier state of the last key press the child saw.
    quint32 LastState() const { return FLastState; }

private:
    QProcess FProcess;
    quint32 FLastState = 0;
};

#if JBX_HAVE_XCB
// Another X client, to hold keys against the children or to find them free.
class TXClient {
public:
    explicit TXClient(const QString &display)
        : FConnection(xcb_connect(display.toLocal8Bit().constData(), nullptr))
    {
        if (!xcb_connection_has_error(FConnection))
            FRoot = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
    }
    ~TXClient() { xcb_disconnect(FConnection); }
    bool Connected() const { return FRoot != 0; }

    xcb_keycode_t KeyCode(xcb_keysym_t sym) const
    {
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(FConnection);
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, sym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
        return code;
    }
    bool Grab(xcb_keycode_t code, quint16 modifiers)
    {
        xcb_generic_error_t *error =
            xcb_request_check(FConnection, xcb_grab_key_checked(FConnection, 0, FRoot, modifiers, code,
                                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return !error;
    }
    void Ungrab(xcb_keycode_t code, quint16 modifiers)
    {
        std::free(
            xcb_request_check(FConnection, xcb_ungrab_key_checked(FConnection, code, FRoot, modifiers)));
    }
    // Whether some client owns the selection.
    bool Owned(const char *selection)
    {
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            FConnection, xcb_intern_atom(FConnection, 0, qstrlen(selection), selection), nullptr);
        xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
            FConnection, xcb_get_selection_owner(FConnection, atom ? atom->atom : 0), nullptr);
        const bool owned = owner && owner->owner != XCB_NONE;
        std::free(atom);
        std::free(owner);
        return owned;
    }

private:
    xcb_connection_t *FConnection;
    xcb_window_t FRoot = 0;
};

constexpr quint16 KCtrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
#endif
} // namespace

class TestHotKeys : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TXServer> FServer;
    QString FServerError;

    bool Key(const QString &keys)
    {
        QProcess xdotool;
        xdotool.setProcessEnvironment(FServer->Environment());
        xdotool.setProcessChannelMode(QProcess::ForwardedChannels);
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
        return xdotool.waitForFinished(KWaitMs) && xdotool.exitStatus() == QProcess::NormalExit &&
               xdotool.exitCode() == 0;
    }
    std::unique_ptr<TChild> StartChild()
    {
        auto child = std::make_unique<TChild>(FServer->Environment());
        const QByteArray greeting = child->Next();
        if (greeting != "ready")
            qWarning("child did not start: %s", greeting.constData());
        return greeting == "ready" ? std::move(child) : nullptr;
    }

private slots:
    void initTestCase()
    {
        if (!TXServer::XvfbInstalled()) {
            FServerError = QStringLiteral("Xvfb is not installed");
            return;
        }
        FServer = std::make_unique<TXServer>();
        if (!FServer->Start(false, false, &FServerError))
            FServer.reset();
    }
    void init()
    {
        if (QByteArray(QTest::currentTestFunction()).startsWith("x11") && !FServer)
            QSKIP(qPrintable(QStringLiteral("no X server for the X11 cases: ") + FServerError));
#if !JBX_HAVE_XCB
        if (QByteArray(QTest::currentTestFunction()).startsWith("x11"))
            QSKIP("built without xcb: no global hot keys");
#endif
    }

    void offscreenHasNoHotKeys()
    {
        THotKeys hotKeys;
        QSignalSpy pressed(&hotKeys, &THotKeys::Pressed);
        QVERIFY(!hotKeys.Available());
        QVERIFY2(hotKeys.UnavailableReason().contains(QLatin1String("offscreen")),
                 qPrintable(hotKeys.UnavailableReason()));
        QVERIFY(!hotKeys.Register(1, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier));
        hotKeys.Unregister(1);
        hotKeys.UnregisterAll();
        QCOMPARE(pressed.count(), 0);
    }

#if JBX_HAVE_XCB
    void x11PressesReachTheirIds()
    {
        const auto child = StartChild();
        QVERIFY(child);
        QCOMPARE(child->Call("register 1 Ctrl+Alt+N"), QByteArray("register 1 ok"));
        QCOMPARE(child->Call("register 2 Ctrl+Alt+L"), QByteArray("register 2 ok"));
        // Ours already under another id: refused, and the first one keeps working.
        QCOMPARE(child->Call("register 3 Ctrl+Alt+N"), QByteArray("register 3 failed"));

        QVERIFY(Key(QStringLiteral("ctrl+alt+n")));
        QCOMPARE(child->Next(), QByteArray("pressed 1"));
        QVERIFY(Key(QStringLiteral("ctrl+alt+l")));
        QCOMPARE(child->Next(), QByteArray("pressed 2"));
        // Events arrive in order: were the ungrabbed key reported, it would come first.
        QVERIFY(Key(QStringLiteral("ctrl+alt+m")));
        QVERIFY(Key(QStringLiteral("ctrl+alt+l")));
        QCOMPARE(child->Next(), QByteArray("pressed 2"));
    }

    void x11ModifiersAndKeys_data()
    {
        QTest::addColumn<QString>("combination");
        QTest::addColumn<QString>("typed");
        QTest::newRow("ctrl+shift+function key") << "Ctrl+Shift+F5"
                                                 << "ctrl+shift+F5";
        QTest::newRow("meta+alt+digit") << "Meta+Alt+7"
                                        << "super+alt+7";
        QTest::newRow("shift+meta+home") << "Shift+Meta+Home"
                                         << "shift+super+Home";
        QTest::newRow("ctrl+letter") << "Ctrl+Q"
                                     << "ctrl+q";
    }
    void x11ModifiersAndKeys()
    {
        QFETCH(QString, combination);
        QFETCH(QString, typed);
        const auto child = StartChild();
        QVERIFY(child);
        QCOMPARE(child->Call("register 4 " + combination.toLatin1()), QByteArray("register 4 ok"));
        QVERIFY(Key(typed));
        QCOMPARE(child->Next(), QByteArray("pressed 4"));
    }

    void x11LockKeysDoNotMatter_data()
    {
        QTest::addColumn<QStringList>("locks");
        QTest::addColumn<quint32>("mask");
        QTest::newRow("NumLock") << QStringList{"Num_Lock"} << quint32(XCB_MOD_MASK_2);
        QTest::newRow("CapsLock") << QStringList{"Caps_Lock"} << quint32(XCB_MOD_MASK_LOCK);
        QTest::newRow("both") << QStringList{"Num_Lock", "Caps_Lock"}
                              << quint32(XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK);
    }
    void x11LockKeysDoNotMatter()
    {
        QFETCH(QStringList, locks);
        QFETCH(quint32, mask);
        const auto child = StartChild();
        QVERIFY(child);
        QCOMPARE(child->Call("register 1 Ctrl+Alt+N"), QByteArray("register 1 ok"));

        // The lock state belongs to the server, which the other cases share.
        auto unlock = qScopeGuard([&] {
            for (const QString &lock : locks)
                Key(lock);
        });
        for (const QString &lock : locks)
            QVERIFY(Key(lock));
        QVERIFY(Key(QStringLiteral("ctrl+alt+n")));
        QCOMPARE(child->Next(), QByteArray("pressed 1"));
        QCOMPARE(child->LastState() & mask, mask); // the press did carry the locks

        unlock.dismiss();
        for (const QString &lock : locks)
            QVERIFY(Key(lock));
        QVERIFY(Key(QStringLiteral("ctrl+alt+n")));
        QCOMPARE(child->Next(), QByteArray("pressed 1"));
        QCOMPARE(child->LastState() & mask, 0u);
    }

    void x11KeyHeldByAnotherClient()
    {
        const auto holder = StartChild();
        const auto child = StartChild();
        QVERIFY(holder && child);
        QCOMPARE(holder->Call("register 1 Ctrl+Alt+N"), QByteArray("register 1 ok"));
        QCOMPARE(child->Call("register 1 Ctrl+Alt+N"), QByteArray("register 1 failed"));
        QCOMPARE(child->Call("register 2 Ctrl+Alt+L"), QByteArray("register 2 ok"));
        QVERIFY(Key(QStringLiteral("ctrl+alt+n")));
        QCOMPARE(holder->Next(), QByteArray("pressed 1"));

        // The holder stays connected: only its THotKeys goes.
        QCOMPARE(holder->Call("destroy"), QByteArray("destroy done"));
        QCOMPARE(child->Call("register 1 Ctrl+Alt+N"), QByteArray("register 1 ok"));
        QVERIFY(Key(QStringLiteral("ctrl+alt+n")));
        QCOMPARE(child->Next(), QByteArray("pressed 1"));
    }

    void x11FailedRegisterKeepsNoGrab()
    {
        TXClient other(FServer->Display());
        QVERIFY(other.Connected());
        const xcb_keycode_t n = other.KeyCode('n');
        QVERIFY(n);
        // Only the NumLock variant is taken, so the others are granted first and must be given back.
        QVERIFY(other.Grab(n, KCtrlAlt | XCB_MOD_MASK_2));
        const auto child = StartChild();
        QVERIFY(child);
        QCOMPARE(child->Call("register 1 Ctrl+Alt+N"), QByteArray("register 1 failed"));
        QVERIFY(other.Grab(n, KCtrlAlt));
        QVERIFY(other.Grab(n, KCtrlAlt | XCB_MOD_MASK_LOCK));
        QVERIFY(other.Grab(n, KCtrlAlt | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2));

        for (quint16 lock : std::initializer_list<quint16>{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                           XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2})
            other.Ungrab(n, KCtrlAlt | lock);
        QCOMPARE(child->Call("register 1 Ctrl+Alt+N"), QByteArray("register 1 ok"));
    }

    void x11UnregisterReleases()
    {
        TXClient other(FServer->Display());
        QVERIFY(other.Connected());
        const xcb_keycode_t n = other.KeyCode('n'), l = other.KeyCode('l');
        const auto child = StartChild();
        QVERIFY(child);
        QCOMPARE(child->Call("register 1 Ctrl+Alt+N"), QByteArray("register 1 ok"));
        QCOMPARE(child->Call("register 2 Ctrl+Alt+L"), QByteArray("register 2 ok"));
        QVERIFY(!other.Grab(n, KCtrlAlt | XCB_MOD_MASK_LOCK));

        QCOMPARE(child->Call("unregister 1"), QByteArray("unregister 1 done"));
        QVERIFY(other.Grab(n, KCtrlAlt | XCB_MOD_MASK_LOCK));
        QVERIFY(!other.Grab(l, KCtrlAlt)); // the other id is untouched
        QVERIFY(Key(QStringLiteral("ctrl+alt+l")));
        QCOMPARE(child->Next(), QByteArray("pressed 2"));

        // A new combination for an id replaces the old one.
        QCOMPARE(child->Call("register 2 Ctrl+Alt+M"), QByteArray("register 2 ok"));
        QVERIFY(other.Grab(l, KCtrlAlt | XCB_MOD_MASK_2));
        QVERIFY(Key(QStringLiteral("ctrl+alt+m")));
        QCOMPARE(child->Next(), QByteArray("pressed 2"));

        QCOMPARE(child->Call("unregisterall"), QByteArray("unregisterall done"));
        QVERIFY(other.Grab(other.KeyCode('m'), KCtrlAlt));
    }

    void x11ServerWithWindowManagerAndTray()
    {
        QString display;
        std::vector<qint64> pids;
        {
            TXServer server;
            QString error;
            QVERIFY2(server.Start(true, true, &error), qPrintable(error));
            QVERIFY(server.Running());
            display = server.Display();
            QVERIFY(display.startsWith(QLatin1Char(':')) && display != FServer->Display());
            QCOMPARE(server.Environment().value(QStringLiteral("DISPLAY")), display);
            QCOMPARE(server.Environment().value(QStringLiteral("QT_QPA_PLATFORM")), QStringLiteral("xcb"));
            TXClient client(display);
            QVERIFY(client.Connected());
            QVERIFY(client.Owned("_NET_SYSTEM_TRAY_S0"));
            QVERIFY(!server.Start(false, false, &error)); // one server per object
            pids = server.Pids();
            QCOMPARE(pids.size(), size_t(3));
        }
        // Every process it started is gone (a display number alone could
        // already serve another test's new server).
        for (qint64 pid : pids)
            QVERIFY(::kill(pid_t(pid), 0) == -1 && errno == ESRCH);
        QVERIFY(FServer->Running()); // the other server is none of its business
    }
#endif
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], KChildFlag) == 0)
        return RunChild(argc, argv);
    QGuiApplication app(argc, argv);
    TestHotKeys test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hotkeys.moc"
