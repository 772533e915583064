// Tolerant readers for numbers and lines in text files.
//
// ReadInt / ReadReal skip everything up to the next decimal digit (signs,
// points, letters, blanks, bytes outside ASCII), read the whole run that
// starts there, and consume the one character that ends it. Signs are not
// recognised: "-5" reads as 5 and ".5" as 5. At the end of the file they
// return -1 / -1.0. Numbers are read in the "C" locale whatever the
// process's locale is. They are the base's readers (FieldReaders.h) with
// the -1 end marker, offered by the runtime to the programs outside.
#pragma once

#include <cstddef>
#include <cstdio>

// Next unsigned decimal integer, or -1 at the end of the file. A run of
// digits is always one number; a value above INT_MAX gives INT_MAX.
int ReadInt(std::FILE* f);

// Next unsigned decimal real (digits and points; the value stops at a second
// point, the rest of the run is consumed with it), or -1.0 at the end of the
// file.
double ReadReal(std::FILE* f);

// Next line without its end into buffer (buffer_size bytes, terminating zero
// included). A line ends at a line feed, a carriage return, or a carriage
// return followed by a line feed (one line end), or at the end of the file.
// The line end is consumed. Characters of an over-long line that do not fit
// are consumed and dropped, so the next call starts at the next line.
// Returns false when the end of the file came before any character (buffer
// then holds ""), or when the buffer or file is null.
bool ReadLine(std::FILE* f, char* buffer, size_t buffer_size);

// The text's value, -1.0 when it is not a number. A value of 0 counts only
// for exactly "0", ".0" and "0.0"; any other text reading as 0 ("0.00",
// " 0", "-0", "abc", "") gives -1.0.
double StringToReal(const char* s);
