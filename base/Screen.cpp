#include "base/Screen.h"

namespace {
std::function<QSize()> &SizeFunction()
{
    static std::function<QSize()> function;
    return function;
}
} // namespace

QSize PrimaryScreenSize()
{
    if (SizeFunction())
        return SizeFunction()();
    return QSize(1024, 768); // no screen known yet: a common small one
}

void SetPrimaryScreenSizeFunction(std::function<QSize()> function) { SizeFunction() = std::move(function); }
