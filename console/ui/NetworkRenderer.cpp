#include "NetworkRenderer.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

#include "CDrawLine.h"
#include "DrawingObjects.h"
#include "GlobalArrays.h"
#include "LineRaster.h"
#include "PainterDrawTarget.h"
#include "ViewDecorations.h"
#include "WorkerPool.h"

namespace {

using OpKind = NetworkRenderer::OpKind;
using Piece = NetworkRenderer::Piece;

// Room around a primitive for the widest pen (4 pixels).
constexpr int kPenMargin = 4;
// Rows a stripe's painter reaches beyond its stripe (clipped away), so that
// a line crossing the stripe's edge is cut by the clip, not by the device.
constexpr int kStripeMargin = 16;
// Room a zone label may take around its box.
constexpr int kLabelMargin = 64;
// Node circles up to this size come from sprites.
constexpr int kMaxSpriteSide = 16;
constexpr int kSpriteMargin = 2;
// Links a recording thread takes at least.
constexpr int kLinksPerPiece = 2000;
constexpr std::uint8_t kNoBrush = 255;

// Runs fn(0) .. fn(n - 1) on the drawing's worker threads, at most
// `threads` at once (0: as many as the pool has); one thread runs them in
// order on the calling thread.
void RunParallel(int n, int threads, const std::function<void(int)>& fn)
{
  if (threads == 1) {
    for (int i = 0; i < n; ++i)
      fn(i);
    return;
  }
  if (threads <= 0 || n <= threads) {
    WorkerPool::Get().Run(n, fn);
    return;
  }
  WorkerPool::Get().Run(threads, [&](int k) {
    for (int i = k; i < n; i += threads)
      fn(i);
  });
}

bool UsesPen(OpKind kind)
{
  return kind == OpKind::Line || kind == OpKind::Ellipse || kind == OpKind::Rect || kind == OpKind::Polygon;
}

// The drawing target that records: the model draws into it as into a view.
class RecordingTarget : public IPathDrawTarget
{
public:
  RecordingTarget(Piece& piece, const ViewTransform& t, const LogicalMapping& m, QSize size, int stripes,
                  const RenderOptions& options, std::set<NetworkRenderer::SpriteKey>& sprites)
      : m_p(piece), m_t(t), m_m(m), m_size(size), m_bounds(QPoint(0, 0), size), m_stripes(stripes),
        m_options(options), m_sprites(sprites)
  {
    m_p.bins.resize(static_cast<std::size_t>(stripes));
  }

  ScreenPointD WorldToScreenD(const WorldPoint& p) const override { return m_t.WorldToScreenD(p); }
  bool IsPrinting() const override { return false; }
  void SelectPen(DrawPen pen) override { m_pen = static_cast<std::int16_t>(pen); }
  void SelectCustomPen(const PenSpec& spec) override
  {
    auto it = std::find(m_p.customPens.begin(), m_p.customPens.end(), spec);
    m_pen = static_cast<std::int16_t>(kDrawPenCount + (it - m_p.customPens.begin()));
    if (it == m_p.customPens.end())
      m_p.customPens.push_back(spec);
  }
  void SelectBrush(DrawBrush brush) override { m_brush = static_cast<std::uint8_t>(brush); }
  void SetTextColor(ColorRef color) override { m_text = color; }

