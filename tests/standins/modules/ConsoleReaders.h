// The console's way of reading the run directory's text files, restated
// for the tests: numbers are taken from any text, every other character
// (a minus sign included) separates them.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace console {

inline std::vector<double> Numbers(const std::string& text)
{
  std::vector<double> out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    std::size_t j = i;
    bool point = false;
    while (j < text.size() && ((text[j] >= '0' && text[j] <= '9') || (text[j] == '.' && !point))) {
      if (text[j] == '.')
        point = true;
      ++j;
    }
    out.push_back(std::stod(text.substr(i, j - i)));
    i = j;
  }
  return out;
}

inline std::vector<std::string> Lines(const std::string& text)
{
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    out.push_back(line);
  }
  return out;
}

// The two node numbers at the start of a LinkName/Detector/CCTV line.
inline bool NodePair(const std::string& line, int& from, int& to)
{
  return std::sscanf(line.c_str(), "%5d%5d", &from, &to) == 2;
}

// One entry of Predictive_PathTravelTime.dat as the console reads it.
struct Path
{
  double travel_time = 0;
  std::vector<int> nodes;
};

// Reads the file the way the console's path loader does; false (with the
// entries read so far) when an entry's index is not the expected one or the
// file ends early.
inline bool PredictedPaths(const std::string& text, std::vector<Path>& paths)
{
  const std::vector<double> v = Numbers(text);
  std::size_t at = 0;
  auto next = [&](double& x) {
    if (at >= v.size())
      return false;
    x = v[at++];
    return true;
  };
  double skip = 0, n = 0;
  if (!next(skip) || !next(n))
    return false;
  for (int e = 1; e <= static_cast<int>(n); ++e) {
    double index = 0, tt = 0, count = 0;
    if (!next(index) || static_cast<int>(index) != e || !next(tt) || !next(count))
      return false;
    Path p;
    p.travel_time = tt;
    for (int k = 0; k < static_cast<int>(count); ++k) {
      double node = 0;
      if (!next(node))
        return false;
      p.nodes.push_back(static_cast<int>(node));
    }
    paths.push_back(p);
  }
  return true;
}

}  // namespace console
