#include "CProject.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "FieldReaders.h"
#include "FileHandle.h"
#include "NetworkFiles.h"
#include "ResultStores.h"
#include "StringPrintf.h"

CProject g_Project;

namespace {

using fields::TruncateToInt;

// Reads N values into v; false when the file ends first.
template <std::size_t N>
bool ReadValues(std::FILE* f, double (&v)[N])
{
  for (double& x : v) {
    std::optional<double> r = fields::NextReal(f);
    if (!r)
      return false;
    x = *r;
  }
  return true;
}

ColorRef RandomColour()
{
  auto draw = [] { return static_cast<int>(std::rand() * 1.0 / RAND_MAX * 255.0); };
  int r = draw();
  int g = draw();
  int b = draw();
  return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) | (static_cast<ColorRef>(b) << 16);
}

constexpr std::size_t kLinkNameLine = 200;  // 199 characters of a LinkName.dat line
constexpr std::size_t kLinkMarkLine = 400;  // 399 of a Detector.dat or CCTV.dat line

}  // namespace

CProject::CProject() : m_NodeIndex(kMaxNodeTable, -1)
{
  for (int i = 0; i < 10; ++i) {
    m_OutputOption[0][i] = 1;
    m_OutputOption[1][i] = 10;
  }
  m_ODTable.reset(static_cast<double*>(
      std::calloc(static_cast<std::size_t>(kODSlots) * kMaxZones * kMaxZones, sizeof(double))));
  ClearModuleFlags();
}

CProject::~CProject()
{
  // The observation thread is stopped by its own object: at program end the
  // order in which the globals go is not fixed, so it is not touched here.
  m_Paths.RemoveAll();
}

void CProject::ShowStatus(const std::string& text)
{
  m_szStatus = text;
  if (m_pStatusBar)
    m_pStatusBar->SetStatusText(text);
}

void CProject::ShowMessage(const std::string& text)
{
  if (m_pMessageSink)
    m_pMessageSink->ShowMessage(text);
  else
    std::fprintf(stderr, "%s\n", text.c_str());
}

void CProject::SetSinks(IStatusSink* status, IMessageSink* messages, ExitHandler exit)
{
  m_pStatusBar = status;
  m_pMessageSink = messages;
  m_ExitHandler = std::move(exit);
}

void CProject::EndProgram(int status)
{
  if (m_ExitHandler)
    m_ExitHandler(status);
  else
    std::exit(status);
  m_bEnded = true;
}

double CProject::ODEntry(int slot, int i, int j) const
{
  if (slot < 0 || slot >= kODSlots || i < 0 || i >= kMaxZones || j < 0 || j >= kMaxZones || !m_ODTable)
    return 0.0;
  return m_ODTable[(static_cast<std::size_t>(slot) * kMaxZones + i) * kMaxZones + j];
}

bool CProject::SetODEntry(int slot, int i, int j, double value)
{
  if (slot < 0 || slot >= kODSlots || i < 0 || i >= kMaxZones || j < 0 || j >= kMaxZones || !m_ODTable)
    return false;
  m_ODTable[(static_cast<std::size_t>(slot) * kMaxZones + i) * kMaxZones + j] = value;
  return true;
}

bool CProject::SetODSize(int zones)
{
  if (zones < 0 || zones > kMaxZones)
    return false;
  m_ODSize = zones;
  return true;
}

std::string CProject::DataPath(const char* name) const
{
  return m_szDataDir + "/" + name;
}

void CProject::FreeTables()
{
  m_pNodeZone.reset();
  m_pZoneSuperZone.reset();
  m_pZoneList.reset();
  m_pSuperZoneColor.reset();
}

void CProject::ClearNetworkArrays()
{
  StopRealTimeReader();
  g_SelectedCCTVs.clear();
  g_SelectedNodes.clear();
  g_SelectedLinks.clear();
  g_LineArray.RemoveAll();
  g_NodeArray.RemoveAll();
  g_CCTVArray.RemoveAll();
  g_IncidentArray.RemoveAll();
  g_VMSArray.RemoveAll();
  g_VMSArrayPredict.RemoveAll();
  g_VMSArrayPredict1.RemoveAll();
}

