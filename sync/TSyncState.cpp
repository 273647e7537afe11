#include "sync/TSyncState.h"
