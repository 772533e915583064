// Detector data module: the detector list file, XPath reading of report
// documents (fixtures and mutations of them) and DetectorData.dat.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CommaLocale.h"
#include "DetectorData.h"
#include "TempFiles.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(VLQ_TEST_DATA_DIR) + "/detector_module";

std::string Report(double density, const char* extra = "")
{
  std::ostringstream o;
  o << "<detector-report><detector-observedata-density>" << density
    << "</detector-observedata-density><detector-observedata-flow>900.25</detector-observedata-flow>"
       "<local-date>d</local-date><local-time>t</local-time><absolute-time-index>7</absolute-time-index>"
    << extra << "</detector-report>";
  return o.str();
}

// A document with the given time indices, `reports` reports per period and
// density 100 * period + report.
std::string Document(const std::vector<int>& indices, int reports, int current = -1)
{
  std::ostringstream o;
  o << "<detectorData><collection-period>"
    << "<number-of-collection-period-items>" << indices.size() << "</number-of-collection-period-items>"
    << "<current-number-of-collection-period-items>" << (current < 0 ? (int)indices.size() : current)
    << "</current-number-of-collection-period-items>"
    << "<number-of-detector-reports>" << reports << "</number-of-detector-reports>";
  for (size_t p = 0; p < indices.size(); ++p) {
    o << "<collection-period-item><detection-absolute-time-index>" << indices[p] << "<detector-reports>";
    for (int r = 0; r < reports; ++r)
      o << Report(100.0 * p + r);
    o << "</detector-reports></detection-absolute-time-index></collection-period-item>";
  }
  o << "</collection-period></detectorData>";
  return o.str();
}

std::string DetectorList(int n)
{
  std::ostringstream o;
  o << n << " 0\n";
  for (int i = 0; i < n; ++i)
    o << "D" << i << " " << 900 + i << " " << i + 1 << " " << i + 2 << "\n";
  return o.str();
}

}  // namespace

TEST(DetectorList, ReadsTheFixture)
{
  CDetectorDataModule m;
  ASSERT_TRUE(m.LoadDetectors(kData));
  EXPECT_EQ(m.m_nDetectorCount, 3);
  EXPECT_EQ(m.m_nHeaderValue2, 7);
  ASSERT_EQ(m.m_Detectors.size(), 3u);
  const char* names[] = {"DetA", "DetB", "DetC"};
  const int ids[] = {501, 502, 503}, from[] = {10, 20, 30}, to[] = {20, 30, 10};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(m.m_Detectors[i].m_nNumber, i + 1);
    EXPECT_EQ(m.m_Detectors[i].m_szName, names[i]);
    EXPECT_EQ(m.m_Detectors[i].m_nId, ids[i]);
    EXPECT_EQ(m.m_Detectors[i].m_nFromNode, from[i]);
    EXPECT_EQ(m.m_Detectors[i].m_nToNode, to[i]);
  }
}

TEST(DetectorList, MutationsOfTheFile)
{
  struct Case
  {
    const char* name;
    const char* text;  // null: no file
    bool ok;
    size_t detectors;
  };
  const Case cases[] = {
      {"missing file", nullptr, false, 0},
      {"empty file", "", false, 0},
      {"count larger than the records", "3 0\nA 1 2 3\nB 4 5 6\n", false, 2},
      {"record cut in the middle", "2 0\nA 1 2 3\nB 4 5\n", false, 1},
      {"zero detectors", "0 0\n", true, 0},
      {"negative count reads nothing", "-2 0\nA 1 2 3\n", true, 0},
      {"separators of any kind", "2,9;A=1/2/3 B:4:5:6", true, 2},
  };
  for (const Case& c : cases) {
    TempDir t;
    if (c.text)
      WriteAll(t.File("Detector_Velmora.txt"), c.text);
    CDetectorDataModule m;
    m.m_Detectors.resize(5);  // an earlier list is always emptied
    EXPECT_EQ(m.LoadDetectors(t.dir.string()), c.ok) << c.name;
    EXPECT_EQ(m.m_Detectors.size(), c.detectors) << c.name;
  }
}

