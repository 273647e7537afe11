// Task list rebuilds against floors measured in the same run: the floor for
// a rebuild is copying the task pointers and sorting them by the same rule;
// for a search it is decoding every text and testing it, then the same
// sort; for a rebuild that is painted, it is the same sort plus a repaint
// of the rows on screen. Also the heap a listed row holds. Only the ratios
// mean anything across machines; the frame column says whether a rebuild
// fits in one 60 Hz frame on this one.

#include "BenchSupport.h"
#include "SkinFolder.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalData.h"
#include "tasklist/SkinArt.h"
#include "tasklist/TFormTaskList.h"
#include "tasklist/TTaskListModel.h"
#include "tasklist/TTaskListView.h"
#include "tasklist/TaskOrder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <map>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::array<int, 3> Sizes = {1'000, 10'000, 100'000};
constexpr int TargetSize = 10'000;
constexpr int MemorySize = 100'000;
constexpr double FrameMs = 1000.0 / 60;
constexpr double RatioTarget = 2.0;
constexpr double RowBytesTarget = 16;
constexpr double KeystrokeTargetMs = 100;

const QString Search = QStringLiteral("invoice");
// Matches no text: the words below are plain ASCII.
const QString NoMatch = QStringLiteral("\u00a7\u00a7 no such note \u00a7\u00a7");

// The task list and its window are process-wide, so one size lives at a
// time: the benchmarks are registered size by size, and moving to the next
// size tears down the last. Building happens on first use, never inside a
// timed loop.
std::unique_ptr<TFormTaskList> GForm;
int GFormSize = 0;

void TearDown()
{
    GForm.reset();
    DestroyGlobals();
    GFormSize = 0;
}

TFormTaskList &Form(int count)
{
    if (GForm && GFormSize == count)
        return *GForm;
    TearDown();
    CreateGlobals(TempDir().path() + u'/');
    std::mt19937 rng{unsigned(count)};
    std::uniform_int_distribution<int> percent(0, 99), day(0, 364);
    for (int i = 0; i < count; ++i) {
        TTask *task = TaskList().AddNewTask();
        task->Text = MakeText(rng);
        task->Priority = 1 + percent(rng) % 3;
        task->Finished = percent(rng) < 20;
        if (percent(rng) < 50)
            task->DueDate = 45000 + day(rng);
    }
    GForm = std::make_unique<TFormTaskList>(nullptr);
    GFormSize = count;
    return *GForm;
}

// The window's rows, found as any user of the window finds them.
TTaskListView *View(const TFormTaskList &form)
{
    return form.findChild<TTaskListView *>(QStringLiteral("ListView1"));
}

std::vector<TTask *> CopiedRows()
{
    return std::vector<TTask *>(TaskList().Tasks().begin(), TaskList().Tasks().end());
}

// What a program without the list's own rules would do for a search: decode
// every text and look in it, then sort what matched.
std::vector<TTask *> SearchedRows()
{
    std::vector<TTask *> rows;
    for (TTask *task : TaskList().Tasks())
        if (DecodeText(task->Text).contains(Search, Qt::CaseInsensitive))
            rows.push_back(task);
    SortTasks(rows, ColumnDueDate, true);
    return rows;
}

// Whether the rebuild left every task listed, in the order asked for.
bool Listed(const TFormTaskList &form, int column)
{
    std::vector<TTask *> rows = CopiedRows();
    SortTasks(rows, column, true);
    return View(form)->Model()->Rows() == rows;
}

void BM_FillList(benchmark::State &state)
{
    TFormTaskList &form = Form(int(state.range(0)));
    for (auto _ : state)
        form.FillList();
    if (!Listed(form, ColumnDueDate))
        state.SkipWithError("the rows are not every task by due date");
}

void BM_SortFloor(benchmark::State &state)
{
    Form(int(state.range(0)));
    for (auto _ : state) {
        std::vector<TTask *> rows = CopiedRows();
        SortTasks(rows, ColumnDueDate, true);
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_FillListSubject(benchmark::State &state)
{
    TFormTaskList &form = Form(int(state.range(0)));
    View(form)->AlphaSort(ColumnSubject, true);
    for (auto _ : state)
        form.FillList();
    if (!Listed(form, ColumnSubject))
        state.SkipWithError("the rows are not every task by subject");
    View(form)->AlphaSort(ColumnDueDate, true);
}

void BM_SubjectFloor(benchmark::State &state)
{
    Form(int(state.range(0)));
    for (auto _ : state) {
        std::vector<TTask *> rows = CopiedRows();
        SortTasks(rows, ColumnSubject, true);
        benchmark::DoNotOptimize(rows.data());
    }
}

// The window on screen: the view reacts to the reset and lays out its rows.
// Timed by hand so the paint that follows stays out of this figure.
void BM_FillListShown(benchmark::State &state)
{
    TFormTaskList &form = Form(int(state.range(0)));
    form.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        form.FillList();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        QCoreApplication::processEvents();
    }
    form.hide();
    QCoreApplication::processEvents();
}

// The same, up to the rows painted: what stands between a change and the
// frame that shows it.
void BM_FillListPainted(benchmark::State &state)
{
    TFormTaskList &form = Form(int(state.range(0)));
    form.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.FillList();
        QCoreApplication::processEvents();
    }
    form.hide();
    QCoreApplication::processEvents();
}

