// The console's project: node tables, OD tables, run settings, the readers
// and writers of the data files, and the project load. One global object,
// g_Project, lives for the whole run.
//
// The load reports progress texts to a status sink (pane 0 of the main
// frame's status bar) and its messages to a message sink (a modal message
// box); ending the program goes through an exit handler. The window side
// installs its own with SetSinks; tests install recording ones.
//
//   g_Project.SetSinks(&statusBar, &messageBoxes, endProgram);
//   if (g_Project.LoadProjectAndWriteBack()) ...   // the Load Data command
//   ...
//   g_Project.ClearNetworkArrays();                // at close: stops the observation thread first
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DrawTypes.h"
#include "GlobalArrays.h"

struct ScenarioReadResult;

// Deleter of the large zero-filled tables (allocated with calloc, so pages
// never touched take no memory).
struct CFreeDeleter
{
  void operator()(void* p) const { std::free(p); }
};

class IStatusSink
{
public:
  virtual ~IStatusSink() = default;
  virtual void SetStatusText(const std::string& text) = 0;
};

class IMessageSink
{
public:
  virtual ~IMessageSink() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

// Called to end the program with an exit status. The default exits the
// process; a handler that returns makes the running load stop and fail.
using ExitHandler = std::function<void(int status)>;

// Exit status of the program ended on an undefined or out-of-range node.
constexpr int kExitBadNode = 1;

// Table sizes.
constexpr int kNodeNumberLimit = 899999;         // numbers refused with the old text
constexpr int kMaxNodeTable = kNodeNumberLimit;  // node numbers 0..899998
constexpr int kMaxNodeRecords = 1000000;         // nodes in network.dat
constexpr int kMaxOutLinks = 15;                 // out-links of one node
constexpr int kMaxZones = 120;                   // OD zones
constexpr int kODSlots = 300;                    // five-minute slots
constexpr int kMaxSuperZones = 100000;

// File codes of FindNodeIndex.
constexpr int kNodeCodeLinkBlock = 1;
constexpr int kNodeCodeXY = 4;
constexpr int kNodeCodeLinkXY = 5;

// Why the last load ended.
enum class LoadResult {
  NotRun,
  Loaded,     // every step ran
  NoNetwork,  // network.dat missing: nothing loaded
  BadData,    // a malformed or out-of-range value stopped the load
  XYShort,    // xy.dat holds fewer nodes than network.dat
  Ended,      // the program was ended (exit handler returned)
};

class CProject
{
public:
  CProject();
  ~CProject();
  CProject(const CProject&) = delete;
  CProject& operator=(const CProject&) = delete;

  int m_nYSign = 1;
  int m_nStartMinute = 0;
  int m_nCCObsInterval = 0;
  int m_nRunOD = 0;
  int m_nRunNearvet = 0;
  int m_nRunFarvet = 0;
  int m_nRunForesim1 = 0;
  int m_nRunMode = 0;       // 1 real-time, 0 sequential
  double m_dScaleX = 0.0;   // scale candidates of the last xy.dat
  double m_dScaleY = 0.0;   // (0 for an extent of zero)
  double m_dOffsetX = 0.0;  // copied by the window side into the estimation view
  int m_nSuperZoneCount = 0;
  int m_nMaxNodeNumber = 0;
  std::string m_szStatus;  // the last progress text
  IStatusSink* m_pStatusBar = nullptr;
  int m_nSuperZoneFlag = 0;
  std::vector<int> m_NodeNumber;                  // by node index
  std::unique_ptr<int[]> m_pNodeZone;             // nodes + 1
  std::unique_ptr<int[]> m_pZoneSuperZone;        // zones + 1, by zone number
  std::unique_ptr<int[]> m_pZoneList;             // zones + 1, SuperZone.dat order
  std::unique_ptr<ColorRef[]> m_pSuperZoneColor;  // super-zones + 1
  // Node index of every node number 0..899998 (-1 = no such node): the one
  // table the size of the numbering (3.6 MB).
  std::vector<int> m_NodeIndex;
  // The out-links of each node, by the from-node's node index (so sized by
  // the nodes present): row i holds kMaxOutLinks entries from i *
  // kMaxOutLinks, of which m_OutCount[i] are valid, in network.dat order.
  std::vector<int> m_OutNode;   // downstream node numbers
  std::vector<int> m_OutLink;   // link indices
  std::vector<int> m_OutCount;  // by node index
  int m_Cycle[10] = {};
  int m_nNetworkParam = 10;
  bool m_bProjectLoaded = false;
  int m_OutputOption[2][10];
  int m_nNodeCount = 0;
  double m_dMargin = 25.0;
  double m_dMinY = 0.0, m_dMinX = 0.0, m_dMaxX = 0.0, m_dMaxY = 0.0;
  double m_dScale = 0.0;
  const std::string m_szDataDir = "estimate";         // relative to the run directory
  CTypedObArray<CPath> m_Paths;                       // filled by nothing
  std::unique_ptr<double[], CFreeDeleter> m_ODTable;  // [kODSlots][kMaxZones][kMaxZones]
  int m_ODSize = 0;

