// The sync password in a real keyring: GNOME's keyring daemon on a private
// bus of the test's own. Where there is no keyring (no bus, or a bus with
// nothing keeping secrets on it) the caller hears so at once, in words that
// point to the password command.

#include "platform/TKeyring.h"
#include "support/SecretService.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct TAnswer {
    bool Done = false;
    bool Ok = false;
    QString Password;
    QString Error;
    bool Early = false; // it came before the call returned
};
} // namespace

class TestKeyring : public QObject {
    Q_OBJECT

    QTemporaryDir FFolder;
    TSecretService FService;
    TKeyring FKeyring;

    static void Await(const TAnswer &answer)
    {
        if (!QTest::qWaitFor([&answer] { return answer.Done; }, 20000))
            qWarning("the keyring did not answer");
    }
    TAnswer Read(const QString &key, QObject *context = nullptr)
    {
        TAnswer answer;
        bool returned = false;
        FKeyring.Read(key, context, [&](bool ok, const QString &password, const QString &error) {
            answer = {true, ok, password, error, !returned};
        });
        returned = true;
        Await(answer);
        return answer;
    }
    TAnswer Write(const QString &key, const QString &password)
    {
        TAnswer answer;
        bool returned = false;
        FKeyring.Write(key, password, nullptr, [&](bool ok, const QString &error) {
            answer = {true, ok, QString(), error, !returned};
        });
        returned = true;
        Await(answer);
        return answer;
    }
    TAnswer Remove(const QString &key)
    {
        TAnswer answer;
        bool returned = false;
        FKeyring.Remove(key, nullptr, [&](bool ok, const QString &error) {
            answer = {true, ok, QString(), error, !returned};
        });
        returned = true;
        Await(answer);
        return answer;
    }

private slots:
    // The rows run in this order: the keyring library keeps the first bus
    // it reached, so the bus comes second and the keyring on it last.
    void withoutAKeyringTheCallerIsToldToSetAPasswordCommand_data()
    {
        QTest::addColumn<bool>("bus");
        QTest::newRow("no session bus") << false;
        QTest::newRow("a bus with no keyring on it") << true;
    }
    void withoutAKeyringTheCallerIsToldToSetAPasswordCommand()
    {
        QFETCH(bool, bus);
        if (bus) {
            const QString error = FService.StartBus(FFolder.path());
            if (!error.isEmpty())
                QSKIP(qPrintable(error));
        } else {
            // Nor one to launch through an X display.
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
            qunsetenv("DISPLAY");
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(FFolder.path()));
        }
        QElapsedTimer clock;
        clock.start();
        const TAnswer read = Read(TKeyring::Key("ann", "https://dav.example/tasks/"));
        const TAnswer write = Write(TKeyring::Key("ann", "https://dav.example/tasks/"), "pw");
        const TAnswer remove = Remove(TKeyring::Key("ann", "https://dav.example/tasks/"));
        for (const TAnswer &answer : {read, write, remove}) {
            QVERIFY(answer.Done && !answer.Ok && !answer.Early);
            QVERIFY2(answer.Error.contains(QStringLiteral("No keyring")) &&
                         answer.Error.contains(QStringLiteral("password command")),
                     qPrintable(answer.Error));
        }
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

    void passwordsAreKeptPerAccountAndGoWhenRemoved()
    {
        QVERIFY(!FService.BusAddress().isEmpty());
        const QString error = FService.StartKeyring();
        if (!error.isEmpty())
            QSKIP(qPrintable(error));
        const QString ann = TKeyring::Key("ann", "https://dav.example/tasks/");
        const QString bob = TKeyring::Key("bob", "https://dav.example/tasks/");
        QCOMPARE(ann, QStringLiteral("ann@https://dav.example/tasks/"));

        for (const auto &[key, password] :
             {std::pair{ann, QStringLiteral("first")}, std::pair{bob, QStringLiteral("bob's: päss wörd")},
              std::pair{ann, QStringLiteral("s3cret:pass")}}) {
            const TAnswer written = Write(key, password);
            QVERIFY2(written.Done && written.Ok && !written.Early, qPrintable(written.Error));
        }
        TAnswer read = Read(ann);
        QVERIFY2(read.Ok && !read.Early, qPrintable(read.Error));
        QCOMPARE(read.Password, QStringLiteral("s3cret:pass")); // the second write replaced the first
        QCOMPARE(Read(bob).Password, QStringLiteral("bob's: päss wörd"));

        // Removed, it is not there; removing it again is no failure.
        QVERIFY(Remove(ann).Ok);
        read = Read(ann);
        QVERIFY(read.Done && !read.Ok && read.Password.isEmpty());
        QVERIFY2(read.Error.contains(QStringLiteral("No password is stored")) && read.Error.contains(ann),
                 qPrintable(read.Error));
        QVERIFY(Remove(ann).Ok);
        QCOMPARE(Read(bob).Password, QStringLiteral("bob's: päss wörd"));

        // An answer for a window that has gone is dropped.
        auto *window = new QObject;
        bool answered = false;
        FKeyring.Read(bob, window, [&answered](bool, const QString &, const QString &) { answered = true; });
        delete window;
        QVERIFY(Read(bob).Ok); // asked after it, answered after it
        QVERIFY(!answered);
    }
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "tst_keyring.moc"
