// The QELM wire contract: repository ids of every generated type and
// interface, and round trips of every type that crosses an operation
// between two processes (test servants in vlq_wire_peer).
#include "TestSupport.h"
#include "qelm_orb_args.h"

#include <QELM.hh>
#include <gtest/gtest.h>
#include <omniORB4/minorCode.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

// ------------------------------------------------------------------ types

static_assert(std::is_same_v<QELM::OctetSeq, CORBA::OctetSeq>);
static_assert(std::is_same_v<QELM::LongSeq, CORBA::LongSeq>);
static_assert(std::is_same_v<QELM::FloatSeq, CORBA::FloatSeq>);
static_assert(std::is_same_v<QELM::TaskIDEnum, CORBA::Long>);
// GetNetworkState hands its octets back through the out parameter only.
static_assert(std::is_same_v<decltype(std::declval<QELM::_objref_Descriptive&>().GetNetworkState(
                                 std::declval<QELM::OctetSeq_out>(), 0)),
                             void>);
static_assert(std::is_base_of_v<CORBA::UserException, QELM::Tallyhouse::InvalidQuasiTimestamp>);

TEST(IdlWire, RepositoryIdsOfTypes)
{
  const std::vector<std::pair<CORBA::TypeCode_ptr, const char*>> table = {
      {QELM::_tc_LongSeq, "IDL:QELM/LongSeq:1.0"},
      {QELM::_tc_LongSeqArray, "IDL:QELM/LongSeqArray:1.0"},
      {QELM::_tc_FloatSeq, "IDL:QELM/FloatSeq:1.0"},
      {QELM::_tc_FloatSeqArray, "IDL:QELM/FloatSeqArray:1.0"},
      {QELM::_tc_OctetSeq, "IDL:QELM/OctetSeq:1.0"},
      {QELM::_tc_HRTime, "IDL:QELM/HRTime:1.0"},
      {QELM::_tc_DBKRecord, "IDL:QELM/DBKRecord:1.0"},
      {QELM::_tc_LSHHistory, "IDL:QELM/LSHHistory:1.0"},
      {QELM::_tc_TaskIDEnum, "IDL:QELM/TaskIDEnum:1.0"},
      {QELM::_tc_MSG, "IDL:QELM/MSG:1.0"},
      {QELM::_tc_TaskStatus, "IDL:QELM/TaskStatus:1.0"},
      {QELM::_tc_SystemStatus, "IDL:QELM/SystemStatus:1.0"},
      {QELM::Management::_tc_RunModeEnum, "IDL:QELM/Management/RunModeEnum:1.0"},
      {QELM::_tc_TallyhouseStatus, "IDL:QELM/TallyhouseStatus:1.0"},
      {QELM::_tc_SimulationParameters, "IDL:QELM/SimulationParameters:1.0"},
      {QELM::Tallyhouse::_tc_DBKIDEnum, "IDL:QELM/Tallyhouse/DBKIDEnum:1.0"},
      {QELM::Tallyhouse::_tc_InvalidQuasiTimestamp, "IDL:QELM/Tallyhouse/InvalidQuasiTimestamp:1.0"},
      {QELM::_tc_GUIEstLinkData, "IDL:QELM/GUIEstLinkData:1.0"},
      {QELM::_tc_GUIEstLinkDataSeq, "IDL:QELM/GUIEstLinkDataSeq:1.0"},
      {QELM::_tc_GUIEstStatData, "IDL:QELM/GUIEstStatData:1.0"},
      {QELM::_tc_GUIPredLinkData, "IDL:QELM/GUIPredLinkData:1.0"},
      {QELM::_tc_GUIPredLinkDataSeq, "IDL:QELM/GUIPredLinkDataSeq:1.0"},
      {QELM::_tc_GUIPredStatData, "IDL:QELM/GUIPredStatData:1.0"},
      {QELM::_tc_GUIRealLinkData, "IDL:QELM/GUIRealLinkData:1.0"},
      {QELM::_tc_GUIRealLinkDataSeq, "IDL:QELM/GUIRealLinkDataSeq:1.0"},
      {QELM::_tc_GUIRealStatData, "IDL:QELM/GUIRealStatData:1.0"},
  };
  for (const auto& [tc, id] : table)
    EXPECT_STREQ(tc->id(), id);
  EXPECT_STREQ(QELM::Tallyhouse::InvalidQuasiTimestamp::_PD_repoId,
               "IDL:QELM/Tallyhouse/InvalidQuasiTimestamp:1.0");
  // The three typedefs of predefined sequences alias the ORB's own.
  EXPECT_STREQ(QELM::_tc_OctetSeq->content_type()->id(), CORBA::_tc_OctetSeq->id());
}

