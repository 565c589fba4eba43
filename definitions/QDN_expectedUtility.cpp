#include "definitions/QDN_expectedUtility.h"

int QDN_expectedUtility::CreateResult() { return ResetResult(1); }