void CProject::ClearForLoad()
{
  // A load begins from empty arrays: what an earlier, stopped load appended
  // goes away.
  ClearNetworkArrays();
  FreeTables();
  std::fill(m_NodeIndex.begin(), m_NodeIndex.end(), -1);
  m_NodeNumber.clear();
  m_OutNode.clear();
  m_OutLink.clear();
  m_OutCount.clear();
  m_bProjectLoaded = false;
  m_nMaxNodeNumber = 0;
  m_nNodeCount = 0;
  m_ODSize = 0;
  m_nSuperZoneCount = 0;
  m_unreadScenarioFiles.clear();
}

bool CProject::Fail(LoadResult why, const std::string& message)
{
  if (!message.empty())
    ShowMessage(message);
  m_LastLoadResult = why;
  return false;
}

int CProject::LookupNodeIndex(int number) const
{
  if (m_nNodeCount <= 0 || number < 0 || number > m_nMaxNodeNumber ||
      number >= static_cast<int>(m_NodeIndex.size()))
    return -1;
  return m_NodeIndex[static_cast<std::size_t>(number)];
}

int CProject::FindNodeIndex(int number, int code)
{
  int idx = LookupNodeIndex(number);
  if (idx >= 0)
    return idx;
  switch (code) {
  case kNodeCodeLinkBlock:
    ShowMessage(StringPrintf("Node %d in the link block of file network.dat has not been defined.", number));
    break;
  case kNodeCodeXY:
    ShowMessage(StringPrintf("Node %d in file xy.dat has not been defined in file network.dat.", number));
    break;
  case kNodeCodeLinkXY:
    ShowMessage(StringPrintf("Node %d in file linkxy.dat has not been defined in file network.dat.", number));
    break;
  default: ShowMessage(StringPrintf("A node %d cannot be found.", number)); break;
  }
  EndProgram(kExitBadNode);
  return -1;
}

std::size_t CProject::OutRow(int from) const
{
  const int idx = LookupNodeIndex(from);
  if (idx < 0 || static_cast<std::size_t>(idx) >= m_OutCount.size())
    return kNoOutRow;
  return static_cast<std::size_t>(idx);
}

int CProject::FindLinkIndex(int from, int to) const
{
  const std::size_t row = OutRow(from);
  if (row == kNoOutRow)
    return -1;
  const std::size_t first = row * kMaxOutLinks;
  const std::size_t end = first + static_cast<std::size_t>(std::min(m_OutCount[row], kMaxOutLinks));
  for (std::size_t i = first; i < end; ++i)
    if (m_OutNode[i] == to)
      return m_OutLink[i];
  return -1;
}

void CProject::ForEachLink(int from, int to, const std::function<void(int)>& fn) const
{
  const std::size_t row = OutRow(from);
  if (row == kNoOutRow)
    return;
  const std::size_t first = row * kMaxOutLinks;
  const std::size_t end = first + static_cast<std::size_t>(std::min(m_OutCount[row], kMaxOutLinks));
  for (std::size_t i = first; i < end; ++i)
    if (m_OutNode[i] == to)
      fn(m_OutLink[i]);
}

int CProject::ReadLine(std::FILE* f, char* buf, std::size_t size)
{
  return fields::ReadLineChars(f, buf, size) == EOF ? -1 : 1;
}

bool CProject::IsFort911Empty() const
{
  struct stat st;
  if (::stat(DataPath("fort.911").c_str(), &st) != 0)
    return true;
  return st.st_size == 0;
}

void CProject::ColourSuperZones(int count)
{
  m_nSuperZoneCount = count;
  m_pSuperZoneColor.reset(new ColorRef[static_cast<std::size_t>(count) + 1]);
  for (int i = 0; i <= count; ++i)
    m_pSuperZoneColor[i] = RandomColour();
}