  void Line(ScreenPoint from, ScreenPoint to) override
  {
    const QPoint a = LogicalToDevicePoint(m_m, from), b = LogicalToDevicePoint(m_m, to);
    if ((m_options.skipSubPixel && a == b) || Outside(QRect(a, b).normalized()))
      return Skip();
    Push(OpKind::Line, 0, a.x(), a.y(), b.x(), b.y(), std::min(a.y(), b.y()), std::max(a.y(), b.y()));
  }
  void Ellipse(const ScreenRect& box) override { Shape(OpKind::Ellipse, box); }
  void Rectangle(const ScreenRect& box) override { Shape(OpKind::Rect, box); }
  void Polygon(const std::vector<ScreenPoint>& points) override
  {
    std::vector<QPoint> device;
    device.reserve(points.size());
    QRect bounds;
    for (const ScreenPoint& p : points) {
      device.push_back(LogicalToDevicePoint(m_m, p));
      bounds |= QRect(device.back(), QSize(1, 1));
    }
    if (device.empty() || Outside(bounds))
      return Skip();
    m_p.polygons.push_back(std::move(device));
    Push(OpKind::Polygon, static_cast<int>(m_p.polygons.size() - 1), bounds.left(), bounds.top(),
         bounds.right() + 1, bounds.bottom() + 1, bounds.top(), bounds.bottom());
  }
  void Bitmap(int resourceId, ScreenPoint centre, ColorRef) override
  {
    const QImage& icon = DrawingObjects::Get().Icon(resourceId);
    if (icon.isNull())
      return;
    const QPoint c = LogicalToDevicePoint(m_m, centre);
    const QRect r(c - QPoint(icon.width() / 2, icon.height() / 2), icon.size());
    if (Outside(r))
      return Skip();
    Push(OpKind::Bitmap, resourceId, r.left(), r.top(), r.right() + 1, r.bottom() + 1, r.top(), r.bottom());
  }
  void LabelText(const std::string& text, const ScreenRect& box) override
  {
    const QRect r = LogicalToDeviceRect(m_m, box);
    const QRect reach = r.adjusted(-kLabelMargin, -kLabelMargin, kLabelMargin, kLabelMargin);
    if (Outside(reach))
      return Skip();
    m_p.labels.emplace_back(text, m_text);
    Push(OpKind::Label, static_cast<int>(m_p.labels.size() - 1), r.left(), r.top(), r.right() + 1,
         r.bottom() + 1, reach.top(), reach.bottom());
  }

private:
  void Shape(OpKind kind, const ScreenRect& box)
  {
    const QRect r = LogicalToDeviceRect(m_m, box);
    if (Outside(r))
      return Skip();
    // Sprites for the built-in pens only: their indices mean the same pen
    // in every piece and every recording.
    if (kind == OpKind::Ellipse && m_options.sprites && r.width() <= kMaxSpriteSide &&
        r.height() <= kMaxSpriteSide && m_pen >= 0 && m_pen < kDrawPenCount && m_brush != kNoBrush)
      m_sprites.insert({r.width(), r.height(), m_pen, m_brush});
    Push(kind, 0, r.left(), r.top(), r.right() + 1, r.bottom() + 1, r.top(), r.bottom());
  }
  bool Outside(const QRect& r) const
  {
    return m_options.cull &&
           !r.adjusted(-kPenMargin, -kPenMargin, kPenMargin, kPenMargin).intersects(m_bounds);
  }
  void Skip() { ++m_p.skipped; }
  // Appends the op and files it in the stripes its rows (with the pen's
  // room) reach.
  void Push(OpKind kind, int a, int x1, int y1, int x2, int y2, int top, int bottom)
  {
    const auto index = static_cast<std::uint32_t>(m_p.ops.size());
    m_p.ops.push_back({kind, m_brush, m_pen, a, x1, y1, x2, y2});
    const int h = m_size.height();
    top = std::max(0, top - kPenMargin);
    bottom = std::min(h - 1, bottom + kPenMargin);
    if (h <= 0 || top > bottom)
      return;
    for (int k = StripeOf(top); k < m_stripes && h * k / m_stripes <= bottom; ++k)
      m_p.bins[static_cast<std::size_t>(k)].push_back(index);
  }
  int StripeOf(int y) const
  {
    const int h = m_size.height();
    int k = static_cast<int>(static_cast<long long>(y) * m_stripes / h);
    while (k + 1 < m_stripes && h * (k + 1) / m_stripes <= y)
      ++k;
    while (k > 0 && h * k / m_stripes > y)
      --k;
    return k;
  }

