// The record store servant, called in-process: every operation, the sizes
// per record kind, and the refusal of bad requests.
#include "OrbEnvironment.h"
#include "QELM_Tallyhouse_i.h"
#include "RecordPattern.h"
#include "StressRun.h"

#include "VQOStreamLog.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using QELM::DBKRecord;
using QELM::DBKRecord_var;
using QELM::LSHHistory_var;
using DBKIDEnum = QELM::Tallyhouse::DBKIDEnum;
using tallyhouse_test::MakePatternRecord;

using tallyhouse_test::g_orb;
using tallyhouse_test::g_poa;
using tallyhouse_test::Id;

const ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new tallyhouse_test::OrbEnvironment([] {
      int argc = 1;
      char name[] = "tallyhouse_test_servant";
      char* argv[] = {name, nullptr};
      return CORBA::ORB_init(argc, argv);
    }));

// A record of one integer array and one real array, each of one value.
DBKRecord Rec1(CORBA::Long l, CORBA::Float f, CORBA::Float qt = 0, CORBA::LongLong sec = 0)
{
  DBKRecord r;
  r.timestamp.sec = sec;
  r.timestamp.msec = 0;
  r.quasi_timestamp = qt;
  r.L.length(1);
  r.L[0].length(1);
  r.L[0][0] = l;
  r.F.length(1);
  r.F[0].length(1);
  r.F[0][0] = f;
  return r;
}

class ServantTest : public ::testing::Test
{
protected:
  ServantTest() : th(new QELM_Tallyhouse_i(g_orb)) {}
  ~ServantTest() override { th->_remove_ref(); }
  QELM_Tallyhouse_i* th;
};

// The sizes each record kind's history reaches.
struct KindSizes
{
  int id;
  int trim, max;
};
const KindSizes kKinds[] = {{0, 30, 80}, {1, 1, 1},    {2, 1, 1},    {3, 1, 1},    {4, 1, 1},    {5, 30, 60},
                            {6, 1, 1},   {7, 1, 1},    {8, 30, 60},  {9, 30, 60},  {10, 30, 60}, {11, 30, 60},
                            {12, 1, 1},  {13, 30, 60}, {14, 30, 60}, {15, 30, 60}, {16, 30, 60}};

TEST_F(ServantTest, EveryKindGrowsToItsMaxThenTrims)
{
  for (const KindSizes& k : kKinds) {
    SCOPED_TRACE("id " + std::to_string(k.id));
    EXPECT_EQ(th->GetTableMaxSize(Id(k.id)), k.max);
    EXPECT_EQ(th->GetRecordCount(Id(k.id)), 0);
    const int full = k.max == 1 ? 2 : k.max;
    for (int i = 1; i <= full; ++i)
      th->InsertRecord(Rec1(i, 0), Id(k.id));
    EXPECT_EQ(th->GetRecordCount(Id(k.id)), full);
    th->InsertRecord(Rec1(full + 1, 0), Id(k.id));
    EXPECT_EQ(th->GetRecordCount(Id(k.id)), k.trim + 1);
    DBKRecord_var newest = th->GetLatestRecord(Id(k.id));
    EXPECT_EQ(newest->L[0][0], full + 1);
  }
}

TEST_F(ServantTest, KindsAreIndependent)
{
  th->InsertRecord(Rec1(5, 0), Id(8));
  EXPECT_EQ(th->GetRecordCount(Id(8)), 1);
  for (int id = 0; id < 17; ++id)
    if (id != 8) {
      EXPECT_EQ(th->GetRecordCount(Id(id)), 0) << id;
    }
}

