// Whole-file reading and writing: the bytes of a file as one text.
//
//   std::string text;
//   if (ReadFileText("/proc/self/stat", text)) ...
//   if (!WriteFileText(dir + "/network.dat", text, &error)) report(error);
#pragma once

#include <string>
#include <sys/types.h>

// The file's bytes into text; false when it cannot be opened or read.
bool ReadFileText(const std::string& path, std::string& text);

// Creates or replaces the file with text and gives it the mode. False when
// it cannot be written; *error (when given) then says why.
bool WriteFileText(const std::string& path, const std::string& text, std::string* error = nullptr,
                   mode_t mode = 0644);

// Writes text under a temporary name in the same directory and renames it
// into place, so that a reader sees either the old or the new file whole,
// and a failed write leaves the old file as it was. The mode of an existing
// file is kept (a new one gets 0644); a link is followed, so the file it
// names is replaced and the link stays.
bool ReplaceFileText(const std::string& path, const std::string& text, std::string* error = nullptr);
