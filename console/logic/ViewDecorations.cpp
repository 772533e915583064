#include "ViewDecorations.h"

#include "NetworkDrawing.h"
#include "PredictedPaths.h"
#include "StringPrintf.h"
#include "ViewTransform.h"

TitleBand MakeTitleBand(int viewKind, int clientWidthLogical, const ClockRecord& estimation,
                        const ClockRecord& prediction)
{
  return {{0, 0, clientWidthLogical + 100, kTitleHeight}, ViewTitleText(viewKind, estimation, prediction)};
}

int LegendReferenceHeight(int clientHeightLogical)
{
  return clientHeightLogical - kLegendFontHeight;
}

int LegendTop(int referenceHeight)
{
  return PathLegendLineY(referenceHeight, kTitleHeight) - 10;
}

std::optional<Legend> MakeLegend(int displayMeasure, const ColorRef ramp[5], int t)
{
  if (displayMeasure != 1 && displayMeasure != 2)
    return std::nullopt;
  Legend legend;
  legend.caption = {displayMeasure == 1 ? "Density:" : "Speed:", {30, t + 10 - 24}};
  for (int i = 0; i < 5; ++i) {
    const int x = 30 + 47 * i;
    legend.boxes[i] = {{x, t + 2, x + 37, t + 12}, ramp[i]};
    legend.labels[i] = {std::to_string(15 * i), {x - (i == 0 ? 6 : 15), t + 14}};
  }
  legend.labels[5] = {">75", {30 + 47 * 5 - 20, t + 14}};
  return legend;
}

std::vector<PathLegendEntry> MakePathLegend(const CTypedObArray<CPath>& list, const ColorRef pathColors[5],
                                            int t)
{
  std::vector<PathLegendEntry> out;
  int i = 0;
  for (const auto& path : list) {
    const int x = 30 + 70 * i;
    const PenSpec pen = PathPen(*path, PathClassColor(path->m_nClass, false, pathColors));
    out.push_back(
        {{x, t + 10}, {x + 50, t + 10}, pen, {StringPrintf("%2.2f", path->m_dTravelTime), {x - 10, t + 14}}});
    ++i;
  }
  return out;
}
