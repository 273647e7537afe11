#pragma once

#include <QLoggingCategory>

// The program's event lines, worth a line on stderr when asked for
// (QT_LOGGING_RULES="jbx.events=true"): start-up reaching its loop, hot
// keys, alerts, commands, the toolbar. Tests and benches wait for them.
Q_DECLARE_LOGGING_CATEGORY(lcJbxEvents)
