#include "pgp/operation_state.h"

TOperationState operationState;