  LoadResult m_LastLoadResult = LoadResult::NotRun;

  // ---- sinks and exit -----------------------------------------------------
  IMessageSink* m_pMessageSink = nullptr;  // null: messages go to stderr
  ExitHandler m_ExitHandler;               // empty: std::exit
  // Installs the three at once (the project does not own the sinks; they
  // outlive every load). SetSinks(nullptr, nullptr, nullptr) puts back the
  // defaults: no status text, messages to stderr, std::exit.
  void SetSinks(IStatusSink* status, IMessageSink* messages, ExitHandler exit);
  void ShowStatus(const std::string& text);
  void ShowMessage(const std::string& text);
  // Ends the program through the exit handler (returns only when the
  // handler does; the running load then stops).
  void EndProgram(int status);

  // ---- OD table -----------------------------------------------------------
  // Entry [slot][i][j]; reads outside the table give 0, writes outside it
  // are refused (false).
  double ODEntry(int slot, int i, int j) const;
  bool SetODEntry(int slot, int i, int j, double value);
  // Sets m_ODSize; a size outside 0..120 is refused (false, unchanged).
  bool SetODSize(int zones);

  // ---- the load -----------------------------------------------------------
  // The whole load: network, super-zones, coordinates, shapes, names,
  // detectors, CCTV, control, scheduler, observation thread, incidents and
  // the three VMS lists. True when every step ran.
  bool LoadNetworkData();
  // The Load Data command's work: the load, then, only when it succeeded,
  // estimate/incident.dat and estimate/vms.dat written back. A scenario
  // file that could not be read whole is told once, after the write-back,
  // so the message can say where its original was kept.
  bool LoadProjectAndWriteBack();

  // Node index of a node number, or -1. Shows nothing and never ends the
  // program: for dialogs and predicted paths.
  int LookupNodeIndex(int number) const;
  // Node index of a node number; for an undefined or out-of-range number
  // shows the message of the file code and ends the program (returns -1 if
  // the exit handler returns).
  int FindNodeIndex(int number, int code);
  // First link from -> to in network.dat order, or -1.
  int FindLinkIndex(int from, int to) const;
  // Calls fn(link index) for every link from -> to, in network.dat order.
  void ForEachLink(int from, int to, const std::function<void(int)>& fn) const;

  bool ReadXY();
  bool ReadLinkXY();
  bool ReadLinkName();
  bool ReadDetector();
  bool ReadCCTV();
  bool ReadControl();
  bool IsFort911Empty() const;
  // Reads up to a CR, LF or the end of the file into buf (terminated; a
  // longer line is cut to size - 1 characters and its rest dropped).
  // -1 when the end of the file was reached, else 1.
  static int ReadLine(std::FILE* f, char* buf, std::size_t size);

