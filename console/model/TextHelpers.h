// Tolerant number readers for the console's text files, and the two
// formatters that turn minutes into clock text. Numbers may be separated by
// anything that is not part of a number. Numbers are converted in the "C"
// way whatever the process locale is. The readers are the base's
// (FieldReaders.h) with the -1 end marker; code that must tell the end of
// a file from a value of -1 uses the base's readers directly.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "FieldReaders.h"

// Next signed real; only a "-" directly before the first digit makes it
// negative; no exponent; at most 31 characters taken. -1.0 at end of file.
double ScanReal(std::FILE* f);
// Next unsigned integer (signs ignored; a "." before any digit gives 0; at
// most nine digits taken). -1 at end of file.
int ScanUnsignedInt(std::FILE* f);
// As ScanReal, but a number may also begin with ".". -1.0 at end of file.
double ReadFloat(std::FILE* f);
// Next signed integer (digits only; its magnitude clamped to INT_MAX). -1
// at end of file.
int ReadSignedInt(std::FILE* f);
// Next word of letters and digits (cut at 31); "-1" at end of file.
std::string ReadToken(std::FILE* f);

// Clock text of a number of minutes into buf (always terminated):
// multiples of 60 "h:00", multiples of 10 "h:m", else "h:0m"/"h:mm" when
// pad is set, else empty.
void FormatMinutes(char* buf, std::size_t size, int minutes, bool pad);
std::string FormatMinutes(int minutes, bool pad);

// "hh:mm"; a minute of 60 or more is folded into the hour (changed in
// place).
std::string FormatClock(int& hour, int& minute);

// printf-style text to standard output.
void DebugPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Real number as text in the "C" locale, shortest fixed form that reads
// back to the same value (no exponent, so the readers above take it).
std::string FormatRealC(double v);
