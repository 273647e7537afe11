// libFuzzer target: a calendar object from the server, read as a task and
// written back over itself.
#include "fuzz/SyncEntries.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString problem = SyncEntries::ReadCalendarObject(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "==jbx== %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
