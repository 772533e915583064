// vms.dat and incident.dat: golden bytes of the writers, read-back round
// trips, and mutations of each file with the reader's result.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "CommaLocale.h"
#include "ScenarioObjects.h"
#include "TempFiles.h"

namespace fs = std::filesystem;

namespace {

CVMS Sign(int type, int from, int to, int p1, int p2, double start, double end, std::vector<int> nodes = {})
{
  CVMS v;
  v.m_nType = type;
  v.m_nFromNode = from;
  v.m_nToNode = to;
  v.m_nParam1 = p1;
  v.m_nParam2 = p2;
  v.m_dStart = start;
  v.m_dEnd = end;
  v.m_nDetourCount = static_cast<int>(nodes.size());
  for (size_t i = 0; i < nodes.size(); ++i)
    v.m_nDetourNodes[i] = nodes[i];
  return v;
}

CIncident Incident(int from, int to, float start, float end, float sev)
{
  CIncident i;
  i.m_nFromNode = from;
  i.m_nToNode = to;
  i.m_fStart = start;
  i.m_fEnd = end;
  i.m_fSeverity = sev;
  return i;
}

const char kVMSGolden[] = "3\n"
                          "      1     10     20     55     30   600.0  660.0 \n"
                          "      2     20     30    100      3   0.0  1439.5 \n"
                          "     40     50     60\n"
                          "      4     30     40    100      5   7.2  8.0 \n";

std::vector<CVMS> GoldenSigns()
{
  return {Sign(1, 10, 20, 55, 30, 600, 660), Sign(2, 20, 30, 100, 3, 0, 1439.5, {40, 50, 60}),
          Sign(4, 30, 40, 100, 5, 7.25, 8)};
}

std::vector<const CVMS*> Ptrs(const std::vector<CVMS>& v)
{
  std::vector<const CVMS*> p;
  for (const CVMS& s : v)
    p.push_back(&s);
  return p;
}

void ExpectSameSign(const CVMS& a, const CVMS& b, const std::string& what)
{
  EXPECT_EQ(a.m_nType, b.m_nType) << what;
  EXPECT_EQ(a.m_nFromNode, b.m_nFromNode) << what;
  EXPECT_EQ(a.m_nToNode, b.m_nToNode) << what;
  EXPECT_EQ(a.m_nParam1, b.m_nParam1) << what;
  EXPECT_EQ(a.m_nParam2, b.m_nParam2) << what;
  EXPECT_EQ(a.m_nDetourCount, b.m_nDetourCount) << what;
  for (int i = 0; i < a.m_nDetourCount && i < kVMSMaxDetourNodes; ++i)
    EXPECT_EQ(a.m_nDetourNodes[i], b.m_nDetourNodes[i]) << what << " node " << i;
}

}  // namespace

TEST(VMSFile, EmptyListWritesTheSingleLineZero)
{
  TempDir t;
  ASSERT_TRUE(WriteVMSFile(t.File("vms.dat"), {}));
  EXPECT_EQ(ReadAll(t.File("vms.dat")), "0\n");
  std::vector<std::unique_ptr<CVMS>> back;
  ScenarioReadResult r = ReadVMSFile(t.File("vms.dat"), back);
  EXPECT_EQ(r.status, ScenarioReadStatus::kRead);
  EXPECT_TRUE(back.empty());
}

