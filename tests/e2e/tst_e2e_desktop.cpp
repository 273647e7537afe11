// The installed program's --install-desktop and --uninstall-desktop: they
// need no display, work beside a running copy, write the menu entry and
// icons under the user's data folder and nothing in the program folder,
// and take exactly those away again.

#include "e2e/TE2eTest.h"
#include "e2e/TProgram.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <csignal>

class TestE2eDesktop : public TE2eTest {
    Q_OBJECT

    QTemporaryDir FHome;

    // The program run with one option and no display; its exit code, or -1.
    int Run(const QString &option, QString *output)
    {
        QProcessEnvironment environment = Environment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("HOME"), FHome.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), FHome.filePath(QStringLiteral("share")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), FHome.filePath(QStringLiteral("config")));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer clock;
        clock.start();
        process.start(Path(QStringLiteral("Jotterbox")), {option});
        const bool ended = process.waitForFinished(20000);
        qInfo("%s took %lld ms", qPrintable(option), clock.elapsed());
        *output = QString::fromLocal8Bit(process.readAll());
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private slots:
    void init()
    {
        const QString installError = InstallFresh();
        QVERIFY2(installError.isEmpty(), qPrintable(installError));
    }

    void theMenuEntryComesAndGoesBesideARunningCopy()
    {
        const QSet<QString> folder = FilesBelow(FFolder);
        QString output;
        QCOMPARE(Run(QStringLiteral("--install-desktop"), &output), 0);
        QVERIFY2(output.contains(QStringLiteral("added to the desktop's menu")), qPrintable(output));
        QSet<QString> expected{QStringLiteral("share/applications/Jotterbox.desktop"),
                               QStringLiteral("share/icons/hicolor/scalable/apps/Jotterbox.svg")};
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/Jotterbox.png").arg(size);
        QCOMPARE(FilesBelow(FHome.path()), expected);
        // Nothing read or written in the program folder, no lock taken.
        QCOMPARE(FilesBelow(FFolder), folder);
        QCOMPARE(FilesBelow(FRuntime), QSet<QString>());

        const QString entry = FHome.filePath(QStringLiteral("share/applications/Jotterbox.desktop"));
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(
            file.readAll().contains("\nExec=" + QFile::encodeName(Path(QStringLiteral("Jotterbox"))) + "\n"));
        if (const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
            !validate.isEmpty()) {
            QProcess check;
            check.setProcessChannelMode(QProcess::MergedChannels);
            check.start(validate, {entry});
            QVERIFY(check.waitForFinished(20000));
            QVERIFY2(check.exitCode() == 0, check.readAll().constData());
        }

        // With the program running, both still work and leave it alone.
        TProgram program(FFolder, Environment());
        program.Start();
        QVERIFY2(program.WaitForIdle(), qPrintable(program.Output()));
        QCOMPARE(Run(QStringLiteral("--install-desktop"), &output), 0);
        QCOMPARE(Run(QStringLiteral("--uninstall-desktop"), &output), 0);
        QVERIFY2(output.contains(QStringLiteral("removed from the desktop's menu")), qPrintable(output));
        QVERIFY(program.Running());
        QCOMPARE(program.Stop(SIGTERM), 0);
        QCOMPARE(FilesBelow(FHome.path()), QSet<QString>());
    }
};

QTEST_MAIN(TestE2eDesktop)
#include "tst_e2e_desktop.moc"
