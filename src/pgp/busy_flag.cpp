#include "pgp/busy_flag.h"

LONG busyFlag = 0;
