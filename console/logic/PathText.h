// The full path of a file for messages: a relative path is completed with
// the working directory.
//
//   ShowMessage("Cannot write " + FullPathText("distribution.ini"));
#pragma once

#include <string>

std::string FullPathText(const std::string& path);
