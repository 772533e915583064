// What a network view paints over the network: the title band, the legend
// and the predicted-path legend, in logical units of the client area.
#include <gtest/gtest.h>

#include "ConsoleState.h"
#include "NetworkDrawing.h"
#include "PredictedPaths.h"
#include "ViewDecorations.h"
#include "ViewTransform.h"

namespace {

TEST(TitleBand, SpansTheWidthAndShowsTheViewsClock)
{
  ClockRecord est{8, 15, 0, 495, 0, 0};
  ClockRecord pred{9, 0, 0, 540, 0, 0};
  TitleBand band = MakeTitleBand(kViewCurrentCondition, 700, est, pred);
  EXPECT_EQ(band.band, (ScreenRect{0, 0, 800, 25}));
  EXPECT_EQ(band.text, " Current Condition [08:15] ");
  EXPECT_EQ(MakeTitleBand(kViewPrediction0, 700, est, pred).text, " State Prediction (0)[09:00] ");
  EXPECT_EQ(MakeTitleBand(kViewPrediction1, 700, est, pred).text, " State Prediction (1)[09:00] ");
}

TEST(Legend, OnlyForDensityAndSpeed)
{
  for (int measure : {0, 3, 5})
    EXPECT_FALSE(MakeLegend(measure, g_ColorRamp, 100)) << measure;
  auto density = MakeLegend(1, g_ColorRamp, 100);
  ASSERT_TRUE(density);
  EXPECT_EQ(density->caption, (TextMark{"Density:", {30, 86}}));
  EXPECT_EQ(MakeLegend(2, g_ColorRamp, 100)->caption.text, "Speed:");
}

TEST(Legend, BoxesLabelsAndTheRampInItsOrder)
{
  const ColorRef reversed[5] = {0x0000FF, 0x4080FF, 0xFF8080, 0xFFFF66, 0x00FF00};
  auto legend = MakeLegend(2, reversed, 200);
  ASSERT_TRUE(legend);
  const BoxMark boxes[5] = {{{30, 202, 67, 212}, 0x0000FF},
                            {{77, 202, 114, 212}, 0x4080FF},
                            {{124, 202, 161, 212}, 0xFF8080},
                            {{171, 202, 208, 212}, 0xFFFF66},
                            {{218, 202, 255, 212}, 0x00FF00}};
  const TextMark labels[6] = {{"0", {24, 214}},   {"15", {62, 214}},  {"30", {109, 214}},
                              {"45", {156, 214}}, {"60", {203, 214}}, {">75", {245, 214}}};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(legend->boxes[i], boxes[i]) << i;
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(legend->labels[i], labels[i]) << i;
}

TEST(Legend, StaysInsideTheClientAreaAtAnyHeight)
{
  for (int h : {150, 400, 1000, 3000}) {
    const int t = LegendTop(LegendReferenceHeight(h));
    auto legend = MakeLegend(1, g_ColorRamp, t);
    ASSERT_TRUE(legend);
    // Labels are one legend-font line high.
    EXPECT_LE(legend->labels[0].at.y + kLegendFontHeight, h) << h;
    EXPECT_GT(legend->caption.at.y, kTitleHeight) << h;
    EXPECT_EQ(PathLegendLineY(LegendReferenceHeight(h), kTitleHeight), t + 10);
  }
}

TEST(PathLegend, OneSampleLinePerPathInItsClassColour)
{
  CTypedObArray<CPath> list;
  const int classes[3] = {0, 4, 7};
  for (int k = 0; k < 3; ++k) {
    auto* p = new CPath;
    p->m_nClass = classes[k];
    p->m_dTravelTime = 12.5 + k;
    list.Add(p);
  }
  list[2]->m_nOwnPen = 1;  // picked: the highlight pen
  const ColorRef colors[5] = {1, 2, 3, 4, 5};
  const std::vector<PathLegendEntry> entries = MakePathLegend(list, colors, 300);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].from, (ScreenPoint{30, 310}));
  EXPECT_EQ(entries[0].to, (ScreenPoint{80, 310}));
  EXPECT_EQ(entries[0].pen, (PenSpec{PenStyle::Solid, 2, 1}));
  EXPECT_EQ(entries[0].value, (TextMark{"12.50", {20, 314}}));
  EXPECT_EQ(entries[1].from, (ScreenPoint{100, 310}));
  EXPECT_EQ(entries[1].pen.color, 5u);
  EXPECT_EQ(entries[2].pen, GetPenSpec(DrawPen::PredPath));
  list[2]->m_nOwnPen = 0;
  EXPECT_EQ(MakePathLegend(list, colors, 300)[2].pen.color, 0x00CC00u);  // class 7
}

TEST(ColorTable, ValuesAreBlueGreenRed)
{
  EXPECT_EQ(ToRgb(0x0066FF), (RgbColor{255, 102, 0}));
  EXPECT_EQ(ToRgb(0xFF8080), (RgbColor{128, 128, 255}));
  EXPECT_EQ(FromRgb(255, 102, 0), 0x0066FFu);
  for (ColorRef c : kColorRampDefault) {
    const RgbColor rgb = ToRgb(c);
    EXPECT_EQ(FromRgb(rgb.r, rgb.g, rgb.b), c);
  }
  EXPECT_EQ(GetPenSpec(DrawPen::LinkSelected), (PenSpec{PenStyle::Solid, 3, 0x0066FF}));
  EXPECT_EQ(GetPenSpec(DrawPen::Zone), (PenSpec{PenStyle::Dotted, 1, 0xFFFFFF}));
  EXPECT_EQ(GetBrushColor(DrawBrush::NodeGrey), 0xBBBBBBu);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(GetPenSpec(static_cast<DrawPen>(static_cast<int>(DrawPen::Ramp0) + i)).color,
              kColorRampDefault[i]);
  ColorRef r[5];
  CopyDefaultRamp(r, true);
  EXPECT_EQ(r[0], 0x0000FFu);
  EXPECT_EQ(r[4], 0x00FF00u);
}

}  // namespace
