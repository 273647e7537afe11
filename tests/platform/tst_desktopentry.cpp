// The program in the desktop's menu and at login: the entries read right
// by the desktop's own checker, install and uninstall write and remove
// exactly their files, and start at login is the autostart entry's presence.

#include "platform/DesktopEntry.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace DesktopEntry;

namespace {
const QString KProgramFolder = QStringLiteral(JBX_SOURCE_DIR "/assets");

QString Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

class TestDesktopEntry : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FHome;
    TPlaces FPlaces;

    QString Home() const { return FHome->path(); }

private slots:
    void init()
    {
        FHome = std::make_unique<QTemporaryDir>();
        FPlaces = {Home() + QStringLiteral("/data"), Home() + QStringLiteral("/config")};
    }

    void execValuesFollowTheQuotingRules_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "/opt/Jotterbox/Jotterbox"
                               << "/opt/Jotterbox/Jotterbox";
        QTest::newRow("blank") << "/home/ann/My Notes/Jotterbox"
                               << "\"/home/ann/My Notes/Jotterbox\"";
        QTest::newRow("dollar") << "/home/ann/$x/Jotterbox"
                                << "\"/home/ann/\\\\$x/Jotterbox\"";
        QTest::newRow("backslash") << "/home/ann/a\\b/Jotterbox"
                                   << "\"/home/ann/a\\\\\\\\b/Jotterbox\"";
        QTest::newRow("double quote") << "/tmp/\"q\"/Jotterbox"
                                      << "\"/tmp/\\\\\"q\\\\\"/Jotterbox\"";
        QTest::newRow("percent") << "/tmp/100%/Jotterbox"
                                 << "/tmp/100%%/Jotterbox";
        QTest::newRow("non-ASCII") << "/home/zoë/Jotterbox"
                                   << "/home/zoë/Jotterbox";
    }

    void execValuesFollowTheQuotingRules()
    {
        QFETCH(QString, executable);
        QFETCH(QString, value);
        QCOMPARE(ExecValue(executable), value);

        // And the desktop's own checker takes the entries made with it.
        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validate.isEmpty())
            return;
        for (const bool autostart : {false, true}) {
            const QString path = Home() + QStringLiteral("/Jotterbox.desktop");
            Write(path, EntryText(executable, autostart).toUtf8());
            QProcess check;
            check.setProcessChannelMode(QProcess::MergedChannels);
            check.start(validate, {path});
            QVERIFY(check.waitForFinished(20000));
            const QByteArray said = check.readAll();
            QVERIFY2(check.exitCode() == 0 && said.isEmpty(), said.constData());
        }
    }

    // The desktop starts what the entries name from a folder whatever its
    // name, the "%" that the rules escape included (GLib's gio launches as
    // GNOME's menu does).
    void entriesLaunchTheProgramFromAnyFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("percent") << "100%";
        QTest::newRow("percent, blank and dollar") << "my 100% $x";
        QTest::newRow("percent sign and field code") << "50%u";
    }

    void entriesLaunchTheProgramFromAnyFolder()
    {
        QFETCH(QString, folder);
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("gio is not installed");
        const QString executable = Home() + u'/' + folder + QStringLiteral("/Jotterbox");
        const QString ran = Home() + QStringLiteral("/ran");
        Write(executable, "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\" > '" + ran.toUtf8() + "'\n");
        QVERIFY(QFile::setPermissions(executable, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        for (const bool autostart : {false, true}) {
            QFile::remove(ran);
            const QString entry = Home() + QStringLiteral("/Jotterbox.desktop");
            Write(entry, EntryText(executable, autostart).toUtf8());
            QProcess launch;
            launch.setProcessChannelMode(QProcess::MergedChannels);
            launch.start(gio, {QStringLiteral("launch"), entry});
            QVERIFY(launch.waitForFinished(20000));
            QVERIFY2(launch.exitCode() == 0, launch.readAll().constData());
            QTRY_COMPARE_WITH_TIMEOUT(Read(ran), executable + u'|', 10000);
        }
    }

    void installAndUninstallTouchExactlyTheirFiles_data()
    {
        QTest::addColumn<QStringList>("before"); // files already under the home folder
        QTest::newRow("a fresh home") << QStringList();
        QTest::newRow("other programs' entries and icons") << QStringList{
            "data/applications/other.desktop", "data/icons/hicolor/48x48/apps/other.png",
            "data/icons/hicolor/scalable/apps/Jotterbox-old.svg", "config/autostart/other.desktop"};
        QTest::newRow("installed before, from elsewhere") << QStringList{
            "data/applications/Jotterbox.desktop", "data/icons/hicolor/16x16/apps/Jotterbox.png"};
    }

    void installAndUninstallTouchExactlyTheirFiles()
    {
        QFETCH(QStringList, before);
        for (const QString &file : before)
            Write(Home() + u'/' + file, "someone else's");
        QSet<QString> expected(before.begin(), before.end());
        const QSet<QString> untouched = expected;

        QCOMPARE(Install(KProgramFolder, FPlaces), QString());
        QStringList written = InstalledFiles(FPlaces);
        QCOMPARE(written.size(), 10); // the entry, eight PNG sizes and the SVG
        for (const QString &path : written)
            expected << QDir(Home()).relativeFilePath(path);
        QCOMPARE(FilesBelow(Home()), expected);
        const QString entry = Read(written.first());
        QVERIFY2(entry.contains(QStringLiteral("\nExec=%1/Jotterbox\n").arg(KProgramFolder)),
                 qPrintable(entry));
        QVERIFY(entry.contains(QStringLiteral("\nExec=%1/Jotterbox --new-note\n").arg(KProgramFolder)));
        QCOMPARE(Read(written.last()),
                 Read(KProgramFolder + QStringLiteral("/icons/scalable/Jotterbox.svg")));
        // The autostart entry is no part of it.
        QVERIFY(!AutostartEnabled(FPlaces));

        QCOMPARE(Uninstall(FPlaces), QString());
        QSet<QString> left = untouched;
        for (const QString &path : written)
            left.remove(QDir(Home()).relativeFilePath(path));
        QCOMPARE(FilesBelow(Home()), left);
        // Twice is no fault.
        QCOMPARE(Uninstall(FPlaces), QString());
    }

    void aFolderWithoutIconsInstallsNothing()
    {
        QTemporaryDir bare;
        QVERIFY(Install(bare.path(), FPlaces).contains(QStringLiteral("cannot read")));
        QCOMPARE(FilesBelow(Home()), QSet<QString>());
    }

    void startAtLoginIsTheAutostartEntry()
    {
        QVERIFY(!AutostartEnabled(FPlaces));
        QCOMPARE(SetAutostart(false, KProgramFolder, FPlaces), QString()); // off stays off
        QCOMPARE(SetAutostart(true, KProgramFolder, FPlaces), QString());
        QVERIFY(AutostartEnabled(FPlaces));
        QCOMPARE(AutostartFile(FPlaces), Home() + QStringLiteral("/config/autostart/Jotterbox.desktop"));
        QCOMPARE(FilesBelow(Home()), QSet<QString>{QStringLiteral("config/autostart/Jotterbox.desktop")});
        const QString entry = Read(AutostartFile(FPlaces));
        QVERIFY(entry.contains(QStringLiteral("\nExec=%1/Jotterbox\n").arg(KProgramFolder)));
        QVERIFY(!entry.contains(QStringLiteral("--"))); // a plain start, no command

        // An entry the user made by hand counts the same, and goes the same.
        QCOMPARE(SetAutostart(false, KProgramFolder, FPlaces), QString());
        QVERIFY(!AutostartEnabled(FPlaces));
        Write(AutostartFile(FPlaces), "[Desktop Entry]\n");
        QVERIFY(AutostartEnabled(FPlaces));
        QCOMPARE(SetAutostart(false, KProgramFolder, FPlaces), QString());
        QCOMPARE(FilesBelow(Home()), QSet<QString>());
    }

    void userFoldersFollowTheRules_data()
    {
        QTest::addColumn<QString>("dataHome");
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("config");
        const QString home = QDir::homePath();
        QTest::newRow("set") << "/x/share"
                             << "/x/conf"
                             << "/x/share"
                             << "/x/conf";
        QTest::newRow("unset") << ""
                               << "" << home + "/.local/share" << home + "/.config";
        QTest::newRow("relative, so ignored") << "share"
                                              << "conf" << home + "/.local/share" << home + "/.config";
    }

    void userFoldersFollowTheRules()
    {
        QFETCH(QString, dataHome);
        QFETCH(QString, configHome);
        QFETCH(QString, data);
        QFETCH(QString, config);
        const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", dataHome.toUtf8());
        qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
        const TPlaces places = TPlaces::User();
        qputenv("XDG_DATA_HOME", oldData);
        qputenv("XDG_CONFIG_HOME", oldConfig);
        QCOMPARE(places.DataHome, data);
        QCOMPARE(places.ConfigHome, config);
    }
};

QTEST_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
