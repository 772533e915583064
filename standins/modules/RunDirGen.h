// Sample run directory: a synthetic grid network with every data file the
// console loads, the cycle settings, the module distribution and the batch
// files that start the naming service, the record store, Management and the
// modules on this machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ModNetwork.h"

namespace vlq::mod {

// Node numbers are written into five-column fields (LinkName.dat,
// Detector.dat, CCTV.dat), read back as "at most five characters after
// optional blanks". A field of fewer than five digits followed at once by
// a five-digit one would be misread, so a network numbers its nodes from 1
// while every number has at most four digits, and otherwise from 10000,
// every number then having exactly five. Five digits number 90000 nodes,
// a grid of about 355,000 links; a larger one is refused with the reason.
constexpr int kWideNodeBase = 10000;
constexpr int kMaxGridNodes = 99999 - kWideNodeBase + 1;

struct RunDirOptions
{
  int rows = 8;
  int cols = 8;
  long long links = -1;  // > 0: exactly this many links instead of a full rows x cols grid
  uint32_t seed = 1;
  std::string bindir;                       // where the programs are looked for (a build root or a directory)
  std::string self_dir;                     // directory of the generator itself
  std::string ns_host = "127.0.0.1:10013";  // fallback when QELM_NAME_SERVICE_HOST is unset
};

// One grid network with everything the data files need.
struct GridNetwork
{
  int rows = 0;
  int cols = 0;
  int zone_rows = 0;
  int zone_cols = 0;
  int superzones = 0;
  int node_base = 1;               // number of the node of index 0
  ModNetwork net;                  // zones, nodes, links in file order
  std::vector<double> x, y;        // by node index, feet
  std::vector<int> control_type;   // by node index, 1..6
  std::vector<std::string> names;  // by link index
  std::vector<int> detectors;      // link indices
  std::vector<int> cameras;        // link indices
};

bool BuildGrid(const RunDirOptions& opt, GridNetwork& grid, std::string& error);

// The data files of estimate/, as texts.
std::string FormatNetworkDat(const GridNetwork& g);
std::string FormatSuperZoneDat(const GridNetwork& g);
std::string FormatXYDat(const GridNetwork& g);
std::string FormatLinkXYDat(const GridNetwork& g);
std::string FormatLinkNameDat(const GridNetwork& g);
std::string FormatDetectorDat(const GridNetwork& g);
std::string FormatCCTVDat(const GridNetwork& g);
std::string FormatControlDat(const GridNetwork& g);

// Where a program is found: the candidates under the bindir (itself, then
// its subdirectory of a build tree) and under the generator's own build
// tree. Returns an absolute path; `found` says whether the file exists.
std::string FindProgram(const RunDirOptions& opt, const std::string& name, const std::string& build_subdir,
                        bool* found);

// Writes the whole run directory (creating it): the data files, the cycle
// settings files, distribution.ini with every program on the server
// machine, and the batch files (runfiles/) of the programs this build
// makes. Warnings (programs not found) are appended to `warnings`.
bool WriteRunDir(const std::string& dir, const RunDirOptions& opt, std::string& error,
                 std::vector<std::string>* warnings = nullptr);

}  // namespace vlq::mod
