#include "sync/TSyncRound.h"
