#include "controls/TZELDatePicker2.h"