  Piece& m_p;
  const ViewTransform& m_t;
  LogicalMapping m_m;
  QSize m_size;
  QRect m_bounds;
  int m_stripes;
  const RenderOptions& m_options;
  std::set<NetworkRenderer::SpriteKey>& m_sprites;
  std::int16_t m_pen = -1;
  std::uint8_t m_brush = kNoBrush;
  ColorRef m_text = kViewTextColor;
};

// Each link of a kept piece takes the pen of its new value.
void Recolour(Piece& piece, const ViewDrawOptions& view)
{
  for (std::size_t j = 0; j + 1 < piece.linkOps.size(); ++j) {
    const CDrawLine* link = g_LineArray[piece.firstLink + static_cast<int>(j)];
    if (!link)
      continue;
    const auto pen = static_cast<std::int16_t>(LinkStrokePen(*link, view, false));
    for (std::uint32_t i = piece.linkOps[j]; i < piece.linkOps[j + 1]; ++i)
      if (piece.ops[i].kind == OpKind::Line)
        piece.ops[i].pen = pen;
  }
}

// The background into the stripe's rows.
void FillRows(uchar* bits, qsizetype bytesPerLine, int width, int y0, int y1, QRgb background)
{
  for (int y = y0; y < y1; ++y)
    std::fill_n(reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * bytesPerLine), width, background);
}

// The stripe's rows and a margin above and below them, painted in place
// with the stripe's rows as the clip; the pixels for what is written
// straight into them.
struct StripeCanvas
{
  StripeCanvas(uchar* bits, qsizetype bytesPerLine, int width, QImage::Format format, int y0, int y1,
               int height, double labelPixelSize)
      : top(std::max(0, y0 - kStripeMargin)), bottom(std::min(height, y1 + kStripeMargin)),
        rows(bits + static_cast<qsizetype>(top) * bytesPerLine, width, bottom - top, bytesPerLine, format),
        painter(&rows), pixels(reinterpret_cast<QRgb*>(bits)), stride(bytesPerLine / 4), width(width), y0(y0),
        y1(y1)
  {
    painter.translate(0, -top);
    painter.setClipRect(QRect(0, y0, width, y1 - y0));
    painter.setBackgroundMode(Qt::TransparentMode);
    QFont labelFont;
    labelFont.setPixelSize(static_cast<int>(labelPixelSize));
    painter.setFont(labelFont);
  }
  const int top, bottom;
  QImage rows;
  QPainter painter;
  QRgb* const pixels;
  const qsizetype stride;
  const int width, y0, y1;
};

// Pens and brushes of one stripe's own (shared ones would make the threads
// wait on their reference counts).
struct StripeTools
{
  StripeTools()
  {
    for (const PenSpec& spec : kPenTable) {
      builtIn.push_back(DrawingObjects::MakePen(spec));
      builtInColour.push_back(ToQColor(spec.color).rgb());
    }
    for (int i = 0; i < kDrawBrushCount; ++i)
      brushes.push_back(static_cast<DrawBrush>(i) == DrawBrush::Hollow ? QBrush(Qt::NoBrush)
                                                                       : QBrush(ToQColor(kBrushTable[i])));
  }
  std::vector<QPen> builtIn;
  std::vector<QRgb> builtInColour;
  std::vector<QBrush> brushes;
};

// Blits the whole pixels of a node circle's sprite over the stripe's rows;
// false when there is no sprite of its size, pen and brush.
bool BlitSprite(StripeCanvas& c, const std::map<NetworkRenderer::SpriteKey, QImage>& sprites,
                const NetworkRenderer::Op& op, const QRect& r)
{
  auto it = sprites.find(NetworkRenderer::SpriteKey{r.width(), r.height(), op.pen, op.brush});
  if (it == sprites.end())
    return false;
  const QImage& s = it->second;
  const int sx = r.left() - kSpriteMargin, sy = r.top() - kSpriteMargin;
  for (int y = std::max(sy, c.y0); y < std::min(sy + s.height(), c.y1); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(s.constScanLine(y - sy));
    QRgb* dst = c.pixels + static_cast<qsizetype>(y) * c.stride;
    for (int x = std::max(sx, 0); x < std::min(sx + s.width(), c.width); ++x)
      if (qAlpha(src[x - sx]) == 255)
        dst[x] = src[x - sx];
  }
  return true;
}

