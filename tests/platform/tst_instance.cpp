#include "platform/FolderLock.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// A window that counts the closes it is asked for.
class TCloseCounter : public QWidget {
public:
    int Closes = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++Closes;
        QWidget::closeEvent(event);
    }
};
} // namespace

class TestInstance : public QObject {
    Q_OBJECT

private slots:
    void secondInstanceIsTurnedAwayAtOnce()
    {
        QTemporaryDir dir;
        TSingleInstance first("App_Test", dir.path());
        QVERIFY(first.TryLock(10));
        TSingleInstance second("App_Test", dir.path());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!second.TryLock(10));
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(second.Error().isEmpty()); // held, not broken
        first.Unlock();
        QVERIFY(second.TryLock(10));
    }

    void lockOfADeadProcessIsTakenOver()
    {
        QTemporaryDir dir;
        const pid_t child = fork();
        if (child == 0) {
            TSingleInstance crashed("App_Test", dir.path());
            _exit(crashed.TryLock(10) ? 0 : 1); // no unlock: as after kill -9
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        TSingleInstance next("App_Test", dir.path());
        QVERIFY(QFile::exists(next.FileName()));
        QVERIFY(next.TryLock(10));
    }

    void lockFolderThatCannotHoldALockIsReported()
    {
        TSingleInstance nowhere("App_Test", "/proc/no-such-folder");
        QVERIFY(!nowhere.TryLock(10));
        QVERIFY(!nowhere.Error().isEmpty());
    }

    // A lock made by another user in a shared folder (Qt's fallback runtime
    // folder in the temporary folder) does not keep this user's start away.
    void anotherUsersLockInASharedFolderIsNoObstacle()
    {
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 01777) == 0);
        QLockFile theirs(dir.filePath("App_Test.lock"));
        QVERIFY(theirs.tryLock(0));
        if (::chown(QFile::encodeName(theirs.fileName()).constData(), 65534, 65534) != 0)
            QSKIP("making a file of another user needs root");
        TSingleInstance mine("App_Test", dir.path());
        QVERIFY(mine.TryLock(0));
        QVERIFY(mine.CommandSocket() != dir.filePath("App_Test.socket"));
    }

    // One holder of a folder at a time; another learns who holds it and
    // where it takes commands; the lock goes with its holder however that
    // ends, and stays with no program the holder started.
    void folderHasOneHolderAtATime()
    {
        QTemporaryDir dir;
        const mode_t mask = ::umask(022);
        TFolderLock absent(dir.path());
        QCOMPARE(absent.TryLock(false), TFolderLock::TResult::Absent);
        QVERIFY(!QFile::exists(absent.Path()));

        TFolderLock first(dir.path());
        QCOMPARE(first.TryLock(), TFolderLock::TResult::Held);
        ::umask(mask);
        QCOMPARE(QFile::permissions(first.Path()) & 0x0077, QFileDevice::Permissions()); // owner only
        first.Announce("/run/user/1000/App.socket");
        TFolderLock second(dir.path());
        QCOMPARE(second.TryLock(), TFolderLock::TResult::Busy);
        QCOMPARE(second.TryLock(false), TFolderLock::TResult::Busy);
        QCOMPARE(second.Holder().Pid, qint64(::getpid()));
        QCOMPARE(second.Holder().CommandSocket, QStringLiteral("/run/user/1000/App.socket"));
        QVERIFY(second.Holder().Describe().startsWith(QStringLiteral("process %1 of ").arg(::getpid())));
        first.Unlock();
        QCOMPARE(second.TryLock(), TFolderLock::TResult::Held);
        second.Unlock();

        // A lock file that is none (here a pipe nobody writes to) holds
        // nothing up: the folder keeps no lock, and the start goes on.
        QTemporaryDir odd;
        QVERIFY(::mkfifo(QFile::encodeName(odd.filePath(TFolderLock::FileName)).constData(), 0600) == 0);
        TFolderLock none(odd.path());
        QCOMPARE(none.TryLock(), TFolderLock::TResult::Unsupported);
        QVERIFY(!none.Error().isEmpty());

        // A holder killed outright, and one that started a program that
        // outlives it (the restarter).
        for (const bool killed : {true, false}) {
            int ready[2];
            QVERIFY(::pipe(ready) == 0);
            const pid_t child = fork();
            if (child == 0) {
                TFolderLock held(dir.path());
                pid_t started = 0;
                if (held.TryLock() == TFolderLock::TResult::Held && !killed) {
                    char *const argv[] = {const_cast<char *>("sleep"), const_cast<char *>("30"), nullptr};
                    ::posix_spawnp(&started, "sleep", nullptr, nullptr, argv, environ);
                }
                (void)!::write(ready[1], &started, sizeof started);
                if (killed)
                    ::pause();
                _exit(0);
            }
            pid_t started = 0;
            QCOMPARE(::read(ready[0], &started, sizeof started), ssize_t(sizeof started));
            TFolderLock next(dir.path());
            if (killed) {
                QCOMPARE(next.TryLock(), TFolderLock::TResult::Busy);
                QCOMPARE(next.Holder().Pid, qint64(child));
                ::kill(child, SIGKILL);
            }
            QCOMPARE(::waitpid(child, nullptr, 0), child);
            // A started program lets go of it in its exec, a moment after
            // its parent may already have ended.
            QTRY_COMPARE_WITH_TIMEOUT(next.TryLock(), TFolderLock::TResult::Held, 5000);
            if (started > 0) {
                ::kill(started, SIGKILL);
                ::waitpid(started, nullptr, 0);
            }
            ::close(ready[0]);
            ::close(ready[1]);
        }
    }

    void signalsAskTheProgramToEnd_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGINT") << SIGINT;
    }

    void signalsAskTheProgramToEnd()
    {
        QFETCH(int, signal);
        TSessionEnd end;
        int asked = 0;
        connect(&end, &TSessionEnd::EndRequested, [&asked](bool &) { ++asked; });
        QSignalSpy agreed(&end, &TSessionEnd::EndAgreed);
        ::raise(signal);
        QTRY_COMPARE(asked, 1);
        QCOMPARE(agreed.size(), 1);
    }

    // The session manager's last word reaches the program as the
    // application's quit event, as quit() does: the loop ends, and no window
    // takes it for the user closing it.
    void quitEndsTheLoopWithoutClosingAWindow_data()
    {
        QTest::addColumn<bool>("byEvent");
        QTest::newRow("quit()") << false;
        QTest::newRow("the quit event") << true;
    }

    void quitEndsTheLoopWithoutClosingAWindow()
    {
        QFETCH(bool, byEvent);
        TSessionEnd end;
        TCloseCounter window;
        window.show();
        QTimer::singleShot(0, &window, [byEvent] {
            if (!byEvent) {
                QCoreApplication::quit();
                return;
            }
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
        });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(window.Closes, 0);
        QVERIFY(window.isVisible());
    }

    void failedSaveRefusesTheEnd()
    {
        TSessionEnd end;
        int asked = 0;
        connect(&end, &TSessionEnd::EndRequested, [&asked](bool &agree) {
            ++asked;
            agree = false;
        });
        QSignalSpy agreed(&end, &TSessionEnd::EndAgreed);
        QSignalSpy forced(&end, &TSessionEnd::EndForced);
        ::raise(SIGTERM);
        QTRY_COMPARE(asked, 1);
        QCOMPARE(agreed.size(), 0);
        // A signal is the system's stop, and a kill follows it: the end goes
        // on with what could be saved.
        QCOMPARE(forced.size(), 1);
    }
};

QTEST_MAIN(TestInstance)
#include "tst_instance.moc"