bool CProject::ReadSuperZones(int zones)
{
  auto perZone = [this, zones] {
    ColourSuperZones(zones);
    for (int i = 1; i <= zones; ++i)
      m_pZoneSuperZone[i] = i;
  };
  if (m_nSuperZoneFlag != 1) {
    perZone();
    return true;
  }
  ShowStatus("  Reading superzone.dat");
  std::string path = DataPath("SuperZone.dat");
  UniqueFile file = OpenFile(path, "r");
  if (!file) {
    ShowMessage(StringPrintf("Cannot open %s", path.c_str()));
    perZone();
    return true;
  }
  std::FILE* f = file.get();
  std::optional<double> count = fields::NextReal(f);
  int s = count ? TruncateToInt(*count) : -1;
  if (s < 0 || s > kMaxSuperZones) {
    ShowMessage(StringPrintf(
        "File SuperZone.dat does not give a number of super-zones from 0 to %d.\nPlease check it.",
        kMaxSuperZones));
    perZone();
    return true;
  }
  ColourSuperZones(s);
  const std::string shortText =
      StringPrintf("File SuperZone.dat ends before its %d zones.\nPlease check it.", zones);
  for (int i = 1; i <= zones; ++i) {
    std::optional<double> zone = fields::NextReal(f);
    if (!zone) {
      ShowMessage(shortText);
      return true;
    }
    m_pZoneList[i] = TruncateToInt(*zone);
  }
  for (int i = 1; i <= zones; ++i) {
    std::optional<double> value = fields::NextReal(f);
    if (!value) {
      ShowMessage(shortText);
      return true;
    }
    int zone = m_pZoneList[i];
    int super = TruncateToInt(*value);
    if (zone < 0 || zone > zones) {
      ShowMessage(StringPrintf("Zone %d in file SuperZone.dat is out of the range 0 to %d.\nPlease check it.",
                               zone, zones));
      return true;
    }
    if (super < 0 || super > s) {
      ShowMessage(StringPrintf(
          "Super-zone %d in file SuperZone.dat is out of the range 0 to %d.\nPlease check it.", super, s));
      return true;
    }
    m_pZoneSuperZone[zone] = super;
  }
  return true;
}

bool CProject::EndLoad(const std::string& message)
{
  ShowMessage(message);
  EndProgram(kExitBadNode);
  m_LastLoadResult = LoadResult::Ended;
  return false;
}

bool CProject::ReadNetwork()
{
  std::string path = DataPath("network.dat");
  UniqueFile file = OpenFile(path, "r");
  if (!file)
    return Fail(LoadResult::NoNetwork, StringPrintf("Cannot open %s", path.c_str()));
  int zones = 0, nodes = 0, links = 0;
  if (!ReadNetworkHeader(file.get(), zones, nodes, links))
    return false;
  m_pNodeZone.reset(new int[static_cast<std::size_t>(nodes) + 1]());
  m_NodeNumber.assign(static_cast<std::size_t>(nodes), 0);
  m_pZoneSuperZone.reset(new int[static_cast<std::size_t>(zones) + 1]());
  m_pZoneList.reset(new int[static_cast<std::size_t>(zones) + 1]());
  ReadSuperZones(zones);
  if (!ReadNodeBlock(file.get(), nodes, zones))
    return false;
  CreateNodes();
  return ReadLinkBlock(file.get(), links);
}

