#pragma once

// Status codes: 0 is success, negative values are failures. Operations that
// search return an index or QDN_OUT_OF_RANGE.
inline constexpr int QDN_NO_ERROR = 0;
inline constexpr int QDN_GENERAL_FAILURE = -1;
inline constexpr int QDN_OUT_OF_RANGE = -2;
inline constexpr int QDN_DUPLICATED_IDENTIFIER = -32;
inline constexpr int QDN_OUT_OF_MEMORY = -42;
// A load stopped because its tables would pass its cell budget.
inline constexpr int QDN_CELL_BUDGET_EXCEEDED = -43;
inline constexpr int QDN_NO_FREE_SUBMODEL_SLOT = -50;
inline constexpr int QDN_WRONG_NODE_TYPE = -51;
inline constexpr int QDN_XML_ERROR = -100;
inline constexpr int QDN_END_OF_INPUT = -102;
inline constexpr int QDN_FILE_IO_FAILED = -103;
inline constexpr int QDN_NO_MORE_TOKENS = -111;
inline constexpr int QDN_LEXICAL_ERROR = -126;
inline constexpr int QDN_SYNTAX_ERROR = -127;
inline constexpr int QDN_UNEXPECTED_END_OF_FILE = -128;
// A statement reader whose keyword is not next: the caller tries its next
// alternative. Never logged.
inline constexpr int QDN_NOT_THIS_STATEMENT = -129;
inline constexpr int QDN_OBJECT_NOT_READY = -567;
inline constexpr int QDN_NOT_CONSISTENT = -568;
inline constexpr int QDN_INVALID_IDENTIFIER = -1000;

// Propagates a failure status to the caller.
#define CB_TRY(expr)                                                                               \
  do {                                                                                             \
    if (int rc_ = (expr); rc_ < 0) return rc_;                                                     \
  } while (0)

// The fixed name of a status code; never allocates. Unknown codes, positive
// ones included, are "UNKNOWN ERROR CODE".
const char* ErrorName(int code);
