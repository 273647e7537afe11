#include "platform/SingleInstance.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString LockName = QStringLiteral("App_ZEL_Task_Sheet");

enum class TProgram { Present, Missing, NotExecutable };

// A program folder as the install lays it out: startjbx beside a stand-in
// `Jotterbox` that records where it ran and whether the lock was free, and a
// runtime folder of its own for the lock.
class TProgramFolder {
public:
    QTemporaryDir Folder;
    QTemporaryDir Runtime;
    QTemporaryDir Elsewhere; // the working directory startjbx is started in
    QString Marker;

    explicit TProgramFolder(TProgram program = TProgram::Present)
    {
        Marker = Elsewhere.filePath(QStringLiteral("started"));
        const QString starter = Folder.filePath(QStringLiteral("startjbx"));
        if (!QFile::copy(QStringLiteral(STARTJBX_PATH), starter))
            return;
        QFile::setPermissions(starter, QFile::permissions(QStringLiteral(STARTJBX_PATH)));
        if (program == TProgram::Missing)
            return;
        QFile fake(Folder.filePath(QStringLiteral("Jotterbox")));
        if (!fake.open(QIODevice::WriteOnly))
            return;
        // One line per start, appended in one write: which run started it,
        // where, and whether the lock was free for it.
        const QString lockFile = Runtime.filePath(LockName + QStringLiteral(".lock"));
        fake.write(QStringLiteral("#!/bin/sh\n"
                                  "if [ -e '%1' ]; then lock=held; else lock=free; fi\n"
                                  "echo \"$JBX_TEST_RUN $(pwd -P) $lock\" >> '%2'\n")
                       .arg(lockFile, Marker)
                       .toUtf8());
        fake.close();
        if (program == TProgram::Present)
            fake.setPermissions(fake.permissions() | QFile::ExeOwner | QFile::ExeUser);
        else
            fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }

    bool Ready() const { return QFileInfo(Folder.filePath(QStringLiteral("startjbx"))).isExecutable(); }

    void Start(QProcess &process, const QByteArray &waitMs = {},
               const QString &run = QStringLiteral("1")) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Runtime.path());
        env.insert(QStringLiteral("JBX_TEST_RUN"), run);
        env.remove(QStringLiteral("JBX_STARTER_WAIT_MS"));
        if (!waitMs.isEmpty())
            env.insert(QStringLiteral("JBX_STARTER_WAIT_MS"), QString::fromLatin1(waitMs));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(Elsewhere.path());
        process.start(Folder.filePath(QStringLiteral("startjbx")), QStringList());
    }

    // The stand-in's shell makes the file before it writes its line: a
    // start shows only once the line is there.
    bool Started() const { return !MarkerLines().isEmpty(); }

    // What the stand-in writes when run `run` starts it as it should.
    QString StartedLine(const QString &run = QStringLiteral("1")) const
    {
        return run + u' ' + QFileInfo(Folder.path()).canonicalFilePath() + QStringLiteral(" free");
    }

    QStringList MarkerLines() const
    {
        QFile file(Marker);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
};
} // namespace

Q_DECLARE_METATYPE(TProgram)

class TestStartjbx : public QObject {
    Q_OBJECT

private slots:
    void startsTheProgramBesideItWhenNoInstanceRuns()
    {
        TProgramFolder folder;
        QVERIFY(folder.Ready());
        QProcess starter;
        folder.Start(starter);
        QVERIFY(starter.waitForFinished(10000));
        QCOMPARE(starter.exitStatus(), QProcess::NormalExit);
        QCOMPARE(starter.exitCode(), 0);
        QVERIFY(starter.readAllStandardError().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(folder.Started(), 10000);
        // Found and run in the program folder, whatever folder startjbx was
        // started in, and with the lock left free for it to take.
        QCOMPARE(folder.MarkerLines(), QStringList{folder.StartedLine()});
    }

    void waitsWhileTheInstanceHoldsTheLockThenStarts()
    {
        TProgramFolder folder;
        QVERIFY(folder.Ready());
        TSingleInstance running(LockName, folder.Runtime.path());
        QVERIFY(running.TryLock(0));

        QProcess starter;
        folder.Start(starter);
        // It waits while the instance still runs: nothing starts.
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += starter.readAllStandardError()).contains("waiting"), 10000);
        QVERIFY(!folder.Started());
        QCOMPARE(starter.state(), QProcess::Running);

        running.Unlock();
        QVERIFY(starter.waitForFinished(10000));
        QCOMPARE(starter.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(folder.Started(), 10000);
        QCOMPARE(folder.MarkerLines(), QStringList{folder.StartedLine()});
    }

    void givesUpWhenTheInstanceOutlastsTheWait()
    {
        TProgramFolder folder;
        QVERIFY(folder.Ready());
        TSingleInstance running(LockName, folder.Runtime.path());
        QVERIFY(running.TryLock(0));

        QElapsedTimer clock;
        clock.start();
        QProcess starter;
        folder.Start(starter, "300");
        QVERIFY(starter.waitForFinished(10000));
        QVERIFY(clock.elapsed() >= 300); // not before the wait is over
        QCOMPARE(starter.exitStatus(), QProcess::NormalExit);
        QCOMPARE(starter.exitCode(), 1);
        const QList<QByteArray> message = starter.readAllStandardError().trimmed().split('\n');
        QCOMPARE(message.size(), 2); // the wait, and the giving up
        QVERIFY2(message[1].contains("not started"), message[1].constData());

        // The live instance's lock is left alone.
        QVERIFY(QFile::exists(running.FileName()));
        QVERIFY(running.Locked());

        // Once the instance has ended, a second restart starts the program,
        // and that is the only start: had the first one started it anyway,
        // its line would have come long before this one.
        running.Unlock();
        QProcess next;
        folder.Start(next, {}, QStringLiteral("2"));
        QVERIFY(next.waitForFinished(10000));
        QCOMPARE(next.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(folder.Started(), 10000);
        QCOMPARE(folder.MarkerLines(), QStringList{folder.StartedLine(QStringLiteral("2"))});
    }

    void refusesAtOnceWithoutAProgramToStart_data()
    {
        QTest::addColumn<TProgram>("program");
        QTest::newRow("missing") << TProgram::Missing;
        QTest::newRow("not executable") << TProgram::NotExecutable;
    }

    void refusesAtOnceWithoutAProgramToStart()
    {
        QFETCH(TProgram, program);
        TProgramFolder folder(program);
        QVERIFY(folder.Ready());
        // Held, and the full wait of a minute: only an answer without
        // waiting finishes in time.
        TSingleInstance running(LockName, folder.Runtime.path());
        QVERIFY(running.TryLock(0));

        QProcess starter;
        folder.Start(starter);
        QVERIFY(starter.waitForFinished(10000));
        QCOMPARE(starter.exitStatus(), QProcess::NormalExit);
        QCOMPARE(starter.exitCode(), 2);
        const QByteArray message = starter.readAllStandardError();
        QCOMPARE(message.count('\n'), 1);
        QVERIFY2(message.contains(folder.Folder.filePath(QStringLiteral("Jotterbox")).toUtf8()),
                 message.constData());
        QVERIFY(!folder.Started());
    }
};

QTEST_GUILESS_MAIN(TestStartjbx)
#include "tst_startjbx.moc"
