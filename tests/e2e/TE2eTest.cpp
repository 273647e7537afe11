#include "e2e/TE2eTest.h"

#include "e2e/TProgram.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

void TE2eTest::initTestCase()
{
    const QString missing = StartDisplay();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
}

void TE2eTest::cleanup() { FDir.reset(); }

QString TE2eTest::StartDisplay()
{
    if (!TXServer::XvfbInstalled())
        return QStringLiteral("Xvfb is not installed: the end-to-end tests need a private X display");
    QString error;
    if (!FX.Start(true, FTrayHost, &error))
        return QStringLiteral("Xvfb could not start: ") + error;
    return {};
}

QString TE2eTest::InstallFresh()
{
    FDir = std::make_unique<QTemporaryDir>();
    if (!FDir->isValid())
        return QStringLiteral("no temporary folder: ") + FDir->errorString();
    FFolder = FDir->filePath(QStringLiteral("Jotterbox"));
    FRuntime = FDir->filePath(QStringLiteral("runtime"));
    if (!MakeRuntimeFolder(FRuntime))
        return QStringLiteral("cannot make ") + FRuntime;
    const QString installError = InstallProgram(FFolder);
    if (!installError.isEmpty())
        return installError;
    // A first start would also show the toolbar and the tip of the day; each
    // case shows only the windows it is about.
    return WriteSettings(QStringLiteral("ShowTips=0\r\nShowToolBar=0\r\n"));
}

QString TE2eTest::WriteSettings(const QString &userInterfaceLines)
{
    QFile ini(Path(QStringLiteral("Jotterbox.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("cannot write ") + ini.fileName();
    ini.write(QStringLiteral("[User Interface]\r\n").toLatin1() + userInterfaceLines.toLatin1());
    return {};
}

QProcessEnvironment TE2eTest::Environment() const
{
    QProcessEnvironment environment = DisplayEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), FRuntime);
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("jbx.events=true"));
    // The program's texts in English, the language the tests read, whatever
    // the desktop running them speaks; formats still follow LC_ALL and LANG.
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    // The user's data folder, where a save that cannot go to the program
    // folder goes instead: the test's, not the home of whoever runs it.
    if (FDir)
        environment.insert(QStringLiteral("XDG_DATA_HOME"), FDir->filePath(QStringLiteral("share")));
    return environment;
}

void TE2eTest::WriteDataFile(const std::function<void(TTaskList &)> &fill)
{
    TUserInfo settings(FFolder + u'/');
    TTaskList tasks(settings);
    fill(tasks);
    tasks.SaveToFile(Path(QStringLiteral("Jotterbox.dat")));
}

void TE2eTest::ReadDataFile(const std::function<void(const TTaskList &)> &check) const
{
    TUserInfo settings(FFolder + u'/');
    TTaskList tasks(settings);
    tasks.LoadFromFile(Path(QStringLiteral("Jotterbox.dat")));
    check(tasks);
}

QByteArray TE2eTest::RunOnDisplay(const QString &program, const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(DisplayEnvironment());
    process.start(program, arguments);
    process.waitForFinished(20000);
    return process.readAllStandardOutput();
}

QString TE2eTest::XDo(const QStringList &arguments) const
{
    return QString::fromLocal8Bit(RunOnDisplay(QStringLiteral("xdotool"), arguments)).trimmed();
}

void TE2eTest::PointerTo(QPoint at) const
{
    XDo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
}

QRect TE2eTest::Geometry(const QString &id) const
{
    const QString info =
        QString::fromLocal8Bit(RunOnDisplay(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}));
    auto field = [&info](const char *name) {
        const QRegularExpression pattern(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name)));
        return pattern.match(info).captured(1).toInt();
    };
    if (!info.contains(QStringLiteral("IsViewable")))
        return {};
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height")};
}

