#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <csignal>
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
