#include "FileText.h"

#include "FileHandle.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void SetError(std::string* error, const std::string& text)
{
  if (error)
    *error = text;
}

}  // namespace

bool ReadFileText(const std::string& path, std::string& text)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return !in.bad();
}

bool WriteFileText(const std::string& path, const std::string& text, std::string* error, mode_t mode)
{
  UniqueFile f = OpenFile(path, "wb");
  if (!f) {
    SetError(error, "cannot create " + path + ": " + std::strerror(errno));
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
  if (!CloseWritten(std::move(f)) || !written) {
    SetError(error, "cannot write " + path);
    return false;
  }
  if (::chmod(path.c_str(), mode) != 0) {
    SetError(error, "cannot set the mode of " + path);
    return false;
  }
  return true;
}

bool ReplaceFileText(const std::string& path, const std::string& text, std::string* error)
{
  const std::string tmp = path + ".tmp." + std::to_string(::getpid());
  UniqueFile f = OpenFile(tmp, "wb");
  if (!f) {
    SetError(error, "cannot create " + tmp + ": " + std::strerror(errno));
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
  const bool synced = std::fflush(f.get()) == 0 && ::fsync(::fileno(f.get())) == 0;
  if (!CloseWritten(std::move(f)) || !written || !synced) {
    SetError(error, "cannot write " + tmp);
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    SetError(error, "cannot rename " + tmp + " to " + path + ": " + std::strerror(errno));
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}
