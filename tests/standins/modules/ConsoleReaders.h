// The run directory's text files as the console's model reads them, for
// the tests of what the modules and the run-directory generator write.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "FieldReaders.h"
#include "NetworkFiles.h"
#include "PredictedPaths.h"
#include "TestSupport.h"

namespace console {

// Every number of a text, read with the console's real reader.
inline std::vector<double> Numbers(const std::string& text)
{
  std::vector<double> out;
  fields::TextCursor in(text);
  while (std::optional<double> v = fields::NextReal(in))
    out.push_back(*v);
  return out;
}

// The lines of a text, without their ends.
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
  const char* p = line.c_str();
  return ParseLinkLineNumbers(p, from, to);
}

// One entry of Predictive_PathTravelTime.dat.
struct Path
{
  double travel_time = 0;
  std::vector<int> nodes;
};

// Reads the text with the console's path loader; false (with the entries
// read) when the text ends early or an entry's index is not the expected
// one.
inline bool PredictedPaths(const std::string& text, std::vector<Path>& paths)
{
  TempDir dir("vlq-paths");
  const std::string file = dir.file("Predictive_PathTravelTime.dat");
  if (!WriteFile(file, text))
    return false;
  CTypedObArray<CPath> list;
  const PathFileResult r = ReadPredictedPathFile(file, list);
  for (const auto& p : list)
    paths.push_back({p->m_dTravelTime, std::vector<int>(p->m_Nodes.begin(), p->m_Nodes.end())});
  return r.status == PathFileStatus::kRead && r.badIndexPasses == 0 && r.taken == r.declared;
}

}  // namespace console
