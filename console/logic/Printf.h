// printf-style formatting into a std::string of whatever length the text
// needs (no fixed buffer: a "%4.2f" of a huge value is simply longer).
#pragma once

#include <string>

std::string Printf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
