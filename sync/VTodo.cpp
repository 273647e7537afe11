#include "sync/VTodo.h"
