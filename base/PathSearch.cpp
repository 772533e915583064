#include "PathSearch.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

bool IsExecutableFile(const std::string& path)
{
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

std::string FindInPathList(const std::string& name, const char* pathList)
{
  if (!pathList)
    return "";
  const std::string list = pathList;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = list.find(':', start);
    const std::string dir = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty()) {
      const std::string candidate = (std::filesystem::path(dir) / name).string();
      if (IsExecutableFile(candidate))
        return candidate;
    }
    if (end == std::string::npos)
      return "";
    start = end + 1;
  }
}
