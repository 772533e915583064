// Helpers for the tests of the project, network objects and data files:
// a run directory (temp dir made the working directory), recording sinks
// and exit handler, a recording draw target and a small network.
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
#include "DrawTypes.h"
#include "GlobalArrays.h"
#include "NetworkFiles.h"
#include "TempFiles.h"

namespace ma {

using ::ReadAll;
using ::WriteAll;

// A temporary run directory with estimate/, predict/ and predict1/, made
// the working directory for the object's life.
class RunDir
{
public:
  RunDir()
  {
    char tmpl[] = "/tmp/vlq_model_a_XXXXXX";
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
    p.m_pStatusBar = this;
    p.m_pMessageSink = this;
    p.m_ExitHandler = [this](int s) { exits.push_back(s); };
  }
  static void Detach(CProject& p)
  {
    p.m_pStatusBar = nullptr;
    p.m_pMessageSink = nullptr;
    p.m_ExitHandler = nullptr;
  }
};

// After a test's load: stops the observation thread that it started (the
// thread reads the links), takes the sinks out of the project and empties
// the global arrays.
inline void EndLoadedProject(CProject& p)
{
  p.StopRealTimeReader();
  RecordingSinks::Detach(p);
  RemoveLoadedObjects();
}

// Draw target with identity transform (or scale) that records every call.
class RecordingTarget : public IDrawTarget
{
public:
  double scale = 1.0;
  bool printing = false;
  std::vector<std::string> ops;

  ScreenPointD WorldToScreenD(const WorldPoint& p) const override { return {p.x * scale, p.y * scale}; }
  bool IsPrinting() const override { return printing; }
  void SelectPen(DrawPen pen) override { ops.push_back("pen " + std::to_string(static_cast<int>(pen))); }
  void SelectBrush(DrawBrush b) override { ops.push_back("brush " + std::to_string(static_cast<int>(b))); }
  void SetTextColor(ColorRef c) override { ops.push_back("text " + std::to_string(c)); }
  void Line(ScreenPoint a, ScreenPoint b) override { ops.push_back("line " + P(a) + " " + P(b)); }
  void Ellipse(const ScreenRect& r) override { ops.push_back("ellipse " + R(r)); }
  void Rectangle(const ScreenRect& r) override { ops.push_back("rect " + R(r)); }
  void Polygon(const std::vector<ScreenPoint>& pts) override
  {
    std::string s = "polygon";
    for (auto& p : pts)
      s += " " + P(p);
    ops.push_back(s);
  }
  void Bitmap(int id, ScreenPoint c, ColorRef mask) override
  {
    ops.push_back("bmp " + std::to_string(id) + " " + P(c) + " " + std::to_string(mask));
  }
  void LabelText(const std::string& t, const ScreenRect& r) override
  {
    ops.push_back("label " + t + " " + R(r));
  }

  static std::string Pen(DrawPen p) { return "pen " + std::to_string(static_cast<int>(p)); }
  static std::string Brush(DrawBrush b) { return "brush " + std::to_string(static_cast<int>(b)); }
  int Count(const std::string& prefix) const
  {
    int n = 0;
    for (auto& o : ops)
      if (o.rfind(prefix, 0) == 0)
        ++n;
    return n;
  }
  // The pen selected last before the first line.
  std::string PenBeforeFirstLine() const
  {
    std::string pen;
    for (auto& o : ops) {
      if (o.rfind("pen ", 0) == 0)
        pen = o;
      if (o.rfind("line ", 0) == 0)
        return pen;
    }
    return pen;
  }

private:
  static std::string P(ScreenPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
  static std::string R(const ScreenRect& r)
  {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
  }
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

}  // namespace ma