TEST_F(ServantTest, LatestRecordIsANewestCopy)
{
  DBKRecord in = MakePatternRecord(3, 41, 4, 100);
  th->InsertRecord(MakePatternRecord(3, 40, 4, 100), Id(8));
  th->InsertRecord(in, Id(8));
  int w = 0, s = 0;
  ASSERT_EQ(tallyhouse_test::CheckPatternRecord(in, w, s), "") << "a caller in this process keeps its record";
  in.F[0][0] = -1;  // the store keeps its own copy
  DBKRecord_var out = th->GetLatestRecord(Id(8));
  EXPECT_EQ(tallyhouse_test::CheckPatternRecord(out.in(), w, s), "");
  EXPECT_EQ(s, 41);
  out->F[0][0] = -2;  // the caller's copy is its own
  DBKRecord_var again = th->GetLatestRecord(Id(8));
  EXPECT_EQ(tallyhouse_test::CheckPatternRecord(again.in(), w, s), "");
}

TEST_F(ServantTest, LatestInsertTime)
{
  QELM::HRTime t = th->GetLatestInsertTime(Id(9));
  EXPECT_EQ(t.sec, -2147483647);
  EXPECT_EQ(t.msec, 0);
  th->InsertRecord(Rec1(0, 0, 0, 111), Id(9));
  th->InsertRecord(Rec1(0, 0, 0, 222), Id(9));
  t = th->GetLatestInsertTime(Id(9));
  EXPECT_EQ(t.sec, 222);
}

TEST_F(ServantTest, RecordByQuasiTimestamp)
{
  // Oldest to newest: 5.0, 10.0 (L 1), 10.0004 (L 2), 20.0.
  th->InsertRecord(Rec1(0, 0, 5.0f), Id(8));
  th->InsertRecord(Rec1(1, 0, 10.0f), Id(8));
  th->InsertRecord(Rec1(2, 0, 10.0004f), Id(8));
  th->InsertRecord(Rec1(3, 0, 20.0f), Id(8));
  struct
  {
    float t;
    int expected_l;  // -1: InvalidQuasiTimestamp
  } cases[] = {{10.0005f, 2}, {9.9995f, 2},  {5.0f, 0},  {5.0009f, 0}, {20.0f, 3},
               {10.002f, -1}, {5.0011f, -1}, {0.0f, -1}, {-10.0f, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.t);
    if (c.expected_l < 0) {
      EXPECT_THROW(th->GetRecord(Id(8), c.t), QELM::Tallyhouse::InvalidQuasiTimestamp);
    } else {
      DBKRecord_var r = th->GetRecord(Id(8), c.t);
      EXPECT_EQ(r->L[0][0], c.expected_l);
    }
  }
  EXPECT_EQ(th->GetRecordCount(Id(8)), 4);
  EXPECT_THROW(th->GetRecord(Id(9), 0.0f), QELM::Tallyhouse::InvalidQuasiTimestamp) << "empty history";
}

TEST_F(ServantTest, RecordAverage)
{
  struct
  {
    std::vector<int> l;    // oldest first
    std::vector<float> f;  // oldest first
    int numpast;
    int expected_l;
    float expected_f;
  } cases[] = {
      {{-2, 7}, {1.0f, 2.0f}, 2, 2, 1.5f},
      {{2, -7}, {0, 0}, 2, -2, 0.0f},               // toward zero
      {{INT_MAX, INT_MAX}, {0, 0}, 2, INT_MAX, 0},  // no 32-bit overflow
      {{INT_MIN, INT_MIN, INT_MIN}, {0, 0, 0}, 3, INT_MIN, 0},
      {{1, 2, 3, 4}, {1, 2, 3, 4}, 1, 4, 4.0f},  // only the newest
      {{1, 2, 3, 4}, {1, 2, 3, 4}, 3, 3, 3.0f},  // the newest three
      {{100, 5, 5}, {1e30f, 1e38f, 1e38f}, 2, 5, 1e38f},
      // summed in single precision: the sum of the two newest overflows
      {{100, 5, 5}, {1e30f, 3e38f, 3e38f}, 2, 5, HUGE_VALF},
  };
  for (const auto& c : cases) {
    QELM_Tallyhouse_i* s = new QELM_Tallyhouse_i(g_orb);
    for (std::size_t i = 0; i < c.l.size(); ++i)
      s->InsertRecord(Rec1(c.l[i], c.f[i], static_cast<float>(i), static_cast<CORBA::LongLong>(i)), Id(8));
    DBKRecord_var r = s->GetRecordAverage(Id(8), c.numpast);
    EXPECT_EQ(r->L[0][0], c.expected_l) << c.numpast;
    EXPECT_FLOAT_EQ(r->F[0][0], c.expected_f) << c.numpast;
    EXPECT_EQ(r->timestamp.sec, static_cast<CORBA::LongLong>(c.l.size() - 1)) << "newest time stamp";
    EXPECT_EQ(r->quasi_timestamp, static_cast<float>(c.l.size() - 1));
    s->_remove_ref();
  }
}

