// A client nobody here wrote, against the same Radicale server: todoman
// keeps its to-dos in a folder that vdirsyncer syncs with the server. What
// one side makes or changes, the other sees, and what todoman wrote that
// this program does not know (a location, its own sequence) survives a
// round trip through the program.
#include "support/SyncMachine.h"
#include "support/TRadicale.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class TstInterop : public QObject {
    Q_OBJECT

    TRadicale FServer;
    QTemporaryDir FHome;
    QString FError;
    QString FEditor; // what todoman's raw edit runs, when set

    QString Folder(const QString &name) const { return FHome.filePath(name); }

    // Runs a tool of the other client with its configuration; its output,
    // and FError set when it failed.
    QString Run(const QString &program, const QStringList &arguments)
    {
        FError.clear();
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), FHome.path());
        environment.insert(QStringLiteral("VDIRSYNCER_CONFIG"), Folder(QStringLiteral("vdirsyncer.conf")));
        if (!FEditor.isEmpty())
            environment.insert(QStringLiteral("EDITOR"), FEditor);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            FError = program + u' ' + arguments.join(u' ') + QStringLiteral(" failed:\n") +
                     QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
            return {};
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    bool VdirSync()
    {
        Run(QStringLiteral("vdirsyncer"), {QStringLiteral("sync")});
        return FError.isEmpty();
    }
    QString Todo(const QStringList &arguments)
    {
        return Run(QStringLiteral("todoman"),
                   QStringList{QStringLiteral("--config"), Folder(QStringLiteral("todoman.py"))} + arguments);
    }
    // todoman's list, every to-do, as the JSON it promises to keep stable.
    QJsonArray TodoList()
    {
        return QJsonDocument::fromJson(Todo({QStringLiteral("--porcelain"), QStringLiteral("list"),
                                             QStringLiteral("--status"), QStringLiteral("ANY")})
                                           .toUtf8())
            .array();
    }
    static QJsonObject WithSummary(const QJsonArray &todos, const QString &summary)
    {
        for (const QJsonValue &todo : todos)
            if (todo.toObject().value(QStringLiteral("summary")).toString() == summary)
                return todo.toObject();
        return {};
    }
    QByteArray LocalItemWith(const QByteArray &words) const
    {
        QDir folder(Folder(QStringLiteral("tasks")));
        for (const QString &name : folder.entryList({QStringLiteral("*.ics")})) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                if (const QByteArray text = file.readAll(); text.contains(words))
                    return text;
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        if (!TRadicale::Installed() ||
            QStandardPaths::findExecutable(QStringLiteral("vdirsyncer")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("todoman")).isEmpty())
            QSKIP("radicale, vdirsyncer or todoman is not installed (./x setup installs them)");
        QVERIFY2(FServer.Start(), qPrintable(FServer.Error()));
        QVERIFY2(FServer.CreateTaskList(QStringLiteral("tasks")), qPrintable(FServer.Error()));
        QVERIFY(QDir().mkpath(Folder(QStringLiteral("tasks"))));
        QFile config(Folder(QStringLiteral("vdirsyncer.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(
            QStringLiteral("[general]\nstatus_path = \"%1\"\n\n"
                           "[pair tasks]\na = \"local\"\nb = \"remote\"\ncollections = null\n\n"
                           "[storage local]\ntype = \"filesystem\"\npath = \"%2\"\nfileext = \".ics\"\n\n"
                           "[storage remote]\ntype = \"caldav\"\nurl = \"%3\"\n"
                           "username = \"%4\"\npassword = \"%5\"\n")
                .arg(Folder(QStringLiteral("status")), Folder(QStringLiteral("tasks")),
                     FServer.Url(QStringLiteral("tasks")).toString(), FServer.User(), FServer.Password())
                .toUtf8());
        config.close();
        QFile todoman(Folder(QStringLiteral("todoman.py")));
        QVERIFY(todoman.open(QIODevice::WriteOnly));
        todoman.write(QStringLiteral("path = \"%1\"\ndate_format = \"%Y-%m-%d\"\ntime_format = \"%H:%M\"\n"
                                     "default_list = \"tasks\"\ndefault_due = 0\n")
                          .arg(Folder(QStringLiteral("tasks")))
                          .toUtf8());
        todoman.close();
        Run(QStringLiteral("vdirsyncer"), {QStringLiteral("discover"), QStringLiteral("tasks")});
        QVERIFY2(FError.isEmpty(), qPrintable(FError));
    }

    void aTodoAndATaskTravelBothWays()
    {
        // Made in todoman, with a due date and a location of its own.
        Todo({QStringLiteral("new"), QStringLiteral("--due"), QStringLiteral("2026-12-20"),
              QStringLiteral("--location"), QStringLiteral("Office"), QStringLiteral("Call the plumber")});
        QVERIFY2(FError.isEmpty(), qPrintable(FError));
        QVERIFY2(VdirSync(), qPrintable(FError));

        TSyncMachine program(FServer, QStringLiteral("tasks"));
        QCOMPARE(program.Round().Downloaded, 1);
        QCOMPARE(program.Texts(), QStringList{QStringLiteral("Call the plumber")});
        TTask *task = program.List.GetTask(0);
        QCOMPARE(DateTimeToQDate(task->DueDate), QDate(2026, 12, 20));

        // Changed and finished here, and a task of the program's own.
        task->Text = "Call the plumber\r\nabout the kitchen sink";
        task->Finished = true;
        task->Priority = TTask::PriorityHigh;
        task->Modified = TClock::Now();
        program.Add("Renew the passport");
        QCOMPARE(program.Round().Uploaded, 2);
        QVERIFY2(VdirSync(), qPrintable(FError));

        const QJsonArray todos = TodoList();
        const QJsonObject plumber = WithSummary(todos, QStringLiteral("Call the plumber"));
        QVERIFY2(!plumber.isEmpty(), QJsonDocument(todos).toJson().constData());
        QCOMPARE(plumber.value(QStringLiteral("completed")).toBool(), true);
        QCOMPARE(plumber.value(QStringLiteral("description")).toString(),
                 QStringLiteral("Call the plumber\nabout the kitchen sink"));
        QCOMPARE(plumber.value(QStringLiteral("priority")).toInt(), 1);
        QCOMPARE(plumber.value(QStringLiteral("location")).toString(), QStringLiteral("Office"));
        QVERIFY(!WithSummary(todos, QStringLiteral("Renew the passport")).isEmpty());
        QVERIFY(LocalItemWith("Call the plumber").contains("SEQUENCE:"));

        // Renamed in todoman (its raw file, as an editor changes it): the
        // task's first line follows, the rest of the text stays.
        FEditor = QStringLiteral("sed -i 's/^SUMMARY:Call the plumber/SUMMARY:Call the electrician/'");
        const QString id = QString::number(plumber.value(QStringLiteral("id")).toInt());
        Todo({QStringLiteral("edit"), QStringLiteral("--raw"), id});
        QVERIFY2(FError.isEmpty(), qPrintable(FError));
        FEditor.clear();
        QVERIFY2(VdirSync(), qPrintable(FError));
        QCOMPARE(program.Round().Downloaded, 1);
        QVERIFY(program.Find(QStringLiteral("Call the electrician\r\nabout the kitchen sink")));
    }
};

QTEST_GUILESS_MAIN(TstInterop)
#include "tst_interop.moc"
