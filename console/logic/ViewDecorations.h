// Layout of what a network view paints over the network: the title band
// with its text, the density/speed legend and the predicted-path legend. All
// places are logical units (1/100 inch) of the view's client area; texts are
// placed by their top-left corner.
//
//   int refH = LegendReferenceHeight(clientHeightLogical);
//   TitleBand band = MakeTitleBand(view.Kind(), clientWidthLogical, g_EstimationClock, predictionClock);
//   if (auto legend = MakeLegend(view.m_nDisplayMeasure, g_ColorRamp, LegendTop(refH))) ...
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "DrawTypes.h"
#include "GlobalArrays.h"
#include "ResultStores.h"

class CPath;

struct TextMark
{
  std::string text;
  ScreenPoint at;  // top-left corner of the text
  friend bool operator==(const TextMark&, const TextMark&) = default;
};

struct BoxMark
{
  ScreenRect rect;  // right and bottom edges outside
  ColorRef fill = 0;
  friend bool operator==(const BoxMark&, const BoxMark&) = default;
};

// Font heights (character cell, logical units) of the view's texts.
constexpr int kTitleFontHeight = 20;   // title band, "Arial" weight 50
constexpr int kLegendFontHeight = 10;  // legends, "System" weight 50
constexpr int kSmallFontHeight = 12;   // the view's small font (the clock view's labels)
constexpr int kLabelFontHeight = 35;   // zone labels

constexpr ColorRef kTitleBandColor = 0xFF8080;
constexpr ColorRef kTitleTextColor = 0x00FFFF;
constexpr ColorRef kViewTextColor = 0x00FF00;  // green: the view's default text colour
constexpr ColorRef kLegendPenColor = 0xFFFFFF;

struct TitleBand
{
  ScreenRect band;   // (0, 0) to (width + 100, title height)
  std::string text;  // ViewTitleText
};
// The band spans the client width plus 100; the prediction views show the
// prediction clock with the minute of prediction view 0.
TitleBand MakeTitleBand(int viewKind, int clientWidthLogical, const ClockRecord& estimation,
                        const ClockRecord& prediction);

// Height the legends are laid out from: the client height less the legend
// labels' line, so that the labels stay inside the view at any resolution.
int LegendReferenceHeight(int clientHeightLogical);
// Top t of the legends: reference height + 15 - (title height + 10). The
// path legend's sample lines lie at t + 10 (PathLegendLineY).
int LegendTop(int referenceHeight);

struct Legend
{
  TextMark caption;    // "Density:" or "Speed:" at (30, t - 14)
  BoxMark boxes[5];    // 37 x 10 at (30 + 47 i, t + 2), the ramp's colours in order
  TextMark labels[6];  // "0", "15", ... "60" and ">75" at t + 14
};
// Only for the measures density (1) and speed (2).
std::optional<Legend> MakeLegend(int displayMeasure, const ColorRef ramp[5], int legendTop);

struct PathLegendEntry
{
  ScreenPoint from;  // sample line, 50 long, at the legend line
  ScreenPoint to;
  PenSpec pen;     // the path's pen in its class colour
  TextMark value;  // travel time "%2.2f", in green
};
// One entry per path of the list, in list order.
std::vector<PathLegendEntry> MakePathLegend(const CTypedObArray<CPath>& list, const ColorRef pathColors[5],
                                            int legendTop);
