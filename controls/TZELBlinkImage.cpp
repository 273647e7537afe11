#include "controls/TZELBlinkImage.h"
