#include "FileText.h"

#include "FileHandle.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
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
  std::error_code ec;
  std::filesystem::path target(path);
  if (std::filesystem::is_symlink(target, ec)) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
    if (ec) {
      SetError(error, "cannot follow the link " + path + ": " + ec.message());
      return false;
    }
    target = resolved;
  }
  struct stat st;
  const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;

  std::string tmp = target.string() + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    SetError(error, "cannot create " + tmp + ": " + std::strerror(errno));
    return false;
  }
  bool ok = ::fchmod(fd, mode) == 0;
  std::size_t done = 0;
  while (ok && done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    ok = n > 0;
    if (ok)
      done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    SetError(error, "cannot write " + tmp);
    ::unlink(tmp.c_str());
    return false;
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    SetError(error, "cannot rename " + tmp + " to " + target.string() + ": " + std::strerror(errno));
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}
