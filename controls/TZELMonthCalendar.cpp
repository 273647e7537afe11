#include "controls/TZELMonthCalendar.h"
