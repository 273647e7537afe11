#pragma once

#include <QSize>
#include <functional>

// The size of the primary screen, for the defaults and the note cascade that
// depend on it. The core has no screens; the user interface supplies them.
QSize PrimaryScreenSize();
void SetPrimaryScreenSizeFunction(std::function<QSize()> function);
