// view_bench: the network views' drawing of a generated network of 50,000
// links in a 1600 x 1000 view, beside a bare QPainter baseline that draws
// the same strokes with one drawLines call per pen (the strokes made
// beforehand, so the baseline times the painting only).
//
//   view_bench [--links N] [--rounds R]
//
// Cases: a full repaint of one view (geometry changed) at full extent and
// zoomed to 1/16 of the network; the repaint of all three views after a
// new minute (colours changed, geometry not); the memory of the views'
// caches. The same drawing through QPainter stroke by stroke is shown for
// comparison.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <time.h>
#include <vector>

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

void Baseline(QImage& image, const StrokesByPen& s)
{
  image.fill(Qt::black);
  QPainter p(&image);
  for (const auto& [pen, lines] : s.lines) {
    p.setPen(DrawingObjects::Get().Pen(static_cast<DrawPen>(pen)));
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
  }
  p.setBrush(DrawingObjects::Get().Brush(DrawBrush::Node));
  for (const auto& [pen, r] : s.ellipses) {
    p.setPen(DrawingObjects::Get().Pen(static_cast<DrawPen>(pen)));
    p.drawEllipse(r);
  }
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
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--links"))
      links = std::atoll(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--rounds"))
      rounds = std::max(1, std::atoi(argv[i + 1]));
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  const std::string dir = (std::filesystem::temp_directory_path() / "vlq_view_bench").string();
  std::filesystem::remove_all(dir);
  vlq::mod::RunDirOptions opt;
  opt.links = links;
  std::string error;
  if (!vlq::mod::WriteRunDir(dir, opt, error)) {
    std::fprintf(stderr, "view_bench: %s\n", error.c_str());
    return 1;
  }
  std::filesystem::current_path(dir);
  g_Project.SetSinks(nullptr, nullptr, [](int) {});
  if (!g_Project.LoadNetworkData()) {
    std::fprintf(stderr, "view_bench: the generated network did not load\n");
    return 1;
  }
  g_Project.StopRealTimeReader();
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

  std::printf(
      "view_bench: %d links, %d nodes, view %dx%d, %u hardware threads, best / median of %d rounds (ms)\n\n",
      g_LineArray.GetSize(), g_NodeArray.GetSize(), size.width(), size.height(),
      std::thread::hardware_concurrency(), rounds);
  std::printf("  %-32s %22s %22s %22s %8s\n", "case", "fast", "bare QPainter", "stroke by stroke", "strokes");
  std::printf("  %-32s %22s %22s %22s\n", "", "best / median (cpu)", "best / median (cpu)",
              "best / median (cpu)");

  auto row = [](const char* name, Timing fast, Timing bare, Timing plain, std::size_t strokes) {
    auto cell = [](Timing t) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%5.1f / %5.1f (%5.1f)", t.best, t.median, t.cpu);
      return std::string(buf);
    };
    std::printf("  %-32s %22s %22s %22s %8zu\n", name, cell(fast).c_str(), cell(bare).c_str(),
                cell(plain).c_str(), strokes);
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
    Timing fast, record, play;
    {
      LockedPathLists paths = g_PredictedPaths.Lock();
      fast = Time(rounds, [&] {
        pan();
        RenderNetworkView(images[0], v, ctx, paths, renderers[0]);
      });
      record = Time(rounds, [&] {
        pan();
        renderers[0].Record(v.DrawOptions(true, ctx.LegendLineY()), paths, v.m_transform, mapping, size);
      });
      play = Time(rounds, [&] { renderers[0].Play(images[0], Qt::black); });
    }
    v.m_transform.SetState(state);
    const Timing bare = Time(rounds, [&] { Baseline(images[1], strokes); });
    const Timing plain = Time(rounds, [&] { strokeByStroke(v, images[2]); });
    row(name, fast, bare, plain, strokes.Count());
    std::printf("    of which recording %.1f, playing %.1f (%zu primitives kept, %zu left out)\n",
                record.best, play.best, renderers[0].Primitives(), renderers[0].Skipped());
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
  std::vector<ViewRenderJob> jobs;
  for (int i = 0; i < 3; ++i)
    jobs.push_back({&images[i], &views[i], ctx, &renderers[i]});
  Timing fast;
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    fast = Time(rounds, [&] {
      nextMinute();
      RenderNetworkViews(jobs, paths);
    });
  }
  const StrokesByPen strokes[3] = {strokesOf(views[0]), strokesOf(views[1]), strokesOf(views[2])};
  QImage scratch(size, QImage::Format_RGB32);
  const Timing bare = Time(rounds, [&] {
    for (const auto& st : strokes)
      Baseline(scratch, st);
  });
  const Timing plain = Time(rounds, [&] {
    nextMinute();
    for (auto& v : views)
      strokeByStroke(v, scratch);
  });
  row("three views after a new minute", fast, bare, plain, strokes[0].Count() * 3);

  std::size_t imageBytes = 0, recordBytes = 0, primitives = 0;
  for (int i = 0; i < 3; ++i) {
    imageBytes += static_cast<std::size_t>(images[i].sizeInBytes());
    recordBytes += renderers[i].MemoryBytes();
    primitives += renderers[i].Primitives();
  }
  std::printf(
      "\n  memory of the three views' caches: images %.1f MiB, recordings %.1f MiB (%zu primitives)\n",
      imageBytes / 1048576.0, recordBytes / 1048576.0, primitives);
  g_bDataLoaded = false;
  g_Project.ClearNetworkArrays();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(dir);
  return 0;
}
