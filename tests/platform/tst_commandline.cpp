// The command line: what each argument list asks for, and the help that
// names every option.

#include "platform/CommandLine.h"

#include <QSet>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void argumentsAskForOneThing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("error");

        const int start = TCommandLine::Start, remote = TCommandLine::Remote, local = TCommandLine::Local,
                  invalid = TCommandLine::Invalid;
        QTest::newRow("nothing") << QStringList{} << start << ""
                                 << "";
        for (const char *name : {"new-note", "toggle-list", "show-list", "options", "sync-now", "exit"})
            QTest::newRow(name) << QStringList{QStringLiteral("--") + name} << remote << name << "";
        QTest::newRow("help") << QStringList{"--help"} << local << "help"
                              << "";
        QTest::newRow("version") << QStringList{"--version"} << local << "version"
                                 << "";
        for (const char *name : {"install-desktop", "uninstall-desktop"})
            QTest::newRow(name) << QStringList{QStringLiteral("--") + name} << local << name << "";

        QTest::newRow("unknown") << QStringList{"--new-notes"} << invalid << ""
                                 << "unknown option '--new-notes'";
        QTest::newRow("single dash") << QStringList{"-new-note"} << invalid << ""
                                     << "unexpected argument '-new-note'";
        QTest::newRow("bare word") << QStringList{"exit"} << invalid << ""
                                   << "unexpected argument 'exit'";
        QTest::newRow("two dashes alone") << QStringList{"--"} << invalid << ""
                                          << "unexpected argument '--'";
        QTest::newRow("empty") << QStringList{""} << invalid << ""
                               << "unexpected argument ''";
        QTest::newRow("case matters") << QStringList{"--Exit"} << invalid << ""
                                      << "unknown option '--Exit'";
        QTest::newRow("value") << QStringList{"--exit=now"} << invalid << ""
                               << "option '--exit' takes no value";
        QTest::newRow("unknown with value") << QStringList{"--bogus=1"} << invalid << ""
                                            << "unknown option '--bogus=1'";
        QTest::newRow("two commands") << QStringList{"--new-note", "--exit"} << invalid << ""
                                      << "one option at a time: '--new-note' and '--exit'";
        QTest::newRow("the same twice") << QStringList{"--help", "--help"} << invalid << ""
                                        << "one option at a time: '--help' and '--help'";
        QTest::newRow("then a stray word") << QStringList{"--show-list", "now"} << invalid << ""
                                           << "unexpected argument 'now'";
    }

    void argumentsAskForOneThing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, kind);
        QFETCH(QString, command);
        QFETCH(QString, error);
        const TCommandLine line = ParseCommandLine(arguments);
        QCOMPARE(int(line.Kind), kind);
        QCOMPARE(line.Command, kind == TCommandLine::Invalid ? QString() : command);
        QCOMPARE(line.Error, error);
        // What a running instance accepts is exactly what may be sent to it.
        if (kind == TCommandLine::Remote || kind == TCommandLine::Local)
            QCOMPARE(IsRemoteCommand(command), kind == TCommandLine::Remote);
    }

    void helpNamesEveryOptionAndTheVersionIsTheProgramsOwn()
    {
        const QString help = CommandLineHelp();
        QVERIFY(help.startsWith(QStringLiteral("Usage: Jotterbox [OPTION]\n")));
        const QStringList lines = help.split(u'\n');
        QStringList listed;
        for (const QString &line : lines)
            if (line.startsWith(QStringLiteral("  --")))
                listed << line.mid(2).section(u' ', 0, 0);
        QCOMPARE(listed,
                 (QStringList{"--new-note", "--toggle-list", "--show-list", "--options", "--sync-now",
                              "--exit", "--install-desktop", "--uninstall-desktop", "--help", "--version"}));
        // Each listed option is one the parser takes, and the texts line up.
        for (const QString &option : listed)
            QVERIFY2(ParseCommandLine({option}).Kind != TCommandLine::Invalid, qPrintable(option));
        QSet<qsizetype> columns;
        for (const QString &line : lines)
            if (line.startsWith(QStringLiteral("  --"))) {
                qsizetype text = line.indexOf(u' ', 4);
                while (line.at(text) == u' ')
                    ++text;
                columns << text;
            }
        QCOMPARE(columns, QSet<qsizetype>{qsizetype(2 + QStringLiteral("--uninstall-desktop  ").size())});
        QCOMPARE(VersionText(), QStringLiteral("Jotterbox 1.03\n"));
        QVERIFY(!IsRemoteCommand(QString()));
        QVERIFY(!IsRemoteCommand(QStringLiteral("new-note\n")));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