TEST(IdlWire, RepositoryIdsOfInterfaces)
{
  const std::vector<std::tuple<const char*, CORBA::TypeCode_ptr, const char*>> table = {
      {QELM::MessageTarget::_PD_repoId, QELM::_tc_MessageTarget, "IDL:QELM/MessageTarget:1.0"},
      {QELM::MessagePublisher::_PD_repoId, QELM::_tc_MessagePublisher, "IDL:QELM/MessagePublisher:1.0"},
      {QELM::VQClient::_PD_repoId, QELM::_tc_VQClient, "IDL:QELM/VQClient:1.0"},
      {QELM::Management::_PD_repoId, QELM::_tc_Management, "IDL:QELM/Management:1.0"},
      {QELM::Tallyhouse::_PD_repoId, QELM::_tc_Tallyhouse, "IDL:QELM/Tallyhouse:1.0"},
      {QELM::Task::_PD_repoId, QELM::_tc_Task, "IDL:QELM/Task:1.0"},
      {QELM::Descriptive::_PD_repoId, QELM::_tc_Descriptive, "IDL:QELM/Descriptive:1.0"},
      {QELM::Predictive::_PD_repoId, QELM::_tc_Predictive, "IDL:QELM/Predictive:1.0"},
      {QELM::ODEstimate::_PD_repoId, QELM::_tc_ODEstimate, "IDL:QELM/ODEstimate:1.0"},
      {QELM::ODPredict::_PD_repoId, QELM::_tc_ODPredict, "IDL:QELM/ODPredict:1.0"},
      {QELM::LongTermCC::_PD_repoId, QELM::_tc_LongTermCC, "IDL:QELM/LongTermCC:1.0"},
      {QELM::ShortTermCC::_PD_repoId, QELM::_tc_ShortTermCC, "IDL:QELM/ShortTermCC:1.0"},
      {QELM::GUI::_PD_repoId, QELM::_tc_GUI, "IDL:QELM/GUI:1.0"},
  };
  for (const auto& [repo, tc, id] : table) {
    EXPECT_STREQ(repo, id);
    EXPECT_STREQ(tc->id(), id);
  }
}