void BM_SortPaintFloor(benchmark::State &state)
{
    TFormTaskList &form = Form(int(state.range(0)));
    form.show();
    QCoreApplication::processEvents();
    QWidget *viewport = View(form)->ReportView()->viewport();
    for (auto _ : state) {
        std::vector<TTask *> rows = CopiedRows();
        SortTasks(rows, ColumnDueDate, true);
        benchmark::DoNotOptimize(rows.data());
        viewport->update();
        QCoreApplication::processEvents();
    }
    form.hide();
    QCoreApplication::processEvents();
}

// The search box's rebuild, without waiting out its typing delay.
void BM_Search(benchmark::State &state)
{
    TFormTaskList &form = Form(int(state.range(0)));
    form.SearchBox()->setText(Search);
    for (auto _ : state)
        form.TimerUpdateListViewTimer();
    state.counters["rows"] = double(View(form)->Model()->Rows().size());
    if (View(form)->Model()->Rows() != SearchedRows())
        state.SkipWithError("the search listed other rows than the floor finds");
    form.SearchBox()->setText(QString());
    form.TimerUpdateListViewTimer();
}

void BM_SearchFloor(benchmark::State &state)
{
    Form(int(state.range(0)));
    for (auto _ : state) {
        std::vector<TTask *> rows = SearchedRows();
        benchmark::DoNotOptimize(rows.data());
    }
}

// One key typed into the search box of the list on screen: the search
// grows or loses its last letter, and the deferred rebuild runs without
// waiting out its typing delay. Timed up to the new rows; the painted
// variant up to the frame that shows them.
const QString Keystrokes[] = {QStringLiteral("invoic"), QStringLiteral("invoice")};

void Keystroke(benchmark::State &state, bool painted)
{
    TFormTaskList &form = Form(int(state.range(0)));
    form.show();
    form.SearchBox()->setText(Keystrokes[0]);
    form.TimerUpdateListViewTimer();
    QCoreApplication::processEvents();
    int typed = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        typed = 1 - typed;
        form.SearchBox()->setText(Keystrokes[typed]);
        form.TimerUpdateListViewTimer();
        if (painted)
            QCoreApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!painted)
            QCoreApplication::processEvents();
    }
    state.counters["rows"] = double(View(form)->Model()->Rows().size());
    form.SearchBox()->setText(QString());
    form.TimerUpdateListViewTimer();
    form.hide();
    QCoreApplication::processEvents();
}

void BM_SearchKeystroke(benchmark::State &state) { Keystroke(state, false); }
void BM_SearchKeystrokePainted(benchmark::State &state) { Keystroke(state, true); }

// The least a search can do: look for the bytes in every text and keep
// the tasks that hold them.
void BM_KeystrokeFloor(benchmark::State &state)
{
    Form(int(state.range(0)));
    const QByteArray needles[] = {Keystrokes[0].toUtf8(), Keystrokes[1].toUtf8()};
    int typed = 0;
    for (auto _ : state) {
        typed = 1 - typed;
        std::vector<TTask *> rows;
        for (TTask *task : TaskList().Tasks())
            if (task->Text.contains(needles[typed]))
                rows.push_back(task);
        benchmark::DoNotOptimize(rows.data());
    }
}

// Heap in use, counting blocks the allocator mapped on their own.
double HeapInUse()
{
#ifdef __GLIBC__
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
#else
    return 0;
#endif
}

double RowBytes = -1; // heap per listed row, for the summary
double ShownRowBytes = -1;

// Heap growth from no rows to every task listed, per row, with the window
// hidden and shown; and what a search that lists nothing keeps.
void BM_RowMemory(benchmark::State &state)
{
#ifndef __GLIBC__
    state.SkipWithError("needs glibc's mallinfo2");
    return;
#endif
    const int count = int(state.range(0));
    TFormTaskList &form = Form(count);
    TTaskListModel *model = View(form)->Model();
    auto measure = [&] {
        model->SetRows({});
        QCoreApplication::processEvents();
        const double empty = HeapInUse();
        form.FillList();
        QCoreApplication::processEvents();
        return (HeapInUse() - empty) / count;
    };
    double filtered = 0;
    for (auto _ : state) {
        RowBytes = measure();
        model->SetRows({});
        const double empty = HeapInUse();
        form.SearchBox()->setText(NoMatch);
        form.TimerUpdateListViewTimer();
        filtered = (HeapInUse() - empty) / count;
        if (!model->Rows().empty())
            state.SkipWithError("the search that matches nothing listed rows");
        form.SearchBox()->setText(QString());
        form.TimerUpdateListViewTimer();
        form.show();
        QCoreApplication::processEvents();
        ShownRowBytes = measure();
        form.hide();
        QCoreApplication::processEvents();
    }
    state.counters["B/row"] = RowBytes;
    state.counters["B/row_shown"] = ShownRowBytes;
    state.counters["B/task_filtered_empty"] = filtered;
}

