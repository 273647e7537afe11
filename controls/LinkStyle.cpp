#include "controls/LinkStyle.h"