bool CProject::ReadNetworkHeader(std::FILE* f, int& zones, int& nodes, int& links)
{
  double h[5];
  if (!ReadValues(f, h))
    return Fail(LoadResult::BadData, "File network.dat ends inside its header.\nPlease check it.");
  zones = TruncateToInt(h[0]);
  nodes = TruncateToInt(h[1]);
  links = TruncateToInt(h[2]);
  if (zones < 0 || zones > kMaxZones)
    return Fail(LoadResult::BadData,
                StringPrintf("File network.dat gives %d zones; at most %d are allowed.\nPlease check it.",
                             zones, kMaxZones));
  if (nodes < 0 || nodes > kMaxNodeRecords)
    return Fail(LoadResult::BadData,
                StringPrintf("File network.dat gives %d nodes; at most %d are allowed.\nPlease check it.",
                             nodes, kMaxNodeRecords));
  if (links < 0)
    return Fail(LoadResult::BadData,
                StringPrintf("File network.dat gives %d links.\nPlease check it.", links));
  m_ODSize = zones;
  m_nNodeCount = 0;  // set once the node block is read
  m_nNetworkParam = TruncateToInt(h[3]);
  m_nSuperZoneFlag = TruncateToInt(h[4]);
  return true;
}

bool CProject::ReadNodeBlock(std::FILE* f, int nodes, int zones)
{
  for (int i = 0; i < nodes; ++i) {
    double v[2];
    if (!ReadValues(f, v))
      return Fail(
          LoadResult::BadData,
          StringPrintf("File network.dat ends after %d of its %d nodes.\nPlease check it.", i, nodes));
    int number = TruncateToInt(v[0]);
    if (number >= kNodeNumberLimit)
      return EndLoad("Please ensure that the node number in file network.dat is less than 899999.");
    if (number < 0)
      return EndLoad(
          StringPrintf("Please ensure that the node numbers in file network.dat lie from 0 to %d (node %d).",
                       kMaxNodeTable - 1, number));
    int zone = TruncateToInt(v[1]);
    if (zone < 0 || zone > zones)
      return Fail(LoadResult::BadData,
                  StringPrintf(
                      "Zone %d of node %d in file network.dat is out of the range 0 to %d.\nPlease check it.",
                      zone, number, zones));
    m_NodeNumber[i] = number;
    m_nMaxNodeNumber = std::max(m_nMaxNodeNumber, number);
    m_NodeIndex[static_cast<std::size_t>(number)] = i;
    m_pNodeZone[i] = zone;
  }
  m_nNodeCount = nodes;
  // The out-link tables, once every node is known to be there.
  m_OutCount.assign(static_cast<std::size_t>(nodes), 0);
  m_OutNode.assign(static_cast<std::size_t>(nodes) * kMaxOutLinks, 0);
  m_OutLink.assign(static_cast<std::size_t>(nodes) * kMaxOutLinks, 0);
  return true;
}

void CProject::CreateNodes()
{
  for (int i = 0; i < m_nNodeCount; ++i) {
    auto* node = new CDrawNode;
    node->m_nNodeNumber = m_NodeNumber[i];
    node->m_nZone = m_pNodeZone[i];
    node->m_nSuperZone = m_pZoneSuperZone[m_pNodeZone[i]];
    node->m_nIndex = i;
    g_NodeArray.Add(node);
  }
}

bool CProject::ReadLinkBlock(std::FILE* f, int links)
{
  for (int k = 0; k < links; ++k) {
    double v[13];
    if (!ReadValues(f, v))
      return Fail(
          LoadResult::BadData,
          StringPrintf("File network.dat ends after %d of its %d links.\nPlease check it.", k, links));
    int from = TruncateToInt(v[0]);
    int to = TruncateToInt(v[1]);
    int fromIndex = FindNodeIndex(from, kNodeCodeLinkBlock);
    if (fromIndex < 0)
      return Fail(LoadResult::Ended, "");
    int toIndex = FindNodeIndex(to, kNodeCodeLinkBlock);
    if (toIndex < 0)
      return Fail(LoadResult::Ended, "");
    int& outCount = m_OutCount[static_cast<std::size_t>(fromIndex)];
    if (outCount >= kMaxOutLinks)
      return Fail(LoadResult::BadData,
                  StringPrintf("Node %d has more than %d out-links in file network.dat.\nPlease check it.",
                               from, kMaxOutLinks));
    auto line = std::make_unique<CDrawLine>();
    line->m_nFromNode = from;
    line->m_nToNode = to;
    line->m_nFromIndex = fromIndex;
    line->m_nToIndex = toIndex;
    int leftBays = TruncateToInt(v[2]);
    line->m_fValue1 = static_cast<float>(leftBays);
    line->m_bValue1Set = leftBays >= 1;
    line->m_fValue2 = static_cast<float>(TruncateToInt(v[3]));
    line->m_dLength = TruncateToInt(v[4]);
    line->m_nLanes = TruncateToInt(v[5]);
    line->m_fValue3 = static_cast<float>(v[6]);
    line->m_dValue4 = v[8];
    line->m_dSatRate = v[9];
    line->m_fValue5 = static_cast<float>(v[10]);
    line->m_nLinkType = TruncateToInt(v[11]);
    line->m_bRamp = line->m_nLinkType == 3 || line->m_nLinkType == 4;
    line->m_fValue6 = static_cast<float>(v[12]);
    const std::size_t slot =
        static_cast<std::size_t>(fromIndex) * kMaxOutLinks + static_cast<std::size_t>(outCount);
    m_OutNode[slot] = to;
    m_OutLink[slot] = k;
    ++outCount;
    g_LineArray.Add(line.release());
  }
  return true;
}

