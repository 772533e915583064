// End-aware number readers for the scenario, observation, path and detector
// files. They take numbers as the console's tolerant readers do (anything
// that is not part of a number separates them; only a "-" directly before
// the first digit makes a number negative; reals have no exponent; the "C"
// notation whatever the locale), but give nothing at the end of the file
// instead of -1, so that a short file is told from a value of -1.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace fields {

// Next signed real. At most 31 characters of a number are taken; the rest
// of a longer one is read past.
std::optional<double> NextReal(std::FILE* f);

// Next signed integer (digits only; a "." ends it). Clamped to the int
// range.
std::optional<int> NextSignedInt(std::FILE* f);

// Next unsigned integer: signs are ignored, and a "." met before any digit
// gives 0 and leaves the digits after it for the next call. At most nine
// digits are taken; the rest of a longer number is read past.
std::optional<int> NextUnsignedInt(std::FILE* f);

// Next alphanumeric word, cut at 31 characters.
std::optional<std::string> NextToken(std::FILE* f);

// A real truncated toward zero into the int range.
int TruncateToInt(double v);

}  // namespace fields