  // Frees the owned tables of an earlier load.
  void FreeTables();
  // Empties what a load fills: links, nodes, cameras, incidents and the
  // three VMS lists, and the selection that points into them. Stops the
  // observation thread first, since it writes into the links. A load calls
  // it before reading; the window side calls it when the document closes.
  void ClearNetworkArrays();
  // Path of a file of the data directory.
  std::string DataPath(const char* name) const;

  // ---- scenario, cycle settings and observation files ----------------------
  // Defined with the scenario objects, the cycle settings and the
  // observation reader.
  // A vms.dat or incident.dat that cannot be read whole (a malformed or cut
  // record, a refused sign) is noted and told: which file, where, and how
  // many records were read before the fault. Its original is kept beside it
  // ("<file>.bad", or ".bad.2" and on when that is taken) just before the
  // first write over it after that read; when it cannot be kept, the file
  // is not written.
  // vms.dat of the data directory into g_VMSArray.
  void ReadVMS();
  // vms.dat of a directory of the run directory ("estimate", "predict" or
  // "predict1") appended to a list.
  void ReadVMSInto(CTypedObArray<CVMS>& target, const std::string& dir);
  // A list written to vms.dat of a directory of the run directory; false
  // when the file cannot be written (or its unread original not kept).
  bool WriteVMSTo(const CTypedObArray<CVMS>& list, const std::string& dir);
  void ReadIncidents();
  // g_VMSArray to vms.dat of the data directory.
  void WriteVMS();
  void WriteIncidents();
  void ReadScheduler();
  void WriteScheduler();
  void WriteModules();
  void WriteOutputOption();
  void StartRealTimeReader();
  // Stops the observation thread (if running) before the links go away.
  void StopRealTimeReader();

private:
  // network.dat: header, node block (the node tables), the node objects,
  // link block (the link objects and the out-link tables).
  bool ReadNetwork();
  bool ReadNetworkHeader(std::FILE* f, int& zones, int& nodes, int& links);
  bool ReadNodeBlock(std::FILE* f, int nodes, int zones);
  void CreateNodes();
  bool ReadLinkBlock(std::FILE* f, int links);
  bool ReadSuperZones(int zones);
  // count + 1 super-zone colours.
  void ColourSuperZones(int count);
  // Shows the message and ends the program; false for the load.
  bool EndLoad(const std::string& message);
  void ClearForLoad();
  // Row of the out-link tables of a from-node number, or kNoOutRow.
  static constexpr std::size_t kNoOutRow = static_cast<std::size_t>(-1);
  std::size_t OutRow(int from) const;
  bool Fail(LoadResult why, const std::string& message);
  bool m_bEnded = false;  // the exit handler returned during this load

  // The load's steps without telling the unread scenario files.
  bool ReadProjectFiles();
  // The scenario readers, noting an unread file without telling it.
  void ReadVMSList(CTypedObArray<CVMS>& target, const std::string& dir);
  void ReadIncidentList();
  // A scenario file of the last load that could not be read whole.
  struct UnreadScenarioFile
  {
    std::string path;
    std::string where;  // "line 3 (record 2 of 2)"
    int taken = 0;      // records read before the fault
    const char* records = "";
    bool told = false;
    std::string keptAs;       // the original's copy; "" until kept
    std::string keepFailure;  // "<name> (<reason>)" of the last copy that failed
  };
  void NoteUnreadScenarioFile(const std::string& path, const ScenarioReadResult& res, const char* records);
  void TellUnreadScenarioFiles();
  // Before path is written over: true when it may be, after keeping the
  // original of an unread file beside it (once). A note already told has
  // the outcome told at once.
  bool KeepBeforeWriting(const std::string& path);
  // Cleared at each load, in read order.
  std::vector<UnreadScenarioFile> m_unreadScenarioFiles;
};

extern CProject g_Project;