// Real arrays are averaged in single precision: the newest record's value,
// plus each older one in turn, divided by the count as a float. Random
// values tell this from a sum in double, which differs in the last bits of
// many averages.
TEST_F(ServantTest, RealAverageIsSummedInSinglePrecisionFromTheNewest)
{
  std::mt19937 gen(20261211);
  std::uniform_real_distribution<float> value(0.0f, 1000.0f);
  const int kValues = 2000;
  const int kRecords = 5;
  std::vector<std::vector<float>> vals(kRecords);  // oldest first
  for (int r = 0; r < kRecords; ++r) {
    DBKRecord rec = Rec1(r, 0, static_cast<float>(r));
    rec.F[0].length(kValues);
    for (int k = 0; k < kValues; ++k) {
      vals[r].push_back(value(gen));
      rec.F[0][k] = vals[r].back();
    }
    th->InsertRecord(rec, Id(8));
  }
  for (int numpast = 2; numpast <= kRecords; ++numpast) {
    SCOPED_TRACE(numpast);
    DBKRecord_var avg = th->GetRecordAverage(Id(8), numpast);
    ASSERT_EQ(avg->F[0].length(), static_cast<CORBA::ULong>(kValues));
    int differs_from_double = 0;
    for (int k = 0; k < kValues; ++k) {
      float sum = vals[kRecords - 1][k];
      double dsum = sum;
      for (int i = 1; i < numpast; ++i) {
        sum += vals[kRecords - 1 - i][k];
        dsum += vals[kRecords - 1 - i][k];
      }
      const float expected = sum / static_cast<float>(numpast);
      ASSERT_EQ(avg->F[0][k], expected) << k;
      if (static_cast<float>(dsum / numpast) != expected)
        ++differs_from_double;
    }
    if (numpast > 2) {
      EXPECT_GT(differs_from_double, 0) << "the values do not tell single from double precision";
    }
  }
}

// An older record with more arrays than the newest is averaged over the
// newest record's arrays.
TEST_F(ServantTest, AverageOverTheNewestRecordsArrays)
{
  DBKRecord older = Rec1(4, 3.0f);
  older.L.length(3);
  older.L[1].length(2);
  older.L[2].length(0);
  older.F.length(2);
  older.F[1].length(5);
  th->InsertRecord(older, Id(8));
  th->InsertRecord(Rec1(10, 6.0f), Id(8));
  DBKRecord_var avg = th->GetRecordAverage(Id(8), 2);
  ASSERT_EQ(avg->L.length(), 1u);
  ASSERT_EQ(avg->F.length(), 1u);
  EXPECT_EQ(avg->L[0][0], 7);
  EXPECT_EQ(avg->F[0][0], 4.5f);
}

TEST_F(ServantTest, AverageOfTrim1KindAfterThreeInserts)
{
  th->InsertRecord(Rec1(100, 100), Id(6));
  th->InsertRecord(Rec1(1, 1), Id(6));
  th->InsertRecord(Rec1(3, 2), Id(6));
  EXPECT_EQ(th->GetRecordCount(Id(6)), 2);
  DBKRecord_var r = th->GetRecordAverage(Id(6), 2);
  EXPECT_EQ(r->L[0][0], 2);
  EXPECT_FLOAT_EQ(r->F[0][0], 1.5f);
}

