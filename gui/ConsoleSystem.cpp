#include "ConsoleSystem.h"

#include <QCoreApplication>
#include <QEvent>

#include "CClockView.h"
#include "CComponentView.h"
#include "CDlgCyclesInput.h"
#include "CDlgDistribution.h"
#include "CDlgSystemSoftwareSetting.h"
#include "CLogicView.h"
#include "CMainFrame.h"
#include "CProject.h"
#include "ConsoleWindows.h"
#include "ControlPanelLogic.h"
#include "DebugLog.h"
#include "DistributionScheme.h"
#include "GuiThread.h"
#include "LinkSeries.h"

namespace {

CLogicView* ViewOf(int view)
{
  switch (view) {
  case IResultDisplay::kEstimationView: return g_pEstimationView;
  case IResultDisplay::kPredictionView0: return g_pPredictionView0;
  case IResultDisplay::kPredictionView1: return g_pPredictionView1;
  default: return nullptr;
  }
}

}  // namespace

// ---- the message handler's window side ------------------------------------------

void ConsoleResultDisplay::DebugLog(const std::string& text, bool toPanel)
{
  ::DebugLog(text, toPanel ? 1 : 0);
}

int ConsoleResultDisplay::ViewMinute(int view) const
{
  const CLogicView* v = ViewOf(view);
  return v ? v->Model().m_nMinute : 0;
}

void ConsoleResultDisplay::SetViewMinute(int view, int minute)
{
  if (CLogicView* v = ViewOf(view))
    v->Model().m_nMinute = minute;
}

void ConsoleResultDisplay::InvalidateViews()
{
  InvalidateNetworkViews();
  if (g_pClockView)
    g_pClockView->update();
}

void ConsoleResultDisplay::InvalidatePredictionView(int instance)
{
  if (CLogicView* v = ViewOf(instance == 0 ? kPredictionView0 : kPredictionView1))
    v->Invalidate();
}

void ConsoleResultDisplay::RefreshPreviews()
{
  if (g_pMainFrame)
    g_pMainFrame->RefreshPreviews();
}

// ---- output ---------------------------------------------------------------------

void ConsoleBringUpOutput::AddMessage(const std::string& text)
{
  RunOnGui([text] {
    if (g_pComponentView)
      g_pComponentView->AddMessage(text);
  });
}

MessageKind MessageKindOf(IBringUpOutput::Box box)
{
  switch (box) {
  case IBringUpOutput::Box::kInformation: return MessageKind::kInformation;
  case IBringUpOutput::Box::kError: break;
  }
  return MessageKind::kError;
}

void ConsoleBringUpOutput::ShowMessageBox(const std::string& text, Box kind)
{
  // Queued also on the GUI thread: a box never opens inside a step.
  PostToGui([text, kind = MessageKindOf(kind)] {
    if (g_pMainFrame)
      g_pMainFrame->ShowMessage(text, kind);
  });
}

void ConsoleBringUpOutput::ShowMessage(const std::string& text)
{
  ShowMessageBox(text, Box::kError);
}

// ---- the launcher, reporting ----------------------------------------------------

int ReportingPlatform::Execute(const std::string& file, const std::string& params, const std::string& dir,
                               bool wait, const std::string& title)
{
  const int pid = m_platform.Execute(file, params, dir, wait, title);
  if (pid == -1)
    m_output.AddMessage("Failed to start " + file + ".");
  else
    m_output.AddMessage(StartedProgramLine(file, title, pid));
  return pid;
}

void ReportingPlatform::CloseComponents()
{
  m_output.AddMessage("Closing VORLANTIS-Q components...");
  m_platform.CloseComponents();
  m_output.AddMessage("VORLANTIS-Q components closed.");
}

// ---- the bring-up steps ---------------------------------------------------------

ConsoleBringUp::ConsoleBringUp(IBringUpPlatform& platform, IBringUpCorba& corba, IBringUpOutput& output,
                               Options options)
    : m_platform(platform, output), m_options(std::move(options)),
      m_sequence(m_platform, corba, output, SequenceOptions())
{
  if (!m_options.post)
    m_options.post = [](std::function<void()> f) { PostToGui(std::move(f)); };
}

BringUpSequence::Options ConsoleBringUp::SequenceOptions() const
{
  BringUpSequence::Options o = m_options.sequence;
  o.runDir = m_options.runDir;
  // The window thread paints the series: it resets them, in its queue
  // ahead of every result of the subscription that follows.
  if (!o.resetSeries)
    o.resetSeries = [this] { m_options.post([] { ResetAllLinkSeries(); }); };
  return o;
}

ConsoleBringUp::~ConsoleBringUp()
{
  JoinWorker();
}

void ConsoleBringUp::JoinWorker()
{
  std::lock_guard<std::mutex> lock(m_workerMutex);
  if (m_worker.joinable())
    m_worker.join();
}

