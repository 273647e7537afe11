#include "sync/DavXml.h"
