// The VMS dialog's logic and its sub-path editor: the type controls, the
// checks of each type, the list lines, the sends of the estimation's list,
// the prediction instances' lists and their vms.dat, and the sub-path rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "DialogFixtures.h"
#include "DialogLists.h"
#include "TempFiles.h"
#include "VMSLogic.h"

using dialogs::LoadedNetwork;

namespace {

class VMSLogic : public LoadedNetwork
{};

// The sign of link 0 (10->20) with a detour 20->30->40 (links 1 and 3).
const std::vector<int> kDetourRows = {1, 3};
const std::vector<int> kDetourNodes = {20, 30, 40};

VMSControls Controls(int type, std::string p1 = "40", std::string p2 = "10")
{
  VMSControls c;
  c.type = type;
  c.param1 = std::move(p1);
  c.param2 = std::move(p2);
  return c;
}

std::unique_ptr<CVMS> Sign(int type, int from, int to, int p1, int p2, double start, double end,
                           std::vector<int> nodes = {})
{
  auto v = std::make_unique<CVMS>();
  v->m_nType = type;
  v->m_nFromNode = from;
  v->m_nToNode = to;
  v->m_nParam1 = p1;
  v->m_nParam2 = p2;
  v->m_dStart = start;
  v->m_dEnd = end;
  v->m_nDetourCount = static_cast<int>(nodes.size());
  std::copy(nodes.begin(), nodes.end(), v->m_nDetourNodes);
  return v;
}

VMSMsgArg Arg(int type, int from, int to, int p1, int p2, float start, float end, std::vector<int> path = {})
{
  VMSMsgArg a;
  a.type = type;
  a.from_node = from;
  a.to_node = to;
  a.params[0] = p1;
  a.params[1] = p2;
  a.start = start;
  a.end = end;
  std::copy(path.begin(), path.end(), a.path);
  return a;
}

TEST(VMSTypes, ControlsOfEachType)
{
  EXPECT_EQ(ControlsForType(1),
            (VMSTypeControls{"Speed threshold", "Percentage of change", "40", "10", true, false, false}));
  EXPECT_EQ(ControlsForType(2), (VMSTypeControls{"", "", "", "", false, true, false}));
  EXPECT_EQ(ControlsForType(3),
            (VMSTypeControls{"Response rate for VMS responsive user class",
                             "Path preference (1 = best, 0 = random)", "100", "1", true, false, false}));
  EXPECT_EQ(ControlsForType(4), (VMSTypeControls{"", "", "", "", false, true, true}));
}

TEST(VMSTypes, LeadingIntegerOfAnEdit)
{
  const std::pair<const char*, int> cases[] = {
      {"40", 40}, {" -20", -20}, {"12abc", 12}, {"abc", 0},
      {"", 0},    {"+7", 7},     {"1e3", 1},    {"99999999999", INT_MAX}};
  for (const auto& [text, value] : cases)
    EXPECT_EQ(LeadingInt(text), value) << text;
}

TEST_F(VMSLogic, BuildChecksPerType)
{
  const std::string time = " Please ensure the start time is before the end time!";
  const std::string p1Type1 = " Please ensure that the first parameter is between -100 and 100!";
  const std::string p2Type1 = " Please ensure the second parameter is between 0 and 100!";
  const std::string p1Type3 = " Please ensure that the first parameter is between 0 and 100!";
  const std::string p2Type3 = " Please ensure that the second parameter is either 0 or 1!";
  const std::string noLink = " Please ensure that the sub-path contains at least one link!";
  const std::string downstream =
      " Please ensure that the sub-path starts from the downstream node of the VMS link!";
  struct Case
  {
    const char* name;
    VMSControls c;
    std::vector<int> subPath;
    std::vector<std::string> messages;
    int p1, p2;  // of the built sign
  };
  auto timeError = [](VMSControls c) {
    c.startItem = 100;
    c.endItem = 98;
    return c;
  };
  const Case cases[] = {
      {"type 1 opening values", Controls(1), {}, {}, 40, 10},
      {"type 1 lower bounds", Controls(1, "-100", "0"), {}, {}, -100, 0},
      {"type 1 upper bounds", Controls(1, "100", "100"), {}, {}, 100, 100},
      {"type 1 first below", Controls(1, "-101", "10"), {}, {p1Type1}, 0, 0},
      {"type 1 first above", Controls(1, "101", "10"), {}, {p1Type1}, 0, 0},
      {"type 1 second below", Controls(1, "40", "-1"), {}, {p2Type1}, 0, 0},
      {"type 1 second above", Controls(1, "40", "101"), {}, {p2Type1}, 0, 0},
      {"type 1 every check fails", timeError(Controls(1, "500", "500")), {}, {time, p1Type1, p2Type1}, 0, 0},
      {"type 1 no numbers read as 0", Controls(1, "fast", ""), {}, {}, 0, 0},
      {"type 3 bounds", Controls(3, "0", "0"), {}, {}, 0, 0},
      {"type 3 upper", Controls(3, "100", "1"), {}, {}, 100, 1},
      {"type 3 first below", Controls(3, "-1", "1"), {}, {p1Type3}, 0, 0},
      {"type 3 first above", Controls(3, "101", "1"), {}, {p1Type3}, 0, 0},
      {"type 3 second 2", Controls(3, "50", "2"), {}, {p2Type3}, 0, 0},
      {"type 2 detour", Controls(2), kDetourNodes, {}, 100, 3},
      {"type 4 detour", Controls(4), kDetourNodes, {}, 100, 3},
      {"type 2 empty sub-path", Controls(2), {}, {noLink}, 0, 0},
      {"type 4 empty sub-path with a time error", timeError(Controls(4)), {}, {time, noLink}, 0, 0},
      {"type 2 starting elsewhere", Controls(2), {30, 40}, {downstream}, 0, 0},
      {"type 2 starting elsewhere after a time error", timeError(Controls(2)), {30, 40}, {time}, 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    prompts.Clear();
    std::unique_ptr<CVMS> v = BuildVMS(k.c, k.subPath, prompts);
    EXPECT_EQ(prompts.messages, k.messages);
    ASSERT_EQ(v != nullptr, k.messages.empty());
    if (!v)
      continue;
    EXPECT_EQ(v->m_nType, k.c.type);
    EXPECT_EQ(v->m_nFromNode, 10);
    EXPECT_EQ(v->m_nToNode, 20);
    EXPECT_EQ(v->m_nParam1, k.p1);
    EXPECT_EQ(v->m_nParam2, k.p2);
    EXPECT_EQ(v->m_dStart, 0.0);
    EXPECT_EQ(v->m_dEnd, 100.0);
    EXPECT_EQ(v->m_nDetourCount, static_cast<int>(k.subPath.size()));
    EXPECT_TRUE(std::equal(k.subPath.begin(), k.subPath.end(), v->m_nDetourNodes));
  }
  VMSControls noLinkSelected = Controls(1);
  noLinkSelected.linkRow = -1;
  prompts.Clear();
  EXPECT_FALSE(BuildVMS(noLinkSelected, {}, prompts));
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(VMSLogic, ListLinesPerType)
{
  g_VMSArray.Add(Sign(1, 10, 20, -20, 10, 0, 100));
  g_VMSArray.Add(Sign(2, 10, 20, 100, 3, 5, 60, kDetourNodes));
  g_VMSArray.Add(Sign(3, 20, 30, 100, 1, 480, 1440));
  g_VMSArray.Add(Sign(4, 30, 40, 100, 2, 0, 1, {40, 10}));
  g_VMSArray.Add(Sign(1, 99, 98, 40, 10, 0, 1));
  VMSEditor editor(sender, prompts);
  EXPECT_EQ(editor.ListLines(),
            (std::vector<std::string>{
                "Speed Advisory: Link No.1: 10->20, Time:[ 0,100], Threshold:-20, Percentage:10%",
                "Mandatory Detour: Link No.1: 10->20, Time:[ 5,60], Sub-path: (3 nodes)  20 30 40",
                "Congestion Warning: Link No.2: 20->30, Time:[480,1440], Response rate: 100%, Path pref. 1",
                "Optional Detour: Link No.4: 30->40, Time:[ 0, 1], Sub-path: (2 nodes)  40 10",
                "Speed Advisory: Link No.?: 99->98, Time:[ 0, 1], Threshold:40, Percentage:10%",
            }));
}

TEST_F(VMSLogic, EstimationSignsAreSentAddChangeDelete)
{
  VMSEditor editor(sender, prompts);
  ASSERT_TRUE(editor.Add(Controls(1)));
  ASSERT_EQ(sender.Codes(), (std::vector<int>{44}));
  EXPECT_EQ(sender.sent[0].VMS(), Arg(1, 10, 20, 40, 10, 0, 100));  // the node list all zeros
  EXPECT_EQ(sender.sent[0].arg.length(), 428u);

  // A detour: its sub-path first, nodes past the count sent as zeros.
  editor.ChooseType(2);
  editor.TakeSubPath(kDetourRows);
  ASSERT_TRUE(editor.Add(Controls(2)));
  const VMSMsgArg detour = Arg(2, 10, 20, 100, 3, 0, 100, kDetourNodes);
  EXPECT_EQ(sender.sent[1].VMS(), detour);
  EXPECT_EQ(g_VMSArray.GetSize(), 2);

  // Change: remove of the old sign, then add of the new one.
  sender.sent.clear();
  VMSControls c = Controls(1, "-30", "20");
  c.linkRow = 3;
  c.startItem = 10;
  c.endItem = 19;
  ASSERT_TRUE(editor.Change(1, c));
  ASSERT_EQ(sender.Codes(), (std::vector<int>{45, 44}));
  EXPECT_EQ(sender.sent[0].VMS(), detour);
  const VMSMsgArg changed = Arg(1, 30, 40, -30, 20, 10, 20);
  EXPECT_EQ(sender.sent[1].VMS(), changed);
  EXPECT_EQ(g_VMSArray[1]->m_nToNode, 40);

  // Delete sends the stored sign.
  sender.sent.clear();
  ASSERT_TRUE(editor.Delete(1));
  ASSERT_EQ(sender.Codes(), (std::vector<int>{45}));
  EXPECT_EQ(sender.sent[0].VMS(), changed);
  EXPECT_EQ(g_VMSArray.GetSize(), 1);
  EXPECT_FALSE(editor.ListChanged(0));
  EXPECT_FALSE(editor.ListChanged(1));
}

TEST_F(VMSLogic, NothingSelected)
{
  VMSEditor editor(sender, prompts);
  EXPECT_FALSE(editor.Change(0, Controls(1)));
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{" Please select a VMS from VMS list"}));
  ASSERT_TRUE(editor.Add(Controls(1)));
  prompts.Clear();
  sender.sent.clear();
  VMSControls noLink = Controls(1);
  noLink.linkRow = -1;
  EXPECT_FALSE(editor.Change(0, noLink));
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{" Please select a link!"}));
  EXPECT_FALSE(editor.Add(noLink));
  EXPECT_FALSE(editor.Delete(-1));
  EXPECT_FALSE(editor.Delete(1));
  EXPECT_TRUE(sender.sent.empty());
  // A change that fails a check leaves the stored sign.
  EXPECT_FALSE(editor.Change(0, Controls(1, "200")));
  EXPECT_EQ(g_VMSArray[0]->m_nParam1, 40);
  EXPECT_TRUE(sender.sent.empty());
}