TEST(IdlWire, EnumerationsAndStructureLayouts)
{
  const char* const kinds[] = {"NOWSIM_FLOW_PROP", "NOWSIM_CCA_LINKPROP", "FORESIM_PREDICTED_STATS",
                               "FORESIM_LINKPROP", "ODE_PREDICTED_COEFF", "ODP_PREDICTED_OD",
                               "CCA_CORRECTION",   "CCB_UPDATED_SPEED",   "GUIRTLINKDATA",
                               "GUIRTSTATDATA",    "GUIPLINKDATA",        "GUIPSTATDATA",
                               "FORESIM_RP_GPS",   "GUIPLINKDATA_1",      "GUIPSTATDATA_1",
                               "GUISTLINKDATA",    "GUISTSTATDATA"};
  CORBA::TypeCode_ptr tc = QELM::Tallyhouse::_tc_DBKIDEnum;
  ASSERT_EQ(tc->member_count(), 17u);
  for (CORBA::ULong i = 0; i < 17; ++i)
    EXPECT_STREQ(tc->member_name(i), kinds[i]) << i;
  EXPECT_EQ(QELM::Tallyhouse::FORESIM_RP_GPS, 12);
  EXPECT_EQ(QELM::Tallyhouse::GUIPLINKDATA_1, 13);
  EXPECT_EQ(QELM::Tallyhouse::GUIPSTATDATA_1, 14);
  EXPECT_EQ(QELM::Tallyhouse::GUISTSTATDATA, 16);

  ASSERT_EQ(QELM::Management::_tc_RunModeEnum->member_count(), 2u);
  EXPECT_EQ(QELM::Management::RUN_SEQUENTIAL, 0);
  EXPECT_EQ(QELM::Management::RUN_REAL_TIME, 1);

  // Field order of the structures that cross operations.
  struct Layout
  {
    CORBA::TypeCode_ptr tc;
    std::vector<const char*> fields;
  };
  const std::vector<Layout> layouts = {
      {QELM::_tc_HRTime, {"sec", "msec"}},
      {QELM::_tc_DBKRecord, {"timestamp", "quasi_timestamp", "L", "F"}},
      {QELM::_tc_MSG, {"ID", "timestamp", "arg"}},
      {QELM::_tc_TaskStatus, {"timestamp", "ID", "active", "initialized"}},
      {QELM::_tc_SystemStatus,
       {"timestamp", "active", "initialized_before", "initialized", "cyclic_running"}},
      {QELM::_tc_TallyhouseStatus, {"timestamp", "active", "initialized"}},
      {QELM::_tc_SimulationParameters,
       {"noofarcs_org", "noofarcs", "noofnodes", "noofzones", "simulation_interval", "assignment_interval",
        "stage_length", "state_length", "roll_period", "od_departure_interval", "od_observation_interval",
        "cc_observation_interval"}},
  };
  for (const auto& l : layouts) {
    ASSERT_EQ(l.tc->member_count(), l.fields.size()) << l.tc->id();
    for (CORBA::ULong i = 0; i < l.fields.size(); ++i)
      EXPECT_STREQ(l.tc->member_name(i), l.fields[i]) << l.tc->id();
  }

  // The result structures the console unpacks records into, with the kind
  // of every field (a long among the floats sits at a fixed place).
  const CORBA::TCKind F = CORBA::tk_float, L = CORBA::tk_long, S = CORBA::tk_alias;
  struct TypedLayout
  {
    CORBA::TypeCode_ptr tc;
    std::vector<std::pair<const char*, CORBA::TCKind>> fields;
  };
  const std::vector<TypedLayout> typed = {
      {QELM::_tc_HRTime, {{"sec", CORBA::tk_longlong}, {"msec", CORBA::tk_longlong}}},
      {QELM::_tc_GUIEstLinkData, {{"c", F}, {"v", F}, {"QueueRatio", F}, {"q", F}}},
      {QELM::_tc_GUIEstStatData,
       {{"AvgDen", F}, {"AvgSpeed", F}, {"AvgStop", F}, {"numcars", L}, {"time_now", F}}},
      {QELM::_tc_GUIPredLinkData, {{"aryspeed", S}, {"arydensity", S}, {"aryqueue", S}, {"aryflow", S}}},
      {QELM::_tc_GUIPredStatData,
       {{"avgden", F},
        {"avgspeed", F},
        {"avgstop", F},
        {"stagestarttime", F},
        {"stagelength", F},
        {"numcars", L}}},
      {QELM::_tc_GUIRealLinkData, {{"link_id", L}, {"speed", F}, {"density", F}, {"queue", F}, {"flow", F}}},
      {QELM::_tc_GUIRealStatData,
       {{"avgden", F},
        {"avgspeed", F},
        {"avgstop", F},
        {"stagestarttime", F},
        {"stagelength", F},
        {"numcars", L}}},
      {QELM::_tc_SimulationParameters,
       {{"noofarcs_org", L},
        {"noofarcs", L},
        {"noofnodes", L},
        {"noofzones", L},
        {"simulation_interval", F},
        {"assignment_interval", F},
        {"stage_length", F},
        {"state_length", F},
        {"roll_period", F},
        {"od_departure_interval", F},
        {"od_observation_interval", F},
        {"cc_observation_interval", F}}},
  };
  for (const auto& l : typed) {
    ASSERT_EQ(l.tc->member_count(), l.fields.size()) << l.tc->id();
    for (CORBA::ULong i = 0; i < l.fields.size(); ++i) {
      EXPECT_STREQ(l.tc->member_name(i), l.fields[i].first) << l.tc->id();
      CORBA::TypeCode_var member = l.tc->member_type(i);
      EXPECT_EQ(member->kind(), l.fields[i].second) << l.tc->id() << " " << l.fields[i].first;
    }
  }
  // The predicted series are the module's FloatSeq.
  CORBA::TypeCode_var series = QELM::_tc_GUIPredLinkData->member_type(0);
  EXPECT_STREQ(series->id(), "IDL:QELM/FloatSeq:1.0");
  EXPECT_EQ(QELM::Tallyhouse::_tc_InvalidQuasiTimestamp->member_count(), 0u);
}

