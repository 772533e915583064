// view_bench: the network views' drawing of a generated network of 50,000
// links in a 1600 x 1000 view, beside a bare QPainter baseline that draws
// the same strokes with one drawLines call per pen (the strokes made
// beforehand, so the baseline times the painting only).
//
//   view_bench [--links N] [--rounds R] [--rundir DIR]
//
// The network is generated under TMPDIR (else /tmp) and removed; with
// --rundir the network of DIR is drawn instead (DIR kept as it is, at least
// N links, or 1, asked of it).
//
// Cases: a full repaint of one view (geometry changed) at full extent and
// zoomed to 1/16 of the network; the repaint of all three views after a
// new minute (colours changed, geometry not); the memory of the views'
// caches. Each case is timed at one thread and at the drawing's T threads
// (the machine's, up to 8), the fast way and the baseline each at the same
// count: at T threads the baseline paints T horizontal stripes at once, each
// with the strokes that reach it. The same drawing through QPainter stroke
// by stroke (one thread, as the printout is drawn) is shown for comparison.
// The console's figures, the fast way at T threads, are printed with their
// goals. The run fails (status 1) when the network did not load whole.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <time.h>
#include <vector>

#include "BenchSupport.h"
#include "CDrawLine.h"
#include "CDrawObj.h"
#include "CProject.h"
#include "ConsoleState.h"
#include "DrawingObjects.h"
#include "GlobalArrays.h"
#include "NetworkRenderer.h"
#include "PainterDrawTarget.h"
#include "RunDirGen.h"
#include "ViewPainting.h"
#include "WorkerPool.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b)
{
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// CPU time of every thread of the process, in ms.
double CpuMs()
{
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Best and median of the rounds of a case, and the median CPU time of all
// threads, in ms.
struct Timing
{
  double best = 0;
  double median = 0;
  double cpu = 0;
};

template <class Fn>
Timing Time(int rounds, Fn fn)
{
  std::vector<double> t, cpu;
  fn();  // warm up
  for (int i = 0; i < rounds; ++i) {
    const double c = CpuMs();
    const auto a = Clock::now();
    fn();
    t.push_back(Ms(a, Clock::now()));
    cpu.push_back(CpuMs() - c);
  }
  std::sort(t.begin(), t.end());
  std::sort(cpu.begin(), cpu.end());
  return {t.front(), t[t.size() / 2], cpu[cpu.size() / 2]};
}

// The strokes of a view by pen, in device pixels: what the baseline draws.
class StrokesByPen : public IPathDrawTarget
{
public:
  StrokesByPen(const ViewTransform& t, const LogicalMapping& m) : m_t(t), m_m(m) {}
  std::map<int, std::vector<QLine>> lines;
  std::vector<std::pair<int, QRect>> ellipses;  // with their pen
  // The same for a part of the image.
  struct Stripe
  {
    std::map<int, std::vector<QLine>> lines;
    std::vector<std::pair<int, QRect>> ellipses;
  };
  ScreenPointD WorldToScreenD(const WorldPoint& p) const override { return m_t.WorldToScreenD(p); }
  bool IsPrinting() const override { return false; }
  void SelectPen(DrawPen p) override { m_pen = static_cast<int>(p); }
  void SelectCustomPen(const PenSpec&) override {}
  void SelectBrush(DrawBrush) override {}
  void SetTextColor(ColorRef) override {}
  void Line(ScreenPoint a, ScreenPoint b) override
  {
    lines[m_pen].emplace_back(LogicalToDevicePoint(m_m, a), LogicalToDevicePoint(m_m, b));
  }
  void Ellipse(const ScreenRect& box) override
  {
    ellipses.emplace_back(m_pen, LogicalToDeviceRect(m_m, box));
  }
  void Rectangle(const ScreenRect&) override {}
  void Polygon(const std::vector<ScreenPoint>&) override {}
  void Bitmap(int, ScreenPoint, ColorRef) override {}
  void LabelText(const std::string&, const ScreenRect&) override {}
  std::size_t Count() const
  {
    std::size_t n = ellipses.size();
    for (const auto& [pen, l] : lines)
      n += l.size();
    return n;
  }

private:
  const ViewTransform& m_t;
  LogicalMapping m_m;
  int m_pen = 0;
};

// The baseline's strokes of one view, split into the horizontal stripes
// that the threads paint: each stripe holds the strokes whose rows (with
// the widest pen's room) reach it.
struct StripedStrokes
{
  int stripes = 1;
  QSize size;
  std::vector<StrokesByPen::Stripe> parts;
};

StripedStrokes Stripe(const StrokesByPen& s, QSize size, int stripes)
{
  constexpr int kRoom = 4;
  StripedStrokes out;
  out.stripes = std::max(1, stripes);
  out.size = size;
  out.parts.resize(static_cast<std::size_t>(out.stripes));
  auto top = [&](int k) { return size.height() * k / out.stripes; };
  auto reach = [&](int y0, int y1, auto&& add) {
    for (int k = 0; k < out.stripes; ++k)
      if (y1 + kRoom >= top(k) && y0 - kRoom < top(k + 1))
        add(out.parts[static_cast<std::size_t>(k)]);
  };
  for (const auto& [pen, lines] : s.lines)
    for (const QLine& l : lines)
      reach(std::min(l.y1(), l.y2()), std::max(l.y1(), l.y2()),
            [&](StrokesByPen::Stripe& part) { part.lines[pen].push_back(l); });
  for (const auto& [pen, r] : s.ellipses)
    reach(r.top(), r.bottom(), [&](StrokesByPen::Stripe& part) { part.ellipses.emplace_back(pen, r); });
  return out;
}

// Paints one stripe of the baseline with pens and brushes of its own, into
// the image's rows through an image of its own over them (a QImage takes
// one painter at a time).
void BaselineStripe(uchar* bits, qsizetype bytesPerLine, const StripedStrokes& s, int k)
{
  const int y0 = s.size.height() * k / s.stripes, y1 = s.size.height() * (k + 1) / s.stripes;
  if (y1 <= y0)
    return;
  QImage rows(bits + static_cast<qsizetype>(y0) * bytesPerLine, s.size.width(), y1 - y0, bytesPerLine,
              QImage::Format_RGB32);
  QPainter p(&rows);
  p.translate(0, -y0);
  p.setClipRect(QRect(0, y0, s.size.width(), y1 - y0));
  p.fillRect(QRect(0, y0, s.size.width(), y1 - y0), Qt::black);
  const StrokesByPen::Stripe& part = s.parts[static_cast<std::size_t>(k)];
  for (const auto& [pen, lines] : part.lines) {
    p.setPen(DrawingObjects::MakePen(kPenTable[pen]));
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
  }
  p.setBrush(QBrush(ToQColor(kBrushTable[static_cast<int>(DrawBrush::Node)])));
  for (const auto& [pen, r] : part.ellipses) {
    p.setPen(DrawingObjects::MakePen(kPenTable[pen]));
    p.drawEllipse(r);
  }
}

// The baseline of one view on `threads` threads (its strokes striped for
// them): one thread paints the whole image in one go.
void Baseline(QImage& image, const StripedStrokes& s, int threads)
{
  uchar* bits = image.bits();  // detached here, before the threads
  const qsizetype bpl = image.bytesPerLine();
  if (threads <= 1) {
    for (int k = 0; k < s.stripes; ++k)
      BaselineStripe(bits, bpl, s, k);
    return;
  }
  WorkerPool::Get().Run(s.stripes, [&](int k) { BaselineStripe(bits, bpl, s, k); });
}

void Randomise(int minute, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> density(0, 90), speed(0, 75);
  for (const auto& link : g_LineArray)
    for (int source : {0, 1, 3}) {
      link->SetSeries(kMeasureDensity, source, minute, density(rng));
      link->SetSeries(kMeasureSpeed, source, minute, speed(rng));
    }
}

}  // namespace

int main(int argc, char** argv)
{
  long long links = 50000;
  int rounds = 9;
  bool linksGiven = false;
  std::string rundir;
  for (int i = 1; i < argc; i += 2) {
    long long n = 0;
    if (i + 1 < argc && !std::strcmp(argv[i], "--links") &&
        vlq::bench::ParseInteger(argv[i + 1], LLONG_MIN, LLONG_MAX, n)) {
      links = n;
      linksGiven = true;
    } else if (i + 1 < argc && !std::strcmp(argv[i], "--rounds") &&
               vlq::bench::ParseInteger(argv[i + 1], 1, 1000000, n)) {
      rounds = static_cast<int>(n);
    } else if (i + 1 < argc && !std::strcmp(argv[i], "--rundir")) {
      rundir = argv[i + 1];
    } else {
      std::fprintf(stderr, "usage: view_bench [--links N] [--rounds R] [--rundir DIR]\n");
      return 2;
    }
  }
  if (links < 1) {
    std::fprintf(stderr, "view_bench: FAILED: --links needs a number of 1 or more\n");
    return 1;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  // Whatever happens below, a run directory made here goes.
  vlq::bench::ScratchDir scratch;
  std::string dir;
  if (!rundir.empty()) {
    dir = std::filesystem::absolute(rundir).string();
    if (!std::filesystem::is_directory(dir)) {
      std::fprintf(stderr, "view_bench: FAILED: no run directory %s\n", dir.c_str());
      return 1;
    }
    if (!linksGiven)
      links = 1;
  } else {
    std::string error;
    if (!scratch.Make("vlq_view_bench_", error)) {
      std::fprintf(stderr, "view_bench: FAILED: %s\n", error.c_str());
      return 1;
    }
    dir = scratch.Path();
    vlq::mod::RunDirOptions opt;
    opt.links = links;
    if (!vlq::mod::WriteRunDir(dir, opt, error)) {
      std::fprintf(stderr, "view_bench: FAILED: no network of %lld links: %s\n", links, error.c_str());
      return 1;
    }
  }
  std::filesystem::current_path(dir);
  std::string firstMessage;
  struct Messages : IMessageSink
  {
    std::string* first;
    void ShowMessage(const std::string& t) override
    {
      if (first->empty())
        *first = t;
    }
  } messages;
  messages.first = &firstMessage;
  g_Project.SetSinks(nullptr, &messages, [](int) {});
  const bool loaded = g_Project.LoadNetworkData();
  g_Project.StopRealTimeReader();
  g_Project.SetSinks(nullptr, nullptr, nullptr);
  if (!loaded || g_LineArray.GetSize() < links) {
    std::fprintf(stderr, "view_bench: FAILED: the network loaded %d links, %lld asked%s%s\n",
                 g_LineArray.GetSize(), links, firstMessage.empty() ? "" : ": ", firstMessage.c_str());
    g_Project.ClearNetworkArrays();
    return 1;
  }
  g_bDataLoaded = true;
  Randomise(5, 1);

  const QSize size(1600, 1000);
  const LogicalMapping mapping{96, 96};
  const double wl = mapping.DeviceToLogicalX(size.width()), hl = mapping.DeviceToLogicalY(size.height());
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (const auto& n : g_NodeArray) {
    minX = std::min(minX, n->m_ptPos.x);
    maxX = std::max(maxX, n->m_ptPos.x);
    minY = std::min(minY, n->m_ptPos.y);
    maxY = std::max(maxY, n->m_ptPos.y);
  }
  // Full extent: the network fills the view below its title band.
  const double s = std::min((wl - 20) / (maxX - minX), (hl - 60) / (maxY - minY));
  const ViewState full{-minX + 10 / s, -minY + 35 / s, s, s, 0, 0};
  // A sixteenth: four times closer about the network's middle.
  const double midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
  const ViewState sixteenth{wl / (8 * s) - midX, hl / (8 * s) - midY, 4 * s, 4 * s, 0, 0};

  NetworkViewModel views[3] = {NetworkViewModel({kViewCurrentCondition, 0}),
                               NetworkViewModel({kViewPrediction0, 1}),
                               NetworkViewModel({kViewPrediction1, 3})};
  for (auto& v : views) {
    v.m_nDisplayMeasure = 1;
    v.m_nMinute = 5;
    v.m_transform.SetState(full);
  }
  QImage images[3] = {QImage(size, QImage::Format_RGB32), QImage(size, QImage::Format_RGB32),
                      QImage(size, QImage::Format_RGB32)};
  NetworkRenderer renderers[3];
  // The drawing's threads: the pool's and the calling one.
  const int threads = WorkerPool::Get().Threads() + 1;
  const int counts[] = {1, threads};
  int missed = 0;

  std::printf("view_bench: %d links, %d nodes, view %dx%d; each side timed at 1 thread and at %d threads "
              "(%u hardware threads); best / median of %d rounds (ms)\n\n",
              g_LineArray.GetSize(), g_NodeArray.GetSize(), size.width(), size.height(), threads,
              std::thread::hardware_concurrency(), rounds);
  std::printf("  %-34s %7s %22s %22s %6s %8s\n", "case", "threads", "fast", "bare QPainter", "ratio",
              "strokes");
  std::printf("  %-34s %7s %22s %22s\n", "", "", "best / median (cpu)", "best / median (cpu)");

  auto cell = [](Timing t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%5.1f / %5.1f (%5.1f)", t.best, t.median, t.cpu);
    return std::string(buf);
  };
  auto row = [&](const char* name, int n, Timing fast, Timing bare, std::size_t strokes) {
    std::printf("  %-34s %7d %22s %22s %5.2fx %8zu\n", name, n, cell(fast).c_str(), cell(bare).c_str(),
                fast.median > 0 ? bare.median / fast.median : 0.0, strokes);
  };
  auto goal = [&](const char* what, Timing t, double goalMs) {
    const vlq::bench::Goal g{goalMs, "ms", vlq::bench::Goal::kAtMost, 0, "median"};
    missed += !vlq::bench::Met(g, t.median);
    std::printf("    goal: %s at %d threads: %.1f ms, %s\n", what, threads, t.median,
                vlq::bench::Verdict(g, t.median).c_str());
  };

  const ViewPaintContext ctx = ViewPaintContext::Current(size, mapping);
  auto strokesOf = [&](const NetworkViewModel& v) {
    StrokesByPen strokes(v.m_transform, mapping);
    LockedPathLists paths = g_PredictedPaths.Lock();
    DrawNetwork(v.DrawOptions(true, ctx.LegendLineY()), paths, strokes);
    return strokes;
  };
  auto strokeByStroke = [&](const NetworkViewModel& v, QImage& image) {
    QPainter p(&image);
    PaintNetworkView(p, v, ctx);  // locks the path lists itself
  };

  // One view whose geometry changed: drawn whole. Every round pans the view
  // by one logical unit, so that nothing of the last round is kept.
  const std::pair<const char*, ViewState> geometries[] = {{"one view, full extent", full},
                                                          {"one view, 1/16 of the network", sixteenth}};
  for (const auto& [name, state] : geometries) {
    NetworkViewModel& v = views[0];
    v.m_transform.SetState(state);
    const StrokesByPen strokes = strokesOf(v);
    int round = 0;
    auto pan = [&] {
      ViewState moved = state;
      moved.offsetX += (++round % 2);
      v.m_transform.SetState(moved);
    };
    for (int n : counts) {
      RenderOptions options;
      options.threads = n;
      Timing fast, record, play;
      {
        LockedPathLists paths = g_PredictedPaths.Lock();
        fast = Time(rounds, [&] {
          pan();
          RenderNetworkView(images[0], v, ctx, paths, renderers[0], options);
        });
        record = Time(rounds, [&] {
          pan();
          renderers[0].Record(v.DrawOptions(true, ctx.LegendLineY()), paths, v.m_transform, mapping, size,
                              options);
        });
        play = Time(rounds, [&] { renderers[0].Play(images[0], Qt::black); });
      }
      v.m_transform.SetState(state);
      const StripedStrokes striped = Stripe(strokes, size, n);
      const Timing bare = Time(rounds, [&] { Baseline(images[1], striped, n); });
      row(name, n, fast, bare, strokes.Count());
      std::printf("    of which recording %.1f, playing %.1f (%zu primitives kept, %zu left out)\n",
                  record.best, play.best, renderers[0].Primitives(), renderers[0].Skipped());
      if (n == threads)
        goal("a full view", fast, 20.0);
    }
    const Timing plain = Time(rounds, [&] { strokeByStroke(v, images[2]); });
    std::printf("    stroke by stroke through QPainter, 1 thread: %s\n", cell(plain).c_str());
  }

  // A new minute: every view's colours change, their geometry does not.
  for (auto& v : views)
    v.m_transform.SetState(full);
  int minute = 5;
  auto nextMinute = [&] {
    minute = minute == 5 ? 6 : 5;
    for (auto& v : views)
      v.m_nMinute = minute;
  };
  Randomise(6, 2);
  const StrokesByPen strokes[3] = {strokesOf(views[0]), strokesOf(views[1]), strokesOf(views[2])};
  for (int n : counts) {
    Timing fast;
    {
      LockedPathLists paths = g_PredictedPaths.Lock();
      if (n == threads) {
        // As the console does it: the three views at once, each on a thread
        // of the pool and playing in stripes on the others.
        std::vector<ViewRenderJob> jobs;
        for (int i = 0; i < 3; ++i)
          jobs.push_back({&images[i], &views[i], ctx, &renderers[i]});
        fast = Time(rounds, [&] {
          nextMinute();
          RenderNetworkViews(jobs, paths);
        });
      } else {
        RenderOptions options;
        options.threads = n;
        fast = Time(rounds, [&] {
          nextMinute();
          for (int i = 0; i < 3; ++i)
            RenderNetworkView(images[i], views[i], ctx, paths, renderers[i], options);
        });
      }
    }
    const StripedStrokes striped[3] = {Stripe(strokes[0], size, n), Stripe(strokes[1], size, n),
                                       Stripe(strokes[2], size, n)};
    QImage scratch(size, QImage::Format_RGB32);
    const Timing bare = Time(rounds, [&] {
      for (const auto& st : striped)
        Baseline(scratch, st, n);
    });
    row("three views after a new minute", n, fast, bare, strokes[0].Count() * 3);
    if (n == threads)
      goal("three views after a new minute", fast, 15.0);
  }
  {
    QImage scratch(size, QImage::Format_RGB32);
    const Timing plain = Time(rounds, [&] {
      nextMinute();
      for (auto& v : views)
        strokeByStroke(v, scratch);
    });
    std::printf("    stroke by stroke through QPainter, 1 thread: %s\n", cell(plain).c_str());
  }

  std::size_t imageBytes = 0, recordBytes = 0, primitives = 0;
  for (int i = 0; i < 3; ++i) {
    imageBytes += static_cast<std::size_t>(images[i].sizeInBytes());
    recordBytes += renderers[i].MemoryBytes();
    primitives += renderers[i].Primitives();
  }
  std::printf("\n  memory of the three views' caches: images %.1f MiB, recordings %.1f MiB (%zu primitives; "
              "no goal)\n",
              imageBytes / 1048576.0, recordBytes / 1048576.0, primitives);
  std::printf("  %s\n", missed ? "a figure MISSED its goal" : "every figure within its goal");
  g_bDataLoaded = false;
  g_Project.ClearNetworkArrays();
  return 0;
}