TEST_F(ServantTest, AverageOfManyArrays)
{
  for (int s = 0; s < 4; ++s)
    th->InsertRecord(MakePatternRecord(1, s, 3, 50), Id(0));
  DBKRecord_var r = th->GetRecordAverage(Id(0), 4);
  ASSERT_EQ(r->F.length(), 3u);
  ASSERT_EQ(r->L.length(), 2u);
  for (int j = 0; j < 3; ++j)
    for (int k = 0; k < 50; ++k) {
      double sum = 0;
      for (int s = 0; s < 4; ++s)
        sum += tallyhouse_test::PatternValue(1, s, j, k);
      ASSERT_FLOAT_EQ(r->F[j][k], static_cast<float>(sum / 4)) << j << "," << k;
    }
  for (int k = 0; k < 50; ++k)
    ASSERT_EQ(r->L[1][k], ((0 ^ k) + (1 ^ k) + (2 ^ k) + (3 ^ k)) / 4);
}

TEST_F(ServantTest, FetchHistoryNewestFirst)
{
  for (int s = 0; s < 10; ++s)
    th->InsertRecord(MakePatternRecord(2, s, 1, 10), Id(5));
  for (int n : {0, 1, 4, 10}) {
    LSHHistory_var h = th->FetchLSHH(Id(5), n);
    ASSERT_EQ(h->length(), static_cast<CORBA::ULong>(n));
    for (int i = 0; i < n; ++i) {
      int w = 0, s = 0;
      EXPECT_EQ(tallyhouse_test::CheckPatternRecord(h[static_cast<CORBA::ULong>(i)], w, s), "");
      EXPECT_EQ(s, 9 - i);
    }
  }
  QELM::LSHHistory_var empty = th->FetchLSHH(Id(7), 0);
  EXPECT_EQ(empty->length(), 0u) << "an empty history answers 0 with an empty list";
}

TEST_F(ServantTest, FlushLeavesTrimPlusOne)
{
  struct
  {
    int id, inserted, left;
  } cases[] = {{8, 45, 31}, {9, 20, 20}, {0, 79, 31}, {6, 2, 2}, {7, 1, 1}, {10, 0, 0}};
  for (const auto& c : cases)
    for (int i = 0; i < c.inserted; ++i)
      th->InsertRecord(Rec1(i, 0), Id(c.id));
  th->Flush();
  for (const auto& c : cases) {
    EXPECT_EQ(th->GetRecordCount(Id(c.id)), c.left) << c.id;
    if (c.left > 0) {
      DBKRecord_var r = th->GetLatestRecord(Id(c.id));
      EXPECT_EQ(r->L[0][0], c.inserted - 1) << "the newest records stay";
    }
  }
}

TEST_F(ServantTest, SetTableMaxSize)
{
  for (int i = 0; i < 31; ++i)
    th->InsertRecord(Rec1(i, 0), Id(8));
  th->SetTableMaxSize(Id(8), 10);
  EXPECT_EQ(th->GetTableMaxSize(Id(8)), 10);
  EXPECT_EQ(th->GetRecordCount(Id(8)), 11);
  th->SetTableMaxSize(Id(8), 100);
  EXPECT_EQ(th->GetRecordCount(Id(8)), 11);
  EXPECT_EQ(th->GetTableMaxSize(Id(8)), 100);
  for (int i = 0; i < 89; ++i)
    th->InsertRecord(Rec1(i, 0), Id(8));
  EXPECT_EQ(th->GetRecordCount(Id(8)), 100);
  th->InsertRecord(Rec1(0, 0), Id(8));
  EXPECT_EQ(th->GetRecordCount(Id(8)), 31);
}

TEST_F(ServantTest, InitializeWithoutManagementStopsTheCorrectionAndAnswers0)
{
  // A nil reference only stops the clock correction, which succeeds.
  EXPECT_EQ(th->Initialize(QELM::Management::_nil()), 0);
  QELM::Management_var kept = th->GetManagement();
  EXPECT_TRUE(CORBA::is_nil(kept.in()));
}