// ----------------------------------------------------------- round trips

namespace {

QELM::DBKRecord MakeRecord(float qts, std::vector<std::vector<CORBA::Long>> L,
                           std::vector<std::vector<float>> F, long long sec = 1700000000,
                           long long msec = 123)
{
  QELM::DBKRecord r;
  r.timestamp.sec = sec;
  r.timestamp.msec = msec;
  r.quasi_timestamp = qts;
  r.L.length(static_cast<CORBA::ULong>(L.size()));
  for (CORBA::ULong i = 0; i < L.size(); ++i) {
    r.L[i].length(static_cast<CORBA::ULong>(L[i].size()));
    for (CORBA::ULong j = 0; j < L[i].size(); ++j)
      r.L[i][j] = L[i][j];
  }
  r.F.length(static_cast<CORBA::ULong>(F.size()));
  for (CORBA::ULong i = 0; i < F.size(); ++i) {
    r.F[i].length(static_cast<CORBA::ULong>(F[i].size()));
    for (CORBA::ULong j = 0; j < F[i].size(); ++j)
      r.F[i][j] = F[i][j];
  }
  return r;
}

// Bitwise equality (NaN and -0.0 included).
bool SameFloat(float a, float b)
{
  return std::memcmp(&a, &b, sizeof a) == 0;
}

::testing::AssertionResult SameRecord(const QELM::DBKRecord& a, const QELM::DBKRecord& b)
{
  if (a.timestamp.sec != b.timestamp.sec || a.timestamp.msec != b.timestamp.msec)
    return ::testing::AssertionFailure() << "timestamp differs";
  if (!SameFloat(a.quasi_timestamp, b.quasi_timestamp))
    return ::testing::AssertionFailure() << "quasi_timestamp differs";
  if (a.L.length() != b.L.length() || a.F.length() != b.F.length())
    return ::testing::AssertionFailure() << "array counts differ";
  for (CORBA::ULong i = 0; i < a.L.length(); ++i) {
    if (a.L[i].length() != b.L[i].length())
      return ::testing::AssertionFailure() << "L[" << i << "] length differs";
    for (CORBA::ULong j = 0; j < a.L[i].length(); ++j)
      if (a.L[i][j] != b.L[i][j])
        return ::testing::AssertionFailure() << "L[" << i << "][" << j << "] differs";
  }
  for (CORBA::ULong i = 0; i < a.F.length(); ++i) {
    if (a.F[i].length() != b.F[i].length())
      return ::testing::AssertionFailure() << "F[" << i << "] length differs";
    for (CORBA::ULong j = 0; j < a.F[i].length(); ++j)
      if (!SameFloat(a.F[i][j], b.F[i][j]))
        return ::testing::AssertionFailure() << "F[" << i << "][" << j << "] differs";
  }
  return ::testing::AssertionSuccess();
}

template <class T>
typename T::_ptr_type FromFile(CORBA::ORB_ptr orb, const std::string& path)
{
  const std::string ior = WaitForFile(path);
  if (ior.empty())
    return T::_nil();
  CORBA::Object_var obj = orb->string_to_object(ior.c_str());
  return T::_narrow(obj);
}

}  // namespace

