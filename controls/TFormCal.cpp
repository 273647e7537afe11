#include "controls/TFormCal.h"
