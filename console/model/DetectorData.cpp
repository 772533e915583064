#include "DetectorData.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <unistd.h>

#include "FieldReaders.h"
#include "FileHandle.h"
#include "NumericLocale.h"

CDetectorDataModule g_DetectorModule;

namespace {

struct DocFree
{
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct CtxFree
{
  void operator()(xmlXPathContext* c) const { xmlXPathFreeContext(c); }
};
struct ObjFree
{
  void operator()(xmlXPathObject* o) const { xmlXPathFreeObject(o); }
};

std::string Trim(const std::string& s)
{
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
    ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
    --e;
  return s.substr(b, e - b);
}

std::string NodeText(xmlNode* n)
{
  if (!n)
    return {};
  xmlChar* t = xmlNodeGetContent(n);
  std::string s = t ? reinterpret_cast<const char*>(t) : "";
  xmlFree(t);
  return s;
}

// Decimal real of a text, in the "C" notation whatever the locale; 0 when
// the text holds no number.
double TextToReal(const std::string& text)
{
  std::string s = Trim(text);
  size_t b = (!s.empty() && s[0] == '+') ? 1 : 0;
  double v = 0.0;
  auto r = std::from_chars(s.data() + b, s.data() + s.size(), v);
  return r.ec == std::errc() ? v : 0.0;
}

int TextToInt(const std::string& text)
{
  std::string s = Trim(text);
  size_t b = (!s.empty() && s[0] == '+') ? 1 : 0;
  long long v = 0;
  auto r = std::from_chars(s.data() + b, s.data() + s.size(), v);
  if (r.ec != std::errc())
    return 0;
  if (v > INT_MAX)
    return INT_MAX;
  if (v < INT_MIN)
    return INT_MIN;
  return static_cast<int>(v);
}

xmlNode* FirstChildElement(xmlNode* parent, const char* name)
{
  if (!parent)
    return nullptr;
  for (xmlNode* c = parent->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(c->name), name) == 0)
      return c;
  return nullptr;
}

// First node that an XPath expression selects, or null.
xmlNode* SelectFirst(xmlXPathContext* ctx, const std::string& expr)
{
  std::unique_ptr<xmlXPathObject, ObjFree> obj(
      xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expr.c_str()), ctx));
  if (!obj || obj->type != XPATH_NODESET || !obj->nodesetval || obj->nodesetval->nodeNr < 1)
    return nullptr;
  return obj->nodesetval->nodeTab[0];
}

std::optional<int> SelectInt(xmlXPathContext* ctx, const std::string& expr)
{
  xmlNode* n = SelectFirst(ctx, expr);
  if (!n)
    return std::nullopt;
  return TextToInt(NodeText(n));
}

void InitXml()
{
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

}  // namespace

bool CDetectorDataModule::LoadDetectors(const std::string& dir)
{
  for (CDetector& d : m_Detectors)
    d.m_Reports.clear();
  m_Detectors.clear();

  UniqueFile f = OpenFile(dir + "/Detector_Velmora.txt", "r");
  if (!f)
    return false;
  std::optional<int> count = fields::NextSignedInt(f.get());
  std::optional<int> second = count ? fields::NextSignedInt(f.get()) : std::nullopt;
  if (!count || !second)
    return false;
  m_nDetectorCount = *count;
  m_nHeaderValue2 = *second;
  for (int i = 0; i < m_nDetectorCount; ++i) {
    CDetector d;
    d.m_nNumber = i + 1;
    std::optional<std::string> name = fields::NextToken(f.get());
    std::optional<int> id = name ? fields::NextSignedInt(f.get()) : std::nullopt;
    std::optional<int> from = id ? fields::NextSignedInt(f.get()) : std::nullopt;
    std::optional<int> to = from ? fields::NextSignedInt(f.get()) : std::nullopt;
    if (!to)
      return false;
    d.m_szName = *name;
    d.m_nId = *id;
    d.m_nFromNode = *from;
    d.m_nToNode = *to;
    m_Detectors.push_back(std::move(d));
  }
  return true;
}

