// The options dialog's Sync page offscreen: the settings through its
// controls, the password into a real keyring (GNOME's, on a private bus of
// the test's own) and never into the settings file, "Test connection"
// against a real Radicale server, "Sync now" and the last round's line.

#include "DialogsFixture.h"
#include "base/DateTime.h"
#include "controls/TAppCommands.h"
#include "dialogs/TFormOptions.h"
#include "platform/Fonts.h"
#include "platform/TKeyring.h"
#include "settings/TUserInfo.h"
#include "support/FindChild.h"
#include "support/SecretService.h"
#include "support/TRadicale.h"
#include "sync/TCalDavClient.h"
#include "sync/TSyncStatus.h"

#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpServer>
#include <QTest>
#include <memory>

class TestSyncPage : public QObject {
    Q_OBJECT

    std::unique_ptr<TDialogsWorld> FWorld;
    QTemporaryDir FKeyringFolder;
    TSecretService FService;
    QString FNoKeyring; // why there is no keyring here: its cases skip
    TKeyring FKeyring;
    std::unique_ptr<TRadicale> FServer;

    // The keyring's entry, or "(none)".
    QString Stored(const QString &key)
    {
        QString stored;
        FKeyring.Read(key, nullptr, [&stored](bool ok, const QString &password, const QString &) {
            stored = ok ? password : QStringLiteral("(none)");
        });
        if (!QTest::qWaitFor([&stored] { return !stored.isNull(); }, 20000))
            return QStringLiteral("(no answer)");
        return stored;
    }
    bool Store(const QString &key, const QString &password)
    {
        std::optional<bool> done;
        FKeyring.Write(key, password, nullptr, [&done](bool ok, const QString &) { done = ok; });
        return QTest::qWaitFor([&done] { return done.has_value(); }, 20000) && *done;
    }
    bool Forget(const QString &key)
    {
        std::optional<bool> done;
        FKeyring.Remove(key, nullptr, [&done](bool ok, const QString &) { done = ok; });
        return QTest::qWaitFor([&done] { return done.has_value(); }, 20000) && *done;
    }

