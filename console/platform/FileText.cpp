#include "FileText.h"

#include <fstream>
#include <sstream>

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