void ConsoleBringUp::OffGui(std::function<void()> step, BringUpDone done)
{
  std::lock_guard<std::mutex> lock(m_workerMutex);
  // The step before has reported (the frame was not busy): its thread is
  // at its end.
  if (m_worker.joinable())
    m_worker.join();
  m_worker = std::thread([this, step = std::move(step), done = std::move(done)] {
    step();
    const int state = m_sequence.State();
    m_options.post([done, state] { done(state); });
  });
}

void ConsoleBringUp::CheckSystemSettings(int, BringUpDone done)
{
  m_sequence.CheckSystemSettings([this] {
    if (m_options.showSettings)
      m_options.showSettings();
  });
  done(m_sequence.State());
}

void ConsoleBringUp::ActivateNamingService(int, BringUpDone done)
{
  OffGui([this] { m_sequence.ActivateNamingService(); }, std::move(done));
}

void ConsoleBringUp::ActivateClientModules(int, BringUpDone done)
{
  // Only a reminder box: nothing to wait for.
  m_sequence.ActivateClientModules();
  done(m_sequence.State());
}

void ConsoleBringUp::ActivateServerModules(int, BringUpDone done)
{
  OffGui([this] { m_sequence.ActivateServerModules(); }, std::move(done));
}

void ConsoleBringUp::SetupCorbaAndStart(int, BringUpDone done)
{
  // The lists are the window thread's: the step sends a copy of them.
  OffGui([this, scenario = CopyStartScenario()] { m_sequence.SetupCorbaAndStart(scenario); },
         std::move(done));
}

void ConsoleBringUp::CloseComponents(int, BringUpDone done)
{
  OffGui([this] { m_sequence.CloseComponents(); }, std::move(done));
}

// The three parts of Setup CORBA and Start run only inside it, where each
// resumes what an earlier run of it left undone.
void ConsoleBringUp::ActivateCorbaServer(int state, BringUpDone done)
{
  done(state);
}

void ConsoleBringUp::EstablishCorbaConnection(int state, BringUpDone done)
{
  done(state);
}

void ConsoleBringUp::StartSystem(int state, BringUpDone done)
{
  done(state);
}

void ConsoleBringUp::RunSystem(int state, BringUpDone done)
{
  if (!m_options.showSettings || !m_options.showSettings()) {
    done(state);
    return;
  }
  // The server modules and Setup CORBA and Start, each where the state
  // offers it.
  OffGui(
      [this, scenario = CopyStartScenario()] {
        m_sequence.ActivateServerModules();
        m_sequence.SetupCorbaAndStart(scenario);
      },
      std::move(done));
}

int ConsoleBringUp::OnFrameDestroy(int)
{
  JoinWorker();
  m_sequence.OnFrameDestroy();
  return m_sequence.State();
}

// ---- the program's system control ------------------------------------------------

ConsoleSystem::ConsoleSystem() : ConsoleSystem(Options{}) {}

ConsoleSystem::ConsoleSystem(Options options)
    : m_options(std::move(options)), m_platform(&m_output, ""), m_corba(m_gui, m_options.extraOrbArgs)
{
  if (!m_options.showSettings)
    m_options.showSettings = [] {
      CDlgSystemSoftwareSetting dlg(g_Project);
      return dlg.exec() == QDialog::Accepted;
    };
}

ConsoleSystem::~ConsoleSystem()
{
  if (m_frame) {
    m_frame->SetBringUpActions(std::make_unique<StateOnlyBringUp>());
    m_frame->SetInputDialog(kCmdDistributionScheme, nullptr);
    m_frame->SetInputDialog(kCmdInputCycles, nullptr);
  }
  m_gui.StopIfRunning();
  m_gui.Target().SetDisplay(nullptr, {});
  // Results the loop posted before it stopped use the display: they run
  // now, while it exists.
  if (IsGuiThread())
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

void ConsoleSystem::Attach(CMainFrame& frame)
{
  m_frame = &frame;
  ConsoleBringUp::Options options;
  options.showSettings = m_options.showSettings;
  auto bringUp = std::make_unique<ConsoleBringUp>(m_platform, m_corba, m_output, std::move(options));
  m_bringUp = bringUp.get();
  frame.SetBringUpActions(std::move(bringUp));

  // Distribution Scheme: after OK the frame and the steps read the file
  // again (the machine sum, which programs run on client machines).
  frame.SetInputDialog(kCmdDistributionScheme, [this, &frame](QWidget* parent) {
    if (!CDlgDistribution::Run(parent, kDistributionFile, nullptr))
      return;
    frame.ReloadDistribution();
    if (m_bringUp)
      m_bringUp->Sequence().ReloadDistribution();
  });
  frame.SetInputDialog(kCmdInputCycles, [](QWidget* parent) {
    CDlgCyclesInput dlg(g_Project, nullptr, parent);
    dlg.exec();
  });

  m_gui.Target().SetDisplay(&m_display, [](std::function<void()> apply) { PostToGui(std::move(apply)); });
}
