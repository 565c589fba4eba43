#include "definitions/QDN_expectedUtility.h"

int QDN_expectedUtility::CreateResult() {
  result_.Release(0);
  return result_.AddDimension(1);
}
