#include "VMSLogic.h"
#include "StringPrintf.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "CDrawLine.h"
#include "CommandSender.h"
#include "DialogLists.h"
#include "SentList.h"

const char* const kVMSTypeNames[4] = {"Speed Advisory", "Mandatory Detour", "Congestion Warning",
                                      "Optional Detour"};

const char kSubPathFullMessage[] = "Please ensure that the sub-path holds no more than 99 links!";

namespace {

bool IsDetour(int type)
{
  return type == kVMSMandatoryDetour || type == kVMSOptionalDetour;
}

int DetourCount(const CVMS& sign)
{
  return std::clamp(sign.m_nDetourCount, 0, kVMSMaxDetourNodes);
}

std::string NodeText(const int* nodes, int count)
{
  std::string text;
  for (int i = 0; i < count; ++i)
    text += StringPrintf(" %d", nodes[i]);
  return text;
}

}  // namespace

VMSTypeControls ControlsForType(int type)
{
  switch (type) {
  case kVMSMandatoryDetour: return {"", "", "", "", false, true, false};
  case kVMSCongestionWarning:
    return {"Response rate for VMS responsive user class",
            "Path preference (1 = best, 0 = random)",
            "100",
            "1",
            true,
            false,
            false};
  case kVMSOptionalDetour: return {"", "", "", "", false, true, true};
  default: return {"Speed threshold", "Percentage of change", "40", "10", true, false, false};
  }
}

int LeadingInt(const std::string& text)
{
  errno = 0;
  const long v = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
}

std::unique_ptr<CVMS> BuildVMS(const VMSControls& c, const std::vector<int>& subPath, IMessageSink& sink)
{
  const CDrawLine* link = LinkAtRow(c.linkRow);
  if (!link)
    return nullptr;
  auto sign = std::make_unique<CVMS>();
  bool failed = false;
  auto fail = [&](const char* message) {
    sink.ShowMessage(message);
    failed = true;
  };

  sign->m_nType = c.type;
  sign->m_nFromNode = link->m_nFromNode;
  sign->m_nToNode = link->m_nToNode;
  TimeWindow w;
  if (!TimeWindowFromItems(c.startItem, c.endItem, w))
    fail(" Please ensure the start time is before the end time!");
  sign->m_dStart = w.start;
  sign->m_dEnd = w.end;

  switch (c.type) {
  case kVMSSpeedAdvisory:
    sign->m_nParam1 = LeadingInt(c.param1);
    sign->m_nParam2 = LeadingInt(c.param2);
    if (sign->m_nParam1 < -100 || sign->m_nParam1 > 100)
      fail(" Please ensure that the first parameter is between -100 and 100!");
    if (sign->m_nParam2 < 0 || sign->m_nParam2 > 100)
      fail(" Please ensure the second parameter is between 0 and 100!");
    break;
  case kVMSCongestionWarning:
    sign->m_nParam1 = LeadingInt(c.param1);
    sign->m_nParam2 = LeadingInt(c.param2);
    if (sign->m_nParam1 < 0 || sign->m_nParam1 > 100)
      fail(" Please ensure that the first parameter is between 0 and 100!");
    if (sign->m_nParam2 != 0 && sign->m_nParam2 != 1)
      fail(" Please ensure that the second parameter is either 0 or 1!");
    break;
  case kVMSMandatoryDetour:
  case kVMSOptionalDetour: {
    const int count = static_cast<int>(std::min<std::size_t>(subPath.size(), kVMSMaxDetourNodes));
    sign->m_nParam1 = 100;
    sign->m_nParam2 = count;
    sign->m_nDetourCount = count;
    std::copy_n(subPath.begin(), count, sign->m_nDetourNodes);
    if (count == 0)
      fail(" Please ensure that the sub-path contains at least one link!");
    else if (!failed && sign->m_nDetourNodes[0] != link->m_nToNode)
      fail(" Please ensure that the sub-path starts from the downstream node of the VMS link!");
    break;
  }
  default: return nullptr;  // no radio gives another type
  }
  if (failed)
    return nullptr;
  return sign;
}

