// The VMS dialog's work apart from its widgets, and that of its sub-path
// editor: the controls each sign type sets, a sign built from the controls'
// values with its checks, the list lines, the controls that show a stored
// sign, the three sign lists with the sends of the estimation's, and the
// vms.dat of each prediction instance whose list the dialog changed.
//
//   VMSEditor editor(sender, sink);      // target NOW_SIM, the estimation list shown
//   VMSControls c;                       // the dialog's opening values
//   c.linkRow = 4;
//   editor.Add(c);                       // appended to g_VMSArray, sent with code 44
//   editor.ChooseForesim();              // instance 0's list shown
//   editor.Add(c);                       // appended to g_VMSArrayPredict, nothing sent
//   editor.WriteChangedLists();          // on OK: predict/vms.dat
//
//   SubPathEditor path(downstreamNode);  // the sub-path editor
//   path.AddLink(row, sink);
//   editor.TakeSubPath(path.Links());
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "CProject.h"  // IMessageSink
#include "GlobalArrays.h"
#include "ScenarioObjects.h"
#include "SentList.h"

class ICommandSender;

// A sub-path holds at most this many links (that is 100 nodes, the size of
// a sign's node table and of the command's node list).
constexpr int kSubPathMaxLinks = kVMSMaxDetourNodes - 1;

// What a type radio sets: the two captions, the two edits' texts, whether
// the edits and "Input Sub-path" are enabled, and whether the current
// sub-path is emptied ("Optional Detour" only).
struct VMSTypeControls
{
  std::string caption1;
  std::string caption2;
  std::string edit1;
  std::string edit2;
  bool editsEnabled = true;
  bool subPathEnabled = false;
  bool clearsSubPath = false;
  friend bool operator==(const VMSTypeControls&, const VMSTypeControls&) = default;
};
VMSTypeControls ControlsForType(int type);

// The names of the four types, by type - 1.
extern const char* const kVMSTypeNames[4];

// The controls' values. The defaults are the dialog's opening values.
struct VMSControls
{
  int linkRow = 0;
  int startItem = 0;  // minute 0
  int endItem = 99;   // minute 100
  int type = kVMSSpeedAdvisory;
  std::string param1 = "40";
  std::string param2 = "10";
};

// The leading integer of a text, as the C library's atoi reads it (0 for
// no number), kept within the int range.
int LeadingInt(const std::string& text);

// A sign from the controls and the current sub-path (node numbers). Every
// failed check shows its message; null when any failed, or (with no
// message) when no link is selected.
std::unique_ptr<CVMS> BuildVMS(const VMSControls& c, const std::vector<int>& subPath, IMessageSink& sink);

// The list line of a sign, by its type; "?" for a link that the network
// lacks.
std::string VMSListLine(const CVMS& sign);

// The sub-path of a sequence of links (rows of the link list): the from-node
// of each link, then the to-node of the last. At most 99 links are taken;
// rows that name no link are skipped.
std::vector<int> SubPathFromLinks(const std::vector<int>& linkRows);

// The 100 node numbers sent with a sign: its detour nodes (types 2 and 4),
// zeros past them.
std::array<int, kVMSMaxDetourNodes> VMSSendNodes(const CVMS& sign);
// Sends a sign with the add (1) or remove (0) code; the sender's result.
int SendVMSCommand(ICommandSender& sender, int action, const CVMS& sign);

// The three sign lists, by the dialog's list kind: 0 the estimation, 1 and
// 2 the prediction instances 0 and 1.
CTypedObArray<CVMS>& VMSListOfKind(int kind);

// What shows a stored sign: its link row (-1 when the network lacks its
// link: the link list keeps its selection), the time items, its type and
// the parameter controls.
struct VMSShown
{
  int linkRow = -1;
  int startItem = 0;
  int endItem = 0;
  int type = 0;
  VMSTypeControls controls;
};

// Captions after a sub-path was taken from the editor.
struct SubPathCaptions
{
  std::string caption1;
  std::string caption2;
};

class VMSEditor
{
public:
  VMSEditor(ICommandSender& sender, IMessageSink& sink) : m_sender(sender), m_sink(sink) {}

  // ---- target and shown list ---------------------------------------------
  bool IsForesim() const { return m_foresim; }
  int Instance() const { return m_instance; }
  // 0 estimation, 1 prediction instance 0, 2 instance 1.
  int ShownKind() const { return m_foresim ? m_instance + 1 : 0; }
  CTypedObArray<CVMS>& ShownList() const { return VMSListOfKind(ShownKind()); }
  std::vector<std::string> ListLines() const;
  void ChooseNowSim() { m_foresim = false; }
  // Target FORESIM with instance 0.
  void ChooseForesim()
  {
    m_foresim = true;
    m_instance = 0;
  }
  // Instance 0 or 1 of the FORESIM target; anything else is ignored.
  void ChooseInstance(int instance);

  // ---- sub-path --------------------------------------------------------------
  const std::vector<int>& SubPath() const { return m_subPath; }
  // The controls of a type radio; "Optional Detour" also empties the
  // current sub-path.
  VMSTypeControls ChooseType(int type);
  // The editor's sequence of links becomes the current sub-path.
  SubPathCaptions TakeSubPath(const std::vector<int>& linkRows);

  // ---- actions (each failed send shows the controller's last error; the
  //      lists keep the change) ------------------------------------------------
  // False when nothing was stored.
  bool Add(const VMSControls& c);
  // Replaces the sign at a line of the shown list; for the estimation sends
  // remove (old) then add (new), as SentList does.
  bool Change(int line, const VMSControls& c);
  bool Delete(int line);
  // The controls of the sign at a line of the shown list; a detour sign's
  // nodes become the current sub-path. False for a line outside the list.
  bool Show(int line, VMSShown& shown);

  // Writes vms.dat of every prediction instance whose list this editor
  // changed ("predict" for instance 0, "predict1" for 1, under the working
  // directory); a file that cannot be written is reported. True when every
  // write succeeded.
  bool WriteChangedLists();
  bool ListChanged(int instance) const { return instance >= 0 && instance < 2 && m_changed[instance]; }

private:
  void MarkShownChanged();
  // The estimation's list, whose signs Management keeps.
  SentList<CVMS> EstimationSigns();

  ICommandSender& m_sender;
  IMessageSink& m_sink;
  bool m_foresim = false;
  int m_instance = 0;
  std::vector<int> m_subPath;
  bool m_changed[2] = {false, false};
};

// The sub-path editor's sequence of links, rows of the link list.
class SubPathEditor
{
public:
  explicit SubPathEditor(int downstreamNode) : m_downstreamNode(downstreamNode) {}
  // Appends the link at a row when it continues the sequence; a link that
  // does not, or a 100th link, is refused with a message. No link at the
  // row: nothing. True when appended.
  bool AddLink(int row, IMessageSink& sink);
  void RemoveLast();
  void Clear() { m_links.clear(); }
  const std::vector<int>& Links() const { return m_links; }
  // "Link No.%d  %4d->%4d" per link of the sequence.
  std::vector<std::string> SequenceLines() const;

private:
  int m_downstreamNode;
  std::vector<int> m_links;
};

// The editor's refusal of a 100th link.
extern const char kSubPathFullMessage[];