bool CProject::ReadXY()
{
  UniqueFile file = OpenFile(DataPath("xy.dat"), "r");
  if (!file)
    return true;
  std::FILE* f = file.get();
  int nodes = m_nNodeCount;

  double minX = 4294967295.0, minY = 4294967295.0;
  double maxX = -4294967295.0, maxY = -4294967295.0;
  int seen = 0;
  for (int i = 0; i < nodes; ++i) {
    double v[3];
    if (!ReadValues(f, v))
      break;
    double x = v[1], y = v[2] * m_nYSign;
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
    ++seen;
  }
  if (seen == 0)
    minX = maxX = minY = maxY = 0.0;
  m_dMinX = minX;
  m_dMaxX = maxX;
  m_dMinY = minY;
  m_dMaxY = maxY;
  double width = 800.0;
  double height = 580.0 - 2 * m_dMargin;
  double extX = maxX - minX;
  double extY = maxY - minY;
  // An extent of zero (one node, or all nodes in a line) sets no scale.
  m_dScaleX = extX > 0.0 ? width / extX : 0.0;
  m_dScaleY = extY > 0.0 ? height / extY : 0.0;
  if (m_dScaleX > 0.0 && m_dScaleY > 0.0)
    m_dScale = std::min(m_dScaleX, m_dScaleY);
  else if (m_dScaleX > 0.0)
    m_dScale = m_dScaleX;
  else if (m_dScaleY > 0.0)
    m_dScale = m_dScaleY;
  else
    m_dScale = 1.0;
  m_dOffsetX = extX > extY ? 0.0 : width / 2 - extX * m_dScale / 2;

  std::rewind(f);
  for (int i = 0; i < nodes; ++i) {
    double v[3];
    if (!ReadValues(f, v) || v[0] == -1.0) {
      ShowMessage(
          StringPrintf("Only %d nodes are found in file xy.dat.\nThe GUI expects %d nodes defined in this "
                       "file.\nPlease check it.",
                       i, nodes));
      m_LastLoadResult = LoadResult::XYShort;
      return false;
    }
    const double x = v[1], y = v[2];
    int idx = FindNodeIndex(TruncateToInt(v[0]), kNodeCodeXY);
    if (idx < 0) {
      m_LastLoadResult = LoadResult::Ended;
      return false;
    }
    if (CDrawNode* node = g_NodeArray.GetAt(idx))
      node->m_ptPos = {(x - m_dMinX) * m_dScale, (y * m_nYSign - m_dMinY) * m_dScale};
  }
  for (const auto& line : g_LineArray) {
    const CDrawNode* a = g_NodeArray.GetAt(line->m_nFromIndex);
    const CDrawNode* b = g_NodeArray.GetAt(line->m_nToIndex);
    if (a && b)
      line->SetShape({a->m_ptPos, b->m_ptPos});
  }
  return true;
}