std::string VMSListLine(const CVMS& v)
{
  const std::string no = LinkNumberText(v.m_nFromNode, v.m_nToNode, 0);
  const char* name = v.m_nType >= 1 && v.m_nType <= 4 ? kVMSTypeNames[v.m_nType - 1] : "VMS";
  std::string head = StringPrintf("%s: Link No.%s: %d->%d, Time:[%2.0f,%2.0f]", name, no.c_str(),
                                  v.m_nFromNode, v.m_nToNode, v.m_dStart, v.m_dEnd);
  switch (v.m_nType) {
  case kVMSSpeedAdvisory:
    return head + StringPrintf(", Threshold:%d, Percentage:%d%%", v.m_nParam1, v.m_nParam2);
  case kVMSCongestionWarning:
    return head + StringPrintf(", Response rate: %d%%, Path pref. %d", v.m_nParam1, v.m_nParam2);
  case kVMSMandatoryDetour:
  case kVMSOptionalDetour:
    return head + StringPrintf(", Sub-path: (%d nodes) ", DetourCount(v)) +
           NodeText(v.m_nDetourNodes, DetourCount(v));
  default: return head + StringPrintf(", Type:%d, Parameters:%d,%d", v.m_nType, v.m_nParam1, v.m_nParam2);
  }
}

std::vector<int> SubPathFromLinks(const std::vector<int>& linkRows)
{
  std::vector<int> nodes;
  const CDrawLine* last = nullptr;
  for (int row : linkRows) {
    if (static_cast<int>(nodes.size()) >= kSubPathMaxLinks)
      break;
    const CDrawLine* link = LinkAtRow(row);
    if (!link)
      continue;
    nodes.push_back(link->m_nFromNode);
    last = link;
  }
  if (last)
    nodes.push_back(last->m_nToNode);
  return nodes;
}

std::array<int, kVMSMaxDetourNodes> VMSSendNodes(const CVMS& sign)
{
  std::array<int, kVMSMaxDetourNodes> nodes{};
  if (IsDetour(sign.m_nType))
    std::copy_n(sign.m_nDetourNodes, DetourCount(sign), nodes.begin());
  return nodes;
}

int SendVMSCommand(ICommandSender& sender, int action, const CVMS& v)
{
  const int params[2] = {v.m_nParam1, v.m_nParam2};
  const std::array<int, kVMSMaxDetourNodes> nodes = VMSSendNodes(v);
  return sender.SendVMS(action, v.m_nType, v.m_nFromNode, v.m_nToNode, params, static_cast<float>(v.m_dStart),
                        static_cast<float>(v.m_dEnd), nodes.data());
}

CTypedObArray<CVMS>& VMSListOfKind(int kind)
{
  switch (kind) {
  case 1: return g_VMSArrayPredict;
  case 2: return g_VMSArrayPredict1;
  default: return g_VMSArray;
  }
}

// ---- VMSEditor ----------------------------------------------------------------

std::vector<std::string> VMSEditor::ListLines() const
{
  std::vector<std::string> lines;
  for (const auto& v : ShownList())
    lines.push_back(VMSListLine(*v));
  return lines;
}

void VMSEditor::ChooseInstance(int instance)
{
  if (m_foresim && (instance == 0 || instance == 1))
    m_instance = instance;
}

VMSTypeControls VMSEditor::ChooseType(int type)
{
  VMSTypeControls controls = ControlsForType(type);
  if (controls.clearsSubPath)
    m_subPath.clear();
  return controls;
}

SubPathCaptions VMSEditor::TakeSubPath(const std::vector<int>& linkRows)
{
  m_subPath = SubPathFromLinks(linkRows);
  SubPathCaptions captions;
  captions.caption1 = StringPrintf("Number of nodes in the sub-path: %d", static_cast<int>(m_subPath.size()));
  captions.caption2 = "Sub-path:" + NodeText(m_subPath.data(), static_cast<int>(m_subPath.size()));
  return captions;
}

SentList<CVMS> VMSEditor::EstimationSigns()
{
  return {g_VMSArray, SendVMSCommand, m_sender, m_sink};
}

void VMSEditor::MarkShownChanged()
{
  if (m_foresim)
    m_changed[m_instance] = true;
}

