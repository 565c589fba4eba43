#include "core/QDN_status.h"

const char* ErrorName(int code) {
  switch (code) {
  case 0:
  case -1:
  case -3:
  case -4:
  case -5:
  case -17:
  case -18:
  case -19:
  case -20:
  case -22:
  case -24:
  case -28:
  case -30:
  case -34:
  case -36:
  case -38:
  case -40:
  case -44:
  case -46:
  case -50:
  case -100:
  case -101:
  case -102:
  case -127:
  case -567:
  case -568:
    return "NO ERROR";
  case -2:
    return "OUT OF RANGE";
  case -32:
    return "DUPLICATED IDENTIFIER";
  case -42:
    return "OUT OF MEMORY";
  case -43:
    return "CELL BUDGET EXCEEDED";
  case -51:
    return "WRONG NODE TYPE";
  case -103:
    return "FILE I/O FAILED";
  case -111:
    return "NO MORE TOKENS";
  case -126:
    return "LEXICAL ERROR. CHARACTER UNKNOWN";
  case -128:
    return "UNEXPECTED END OF FILE";
  case -1000:
    return "INVALID IDENTIFIER";
  default:
    return "UNKNOWN ERROR CODE";
  }
}
