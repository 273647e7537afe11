// libFuzzer target: a WebDAV multistatus answer of the server.
#include "fuzz/SyncEntries.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString problem = SyncEntries::ReadMultistatus(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "==jbx== %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
