// Fixtures of the project and data-file tests: a run directory (a temporary
// directory made the working directory), recording sinks and exit handler,
// and a small network with every file of a project.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "CProject.h"
#include "NetworkFiles.h"
#include "TempFiles.h"

namespace fixtures {

// A temporary run directory with estimate/, predict/ and predict1/, made
// the working directory for the object's life.
class RunDir
{
public:
  RunDir()
  {
    char tmpl[] = "/tmp/vlq_model_run_XXXXXX";
    m_dir = ::mkdtemp(tmpl);
    for (const char* sub : {"estimate", "predict", "predict1"})
      std::filesystem::create_directories(m_dir + "/" + sub);
    m_old = std::filesystem::current_path();
    std::filesystem::current_path(m_dir);
  }
  ~RunDir()
  {
    std::filesystem::current_path(m_old);
    std::filesystem::remove_all(m_dir);
  }
  RunDir(const RunDir&) = delete;
  RunDir& operator=(const RunDir&) = delete;
  const std::string& path() const { return m_dir; }
  // Path relative to the run directory (which is the working directory).
  static std::string Est(const std::string& name) { return "estimate/" + name; }

private:
  std::string m_dir;
  std::filesystem::path m_old;
};

struct RecordingSinks : IStatusSink, IMessageSink
{
  std::vector<std::string> status;
  std::vector<std::string> messages;
  std::vector<int> exits;
  void SetStatusText(const std::string& t) override { status.push_back(t); }
  void ShowMessage(const std::string& t) override { messages.push_back(t); }

  // Installs the sinks and a recording exit handler into the project.
  void Attach(CProject& p)
  {
    p.SetSinks(this, this, [this](int s) { exits.push_back(s); });
  }
  static void Detach(CProject& p) { p.SetSinks(nullptr, nullptr, nullptr); }
};

// A small network: 4 nodes (numbers 10, 20, 30, 40; zones 1, 1, 2, 2),
// 5 links including two parallel links 20->30, a taller-than-wide layout.
struct SmallNetwork
{
  NetworkFile net;
  SuperZoneFile superZones;
  std::vector<XYRecord> xy;
  std::vector<LinkShapeRecord> shapes;
  std::vector<LinkNameRecord> names;
  std::vector<LinkRef> detectors;
  std::vector<CCTVRecord> cameras;
  ControlFile control;

  SmallNetwork()
  {
    net.header = {2, 4, 5, 10, 1};
    net.nodes = {{10, 1}, {20, 1}, {30, 2}, {40, 2}};
    auto link = [](int a, int b, int len, int type) {
      NetworkLinkRecord r;
      r.nFrom = a;
      r.nTo = b;
      r.nLeftBays = 1;
      r.nRightBays = 0;
      r.nLengthFeet = len;
      r.nLanes = 2;
      r.dFlowModel = 1.5;
      r.dSpeedAdjust = 0.9;
      r.dSpeedLimit = 55.5;
      r.dMaxServiceFlow = 2200.25;
      r.dSatFlow = 1800.5;
      r.nLinkType = type;
      r.dGrade = -1.25;
      return r;
    };
    net.links = {link(10, 20, 1000, 1), link(20, 30, 2000, 3), link(20, 30, 2100, 5), link(30, 40, 500, 2),
                 link(40, 10, 800, 7)};
    superZones = {1, {1, 2}, {1, 1}};
    xy = {{10, 0.0, 0.0}, {20, 0.0, 100.0}, {30, 50.0, 100.0}, {40, 50.0, 200.0}};
    shapes = {{10, 20, {{0.0, 0.0}, {10.0, 50.0}, {0.0, 100.0}}}};
    names = {{10, 20, "Main Street"}, {30, 40, "Harbour Road"}};
    detectors = {{30, 40}};
    cameras = {{30, 40, "http://cam1.example/view"}};
    control.header = {3.0, 1.0};
    control.nodes = {{1, 4, 0, 0}, {2, 2, 0, 0}, {3, 5, 0, 0}, {4, 1, 0, 0}};
  }

  // Writes every file into estimate/ of the working directory.
  void WriteAllFiles() const
  {
    WriteNetworkFile("estimate/network.dat", net);
    WriteSuperZoneFile("estimate/SuperZone.dat", superZones);
    WriteXYFile("estimate/xy.dat", xy);
    WriteLinkXYFile("estimate/linkxy.dat", shapes);
    WriteLinkNameFile("estimate/LinkName.dat", names);
    WriteDetectorFile("estimate/Detector.dat", detectors);
    WriteCCTVFile("estimate/CCTV.dat", cameras);
    WriteControlFile("estimate/control.dat", control);
  }
};

}  // namespace fixtures
