// Whole-file reading for the platform layer's readers (/proc entries and
// initialisation files).
#pragma once

#include <string>

// The file's bytes into text; false when it cannot be opened or read.
bool ReadFileText(const std::string& path, std::string& text);
