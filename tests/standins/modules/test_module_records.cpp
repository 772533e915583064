// The modules without the ORB: the network reader, each module's cycle
// records against the console's layouts, the files they write, the traffic
// model's reaction to the operator's events, and the command decoding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ConsoleReaders.h"
#include "ModCommands.h"
#include "ModCycles.h"
#include "ModFormats.h"
#include "ModNetwork.h"
#include "ModProgram.h"
#include "ModTraffic.h"
#include "RecordShapes.h"
#include "RunDirGen.h"
#include "TestSupport.h"
#include "qelm_msg_codes.h"

using namespace vlq::mod;

namespace {

ModNetwork GridNet(int rows, int cols)
{
  RunDirOptions o;
  o.rows = rows;
  o.cols = cols;
  GridNetwork g;
  std::string error;
  EXPECT_TRUE(BuildGrid(o, g, error)) << error;
  return g.net;
}

ModNetwork FromText(const std::string& text)
{
  TempDir dir("vlq-net");
  EXPECT_TRUE(WriteFile(dir.file("network.dat"), text));
  ModNetwork net;
  std::string error;
  EXPECT_TRUE(ReadNetworkFile(dir.file("network.dat"), net, error)) << error;
  return net;
}

// 150 zones (more than the console's tables hold), three nodes, two links.
const char kWideNetwork[] = "150 3 2 10 0\n"
                            "1 1\n2 2\n3 150\n"
                            "1 2 0 0 1000 2 1.0 1.0 35.0 1800.0 1800.0 5 0.0\n"
                            "2 3 0 0 1000 2 1.0 1.0 35.0 1800.0 1800.0 5 0.0\n";

// ---------------------------------------------------------------- network.dat

TEST(ModNetworkReader, ReadsLikeTheConsole)
{
  // Values separated by anything; minus signs are separators too.
  const ModNetwork net = FromText("2,3;2 x 10 1\n"
                                  "  7 1\n  8 2\n  9 2\n"
                                  "7 8 1 0 1320 2 1.0 1.0 35.0 1800.0 1750.5 5 -2.0\n"
                                  "8 9 0 0 660.9 3 1 1 45 2000 1900 7 0\n");
  EXPECT_EQ(net.zones, 2);
  ASSERT_EQ(net.node_numbers.size(), 3u);
  ASSERT_EQ(net.links.size(), 2u);
  EXPECT_EQ(net.links[0].from, 7);
  EXPECT_EQ(net.links[0].to, 8);
  EXPECT_DOUBLE_EQ(net.links[0].sat_flow, 1750.5);
  EXPECT_DOUBLE_EQ(net.links[0].grade, 2.0);
  EXPECT_DOUBLE_EQ(net.links[1].length_ft, 660.0);  // an integer column, truncated
  EXPECT_EQ(net.FindLink(8, 9), 1);
  EXPECT_EQ(net.FindLink(9, 8), -1);
  EXPECT_EQ(net.OutLinks(7).size(), 1u);
  EXPECT_TRUE(net.OutLinks(9).empty());
}

TEST(ModNetworkReader, RefusesDamagedFiles)
{
  struct Case
  {
    const char* label;
    const char* text;  // null: no file
  };
  const Case cases[] = {
      {"missing file", nullptr},
      {"empty", ""},
      {"short header", "2 3 1 10\n"},
      {"node block ends early", "1 3 1 10 0\n1 1\n2 1\n"},
      {"link block ends early", "1 2 2 10 0\n1 1\n2 1\n1 2 0 0 100 1 1 1 30 1800 1800 5 0\n2 1 0 0 100\n"},
      {"header counts absurd", "1 99999999999 1 10 0\n"},
      // Digit runs beyond any 64-bit count, in the node and link counts.
      {"node count beyond 64 bits", "1 99999999999999999999 1 10 0\n"},
      {"link count beyond 64 bits", "1 1 99999999999999999999999 10 0\n1 1\n"},
      {"node number beyond 64 bits", "1 1 0 10 0\n99999999999999999999 1\n"},
  };
  for (const Case& c : cases) {
    TempDir dir("vlq-net");
    if (c.text) {
      ASSERT_TRUE(WriteFile(dir.file("network.dat"), c.text));
    }
    ModNetwork net;
    std::string error;
    EXPECT_FALSE(ReadNetworkFile(dir.file("network.dat"), net, error)) << c.label;
    EXPECT_FALSE(error.empty()) << c.label;
  }
}

TEST(ModNetworkReader, ZoneCountForTheODTablesIsAtMost120)
{
  EXPECT_EQ(FromText(kWideNetwork).ODZones(), 120);
  EXPECT_EQ(GridNet(3, 2).ODZones(), 6);
}

// ---------------------------------------------------------------- cycle records

struct NetCase
{
  const char* label;
  ModNetwork net;
};

std::vector<NetCase> Networks()
{
  std::vector<NetCase> v;
  v.push_back({"grid 2x2", GridNet(2, 2)});
  v.push_back({"grid 3x2", GridNet(3, 2)});
  v.push_back({"grid 9x7", GridNet(9, 7)});
  v.push_back({"150 zones", FromText(kWideNetwork)});
  for (NetCase& c : v)
    c.net.Index();
  return v;
}

const double kTimes[] = {25230.0, 86399.0, 90000.0, 0.0};

TEST(ModuleCycles, NowsimRecordsHaveTheConsolesShapes)
{
  for (const NetCase& c : Networks()) {
    const TrafficModel model(&c.net, 5);
    for (double t : kTimes) {
      const NowsimOutput out = NowsimCycle(model, EventSet(), t);
      long zones = -1;
      EXPECT_TRUE(shapes::RTLink(out.link, static_cast<long>(c.net.links.size()), &zones)) << c.label;
      EXPECT_EQ(zones, c.net.ODZones()) << c.label;
      double time_now = -1;
      EXPECT_TRUE(shapes::RTStat(out.stat, &time_now)) << c.label;
      EXPECT_DOUBLE_EQ(time_now, t) << c.label;
      // OD matrix: no trips inside a zone, some between zones.
      if (zones > 1) {
        EXPECT_EQ(out.link.F[4][0], 0.0f);
        EXPECT_GT(out.link.F[4][1], 0.0f);
      }
      for (CORBA::ULong i = 0; i < out.link.F[1].length(); ++i) {
        EXPECT_GT(out.link.F[1][i], 0.0f) << "speed";
        EXPECT_GE(out.link.F[0][i], 0.0f) << "density";
        EXPECT_GE(out.link.F[3][i], 0.0f) << "flow";
      }
    }
  }
}

TEST(ModuleCycles, PredictionRecordsHaveTheConsolesShapes)
{
  for (const NetCase& c : Networks()) {
    const TrafficModel model(&c.net, 5);
    for (int stage : {20, 1, 0}) {
      for (double t : kTimes) {
        const ForesimOutput out = ForesimCycle(model, EventSet(), t, stage);
        long blocks = -1, start = -1, length = -1;
        EXPECT_TRUE(shapes::PredLink(out.link, static_cast<long>(c.net.links.size()), &blocks)) << c.label;
        EXPECT_EQ(blocks, stage);
        EXPECT_TRUE(shapes::PredStat(out.stat, &start, &length)) << c.label;
        EXPECT_EQ(start, static_cast<long>(MinuteOfDay(t)));
        EXPECT_EQ(length, stage);

        // The predicted paths as the console reads them: indices 1..N,
        // nodes of network.dat, consecutive nodes joined by a link.
        std::vector<console::Path> paths;
        ASSERT_TRUE(console::PredictedPaths(out.paths, paths)) << out.paths;
        EXPECT_GE(paths.size(), 1u) << c.label;
        EXPECT_LE(paths.size(), 7u);
        const std::set<int> nodes(c.net.node_numbers.begin(), c.net.node_numbers.end());
        for (const console::Path& p : paths) {
          ASSERT_GE(p.nodes.size(), 2u);
          EXPECT_GT(p.travel_time, 0.0);
          for (std::size_t i = 0; i < p.nodes.size(); ++i) {
            EXPECT_TRUE(nodes.count(p.nodes[i])) << p.nodes[i];
            if (i + 1 < p.nodes.size()) {
              EXPECT_GE(c.net.FindLink(p.nodes[i], p.nodes[i + 1]), 0);
            }
          }
        }
      }
    }
  }
}

TEST(ModuleCycles, PredictionFollowsTheEstimateAtItsFirstStep)
{
  const ModNetwork net = GridNet(3, 3);
  const TrafficModel model(&net, 3);
  const double t = 30000;
  const NowsimOutput now = NowsimCycle(model, EventSet(), t);
  const ForesimOutput pred = ForesimCycle(model, EventSet(), t, 10);
  // Block 0 is the current minute: speed in F[0], density in F[1] (the
  // estimate has density first).
  for (CORBA::ULong i = 0; i < net.links.size(); ++i) {
    EXPECT_FLOAT_EQ(pred.link.F[0][i], now.link.F[1][i]);
    EXPECT_FLOAT_EQ(pred.link.F[1][i], now.link.F[0][i]);
  }
}

TEST(ModuleCycles, ConsistencyRecordsAndObservationFile)
{
  for (const NetCase& c : Networks()) {
    const TrafficModel model(&c.net, 9);
    const std::vector<int> detectors = DefaultDetectorLinks(c.net.links.size());
    for (double t : kTimes) {
      const NearvetOutput nv = NearvetCycle(model, EventSet(), t, detectors);
      float value = -1;
      EXPECT_TRUE(shapes::CCValue(nv.updated_speed, &value)) << c.label;
      EXPECT_GE(value, 0.0f);
      EXPECT_EQ(nv.updated_speed.F[0].length(), c.net.links.size());
      long n = -1;
      EXPECT_TRUE(shapes::STLink(nv.observed, static_cast<long>(c.net.links.size()), &n)) << c.label;
      EXPECT_EQ(n, static_cast<long>(detectors.size()));

      // obsData.dat: a stamp of three integers, then one value > 0 per detector link.
      const std::vector<double> obs = console::Numbers(nv.obs_data);
      ASSERT_EQ(obs.size(), 3 + detectors.size()) << nv.obs_data;
      const long long s = static_cast<long long>(std::fmod(t, 86400.0));
      EXPECT_EQ(obs[0], static_cast<double>(s / 3600));
      EXPECT_EQ(obs[1], static_cast<double>(s / 60 % 60));
      EXPECT_EQ(obs[2], static_cast<double>(s % 60));
      for (std::size_t j = 0; j < detectors.size(); ++j) {
        EXPECT_GT(obs[3 + j], 0.0);
        EXPECT_NEAR(obs[3 + j], nv.observed.F[1][static_cast<CORBA::ULong>(j)], 0.006);
      }

      const FarvetOutput fv = FarvetCycle(model, EventSet(), t);
      EXPECT_TRUE(shapes::CCValue(fv.correction, &value)) << c.label;
      EXPECT_EQ(fv.correction.F[0].length(), c.net.links.size());
    }
  }
}

TEST(ModuleCycles, ODRecords)
{
  const ModNetwork net = FromText(kWideNetwork);
  const TrafficModel model(&net, 2);
  for (bool corrected : {false, true}) {
    const QELM::DBKRecord r = OdeCycle(model, 30000, corrected);
    ASSERT_EQ(r.L.length(), 1u);
    ASSERT_EQ(r.L[0].length(), 2u);
    EXPECT_EQ(r.L[0][0], 120);
    EXPECT_EQ(r.L[0][1], corrected ? 1 : 0);
    EXPECT_EQ(r.F[0].length(), 120u * 120u);
  }
  struct Case
  {
    double horizon;
    CORBA::ULong slots;
  };
  for (const Case& c : {Case{2700, 9}, Case{0, 1}, Case{301, 2}, Case{1e12, 288}, Case{NAN, 1}}) {
    const QELM::DBKRecord r = OdpCycle(model, 30000, c.horizon);
    ASSERT_EQ(r.L[0].length(), 3u);
    EXPECT_EQ(r.L[0][1], static_cast<CORBA::Long>(c.slots)) << c.horizon;
    EXPECT_EQ(r.F.length(), c.slots);
    EXPECT_EQ(r.L[0][2], 100);  // minute 500 is slot 100
  }
}

// ---------------------------------------------------------------- traffic reactions

struct ModelFixture : ::testing::Test
{
  ModNetwork net = GridNet(4, 4);
  TrafficModel model{&net, 21};
  static constexpr double kT = 8 * 3600.0;  // minute 480, the morning peak
  std::vector<LinkState> Run(const EventSet& ev, double t = kT) const
  {
    std::vector<LinkState> s;
    model.Compute(t, ev, s);
    return s;
  }
};

TEST_F(ModelFixture, SameSeedSameValuesOtherSeedOtherValues)
{
  const std::vector<LinkState> a = Run(EventSet());
  const std::vector<LinkState> b = Run(EventSet());
  TrafficModel other(&net, 22);
  std::vector<LinkState> c;
  other.Compute(kT, EventSet(), c);
  int differ = 0;
  for (std::size_t k = 0; k < a.size(); ++k) {
    EXPECT_EQ(a[k].density, b[k].density);
    EXPECT_EQ(a[k].speed, b[k].speed);
    differ += a[k].density != c[k].density;
  }
  EXPECT_GT(differ, 0);
}

TEST_F(ModelFixture, DemandMovesWithTheTimeOfDay)
{
  const NetStats night = model.Stats(Run(EventSet(), 3 * 3600.0));
  const NetStats peak = model.Stats(Run(EventSet(), 17.5 * 3600.0));
  EXPECT_GT(peak.numcars, night.numcars);
  EXPECT_GT(peak.avg_density, night.avg_density);
  EXPECT_LT(peak.avg_speed, night.avg_speed);
}

TEST_F(ModelFixture, IncidentAndWorkZoneActOnTheirLinkInTheirWindow)
{
  const int k = 5;
  const ModLink& l = net.links[k];
  struct Case
  {
    const char* label;
    EventSet ev;
    bool active;
  };
  EventSet incident;
  incident.incidents.push_back({l.from, l.to, 470, 500, 0.9f});
  EventSet later;
  later.incidents.push_back({l.from, l.to, 481, 500, 0.9f});
  EventSet ended;
  ended.incidents.push_back({l.from, l.to, 400, 480, 0.9f});
  EventSet workzone;
  workzone.workzones.push_back({l.from, l.to, 0, 1440, 0.8f, 0, 0});
  EventSet other_link;
  other_link.incidents.push_back({1, 16, 0, 1440, 0.9f});  // no such link
  const Case cases[] = {
      {"incident in its window", incident, true},   {"incident not yet begun", later, false},
      {"incident at its end minute", ended, false}, {"work zone", workzone, true},
      {"unknown link", other_link, false},
  };
  const std::vector<LinkState> base = Run(EventSet());
  for (const Case& c : cases) {
    const std::vector<LinkState> s = Run(c.ev);
    if (c.active) {
      EXPECT_GT(s[k].queue, base[k].queue + 0.3f) << c.label;
      EXPECT_LT(s[k].speed, base[k].speed * 0.6f) << c.label;
      EXPECT_LT(s[k].flow, base[k].flow) << c.label;
    } else {
      EXPECT_EQ(s[k].queue, base[k].queue) << c.label;
      EXPECT_EQ(s[k].speed, base[k].speed) << c.label;
    }
    // Other links are untouched by incidents and work zones.
    for (std::size_t j = 0; j < s.size(); ++j)
      if (static_cast<int>(j) != k) {
        EXPECT_EQ(s[j].speed, base[j].speed) << c.label << " link " << j;
      }
  }
}

TEST_F(ModelFixture, WorkZoneSpeedLimitAndDischargeRate)
{
  const int k = 2;
  const ModLink& l = net.links[k];
  EventSet ev;
  ev.workzones.push_back({l.from, l.to, 0, 1440, 0.0f, 10, 0});
  EXPECT_LE(Run(ev)[k].speed, 10.0f);
  EventSet slow;
  slow.workzones.push_back({l.from, l.to, 0, 1440, 0.0f, 0, 100});
  EXPECT_LE(Run(slow)[k].flow, 100.0f * l.lanes + 0.01f);
}

TEST_F(ModelFixture, DetourShiftsFlowOntoItsPath)
{
  // Grid 4 x 4, nodes numbered row by row from 1: VMS on 1->2, detour 2 -> 6 -> 7.
  const int vms_link = net.FindLink(1, 2);
  const int d1 = net.FindLink(2, 6), d2 = net.FindLink(6, 7), straight = net.FindLink(2, 3);
  ASSERT_GE(vms_link, 0);
  ASSERT_GE(d1, 0);
  ASSERT_GE(d2, 0);
  ASSERT_GE(straight, 0);
  const std::vector<LinkState> base = Run(EventSet());
  for (int type : {2, 4}) {
    EventSet ev;
    VMSMsgArg v;
    v.type = type;
    v.from_node = 1;
    v.to_node = 2;
    v.params[0] = 100;
    v.params[1] = 3;
    v.start = 0;
    v.end = 1440;
    v.path[0] = 2;
    v.path[1] = 6;
    v.path[2] = 7;
    ev.vms.push_back(v);
    const std::vector<LinkState> s = Run(ev);
    EXPECT_GT(s[d1].flow, base[d1].flow) << type;
    EXPECT_GT(s[d2].flow, base[d2].flow) << type;
    EXPECT_LT(s[straight].flow, base[straight].flow) << type;
  }
  // A speed advisory moves no traffic.
  EventSet advisory;
  VMSMsgArg a;
  a.type = 1;
  a.from_node = 1;
  a.to_node = 2;
  a.end = 1440;
  advisory.vms.push_back(a);
  EXPECT_EQ(Run(advisory)[d1].flow, base[d1].flow);
}

TEST_F(ModelFixture, FarvetSeesTheOperatorsEvents)
{
  const ModLink& l = net.links[0];
  EventSet ev;
  ev.incidents.push_back({l.from, l.to, 0, 1440, 0.9f});
  EXPECT_GT(FarvetCycle(model, ev, kT).value, FarvetCycle(model, EventSet(), kT).value);
}

// ---------------------------------------------------------------- commands

QELM::MSG Msg(long code, const std::vector<unsigned char>& bytes)
{
  QELM::MSG m;
  m.ID = static_cast<CORBA::Long>(code);
  m.timestamp.sec = 0;
  m.timestamp.msec = 0;
  m.arg.length(static_cast<CORBA::ULong>(bytes.size()));
  for (std::size_t i = 0; i < bytes.size(); ++i)
    m.arg[static_cast<CORBA::ULong>(i)] = bytes[i];
  return m;
}

template <class T>
void Put(std::vector<unsigned char>& b, T v)
{
  unsigned char raw[sizeof(T)];
  std::memcpy(raw, &v, sizeof(T));
  b.insert(b.end(), raw, raw + sizeof(T));
}

std::vector<unsigned char> Incident(int32_t from, int32_t to, float start, float end, float sev)
{
  std::vector<unsigned char> b;
  Put(b, from);
  Put(b, to);
  Put(b, start);
  Put(b, end);
  Put(b, sev);
  return b;
}

std::vector<unsigned char> WorkZone(int32_t from, int32_t to, float start, float end, float red,
                                    int32_t speed, int32_t rate)
{
  std::vector<unsigned char> b;
  Put(b, from);
  Put(b, to);
  Put(b, start);
  Put(b, end);
  Put(b, red);
  Put(b, speed);
  Put(b, rate);
  return b;
}

std::vector<unsigned char> Vms(int32_t type, int32_t from, int32_t to, int32_t p0, int32_t p1, float start,
                               float end, const std::vector<int32_t>& path)
{
  std::vector<unsigned char> b;
  Put(b, type);
  Put(b, from);
  Put(b, to);
  Put(b, p0);
  Put(b, p1);
  Put(b, start);
  Put(b, end);
  for (int i = 0; i < 100; ++i)
    Put(b, i < static_cast<int>(path.size()) ? path[static_cast<std::size_t>(i)] : int32_t(-7));
  return b;
}

// The detour nodes a module keeps of a sign: the counted ones; nothing of
// what the sender left after them.
std::vector<int> KeptPath(const VMSMsgArg& v)
{
  const int n = VMSDetourNodeCount(v);
  for (int i = n; i < VMSMsgArg::MAX_PATH_NODES; ++i)
    if (v.path[i] != 0)
      return {-1};  // a node kept past the count
  return std::vector<int>(v.path, v.path + n);
}

TEST(ModuleCommands, DecodesTheConsolesPayloads)
{
  ModNetwork net = GridNet(3, 3);
  CommandState cs;
  std::string text;
  EXPECT_EQ(cs.Apply(Msg(MSG_INCIDENT_ADD, Incident(1, 2, 480, 540.5f, 0.3f)), &net, text),
            CommandState::APPLIED);
  EXPECT_EQ(cs.Apply(Msg(MSG_WORKZONE_ADD, WorkZone(2, 3, 10, 20, 0.25f, 25, 900)), &net, text),
            CommandState::APPLIED);
  EXPECT_EQ(cs.Apply(Msg(MSG_VMS_ADD, Vms(2, 1, 2, 100, 3, 0, 60, {2, 5, 6})), &net, text),
            CommandState::APPLIED);
  EXPECT_EQ(cs.Apply(Msg(MSG_VMS_ADD, Vms(1, 4, 5, -20, 50, 0, 60, {})), &net, text), CommandState::APPLIED);
  const EventSet ev = cs.Snapshot();
  ASSERT_EQ(ev.incidents.size(), 1u);
  EXPECT_EQ(ev.incidents[0].from_node, 1);
  EXPECT_EQ(ev.incidents[0].to_node, 2);
  EXPECT_EQ(ev.incidents[0].end, 540.5f);
  EXPECT_EQ(ev.incidents[0].severity, 0.3f);
  ASSERT_EQ(ev.workzones.size(), 1u);
  EXPECT_EQ(ev.workzones[0].speed_limit, 25);
  EXPECT_EQ(ev.workzones[0].discharge_rate, 900);
  EXPECT_EQ(ev.workzones[0].capacity_reduction, 0.25f);
  ASSERT_EQ(ev.vms.size(), 2u);
  EXPECT_EQ(KeptPath(ev.vms[0]), (std::vector<int>{2, 5, 6}));  // only the counted nodes
  EXPECT_EQ(ev.vms[1].params[0], -20);
  EXPECT_TRUE(KeptPath(ev.vms[1]).empty());
}

TEST(ModuleCommands, RefusesAndIgnores)
{
  struct Case
  {
    const char* label;
    QELM::MSG msg;
    CommandState::Result result;
  };
  std::vector<unsigned char> short_incident = Incident(1, 2, 0, 10, 0.5f);
  short_incident.pop_back();
  std::vector<unsigned char> long_wz = WorkZone(1, 2, 0, 10, 0.5f, 20, 100);
  long_wz.push_back(0);
  std::vector<unsigned char> short_vms = Vms(2, 1, 2, 100, 1, 0, 10, {2});
  short_vms.resize(427);
  const std::vector<Case> cases = {
      {"NOWSIM ended is no command", Msg(MSG_NOWSIM_ENDED, {}), CommandState::NOT_A_COMMAND},
      {"code 48 is no command", Msg(48, Incident(1, 2, 0, 10, 0.5f)), CommandState::NOT_A_COMMAND},
      {"empty incident", Msg(MSG_INCIDENT_ADD, {}), CommandState::REFUSED},
      {"incident of 19 bytes", Msg(MSG_INCIDENT_ADD, short_incident), CommandState::REFUSED},
      {"work zone of 29 bytes", Msg(MSG_WORKZONE_ADD, long_wz), CommandState::REFUSED},
      {"VMS of 427 bytes", Msg(MSG_VMS_ADD, short_vms), CommandState::REFUSED},
      {"incident payload as a VMS", Msg(MSG_VMS_ADD, Incident(1, 2, 0, 10, 0.5f)), CommandState::REFUSED},
      {"severity above 1", Msg(MSG_INCIDENT_ADD, Incident(1, 2, 0, 10, 1.5f)), CommandState::REFUSED},
      {"start not a number", Msg(MSG_INCIDENT_ADD, Incident(1, 2, NAN, 10, 0.5f)), CommandState::REFUSED},
      {"detour of 101 nodes", Msg(MSG_VMS_ADD, Vms(2, 1, 2, 100, 101, 0, 10, {})), CommandState::REFUSED},
      {"VMS type 7", Msg(MSG_VMS_ADD, Vms(7, 1, 2, 0, 0, 0, 10, {})), CommandState::REFUSED},
      {"negative discharge rate", Msg(MSG_WORKZONE_ADD, WorkZone(1, 2, 0, 10, 0.5f, 20, -1)),
       CommandState::REFUSED},
      {"remove of nothing", Msg(MSG_INCIDENT_REMOVE, Incident(1, 2, 0, 10, 0.5f)), CommandState::NOT_FOUND},
  };
  ModNetwork net = GridNet(2, 2);
  for (const Case& c : cases) {
    CommandState cs;
    std::string text;
    EXPECT_EQ(cs.Apply(c.msg, &net, text), c.result) << c.label;
    const EventSet ev = cs.Snapshot();
    EXPECT_TRUE(ev.incidents.empty() && ev.workzones.empty() && ev.vms.empty()) << c.label;
    if (c.result != CommandState::NOT_A_COMMAND) {
      EXPECT_FALSE(text.empty()) << c.label;
    }
  }
}

TEST(ModuleCommands, RemoveTakesTheMatchingEvent)
{
  ModNetwork net = GridNet(2, 2);
  CommandState cs;
  std::string text;
  cs.Apply(Msg(MSG_INCIDENT_ADD, Incident(1, 2, 0, 10, 0.5f)), &net, text);
  cs.Apply(Msg(MSG_INCIDENT_ADD, Incident(1, 2, 20, 30, 0.7f)), &net, text);
  cs.Apply(Msg(MSG_INCIDENT_ADD, Incident(3, 4, 0, 10, 0.5f)), &net, text);
  // A change is a remove of the old values and an add of the new ones.
  EXPECT_EQ(cs.Apply(Msg(MSG_INCIDENT_REMOVE, Incident(1, 2, 20, 30, 0.7f)), &net, text),
            CommandState::APPLIED);
  EventSet ev = cs.Snapshot();
  ASSERT_EQ(ev.incidents.size(), 2u);
  EXPECT_EQ(ev.incidents[0].start, 0.0f);
  EXPECT_EQ(ev.incidents[1].from_node, 3);
  // Without an exact match, the first event of the same link goes.
  EXPECT_EQ(cs.Apply(Msg(MSG_INCIDENT_REMOVE, Incident(3, 4, 5, 6, 0.1f)), &net, text),
            CommandState::APPLIED);
  ev = cs.Snapshot();
  ASSERT_EQ(ev.incidents.size(), 1u);
  EXPECT_EQ(ev.incidents[0].from_node, 1);
  // The same VMS twice is held once.
  cs.Apply(Msg(MSG_VMS_ADD, Vms(4, 1, 2, 100, 2, 0, 60, {2, 4})), &net, text);
  cs.Apply(Msg(MSG_VMS_ADD, Vms(4, 1, 2, 100, 2, 0, 60, {2, 4})), &net, text);
  EXPECT_EQ(cs.Snapshot().vms.size(), 1u);
  EXPECT_EQ(cs.Apply(Msg(MSG_VMS_REMOVE, Vms(4, 1, 2, 100, 2, 0, 60, {2, 4})), &net, text),
            CommandState::APPLIED);
  EXPECT_TRUE(cs.Snapshot().vms.empty());
}

// ---------------------------------------------------------------- files

TEST(ModuleFiles, SchedulerRoundTrip)
{
  SchedulerValues v;
  ASSERT_TRUE(ParseScheduler(
      SchedulerFileText(SchedulerCycles{60, 300, 600, 900, 1800, 120, 300, 3600, 300, 1800}), v));
  EXPECT_EQ(v.nowsim_period, 60);
  EXPECT_EQ(v.foresim_roll, 300);
  EXPECT_EQ(v.foresim_stage_length, 3600);
  EXPECT_EQ(v.ode_state_length, 600);
  EXPECT_EQ(v.odp_period, 900);
  EXPECT_EQ(v.odp_horizon, 1800);
  EXPECT_EQ(v.farvet_period, 1800);
  EXPECT_EQ(v.nearvet_period, 120);
  EXPECT_EQ(v.od_departure_interval, 300);
  EXPECT_EQ(v.od_observation_interval, 300);
  EXPECT_EQ(v.cc_observation_interval, 120);
  EXPECT_FALSE(ParseScheduler("30 0\n300 1200 300\n", v));
}

// A module reaches the run directory's files from its own folder.
TEST(ModuleFiles, PathsFromTheModulesFolder)
{
  const struct
  {
    const char* module;
    int instance;
    const char* folder;
    const char* network;  // estimate/network.dat seen from the folder
    const char* own;      // a file of the module's folder, by its run-directory path
    const char* own_seen;
  } cases[] = {
      {"NOWSIM", 0, "estimate", "network.dat", "estimate/x.dat", "x.dat"},
      {"FORESIM", 0, "predict", "../estimate/network.dat", "predict/Predictive_PathTravelTime.dat",
       "Predictive_PathTravelTime.dat"},
      {"FORESIM", 1, "predict1", "../estimate/network.dat", "predict1/Predictive_PathTravelTime.dat",
       "Predictive_PathTravelTime.dat"},
      {"NEARVET", 0, "NEARVET", "../estimate/network.dat", "NEARVET/referencetable.txt",
       "referencetable.txt"},
      {"FARVET", 0, "farvet", "../estimate/network.dat", "farvet/x.dat", "x.dat"},
      {"ODE", 0, "odestimate", "../estimate/network.dat", "odestimate/obsData.dat", "obsData.dat"},
      {"ODP", 0, "odpredict", "../estimate/network.dat", "odpredict/x.dat", "x.dat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.module) + " " + std::to_string(c.instance));
    const std::string folder = ModuleFolder(c.module, c.instance);
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(FromFolder(folder, "estimate/network.dat"), c.network);
    EXPECT_EQ(FromFolder(folder, "scheduler.dat"), "../scheduler.dat");
    EXPECT_EQ(FromFolder(folder, c.own), c.own_seen);
  }
  // Another folder whose name begins with the module's; the run directory itself.
  EXPECT_EQ(FromFolder("predict", "predict1/vms.dat"), "../predict1/vms.dat");
  EXPECT_EQ(FromFolder("", "estimate/network.dat"), "estimate/network.dat");
  EXPECT_EQ(ModuleFolder("Management", 0), "");
}

TEST(ModuleFiles, DetectorListFromDetectorDat)
{
  const ModNetwork net = GridNet(2, 2);  // links 1->2, 2->1, 1->3, 3->1, 2->4, 4->2, 3->4, 4->3
  int unknown = 0;
  const std::vector<int> d =
      DetectorLinksFromText(net, "    4    2\n\n    1    2\n    9    9\n    4    2\r\n", &unknown);
  EXPECT_EQ(d, (std::vector<int>{0, 5}));
  EXPECT_EQ(unknown, 1);
  // The reference table names them in link order, numbered from 1.
  const std::vector<double> ref = console::Numbers(FormatReferenceTable(net, d));
  EXPECT_EQ(ref[0], 8);
  EXPECT_EQ(ref[1], 2);
  EXPECT_EQ(ref[2 + 3], 1);
  EXPECT_EQ(ref[2 + 6 * 5 + 3], 2);
  EXPECT_EQ(ref[2 + 6 * 1 + 3], 0);
}

}  // namespace
