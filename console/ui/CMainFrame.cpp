#include "CMainFrame.h"

#include "DistributionScheme.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "AboutDialog.h"
#include "CClockView.h"
#include "CComponentView.h"
#include "CLogicDoc.h"
#include "CLogicView.h"
#include "CProject.h"
#include "ConsoleState.h"
#include "ConsoleWindows.h"
#include "DrawTool.h"
#include "GlobalArrays.h"
#include "InfoSheetAdapter.h"
#include "PredictedPaths.h"
#include "ResultStores.h"
#include "ToolbarIcons.h"
#include "ViewCommands.h"
#include "ViewDecorations.h"
#include "ViewExports.h"
#include "ViewPrinter.h"
#include "ViewSelection.h"

CMainFrame* g_pMainFrame = nullptr;

namespace {

QString Q(const std::string& s)
{
  return QString::fromStdString(s);
}

// Ideal sizes of a splitter's two panes: a second size of 0 means the
// second pane takes what the first leaves.
void ApplySizes(QSplitter* splitter, const PaneSizes& sizes)
{
  const int total = splitter->orientation() == Qt::Vertical ? splitter->height() : splitter->width();
  int first = std::clamp(sizes.first, 0, total);
  int second = sizes.second;
  if (second == 0 && first < total)
    second = total - first;
  if (sizes.first == 0)
    second = total;
  splitter->setSizes({first, second});
}

const char* const kIndicatorTexts[3] = {"CAP", "NUM", "SCRL"};

// The Input menu's dialogs, opened through SetInputDialog's openers.
constexpr int kInputDialogs[] = {kCmdDistributionScheme, kCmdInputCycles,       kCmdInputVMS,
                                 kCmdInputWorkzone,      kCmdInputIncident,     kCmdNetworkModification,
                                 kCmdStrategySelection,  kCmdScenarioManagement};

}  // namespace

CMainFrame::CMainFrame(CLogicDoc& doc, QWidget* parent) : QMainWindow(parent), m_doc(doc)
{
  g_pMainFrame = this;
  m_doc.SetFrame(this);
  m_nMachineSum = ReadMachineSum(kDistributionFile);
  m_bDistributed = ReadDistribution(kDistributionFile).distributed;
  m_bringUp = std::make_unique<StateOnlyBringUp>();
  setObjectName("mainFrame");
  setWindowTitle(Q(g_AppTitle));
  setAccessibleName(Q(g_AppTitle));
  CreateClient();
  CreateMenus();
  CreateToolbar();
  CreateStatusBar();
  // The information sheet exists from here on; its window comes with the
  // first Plots or OD pick.
  m_infoSheet = std::make_unique<InfoSheetAdapter>(SheetHooks(), this);
  m_pInfoSheet = m_infoSheet.get();
  qApp->installEventFilter(this);
  m_exportFileChooser = [](QWidget* parent, const std::string& title) {
    return QFileDialog::getSaveFileName(parent, Q(title)).toStdString();
  };
  // The address is one argument of its own: nothing in it reaches a shell.
  m_cameraOpener = [](const std::string& address) {
    return QProcess::startDetached("xdg-open", {Q(address)});
  };
  BindToolHooks();
  SetActiveView(g_pEstimationView);
  UpdateCommandUi();
}

CMainFrame::~CMainFrame()
{
  g_ToolHooks = ToolHooks{};
  qApp->removeEventFilter(this);
  m_nSystemState = m_bringUp->OnFrameDestroy(m_nSystemState);
  if (g_pMainFrame == this)
    g_pMainFrame = nullptr;
  m_doc.SetFrame(nullptr);
}

// ---- construction ---------------------------------------------------------------

