// Looking a program up in a list of directories such as PATH.
//
//   std::string xterm = FindInPathList("xterm", std::getenv("PATH"));
//   if (!xterm.empty()) ...
#pragma once

#include <string>

// True for a regular file (a link is followed) that this process may run.
bool IsExecutableFile(const std::string& path);

// The first "<dir>/<name>" that IsExecutableFile accepts, for the
// directories of pathList ("dir1:dir2:..." in that order; empty entries
// are skipped), or "" when there is none or pathList is null.
std::string FindInPathList(const std::string& name, const char* pathList);
