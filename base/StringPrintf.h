// printf-style formatting into a std::string, of any length, in the "C"
// numeric notation (a point before the decimals) whatever the locale.
//
//   std::string text = StringPrintf("Node %d in file %s", number, name);
//   StringAppendF(out, "%d %d\n", a, b);
#pragma once

#include <string>

std::string StringPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void StringAppendF(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
