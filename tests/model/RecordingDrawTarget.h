// A draw target that records every call as a line of text, with an identity
// transform (or a scale), for the tests of the network objects' drawing. It
// can make pens of its own, as a prediction view's target can.
#pragma once

#include <string>
#include <vector>

#include "DrawTypes.h"
#include "PredictedPaths.h"

namespace fixtures {

// Draw target with identity transform (or scale) that records every call.
class RecordingTarget : public IPathDrawTarget
{
public:
  double scale = 1.0;
  bool printing = false;
  std::vector<std::string> ops;

  ScreenPointD WorldToScreenD(const WorldPoint& p) const override { return {p.x * scale, p.y * scale}; }
  bool IsPrinting() const override { return printing; }
  void SelectPen(DrawPen pen) override { ops.push_back("pen " + std::to_string(static_cast<int>(pen))); }
  void SelectBrush(DrawBrush b) override { ops.push_back("brush " + std::to_string(static_cast<int>(b))); }
  void SetTextColor(ColorRef c) override { ops.push_back("text " + std::to_string(c)); }
  void SelectCustomPen(const PenSpec& p) override { ops.push_back("custom pen " + std::to_string(p.color)); }
  void Line(ScreenPoint a, ScreenPoint b) override { ops.push_back("line " + P(a) + " " + P(b)); }
  void Ellipse(const ScreenRect& r) override { ops.push_back("ellipse " + R(r)); }
  void Rectangle(const ScreenRect& r) override { ops.push_back("rect " + R(r)); }
  void Polygon(const std::vector<ScreenPoint>& pts) override
  {
    std::string s = "polygon";
    for (auto& p : pts)
      s += " " + P(p);
    ops.push_back(s);
  }
  void Bitmap(int id, ScreenPoint c, ColorRef mask) override
  {
    ops.push_back("bmp " + std::to_string(id) + " " + P(c) + " " + std::to_string(mask));
  }
  void LabelText(const std::string& t, const ScreenRect& r) override
  {
    ops.push_back("label " + t + " " + R(r));
  }

  static std::string Pen(DrawPen p) { return "pen " + std::to_string(static_cast<int>(p)); }
  static std::string Brush(DrawBrush b) { return "brush " + std::to_string(static_cast<int>(b)); }
  int Count(const std::string& prefix) const
  {
    int n = 0;
    for (auto& o : ops)
      if (o.rfind(prefix, 0) == 0)
        ++n;
    return n;
  }
  // The pen selected last before the first line.
  std::string PenBeforeFirstLine() const
  {
    std::string pen;
    for (auto& o : ops) {
      if (o.rfind("pen ", 0) == 0)
        pen = o;
      if (o.rfind("line ", 0) == 0)
        return pen;
    }
    return pen;
  }

private:
  static std::string P(ScreenPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
  static std::string R(const ScreenRect& r)
  {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
  }
};

}  // namespace fixtures