// Plays one piece's primitives that reach the stripe, in their order, with
// the painter's pen and brush changed only when they differ.
class PiecePlayer
{
public:
  PiecePlayer(StripeCanvas& canvas, const StripeTools& tools, const Piece& piece, bool sprites,
              const std::map<NetworkRenderer::SpriteKey, QImage>& spriteImages)
      : m_c(canvas), m_tools(tools), m_piece(piece), m_bSprites(sprites), m_spriteImages(spriteImages)
  {
    for (const PenSpec& spec : piece.customPens) {
      m_custom.push_back(DrawingObjects::MakePen(spec));
      m_customColour.push_back(ToQColor(spec.color).rgb());
    }
  }

  void Play(const NetworkRenderer::Op& op)
  {
    if (UsesPen(op.kind) && op.pen >= 0) {
      if (op.kind == OpKind::Line && IsThinSolid(SpecOf(op.pen))) {
        // Thin solid lines straight into the pixels.
        RasterLine(m_c.pixels, m_c.stride, m_c.width, m_c.y0, m_c.y1, QLine(op.x1, op.y1, op.x2, op.y2),
                   ColourOf(op.pen));
        return;
      }
      if (op.kind != OpKind::Ellipse || !m_bSprites)
        SelectPen(op.pen);
    }
    switch (op.kind) {
    case OpKind::Line: m_c.painter.drawLine(op.x1, op.y1, op.x2, op.y2); break;
    case OpKind::Ellipse:
    case OpKind::Rect: Shape(op); break;
    case OpKind::Polygon: {
      SelectBrush(op.brush);
      const auto& pts = m_piece.polygons[static_cast<std::size_t>(op.a)];
      m_c.painter.drawPolygon(pts.data(), static_cast<int>(pts.size()));
      break;
    }
    case OpKind::Bitmap: m_c.painter.drawImage(QPoint(op.x1, op.y1), DrawingObjects::Get().Icon(op.a)); break;
    case OpKind::Label: Label(op); break;
    }
  }

private:
  const PenSpec& SpecOf(int pen) const
  {
    return pen < kDrawPenCount ? kPenTable[pen]
                               : m_piece.customPens[static_cast<std::size_t>(pen - kDrawPenCount)];
  }
  QRgb ColourOf(int pen) const
  {
    return pen < kDrawPenCount ? m_tools.builtInColour[static_cast<std::size_t>(pen)]
                               : m_customColour[static_cast<std::size_t>(pen - kDrawPenCount)];
  }
  void SelectPen(int pen)
  {
    if (m_painterPen == pen)
      return;
    m_c.painter.setPen(pen < kDrawPenCount ? m_tools.builtIn[static_cast<std::size_t>(pen)]
                                           : m_custom[static_cast<std::size_t>(pen - kDrawPenCount)]);
    m_painterPen = pen;
  }
  void SelectBrush(std::uint8_t brush)
  {
    if (m_painterBrush != brush && brush != kNoBrush) {
      m_c.painter.setBrush(m_tools.brushes[brush]);
      m_painterBrush = brush;
    }
  }
  // An ellipse (from its sprite when there is one) or a rectangle.
  void Shape(const NetworkRenderer::Op& op)
  {
    const QRect r(QPoint(op.x1, op.y1), QPoint(op.x2 - 1, op.y2 - 1));
    if (op.kind == OpKind::Ellipse && m_bSprites) {
      if (BlitSprite(m_c, m_spriteImages, op, r))
        return;
      if (op.pen >= 0)
        SelectPen(op.pen);
    }
    SelectBrush(op.brush);
    if (op.kind == OpKind::Ellipse)
      m_c.painter.drawEllipse(OutlineRect(r));
    else
      m_c.painter.drawRect(OutlineRect(r));
  }
  void Label(const NetworkRenderer::Op& op)
  {
    const auto& [text, colour] = m_piece.labels[static_cast<std::size_t>(op.a)];
    m_c.painter.setPen(ToQColor(colour));
    m_painterPen = -2;
    m_c.painter.drawText(QRect(QPoint(op.x1, op.y1), QPoint(op.x2 - 1, op.y2 - 1)),
                         Qt::AlignCenter | Qt::TextDontClip, QString::fromStdString(text));
  }