TEST(DetectorList, LongNameIsCut)
{
  TempDir t;
  WriteAll(t.File("Detector_Velmora.txt"), "1 0\n" + std::string(80, 'N') + " 4 5 6\n");
  CDetectorDataModule m;
  ASSERT_TRUE(m.LoadDetectors(t.dir.string()));
  ASSERT_EQ(m.m_Detectors.size(), 1u);
  EXPECT_EQ(m.m_Detectors[0].m_szName, std::string(31, 'N'));
}

TEST(DetectorReports, FixtureTwoPeriodsAndItsDataFile)
{
  CDetectorDataModule m;
  ASSERT_TRUE(m.LoadDetectors(kData));
  m.m_nFirstTimeIndex = 100;
  m.m_dTimeStep = 15.0;
  ASSERT_TRUE(m.LoadDetectorReports(kData + "/reports.xml", 2));
  EXPECT_EQ(m.m_nItemCount, 3);
  EXPECT_EQ(m.m_nCurrentItemCount, 3);
  EXPECT_EQ(m.m_nReportCount, 20);
  ASSERT_EQ(m.m_Detectors[1].m_Reports.size(), 2u);
  const CDetectorData& r = m.m_Detectors[1].m_Reports[1];
  EXPECT_DOUBLE_EQ(r.m_dDensity, 21.03);
  EXPECT_DOUBLE_EQ(r.m_dFlow, 1101.5);
  EXPECT_EQ(r.m_szLocalDate, "2026-12-11");
  EXPECT_EQ(r.m_szLocalTime, "08:15:00");
  EXPECT_EQ(r.m_nAbsTimeIndex, 115);

  TempDir t;
  ASSERT_TRUE(m.WriteDetectorData(t.dir.string()));
  EXPECT_EQ(ReadAll(t.File("DetectorData.dat")), "number\tfrom\tto\tdensity\n"
                                                 "1\t1\t10\t20\t10.00\n"
                                                 "1\t2\t20\t30\t11.03\n"
                                                 "1\t3\t30\t10\t12.06\n"
                                                 "2\t1\t10\t20\t20.00\n"
                                                 "2\t2\t20\t30\t21.03\n"
                                                 "2\t3\t30\t10\t22.06\n");
}

TEST(DetectorReports, TimeIndexStepsAreTruncatedOneByOne)
{
  // 100, then 100 + 7.5 -> 107, then 107 + 7.5 -> 114.
  TempDir t;
  WriteAll(t.File("Detector_Velmora.txt"), DetectorList(2));
  WriteAll(t.File("doc.xml"), Document({114, 100, 107}, 20));
  CDetectorDataModule m;
  ASSERT_TRUE(m.LoadDetectors(t.dir.string()));
  m.m_nFirstTimeIndex = 100;
  m.m_dTimeStep = 7.5;
  ASSERT_TRUE(m.LoadDetectorReports(t.File("doc.xml"), 3));
  ASSERT_EQ(m.m_Detectors[1].m_Reports.size(), 3u);
  // Document periods are 0:114, 1:100, 2:107; loaded order follows the index.
  EXPECT_DOUBLE_EQ(m.m_Detectors[1].m_Reports[0].m_dDensity, 101);
  EXPECT_DOUBLE_EQ(m.m_Detectors[1].m_Reports[1].m_dDensity, 201);
  EXPECT_DOUBLE_EQ(m.m_Detectors[1].m_Reports[2].m_dDensity, 1);
}