void CMainFrame::CreateClient()
{
  for (int i = 0; i < 4; ++i) {
    m_wndSplitter[i] = new QSplitter(i % 2 == 0 ? Qt::Horizontal : Qt::Vertical);
    m_wndSplitter[i]->setObjectName(QString("m_wndSplitter%1").arg(i + 1));
    m_wndSplitter[i]->setChildrenCollapsible(true);
  }
  QSplitter* s1 = m_wndSplitter[0];  // views | control panel
  QSplitter* s2 = m_wndSplitter[1];  // views over the clock view
  QSplitter* s3 = m_wndSplitter[2];  // current condition | predictions
  QSplitter* s4 = m_wndSplitter[3];  // prediction 0 over prediction 1
  s4->setFrameShape(QFrame::StyledPanel);

  // The views are made in the order current condition, prediction 0,
  // prediction 1: they take their roles from it.
  auto* estimation = new CLogicView;
  auto* prediction0 = new CLogicView;
  auto* prediction1 = new CLogicView;
  s3->addWidget(estimation);
  s4->addWidget(prediction0);
  s4->addWidget(prediction1);
  s3->addWidget(s4);
  s2->addWidget(s3);
  s2->addWidget(new CClockView);
  s1->addWidget(s2);
  auto* panel = new CComponentView;
  s1->addWidget(panel);
  setCentralWidget(s1);

  // The panes keeping their size when the frame is resized: the control
  // panel, the clock view and prediction view 0 (prediction view 1 takes
  // the rest). The ideal sizes are set once the frame has its size.
  s1->setStretchFactor(0, 1);
  s1->setStretchFactor(1, 0);
  s2->setStretchFactor(0, 1);
  s2->setStretchFactor(1, 0);
  s4->setStretchFactor(0, 0);
  s4->setStretchFactor(1, 1);

  for (CLogicView* v : {estimation, prediction0, prediction1})
    connect(v, &CLogicView::activated, this, &CMainFrame::SetActiveView);
}

QAction* CMainFrame::NewAction(int id, const std::string& text)
{
  auto* action = new QAction(Q(text), this);
  action->setObjectName(QString("cmd%1").arg(id));
  const CommandText& c = FindCommand(id);
  if (!c.prompt.empty())
    action->setStatusTip(Q(c.prompt));
  if (!c.tooltip.empty())
    action->setToolTip(Q(c.tooltip));
  if (MarkOf(id) == CommandMark::None) {
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    return action;
  }
  // A command with a mark runs whenever the mark changes from outside its
  // rule, by a click or by a toggle (a screen reader's, say); the rule then
  // puts the mark where the new state says.
  action->setCheckable(true);
  connect(action, &QAction::toggled, this, [this, id] {
    if (!m_bApplyingRules)
      ExecuteCommand(id);
  });
  return action;
}

void CMainFrame::CreateMenus()
{
  std::function<void(QMenu*, const std::vector<MenuItemDef>&)> fill =
      [&](QMenu* menu, const std::vector<MenuItemDef>& items) {
        for (const MenuItemDef& item : items) {
          if (item.IsSeparator()) {
            menu->addSeparator();
          } else if (!item.children.empty()) {
            QMenu* sub = menu->addMenu(Q(item.text));
            sub->setAccessibleName(Q(item.text));
            fill(sub, item.children);
          } else {
            QAction* action = NewAction(item.id, item.text);
            if (item.id == kCmdPrint)
              action->setShortcut(QKeySequence::Print);
            menu->addAction(action);
            m_menuActions.emplace(item.id, action);
          }
        }
      };
  for (const MenuDef& def : MainMenus()) {
    QMenu* menu = menuBar()->addMenu(Q(def.title));
    menu->setAccessibleName(QString(Q(def.title)).remove('&'));
    fill(menu, def.items);
  }
}

void CMainFrame::CreateToolbar()
{
  m_wndToolBar = addToolBar("Standard");
  m_wndToolBar->setObjectName("toolbar");
  m_wndToolBar->setAccessibleName("Toolbar");
  m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
  m_wndToolBar->setIconSize(QSize(24, 24));
  // Hidden or shown from its own context menu too: the View menu's mark follows.
  connect(m_wndToolBar, &QToolBar::visibilityChanged, this, [this] { UpdateCommandUi(); });
  for (int id : ToolbarButtons()) {
    if (id == 0) {
      m_wndToolBar->addSeparator();
      continue;
    }
    const std::string name = ToolbarButtonName(id);
    QAction* action = NewAction(id, name);
    action->setIcon(ToolbarIcon(id));
    action->setToolTip(Q(name));
    m_wndToolBar->addAction(action);
    if (QWidget* button = m_wndToolBar->widgetForAction(action)) {
      button->setObjectName(QString("button%1").arg(id));
      button->setAccessibleName(Q(name));
      // A tool button toggled by itself (through the accessibility
      // interface) leaves its action as it was: the action takes the
      // button's mark, and with it the command runs.
      if (auto* tool = qobject_cast<QToolButton*>(button); tool && action->isCheckable())
        connect(tool, &QAbstractButton::toggled, action, [action](bool checked) {
          if (action->isChecked() != checked)
            action->setChecked(checked);
        });
    }
    m_toolbarActions.emplace(id, action);
  }
}