TEST(VMSFile, GoldenBytesAndRoundTrip)
{
  TempDir t;
  std::vector<CVMS> signs = GoldenSigns();
  ASSERT_TRUE(WriteVMSFile(t.File("vms.dat"), Ptrs(signs)));
  EXPECT_EQ(ReadAll(t.File("vms.dat")), kVMSGolden);

  std::vector<std::unique_ptr<CVMS>> back;
  ScenarioReadResult r = ReadVMSFile(t.File("vms.dat"), back);
  EXPECT_EQ(r.status, ScenarioReadStatus::kRead);
  EXPECT_EQ(r.declared, 3);
  EXPECT_EQ(r.taken, 3);
  ASSERT_EQ(back.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
    ExpectSameSign(*back[i], signs[i], "sign " + std::to_string(i));
  EXPECT_EQ(back[2]->m_nDetourCount, 0);  // type 4 has no node line
  EXPECT_DOUBLE_EQ(back[1]->m_dEnd, 1439.5);
  EXPECT_DOUBLE_EQ(back[2]->m_dStart, 7.2);  // written with one decimal
}

TEST(VMSFile, NegativeParametersSurviveLoadAndWriteBack)
{
  TempDir t;
  std::vector<CVMS> signs = {Sign(1, 10, 20, -20, -5, 1, 2), Sign(3, 1, 2, 7, -1, 0, 10)};
  ASSERT_TRUE(WriteVMSFile(t.File("vms.dat"), Ptrs(signs)));
  EXPECT_EQ(ReadAll(t.File("vms.dat")), "2\n      1     10     20    -20     -5   1.0  2.0 \n      3      1  "
                                        "    2      7     -1   0.0  10.0 \n");
  std::vector<std::unique_ptr<CVMS>> back;
  ASSERT_EQ(ReadVMSFile(t.File("vms.dat"), back).status, ScenarioReadStatus::kRead);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0]->m_nParam1, -20);
  EXPECT_EQ(back[0]->m_nParam2, -5);
  EXPECT_EQ(back[1]->m_nParam2, -1);
  TempDir t2;
  std::vector<const CVMS*> again = {back[0].get(), back[1].get()};
  ASSERT_TRUE(WriteVMSFile(t2.File("vms.dat"), again));
  EXPECT_EQ(ReadAll(t2.File("vms.dat")), ReadAll(t.File("vms.dat")));
}

TEST(VMSFile, ReaderMutations)
{
  struct Case
  {
    const char* name;
    std::string text;
    ScenarioReadStatus status;
    int taken;
    int lastFrom;  // from-node of the last sign taken (0: none)
  };
  std::string hundred = "1\n2 1 2 100 100 0 5\n";
  for (int i = 0; i < 100; ++i)
    hundred += " " + std::to_string(1000 + i);
  std::string tooMany = "2\n2 1 2 100 101 0 5\n";
  for (int i = 0; i < 101; ++i)
    tooMany += " " + std::to_string(1000 + i);
  tooMany += "\n1 7 8 50 50 0 5\n";
  const Case cases[] = {
      {"empty file", "", ScenarioReadStatus::kShort, 0, 0},
      {"count larger than the records", "3\n1 1 2 3 4 0 5\n1 5 6 3 4 0 5\n", ScenarioReadStatus::kShort, 2,
       5},
      {"sign cut before its end minute", "2\n1 1 2 3 4 0 5\n1 5 6 3 4 0\n", ScenarioReadStatus::kShort, 1, 1},
      {"detour nodes cut", "1\n2 1 2 100 3 0 5\n 9 8\n", ScenarioReadStatus::kShort, 0, 0},
      {"100 detour nodes fit", hundred, ScenarioReadStatus::kRead, 1, 1},
      {"101 detour nodes refused, next sign read", tooMany, ScenarioReadStatus::kRefused, 1, 7},
      {"negative detour count refused", "2\n2 1 2 100 -3 0 5\n1 9 9 1 1 0 5\n", ScenarioReadStatus::kRefused,
       1, 9},
      {"zero detour nodes", "1\n2 1 2 100 0 0 5\n\n", ScenarioReadStatus::kRead, 1, 1},
      {"negative count reads nothing", "-2\n1 1 2 3 4 0 5\n", ScenarioReadStatus::kRead, 0, 0},
      {"records after the count ignored", "1\n1 1 2 3 4 0 5\n1 5 6 3 4 0 5\n", ScenarioReadStatus::kRead, 1,
       1},
      {"any separators", "1;type=1,from=3:to=4|55|30[600.5]{700}", ScenarioReadStatus::kRead, 1, 3},
  };
  for (const Case& c : cases) {
    TempDir t;
    WriteAll(t.File("vms.dat"), c.text);
    std::vector<std::unique_ptr<CVMS>> out;
    ScenarioReadResult r = ReadVMSFile(t.File("vms.dat"), out);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.taken, c.taken) << c.name;
    ASSERT_EQ(static_cast<int>(out.size()), c.taken) << c.name;
    if (c.taken > 0) {
      EXPECT_EQ(out.back()->m_nFromNode, c.lastFrom) << c.name;
    }
  }
}