TEST(DetectorReports, DocumentMutations)
{
  // 25 detectors, each holding one report before the load. Reports are
  // counted for detectors 1, 4 (0-based 0, 4), 20 and 21 (0-based 19, 20).
  struct Case
  {
    const char* name;
    std::string doc;  // empty: no file
    int n;
    double step;
    bool ok;
    size_t reports[4];
  };
  const Case cases[] = {
      {"no document", "", 1, 0, false, {1, 1, 1, 1}},
      {"not XML", "<detectorData><collection-period>", 1, 0, false, {1, 1, 1, 1}},
      {"counts missing", "<detectorData><collection-period/></detectorData>", 1, 0, false, {1, 1, 1, 1}},
      {"more periods than current items", Document({0, 0, 0}, 20, 2), 3, 0, false, {1, 1, 1, 1}},
      {"n equal to current items", Document({0, 5}, 20), 2, 5, true, {2, 2, 2, 0}},
      {"period index missing", Document({0, 7}, 20), 2, 5, false, {1, 1, 1, 0}},
      {"fewer reports than detectors", Document({0}, 4), 1, 0, true, {1, 0, 0, 0}},
      {"reports beyond 20 are not read", Document({0}, 30), 1, 0, true, {1, 1, 1, 0}},
      {"zero periods empties the reports", Document({0}, 20), 0, 0, true, {0, 0, 0, 0}},
  };
  const int probe[4] = {0, 4, 19, 20};
  for (const Case& c : cases) {
    TempDir t;
    WriteAll(t.File("Detector_Velmora.txt"), DetectorList(25));
    if (!c.doc.empty())
      WriteAll(t.File("doc.xml"), c.doc);
    CDetectorDataModule m;
    ASSERT_TRUE(m.LoadDetectors(t.dir.string()));
    for (CDetector& d : m.m_Detectors)
      d.m_Reports.push_back(CDetectorData());
    m.m_nFirstTimeIndex = 0;
    m.m_dTimeStep = c.step;
    EXPECT_EQ(m.LoadDetectorReports(t.File("doc.xml"), c.n), c.ok) << c.name;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(m.m_Detectors[probe[i]].m_Reports.size(), c.reports[i]) << c.name << " detector " << probe[i];
  }
}

TEST(DetectorReports, MissingFieldsAndBadNumbersReadAsZero)
{
  TempDir t;
  WriteAll(t.File("Detector_Velmora.txt"), DetectorList(2));
  WriteAll(t.File("doc.xml"),
           "<detectorData><collection-period>"
           "<number-of-collection-period-items>1</number-of-collection-period-items>"
           "<current-number-of-collection-period-items>1</current-number-of-collection-period-items>"
           "<number-of-detector-reports>2</number-of-detector-reports>"
           "<collection-period-item><detection-absolute-time-index>3<detector-reports>"
           "<r><detector-observedata-flow>abc</detector-observedata-flow></r>"
           "<r><detector-observedata-density> 4.5 </detector-observedata-density>"
           "<absolute-time-index>x</absolute-time-index></r>"
           "</detector-reports></detection-absolute-time-index></collection-period-item>"
           "</collection-period></detectorData>");
  CDetectorDataModule m;
  ASSERT_TRUE(m.LoadDetectors(t.dir.string()));
  m.m_nFirstTimeIndex = 3;
  ASSERT_TRUE(m.LoadDetectorReports(t.File("doc.xml"), 1));
  const CDetectorData& a = m.m_Detectors[0].m_Reports.at(0);
  EXPECT_EQ(a.m_dDensity, 0.0);
  EXPECT_EQ(a.m_dFlow, 0.0);
  EXPECT_EQ(a.m_szLocalDate, "");
  const CDetectorData& b = m.m_Detectors[1].m_Reports.at(0);
  EXPECT_EQ(b.m_dDensity, 4.5);
  EXPECT_EQ(b.m_nAbsTimeIndex, 0);
}