QImage TE2eTest::Screenshot() const
{
    return QImage::fromData(
        RunOnDisplay(QStringLiteral("import"),
                     {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")}),
        "PNG");
}

QString TE2eTest::SaveScreenshot(const QString &name) const
{
    const QString artefacts = QStringLiteral(JBX_BUILD_DIR "/artefacts");
    if (!QDir().mkpath(artefacts))
        return {};
    const QString shot = artefacts + u'/' + name;
    QFile::remove(shot);
    RunOnDisplay(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), shot});
    return QFileInfo(shot).size() > 0 ? shot : QString();
}

QString TE2eTest::At(QPoint p) { return QStringLiteral("%1,%2").arg(p.x()).arg(p.y()); }

QString TE2eTest::DragBy(const QString &id, QPoint press, QPoint shift) const
{
    const QRect before = Geometry(id);
    PointerTo(press);
    XDo({QStringLiteral("mousedown"), QStringLiteral("1")});
    const QPoint first = press + QPoint(2, 2);
    PointerTo(first);
    // On a busy machine the manager takes over late, and what the pointer
    // did before that is lost: small steps until the window follows them.
    int nudge = 0;
    const bool followed = Eventually([&] {
        PointerTo(first + QPoint(2 + nudge++ % 2, 2));
        return Geometry(id) != before;
    });
    QRect following = Geometry(id);
    for (int step = 1; step <= 5; ++step)
        PointerTo(first + shift * step / 5);
    const bool arrived = followed && Eventually([&] { return Geometry(id) != following; });
    following = Geometry(id);
    XDo({QStringLiteral("mouseup"), QStringLiteral("1")});
    if (!followed)
        return QStringLiteral("the window did not follow the pointer from ") + At(press);
    if (!arrived)
        return QStringLiteral("the window stopped following at ") + At(following.topLeft());
    return {};
}

QStringList TE2eTest::ProgramWindows(TProgram &program) const
{
    const QString pid = QString::number(program.Process().processId());
    const QStringList ids =
        XDo({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
             QStringLiteral("--pid"), pid, QStringLiteral("--name"), QStringLiteral("^Jotterbox$")})
            .split(u'\n', Qt::SkipEmptyParts);
    QStringList windows;
    for (const QString &id : ids)
        if (const QRect place = Geometry(id); place.width() > 64 && place.height() > 64)
            windows << id;
    return windows;
}

QString TE2eTest::WindowSized(TProgram &program, QSize size) const
{
    const QStringList ids =
        XDo({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
             QStringLiteral("--pid"), QString::number(program.Process().processId()),
             QStringLiteral("--name"), QStringLiteral(".")})
            .split(u'\n', Qt::SkipEmptyParts);
    for (const QString &id : ids)
        if (Geometry(id).size() == size)
            return id;
    return {};
}

QString TE2eTest::SettledWindow(TProgram &program, QString *why) const
{
    const QDeadlineTimer deadline(20000);
    QDeadlineTimer still(1000);
    QStringList windows;
    QRect last;
    while (!deadline.hasExpired()) {
        program.Output(); // keeps the program's stderr pipe from filling up
        windows = ProgramWindows(program);
        const QRect now = windows.size() == 1 ? Geometry(windows[0]) : QRect();
        if (now != last || windows.size() != 1)
            still.setRemainingTime(1000);
        else if (still.hasExpired())
            return windows[0];
        last = now;
        QTest::qWait(50);
    }
    if (why)
        *why = QStringLiteral("%1 program windows on screen, not one settled; program output:\n%2")
                   .arg(windows.size())
                   .arg(program.Output());
    return {};
}

QString TE2eTest::Started(TProgram &program, QString *why) const
{
    program.Start();
    if (!program.WaitForIdle()) {
        *why = QStringLiteral("the program did not get going:\n") + program.Output();
        return {};
    }
    return SettledWindow(program, why);
}

