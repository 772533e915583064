// A temporary directory removed with everything in it when the test ends,
// whole-file reads and writes (binary, so the bytes are the file's), and a
// stream positioned at the start of a given text.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

struct TempDir
{
  std::filesystem::path dir;
  TempDir()
  {
    char tmpl[] = "/tmp/vlq_model_XXXXXX";
    dir = ::mkdtemp(tmpl);
  }
  ~TempDir() { std::filesystem::remove_all(dir); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const char* name) const { return (dir / name).string(); }
};

inline std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteAll(const std::string& path, const std::string& text)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// A stream over a text, read from its start; closed with the object.
struct TextFile
{
  std::FILE* f;
  explicit TextFile(const std::string& text)
  {
    f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
  }
  ~TextFile() { std::fclose(f); }
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
};