bool VMSEditor::Add(const VMSControls& c)
{
  std::unique_ptr<CVMS> sign = BuildVMS(c, m_subPath, m_sink);
  if (!sign)
    return false;
  if (!m_foresim)
    return EstimationSigns().Add(std::move(sign));
  ShownList().Add(std::move(sign));
  MarkShownChanged();
  return true;
}

bool VMSEditor::Change(int line, const VMSControls& c)
{
  if (!ShownList().GetAt(line)) {
    m_sink.ShowMessage(" Please select a VMS from VMS list");
    return false;
  }
  if (!LinkAtRow(c.linkRow)) {
    m_sink.ShowMessage(" Please select a link!");
    return false;
  }
  std::unique_ptr<CVMS> sign = BuildVMS(c, m_subPath, m_sink);
  if (!sign)
    return false;
  if (!m_foresim)
    return EstimationSigns().Change(line, [&] { return std::move(sign); });
  ShownList().RemoveAt(line);
  ShownList().InsertAt(line, sign.release());
  MarkShownChanged();
  return true;
}

bool VMSEditor::Delete(int line)
{
  if (!m_foresim)
    return EstimationSigns().Delete(line);
  if (!ShownList().RemoveAt(line))
    return false;
  MarkShownChanged();
  return true;
}

bool VMSEditor::Show(int line, VMSShown& shown)
{
  const CVMS* v = ShownList().GetAt(line);
  if (!v)
    return false;
  shown.linkRow = LinkPositionByNodes(v->m_nFromNode, v->m_nToNode);
  shown.startItem = StartItemOf(v->m_dStart);
  shown.endItem = EndItemOf(v->m_dEnd);
  shown.type = v->m_nType;
  shown.controls = ControlsForType(v->m_nType);
  shown.controls.clearsSubPath = false;
  if (IsDetour(v->m_nType)) {
    const int count = DetourCount(*v);
    m_subPath.assign(v->m_nDetourNodes, v->m_nDetourNodes + count);
    shown.controls.caption1 =
        StringPrintf("Sub-path: (%d nodes) ", count) + NodeText(v->m_nDetourNodes, count);
    shown.controls.caption2.clear();
  } else {
    shown.controls.edit1 = std::to_string(v->m_nParam1);
    shown.controls.edit2 = std::to_string(v->m_nParam2);
  }
  return true;
}

bool VMSEditor::WriteChangedLists()
{
  static const char* const dirs[2] = {"predict", "predict1"};
  bool ok = true;
  for (int i = 0; i < 2; ++i) {
    if (!m_changed[i])
      continue;
    if (g_Project.WriteVMSTo(VMSListOfKind(i + 1), dirs[i])) {
      m_changed[i] = false;
    } else {
      m_sink.ShowMessage(StringPrintf("The file %s/vms.dat cannot be written.", dirs[i]));
      ok = false;
    }
  }
  return ok;
}

// ---- SubPathEditor ------------------------------------------------------------

bool SubPathEditor::AddLink(int row, IMessageSink& sink)
{
  const CDrawLine* link = LinkAtRow(row);
  if (!link)
    return false;
  if (static_cast<int>(m_links.size()) >= kSubPathMaxLinks) {
    sink.ShowMessage(kSubPathFullMessage);
    return false;
  }
  if (m_links.empty()) {
    if (link->m_nFromNode != m_downstreamNode) {
      sink.ShowMessage("Please ensure that the sub-path starts from the downstream node of the VMS link!");
      return false;
    }
  } else if (link->m_nFromNode != LinkAtRow(m_links.back())->m_nToNode) {
    sink.ShowMessage("Please ensure that the selected link connects to the tail node of sub-path!");
    return false;
  }
  m_links.push_back(row);
  return true;
}

void SubPathEditor::RemoveLast()
{
  if (!m_links.empty())
    m_links.pop_back();
}

std::vector<std::string> SubPathEditor::SequenceLines() const
{
  std::vector<std::string> lines;
  for (int row : m_links)
    lines.push_back(LinkListLine(*LinkAtRow(row), LinkLineSpacing::kTwo));
  return lines;
}