bool CDetectorDataModule::LoadDetectorReports(const std::string& source, int n)
{
  InitXml();
  m_szDocumentSource = source;
  m_nPeriods = n;
  m_nItemCount = m_nCurrentItemCount = m_nReportCount = -1;

  std::unique_ptr<xmlDoc, DocFree> doc(
      xmlReadFile(source.c_str(), nullptr,
                  XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc)
    return false;
  std::unique_ptr<xmlXPathContext, CtxFree> ctx(xmlXPathNewContext(doc.get()));
  if (!ctx)
    return false;

  const std::string period = "//detectorData/collection-period/";
  std::optional<int> items = SelectInt(ctx.get(), period + "number-of-collection-period-items");
  std::optional<int> current = SelectInt(ctx.get(), period + "current-number-of-collection-period-items");
  std::optional<int> reports = SelectInt(ctx.get(), period + "number-of-detector-reports");
  if (!items || !current || !reports)
    return false;
  m_nItemCount = *items;
  m_nCurrentItemCount = *current;
  m_nReportCount = *reports;  // read and not used: every period has 20 reports
  if (n > m_nCurrentItemCount)
    return false;

  for (CDetector& d : m_Detectors)
    d.m_Reports.clear();

  bool all = true;
  int index = 0;
  for (int k = 0; k < n; ++k) {
    index = k == 0 ? m_nFirstTimeIndex : static_cast<int>(index + m_dTimeStep);
    char text[16];
    std::snprintf(text, sizeof text, "%d", index);
    xmlNode* at = SelectFirst(
        ctx.get(), period + "collection-period-item/detection-absolute-time-index[text()='" + text + "']");
    // An indented document keeps the line break and blanks after the index
    // in the same text node; the index is then compared without them.
    if (!at)
      at = SelectFirst(ctx.get(), period +
                                      "collection-period-item/detection-absolute-time-index"
                                      "[normalize-space(text())='" +
                                      text + "']");
    // The reports stand under the time index; a document that puts them
    // beside it, in the same collection-period item, is read too.
    xmlNode* list = FirstChildElement(at, "detector-reports");
    if (!list && at)
      list = FirstChildElement(at->parent, "detector-reports");
    if (!list) {
      all = false;
      continue;
    }
    size_t r = 0;
    for (xmlNode* rep = list->children; rep && r < kDetectorReportsPerPeriod; rep = rep->next) {
      if (rep->type != XML_ELEMENT_NODE)
        continue;
      if (r < m_Detectors.size()) {
        CDetectorData data;
        data.m_dDensity = TextToReal(NodeText(FirstChildElement(rep, "detector-observedata-density")));
        data.m_dFlow = TextToReal(NodeText(FirstChildElement(rep, "detector-observedata-flow")));
        data.m_szLocalDate = Trim(NodeText(FirstChildElement(rep, "local-date")));
        data.m_szLocalTime = Trim(NodeText(FirstChildElement(rep, "local-time")));
        data.m_nAbsTimeIndex = TextToInt(NodeText(FirstChildElement(rep, "absolute-time-index")));
        m_Detectors[r].m_Reports.push_back(std::move(data));
      }
      ++r;
    }
  }
  return all;
}

bool CDetectorDataModule::WriteDetectorData(const std::string& dir) const
{
  UniqueFile f = OpenFile(dir + "/DetectorData.dat", "w");
  if (!f)
    return false;
  CNumericLocaleScope c_locale;
  std::fputs("number\tfrom\tto\tdensity\n", f.get());
  size_t periods = m_Detectors.empty() ? 0 : m_Detectors[0].m_Reports.size();
  for (size_t p = 0; p < periods; ++p)
    for (size_t d = 0; d < m_Detectors.size(); ++d) {
      const CDetector& det = m_Detectors[d];
      if (p >= det.m_Reports.size())
        continue;  // a detector with fewer periods than the first has no line
      std::fprintf(f.get(), "%d\t%d\t%d\t%d\t%.2f\n", static_cast<int>(p + 1), static_cast<int>(d + 1),
                   det.m_nFromNode, det.m_nToNode, det.m_Reports[p].m_dDensity);
    }
  return CloseWritten(std::move(f));
}

std::string DetectorModuleDirectory()
{
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0)
    return "./";
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}
