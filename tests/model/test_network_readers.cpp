// Network file writers (golden bytes), their read-back through the load,
// and the line readers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "CProject.h"
#include "CommaLocale.h"
#include "GlobalArrays.h"
#include "NetworkFiles.h"
#include "ProjectFixtures.h"

namespace {

TEST(NetworkWriters, GoldenBytes)
{
  fixtures::SmallNetwork n;
  n.net.header.nLinks = 1;
  n.net.links.resize(1);
  EXPECT_EQ(NetworkFileText(n.net),
            "2 4 1 10 1\n10 1\n20 1\n30 2\n40 2\n10 20 1 0 1000 2 1.5 0.9 55.5 2200.25 1800.5 1 -1.25\n");
  EXPECT_EQ(SuperZoneFileText(n.superZones), "1\n1 2\n1 1\n");
  EXPECT_EQ(XYFileText({{10, 0.0, -2.5}, {20, 1234567.125, 0.1}}), "10 0 -2.5\n20 1234567.125 0.1\n");
  EXPECT_EQ(LinkXYFileText(n.shapes), "10 20 3\n0 0\n10 50\n0 100\n");
  EXPECT_EQ(LinkNameFileText({{10, 20, "Main Street"}, {3, 24999, std::string(45, 'x')}}),
            "   10   20Main Street\n    324999" + std::string(39, 'x') + "\n");
  EXPECT_EQ(DetectorFileText({{30, 40}, {1, 2}}), "   30   40\n    1    2\n");
  EXPECT_EQ(CCTVFileText({{30, 40, "http://c/1"}, {1, 2, std::string(70, 'a')}}),
            "   30   40 http://c/1\n    1    2 " + std::string(59, 'a') + "\n");
  EXPECT_EQ(ControlFileText(n.control), "2\n3 1\n1 4 0 0\n2 2 0 0\n3 5 0 0\n4 1 0 0\n");
  ControlFile empty;
  EXPECT_EQ(ControlFileText(empty), "0\n");
}

TEST(NetworkWriters, FilesHoldTheTextAndFailCleanly)
{
  fixtures::RunDir run;
  fixtures::SmallNetwork n;
  n.WriteAllFiles();
  EXPECT_EQ(ReadAll("estimate/network.dat"), NetworkFileText(n.net));
  EXPECT_EQ(ReadAll("estimate/xy.dat"), XYFileText(n.xy));
  EXPECT_EQ(ReadAll("estimate/CCTV.dat"), CCTVFileText(n.cameras));
  EXPECT_FALSE(WriteNetworkFile("no_such_dir/network.dat", n.net));
  EXPECT_FALSE(WriteXYFile("no_such_dir/xy.dat", n.xy));
}

TEST(NetworkWriters, CommaLocaleWritesAndReadsC)
{
  CommaLocale comma;
  if (!comma.Active())
    GTEST_SKIP() << "no comma-decimal locale can be built here";
  fixtures::SmallNetwork n;
  EXPECT_EQ(XYFileText({{10, 0.5, -2.25}}), "10 0.5 -2.25\n");
  fixtures::RunDir run;
  n.WriteAllFiles();
  fixtures::RecordingSinks sinks;
  sinks.Attach(g_Project);
  bool ok = g_Project.LoadNetworkData();
  g_Project.StopRealTimeReader();  // started by the load; stopped before the run directory goes
  fixtures::RecordingSinks::Detach(g_Project);
  ASSERT_TRUE(ok);
  EXPECT_EQ(g_LineArray[0]->m_dSatRate, 2200.25);
  EXPECT_EQ(g_LineArray[0]->m_fValue6, -1.25f);
}

// What is written is what the load reads back.
TEST(NetworkWriters, RoundTripThroughTheLoad)
{
  fixtures::RunDir run;
  fixtures::SmallNetwork n;
  n.net.header.nSuperZoneFlag = 1;
  n.superZones = {2, {2, 1}, {2, 1}};
  n.net.links[2].dGrade = 0.1;
  n.net.links[2].dSatFlow = 1234.75;
  n.net.links[4].dSpeedLimit = 33.3;
  n.xy[2] = {30, 12.125, -40.5};
  n.names = {{20, 30, "Parallel A"}, {40, 10, "Back Lane"}};
  n.WriteAllFiles();
  fixtures::RecordingSinks sinks;
  sinks.Attach(g_Project);
  g_Project.m_nYSign = -1;
  bool ok = g_Project.LoadNetworkData();
  g_Project.StopRealTimeReader();  // the load started it over the links emptied below
  g_Project.m_nYSign = 1;
  fixtures::RecordingSinks::Detach(g_Project);
  ASSERT_TRUE(ok);
  ASSERT_EQ(g_LineArray.GetSize(), 5);
  for (int k = 0; k < 5; ++k) {
    const auto& r = n.net.links[k];
    const CDrawLine* l = g_LineArray[k];
    SCOPED_TRACE(k);
    EXPECT_EQ(l->m_nFromNode, r.nFrom);
    EXPECT_EQ(l->m_nToNode, r.nTo);
    EXPECT_EQ(l->m_fValue1, static_cast<float>(r.nLeftBays));
    EXPECT_EQ(l->m_fValue2, static_cast<float>(r.nRightBays));
    EXPECT_EQ(l->m_dLength, r.nLengthFeet);
    EXPECT_EQ(l->m_nLanes, r.nLanes);
    EXPECT_EQ(l->m_fValue3, static_cast<float>(r.dFlowModel));
    EXPECT_EQ(l->m_dValue4, r.dSpeedLimit);
    EXPECT_EQ(l->m_dSatRate, r.dMaxServiceFlow);
    EXPECT_EQ(l->m_fValue5, static_cast<float>(r.dSatFlow));
    EXPECT_EQ(l->m_nLinkType, r.nLinkType);
    EXPECT_EQ(l->m_fValue6, static_cast<float>(r.dGrade));
  }
  EXPECT_EQ(g_LineArray[1]->m_szName, "Parallel A");  // both parallel links get the name
  EXPECT_EQ(g_LineArray[2]->m_szName, "Parallel A");
  EXPECT_EQ(g_LineArray[4]->m_szName, "Back Lane");
  EXPECT_EQ(g_Project.m_nSuperZoneCount, 2);
  EXPECT_EQ(g_NodeArray[0]->m_nSuperZone, 1);  // zone 1 -> super-zone 1 (second listed)
  EXPECT_EQ(g_NodeArray[3]->m_nSuperZone, 2);
  EXPECT_EQ(g_Project.m_pZoneList[1], 2);
  // y flipped by the sign: node 30 at y' = 40.5 is the largest, so the
  // smallest is -200 (node 40).
  EXPECT_EQ(g_Project.m_dMinY, -200.0);
  EXPECT_DOUBLE_EQ(g_NodeArray[2]->m_ptPos.y, (40.5 + 200.0) * g_Project.m_dScale);
  g_Project.ClearNetworkArrays();
}

TEST(NetworkReaders, ReadLineTable)
{
  struct Case
  {
    std::string text;
    std::size_t size;
    std::vector<std::string> lines;  // lines returned with 1
    std::string last;                // the buffer when -1 comes
  } cases[] = {
      {"ab\ncd\n", 10, {"ab", "cd"}, ""},
      {"ab\r\ncd", 10, {"ab", ""}, "cd"},  // CR LF gives an empty line; cd has no break
      {"", 10, {}, ""},
      {"abcdefghij\nx\n", 4, {"abc", "x"}, ""},  // cut at the buffer, rest of the line dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TextFile t(c.text);
    std::vector<char> buf(c.size);
    std::vector<std::string> got;
    while (CProject::ReadLine(t.f, buf.data(), buf.size()) == 1)
      got.push_back(buf.data());
    EXPECT_EQ(got, c.lines);
    EXPECT_EQ(std::string(buf.data()), c.last);
  }
}

TEST(NetworkReaders, LinkLineNumbersTable)
{
  struct Case
  {
    const char* line;
    bool ok;
    int from, to;
    const char* rest;
  } cases[] = {
      {"   10   20Main", true, 10, 20, "Main"},
      {"1234512345x", true, 12345, 12345, "x"},
      {"123456", true, 12345, 6, ""},  // at most five characters each
      {"  -3    7 a", true, -3, 7, " a"},
      {"\t5\t6", true, 5, 6, ""},
      {" 988810000Name", true, 9888, 10000, "Name"},  // columns 1-5 and 6-10
      {"1000010001", true, 10000, 10001, ""},
      {"10 20 x", true, 10, 20, " x"},  // not in columns: free reading
      {"    1   -2", true, 1, -2, ""},
      {"   10", false, 0, 0, ""},
      {"abc", false, 0, 0, "abc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const char* p = c.line;
    int from = 0, to = 0;
    EXPECT_EQ(ParseLinkLineNumbers(p, from, to), c.ok);
    if (c.ok) {
      EXPECT_EQ(from, c.from);
      EXPECT_EQ(to, c.to);
      EXPECT_STREQ(p, c.rest);
    }
  }
}

}  // namespace