  StripeCanvas& m_c;
  const StripeTools& m_tools;
  const Piece& m_piece;
  const bool m_bSprites;
  const std::map<NetworkRenderer::SpriteKey, QImage>& m_spriteImages;
  std::vector<QPen> m_custom;
  std::vector<QRgb> m_customColour;
  int m_painterPen = -2, m_painterBrush = -2;
};

void PlayPiece(StripeCanvas& canvas, const StripeTools& tools, const Piece& piece,
               const std::vector<std::uint32_t>& bin, bool sprites,
               const std::map<NetworkRenderer::SpriteKey, QImage>& spriteImages)
{
  PiecePlayer player(canvas, tools, piece, sprites, spriteImages);
  for (std::uint32_t index : bin)
    player.Play(piece.ops[index]);
}

}  // namespace

void NetworkRenderer::Piece::Clear()
{
  ops.clear();
  for (auto& bin : bins)
    bin.clear();
  customPens.clear();
  polygons.clear();
  labels.clear();
  linkOps.clear();
  firstLink = 0;
  skipped = 0;
}

int NetworkRenderer::Threads() const
{
  if (m_options.threads > 0)
    return m_options.threads;
  return WorkerPool::Get().Threads() + 1;
}

void NetworkRenderer::Record(const NetworkViewOptions& view, const LockedPathLists& paths,
                             const ViewTransform& transform, const LogicalMapping& mapping, QSize size,
                             const RenderOptions& options)
{
  m_options = options;
  m_size = size;
  m_nStripes = std::clamp(Threads(), 1, std::max(1, size.height() / 32));
  m_labelPixelSize = std::max(1.0, std::round(mapping.LogicalToDeviceY(kLabelFontHeight)));
  const int links = g_LineArray.GetSize();
  const int linkPieces = std::max(1, std::min(Threads(), links / kLinksPerPiece));

  LinkGeometry geometry;
  geometry.state = transform.State();
  geometry.angle = transform.m_dAngle;
  geometry.dpiX = mapping.dpiX;
  geometry.dpiY = mapping.dpiY;
  geometry.width = size.width();
  geometry.height = size.height();
  geometry.options = options;
  geometry.dataLoaded = view.bDataLoaded;
  geometry.showCCTV = view.objects.bShowCCTV;
  geometry.showDetectors = view.objects.bShowDetectors;
  geometry.links = links;
  geometry.firstLink = links ? g_LineArray[0] : nullptr;
  geometry.lastLink = links ? g_LineArray[links - 1] : nullptr;
  // The queue measure draws a piece of each link by its value: its strokes
  // are not kept.
  const bool keepable = options.keepLinks && view.objects.nDisplayMeasure != 3;
  m_bKeptLinks = keepable && m_bLinksKept && geometry == m_geometry &&
                 static_cast<int>(m_pieces.size()) == linkPieces + 1;
  m_geometry = geometry;
  m_bLinksKept = keepable;

  // The pieces keep their memory from one recording to the next.
  m_pieces.resize(static_cast<std::size_t>(linkPieces) + 1);
  std::vector<std::set<SpriteKey>> wanted(m_pieces.size());
  RunParallel(linkPieces + 1, m_options.threads, [&](int i) {
    Piece& piece = m_pieces[static_cast<std::size_t>(i)];
    if (i < linkPieces && m_bKeptLinks) {
      Recolour(piece, view.objects);
      return;
    }
    piece.Clear();
    RecordingTarget target(piece, transform, mapping, size, m_nStripes, m_options,
                           wanted[static_cast<std::size_t>(i)]);
    target.SetTextColor(kViewTextColor);
    if (i == linkPieces) {
      DrawNetworkAfterLinks(view, paths, target);
      return;
    }
    // Link by link, so that a kept piece knows each link's strokes.
    piece.firstLink = links * i / linkPieces;
    const int end = links * (i + 1) / linkPieces;
    for (int l = piece.firstLink; l < end; ++l) {
      piece.linkOps.push_back(static_cast<std::uint32_t>(piece.ops.size()));
      DrawNetworkLinks(view, l, l + 1, target);
    }
    piece.linkOps.push_back(static_cast<std::uint32_t>(piece.ops.size()));
  });
  // Sprites not made yet, made once.
  for (const auto& keys : wanted)
    for (const SpriteKey& key : keys) {
      if (m_sprites.count(key))
        continue;
      QImage image(key.w + 2 * kSpriteMargin, key.h + 2 * kSpriteMargin, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::transparent);
      QPainter p(&image);
      p.setPen(DrawingObjects::MakePen(kPenTable[key.pen]));
      p.setBrush(DrawingObjects::Get().Brush(static_cast<DrawBrush>(key.brush)));
      p.drawEllipse(OutlineRect(QRect(QPoint(kSpriteMargin, kSpriteMargin), QSize(key.w, key.h))));
      p.end();
      m_sprites.emplace(key, image);
    }
}

