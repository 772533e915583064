// viewtools_bench: the network views' mouse tools on a generated network of
// N links (default 50,000) in the running console (offscreen unless a
// display is given): Load Data until the three network views are drawn, a
// mouse move with the select tool (the nearest-node search and the status
// text, then the status bar's repaint), a move of the zoom box's rubber
// band with its repaint, and a pan step with the view's repaint, beside a
// full repaint of the same view without a move. Each figure is printed
// beside its goal; the run fails (status 1, with the reason) when the
// console loaded fewer links than asked or a timed repaint painted fewer
// times than it ran, and a missed goal is named.
//
//   viewtools_bench [--links N] [--rounds R] [--rundir DIR]
//
// The run directory is made under TMPDIR (else /tmp) and removed; with
// --rundir the network of DIR is loaded instead (DIR kept as it is, at
// least N links, or 1, asked of it).
#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "CLogicApp.h"
#include "CLogicDoc.h"
#include "CLogicView.h"
#include "CMainFrame.h"
#include "CProject.h"
#include "ConsoleState.h"
#include "ConsoleWindows.h"
#include "DrawTool.h"
#include "GlobalArrays.h"
#include "PaintCounter.h"
#include "RunDirGen.h"

namespace {

using Clock = std::chrono::steady_clock;

// Goal of one full view drawn after its geometry changed (bench/ui).
constexpr double kFullViewGoalMs = 20.0;
// Goal of Load Data to the three views drawn, for networks of up to
// 200,000 links.
constexpr double kLoadGoalMs = 600.0;
constexpr long long kLoadGoalLinks = 200000;

int g_missed = 0;  // figures over their goal

struct Stats
{
  double median = 0.0;
  double p95 = 0.0;
  double max = 0.0;
};

// Times fn `rounds` times, in milliseconds.
Stats Measure(int rounds, const std::function<void(int)>& fn)
{
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    const auto a = Clock::now();
    fn(i);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back()};
}

// A row: the figures, then the goal on the p95 and whether it was met.
void Report(const char* what, const Stats& s, double goal)
{
  if (goal <= 0) {
    std::printf("%-52s %8.3f %8.3f %8.3f   (no goal)\n", what, s.median, s.p95, s.max);
    return;
  }
  const vlq::bench::Goal g{goal, "ms", vlq::bench::Goal::kAtMost, 0, "p95"};
  g_missed += !vlq::bench::Met(g, s.p95);
  std::printf("%-52s %8.3f %8.3f %8.3f   %s\n", what, s.median, s.p95, s.max,
              vlq::bench::Verdict(g, s.p95).c_str());
}

int Fail(const std::string& why)
{
  std::fprintf(stderr, "viewtools_bench: FAILED: %s\n", why.c_str());
  return 1;
}

// The three network views, painted once each.
struct ViewPaints
{
  PaintCounter counters[3];
  CLogicView* views[3] = {g_pEstimationView, g_pPredictionView0, g_pPredictionView1};
  ViewPaints()
  {
    for (int i = 0; i < 3; ++i)
      if (views[i])
        views[i]->viewport()->installEventFilter(&counters[i]);
  }
  ~ViewPaints()
  {
    for (int i = 0; i < 3; ++i)
      if (views[i])
        views[i]->viewport()->removeEventFilter(&counters[i]);
  }
  bool AllPainted() const
  {
    for (int i = 0; i < 3; ++i)
      if (!views[i] || counters[i].paints == 0)
        return false;
    return true;
  }
};

// The paints of the widgets watched while it lives.
struct WatchPaints
{
  PaintCounter counter;
  std::vector<QWidget*> widgets;
  explicit WatchPaints(std::vector<QWidget*> watched) : widgets(std::move(watched))
  {
    for (QWidget* w : widgets)
      if (w)
        w->installEventFilter(&counter);
  }
  ~WatchPaints()
  {
    for (QWidget* w : widgets)
      if (w)
        w->removeEventFilter(&counter);
  }
};

// A timed case that painted less often than it ran measured less work.
std::string g_unpainted;  // the first such case

void ExpectPaints(const char* what, int paints, int rounds)
{
  std::printf("  (%d paints for %d rounds)\n", paints, rounds);
  if (paints < rounds && g_unpainted.empty())
    g_unpainted = std::string(what) + ": " + std::to_string(paints) + " paints for " +
                  std::to_string(rounds) + " rounds";
}

// Two pixels of the view, the nearest to its middle over a node and one
// whose status text differs, so that every move between them changes the
// status pane; the middle and a pixel beside it when no node is in sight.
std::pair<QPoint, QPoint> StatusPixels(CLogicView& view)
{
  const QPoint middle = view.viewport()->rect().center();
  auto text = [&view](QPoint p) { return NodeStatusText(DeviceToWorld(view, {p.x(), p.y()})); };
  const int reach = std::max(view.viewport()->width(), view.viewport()->height()) / 2;
  for (int r = 0; r < reach; r += 2)
    for (int dx = -r; dx <= r; dx += 2)
      for (int dy : {-r, r}) {
        const QPoint node = middle + QPoint(dx, dy);
        const std::string there = text(node);
        if (there.empty())
          continue;
        for (int away = 20; away < reach; away += 20)
          if (text(node + QPoint(away, 0)) != there)
            return {node, node + QPoint(away, 0)};
      }
  return {middle, middle + QPoint(40, 0)};
}