TEST_F(VMSLogic, FailedSendShowsTheErrorAndKeepsTheSign)
{
  sender.FailAll();
  VMSEditor editor(sender, prompts);
  ASSERT_TRUE(editor.Add(Controls(1)));
  ASSERT_TRUE(editor.Change(0, Controls(3, "50", "0")));
  EXPECT_EQ(prompts.messages,
            (std::vector<std::string>{"Unkonwn error occurred.", "Unkonwn error occurred."}));
  ASSERT_EQ(g_VMSArray.GetSize(), 1);
  EXPECT_EQ(g_VMSArray[0]->m_nType, 3);
}

TEST_F(VMSLogic, PredictionSignsAreKeptAndEveryChangedListWritten)
{
  VMSEditor editor(sender, prompts);
  editor.ChooseForesim();
  EXPECT_EQ(editor.ShownKind(), 1);
  ASSERT_TRUE(editor.Add(Controls(1)));
  editor.ChooseInstance(1);
  EXPECT_EQ(editor.ShownKind(), 2);
  editor.ChooseType(2);
  editor.TakeSubPath(kDetourRows);
  ASSERT_TRUE(editor.Add(Controls(2)));
  ASSERT_TRUE(editor.Add(Controls(3, "100", "1")));
  ASSERT_TRUE(editor.Change(1, Controls(3, "70", "0")));
  ASSERT_TRUE(editor.Delete(1));
  EXPECT_TRUE(sender.sent.empty());
  EXPECT_EQ(g_VMSArray.GetSize(), 0);
  EXPECT_EQ(g_VMSArrayPredict.GetSize(), 1);
  EXPECT_EQ(g_VMSArrayPredict1.GetSize(), 1);

  // The estimation target shown at OK: both changed instances are written.
  editor.ChooseNowSim();
  ASSERT_TRUE(editor.WriteChangedLists());
  EXPECT_EQ(ReadAll("predict/vms.dat"), "1\n      1     10     20     40     10   0.0  100.0 \n");
  EXPECT_EQ(ReadAll("predict1/vms.dat"),
            "1\n      2     10     20    100      3   0.0  100.0 \n     20     30     40\n");
  EXPECT_FALSE(std::filesystem::exists("estimate/vms.dat"));
  EXPECT_FALSE(editor.ListChanged(0));

  // An instance whose directory is gone is reported.
  editor.ChooseForesim();
  ASSERT_TRUE(editor.Add(Controls(1)));
  std::filesystem::remove_all("predict");
  prompts.Clear();
  EXPECT_FALSE(editor.WriteChangedLists());
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{"The file predict/vms.dat cannot be written."}));
  EXPECT_TRUE(editor.ListChanged(0));
}