// The offscreen platform warns at every show that it cannot raise a window;
// everything else goes through as usual.

using TBenchmark = void (*)(benchmark::State &);

void Register(const char *name, TBenchmark function, int count, bool manualTime = false)
{
    auto *b = benchmark::RegisterBenchmark(name, function)->Arg(count)->Unit(benchmark::kMillisecond);
    // Five short repetitions and their median: robust against the odd slow
    // iteration, and the whole run stays around half a minute.
    b->MinTime(0.1)->Repetitions(5)->ReportAggregatesOnly();
    if (manualTime)
        b->UseManualTime();
    else
        b->UseRealTime();
}

// The console output and the medians, with the summary of this benchmark.
class SummaryReporter : public TMedianReporter {
public:
    void PrintSummary() const
    {
        struct TPair {
            const char *Label;
            const char *Rebuild;
            const char *Floor;
        };
        static const TPair Pairs[] = {
            {"rebuild, by due date", "BM_FillList", "BM_SortFloor"},
            {"rebuild, by subject", "BM_FillListSubject", "BM_SubjectFloor"},
            {"rebuild, shown", "BM_FillListShown", "BM_SortFloor"},
            {"rebuild, shown + paint", "BM_FillListPainted", "BM_SortPaintFloor"},
            {"search \"invoice\"", "BM_Search", "BM_SearchFloor"},
            {"search keystroke", "BM_SearchKeystroke", "BM_KeystrokeFloor"},
            {"keystroke + paint", "BM_SearchKeystrokePainted", "BM_KeystrokeFloor"},
        };
        std::printf("\n%-24s %7s %10s %10s %7s %s\n", "case", "tasks", "median ms", "floor ms", "ratio",
                    "fits a 60 Hz frame");
        for (const TPair &pair : Pairs)
            for (int n : Sizes) {
                const std::string arg = "/" + std::to_string(n);
                const auto real = Medians.find(pair.Rebuild + arg);
                const auto floor = Medians.find(pair.Floor + arg);
                if (real == Medians.end() || floor == Medians.end())
                    continue; // filtered out or failed
                std::printf("%-24s %7d %10.3f %10.3f %7.2f %s\n", pair.Label, n, real->second, floor->second,
                            real->second / floor->second, real->second <= FrameMs ? "yes" : "no");
            }
        std::printf("targets at %d tasks: <= %.1f ms and ratio <= %.1f\n", TargetSize, FrameMs, RatioTarget);
        const auto keystroke = Medians.find("BM_SearchKeystroke/" + std::to_string(Sizes.back()));
        if (keystroke != Medians.end())
            std::printf("search keystroke at %d tasks: %.1f ms (target under %.0f ms: %s)\n", Sizes.back(),
                        keystroke->second, KeystrokeTargetMs,
                        keystroke->second < KeystrokeTargetMs ? "met" : "MISSED");
        if (RowBytes >= 0)
            std::printf("heap per listed row at %d tasks: %.1f bytes hidden, %.1f shown (target <= %.0f)\n",
                        MemorySize, RowBytes, ShownRowBytes, RowBytesTarget);
    }
};

} // namespace

int main(int argc, char **argv)
{
    KeepFreedMemory();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QuietenOffscreenPlugin();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!TempDir().isValid() || !WriteSkin(TempDir().path())) {
        std::fprintf(stderr, "bench_listview: no temporary program folder\n");
        return 1;
    }
    for (int n : Sizes) {
        Register("BM_FillList", BM_FillList, n);
        Register("BM_SortFloor", BM_SortFloor, n);
        Register("BM_FillListSubject", BM_FillListSubject, n);
        Register("BM_SubjectFloor", BM_SubjectFloor, n);
        Register("BM_FillListShown", BM_FillListShown, n, true);
        Register("BM_FillListPainted", BM_FillListPainted, n);
        Register("BM_SortPaintFloor", BM_SortPaintFloor, n);
        Register("BM_Search", BM_Search, n);
        Register("BM_SearchFloor", BM_SearchFloor, n);
        Register("BM_SearchKeystroke", BM_SearchKeystroke, n, true);
        Register("BM_SearchKeystrokePainted", BM_SearchKeystrokePainted, n, true);
        Register("BM_KeystrokeFloor", BM_KeystrokeFloor, n);
    }
    benchmark::RegisterBenchmark("BM_RowMemory", BM_RowMemory)
        ->Arg(MemorySize)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    TearDown();
    return 0;
}
