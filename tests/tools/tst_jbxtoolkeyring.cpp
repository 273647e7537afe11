// jbxtool sync FOLDER without a password command: the password the program
// keeps in the desktop's keyring (GNOME's keyring daemon on a private bus
// of the test's own), against a real Radicale server; and a plain refusal,
// with no round run, when there is no password to be had.

#include "model/TTask.h"
#include "model/TTaskList.h"
#include "platform/TKeyring.h"
#include "settings/TUserInfo.h"
#include "support/SecretService.h"
#include "support/TRadicale.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

class TestJbxtoolKeyring : public QObject {
    Q_OBJECT

    QTemporaryDir FKeyringFolder;
    TSecretService FService;
    QString FNoKeyring; // why there is no keyring here: its rows skip
    TKeyring FKeyring;
    TRadicale FServer;

    bool Keep(const QString &key, const QString &password)
    {
        std::optional<bool> done;
        const auto answer = [&done](bool ok, const QString &) { done = ok; };
        if (password.isEmpty())
            FKeyring.Remove(key, nullptr, answer);
        else
            FKeyring.Write(key, password, nullptr, answer);
        return QTest::qWaitFor([&done] { return done.has_value(); }, 20000) && *done;
    }

private slots:
    void initTestCase()
    {
        if (!TRadicale::Installed())
            QSKIP("radicale is not installed (./x setup installs it)");
        FNoKeyring = FService.StartBus(FKeyringFolder.path());
        if (FNoKeyring.isEmpty())
            FNoKeyring = FService.StartKeyring();
        QVERIFY2(FServer.Start(), qPrintable(FServer.Error()));
        QVERIFY(FServer.CreateTaskList(QStringLiteral("tasks")));
    }

    void thePasswordComesFromTheCommandElseTheKeyring_data()
    {
        QTest::addColumn<QString>("stored");  // the keyring's entry for the account; empty: none
        QTest::addColumn<QString>("command"); // [Sync] PasswordCommand
        QTest::addColumn<bool>("keyring");    // a keyring can be reached
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said"); // %1: the account's key
        const QString right = TRadicale().Password();
        QTest::newRow("from the keyring") << right << "" << true << 0 << "synced: 1 sent";
        QTest::newRow("the command before the keyring")
            << "wrong"
            << "printf '%s\\n' '" + right + "'" << true << 0 << "synced: 1 sent";
        QTest::newRow("nothing stored") << ""
                                        << "" << true << 2
                                        << "jbxtool: no sync password: No password is stored in the "
                                           "keyring for %1. (PasswordCommand in [Sync] of";
        QTest::newRow("no keyring to reach")
            << right << "" << false << 2 << "jbxtool: no sync password: No keyring is running";
    }
    void thePasswordComesFromTheCommandElseTheKeyring()
    {
        QFETCH(QString, stored);
        QFETCH(QString, command);
        QFETCH(bool, keyring);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        if (keyring && !FNoKeyring.isEmpty())
            QSKIP(qPrintable(FNoKeyring));

        QTemporaryDir folder, runtime;
        const QString url = FServer.Url(QStringLiteral("tasks")).toString();
        {
            TUserInfo settings(folder.path() + u'/');
            settings.SyncEnabled = true;
            settings.SyncUrl = url;
            settings.SyncUser = FServer.User();
            settings.SyncPasswordCommand = command;
            settings.SaveSettings();
            TTaskList list(settings);
            list.AddNewTask()->Text = QByteArray("From ") + QTest::currentDataTag();
            list.SaveToFile(folder.filePath(QStringLiteral("Jotterbox.dat")));
        }
        // The program's key for the account.
        const QString key = TKeyring::Key(FServer.User(), url);
        QCOMPARE(key, FServer.User() + u'@' + url);
        if (keyring)
            QVERIFY(Keep(key, stored));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path()); // no bus socket in it
        if (!keyring) {
            env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
            env.remove(QStringLiteral("DISPLAY")); // nor a bus to launch through X
        }
        QProcess jbxtool;
        jbxtool.setProcessEnvironment(env);
        jbxtool.start(QStringLiteral(JBXTOOL_PATH), {QStringLiteral("sync"), folder.path()});
        QVERIFY(jbxtool.waitForFinished(60000));
        const QString out = QString::fromUtf8(jbxtool.readAllStandardOutput());
        const QString err = QString::fromUtf8(jbxtool.readAllStandardError());
        QCOMPARE(jbxtool.exitCode(), exitCode);
        QVERIFY2((exitCode == 0 ? out : err).startsWith(said.contains(u'%') ? said.arg(key) : said),
                 qPrintable(out + err));
        // Refused before any round: nothing was asked of the server.
        QCOMPARE(QFile::exists(folder.filePath(QStringLiteral("Jotterbox.sync"))), exitCode == 0);
    }
};

QTEST_GUILESS_MAIN(TestJbxtoolKeyring)
#include "tst_jbxtoolkeyring.moc"