// The test servants in a process of their own, and an ORB of the test's.
class IdlWirePeer : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ChildProcess::Options opt;
    opt.stdout_file = dir.file("peer.out");
    opt.stderr_file = opt.stdout_file;
    ASSERT_TRUE(peer.Start(WirePeerPath(), {"serve", dir.path()}, opt));
    orb = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID, 30000);
    th = FromFile<QELM::Tallyhouse>(orb, dir.file("Tallyhouse.ior"));
    ASSERT_FALSE(CORBA::is_nil(th)) << ReadFile(opt.stdout_file);
    man = FromFile<QELM::Management>(orb, dir.file("Management.ior"));
    des = FromFile<QELM::Descriptive>(orb, dir.file("Descriptive.ior"));
    odp = FromFile<QELM::ODPredict>(orb, dir.file("ODPredict.ior"));
    gui = FromFile<QELM::GUI>(orb, dir.file("GUI.ior"));
    ASSERT_FALSE(CORBA::is_nil(man));
    ASSERT_FALSE(CORBA::is_nil(des));
    ASSERT_FALSE(CORBA::is_nil(odp));
    ASSERT_FALSE(CORBA::is_nil(gui));
  }
  void TearDown() override
  {
    if (!CORBA::is_nil(th)) {
      try {
        th->Shutdown();
      } catch (const CORBA::Exception&) {
      }
      EXPECT_TRUE(peer.Wait(std::chrono::seconds(20)));
      EXPECT_EQ(peer.ExitCode(), 0);
    }
    th = QELM::Tallyhouse::_nil();
    man = QELM::Management::_nil();
    des = QELM::Descriptive::_nil();
    odp = QELM::ODPredict::_nil();
    gui = QELM::GUI::_nil();
    if (!CORBA::is_nil(orb))
      orb->destroy();
  }

  // A reference of type T to a port where nothing listens: any remote call
  // through it fails, so an answer without an exception came without one.
  template <class T>
  typename T::_ptr_type Unreachable()
  {
    const std::string url = "corbaloc::127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/None";
    CORBA::Object_var obj = orb->string_to_object(url.c_str());
    return T::_unchecked_narrow(obj);
  }

  TempDir dir{"vlq-wire"};
  ChildProcess peer;
  CORBA::ORB_var orb;
  QELM::Tallyhouse_var th;
  QELM::Management_var man;
  QELM::Descriptive_var des;
  QELM::ODPredict_var odp;
  QELM::GUI_var gui;
};

TEST_F(IdlWirePeer, RecordsOfEveryShapeCrossUnchanged)
{
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case
  {
    const char* what;
    QELM::DBKRecord rec;
  };
  const std::vector<Case> cases = {
      {"L and F empty", MakeRecord(0.0f, {}, {})},
      {"ragged inner arrays", MakeRecord(7.5f, {{1}, {}, {2, 3, 4}, {5, 6}}, {{}, {1.5f, 2.5f}, {3.5f}})},
      {"only empty inner arrays", MakeRecord(1.0f, {{}, {}}, {{}, {}, {}})},
      {"extreme values", MakeRecord(-0.0f, {{INT_MIN, INT_MAX, 0, -1}},
                                    {{nan, inf, -inf, -0.0f, std::numeric_limits<float>::denorm_min(),
                                      std::numeric_limits<float>::max()}},
                                    -5, 999)},
      {"many small arrays", MakeRecord(3.0f, std::vector<std::vector<CORBA::Long>>(2000, {9}),
                                       std::vector<std::vector<float>>(3000, {0.25f, 0.5f}))},
  };
  for (const auto& c : cases) {
    ASSERT_NO_THROW(th->InsertRecord(c.rec, QELM::Tallyhouse::CCA_CORRECTION)) << c.what;
    QELM::DBKRecord_var back = th->GetLatestRecord(QELM::Tallyhouse::CCA_CORRECTION);
    EXPECT_TRUE(SameRecord(back.in(), c.rec)) << c.what;
    // The same record through GetRecord and in a history.
    QELM::DBKRecord_var by_key = th->GetRecord(QELM::Tallyhouse::CCA_CORRECTION, c.rec.quasi_timestamp);
    EXPECT_TRUE(SameRecord(by_key.in(), c.rec)) << c.what;
    QELM::LSHHistory_var hist = th->FetchLSHH(QELM::Tallyhouse::CCA_CORRECTION, 2);
    ASSERT_EQ(hist->length(), 2u) << c.what;
    EXPECT_TRUE(SameRecord(hist[1], c.rec)) << c.what;
    const QELM::HRTime t = th->GetLatestInsertTime(QELM::Tallyhouse::CCA_CORRECTION);
    EXPECT_EQ(t.sec, c.rec.timestamp.sec);
    EXPECT_EQ(t.msec, c.rec.timestamp.msec);
  }
  EXPECT_EQ(th->GetRecordCount(QELM::Tallyhouse::CCA_CORRECTION), static_cast<CORBA::Long>(cases.size()));
  QELM::LSHHistory_var none = th->FetchLSHH(QELM::Tallyhouse::CCA_CORRECTION, 0);
  EXPECT_EQ(none->length(), 0u);
}

