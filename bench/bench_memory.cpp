// What a long session leaves behind, offscreen, in this process: the
// memory after 100 and 1,000 note windows opened and closed the way the
// program does it, and after 10,000 and 100,000 ticks of the reminder scan
// with notes on screen, some of them alerting, reminders falling due and
// being acknowledged, and the shrunk list window's title cycling. At each
// step: peak and current resident memory (VmHWM, VmRSS), the heap in use
// and the windows alive. The floor is the same figures before the first
// cycle: flat means the growth per cycle is about zero.
//
//   bench_memory [--cycles N] [--ticks N]   (the last step of each; the
//                                            first is a tenth of it)

#include "BenchSupport.h"
#include "SkinFolder.h"
#include "base/Clock.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "notes/NoteWindows.h"
#include "notes/ReminderEngine.h"
#include "notes/TFormNote.h"
#include "platform/Fonts.h"
#include "settings/TUserInfo.h"
#include "tasklist/TFormTaskList.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <random>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int TaskCount = 1000;
constexpr int NotesDuringTicks = 10;
// Growth per cycle that still counts as flat: a few bytes of allocator
// bookkeeping, far below the smallest object a leak would leave.
constexpr double FlatBytesPerNote = 64;
constexpr double FlatBytesPerTick = 1;

struct TMemory {
    double PeakMiB = -1;
    double RssMiB = -1;
    double HeapBytes = -1;
    int Windows = 0;
};

