// libFuzzer target: the settings reader (Jotterbox.ini).
#include "fuzz/ReaderEntries.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString problem = ReaderEntries::ReadSettingsFile(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "==jbx== %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