TEST_F(IdlWirePeer, InvalidQuasiTimestampIsTheUserException)
{
  th->InsertRecord(MakeRecord(10.0f, {}, {}), QELM::Tallyhouse::GUIPSTATDATA);
  EXPECT_THROW(th->GetRecord(QELM::Tallyhouse::GUIPSTATDATA, 11.0f), QELM::Tallyhouse::InvalidQuasiTimestamp);
  // Caught through its base, and copied.
  bool caught = false;
  try {
    th->GetRecord(QELM::Tallyhouse::GUISTSTATDATA, 1.0f);
  } catch (const CORBA::UserException& e) {
    caught = true;
    EXPECT_STREQ(e._rep_id(), "IDL:QELM/Tallyhouse/InvalidQuasiTimestamp:1.0");
    const QELM::Tallyhouse::InvalidQuasiTimestamp* cast =
        QELM::Tallyhouse::InvalidQuasiTimestamp::_downcast(&e);
    ASSERT_NE(cast, nullptr);
    QELM::Tallyhouse::InvalidQuasiTimestamp copy(*cast);
    EXPECT_STREQ(copy._name(), "InvalidQuasiTimestamp");
  }
  EXPECT_TRUE(caught);
  // The server carries on.
  QELM::DBKRecord_var r = th->GetRecord(QELM::Tallyhouse::GUIPSTATDATA, 10.0f);
  EXPECT_EQ(r->quasi_timestamp, 10.0f);
}

TEST_F(IdlWirePeer, EveryRecordKindArrivesAsItsOrdinal)
{
  for (CORBA::Long k = 0; k < 17; ++k)
    EXPECT_EQ(th->GetTableMaxSize(static_cast<QELM::Tallyhouse::DBKIDEnum>(k)), k);
}

TEST_F(IdlWirePeer, RecordKindOutOfRangeIsRefusedAndTheServerCarriesOn)
{
  // 17 and 31 fit the enum's representation but name no kind; the ORB
  // refuses them with MARSHAL, completed NO (the servant never sees them).
  for (int raw : {17, 31}) {
    const auto bad = static_cast<QELM::Tallyhouse::DBKIDEnum>(raw);
    bool refused = false;
    try {
      th->GetTableMaxSize(bad);
    } catch (const CORBA::MARSHAL& e) {
      refused = true;
      EXPECT_EQ(e.minor(), omni::MARSHAL_InvalidEnumValue);
      EXPECT_EQ(e.completed(), CORBA::COMPLETED_NO);
    }
    EXPECT_TRUE(refused) << raw;
    EXPECT_THROW(th->InsertRecord(MakeRecord(1.0f, {}, {}), bad), CORBA::SystemException) << raw;
  }
  EXPECT_EQ(th->GetTableMaxSize(QELM::Tallyhouse::GUISTSTATDATA), 16);
  EXPECT_EQ(th->GetRecordCount(QELM::Tallyhouse::NOWSIM_FLOW_PROP), 0);
}

