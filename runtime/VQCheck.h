// Invariant checks. A failed check writes
//   Assertion Failed: "<condition>"
//   (In file "<file>", line <n>)
// to the log file and evaluates to false, so that the caller can refuse to go
// on with a nil reference, a file that is not open or a bad argument.
#pragma once

#include "VQOStreamLog.h"

bool VQCheckFailed(const char* condition, const char* file, int line);

#define VQ_CHECK(cond) ((cond) ? true : VQCheckFailed(#cond, __FILE__, __LINE__))
// The same with the condition's text given explicitly (for texts that
// differ from the expression as this code writes it).
#define VQ_CHECK_TEXT(cond, text) ((cond) ? true : VQCheckFailed(text, __FILE__, __LINE__))