TEST_F(ServantTest, SimulationParameters)
{
  QELM::SimulationParameters p = th->GetSimulationParameters();
  EXPECT_EQ(p.noofarcs_org, 0);
  EXPECT_EQ(p.noofarcs, 0);
  EXPECT_EQ(p.noofnodes, 0);
  EXPECT_EQ(p.noofzones, 0);
  EXPECT_EQ(p.simulation_interval, 0.0f);
  EXPECT_EQ(p.cc_observation_interval, 0.0f);
  p = {1, 2, 3, 4, 5.5f, 6.5f, 7.5f, 8.5f, 9.5f, 10.5f, 11.5f, 12.5f};
  th->UpdateSimulationParameters(p);
  QELM::SimulationParameters q = th->GetSimulationParameters();
  EXPECT_EQ(q.noofarcs_org, 1);
  EXPECT_EQ(q.noofarcs, 2);
  EXPECT_EQ(q.noofnodes, 3);
  EXPECT_EQ(q.noofzones, 4);
  EXPECT_EQ(q.simulation_interval, 5.5f);
  EXPECT_EQ(q.assignment_interval, 6.5f);
  EXPECT_EQ(q.stage_length, 7.5f);
  EXPECT_EQ(q.state_length, 8.5f);
  EXPECT_EQ(q.roll_period, 9.5f);
  EXPECT_EQ(q.od_departure_interval, 10.5f);
  EXPECT_EQ(q.od_observation_interval, 11.5f);
  EXPECT_EQ(q.cc_observation_interval, 12.5f);
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Requests the store must refuse with a CORBA exception and a failed check
// in the log, leaving the history as it was.
enum class Expect { BadParam, BadInvOrder };
struct BadCall
{
  const char* name;
  std::function<void(QELM_Tallyhouse_i*)> call;
  Expect expect;
  const char* check;  // the failed check's text in the log
};

DBKRecord TwoArrays()
{
  DBKRecord r = Rec1(1, 1);
  r.F.length(2);
  r.F[1].length(1);
  r.F[1][0] = 1;
  return r;
}
DBKRecord LongerArray()
{
  DBKRecord r = Rec1(1, 1);
  r.L[0].length(2);
  r.L[0][1] = 1;
  return r;
}

const BadCall kBadCalls[] = {
    // empty kind 9
    {"LatestRecordOfEmpty", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetLatestRecord(Id(9)); },
     Expect::BadInvOrder, "m_data_hist[lshid].size() != 0"},
    {"AverageOfEmpty", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(9), 1); },
     Expect::BadInvOrder, "numpast <= m_data_hist[lshid].size()"},
    // kind 8 holds 3 records of one shape
    {"AverageZero", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(8), 0); },
     Expect::BadParam, "numpast >= 1"},
    {"AverageNegative", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(8), -1); },
     Expect::BadParam, "numpast >= 1"},
    {"AverageMostNegative",
     [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(8), INT_MIN); }, Expect::BadParam,
     "numpast >= 1"},
    {"AverageAboveSize", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(8), 4); },
     Expect::BadParam, "numpast <= m_data_hist[lshid].size()"},
    {"AverageFarAboveSize",
     [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(8), INT_MAX); }, Expect::BadParam,
     "numpast <= m_data_hist[lshid].size()"},
    {"FetchNegative", [](QELM_Tallyhouse_i* s) { LSHHistory_var r = s->FetchLSHH(Id(8), -1); },
     Expect::BadParam, "numpast >= 0"},
    {"FetchAboveSize", [](QELM_Tallyhouse_i* s) { LSHHistory_var r = s->FetchLSHH(Id(8), 4); },
     Expect::BadParam, "numpast <= m_data_hist[lshid].size()"},
    {"FetchFromEmpty", [](QELM_Tallyhouse_i* s) { LSHHistory_var r = s->FetchLSHH(Id(9), 1); },
     Expect::BadParam, "numpast <= m_data_hist[lshid].size()"},
    // kind 12: an older record with fewer real arrays than the newest; kind
    // 11: an older record with a longer integer array
    {"AverageFewerArrays", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(12), 2); },
     Expect::BadParam, "m_data_hist[lshid][i]->F[j].length() == sz"},
    {"AverageLongerArray", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(11), 2); },
     Expect::BadParam, "m_data_hist[lshid][i]->L[j].length() == sz"},
    {"MaxSizeZero", [](QELM_Tallyhouse_i* s) { s->SetTableMaxSize(Id(8), 0); }, Expect::BadParam,
     "max_size > 0"},
    {"MaxSizeNegative", [](QELM_Tallyhouse_i* s) { s->SetTableMaxSize(Id(8), -5); }, Expect::BadParam,
     "max_size > 0"},
    // ids with no history, on every operation that takes an id
    {"IdMaxSize", [](QELM_Tallyhouse_i* s) { s->GetTableMaxSize(Id(17)); }, Expect::BadParam,
     "lshid >= 0 && lshid < 17"},
    {"IdSetMaxSize", [](QELM_Tallyhouse_i* s) { s->SetTableMaxSize(Id(17), 5); }, Expect::BadParam,
     "lshid >= 0 && lshid < 17"},
    {"IdCount", [](QELM_Tallyhouse_i* s) { s->GetRecordCount(Id(31)); }, Expect::BadParam,
     "lshid >= 0 && lshid < 17"},
    {"IdInsertTime", [](QELM_Tallyhouse_i* s) { s->GetLatestInsertTime(Id(17)); }, Expect::BadParam,
     "lshid >= 0 && lshid < 17"},
    {"IdLatest", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetLatestRecord(Id(17)); }, Expect::BadParam,
     "lshid >= 0 && lshid < 17"},
    {"IdRecord", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecord(Id(20), 0.0f); }, Expect::BadParam,
     "lshid >= 0 && lshid < 17"},
    {"IdInsert", [](QELM_Tallyhouse_i* s) { s->InsertRecord(Rec1(0, 0), Id(17)); }, Expect::BadParam,
     "lshid >= 0 && lshid < 17"},
    {"IdAverage", [](QELM_Tallyhouse_i* s) { DBKRecord_var r = s->GetRecordAverage(Id(17), 1); },
     Expect::BadParam, "lshid >= 0 && lshid < 17"},
    {"IdFetch", [](QELM_Tallyhouse_i* s) { LSHHistory_var r = s->FetchLSHH(Id(31), 0); }, Expect::BadParam,
     "lshid >= 0 && lshid < 17"},
};