TEST(VMSFile, ReaderAppendsAndMissingFileLeavesTheArray)
{
  TempDir t;
  std::vector<std::unique_ptr<CVMS>> out;
  out.push_back(std::make_unique<CVMS>(Sign(1, 1, 1, 1, 1, 1, 1)));
  EXPECT_EQ(ReadVMSFile(t.File("vms.dat"), out).status, ScenarioReadStatus::kNotOpened);
  EXPECT_EQ(out.size(), 1u);
  WriteAll(t.File("vms.dat"), kVMSGolden);
  ReadVMSFile(t.File("vms.dat"), out);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0]->m_nFromNode, 1);
  EXPECT_EQ(out[1]->m_nFromNode, 10);
}

TEST(VMSFile, WriterClampsAnImpossibleDetourCount)
{
  TempDir t;
  CVMS v = Sign(2, 1, 2, 100, 250, 0, 5);
  v.m_nDetourCount = 100;
  for (int i = 0; i < 100; ++i)
    v.m_nDetourNodes[i] = i;
  ASSERT_TRUE(WriteVMSFile(t.File("vms.dat"), {&v}));
  std::vector<std::unique_ptr<CVMS>> back;
  EXPECT_EQ(ReadVMSFile(t.File("vms.dat"), back).status, ScenarioReadStatus::kRead);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0]->m_nParam2, 100);
  EXPECT_EQ(back[0]->m_nDetourCount, 100);
  EXPECT_EQ(back[0]->m_nDetourNodes[99], 99);
}

TEST(VMSFile, UncreatableFileIsReported)
{
  TempDir t;
  EXPECT_FALSE(WriteVMSFile(t.File("none/vms.dat"), {}));
  EXPECT_FALSE(WriteIncidentFile(t.File("none/incident.dat"), {}));
}

TEST(VMSObject, CopyTakesTheCountedDetourNodes)
{
  CVMS a = Sign(2, 1, 2, 100, 3, 5, 9, {11, 12, 13});
  a.m_nDetourNodes[3] = 99;  // beyond the count: not copied
  CVMS b(a);
  ExpectSameSign(b, a, "copy");
  EXPECT_EQ(b.m_nDetourNodes[3], 0);
  EXPECT_DOUBLE_EQ(b.m_dStart, 5);
  EXPECT_DOUBLE_EQ(b.m_dEnd, 9);
  a.m_nDetourCount = 5000;  // an impossible count copies only the table
  CVMS c(a);
  EXPECT_EQ(c.m_nDetourNodes[99], a.m_nDetourNodes[99]);
}

TEST(ScenarioObjects, TimeWindowIncludesBothEnds)
{
  struct Case
  {
    double minute;
    bool shown;
  };
  CIncident inc = Incident(1, 2, 10, 20, 0.3f);
  CWorkZone wz;
  wz.m_fStart = 10;
  wz.m_fEnd = 20;
  CVMS v = Sign(1, 1, 2, 1, 1, 10, 20);
  for (Case c : {Case{9.99, false}, Case{10, true}, Case{15, true}, Case{20, true}, Case{20.01, false},
                 Case{21, false}}) {
    EXPECT_EQ(inc.IsShownAt(static_cast<float>(c.minute)), c.shown) << c.minute;
    EXPECT_EQ(wz.IsShownAt(static_cast<float>(c.minute)), c.shown) << c.minute;
    EXPECT_EQ(v.IsShownAt(c.minute), c.shown) << c.minute;
  }
}

