#include "PathText.h"

#include <filesystem>
#include <system_error>

std::string FullPathText(const std::string& path)
{
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.string();
}