class ServantBadCall : public ::testing::TestWithParam<BadCall>
{};

TEST_P(ServantBadCall, IsRefusedAndChangesNothing)
{
  QELM_Tallyhouse_i* s = new QELM_Tallyhouse_i(g_orb);
  for (int i = 0; i < 3; ++i)
    s->InsertRecord(Rec1(i, 0), Id(8));
  s->InsertRecord(TwoArrays(), Id(10));
  s->InsertRecord(Rec1(1, 1), Id(10));
  s->InsertRecord(LongerArray(), Id(11));
  s->InsertRecord(Rec1(1, 1), Id(11));
  s->InsertRecord(Rec1(1, 1), Id(12));
  s->InsertRecord(TwoArrays(), Id(12));

  const BadCall& c = GetParam();
  const std::string path =
      (std::filesystem::temp_directory_path() / ("tallyhouse_bad_call_" + std::to_string(getpid()) + ".log"))
          .string();
  ASSERT_TRUE(VQOStreamLog::Open(path.c_str(), "w"));
  if (c.expect == Expect::BadParam) {
    EXPECT_THROW(c.call(s), CORBA::BAD_PARAM);
  } else {
    EXPECT_THROW(c.call(s), CORBA::BAD_INV_ORDER);
  }
  VQOStreamLog::Close();
  const std::string log = ReadFile(path);
  std::filesystem::remove(path);
  EXPECT_NE(log.find(std::string("Assertion Failed: \"") + c.check + "\"\n(In file \""), std::string::npos)
      << log;
  const int counts[17] = {0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 2, 2, 0, 0, 0, 0};
  for (int id = 0; id < 17; ++id)
    EXPECT_EQ(s->GetRecordCount(Id(id)), counts[id]) << id;
  EXPECT_EQ(s->GetTableMaxSize(Id(8)), 60);
  s->_remove_ref();
}