bool CProject::ReadLinkXY()
{
  UniqueFile file = OpenFile(DataPath("linkxy.dat"), "r");
  if (!file)
    return true;
  std::FILE* f = file.get();
  double sum = 0.0;
  for (;;) {
    std::optional<double> first = fields::NextReal(f);
    if (!first || *first == -1.0)
      break;
    double v[2];
    if (!ReadValues(f, v)) {
      ShowMessage("File linkxy.dat ends inside a link record.\nPlease check it.");
      return true;
    }
    int from = TruncateToInt(*first), to = TruncateToInt(v[0]), n = TruncateToInt(v[1]);
    if (FindNodeIndex(from, kNodeCodeLinkXY) < 0 || FindNodeIndex(to, kNodeCodeLinkXY) < 0) {
      m_LastLoadResult = LoadResult::Ended;
      return false;
    }
    // The points are read once and given to every link with these end nodes.
    std::vector<WorldPoint> pts;
    for (int j = 0; j < n; ++j) {
      double xy[2];
      if (!ReadValues(f, xy)) {
        ShowMessage(StringPrintf(
            "File linkxy.dat ends inside the %d points of link %d->%d.\nPlease check it.", n, from, to));
        return true;
      }
      pts.push_back({(xy[0] - m_dMinX) * m_dScale, (xy[1] * m_nYSign - m_dMinY) * m_dScale});
    }
    int matches = 0;
    ForEachLink(from, to, [&](int k) {
      CDrawLine* line = g_LineArray.GetAt(k);
      if (!line)
        return;
      ++matches;
      if (pts.size() < 2)
        return;
      line->SetShape(pts);
      if (line->m_dLength > 0.0)
        sum += line->ShapeLength() / line->m_dLength;
    });
    if (matches == 0) {
      ShowMessage(StringPrintf(
          "Link %d->%d in file Linkxy.dat has not been defined in file network.dat.\nPlease check it.", from,
          to));
      return true;
    }
    if (pts.size() < 2)
      ShowMessage(
          StringPrintf("Link %d->%d in file linkxy.dat has fewer than two points; it keeps its straight "
                       "shape.\nPlease check it.",
                       from, to));
  }
  if (g_LineArray.GetSize() > 0)
    g_LinkShapeRatio = sum / g_LineArray.GetSize();
  return true;
}

namespace {

// Reads the lines of a LinkName.dat, Detector.dat or CCTV.dat; calls
// onLine(from, to, rest) for each non-empty line, and mark(link) for every
// link from -> to. A line without a link shows the message and ends the
// reading of the file.
template <class OnLine, class Mark>
void ReadLinkLines(CProject& project, const char* name, std::size_t lineSize, OnLine onLine, Mark mark)
{
  std::string path = project.DataPath(name);
  UniqueFile file = OpenFile(path, "r");
  if (!file)
    return;
  std::vector<char> buf(lineSize);
  while (CProject::ReadLine(file.get(), buf.data(), buf.size()) != -1) {
    if (buf[0] == '\0')
      continue;
    const char* p = buf.data();
    int from = 0, to = 0;
    bool parsed = ParseLinkLineNumbers(p, from, to);
    if (parsed)
      onLine(from, to, buf.data(), p);
    int matches = 0;
    if (parsed)
      project.ForEachLink(from, to, [&](int k) {
        if (CDrawLine* line = g_LineArray.GetAt(k)) {
          mark(*line, buf.data());
          ++matches;
        }
      });
    if (matches == 0) {
      project.ShowMessage(
          StringPrintf("Link %d->%d in file %s has not been defined in file network.dat. \nPlease check it.",
                       from, to, name));
      return;
    }
  }
}

}  // namespace

bool CProject::ReadLinkName()
{
  ReadLinkLines(
      *this, "LinkName.dat", kLinkNameLine, [](int, int, const char*, const char*) {},
      [](CDrawLine& line, const char* text) {
        std::size_t len = std::strlen(text);
        line.m_szName = len > 10 ? std::string(text + 10, std::min(len - 10, kLinkNameMax)) : std::string();
      });
  return true;
}

