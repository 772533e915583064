// The console's main window: the three network views, the clock view and
// the control panel in nested splitters, the menus, the toolbar and the
// status bar, and the operator's commands with their enable and check rules
// (CommandRule in Commands.h, applied after every change of state or of the
// active view).
//
// What the program (or a test) plugs in; each has a harmless default:
//   frame.SetBringUpActions(std::make_unique<MyBringUp>(...));  // what the bring-up steps do
//   frame.SetInputDialog(kCmdInputIncident, [](QWidget* parent) { ... });  // the Input menu's dialogs
//   frame.SetInfoSheet(&sheet);     // Plots and RefreshPreviews (the frame builds its own sheet)
//   frame.SetExportFileChooser([](QWidget*, const std::string&) { return "out.txt"; });
//   frame.SetCameraOpener([](const std::string& url) { return true; });   // the web browser
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "Commands.h"
#include "FrameLogic.h"
#include "OperatorPrompts.h"

class CLogicDoc;
class CLogicView;
class InfoSheetAdapter;
struct InfoSheetHooks;
class QAction;
class QLabel;
class QSplitter;
class QToolBar;

// The information sheet as the frame sees it: the Plots command creates,
// shows and hides it; RefreshPreviews repaints its chart windows.
class IInfoSheet
{
public:
  virtual ~IInfoSheet() = default;
  virtual bool HasWindow() const = 0;
  virtual void Create(QWidget* parent) = 0;  // made visible
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Repaints at once each chart window that exists, in the order status,
  // link, performance, consistency, OD, status.
  virtual void RefreshPreviews() = 0;
  // A link was selected: the sheet shows its link page with the link's
  // chart repainted.
  virtual void ShowLinkPage() {}
  // The OD pick chose two zone positions: the sheet (created if it has no
  // window yet) shows its OD table page for the pair.
  virtual void ShowODPair(int /*origin*/, int /*destination*/) {}
};

// Opens one of the Input menu's dialogs modally (the frame ignores its
// result).
using DialogOpener = std::function<void(QWidget* parent)>;
// Asks for the file an export writes (a save dialog); empty when cancelled.
using ExportFileChooser = std::function<std::string(QWidget* parent, const std::string& title)>;
// Opens an address in the web browser; false when it could not be started.
using CameraOpener = std::function<bool(const std::string& address)>;

class CMainFrame : public QMainWindow
{
  Q_OBJECT
public:
  explicit CMainFrame(CLogicDoc& doc, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // ---- state -----------------------------------------------------------------
  int m_nMachineSum = 0;  // from distribution.ini at construction
  // Some program runs on a client machine (a value of 1 to 8 in
  // distribution.ini): the client-machine reminder comes first.
  bool m_bDistributed = false;
  int m_nSystemState = kStateNothing;  // BringUpState
  bool m_bInfoSheetHidden = false;
  bool m_bOutputViewOption = false;
  int m_nPredictionLayout = 0;
  bool m_bComponentViewOption = false;
  bool m_bSwitchView = true;

  // ---- seams -----------------------------------------------------------------
  void SetBringUpActions(std::unique_ptr<IBringUpActions> actions);
  // Reads distribution.ini again (after the Distribution dialog's OK).
  void ReloadDistribution();
  // A bring-up step runs (from its command until it reports its state).
  bool BringUpBusy() const { return m_bBringUpBusy; }
  void SetInputDialog(int commandId, DialogOpener open);
  void SetInfoSheet(IInfoSheet* sheet) { m_pInfoSheet = sheet; }
  void SetExportFileChooser(ExportFileChooser chooser) { m_exportFileChooser = std::move(chooser); }
  void SetCameraOpener(CameraOpener opener) { m_cameraOpener = std::move(opener); }
  // Tells the operator in a box of the message's kind (through the
  // document's message presenter).
  void ShowMessage(const std::string& text, MessageKind kind = MessageKind::kWarning);

  // ---- commands --------------------------------------------------------------
  // Runs a command when its rule enables it (offered or not); false when
  // the rule disables it.
  bool ExecuteCommand(int id);
  AppState CurrentAppState() const;
  CommandUi CommandState(int id) const;
  // Applies every command's rule to its menu items and toolbar buttons.
  void UpdateCommandUi();
  // The menu item and the toolbar button of a command (null where it has
  // none).
  QAction* MenuAction(int id) const;
  QAction* ToolbarAction(int id) const;

  // ---- windows ---------------------------------------------------------------
  CLogicView* ActiveView() const { return m_pActiveView; }
  void SetActiveView(CLogicView* view);
  // m_wndSplitter1 .. m_wndSplitter4.
  QSplitter* Splitter(int n) const;
  void SetStatusText(int pane, const std::string& text);
  std::string StatusText(int pane) const;
  // The chart windows repainted (through the information sheet) and the
  // paths of the chosen OD pair collected again.
  void RefreshPreviews();
  // The selected link's rows into the control panel and, when the
  // information sheet has a window, its link page (a link chosen in a view
  // or in a dialog's link list).
  void ShowLinkInfo();

  // The panes at their ideal sizes in the frame's present size.
  void LayOutPanes();

protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CreateClient();
  void CreateMenus();
  void CreateToolbar();
  void CreateStatusBar();
  QAction* NewAction(int id, const std::string& text);
  void BringUpStep(void (IBringUpActions::*step)(int, BringUpDone));
  void FinishBringUpStep(int state);
  void RunViewCommand(int id);
  void RunFrameCommand(int id);
  void OpenDialog(int id);
  void OnPlots();
  void OnAdjustPredictionLayout();
  void OnOutputViewOption();
  void OnComponentViewOption();
  void OnPrint();
  void OnPrintSetup();
  void OnExport(int id);
  void OpenCamera(const std::string& address);
  void BindToolHooks();
  InfoSheetHooks SheetHooks();
  void SelectLinkFromSheet(int link);

  CLogicDoc& m_doc;
  std::unique_ptr<IBringUpActions> m_bringUp;
  bool m_bBringUpBusy = false;
  bool m_bApplyingRules = false;  // UpdateCommandUi sets the marks
  std::map<int, DialogOpener> m_dialogs;
  std::unique_ptr<InfoSheetAdapter> m_infoSheet;  // built with the frame
  IInfoSheet* m_pInfoSheet = nullptr;
  ExportFileChooser m_exportFileChooser;
  CameraOpener m_cameraOpener;
  CLogicView* m_pActiveView = nullptr;
  QSplitter* m_wndSplitter[4] = {};
  QToolBar* m_wndToolBar = nullptr;
  QLabel* m_statusPane[2] = {};
  QLabel* m_indicators[3] = {};  // CAP, NUM, SCRL
  bool m_lockState[3] = {};
  bool m_bPanesLaidOut = false;
  std::multimap<int, QAction*> m_menuActions;
  std::multimap<int, QAction*> m_toolbarActions;
};
