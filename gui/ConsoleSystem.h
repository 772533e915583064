// The console's system control bound into its windows: the program's one
// GUI servant, the message handler's window side, the File menu's bring-up
// steps and the dialogs of the distribution, the cycles and the system
// settings.
//
//   QApplication qt(argc, argv);
//   ConsoleSystem system;           // before the frame: it outlives the frame's close-down
//   CLogicApp app;
//   app.InitInstance();
//   system.Attach(app.Frame());     // steps, dialogs, results into the views
//   return qt.exec();
//
// The steps that start or end other processes, or talk to Management, run
// on a worker thread of their own: the window stays responsive, the
// progress lines reach the control panel's message list and the message
// boxes the frame through queued calls, and the frame is busy (every
// bring-up command disabled) until the step's state comes back, also
// through a queued call. When the frame goes, a running step is waited for,
// then the servant is stopped and the run's processes are ended.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BringUp.h"
#include "CProject.h"
#include "ControllerTest.h"
#include "FrameLogic.h"
#include "OperatorPrompts.h"
#include "QELM_GUI_i.h"
#include "ResultUpdate.h"
#include "ServantBringUp.h"

#include "CMainFrame.h"

// The message handler's window side: lines to debug.log and the control
// panel, the views' minutes, the repaints of the three network views and
// the clock view, and the chart windows through the frame. Runs on the GUI
// thread; the windows it reaches may be gone (they are looked up each time).
class ConsoleResultDisplay : public IResultDisplay
{
public:
  void DebugLog(const std::string& text, bool toPanel) override;
  int ViewMinute(int view) const override;
  void SetViewMinute(int view, int minute) override;
  void InvalidateViews() override;
  void InvalidatePredictionView(int instance) override;
  void RefreshPreviews() override;
};

// The kind of box the frame shows for a box of the bring-up.
MessageKind MessageKindOf(IBringUpOutput::Box box);

// Progress lines into the control panel's message list and message boxes
// of their kind through the frame (its document's presenter), from any
// thread: each reaches the GUI thread through a queued call.
class ConsoleBringUpOutput : public IBringUpOutput, public IMessageSink
{
public:
  void AddMessage(const std::string& text) override;
  void ShowMessageBox(const std::string& text, Box kind) override;
  // The launcher's boxes, each an error.
  void ShowMessage(const std::string& text) override;
};

// The launcher and close-down of the run, telling the message list what
// they do: each program started (or not), the close-down begun and ended.
class ReportingPlatform : public IBringUpPlatform
{
public:
  ReportingPlatform(IBringUpPlatform& platform, IBringUpOutput& output)
      : m_platform(platform), m_output(output)
  {}
  int Execute(const std::string& file, const std::string& params, const std::string& dir, bool wait,
              const std::string& title) override;
  void CloseComponents() override;

private:
  IBringUpPlatform& m_platform;
  IBringUpOutput& m_output;
};

// The frame's bring-up steps over BringUpSequence. Check System Settings
// (a modal dialog) and the client-machine reminder run on the GUI thread;
// the other steps on a worker thread, one at a time, each reporting its
// state through a queued call.
class ConsoleBringUp : public IBringUpActions
{
public:
  struct Options
  {
    std::string runDir;  // "" = the current directory
    // Shows the system settings dialog modally (on the GUI thread); true
    // when it was closed with OK.
    std::function<bool()> showSettings;
    // Runs a report on the GUI thread (default PostToGui).
    std::function<void(std::function<void()>)> post;
    BringUpSequence::Options sequence;
  };

  ConsoleBringUp(IBringUpPlatform& platform, IBringUpCorba& corba, IBringUpOutput& output, Options options);
  ~ConsoleBringUp() override;

  BringUpSequence& Sequence() { return m_sequence; }

  void CheckSystemSettings(int state, BringUpDone done) override;
  void ActivateNamingService(int state, BringUpDone done) override;
  void ActivateClientModules(int state, BringUpDone done) override;
  void ActivateServerModules(int state, BringUpDone done) override;
  void SetupCorbaAndStart(int state, BringUpDone done) override;
  void CloseComponents(int state, BringUpDone done) override;
  void ActivateCorbaServer(int state, BringUpDone done) override;
  void EstablishCorbaConnection(int state, BringUpDone done) override;
  void StartSystem(int state, BringUpDone done) override;
  void RunSystem(int state, BringUpDone done) override;
  int OnFrameDestroy(int state) override;

private:
  BringUpSequence::Options SequenceOptions() const;
  // Runs step on the worker thread and reports the sequence's state.
  void OffGui(std::function<void()> step, BringUpDone done);
  void JoinWorker();

  ReportingPlatform m_platform;
  Options m_options;
  BringUpSequence m_sequence;
  std::mutex m_workerMutex;
  std::thread m_worker;
};

// The controller test panel's target over the GUI servant (CGUIDlg).
class ServantTestTarget : public IControllerTestTarget
{
public:
  explicit ServantTestTarget(QELM_GUI_i& gui) : m_gui(gui) {}
  int InitORB(const std::vector<std::string>& args) override { return m_gui.InitORB(args); }
  void StartServer() override { m_gui.StartServer(); }
  int Connect() override { return m_gui.Connect(); }
  int Initialize() override { return m_gui.Initialize(); }
  int Subscribe() override { return m_gui.Subscribe(); }
  int StartRealTime() override { return m_gui.Start(QELM::Management::RUN_REAL_TIME); }
  int Stop() override { return m_gui.VQSystemController::Stop(); }
  int Shutdown(bool force) override { return m_gui.Shutdown(force); }
  int StopServer() override { return m_gui.Stop(); }
  void StopServerIfRunning() override { m_gui.StopIfRunning(); }
  std::string GetLastError() const override { return m_gui.GetLastError(); }

private:
  QELM_GUI_i& m_gui;
};

// The program's system control: the servant and the result display live
// as long as this object; Attach binds them to the frame.
class ConsoleSystem
{
public:
  struct Options
  {
    // ORB arguments after the system's four (tests: a loopback endpoint).
    std::vector<std::string> extraOrbArgs;
    // Shows the system settings dialog, true for OK (default:
    // CDlgSystemSoftwareSetting over the project, modally).
    std::function<bool()> showSettings;
  };

  ConsoleSystem();
  explicit ConsoleSystem(Options options);
  // Stops the servant if it still runs and takes the display from it. A
  // frame still there gets its default steps and dialogs back.
  ~ConsoleSystem();
  ConsoleSystem(const ConsoleSystem&) = delete;
  ConsoleSystem& operator=(const ConsoleSystem&) = delete;

  // The frame's bring-up steps, the Distribution Scheme and Cycles
  // dialogs, and the results of the message handler into the windows.
  void Attach(CMainFrame& frame);

  QELM_GUI_i& Servant() { return m_gui; }
  // The bring-up the frame runs (null before Attach; owned by the frame).
  ConsoleBringUp* BringUp() { return m_bringUp; }

private:
  Options m_options;
  QELM_GUI_i m_gui;
  ConsoleResultDisplay m_display;
  ConsoleBringUpOutput m_output;
  PlatformBringUp m_platform;
  ServantBringUp m_corba;
  ConsoleBringUp* m_bringUp = nullptr;
  QPointer<CMainFrame> m_frame;
};
