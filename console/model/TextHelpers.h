// Tolerant number readers for the console's text files, and the two
// formatters that turn minutes into clock text. Numbers may be separated by
// anything that is not part of a number. Numbers are converted in the "C"
// way whatever the process locale is.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Next signed real; only a "-" directly before the first digit makes it
// negative; no exponent. -1.0 at end of file.
double ScanReal(std::FILE* f);
// As ScanReal, telling the end of the file apart: false at end of file.
bool ScanRealChecked(std::FILE* f, double& value);
// Next unsigned integer (signs ignored; a "." before any digit gives 0).
// -1 at end of file.
int ScanUnsignedInt(std::FILE* f);
bool ScanUnsignedIntChecked(std::FILE* f, int& value);
// As ScanReal, but a number may also begin with ".". -1.0 at end of file.
double ReadFloat(std::FILE* f);
// Next signed integer (digits only). -1 at end of file.
int ReadSignedInt(std::FILE* f);
// Next word of letters and digits; "-1" at end of file.
std::string ReadToken(std::FILE* f);

// Field widths of the readers, terminator included: longer numbers and
// words are cut to the first (width - 1) characters, the rest of the number
// or word is consumed and dropped.
constexpr std::size_t kScanUnsignedWidth = 10;
constexpr std::size_t kScanFieldWidth = 32;

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
// printf-style text as a string, cut at 511 characters (for messages).
std::string FormatText(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Real number as text in the "C" locale, shortest fixed form that reads
// back to the same value (no exponent, so the readers above take it).
std::string FormatRealC(double v);
// Decimal real of a text in the "C" locale (prefix; 0.0 when none).
double ParseRealC(const char* text);
