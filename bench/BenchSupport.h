#pragma once

// What the benchmarks share: the texts their task lists are made of, a
// folder for their files, and the record of medians their summaries print.

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>
#include <benchmark/benchmark.h>

#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

// Keeps freed memory in the process and every block in the main heap: a
// large buffer then neither goes back to the system between iterations
// (the next one would pay for fresh pages, one side of a pair more than
// the other) nor escapes the heap figures as a mapping of its own.
inline void KeepFreedMemory()
{
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_MAX, 0);
#endif
}

// The offscreen platform says for every window that it cannot raise it or
// pass on its size hints; a benchmark's output has no room for that.
inline void QuietenOffscreenPlugin()
{
    static QtMessageHandler standard = nullptr;
    standard =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (message.startsWith(QLatin1String("This plugin does not support")))
                return;
            standard(type, context, message);
        });
}

// One folder for the files of a whole benchmark run.
inline QTemporaryDir &TempDir()
{
    static QTemporaryDir dir;
    return dir;
}

// About 200 bytes of note text over two to six CR LF lines, so string
// handling costs what it costs on a real file rather than on "New Note".
inline QByteArray MakeText(std::mt19937 &rng)
{
    static const char *const Words[] = {
        "call",    "Anna",  "about", "the",       "invoice", "buy",      "milk", "and",  "bread", "dentist",
        "Tuesday", "10:30", "renew", "insurance", "before",  "the 14th", "fix",  "bike", "tyre"};
    std::uniform_int_distribution<int> lines(2, 6), word(0, int(std::size(Words)) - 1);
    const int lineCount = lines(rng);
    const int perLine = 200 / lineCount;
    QByteArray text;
    for (int l = 0; l < lineCount; ++l) {
        if (l > 0)
            text += "\r\n";
        const qsizetype start = text.size();
        std::uniform_int_distribution<int> length(perLine / 2, perLine * 3 / 2);
        const int target = length(rng);
        while (text.size() - start < target)
            text.append(Words[word(rng)]).append(' ');
    }
    return text;
}

// The normal console output, plus a record of each median for the summary.
class TMedianReporter : public benchmark::ConsoleReporter {
public:
    TMedianReporter() : ConsoleReporter(OO_Tabular) {}

    std::map<std::string, double> Medians; // "BM_Load/1000" -> ms

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                Medians[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};