TEST_F(VMSLogic, OnlyChangedInstancesAreWritten)
{
  VMSEditor editor(sender, prompts);
  ASSERT_TRUE(editor.Add(Controls(1)));
  editor.ChooseForesim();
  editor.ChooseInstance(1);
  ASSERT_TRUE(editor.WriteChangedLists());
  EXPECT_FALSE(std::filesystem::exists("predict/vms.dat"));
  EXPECT_FALSE(std::filesystem::exists("predict1/vms.dat"));
  // The instance list ignores a choice while the target is NOW_SIM.
  editor.ChooseNowSim();
  editor.ChooseInstance(1);
  EXPECT_EQ(editor.ShownKind(), 0);
}

TEST_F(VMSLogic, ShowAndTypeChoicesSetTheSubPath)
{
  g_VMSArray.Add(Sign(2, 10, 20, 100, 3, 5, 60, kDetourNodes));
  g_VMSArray.Add(Sign(3, 20, 30, 70, 0, 1500, 2000));
  g_VMSArray.Add(Sign(1, 99, 98, -20, 10, 0, 1));
  VMSEditor editor(sender, prompts);
  VMSShown shown;
  ASSERT_TRUE(editor.Show(0, shown));
  EXPECT_EQ(shown.linkRow, 0);
  EXPECT_EQ(shown.startItem, 5);
  EXPECT_EQ(shown.endItem, 59);
  EXPECT_EQ(shown.type, 2);
  EXPECT_EQ(shown.controls,
            (VMSTypeControls{"Sub-path: (3 nodes)  20 30 40", "", "", "", false, true, false}));
  EXPECT_EQ(editor.SubPath(), kDetourNodes);

  ASSERT_TRUE(editor.Show(1, shown));
  EXPECT_EQ(shown.linkRow, 1);
  EXPECT_EQ(shown.startItem, 1439);
  EXPECT_EQ(shown.endItem, 1439);
  EXPECT_EQ(shown.controls.edit1, "70");
  EXPECT_EQ(shown.controls.edit2, "0");
  EXPECT_EQ(editor.SubPath(), kDetourNodes);  // a type 3 sign leaves it

  ASSERT_TRUE(editor.Show(2, shown));
  EXPECT_EQ(shown.linkRow, -1);
  EXPECT_EQ(shown.controls.edit1, "-20");
  EXPECT_FALSE(editor.Show(3, shown));
  EXPECT_FALSE(editor.Show(-1, shown));

  editor.ChooseType(2);
  EXPECT_EQ(editor.SubPath(), kDetourNodes);  // "Mandatory Detour" keeps it
  editor.ChooseType(4);
  EXPECT_TRUE(editor.SubPath().empty());  // "Optional Detour" empties it

  const SubPathCaptions captions = editor.TakeSubPath(kDetourRows);
  EXPECT_EQ(captions.caption1, "Number of nodes in the sub-path: 3");
  EXPECT_EQ(captions.caption2, "Sub-path: 20 30 40");
  EXPECT_EQ(editor.TakeSubPath({}).caption1, "Number of nodes in the sub-path: 0");
  EXPECT_TRUE(editor.SubPath().empty());
}