TEST(IncidentFile, GoldenBytesAndRoundTrip)
{
  TempDir t;
  std::vector<CIncident> incs = {Incident(10, 20, 600, 660, 0.3f), Incident(1234567, 5, 0, 1439.5f, 1.0f)};
  ASSERT_TRUE(WriteIncidentFile(t.File("incident.dat"), {&incs[0], &incs[1]}));
  EXPECT_EQ(ReadAll(t.File("incident.dat")), "2\n"
                                             "     10        20  600.0  660.0 0.3\n"
                                             "1234567         5  0.0  1439.5 1.0\n");
  std::vector<std::unique_ptr<CIncident>> back;
  ScenarioReadResult r = ReadIncidentFile(t.File("incident.dat"), back);
  EXPECT_EQ(r.status, ScenarioReadStatus::kRead);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1]->m_nFromNode, 1234567);
  EXPECT_EQ(back[1]->m_nToNode, 5);
  EXPECT_FLOAT_EQ(back[0]->m_fSeverity, 0.3f);
  EXPECT_FLOAT_EQ(back[1]->m_fEnd, 1439.5f);
}

TEST(IncidentFile, ReaderMutations)
{
  struct Case
  {
    const char* name;
    const char* text;
    ScenarioReadStatus status;
    int taken;
  };
  const Case cases[] = {
      {"empty", "", ScenarioReadStatus::kShort, 0},
      {"zero", "0\n", ScenarioReadStatus::kRead, 0},
      {"count larger than the records", "2\n1 2 0 5 0.5\n", ScenarioReadStatus::kShort, 1},
      {"record without severity", "1\n1 2 0 5\n", ScenarioReadStatus::kShort, 0},
      {"minus on nodes ignored", "1\n-1 -2 0 5 0.5\n", ScenarioReadStatus::kRead, 1},
  };
  for (const Case& c : cases) {
    TempDir t;
    WriteAll(t.File("incident.dat"), c.text);
    std::vector<std::unique_ptr<CIncident>> out;
    ScenarioReadResult r = ReadIncidentFile(t.File("incident.dat"), out);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.taken, c.taken) << c.name;
    EXPECT_EQ(static_cast<int>(out.size()), c.taken) << c.name;
  }
  TempDir t;
  WriteAll(t.File("incident.dat"), "1\n-1 -2 0 5 0.5\n");
  std::vector<std::unique_ptr<CIncident>> out;
  ReadIncidentFile(t.File("incident.dat"), out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0]->m_nFromNode, 1);
  EXPECT_EQ(out[0]->m_nToNode, 2);
  std::vector<std::unique_ptr<CIncident>> none;
  EXPECT_EQ(ReadIncidentFile(t.File("missing.dat"), none).status, ScenarioReadStatus::kNotOpened);
}

TEST(ScenarioFiles, CNotationUnderACommaLocale)
{
  CommaLocale comma;
  if (!comma.Active())
    GTEST_SKIP() << "no comma locale on this machine";
  TempDir t;
  std::vector<CVMS> signs = GoldenSigns();
  ASSERT_TRUE(WriteVMSFile(t.File("vms.dat"), Ptrs(signs)));
  EXPECT_EQ(ReadAll(t.File("vms.dat")), kVMSGolden);
  std::vector<std::unique_ptr<CVMS>> back;
  ASSERT_EQ(ReadVMSFile(t.File("vms.dat"), back).status, ScenarioReadStatus::kRead);
  EXPECT_DOUBLE_EQ(back.at(1)->m_dEnd, 1439.5);
  CIncident inc = Incident(1, 2, 0.5f, 2.5f, 0.3f);
  ASSERT_TRUE(WriteIncidentFile(t.File("incident.dat"), {&inc}));
  EXPECT_EQ(ReadAll(t.File("incident.dat")), "1\n      1         2  0.5  2.5 0.3\n");
}

// ---- marks on the network view -----------------------------------------------

#include "CDrawLine.h"
#include "GlobalArrays.h"

