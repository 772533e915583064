// An open C file that closes itself: the one owning handle of the data-file
// readers and writers.
//
//   UniqueFile f = OpenFile(path, "r");
//   if (!f) return ...;                       // closed on every way out
//   std::fprintf(out.get(), ...);
//   return CloseWritten(std::move(out));      // a written file: errors count
#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct FileCloser
{
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// The file opened with the fopen mode, or null.
inline UniqueFile OpenFile(const std::string& path, const char* mode)
{
  return UniqueFile(std::fopen(path.c_str(), mode));
}

// Closes a file that was written; false when a write or the close failed.
inline bool CloseWritten(UniqueFile f)
{
  const bool ok = !std::ferror(f.get());
  return std::fclose(f.release()) == 0 && ok;
}