TEST_F(VMSLogic, SubPathEditorRules)
{
  SubPathEditor path(20);                  // the downstream node of link 0 (10->20)
  EXPECT_FALSE(path.AddLink(3, prompts));  // 30->40 does not start at 20
  EXPECT_EQ(prompts.messages,
            (std::vector<std::string>{
                "Please ensure that the sub-path starts from the downstream node of the VMS link!"}));
  ASSERT_TRUE(path.AddLink(2, prompts));   // 20->30 (the second parallel link)
  EXPECT_FALSE(path.AddLink(0, prompts));  // 10->20 does not continue at 30
  EXPECT_EQ(prompts.messages.back(),
            "Please ensure that the selected link connects to the tail node of sub-path!");
  ASSERT_TRUE(path.AddLink(3, prompts));
  EXPECT_FALSE(path.AddLink(-1, prompts));
  EXPECT_FALSE(path.AddLink(5, prompts));
  EXPECT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(path.SequenceLines(),
            (std::vector<std::string>{"Link No.3    20->  30", "Link No.4    30->  40"}));
  EXPECT_EQ(SubPathFromLinks(path.Links()), kDetourNodes);
  path.RemoveLast();
  EXPECT_EQ(path.Links(), (std::vector<int>{2}));
  path.Clear();
  path.RemoveLast();  // never below empty
  EXPECT_TRUE(path.Links().empty());
}

