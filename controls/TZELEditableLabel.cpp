#include "controls/TZELEditableLabel.h"
