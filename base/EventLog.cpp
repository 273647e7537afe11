#include "base/EventLog.h"

Q_LOGGING_CATEGORY(lcJbxEvents, "jbx.events", QtWarningMsg)
