// Data file load and save against floors measured in the same run: the
// floor for loading is reading the file and walking its records without
// building tasks; the floor for saving is writing the same bytes through the
// same safe-write path. Only the ratios mean anything across machines.

#include "BenchSupport.h"
#include "base/SafeFile.h"
#include "model/TDataStore.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

namespace {

constexpr std::array<int, 3> Sizes = {1'000, 10'000, 100'000};
constexpr double LoadTarget = 3.0;
constexpr double SaveTarget = 2.0;

// One data set per size, built on first use and kept for the whole run so
// setup never lands inside a timed loop.
struct DataSet {
    TUserInfo Settings;
    TTaskList List{Settings};
    QByteArray Bytes; // the list serialized once
    QString LoadPath; // holds Bytes, never overwritten
    QString SavePath; // rewritten by every save iteration
};

DataSet &Data(int count)
{
    static std::map<int, std::unique_ptr<DataSet>> sets;
    auto &slot = sets[count];
    if (slot)
        return *slot;
    slot = std::make_unique<DataSet>();
    std::mt19937 rng{unsigned(count)};
    std::uniform_int_distribution<int> percent(0, 99);
    for (int i = 0; i < count; ++i) {
        TTask *task = slot->List.AddNewTask();
        task->Text = MakeText(rng);
        task->Priority = 1 + percent(rng) % 3;
        task->Finished = percent(rng) < 30;
        task->NoteOpen = percent(rng) < 10;
        if (percent(rng) < 40)
            task->DueDate = 45000 + percent(rng);
    }
    slot->Bytes = slot->List.SaveToBytes();
    const QString base = TempDir().path() + QStringLiteral("/tasks%1").arg(count);
    slot->LoadPath = base + QStringLiteral(".jbx");
    slot->SavePath = base + QStringLiteral("-save.jbx");
    if (WriteFileSafely(slot->LoadPath, slot->Bytes, true) != TSafeWrite::Done)
        throw std::runtime_error("cannot write the load file");
    return *slot;
}

// A record is fixed runs of bytes around its two length-prefixed strings:
// 20 bytes, FontName, 16 bytes, Text, 61 bytes. The floor steps over them
// with the bounds checks any reader needs, and builds nothing.
constexpr std::array<qint64, 3> FixedRuns = {20, 16, 61};

// Reads the whole file and walks its records. Returns the number of records,
// or -1 when they overrun or fall short of the end of the file (the layout
// above no longer matches the writer).
qint32 WalkFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    auto readCount = [&](qint32 &n) {
        if (end - p < 4)
            return false;
        std::memcpy(&n, p, 4);
        n = qFromLittleEndian(n);
        p += 4;
        return n >= 0 && end - p >= n;
    };
    qint32 n = 0;
    if (!readCount(n) || !(p += n, readCount(n)) || !(p += n, end - p >= 4))
        return -1;
    qint32 count = 0;
    std::memcpy(&count, p, 4);
    p += 4;
    for (qint32 i = 0; i < count; ++i) {
        // Each step depends on a count just read, so without a hint the walk
        // waits on memory at every record of a file larger than the cache.
        __builtin_prefetch(p + 2048);
        for (int run = 0; run < 3; ++run) {
            if (end - p < FixedRuns[run])
                return -1;
            p += FixedRuns[run];
            if (run < 2) {
                if (!readCount(n))
                    return -1;
                p += n;
            }
        }
    }
    return p == end ? count : -1;
}

void BM_Load(benchmark::State &state)
{
    DataSet &data = Data(int(state.range(0)));
    TUserInfo settings;
    for (auto _ : state) {
        auto list = std::make_unique<TTaskList>(settings);
        list->LoadFromFile(data.LoadPath);
        if (list->Count() != state.range(0)) {
            state.SkipWithError("short load");
            break;
        }
        // Freeing the tasks is not part of the wait at start-up.
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}

void BM_LoadFloor(benchmark::State &state)
{
    DataSet &data = Data(int(state.range(0)));
    if (WalkFile(data.LoadPath) != state.range(0))
        state.SkipWithError("the floor's record layout does not match the file");
    for (auto _ : state) {
        // Pause and resume like BM_Load so both carry the same timer overhead.
        benchmark::DoNotOptimize(WalkFile(data.LoadPath));
        state.PauseTiming();
        state.ResumeTiming();
    }
}

void BM_Save(benchmark::State &state)
{
    DataSet &data = Data(int(state.range(0)));
    // Through the data store's writer, as the program's save goes.
    for (auto _ : state)
        TDataStore::WriteFile(data.List, data.SavePath);
}

void BM_SaveFloor(benchmark::State &state)
{
    DataSet &data = Data(int(state.range(0)));
    for (auto _ : state)
        if (WriteFileSafely(data.SavePath, data.Bytes, true) != TSafeWrite::Done) {
            state.SkipWithError("write failed");
            break;
        }
}

void Register(const char *name, void (*function)(benchmark::State &))
{
    auto *b = benchmark::RegisterBenchmark(name, function);
    for (int n : Sizes)
        b->Arg(n);
    // Five short repetitions and their median: robust against the odd slow
    // fsync, and the whole run stays around ten seconds.
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.1)->Repetitions(5)->ReportAggregatesOnly();
}

// The console output and the medians, with the summary of this benchmark.
class SummaryReporter : public TMedianReporter {
public:
    void PrintSummary() const
    {
        std::printf("\n");
        for (const char *kind : {"load", "save"})
            for (int n : Sizes) {
                const bool load = kind[0] == 'l';
                const std::string arg = "/" + std::to_string(n);
                const auto real = Medians.find((load ? "BM_Load" : "BM_Save") + arg);
                const auto floor = Medians.find((load ? "BM_LoadFloor" : "BM_SaveFloor") + arg);
                if (real == Medians.end() || floor == Medians.end())
                    continue; // filtered out or failed
                std::printf("%s %d: %.3f ms, floor %.3f ms, ratio %.2f (target <= %.1f)\n", kind, n,
                            real->second, floor->second, real->second / floor->second,
                            load ? LoadTarget : SaveTarget);
            }
    }
};

} // namespace

int main(int argc, char **argv)
{
    KeepFreedMemory();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!TempDir().isValid()) {
        std::fprintf(stderr, "bench_datafile: no temporary directory\n");
        return 1;
    }
    Register("BM_Load", BM_Load);
    Register("BM_LoadFloor", BM_LoadFloor);
    Register("BM_Save", BM_Save);
    Register("BM_SaveFloor", BM_SaveFloor);

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
