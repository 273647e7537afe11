#include "sync/TCalDavClient.h"