TEST(DetectorReports, IndentedIndexAndReportsBesideTheIndex)
{
  TempDir t;
  WriteAll(t.File("Detector_Velmora.txt"), DetectorList(1));
  WriteAll(
      t.File("doc.xml"),
      "<detectorData>\n <collection-period>\n"
      "  <number-of-collection-period-items>2</number-of-collection-period-items>\n"
      "  <current-number-of-collection-period-items>2</current-number-of-collection-period-items>\n"
      "  <number-of-detector-reports>1</number-of-detector-reports>\n"
      "  <collection-period-item>\n   <detection-absolute-time-index>10\n    <detector-reports>" +
          Report(1.5) +
          "</detector-reports>\n   </detection-absolute-time-index>\n  </collection-period-item>\n"
          "  <collection-period-item>\n   <detection-absolute-time-index>20</detection-absolute-time-index>\n"
          "   <detector-reports>" +
          Report(2.5) +
          "</detector-reports>\n  </collection-period-item>\n </collection-period>\n</detectorData>\n");
  CDetectorDataModule m;
  ASSERT_TRUE(m.LoadDetectors(t.dir.string()));
  m.m_nFirstTimeIndex = 10;
  m.m_dTimeStep = 10.0;
  ASSERT_TRUE(m.LoadDetectorReports(t.File("doc.xml"), 2));
  ASSERT_EQ(m.m_Detectors[0].m_Reports.size(), 2u);
  EXPECT_EQ(m.m_Detectors[0].m_Reports[0].m_dDensity, 1.5);
  EXPECT_EQ(m.m_Detectors[0].m_Reports[1].m_dDensity, 2.5);
}

TEST(DetectorDataFile, EdgeCases)
{
  TempDir t;
  CDetectorDataModule m;
  ASSERT_TRUE(m.WriteDetectorData(t.dir.string()));
  EXPECT_EQ(ReadAll(t.File("DetectorData.dat")), "number\tfrom\tto\tdensity\n");

  // A detector with fewer periods than the first gets no line for them.
  m.m_Detectors.resize(2);
  m.m_Detectors[0].m_nFromNode = 1;
  m.m_Detectors[0].m_nToNode = 2;
  m.m_Detectors[0].m_Reports.resize(2);
  m.m_Detectors[0].m_Reports[0].m_dDensity = 1.005;
  m.m_Detectors[0].m_Reports[1].m_dDensity = -2.5;
  m.m_Detectors[1].m_nFromNode = 3;
  m.m_Detectors[1].m_nToNode = 4;
  m.m_Detectors[1].m_Reports.resize(1);
  m.m_Detectors[1].m_Reports[0].m_dDensity = 12345.678;
  ASSERT_TRUE(m.WriteDetectorData(t.dir.string()));
  EXPECT_EQ(ReadAll(t.File("DetectorData.dat")),
            "number\tfrom\tto\tdensity\n1\t1\t1\t2\t1.00\n1\t2\t3\t4\t12345.68\n2\t1\t1\t2\t-2.50\n");

  EXPECT_FALSE(m.WriteDetectorData((t.dir / "missing").string()));
}

TEST(DetectorModule, DirectoryOfTheProgram)
{
  std::string dir = DetectorModuleDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(fs::is_directory(dir));
}

TEST(DetectorModule, CNotationUnderACommaLocale)
{
  CommaLocale comma;
  if (!comma.Active())
    GTEST_SKIP() << "no comma locale on this machine";
  CDetectorDataModule m;
  ASSERT_TRUE(m.LoadDetectors(kData));
  m.m_nFirstTimeIndex = 100;
  m.m_dTimeStep = 15.0;
  ASSERT_TRUE(m.LoadDetectorReports(kData + "/reports.xml", 1));
  EXPECT_DOUBLE_EQ(m.m_Detectors[1].m_Reports.at(0).m_dDensity, 11.03);
  TempDir t;
  ASSERT_TRUE(m.WriteDetectorData(t.dir.string()));
  EXPECT_EQ(ReadAll(t.File("DetectorData.dat")),
            "number\tfrom\tto\tdensity\n1\t1\t10\t20\t10.00\n1\t2\t20\t30\t11.03\n1\t3\t30\t10\t12.06\n");
}