double StatusMiB(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

TMemory Measure()
{
    // Whatever closed windows left for the event loop to delete goes first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    TMemory memory;
    memory.PeakMiB = StatusMiB("VmHWM");
    memory.RssMiB = StatusMiB("VmRSS");
#ifdef __GLIBC__
    const struct mallinfo2 info = mallinfo2();
    memory.HeapBytes = double(info.uordblks + info.hblkhd);
#endif
    memory.Windows = int(QApplication::topLevelWidgets().size());
    return memory;
}

void PrintHeader(const char *what)
{
    std::printf("\n%-28s %9s %9s %10s %8s %16s\n", what, "peak MiB", "RSS MiB", "heap MiB", "windows",
                "heap B per cycle");
}

void PrintStep(const char *label, long cycles, const TMemory &memory, const TMemory *previous,
               long previousCycles)
{
    char growth[32] = "";
    if (previous && cycles > previousCycles)
        std::snprintf(growth, sizeof growth, "%.1f",
                      (memory.HeapBytes - previous->HeapBytes) / double(cycles - previousCycles));
    std::printf("%-18s %9ld %9.1f %9.1f %10.2f %8d %16s\n", label, cycles, memory.PeakMiB, memory.RssMiB,
                memory.HeapBytes / (1 << 20), memory.Windows, growth);
}

void Verdict(const char *what, const TMemory &first, long firstCycles, const TMemory &last, long lastCycles,
             double flat, const TMemory &floor)
{
    const double perCycle = (last.HeapBytes - first.HeapBytes) / double(lastCycles - firstCycles);
    const double rssPerCycle = (last.RssMiB - first.RssMiB) * (1 << 20) / double(lastCycles - firstCycles);
    std::printf("%s: heap %+.1f B per cycle, RSS %+.1f B per cycle from %ld to %ld; windows %d, floor %d "
                "(flat, under %.0f B per cycle: %s)\n",
                what, perCycle, rssPerCycle, firstCycles, lastCycles, last.Windows, floor.Windows, flat,
                perCycle < flat && last.Windows == floor.Windows ? "met" : "MISSED");
}

// Opens a note for the task as every command does, lets it show and
// settle, and closes it as its close button does.
void NoteCycle(TTask *task)
{
    OpenNoteForTask(task);
    TFormNote *note = TFormNote::OpenNotes().value(0);
    if (!note)
        return;
    note->SettlePosition();
    QCoreApplication::processEvents();
    note->PanelXClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The offscreen platform warns at every show that it cannot raise a window;
// everything else goes through as usual.

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString runtime = TempDir().path() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    QApplication app(argc, argv);
    QuietenOffscreenPlugin();
    long cycles = 1000;
    long ticks = 100'000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--cycles"))
            cycles = qMax(10L, args[i + 1].toLong());
        if (args[i] == QLatin1String("--ticks"))
            ticks = qMax(10L, args[i + 1].toLong());
    }
    if (!TempDir().isValid() || !WriteSkin(TempDir().path())) {
        std::fprintf(stderr, "bench_memory: no temporary program folder\n");
        return 1;
    }
    InstallFontSubstitutions();
    TClock::Set(QDateTime(QDate(2024, 3, 5), QTime(9, 0)));
    CreateGlobals(TempDir().path() + u'/');
    UserInfo().V_Expanded = false; // the shrunk list's title cycles
    UserInfo().Showing = true;
    std::mt19937 rng{7};
    std::vector<TTask *> tasks;
    for (int i = 0; i < TaskCount; ++i) {
        TTask *task = TaskList().AddNewTask();
        task->Text = MakeText(rng);
        task->Left = 40 + 20 * (i % 30);
        task->Top = 40 + 15 * (i % 30);
        tasks.push_back(task);
    }
    TFormNote::InstallCreator();
    TReminderEngine reminders(TaskList());
    reminders.Halt();           // ticked by hand below
    long fired = 0, unseen = 0; // ticks on which reminders fell due; ... for tasks with no note
    QObject::connect(&reminders, &TReminderEngine::AlertSoundDue, [&fired] { ++fired; });
    QObject::connect(&reminders, &TReminderEngine::TrayAlertDue, [&unseen] { ++unseen; });
    auto list = std::make_unique<TFormTaskList>(&reminders);
    list->show();
    QCoreApplication::processEvents();

    // --- note windows opened and closed --------------------------------
    // First use: fonts, Qt's caches, and the allocator's per-thread caches,
    // which fill over a few hundred cycles and then stay (about 200 KB).
    for (int i = 0; i < 500; ++i)
        NoteCycle(tasks[size_t(i)]);
    const TMemory noteFloor = Measure();
    const long noteSteps[] = {cycles / 10, cycles};
    TMemory noteAt[2];
    QElapsedTimer clock;
    clock.start();
    long done = 0;
    for (int step = 0; step < 2; ++step) {
        for (; done < noteSteps[step]; ++done)
            NoteCycle(tasks[size_t(done % TaskCount)]);
        noteAt[step] = Measure();
    }
    const double noteMs = double(clock.nsecsElapsed()) / 1e6 / double(cycles);
    PrintHeader("note open/close");
    PrintStep("  before", 0, noteFloor, nullptr, 0);
    PrintStep("  after", noteSteps[0], noteAt[0], &noteFloor, 0);
    PrintStep("  after", noteSteps[1], noteAt[1], &noteAt[0], noteSteps[0]);
    std::printf("(%.2f ms per cycle)\n", noteMs);
    Verdict("notes", noteAt[0], noteSteps[0], noteAt[1], noteSteps[1], FlatBytesPerNote, noteFloor);

    // --- reminder ticks --------------------------------------------------
    // Ten notes on screen, three of them alerting (blinking); a fiftieth of
    // the tasks with reminders far ahead. Every 100 ticks five reminders
    // fall due, two of them on tasks with a note, and the alerts of last
    // time are acknowledged (the first note's blinks on throughout).
    for (int i = 0; i < NotesDuringTicks; ++i) {
        tasks[size_t(i)]->Alerting = i < 3;
        CreateNoteWindow(tasks[size_t(i)]);
    }
    for (TFormNote *note : TFormNote::OpenNotes())
        note->SettlePosition();
    for (int i = 0; i < TaskCount; i += 50)
        tasks[size_t(i)]->ReminderTime = TClock::Now() + 3650;
    auto tick = [&](long n) {
        if (n % 100 == 0) {
            for (TFormNote *note : TFormNote::OpenNotes())
                if (note->Task->Alerting && note->Task != tasks[0])
                    note->Acknowledged1Click(0);
            for (size_t i = NotesDuringTicks; i < tasks.size(); ++i)
                tasks[i]->Alerting = false;
            for (int k = 0; k < 5; ++k) {
                // Two with a note on screen (3 to 9), three without.
                const size_t index =
                    k < 2 ? size_t(3 + (n / 100 + k) % 7) : size_t(100 + (n / 100 * 3 + k) % 800);
                tasks[index]->ReminderTime = TClock::Now() - 1.0 / 86400;
                tasks[index]->Alerting = false;
            }
        }
        TClock::Advance(1000);
        reminders.Timer1Timer();
        QCoreApplication::processEvents();
    };
    for (long n = 0; n < 5000; ++n) // warm up as above
        tick(n);
    const TMemory tickFloor = Measure();
    const long tickSteps[] = {ticks / 10, ticks};
    TMemory tickAt[2];
    clock.restart();
    done = 0;
    for (int step = 0; step < 2; ++step) {
        for (; done < tickSteps[step]; ++done)
            tick(5000 + done);
        tickAt[step] = Measure();
    }
    const double tickUs = double(clock.nsecsElapsed()) / 1e3 / double(ticks);
    int alerting = 0;
    for (const TTask *task : tasks)
        alerting += task->Alerting ? 1 : 0;
    PrintHeader("reminder scan ticks");
    PrintStep("  before", 0, tickFloor, nullptr, 0);
    PrintStep("  after", tickSteps[0], tickAt[0], &tickFloor, 0);
    PrintStep("  after", tickSteps[1], tickAt[1], &tickAt[0], tickSteps[0]);
    std::printf("(%.1f us per tick, %d tasks, %d notes; reminders fell due on %ld ticks, %ld of them for "
                "tasks without a note; %d tasks alerting at the end)\n",
                tickUs, TaskCount, NotesDuringTicks, fired, unseen, alerting);
    Verdict("ticks", tickAt[0], tickSteps[0], tickAt[1], tickSteps[1], FlatBytesPerTick, tickFloor);

    TFormNote::DestroyAll();
    list.reset();
    DestroyGlobals();
    TClock::Reset();
    return 0;
}
