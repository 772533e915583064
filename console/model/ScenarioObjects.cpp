#include "ScenarioObjects.h"

#include <algorithm>
#include <cstdio>

#include "FieldReaders.h"
#include "FileHandle.h"
#include "NumericLocale.h"

namespace {

// The line (1-based) of what was read last: the line of the read position,
// or the line before when a line end was the last character read.
int LineAt(std::FILE* f)
{
  const long pos = std::ftell(f);
  if (pos < 0)
    return 0;
  std::rewind(f);
  int line = 1;
  for (long i = 0; i + 1 < pos; ++i) {
    const int c = std::fgetc(f);
    if (c == EOF)
      break;
    line += c == '\n' ? 1 : 0;
  }
  std::fseek(f, pos, SEEK_SET);
  return line;
}

// Notes a fault of record (1-based) at the read position: the first one
// is kept.
void Fault(ScenarioReadResult& res, ScenarioReadStatus status, int record, std::FILE* f)
{
  res.status = status;
  if (res.line == 0) {
    res.line = LineAt(f);
    res.record = record;
  }
}

// Opens path for reading and reads its leading record count with next.
// Null when either fails, with res.status saying which; else the count is
// res.declared.
UniqueFile OpenCounted(const std::string& path, std::optional<int> (*next)(fields::CharSource),
                       ScenarioReadResult& res)
{
  UniqueFile f = OpenFile(path, "r");
  if (!f) {
    res.status = ScenarioReadStatus::kNotOpened;
    return nullptr;
  }
  std::optional<int> count = next(f.get());
  if (!count) {
    Fault(res, ScenarioReadStatus::kShort, 0, f.get());
    return nullptr;
  }
  res.declared = *count;
  return f;
}

}  // namespace

CVMS::CVMS(const CVMS& other)
{
  *this = other;
}

CVMS& CVMS::operator=(const CVMS& other)
{
  if (this == &other)
    return *this;
  m_nType = other.m_nType;
  m_nFromNode = other.m_nFromNode;
  m_nToNode = other.m_nToNode;
  m_nParam1 = other.m_nParam1;
  m_nParam2 = other.m_nParam2;
  m_dStart = other.m_dStart;
  m_dEnd = other.m_dEnd;
  m_nDetourCount = other.m_nDetourCount;
  int n = std::clamp(other.m_nDetourCount, 0, kVMSMaxDetourNodes);
  std::copy(other.m_nDetourNodes, other.m_nDetourNodes + n, m_nDetourNodes);
  std::fill(m_nDetourNodes + n, m_nDetourNodes + kVMSMaxDetourNodes, 0);
  return *this;
}

ScenarioReadResult ReadVMSFile(const std::string& path, std::vector<std::unique_ptr<CVMS>>& out)
{
  ScenarioReadResult res;
  UniqueFile f = OpenCounted(path, fields::NextSignedInt, res);
  if (!f)
    return res;
  std::FILE* in = f.get();
  for (int s = 0; s < res.declared; ++s) {
    auto sign = std::make_unique<CVMS>();
    int* ints[] = {&sign->m_nType, &sign->m_nFromNode, &sign->m_nToNode, &sign->m_nParam1, &sign->m_nParam2};
    for (int* v : ints) {
      std::optional<int> x = fields::NextSignedInt(in);
      if (!x) {
        Fault(res, ScenarioReadStatus::kShort, s + 1, in);
        return res;
      }
      *v = *x;
    }
    std::optional<double> start = fields::NextReal(in);
    std::optional<double> end = start ? fields::NextReal(in) : std::nullopt;
    if (!end) {
      Fault(res, ScenarioReadStatus::kShort, s + 1, in);
      return res;
    }
    sign->m_dStart = *start;
    sign->m_dEnd = *end;
    bool refused = false;
    if (sign->m_nType == kVMSMandatoryDetour) {
      int n = sign->m_nParam2;
      refused = n < 0 || n > kVMSMaxDetourNodes;
      if (refused)
        Fault(res, ScenarioReadStatus::kRefused, s + 1, in);
      // A refused sign's nodes are still read past, so that the signs after
      // it are read from their own lines.
      for (int i = 0; i < n; ++i) {
        std::optional<int> node = fields::NextSignedInt(in);
        if (!node) {
          Fault(res, ScenarioReadStatus::kShort, s + 1, in);
          return res;
        }
        if (!refused)
          sign->m_nDetourNodes[i] = *node;
      }
      if (!refused)
        sign->m_nDetourCount = n;
    }
    if (refused)
      continue;
    out.push_back(std::move(sign));
    ++res.taken;
  }
  return res;
}

bool WriteVMSFile(const std::string& path, const std::vector<const CVMS*>& signs)
{
  UniqueFile f = OpenFile(path, "w");
  if (!f)
    return false;
  CNumericLocaleScope c_locale;
  std::FILE* o = f.get();
  std::fprintf(o, "%d\n", static_cast<int>(signs.size()));
  for (const CVMS* v : signs) {
    int param2 = v->m_nParam2;
    if (v->m_nType == kVMSMandatoryDetour)
      param2 = std::clamp(param2, 0, kVMSMaxDetourNodes);
    std::fprintf(o, "%7d%7d%7d%7d%7d   %2.1f  %2.1f \n", v->m_nType, v->m_nFromNode, v->m_nToNode,
                 v->m_nParam1, param2, v->m_dStart, v->m_dEnd);
    if (v->m_nType == kVMSMandatoryDetour) {
      for (int i = 0; i < param2; ++i)
        std::fprintf(o, "%7d", v->m_nDetourNodes[i]);
      std::fprintf(o, "\n");
    }
  }
  return CloseWritten(std::move(f));
}

ScenarioReadResult ReadIncidentFile(const std::string& path, std::vector<std::unique_ptr<CIncident>>& out)
{
  ScenarioReadResult res;
  UniqueFile f = OpenCounted(path, fields::NextUnsignedInt, res);
  if (!f)
    return res;
  std::FILE* in = f.get();
  for (int k = 0; k < res.declared; ++k) {
    std::optional<int> from = fields::NextUnsignedInt(in);
    std::optional<int> to = from ? fields::NextUnsignedInt(in) : std::nullopt;
    std::optional<double> start = to ? fields::NextReal(in) : std::nullopt;
    std::optional<double> end = start ? fields::NextReal(in) : std::nullopt;
    std::optional<double> severity = end ? fields::NextReal(in) : std::nullopt;
    if (!severity) {
      Fault(res, ScenarioReadStatus::kShort, k + 1, in);
      return res;
    }
    auto inc = std::make_unique<CIncident>();
    inc->m_nFromNode = *from;
    inc->m_nToNode = *to;
    inc->m_fStart = static_cast<float>(*start);
    inc->m_fEnd = static_cast<float>(*end);
    inc->m_fSeverity = static_cast<float>(*severity);
    out.push_back(std::move(inc));
    ++res.taken;
  }
  return res;
}

bool WriteIncidentFile(const std::string& path, const std::vector<const CIncident*>& incidents)
{
  UniqueFile f = OpenFile(path, "w");
  if (!f)
    return false;
  CNumericLocaleScope c_locale;
  std::FILE* o = f.get();
  std::fprintf(o, "%d\n", static_cast<int>(incidents.size()));
  for (const CIncident* i : incidents)
    std::fprintf(o, "%7d   %7d  %2.1f  %2.1f %2.1f\n", i->m_nFromNode, i->m_nToNode, i->m_fStart, i->m_fEnd,
                 i->m_fSeverity);
  return CloseWritten(std::move(f));
}