INSTANTIATE_TEST_SUITE_P(Refused, ServantBadCall, ::testing::ValuesIn(kBadCalls),
                         [](const auto& info) { return std::string(info.param.name); });

// Log lines: each record operation writes its call line first.

TEST_F(ServantTest, CallLines)
{
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("tallyhouse_servant_log_" + std::to_string(getpid()) + ".log"))
                               .string();
  ASSERT_TRUE(VQOStreamLog::Open(path.c_str(), "w"));
  th->InsertRecord(Rec1(1, 1, 10.0f), Id(8));
  DBKRecord_var a = th->GetLatestRecord(Id(8));
  th->GetLatestInsertTime(Id(8));
  DBKRecord_var b = th->GetRecord(Id(8), 10.0005f);
  DBKRecord_var c = th->GetRecordAverage(Id(8), 1);
  LSHHistory_var d = th->FetchLSHH(Id(8), 1);
  VQOStreamLog::Close();
  const std::string log = ReadFile(path);
  std::filesystem::remove(path);
  const char* lines[] = {
      "Tallyhouse: Call to InsertRecord. id = 8.\n",
      "Tallyhouse: Call to GetLatestRecord. id = 8.\n",
      "Tallyhouse: Call to GetLatestTimestamp. id = 8.\n",
      "Tallyhouse: Call to GetRecord. id = 8, timestamp = 10.000500.\n",
      " quasi_timestamp: 10.000000\n",
      "Tallyhouse: Call to GetRecordAverage. id,numpast = 8,1.\n",
      "Tallyhouse: Call to FetchLSHH. id,numpast = 8,1.\n",
  };
  std::size_t pos = 0;
  for (const char* line : lines) {
    const std::size_t at = log.find(std::string(": ") + line, pos);
    ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "in\n" << log;
    pos = at;
  }
}

TEST(ServantStress, ParallelInsertsAndReadsStayWholeOrderedAndBounded)
{
  QELM_Tallyhouse_i* servant = new QELM_Tallyhouse_i(g_orb);
  PortableServer::ObjectId_var oid = g_poa->activate_object(servant);
  CORBA::Object_var obj = g_poa->id_to_reference(oid.in());
  QELM::Tallyhouse_var ref = QELM::Tallyhouse::_narrow(obj.in());
  tallyhouse_test::StressResult r = tallyhouse_test::RunStress(ref.in(), 8, 3.0);
  for (const std::string& e : r.errors)
    ADD_FAILURE() << e;
  EXPECT_GT(r.inserts, 0);
  g_poa->deactivate_object(oid.in());
  servant->_remove_ref();
}

TEST(ServantStress, WritersSharingKindsLoseNothingAndKeepTheirOrder)
{
  QELM_Tallyhouse_i* servant = new QELM_Tallyhouse_i(g_orb);
  PortableServer::ObjectId_var oid = g_poa->activate_object(servant);
  CORBA::Object_var obj = g_poa->id_to_reference(oid.in());
  QELM::Tallyhouse_var ref = QELM::Tallyhouse::_narrow(obj.in());
  tallyhouse_test::StressResult r = tallyhouse_test::RunSharedStress(ref.in(), 8, 3.0);
  for (const std::string& e : r.errors)
    ADD_FAILURE() << e;
  EXPECT_GT(r.inserts, 0);
  g_poa->deactivate_object(oid.in());
  servant->_remove_ref();
}

}  // namespace