TEST_F(IdlWirePeer, FixedSizeStructures)
{
  const QELM::SystemStatus s = man->GetSystemStatus();
  EXPECT_EQ(s.timestamp.sec, 1234);
  EXPECT_EQ(s.timestamp.msec, 567);
  EXPECT_TRUE(s.active);
  EXPECT_FALSE(s.initialized_before);
  EXPECT_TRUE(s.initialized);
  EXPECT_FALSE(s.cyclic_running);

  const QELM::HRTime t = man->GetSystemClock();
  EXPECT_EQ(t.sec, 1700000000);
  EXPECT_EQ(t.msec, 999);

  const QELM::TaskStatus ts = man->GetTaskStatus(5);
  EXPECT_EQ(ts.ID, 5);
  EXPECT_TRUE(ts.active);
  EXPECT_FALSE(ts.initialized);

  QELM::SimulationParameters p;
  p.noofarcs_org = 50001;
  p.noofarcs = 50000;
  p.noofnodes = -3;
  p.noofzones = 120;
  p.simulation_interval = 0.5f;
  p.assignment_interval = 300.0f;
  p.stage_length = 900.0f;
  p.state_length = 60.0f;
  p.roll_period = 1.25f;
  p.od_departure_interval = 1e-6f;
  p.od_observation_interval = 3e9f;
  p.cc_observation_interval = -1.0f;
  th->UpdateSimulationParameters(p);
  const QELM::SimulationParameters q = th->GetSimulationParameters();
  EXPECT_EQ(std::memcmp(&p, &q, sizeof p), 0);

  // inout: sent, changed by the server and received back.
  QELM::SimulationParameters io = p;
  des->PostInitialize(io);
  EXPECT_EQ(io.noofarcs, 100000);
  EXPECT_EQ(io.stage_length, 900.5f);
  EXPECT_EQ(io.noofarcs_org, 50001);
  EXPECT_EQ(io.cc_observation_interval, -1.0f);
}

TEST_F(IdlWirePeer, InoutAndOutParameters)
{
  CORBA::Float start = 10.5f;
  odp->RunODPredict(start, 2.25f);
  EXPECT_EQ(start, 12.75f);

  for (CORBA::Long n : {0, 1, 1000, 70000}) {
    QELM::OctetSeq_var state;
    des->GetNetworkState(state.out(), n);
    ASSERT_EQ(state->length(), static_cast<CORBA::ULong>(n));
    bool pattern = true;
    for (CORBA::ULong i = 0; i < state->length(); ++i)
      pattern = pattern && state[i] == static_cast<CORBA::Octet>(i % 256);
    EXPECT_TRUE(pattern) << n;
  }
}

TEST_F(IdlWirePeer, MessagesWithAnyPayload)
{
  struct Case
  {
    const char* what;
    CORBA::ULong size;
    QELM::MessageTarget_ptr target;
  };
  const std::vector<Case> cases = {
      {"empty arg to the GUI", 0, gui.in()},
      {"VMS payload to Management", 428, man.in()},
      {"incident payload to NOWSIM", 20, des.in()},
      {"empty arg to Management", 0, man.in()},
  };
  CORBA::Long id = 40;
  for (const auto& c : cases) {
    QELM::MSG m;
    m.ID = ++id;
    m.timestamp.sec = -7;
    m.timestamp.msec = 1;
    m.arg.length(c.size);
    for (CORBA::ULong i = 0; i < c.size; ++i)
      m.arg[i] = static_cast<CORBA::Octet>(255 - i % 256);
    ASSERT_NO_THROW(c.target->SendMsg(m)) << c.what;
    const QELM::TaskStatus seen = man->GetTaskStatus(-1);
    EXPECT_EQ(seen.ID, id) << c.what;
    EXPECT_EQ(seen.timestamp.sec, -7) << c.what;
    QELM::OctetSeq_var arg;
    des->GetNetworkState(arg.out(), -1);
    ASSERT_EQ(arg->length(), c.size) << c.what;
    bool same = true;
    for (CORBA::ULong i = 0; i < c.size; ++i)
      same = same && arg[i] == m.arg[i];
    EXPECT_TRUE(same) << c.what;
  }
}