void CMainFrame::CreateStatusBar()
{
  QStatusBar* bar = statusBar();
  bar->setObjectName("statusBar");
  for (int i = 0; i < 2; ++i) {
    m_statusPane[i] = new QLabel;
    m_statusPane[i]->setObjectName(QString("statusPane%1").arg(i));
    m_statusPane[i]->setAccessibleName(i == 0 ? "Status" : "Status 2");
    bar->addWidget(m_statusPane[i], i == 0 ? 1 : 0);
  }
  m_statusPane[0]->setText("Ready");
  for (int i = 0; i < 3; ++i) {
    m_indicators[i] = new QLabel;
    m_indicators[i]->setObjectName(kIndicatorTexts[i]);
    m_indicators[i]->setAccessibleName(kIndicatorTexts[i]);
    m_indicators[i]->setMinimumWidth(m_indicators[i]->fontMetrics().horizontalAdvance("SCRL") + 8);
    m_indicators[i]->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(m_indicators[i]);
  }
}

// ---- seams ------------------------------------------------------------------------

void CMainFrame::SetBringUpActions(std::unique_ptr<IBringUpActions> actions)
{
  if (actions)
    m_bringUp = std::move(actions);
}

void CMainFrame::ReloadDistribution()
{
  m_nMachineSum = ReadMachineSum(kDistributionFile);
  m_bDistributed = ReadDistribution(kDistributionFile).distributed;
  UpdateCommandUi();
}

void CMainFrame::SetInputDialog(int commandId, DialogOpener open)
{
  m_dialogs[commandId] = std::move(open);
}

// ---- command rules ----------------------------------------------------------------

AppState CMainFrame::CurrentAppState() const
{
  AppState a;
  a.projectLoaded = g_Project.m_bProjectLoaded;
  a.dataLoaded = g_bDataLoaded;
  a.systemState = m_nSystemState;
  a.distributed = m_bDistributed;
  a.bringUpBusy = m_bBringUpBusy;
  a.toolMode = g_nToolMode;
  a.pathModeOn = g_nPathModeOn;
  a.pathModeKind = g_nPathModeKind;
  a.outputViewOption = m_bOutputViewOption;
  a.componentViewOption = m_bComponentViewOption;
  a.switchView = m_bSwitchView;
  a.toolbarVisible = m_wndToolBar && !m_wndToolBar->isHidden();
  a.statusBarVisible = !statusBar()->isHidden();
  return a;
}

CommandUi CMainFrame::CommandState(int id) const
{
  ActiveViewState v;
  if (m_pActiveView) {
    const NetworkViewModel& m = m_pActiveView->Model();
    v.present = true;
    v.selectKind = m.m_nSelectKind;
    v.showDetectors = m.m_bShowDetectors;
    v.showCCTV = m.m_bShowCCTV;
    v.showZones = m.m_bShowZones;
    v.showUEPaths = m.m_bShowUEPaths;
  }
  return CommandRule(id, CurrentAppState(), v);
}

