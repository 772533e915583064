// The fast way a network view draws its layers. The model's drawing is
// recorded into device-space primitives: the link layer in pieces on
// several threads (DrawNetworkLinks), the layers after it beside them
// (DrawNetworkAfterLinks). The recording is then played into the view's
// image in horizontal stripes on several threads, each stripe playing, in
// their order, the primitives that reach its rows. What the network objects
// decide to draw is unchanged; the recording only
//   - leaves out what lies wholly outside the image,
//   - leaves out strokes shorter than a pixel (both ends on one pixel),
//   - writes the thin solid lines straight into the pixels (LineRaster.h)
//     and blits small node circles from sprites made once, at whole pixels,
//   - keeps the links' strokes between recordings: while the geometry stays
//     (same transform, size and layers, no queue measure) a new recording
//     only gives each link the pen of its new value (LinkStrokePen) and
//     records the layers after the links afresh.
// Each stripe paints with pens and brushes of its own (shared ones would
// make the threads wait on their reference counts).
//
//   NetworkRenderer r;
//   r.Record(options, paths, view.m_transform, mapping, image.size());
//   r.Play(image, Qt::black);
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "NetworkDrawing.h"
#include "ViewTransform.h"

struct RenderOptions
{
  bool cull = true;          // skip what lies outside the image
  bool skipSubPixel = true;  // skip strokes shorter than a pixel
  bool sprites = true;       // blit small node circles from sprites
  bool keepLinks = true;     // recolour the kept link strokes while the geometry stays
  int threads = 0;           // recording pieces, playing stripes and the threads that run them at
                             // once; 0: the machine's threads, up to 8
  friend bool operator==(const RenderOptions&, const RenderOptions&) = default;
};

class NetworkRenderer
{
public:
  // Records one view's network layers for an image of this size.
  void Record(const NetworkViewOptions& view, const LockedPathLists& paths, const ViewTransform& transform,
              const LogicalMapping& mapping, QSize size, const RenderOptions& options = {});
  // Fills the image (of the recorded size) with the background and plays
  // the recording into it.
  void Play(QImage& image, QColor background) const;

  // Primitives recorded, and those left out as outside or shorter than a
  // pixel.
  std::size_t Primitives() const;
  std::size_t Skipped() const;
  // Whether the last recording recoloured the kept link strokes.
  bool KeptLinks() const { return m_bKeptLinks; }
  // Bytes the recording and the sprites hold.
  std::size_t MemoryBytes() const;

  enum class OpKind : std::uint8_t { Line, Ellipse, Rect, Polygon, Bitmap, Label };
  // One primitive with the pen and brush it is drawn with.
  struct Op
  {
    OpKind kind;
    std::uint8_t brush;           // DrawBrush
    std::int16_t pen;             // below kDrawPenCount a built-in pen, then the piece's custom pens; -1 none
    std::int32_t a;               // icon id, polygon or label index
    std::int32_t x1, y1, x2, y2;  // device pixels (rectangles: right and bottom outside)
  };
  // What one thread recorded.
  struct Piece
  {
    std::vector<Op> ops;
    std::vector<std::vector<std::uint32_t>> bins;  // by stripe: the ops reaching its rows, in order
    std::vector<PenSpec> customPens;
    std::vector<std::vector<QPoint>> polygons;
    std::vector<std::pair<std::string, ColorRef>> labels;  // text and colour
    std::vector<std::uint32_t> linkOps;  // a link piece: the first op of each link, then the end
    int firstLink = 0;
    std::size_t skipped = 0;
    void Clear();
  };
  // A small ellipse's sprite, by size, pen and brush.
  struct SpriteKey
  {
    int w, h, pen, brush;
    auto operator<=>(const SpriteKey&) const = default;
  };
  // What the kept link strokes depend on.
  struct LinkGeometry
  {
    ViewState state;
    double angle = 0;
    double dpiX = 0, dpiY = 0;
    int width = 0, height = 0;
    RenderOptions options;
    bool dataLoaded = false;
    bool showCCTV = false;
    bool showDetectors = false;
    int links = 0;
    const void* firstLink = nullptr;
    const void* lastLink = nullptr;
    friend bool operator==(const LinkGeometry&, const LinkGeometry&) = default;
  };

private:
  void PlayStripe(uchar* bits, qsizetype bytesPerLine, int width, QImage::Format format, QRgb background,
                  int stripe) const;
  int Threads() const;
  int StripeTop(int k) const { return m_size.height() * k / m_nStripes; }

  RenderOptions m_options;
  QSize m_size;
  int m_nStripes = 1;
  std::vector<Piece> m_pieces;  // the link pieces in link order, then the layers after the links
  double m_labelPixelSize = 0;
  LinkGeometry m_geometry;    // of the kept link strokes
  bool m_bLinksKept = false;  // the link pieces may be recoloured
  bool m_bKeptLinks = false;
  // Sprites of the small node circles, kept for the view's life: the
  // ellipse at (2, 2), transparent around it.
  std::map<SpriteKey, QImage> m_sprites;
};