namespace {

struct BitmapTarget : IDrawTarget
{
  struct Mark
  {
    int id;
    ScreenPoint at;
    ColorRef mask;
  };
  std::vector<Mark> marks;
  ScreenPointD WorldToScreenD(const WorldPoint& p) const override { return {p.x, p.y}; }
  bool IsPrinting() const override { return false; }
  void SelectPen(DrawPen) override {}
  void SelectBrush(DrawBrush) override {}
  void SetTextColor(ColorRef) override {}
  void Line(ScreenPoint, ScreenPoint) override {}
  void Ellipse(const ScreenRect&) override {}
  void Rectangle(const ScreenRect&) override {}
  void Polygon(const std::vector<ScreenPoint>&) override {}
  void Bitmap(int id, ScreenPoint at, ColorRef mask) override { marks.push_back({id, at, mask}); }
  void LabelText(const std::string&, const ScreenRect&) override {}
};

// Links 1->2 (twice, parallel: (0,0)-(1000,0) then (0,500)-(1000,500)) and
// 2->3 ((1000,0)-(1000,1000)).
class MarkNetwork : public ::testing::Test
{
protected:
  void SetUp() override
  {
    g_LineArray.RemoveAll();
    Add(1, 2, {0, 0}, {1000, 0});
    Add(1, 2, {0, 500}, {1000, 500});
    Add(2, 3, {1000, 0}, {1000, 1000});
  }
  void TearDown() override { g_LineArray.RemoveAll(); }
  static void Add(int from, int to, WorldPoint a, WorldPoint b)
  {
    auto* l = new CDrawLine();
    l->m_nFromNode = from;
    l->m_nToNode = to;
    l->SetShape({a, b});
    g_LineArray.Add(l);
  }
};

// Options of a view whose estimation clock stands at a minute.
ViewDrawOptions AtMinute(double minute)
{
  ViewDrawOptions v;
  v.dMarkMinute = minute;
  return v;
}

}  // namespace

TEST_F(MarkNetwork, IncidentShownAtBothEndsOfItsWindow)
{
  CIncident inc = Incident(1, 2, 10, 20, 0.3f);
  struct Case
  {
    double minute;
    bool drawn;
  };
  for (Case c : {Case{9, false}, Case{10, true}, Case{20, true}, Case{21, false}}) {
    BitmapTarget dc;
    inc.Draw(AtMinute(c.minute), dc);
    ASSERT_EQ(dc.marks.size(), c.drawn ? 1u : 0u) << c.minute;
    if (c.drawn) {
      EXPECT_EQ(dc.marks[0].id, kBmpIncident);
      EXPECT_NEAR(dc.marks[0].at.x, 400, 1) << "fraction 0.4 of the first parallel link";
      EXPECT_NEAR(dc.marks[0].at.y, 0, 1);
    }
  }
}

TEST_F(MarkNetwork, EachKindAtItsFractionOnTheFirstParallelLink)
{
  CVMS v = Sign(1, 1, 2, 1, 1, 100, 100);
  CWorkZone wz;
  wz.m_nFromNode = 2;
  wz.m_nToNode = 3;
  wz.m_fStart = 50;
  wz.m_fEnd = 150;
  WorldPoint at;
  ASSERT_TRUE(VMSMarkPoint(v, 100, at));
  EXPECT_NEAR(at.x, 300, 1);
  EXPECT_NEAR(at.y, 0, 1);
  ASSERT_TRUE(WorkZoneMarkPoint(wz, 100, at));
  EXPECT_NEAR(at.x, 1000, 1);
  EXPECT_NEAR(at.y, 600, 1);
  BitmapTarget dc;
  v.Draw(AtMinute(100), dc);
  wz.Draw(AtMinute(100), dc);
  ASSERT_EQ(dc.marks.size(), 2u);
  EXPECT_EQ(dc.marks[0].id, kBmpVMS);
  EXPECT_EQ(dc.marks[1].id, kBmpWorkZone);
  EXPECT_EQ(FindFirstLinkByNodes(1, 2), g_LineArray[0]);
}

TEST_F(MarkNetwork, ObjectWithoutItsLinkStaysAndIsNotDrawn)
{
  CVMS v = Sign(1, 3, 1, 1, 1, 0, 10);
  CIncident inc = Incident(2, 1, 0, 10, 0.5f);
  WorldPoint at;
  EXPECT_FALSE(VMSMarkPoint(v, 5, at));
  EXPECT_FALSE(IncidentMarkPoint(inc, 5, at));
  BitmapTarget dc;
  v.Draw(AtMinute(5), dc);
  inc.Draw(AtMinute(5), dc);
  EXPECT_TRUE(dc.marks.empty());
  EXPECT_EQ(FindFirstLinkByNodes(3, 1), nullptr);
}