bool CProject::ReadDetector()
{
  ReadLinkLines(
      *this, "Detector.dat", kLinkMarkLine, [](int, int, const char*, const char*) {},
      [](CDrawLine& line, const char*) { line.m_bHasDetector = true; });
  return true;
}

bool CProject::ReadCCTV()
{
  ReadLinkLines(
      *this, "CCTV.dat", kLinkMarkLine,
      [](int from, int to, const char*, const char* rest) {
        while (*rest == ' ' || *rest == '\t')
          ++rest;
        std::size_t n = 0;
        while (rest[n] && rest[n] != ' ' && rest[n] != '\t' && n < kCCTVFileAddressMax)
          ++n;
        auto* cam = new CDrawCCTV;
        cam->m_bIconPlaced = false;  // until PlaceCameraIcons finds its link
        cam->m_nLinkFromNode = from;
        cam->m_nLinkToNode = to;
        cam->m_szAddress.assign(rest, n);
        g_CCTVArray.Add(cam);
      },
      [](CDrawLine& line, const char*) { line.m_bHasCCTV = true; });
  PlaceCameraIcons();
  return true;
}

bool CProject::ReadControl()
{
  UniqueFile file = OpenFile(DataPath("control.dat"), "r");
  if (!file)
    return true;
  std::FILE* f = file.get();
  const std::string shortText = StringPrintf(
      "File control.dat ends before the control types of all %d nodes.\nPlease check it.", m_nNodeCount);
  std::optional<int> k = fields::NextUnsignedInt(f);
  if (!k) {
    ShowMessage(shortText);
    return true;
  }
  for (int i = 0; i < *k; ++i)
    if (!fields::NextReal(f)) {
      ShowMessage(shortText);
      return true;
    }
  for (int i = 0; i < m_nNodeCount; ++i) {
    CDrawNode* node = g_NodeArray.GetAt(i);
    if (!node)
      break;
    node->m_nNodeNumber = m_NodeNumber[i];
    std::optional<int> type;
    if (!fields::NextReal(f) || !(type = fields::NextUnsignedInt(f)) || !fields::NextReal(f) ||
        !fields::NextReal(f)) {
      ShowMessage(shortText);
      return true;
    }
    node->m_nControlType = *type;
  }
  return true;
}

bool CProject::LoadNetworkData()
{
  const bool ok = ReadProjectFiles();
  TellUnreadScenarioFiles();
  return ok;
}

bool CProject::ReadProjectFiles()
{
  m_bEnded = false;
  m_LastLoadResult = LoadResult::NotRun;
  ClearForLoad();

  ShowStatus("  Reading network.dat");
  m_nSuperZoneFlag = 0;
  if (!ReadNetwork())
    return false;

  ShowStatus("  Reading xy.dat");
  if (!ReadXY())
    return false;

  ShowStatus("  Reading linkxy.dat");
  ReadLinkXY();
  if (m_bEnded)
    return Fail(LoadResult::Ended, "");
  ShowStatus("  Reading linkname.dat");
  ReadLinkName();
  ReadDetector();
  ReadCCTV();

  ShowStatus("  Reading control.dat");
  ReadControl();

  ReadScheduler();
  StartRealTimeReader();
  ReadIncidentList();

  ReadVMSList(g_VMSArrayPredict, "predict");
  ReadVMSList(g_VMSArrayPredict1, "predict1");
  ReadVMSList(g_VMSArray, m_szDataDir);

  m_bProjectLoaded = true;
  m_LastLoadResult = LoadResult::Loaded;
  ShowStatus("");
  return true;
}

bool CProject::LoadProjectAndWriteBack()
{
  const bool ok = ReadProjectFiles();
  if (ok) {
    WriteIncidents();
    WriteVMS();
  }
  TellUnreadScenarioFiles();
  return ok;
}