    // Every file of the program folder that holds `secret`.
    QStringList FilesHolding(const QString &secret) const
    {
        QStringList holding;
        QDirIterator files(FWorld->Folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(secret.toUtf8()))
                holding << file.fileName();
        }
        return holding;
    }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        FNoKeyring = FService.StartBus(FKeyringFolder.path());
        if (FNoKeyring.isEmpty())
            FNoKeyring = FService.StartKeyring();
        if (TRadicale::Installed()) {
            FServer = std::make_unique<TRadicale>();
            if (!FServer->Start() || !FServer->CreateTaskList(QStringLiteral("tasks")))
                qWarning("Radicale did not start: %s", qPrintable(FServer->Error()));
        }
    }
    void init() { FWorld = std::make_unique<TDialogsWorld>(); }
    void cleanup() { FWorld.reset(); }

    void thePageEditsTheSettingsAndThePasswordGoesOnlyToTheKeyring()
    {
        TUserInfo &s = UserInfo();
        s.SyncUrl = QStringLiteral("https://dav.example/ann/tasks/");
        s.SyncUser = QStringLiteral("ann");
        s.SyncIntervalMinutes = 15;
        s.SyncCaFile = QStringLiteral("/etc/ssl/old.pem");
        TFormOptions options;
        QSignalSpy stored(&options, &TFormOptions::SyncPasswordStored);
        options.SetSync(nullptr, &FKeyring, nullptr);
        options.show();
        auto *pages = Child<QTabWidget>(options, "PageControl1");
        QVERIFY(pages->isTabVisible(pages->indexOf(Child<QWidget>(options, "TSSync"))));
        pages->setCurrentWidget(Child<QWidget>(options, "TSSync"));
        QVERIFY(!Child<QCheckBox>(options, "CBSyncEnabled")->isChecked());
        QCOMPARE(Child<QLineEdit>(options, "EditSyncUrl")->text(), s.SyncUrl);
        QCOMPARE(Child<QLineEdit>(options, "EditSyncUser")->text(), QStringLiteral("ann"));
        QCOMPARE(Child<QSpinBox>(options, "EditSyncInterval")->value(), 15);
        QCOMPARE(Child<QLineEdit>(options, "EditSyncCaFile")->text(), s.SyncCaFile);
        auto *password = Child<QLineEdit>(options, "EditSyncPassword");
        QVERIFY(password->text().isEmpty() && password->isEnabled());
        QCOMPARE(password->echoMode(), QLineEdit::Password);

        // Edited: every value goes back on OK, the interval within its range,
        // the certificate as the file dialog chose it.
        Child<QCheckBox>(options, "CBSyncEnabled")->click();
        Child<QLineEdit>(options, "EditSyncUrl")->setText(QStringLiteral(" https://dav.example/bob/tasks/ "));
        Child<QLineEdit>(options, "EditSyncUser")->setText(QStringLiteral("bob"));
        Child<QLineEdit>(options, "EditSyncPasswordCommand")->setText(QStringLiteral("pass show dav"));
        Child<QSpinBox>(options, "EditSyncInterval")->setValue(5000);
        FWorld->Dialogs.OpenPath = QStringLiteral("/home/bob/server.pem");
        QTest::mouseClick(Child<QPushButton>(options, "BtnSelectCaFile"), Qt::LeftButton);
        QCOMPARE(FWorld->Dialogs.OpenProposed, QStringList{"/etc/ssl/old.pem"});
        QTest::keyClicks(password, QStringLiteral("Bob's s3cret"));
        QTest::mouseClick(Child<QPushButton>(options, "BtnOK"), Qt::LeftButton);
        QVERIFY(s.SyncEnabled);
        QCOMPARE(s.SyncUrl, QStringLiteral("https://dav.example/bob/tasks/"));
        QCOMPARE(s.SyncUser, QStringLiteral("bob"));
        QCOMPARE(s.SyncPasswordCommand, QStringLiteral("pass show dav"));
        QCOMPARE(s.SyncIntervalMinutes, 1440);
        QCOMPARE(s.SyncCaFile, QStringLiteral("/home/bob/server.pem"));
        s.SaveSettings();
        QFile ini(s.FileName());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains(
            "[Sync]\r\nEnabled=1\r\nUrl=https://dav.example/bob/tasks/\r\nUser=bob\r\n"));
        QCOMPARE(FilesHolding(QStringLiteral("Bob's s3cret")), QStringList());
        QVERIFY(password->text().isEmpty()); // nor kept in the dialog

        if (!FNoKeyring.isEmpty())
            QSKIP(qPrintable(FNoKeyring));
        const QString key = TKeyring::Key("bob", "https://dav.example/bob/tasks/");
        QTRY_COMPARE(stored.size(), 1);
        QCOMPARE(Stored(key), QStringLiteral("Bob's s3cret"));

        // Shown again: empty, saying a password is stored. OK without typing
        // leaves the keyring alone.
        QVERIFY(Store(key, QStringLiteral("changed elsewhere")));
        options.show();
        QVERIFY(password->text().isEmpty());
        QTRY_COMPARE(password->placeholderText(), QStringLiteral("Stored"));
        QTest::mouseClick(Child<QPushButton>(options, "BtnOK"), Qt::LeftButton);
        QCOMPARE(Stored(key), QStringLiteral("changed elsewhere"));
        QCOMPARE(stored.size(), 1);

        // The box holds the stored password as dots once the keyring has
        // answered; Cancel keeps nothing of it. Emptied by the user, OK
        // removes it from the keyring.
        options.show();
        QTRY_COMPARE(password->text(), QStringLiteral("changed elsewhere"));
        options.reject();
        QVERIFY(password->text().isEmpty());
        options.show();
        QTRY_COMPARE(password->text(), QStringLiteral("changed elsewhere"));
        password->selectAll();
        QTest::keyClick(password, Qt::Key_Backspace);
        QCOMPARE(password->placeholderText(), QStringLiteral("Removed on OK"));
        QTest::mouseClick(Child<QPushButton>(options, "BtnOK"), Qt::LeftButton);
        QTRY_COMPARE(Stored(key), QStringLiteral("(none)"));
        QCOMPARE(stored.size(), 1);

        // An account with nothing stored says nothing; without a keyring the
        // box cannot be typed in.
        s.SyncUser = QStringLiteral("carol");
        options.show();
        QCOMPARE(Stored(TKeyring::Key("carol", s.SyncUrl)),
                 QStringLiteral("(none)")); // answered after the dialog's
        QVERIFY(password->placeholderText().isEmpty());
        options.reject();
        options.SetSync(nullptr, nullptr, nullptr);
        options.show();
        QVERIFY(!password->isEnabled());
    }

    // Confirmed with another server or user, the page takes the password
    // along to the new account, whether typed, kept as the keyring filled
    // it, or not yet shown because OK came before the keyring answered; the
    // old account's entry goes, so no stale secret stays in the keyring.
    void aChangedAccountTakesItsPasswordAlong_data()
    {
        QTest::addColumn<QString>("url");  // confirmed; shown: https://dav.example/old/
        QTest::addColumn<QString>("user"); // confirmed; shown: "olga"
        // "kept" after the keyring filled the box, "early" OK before it
        // answered, "emptied" by the user, or what the user typed
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("atOld"); // the entries afterwards
        QTest::addColumn<QString>("atNew");
        const QString url = QStringLiteral("https://dav.example/old/");
        const QString old = QStringLiteral("old secret");
        const QString none = QStringLiteral("(none)");
        QTest::newRow("new user, kept") << url << "nina"
                                        << "kept" << none << old;
        QTest::newRow("new URL, kept") << "https://dav.example/new/"
                                       << "olga"
                                       << "kept" << none << old;
        QTest::newRow("new user, typed") << url << "nina"
                                         << "typed" << none << "typed";
        QTest::newRow("new URL, OK before the keyring answered") << "https://dav.example/new/"
                                                                 << "olga"
                                                                 << "early" << none << old;
        QTest::newRow("new user, emptied") << url << "nina"
                                           << "emptied" << none << none;
        QTest::newRow("same account, typed") << url << "olga"
                                             << "typed"
                                             << "typed"
                                             << "typed";
        QTest::newRow("same account, OK before the keyring answered") << url << "olga"
                                                                      << "early" << old << old;
        QTest::newRow("server emptied: set aside") << ""
                                                   << "olga"
                                                   << "kept" << old << "";
    }
    void aChangedAccountTakesItsPasswordAlong()
    {
        QFETCH(QString, url);
        QFETCH(QString, user);
        QFETCH(QString, box);
        QFETCH(QString, atOld);
        QFETCH(QString, atNew);
        if (!FNoKeyring.isEmpty())
            QSKIP(qPrintable(FNoKeyring));
        TUserInfo &s = UserInfo();
        s.SyncUrl = QStringLiteral("https://dav.example/old/");
        s.SyncUser = QStringLiteral("olga");
        const QString oldKey = TKeyring::Key(s.SyncUser, s.SyncUrl);
        const QString newKey = TKeyring::Key(user, url);
        QVERIFY(Store(oldKey, QStringLiteral("old secret")));
        if (newKey != oldKey)
            QVERIFY(Forget(newKey));

        TFormOptions options;
        QSignalSpy stored(&options, &TFormOptions::SyncPasswordStored);
        options.SetSync(nullptr, &FKeyring, nullptr);
        options.show();
        auto *password = Child<QLineEdit>(options, "EditSyncPassword");
        if (box != QLatin1String("early"))
            QTRY_COMPARE(password->text(), QStringLiteral("old secret"));
        Child<QLineEdit>(options, "EditSyncUrl")->setText(url);
        Child<QLineEdit>(options, "EditSyncUser")->setText(user);
        if (box == QLatin1String("emptied") || box == QLatin1String("typed")) {
            password->selectAll();
            QTest::keyClick(password, Qt::Key_Backspace);
        }
        if (box == QLatin1String("typed"))
            QTest::keyClicks(password, box);
        Child<QPushButton>(options, "BtnOK")->click(); // no events: the keyring cannot answer first
        QVERIFY(password->text().isEmpty());

        if (!url.isEmpty())
            QTRY_COMPARE(Stored(newKey), atNew);
        QTRY_COMPARE(Stored(oldKey), atOld);
        QCOMPARE(stored.size(), int(!url.isEmpty() && atNew != QLatin1String("(none)") &&
                                    (newKey != oldKey || box == QLatin1String("typed"))));
    }

    // "Test connection" asks the real server with what is typed, on a thread
    // of its own, and shows the answer: the server's, as the client words
    // it, or what is wrong with the address before any asking.
    void testConnectionAnswersInPlainWords_data()
    {
        QTest::addColumn<QString>("url"); // "tasks", "nothing", or as typed
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("keyring");
        QTest::addColumn<int>("failure");   // TDavResult::TFailure; -1: answered at once
        QTest::addColumn<QString>("shown"); // the label; empty: the client's message
        const QString right = QStringLiteral("s3cret:pass");
        const QString ok = QStringLiteral("Connected: the task list is there.");
        const int none = TDavResult::None;
        QTest::newRow("typed password") << "tasks" << right << ""
                                        << "" << none << ok;
        QTest::newRow("typed before command") << "tasks" << right << "exit 3"
                                              << "" << none << ok;
        QTest::newRow("password command") << "tasks"
                                          << ""
                                          << "printf '%s\\n' '" + right + "'"
                                          << "" << none << ok;
        QTest::newRow("keyring") << "tasks"
                                 << ""
                                 << "" << right << none << ok;
        QTest::newRow("wrong password") << "tasks"
                                        << "wrong"
                                        << ""
                                        << "" << int(TDavResult::WrongPassword) << "";
        QTest::newRow("failing command")
            << "tasks"
            << ""
            << "exit 3"
            << "" << int(TDavResult::None) << "The password command failed (exit code 3).";
        QTest::newRow("nothing stored")
            << "tasks"
            << ""
            << ""
            << "" << int(TDavResult::WrongPassword) << "No password is stored in the keyring for tester@%1.";
        QTest::newRow("nothing listening") << "nothing" << right << ""
                                           << "" << int(TDavResult::NoServer) << "";
        QTest::newRow("not http") << "ftp://127.0.0.1/tasks/" << right << ""
                                  << "" << -1
                                  << "The address must start with https:// and name a server, as in "
                                     "https://cloud.example.org/remote.php/dav/calendars/me/tasks/.";
        QTest::newRow("no server named") << "https:///tasks/" << right << ""
                                         << "" << -1
                                         << "The address must start with https:// and name a server, as in "
                                            "https://cloud.example.org/remote.php/dav/calendars/me/tasks/.";
        QTest::newRow("empty") << "  " << right << ""
                               << "" << -1 << "Type the address of the task list first.";
    }
    void testConnectionAnswersInPlainWords()
    {
        QFETCH(QString, url);
        QFETCH(QString, typed);
        QFETCH(QString, command);
        QFETCH(QString, keyring);
        QFETCH(int, failure);
        QFETCH(QString, shown);
        if (failure >= 0 && (!FServer || !FServer->Running()))
            QSKIP("Radicale is not installed or did not start");
        const bool usesKeyring = typed.isEmpty() && command.isEmpty();
        if (usesKeyring && !FNoKeyring.isEmpty())
            QSKIP(qPrintable(FNoKeyring));
        if (url == QLatin1String("tasks")) {
            url = FServer->Url(QStringLiteral("tasks")).toString();
        } else if (url == QLatin1String("nothing")) {
            QTcpServer free; // a port no one listens on once it is closed
            QVERIFY(free.listen(QHostAddress::LocalHost));
            url = QStringLiteral("http://127.0.0.1:%1/tasks/").arg(free.serverPort());
        }
        const QString user = QStringLiteral("tester");
        if (usesKeyring && !keyring.isEmpty()) {
            QVERIFY(Store(TKeyring::Key(user, url), keyring));
        } else if (usesKeyring) {
            std::optional<bool> removed;
            FKeyring.Remove(TKeyring::Key(user, url), nullptr,
                            [&removed](bool ok, const QString &) { removed = ok; });
            QTRY_VERIFY(removed.has_value() && *removed);
        }

        TFormOptions options;
        options.SetSync(nullptr, &FKeyring, nullptr);
        options.show();
        Child<QTabWidget>(options, "PageControl1")->setCurrentWidget(Child<QWidget>(options, "TSSync"));
        Child<QLineEdit>(options, "EditSyncUrl")->setText(url);
        Child<QLineEdit>(options, "EditSyncUser")->setText(user);
        Child<QLineEdit>(options, "EditSyncPassword")->setText(typed);
        Child<QLineEdit>(options, "EditSyncPasswordCommand")->setText(command);
        auto *test = Child<QPushButton>(options, "BtnSyncTest");
        auto *answer = Child<QLabel>(options, "LabelSyncTest");
        QTest::mouseClick(test, Qt::LeftButton);
        if (failure < 0) { // said at once, nothing asked
            QCOMPARE(answer->text(), shown);
            QVERIFY(test->isEnabled());
            return;
        }
        // Asked on a thread of its own: the dialog goes on answering.
        QVERIFY(!test->isEnabled());
        QCOMPARE(answer->text(), QStringLiteral("Testing the connection..."));
        QTRY_VERIFY_WITH_TIMEOUT(test->isEnabled(), 30000);
        if (shown.isEmpty()) {
            // The client's own words for this failure.
            TCalDavClient::TOptions direct;
            direct.Url = QUrl(url);
            direct.User = user;
            direct.Password = typed;
            TCalDavClient client(direct);
            QByteArray token;
            const TDavResult result = client.Probe(token);
            QCOMPARE(int(result.Failure), failure);
            shown = result.Message;
        }
        QCOMPARE(answer->text(), shown.contains(u'%') ? shown.arg(url) : shown);
        QVERIFY(UserInfo().SyncUrl.isEmpty()); // testing stores nothing
    }

    void syncNowAndTheLastRoundsLine()
    {
        QAction syncNow;
        TAppCommands commands;
        TSyncStatus status;
        TFormOptions options;
        options.show();
        auto *button = Child<QPushButton>(options, "BtnSyncNow");
        auto *line = Child<QLabel>(options, "LabelSyncStatus");
        QVERIFY(!button->isEnabled()); // nothing to trigger
        QVERIFY(line->text().isEmpty());

        options.SetSync(&status, &FKeyring, &commands);
        QVERIFY(!button->isEnabled());
        commands.ActionSyncNow = &syncNow;
        options.reject();
        options.show();
        QSignalSpy triggered(&syncNow, &QAction::triggered);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(triggered.size(), 1);
        syncNow.setEnabled(false);
        options.reject();
        options.show();
        QVERIFY(!button->isEnabled());

        QCOMPARE(line->text(), QStringLiteral("No sync round has run yet."));
        status.SetRunning(true);
        QCOMPARE(line->text(), QStringLiteral("A sync round is running..."));
        const TDateTime nine = EncodeDate(2026, 12, 8) + EncodeTime(9, 30);
        status.SetResult(nine, true, QStringLiteral("2 tasks sent, 1 received."));
        QCOMPARE(line->text(), QStringLiteral("Last round 08/12/2026 09:30: 2 tasks sent, 1 received."));
        status.SetResult(nine, false, QStringLiteral("The server did not answer."));
        QCOMPARE(line->text(),
                 QStringLiteral("Last round 08/12/2026 09:30 failed: The server did not answer."));
    }

    // At the size the dialog was drawn for, the page shows all of itself,
    // the last round's words too.
    void thePageFitsTheDialog()
    {
        TSyncStatus status;
        status.SetResult(1, true, "1 sent, 0 received, 0 deleted on the server, 0 deleted here, 0 conflicts");
        TFormOptions options;
        options.SetSync(&status, nullptr, nullptr);
        options.show();
        Child<QTabWidget>(options, "PageControl1")->setCurrentWidget(Child<QWidget>(options, "TSSync"));
        QCOMPARE(options.size(), QSize(377, 256));
        QCoreApplication::processEvents(); // the page's layout settles
        const auto *scroll = Child<QScrollArea>(options, "ScrollSync");
        QVERIFY(!scroll->verticalScrollBar()->isVisible() && !scroll->horizontalScrollBar()->isVisible());
        const QWidget *viewport = scroll->viewport();
        for (const char *name :
             {"CBSyncEnabled", "EditSyncInterval", "EditSyncUrl", "EditSyncPassword",
              "EditSyncPasswordCommand", "BtnSelectCaFile", "BtnSyncTest", "BtnSyncNow", "LabelSyncStatus"}) {
            const QWidget *control = Child<QWidget>(options, name);
            const QRect place(control->mapTo(viewport, QPoint(0, 0)), control->size());
            QVERIFY2(viewport->rect().contains(place), name);
        }
    }
};

QTEST_MAIN(TestSyncPage)
#include "tst_syncpage.moc"