TEST_F(VMSLogic, SubPathHoldsAtMostNinetyNineLinks)
{
  // Round the cycle 10->20->30->40->10 (links 0, 1, 3, 4) from node 10.
  const int cycle[] = {0, 1, 3, 4};
  SubPathEditor path(10);
  for (int i = 0; i < kSubPathMaxLinks; ++i)
    ASSERT_TRUE(path.AddLink(cycle[i % 4], prompts)) << i;
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(path.AddLink(cycle[kSubPathMaxLinks % 4], prompts));
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{kSubPathFullMessage}));
  EXPECT_EQ(path.Links().size(), 99u);

  const std::vector<int> nodes = SubPathFromLinks(path.Links());
  ASSERT_EQ(nodes.size(), 100u);
  EXPECT_EQ(nodes.front(), 10);
  EXPECT_EQ(nodes.back(), 40);  // the to-node of the 99th link (30->40)
  // A longer sequence handed over is cut to 99 links.
  std::vector<int> longer;
  for (int i = 0; i < 130; ++i)
    longer.push_back(cycle[i % 4]);
  EXPECT_EQ(SubPathFromLinks(longer), nodes);

  // The full sub-path fills the sign and the whole command node list.
  VMSEditor editor(sender, prompts);
  editor.TakeSubPath(path.Links());
  VMSControls c = Controls(4);
  c.linkRow = 4;  // 40->10: the sub-path starts at 10
  prompts.Clear();
  ASSERT_TRUE(editor.Add(c));
  const VMSMsgArg sent = sender.sent.at(0).VMS();
  EXPECT_EQ(sent.params[1], 100);
  EXPECT_TRUE(std::equal(nodes.begin(), nodes.end(), sent.path));
}

TEST(VMSFiles, EveryTypeWrittenAndReadBack)
{
  TempDir dir;
  std::vector<std::unique_ptr<CVMS>> signs;
  signs.push_back(Sign(1, 10, 20, -20, 10, 0, 100));
  signs.push_back(Sign(2, 10, 20, 100, 3, 5, 60, kDetourNodes));
  signs.push_back(Sign(3, 20, 30, 100, 1, 480.5, 1440));
  signs.push_back(Sign(4, 30, 40, 100, 2, 0, 1, {40, 10}));
  CTypedObArray<CVMS> list;
  for (auto& s : signs)
    list.Add(std::make_unique<CVMS>(*s));
  ASSERT_TRUE(g_Project.WriteVMSTo(list, dir.dir.string()));
  EXPECT_EQ(ReadAll(dir.File("vms.dat")), "4\n"
                                          "      1     10     20    -20     10   0.0  100.0 \n"
                                          "      2     10     20    100      3   5.0  60.0 \n"
                                          "     20     30     40\n"
                                          "      3     20     30    100      1   480.5  1440.0 \n"
                                          "      4     30     40    100      2   0.0  1.0 \n");
  CTypedObArray<CVMS> back;
  g_Project.ReadVMSInto(back, dir.dir.string());
  ASSERT_EQ(back.GetSize(), 4);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const CVMS& a = *signs[static_cast<std::size_t>(i)];
    const CVMS& b = *back[i];
    EXPECT_EQ(b.m_nType, a.m_nType);
    EXPECT_EQ(b.m_nFromNode, a.m_nFromNode);
    EXPECT_EQ(b.m_nParam1, a.m_nParam1);
    EXPECT_EQ(b.m_nParam2, a.m_nParam2);
    EXPECT_EQ(b.m_dStart, a.m_dStart);
    EXPECT_EQ(b.m_dEnd, a.m_dEnd);
    EXPECT_EQ(b.m_nDetourCount, a.m_nDetourCount);
    EXPECT_TRUE(std::equal(a.m_nDetourNodes, a.m_nDetourNodes + a.m_nDetourCount, b.m_nDetourNodes));
  }
  // A type 4 sign has no node line: read back, it holds no nodes.
  EXPECT_EQ(back[3]->m_nParam2, 2);
  EXPECT_EQ(back[3]->m_nDetourCount, 0);
  EXPECT_TRUE(std::all_of(std::begin(back[3]->m_nDetourNodes), std::end(back[3]->m_nDetourNodes),
                          [](int n) { return n == 0; }));
}

}  // namespace
