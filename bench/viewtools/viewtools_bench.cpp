// viewtools_bench: the network views' mouse tools on a generated network of
// N links (default 50,000) in the running console (offscreen unless a
// display is given): a mouse move with the select tool (the nearest-node
// search and the status text, then the status bar's repaint), a move of the
// zoom box's rubber band with its repaint, and a pan step with the view's
// repaint, beside a full repaint of the same view without a move.
//
//   viewtools_bench [--links N] [--rounds R]
#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "CLogicApp.h"
#include "CLogicDoc.h"
#include "CLogicView.h"
#include "CMainFrame.h"
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

void Report(const char* what, const Stats& s, double goal)
{
  std::printf("%-52s %8.3f %8.3f %8.3f   %s\n", what, s.median, s.p95, s.max,
              goal > 0 ? (s.p95 <= goal ? "within goal" : "OVER GOAL") : "");
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
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--links") == 0)
      links = std::atoll(argv[i + 1]);
    else if (std::strcmp(argv[i], "--rounds") == 0)
      rounds = std::max(1, std::atoi(argv[i + 1]));
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);

  char tmpl[] = "/tmp/vlq_viewtools_bench_XXXXXX";
  const std::string dir = ::mkdtemp(tmpl);
  vlq::mod::RunDirOptions opt;
  opt.links = links;
  opt.rows = 2;
  opt.cols = 2;
  while (4LL * opt.rows * opt.cols - 2LL * opt.rows - 2LL * opt.cols < links)
    (opt.rows < opt.cols ? opt.rows : opt.cols) += 1;
  std::string error;
  if (!vlq::mod::WriteRunDir(dir, opt, error)) {
    std::fprintf(stderr, "viewtools_bench: %s\n", error.c_str());
    return 1;
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
    app.Document().SetMessagePresenter([](const std::string& t) { std::fprintf(stderr, "%s\n", t.c_str()); });
    frame.ExecuteCommand(kCmdLoadData);
    QApplication::processEvents();
    CLogicView* view = g_pEstimationView;
    view->activateWindow();
    std::printf("%d links, %d nodes; view %dx%d px; %d rounds\n", g_LineArray.GetSize(),
                g_NodeArray.GetSize(), view->viewport()->width(), view->viewport()->height(), rounds);
    std::printf("%-52s %8s %8s %8s\n", "ms", "median", "p95", "max");

    const QPoint middle = view->viewport()->rect().center();
    // Full repaint of the view as it stands: the reference of the pan step.
    const Stats full = Measure(rounds, [&](int) {
      view->Invalidate();
      QApplication::processEvents();
    });
    Report("full repaint of the view (no move)", full, 0);

    // Select tool: the search alone, the move, and the move with the
    // status bar's repaint; the mouse alternates between two places so
    // that the text changes at every move.
    frame.ExecuteCommand(kCmdSelector);
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
                   [&](int i) {
                     Mouse(view, QEvent::MouseMove, middle + QPoint((i % 2) * 40, 0), Qt::NoButton);
                   }),
           2.0);
    Report("select: mouse move and the pane's repaint",
           Measure(rounds,
                   [&](int i) {
                     Mouse(view, QEvent::MouseMove, middle + QPoint((i % 2) * 40, 7), Qt::NoButton);
                     QApplication::processEvents();
                   }),
           0);

    // Zoom box: the band follows the mouse; only its pixels are repainted.
    frame.ExecuteCommand(kCmdZoomIn);
    const QPoint start(100, 100);
    Mouse(view, QEvent::MouseButtonPress, start, Qt::LeftButton);
    QApplication::processEvents();
    const qint64 picture = view->CachedImage().cacheKey();
    PaintCounter counter;
    view->viewport()->installEventFilter(&counter);
    Report("rubber band: move and repaint",
           Measure(rounds,
                   [&](int i) {
                     Mouse(view, QEvent::MouseMove, middle + QPoint(i % 50, (i * 7) % 40), Qt::LeftButton);
                     QApplication::processEvents();
                   }),
           5.0);
    view->viewport()->removeEventFilter(&counter);
    std::printf("  (%d paints of the view for %d band moves)\n", counter.paints, rounds);
    if (view->CachedImage().cacheKey() != picture) {
      std::printf("the rubber band drew the network again\n");
      status = 1;
    }
    Mouse(view, QEvent::MouseButtonRelease, start + QPoint(2, 2), Qt::NoButton);  // too small to zoom
    QApplication::processEvents();

    // Pan: each step moves the network and draws the view again.
    frame.ExecuteCommand(kCmdPan);
    Mouse(view, QEvent::MouseButtonPress, middle, Qt::LeftButton);
    const Stats pan = Measure(rounds, [&](int i) {
      Mouse(view, QEvent::MouseMove, middle + QPoint((i % 20) * 3, (i % 20) * 2), Qt::LeftButton);
      QApplication::processEvents();
    });
    Mouse(view, QEvent::MouseButtonRelease, middle, Qt::NoButton);
    // A pan step records the view's picture anew (its geometry changed),
    // while the repaint without a move only plays the kept recording: its
    // goal is the paint of a full view whose geometry changed.
    Report("pan step and repaint", pan, kFullViewGoalMs);
  }
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
  return status;
}