void CMainFrame::UpdateCommandUi()
{
  ApplyPathModeRule(g_nToolMode, g_nPathModeOn, g_nPathModeKind);
  // The marks set here follow the state: they run no command.
  const bool applying = m_bApplyingRules;
  m_bApplyingRules = true;
  for (auto* actions : {&m_menuActions, &m_toolbarActions})
    for (auto& [id, action] : *actions) {
      const CommandUi ui = CommandState(id);
      action->setEnabled(ui.enabled);
      if (action->isCheckable())
        action->setChecked(ui.checked);
    }
  m_bApplyingRules = applying;
  // The pan tool shows its cursor in every view.
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1})
    if (v)
      v->viewport()->setCursor(g_nToolMode == kToolPan ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

QAction* CMainFrame::MenuAction(int id) const
{
  auto it = m_menuActions.find(id);
  return it == m_menuActions.end() ? nullptr : it->second;
}

QAction* CMainFrame::ToolbarAction(int id) const
{
  auto it = m_toolbarActions.find(id);
  return it == m_toolbarActions.end() ? nullptr : it->second;
}

// ---- commands ---------------------------------------------------------------------

bool CMainFrame::ExecuteCommand(int id)
{
  if (!CommandState(id).enabled) {
    UpdateCommandUi();
    return false;
  }
  switch (id) {
  case kCmdLoadData: m_doc.OnLoadData(); break;
  case kCmdLoadOutput: m_doc.OnLoadOutput(); break;
  case kCmdCheckSystemSettings: BringUpStep(&IBringUpActions::CheckSystemSettings); break;
  case kCmdActivateNamingService: BringUpStep(&IBringUpActions::ActivateNamingService); break;
  case kCmdActivateClientModules: BringUpStep(&IBringUpActions::ActivateClientModules); break;
  case kCmdActivateServerModules: BringUpStep(&IBringUpActions::ActivateServerModules); break;
  case kCmdSetupCorbaAndStart: BringUpStep(&IBringUpActions::SetupCorbaAndStart); break;
  case kCmdCloseComponents: BringUpStep(&IBringUpActions::CloseComponents); break;
  case kCmdActivateCorbaServer: BringUpStep(&IBringUpActions::ActivateCorbaServer); break;
  case kCmdEstablishCorbaConnection:
    if (g_Project.m_bProjectLoaded)
      BringUpStep(&IBringUpActions::EstablishCorbaConnection);
    break;
  case kCmdStartSystem: BringUpStep(&IBringUpActions::StartSystem); break;
  case kCmdRunSystem: BringUpStep(&IBringUpActions::RunSystem); break;
  case kCmdAppExit: close(); break;
  case kCmdAppAbout: {
    CAboutDlg about(this);
    about.exec();
    break;
  }
  case kCmdPrint: OnPrint(); break;
  case kCmdPrintSetup: OnPrintSetup(); break;
  case kCmdViewToolbar: m_wndToolBar->setVisible(m_wndToolBar->isHidden()); break;
  case kCmdViewStatusBar: statusBar()->setVisible(statusBar()->isHidden()); break;
  default:
    if (std::find(std::begin(kInputDialogs), std::end(kInputDialogs), id) != std::end(kInputDialogs))
      OpenDialog(id);
    else
      RunFrameCommand(id);
    break;
  }
  UpdateCommandUi();
  return true;
}

void CMainFrame::BringUpStep(void (IBringUpActions::*step)(int, BringUpDone))
{
  if (m_bBringUpBusy)
    return;
  m_bBringUpBusy = true;
  UpdateCommandUi();
  // The step reports on this thread, at once or from the event loop; a
  // report that comes after the frame has gone finds no frame.
  QPointer<CMainFrame> self(this);
  ((*m_bringUp).*step)(m_nSystemState, [self](int state) {
    if (self)
      self->FinishBringUpStep(state);
  });
}

void CMainFrame::FinishBringUpStep(int state)
{
  m_nSystemState = state;
  m_bBringUpBusy = false;
  UpdateCommandUi();
}

void CMainFrame::OpenDialog(int id)
{
  auto it = m_dialogs.find(id);
  if (it != m_dialogs.end() && it->second)
    it->second(nullptr);
}

void CMainFrame::RunFrameCommand(int id)
{
  switch (id) {
  case kCmdPlots: OnPlots(); return;
  case kCmdAdjustPredictionLayout: OnAdjustPredictionLayout(); return;
  case kCmdOutputViewOption: OnOutputViewOption(); return;
  case kCmdComponentViewOption: OnComponentViewOption(); return;
  default: break;
  }
  const std::optional<FrameRepaint> repaint =
      ApplyFrameCommand(id, m_nSystemState, CurrentViews(), g_Project.m_nStartMinute);
  if (!repaint) {
    RunViewCommand(id);
    return;
  }
  if (repaint->networkViews)
    InvalidateNetworkViews();
  if (repaint->estimationView && g_pEstimationView)
    g_pEstimationView->Invalidate();
  if (repaint->clockView)
    RepaintClockView();
}

void CMainFrame::RunViewCommand(int id)
{
  CLogicView* view = m_pActiveView;
  if (!view)
    return;
  const ViewCommandTarget target{view->Model(), CurrentViews(), view->ClientWidthLogical(),
                                 view->ClientHeightLogical()};
  switch (ApplyViewCommand(id, target)) {
  case ViewCommandStep::kNothing: break;
  case ViewCommandStep::kRepaintView: view->Invalidate(); break;
  case ViewCommandStep::kRepaintAllViews: InvalidateNetworkViews(); break;
  case ViewCommandStep::kExport: OnExport(id); break;
  case ViewCommandStep::kSpecifyOrigin: view->OnSpecifyOrigin(); break;
  case ViewCommandStep::kSpecifyDestination: view->OnSpecifyDestination(); break;
  }
}

void CMainFrame::OnExport(int id)
{
  const CDrawLine* link = SelectedLink();
  if (id == kCmdExportLinkPerformance && !link) {
    ShowMessage(kSelectLinkText);
    return;
  }
  const std::string path =
      m_exportFileChooser ? m_exportFileChooser(this, FindCommand(id).text) : std::string();
  if (path.empty())
    return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::string text = id == kCmdExportLinkPerformance
                               ? LinkPerformanceText(*link, g_ChartWindowEnd, g_PredictionClock)
                               : ODDemandText(g_Project, g_PredictionClock);
  std::string error;
  const bool written = WriteExportFile(path, text, error);
  QApplication::restoreOverrideCursor();
  if (!written)
    ShowMessage(error);
}

void CMainFrame::ShowMessage(const std::string& text, MessageKind kind)
{
  m_doc.ShowMessageBox(text, kind);
}

void CMainFrame::OpenCamera(const std::string& address)
{
  if (const std::string problem = CameraAddressProblem(address); !problem.empty()) {
    ShowMessage(problem);
    return;
  }
  if (!m_cameraOpener || !m_cameraOpener(address))
    ShowMessage(CameraBrowserFailedText(address));
}

void CMainFrame::BindToolHooks()
{
  g_ToolHooks.showStatus = [this](const std::string& text) {
    // Only a change reaches the pane: the mouse moves often.
    if (m_statusPane[1] && m_statusPane[1]->text() != Q(text))
      m_statusPane[1]->setText(Q(text));
  };
  g_ToolHooks.showNodeProperties = [](const std::vector<PropertyRow>& rows) {
    if (g_pComponentView)
      g_pComponentView->SetPropertyRows(rows);
  };
  g_ToolHooks.showLinkInfo = [this] { ShowLinkInfo(); };
  g_ToolHooks.openCamera = [this](const std::string& address) { OpenCamera(address); };
  g_ToolHooks.repaintViews = [] { InvalidateNetworkViews(); };
  g_ToolHooks.showODPair = [this](int origin, int destination) {
    if (!m_pInfoSheet)
      return;
    m_pInfoSheet->ShowODPair(origin, destination);
    // Shown again: the next Plots hides it.
    m_bInfoSheetHidden = false;
  };
}

void CMainFrame::ShowLinkInfo()
{
  ShowSelectedLinkProperties();
  if (m_pInfoSheet && m_pInfoSheet->HasWindow()) {
    m_pInfoSheet->ShowLinkPage();
    m_bInfoSheetHidden = false;
  }
}

InfoSheetHooks CMainFrame::SheetHooks()
{
  InfoSheetHooks hooks;
  hooks.isDataLoaded = [] { return g_Project.m_bProjectLoaded && g_bDataLoaded; };
  hooks.estimationMinute = [] {
    return g_pEstimationView ? g_pEstimationView->Model().m_nMinute : g_EstimationClock.nMinute;
  };
  hooks.selectLink = [this](int link) { SelectLinkFromSheet(link); };
  hooks.sheetHidden = [this] { m_bInfoSheetHidden = true; };
  // The estimation view's small font.
  QFont font = g_pEstimationView ? g_pEstimationView->font() : QApplication::font();
  font.setPixelSize(kSmallFontHeight);
  hooks.chartFont = font;
  return hooks;
}

void CMainFrame::SelectLinkFromSheet(int link)
{
  if (link < 0 || link >= g_LineArray.GetSize() || !g_pEstimationView)
    return;
  // Selected in the estimation view, it is the last selected link, which
  // the link chart and the control panel show; all three views repaint.
  g_pEstimationView->SelectLink(g_LineArray[link]);
  ShowSelectedLinkProperties();
}

void CMainFrame::OnPlots()
{
  if (!m_pInfoSheet)
    return;
  switch (PlotsAction(m_pInfoSheet->HasWindow(), m_bInfoSheetHidden)) {
  case PlotsStep::Create: m_pInfoSheet->Create(this); break;
  case PlotsStep::Show: m_pInfoSheet->Show(); break;
  case PlotsStep::Hide: m_pInfoSheet->Hide(); break;
  }
}

void CMainFrame::RefreshPreviews()
{
  if (m_pInfoSheet)
    m_pInfoSheet->RefreshPreviews();
  LockedPathLists paths = g_PredictedPaths.Lock();
  CollectODPairPaths(paths, g_nODOriginNode, g_nODDestinationNode, g_CurrentMinute);
}

void CMainFrame::OnAdjustPredictionLayout()
{
  const int h = centralWidget() ? centralWidget()->height() : height();
  ApplySizes(m_wndSplitter[3], PredictionLayoutSizes(m_nPredictionLayout, h));
  m_nPredictionLayout = NextPredictionLayout(m_nPredictionLayout);
}

void CMainFrame::OnOutputViewOption()
{
  const int h = centralWidget() ? centralWidget()->height() : height();
  ApplySizes(m_wndSplitter[1], OutputViewSizes(m_bOutputViewOption, h));
  m_bOutputViewOption = !m_bOutputViewOption;
}

void CMainFrame::OnComponentViewOption()
{
  const int w = centralWidget() ? centralWidget()->width() : width();
  ApplySizes(m_wndSplitter[0], ComponentViewSizes(m_bComponentViewOption, w));
  m_bComponentViewOption = !m_bComponentViewOption;
}

void CMainFrame::OnPrint()
{
  if (m_pActiveView)
    RunPrintCommand(*m_pActiveView, this);
}

void CMainFrame::OnPrintSetup()
{
  RunPrintSetup(this);
}

// ---- windows ----------------------------------------------------------------------

void CMainFrame::SetActiveView(CLogicView* view)
{
  if (m_pActiveView == view)
    return;
  m_pActiveView = view;
  UpdateCommandUi();
}

QSplitter* CMainFrame::Splitter(int n) const
{
  return n >= 1 && n <= 4 ? m_wndSplitter[n - 1] : nullptr;
}

void CMainFrame::SetStatusText(int pane, const std::string& text)
{
  if (pane < 0 || pane > 1 || !m_statusPane[pane])
    return;
  m_statusPane[pane]->setText(Q(text));
  // The load runs on this thread: the pane shows its progress at once.
  m_statusPane[pane]->repaint();
}

std::string CMainFrame::StatusText(int pane) const
{
  if (pane < 0 || pane > 1 || !m_statusPane[pane])
    return {};
  return m_statusPane[pane]->text().toStdString();
}

void CMainFrame::LayOutPanes()
{
  // Ideal sizes: the control panel 120 wide (or as wide as its form, so
  // that its captions show), the clock view 100 high, the current-condition
  // view half the client width plus 30, prediction view 0 450 high; the
  // other panes take the rest.
  QSplitter* s1 = m_wndSplitter[0];
  QSplitter* s2 = m_wndSplitter[1];
  QSplitter* s3 = m_wndSplitter[2];
  QSplitter* s4 = m_wndSplitter[3];
  const int cx = s1->width();
  const int panel = g_pComponentView ? std::max(120, g_pComponentView->FormWidth()) : 120;
  s1->setSizes({std::max(0, cx - panel), panel});
  s2->setSizes({std::max(0, s2->height() - 100), 100});
  const int estimation = std::min(cx / 2 + 30, s3->width());
  s3->setSizes({estimation, std::max(0, s3->width() - estimation)});
  const int prediction0 = std::min(450, s4->height());
  s4->setSizes({prediction0, std::max(0, s4->height() - prediction0)});
}

void CMainFrame::showEvent(QShowEvent* event)
{
  QMainWindow::showEvent(event);
  if (!m_bPanesLaidOut) {
    m_bPanesLaidOut = true;
    // Once the frame has taken its size (a window manager maximises it
    // after the show).
    QTimer::singleShot(0, this, [this] {
      LayOutPanes();
      QTimer::singleShot(0, this, &CMainFrame::LayOutPanes);
    });
  }
}

void CMainFrame::paintEvent(QPaintEvent* event)
{
  if (windowTitle() != Q(g_AppTitle))
    setWindowTitle(Q(g_AppTitle));
  QMainWindow::paintEvent(event);
}

void CMainFrame::timerEvent(QTimerEvent* event)
{
  if (m_nSystemState != kStateNamingService)
    return;
  InvalidateNetworkViews();
  RepaintClockView();
  QMainWindow::timerEvent(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int which = key == Qt::Key_CapsLock     ? 0
                      : key == Qt::Key_NumLock    ? 1
                      : key == Qt::Key_ScrollLock ? 2
                                                  : -1;
    if (which >= 0 && !static_cast<QKeyEvent*>(event)->isAutoRepeat() &&
        watched == QApplication::focusWidget()) {
      m_lockState[which] = !m_lockState[which];
      m_indicators[which]->setText(m_lockState[which] ? kIndicatorTexts[which] : "");
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