void Mouse(CLogicView* view, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
  QMouseEvent e(type, QPointF(at), view->viewport()->mapToGlobal(QPointF(at)),
                type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &e);
}

}  // namespace

int main(int argc, char** argv)
{
  long long links = 50000;
  int rounds = 200;
  bool linksGiven = false;
  std::string rundir;
  for (int i = 1; i < argc; i += 2) {
    long long n = 0;
    if (i + 1 < argc && std::strcmp(argv[i], "--links") == 0 &&
        vlq::bench::ParseInteger(argv[i + 1], LLONG_MIN, LLONG_MAX, n)) {
      links = n;
      linksGiven = true;
    } else if (i + 1 < argc && std::strcmp(argv[i], "--rounds") == 0 &&
               vlq::bench::ParseInteger(argv[i + 1], 1, 1000000, n)) {
      rounds = static_cast<int>(n);
    } else if (i + 1 < argc && std::strcmp(argv[i], "--rundir") == 0) {
      rundir = argv[i + 1];
    } else {
      std::fprintf(stderr, "usage: viewtools_bench [--links N] [--rounds R] [--rundir DIR]\n");
      return 2;
    }
  }
  if (links < 1)
    return Fail("--links needs a number of 1 or more");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);

  // Whatever happens below, a run directory made here goes.
  vlq::bench::ScratchDir scratch;
  std::string dir;
  if (!rundir.empty()) {
    dir = std::filesystem::absolute(rundir).string();
    if (!std::filesystem::is_directory(dir))
      return Fail("no run directory " + dir);
    if (!linksGiven)
      links = 1;
  } else {
    std::string error;
    if (!scratch.Make("vlq_viewtools_bench_", error))
      return Fail(error);
    dir = scratch.Path();
    vlq::mod::RunDirOptions opt;
    opt.links = links;
    if (!vlq::mod::WriteRunDir(dir, opt, error))
      return Fail("no run directory of " + std::to_string(links) + " links: " + error);
  }
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir);

  int status = 0;
  {
    CLogicApp app;
    app.InitInstance(false);
    CMainFrame& frame = app.Frame();
    frame.resize(3300, 1250);
    frame.show();
    frame.LayOutPanes();
    QApplication::processEvents();
    std::string firstMessage;
    app.Document().SetMessagePresenter([&firstMessage](const std::string& t) {
      std::fprintf(stderr, "%s\n", t.c_str());
      if (firstMessage.empty())
        firstMessage = t;
    });
    // A load that would end the program stops here instead, with its reason.
    bool ended = false;
    app.Document().SetProgramEnder([&ended](int) { ended = true; });

    // Load Data, then the event loop until the three views have painted.
    std::unique_ptr<ViewPaints> paints = std::make_unique<ViewPaints>();
    const auto l0 = Clock::now();
    frame.ExecuteCommand(kCmdLoadData);
    const auto l1 = Clock::now();
    QTimer bound;  // wakes the loop at the latest after 30 s
    bound.setSingleShot(true);
    bound.start(30000);
    while (!paints->AllPainted() && bound.isActive())
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const auto l2 = Clock::now();
    const bool drawn = paints->AllPainted();
    paints.reset();
    if (ended || !g_Project.m_bProjectLoaded)
      return Fail("Load Data loaded nothing" + (firstMessage.empty() ? std::string() : ": " + firstMessage));
    if (g_LineArray.GetSize() < links)
      return Fail("Load Data loaded " + std::to_string(g_LineArray.GetSize()) + " links of the " +
                  std::to_string(links) + " asked");
    if (!drawn)
      return Fail("the three network views were not drawn after Load Data");

    CLogicView* view = g_pEstimationView;
    view->activateWindow();
    std::printf("%d links, %d nodes; view %dx%d px; %d rounds\n", g_LineArray.GetSize(),
                g_NodeArray.GetSize(), view->viewport()->width(), view->viewport()->height(), rounds);
    const double loadMs = std::chrono::duration<double, std::milli>(l1 - l0).count();
    const double drawnMs = std::chrono::duration<double, std::milli>(l2 - l0).count();
    const vlq::bench::Goal loadGoal{kLoadGoalMs, "ms", vlq::bench::Goal::kAtMost, kLoadGoalLinks};
    g_missed += !vlq::bench::Met(loadGoal, drawnMs, g_LineArray.GetSize());
    std::printf("Load Data to the three views drawn: %.1f ms (the load %.1f)   %s\n", drawnMs, loadMs,
                vlq::bench::Verdict(loadGoal, drawnMs, g_LineArray.GetSize()).c_str());
    std::printf("\n%-52s %8s %8s %8s\n", "ms", "median", "p95", "max");

    const QPoint middle = view->viewport()->rect().center();
    // Full repaint of the view as it stands: the reference of the pan step.
    Stats full;
    {
      WatchPaints watch({view->viewport()});
      full = Measure(rounds, [&](int) {
        view->Invalidate();
        QApplication::processEvents();
      });
      Report("full repaint of the view (no move)", full, 0);
      ExpectPaints("full repaint of the view", watch.counter.paints, rounds);
    }

    // Select tool: the search alone, the move, and the move with the
    // status bar's repaint; the mouse alternates between two places so
    // that the text changes at every move.
    frame.ExecuteCommand(kCmdSelector);
    const auto [onNode, offNode] = StatusPixels(*view);
    const WorldPoint at = DeviceToWorld(*view, {middle.x(), middle.y()});
    Report("select: nearest-node search and status text",
           Measure(rounds,
                   [&](int i) {
                     volatile std::size_t n = NodeStatusText({at.x + (i % 2) * 37.0, at.y}).size();
                     (void)n;
                   }),
           2.0);
    Report("select: mouse move (search, text into the pane)",
           Measure(rounds,
                   [&](int i) { Mouse(view, QEvent::MouseMove, i % 2 ? offNode : onNode, Qt::NoButton); }),
           2.0);
    {
      // Qt paces a window's repaints by its update timer: each round waits
      // for the pane's paint (at most a second), or it would time the move
      // alone.
      QApplication::processEvents();
      WatchPaints watch({frame.findChild<QWidget*>("statusPane0"), frame.findChild<QWidget*>("statusPane1")});
      Report("select: mouse move and the pane's repaint",
             Measure(rounds,
                     [&](int i) {
                       const int before = watch.counter.paints;
                       // The last move above left the mouse on the other place.
                       Mouse(view, QEvent::MouseMove, (i + rounds) % 2 ? offNode : onNode, Qt::NoButton);
                       const auto bound = Clock::now() + std::chrono::seconds(1);
                       do
                         QApplication::processEvents(QEventLoop::AllEvents, 1);
                       while (watch.counter.paints == before && Clock::now() < bound);
                     }),
             0);
      ExpectPaints("the status pane's repaint", watch.counter.paints, rounds);
    }

    // Zoom box: the band follows the mouse; only its pixels are repainted.
    frame.ExecuteCommand(kCmdZoomIn);
    const QPoint start(100, 100);
    Mouse(view, QEvent::MouseButtonPress, start, Qt::LeftButton);
    QApplication::processEvents();
    const qint64 picture = view->CachedImage().cacheKey();
    {
      WatchPaints watch({view->viewport()});
      Report("rubber band: move and repaint",
             Measure(rounds,
                     [&](int i) {
                       Mouse(view, QEvent::MouseMove, middle + QPoint(i % 50, (i * 7) % 40), Qt::LeftButton);
                       QApplication::processEvents();
                     }),
             5.0);
      ExpectPaints("the rubber band's repaint", watch.counter.paints, rounds);
    }
    if (view->CachedImage().cacheKey() != picture) {
      std::printf("FAILED: the rubber band drew the network again\n");
      status = 1;
    }
    Mouse(view, QEvent::MouseButtonRelease, start + QPoint(2, 2), Qt::NoButton);  // too small to zoom
    QApplication::processEvents();

    // Pan: each step moves the network and draws the view again.
    frame.ExecuteCommand(kCmdPan);
    Mouse(view, QEvent::MouseButtonPress, middle, Qt::LeftButton);
    Stats pan;
    int panPaints = 0;
    {
      WatchPaints watch({view->viewport()});
      pan = Measure(rounds, [&](int i) {
        Mouse(view, QEvent::MouseMove, middle + QPoint((i % 20) * 3, (i % 20) * 2), Qt::LeftButton);
        QApplication::processEvents();
      });
      panPaints = watch.counter.paints;
    }
    Mouse(view, QEvent::MouseButtonRelease, middle, Qt::NoButton);
    // A pan step records the view's picture anew (its geometry changed),
    // while the repaint without a move only plays the kept recording: its
    // goal is the paint of a full view whose geometry changed.
    Report("pan step and repaint", pan, kFullViewGoalMs);
    ExpectPaints("the pan step's repaint", panPaints, rounds);
  }
  std::filesystem::current_path(old);
  if (!g_unpainted.empty()) {
    std::printf("FAILED: %s; the figures are not of the repaint\n", g_unpainted.c_str());
    status = 1;
  }
  if (g_missed > 0)
    std::printf("%d figure(s) MISSED their goal\n", g_missed);
  else
    std::printf("every figure within its goal\n");
  return status;
}
