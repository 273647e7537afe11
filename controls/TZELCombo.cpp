#include "controls/TZELCombo.h"