QString TE2eTest::TrayIcon(TProgram &program) const
{
    const QString tree = QString::fromLocal8Bit(RunOnDisplay("xwininfo", {"-root", "-tree"}));
    const QRegularExpression icon(
        "(0x[0-9a-f]+) \"[^\"]*\": \\(\"Jotterbox\" \"Jotterbox\"\\)\\s+(\\d+)x(\\d+)");
    const QString panelId =
        QRegularExpression("(0x[0-9a-f]+) \"panel\": \\(\"panel\" \"trayer\"\\)").match(tree).captured(1);
    if (panelId.isEmpty())
        return {};
    const QString pid = QString::number(program.Process().processId());
    const QString inside = QString::fromLocal8Bit(RunOnDisplay("xwininfo", {"-tree", "-id", panelId}));
    for (const QRegularExpressionMatch &match : icon.globalMatch(inside))
        if (match.captured(2).toInt() <= 64 && XDo({"getwindowpid", match.captured(1)}) == pid)
            return match.captured(1);
    return {};
}

bool TE2eTest::OpenTrayMenu(TProgram &program, int button) const
{
    QString icon;
    if (!Eventually([&] { return !(icon = TrayIcon(program)).isEmpty(); }, 15000))
        return false;
    const QImage before = Screenshot();
    PointerTo(Geometry(icon).center());
    XDo({"click", QString::number(button)});
    // Up once it has drawn itself.
    return program.WaitForLine("jbx.events: tray menu", 10000) &&
           Eventually([&] { return Screenshot() != before; });
}

bool TE2eTest::Eventually(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

QString TE2eTest::LoseDisplayAfter(const QString &line, const std::function<QString(TProgram &)> &meanwhile)
{
    auto display = std::make_unique<TXServer>();
    QString error;
    if (!display->Start(false, false, &error))
        return error;
    QProcessEnvironment environment = Environment();
    environment.insert("DISPLAY", display->Display());
    TProgram program(FFolder, environment);
    program.Start();
    if (!program.WaitForLine(line))
        return "no '" + line + "'; output:\n" + program.Output();
    if (meanwhile) {
        const QString why = meanwhile(program);
        if (!why.isEmpty())
            return why + "; output:\n" + program.Output();
    }
    display.reset();
    if (!program.Process().waitForFinished(20000))
        return "still running without its display; output:\n" + program.Output();
    if (program.Process().exitStatus() != QProcess::NormalExit)
        return QStringLiteral("ended by signal %1; output:\n").arg(program.Process().exitCode()) +
               program.Output();
    const QStringList locks = QDir(FRuntime).entryList({"*.lock"}, QDir::Files | QDir::Hidden);
    if (!locks.isEmpty())
        return "the lock was left behind: " + locks.join(u' ');
    return {};
}

QStringList TE2eTest::Stacking() const
{
    const QString line =
        QString::fromLocal8Bit(RunOnDisplay(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST_STACKING"}));
    QStringList ids;
    const QRegularExpression hex(QStringLiteral("0x[0-9a-f]+"));
    for (const QRegularExpressionMatch &match : hex.globalMatch(line))
        ids << QString::number(match.captured().toULongLong(nullptr, 16));
    return ids;
}

QString TE2eTest::Above(const QString &upper, const QStringList &lower) const
{
    const QStringList order = Stacking();
    const qsizetype top = order.indexOf(upper);
    if (top < 0)
        return upper + " is not among the managed windows: " + order.join(u' ');
    for (const QString &id : lower)
        if (order.indexOf(id) > top)
            return upper + " lies under " + id + "; stacking " + order.join(u' ');
    return {};
}

QString TE2eTest::NewWindowTitled(TProgram &program, const QString &title, const QStringList &known) const
{
    const QStringList ids = XDo({"search", "--all", "--onlyvisible", "--pid",
                                 QString::number(program.Process().processId()), "--name", '^' + title + '$'})
                                .split(u'\n', Qt::SkipEmptyParts);
    for (const QString &id : ids)
        if (!known.contains(id) && !Geometry(id).isEmpty())
            return id;
    return {};
}