TEST_F(IdlWirePeer, RunModeThroughTheOnewayStart)
{
  EXPECT_EQ(man->Stop(), -1);
  man->Start(QELM::Management::RUN_REAL_TIME);
  // A oneway call reports nothing: its effect shows in later calls.
  EXPECT_TRUE(WaitUntil([&] { return man->Stop() == 1; }));
  man->Start(QELM::Management::RUN_SEQUENTIAL);
  EXPECT_TRUE(WaitUntil([&] { return man->Stop() == 0; }));
}

TEST_F(IdlWirePeer, ObjectReferencesCross)
{
  QELM::Tallyhouse_var broker = man->GetDataBrokerObject();
  EXPECT_TRUE(broker->_is_equivalent(th.in()));
  EXPECT_EQ(th->Initialize(man.in()), 1);
  EXPECT_EQ(th->Initialize(QELM::Management::_nil()), 0);

  // A Task that is a Descriptive, and so a MessageTarget: only the remote
  // object can tell.
  QELM::Task_var task = man->GetTaskObject(0);
  EXPECT_TRUE(task->_is_a("IDL:QELM/MessageTarget:1.0"));
  QELM::Descriptive_var as_des = QELM::Descriptive::_narrow(task);
  EXPECT_FALSE(CORBA::is_nil(as_des));

  // The console's GUI object, held as a plain message target.
  QELM::MessageTarget_var as_target = QELM::MessageTarget::_narrow(gui.in());
  ASSERT_FALSE(CORBA::is_nil(as_target));
  QELM::MSG m;
  m.ID = 9;
  m.timestamp.sec = 0;
  m.timestamp.msec = 0;
  EXPECT_NO_THROW(as_target->SendMsg(m));
  // A live Tallyhouse is no MessageTarget.
  EXPECT_FALSE(th->_is_a("IDL:QELM/MessageTarget:1.0"));
  EXPECT_TRUE(CORBA::is_nil(QELM::MessageTarget::_narrow(th.in())));
}

TEST_F(IdlWirePeer, IsAAnswersLocallyForKnownBases)
{
  const char* const target_id = "IDL:QELM/MessageTarget:1.0";
  const char* const object_id = "IDL:omg.org/CORBA/Object:1.0";
  // These answer from the generated code: the unreachable object is never
  // asked.
  QELM::Management_var m = Unreachable<QELM::Management>();
  QELM::Descriptive_var d = Unreachable<QELM::Descriptive>();
  QELM::VQClient_var v = Unreachable<QELM::VQClient>();
  QELM::GUI_var g = Unreachable<QELM::GUI>();
  const std::vector<std::pair<CORBA::Object_ptr, std::vector<const char*>>> local = {
      {m.in(), {target_id, object_id, "IDL:QELM/MessagePublisher:1.0", "IDL:QELM/Management:1.0"}},
      {d.in(), {target_id, object_id, "IDL:QELM/Task:1.0", "IDL:QELM/Descriptive:1.0"}},
      {v.in(), {target_id, object_id, "IDL:QELM/VQClient:1.0"}},
      {g.in(), {target_id, object_id, "IDL:QELM/VQClient:1.0", "IDL:QELM/GUI:1.0"}},
  };
  for (const auto& [ref, ids] : local)
    for (const char* id : ids) {
      bool answer = false;
      EXPECT_NO_THROW(answer = ref->_is_a(id)) << id;
      EXPECT_TRUE(answer) << id;
    }
  // A Tallyhouse or a Task cannot tell by itself: the remote object is
  // asked, and an unreachable one makes the question fail.
  QELM::Tallyhouse_var t = Unreachable<QELM::Tallyhouse>();
  QELM::Task_var k = Unreachable<QELM::Task>();
  EXPECT_THROW(t->_is_a(target_id), CORBA::SystemException);
  EXPECT_THROW(k->_is_a(target_id), CORBA::SystemException);
  // The live ones answer false.
  EXPECT_FALSE(th->_is_a(target_id));
  EXPECT_FALSE(odp->_is_a(target_id));
}
