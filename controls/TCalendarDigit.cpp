#include "controls/TCalendarDigit.h"