std::size_t NetworkRenderer::Primitives() const
{
  std::size_t n = 0;
  for (const Piece& p : m_pieces)
    n += p.ops.size();
  return n;
}

std::size_t NetworkRenderer::Skipped() const
{
  std::size_t n = 0;
  for (const Piece& p : m_pieces)
    n += p.skipped;
  return n;
}

std::size_t NetworkRenderer::MemoryBytes() const
{
  std::size_t bytes = 0;
  for (const Piece& piece : m_pieces) {
    bytes += piece.ops.capacity() * sizeof(Op) + piece.customPens.capacity() * sizeof(PenSpec) +
             piece.linkOps.capacity() * sizeof(std::uint32_t);
    for (const auto& bin : piece.bins)
      bytes += bin.capacity() * sizeof(std::uint32_t);
    for (const auto& p : piece.polygons)
      bytes += p.capacity() * sizeof(QPoint);
    for (const auto& l : piece.labels)
      bytes += l.first.capacity();
  }
  for (const auto& [key, image] : m_sprites)
    bytes += static_cast<std::size_t>(image.sizeInBytes());
  return bytes;
}

void NetworkRenderer::Play(QImage& image, QColor background) const
{
  if (image.size() != m_size || image.isNull())
    return;
  // One buffer for every stripe, detached here, before the threads.
  uchar* bits = image.bits();
  const qsizetype bpl = image.bytesPerLine();
  const int width = image.width();
  const QImage::Format format = image.format();
  const QRgb fill = background.rgb();
  RunParallel(m_nStripes, m_options.threads, [&](int k) { PlayStripe(bits, bpl, width, format, fill, k); });
}

void NetworkRenderer::PlayStripe(uchar* bits, qsizetype bytesPerLine, int width, QImage::Format format,
                                 QRgb background, int stripe) const
{
  const int y0 = StripeTop(stripe), y1 = StripeTop(stripe + 1);
  if (y1 <= y0)
    return;
  FillRows(bits, bytesPerLine, width, y0, y1, background);
  StripeCanvas canvas(bits, bytesPerLine, width, format, y0, y1, m_size.height(), m_labelPixelSize);
  const StripeTools tools;
  for (const Piece& piece : m_pieces)
    if (static_cast<std::size_t>(stripe) < piece.bins.size())
      PlayPiece(canvas, tools, piece, piece.bins[static_cast<std::size_t>(stripe)], m_options.sprites,
                m_sprites);
}
