// libFuzzer target: the data file reader (Jotterbox.dat and its backups).
#include "fuzz/ReaderEntries.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString problem = ReaderEntries::ReadDataFile(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "==jbx== %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
