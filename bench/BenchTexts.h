#pragma once

// What the benchmarks build their task lists from.

#include <QByteArray>
#include <QTemporaryDir>

#include <iterator>
#include <random>

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
