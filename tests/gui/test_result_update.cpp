// The message handler's window-side half: per code its lines, flags, marks,
// repaints and store updates, the records checked against the network
// before use, and the rules for the minute, the prediction offset and the
// chart window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "HandlerFixtures.h"
#include "LinkSeries.h"
#include "qelm_msg_codes.h"

using namespace handler_test;

namespace {

constexpr int kLinks = 4;

class Handler : public ::testing::Test
{
protected:
  void SetUp() override { ResetWorld(kLinks); }
  void TearDown() override { ResetWorld(0); }

  int Apply(FetchedMessage m) { return ApplyMessage(m, display); }

  RecordingDisplay display;
};

using Lines = std::vector<std::pair<std::string, bool>>;

// ---------------------------------------------------------------- codes without records

TEST_F(Handler, CodesWithoutRecords)
{
  struct Case
  {
    long code;
    Lines lines;
    int module;     // running flag set (started) or cleared (ended); -1 none
    bool started;   // a start mark at the current minute as well
    bool previews;  // the charts are repainted
  };
  const Case cases[] = {
      {MSG_CYCLIC_STARTED, {{"Cyclic executive started.", true}}, -1, false, false},
      {MSG_CYCLIC_STOPPED, {{"Cyclic executive stoped.", true}}, -1, false, false},
      {MSG_CYCLIC_HALTED, {{"Cyclic executive stoped.", true}}, -1, false, false},
      {MSG_CYCLIC_FAILED, {{"Cyclic executive stoped. System failure.", true}}, -1, false, false},
      {MSG_NOWSIM_STARTED, {{"NOWSIM simulation started.", true}}, kModuleNowsim, true, false},
      {MSG_FORESIM_STARTED, {{"FORESIM simulation started.", true}}, kModuleForesim, true, true},
      {MSG_FORESIM1_STARTED, {{"FORESIM1 simulation started.", true}}, kModuleForesim1, true, true},
      {MSG_ODE_STARTED, {{"ODE started.", true}}, kModuleODE, true, true},
      {MSG_ODE_ENDED, {{"ODE ended.", true}}, kModuleODE, false, true},
      {MSG_ODEC_STARTED, {{"ODEC started.", true}}, kModuleODEC, true, true},
      {MSG_ODEC_ENDED, {{"ODEC ended.", true}}, kModuleODEC, false, true},
      {MSG_ODP_STARTED, {{"ODP started.", true}}, kModuleODP, true, true},
      {MSG_ODP_ENDED, {{"ODP ended.", true}}, kModuleODP, false, true},
      {MSG_FARVET_STARTED, {{"FARVET started.", true}}, kModuleFarvet, true, true},
      {MSG_NEARVET_STARTED, {{"NEARVET started.", true}}, kModuleNearvet, true, true},
  };
  for (const Case& c : cases) {
    ResetWorld(kLinks);
    g_CurrentMinute = 77;
    if (c.module >= 0 && !c.started)
      g_ModuleRunning[c.module] = true;
    RecordingDisplay d;
    FetchedMessage m = Message(c.code);
    EXPECT_EQ(ApplyMessage(m, d), 0) << c.code;
    EXPECT_EQ(d.lines, c.lines) << c.code;
    EXPECT_EQ(d.calls, c.previews ? std::vector<std::string>{"previews"} : std::vector<std::string>{})
        << c.code;
    for (int k = 0; k < kModuleSlots; ++k) {
      EXPECT_EQ(g_ModuleRunning[k], k == c.module && c.started) << c.code << " flag " << k;
      EXPECT_EQ(g_ModuleStartMarks[k][77], k == c.module && c.started) << c.code << " mark " << k;
    }
  }
}

TEST_F(Handler, IgnoredCodesChangeNothing)
{
  for (long code : {0L, 1L, 6L, 7L, 10L, 42L, 43L, 44L, 45L, 46L, 47L, 52L, 100L, -1L, 1000000L}) {
    FetchedMessage m = Message(code, {RTStat(4200), RTLink(kLinks, 2)});
    EXPECT_EQ(ApplyMessage(m, display), 1) << code;
    EXPECT_FALSE(IsHandledCode(code)) << code;
  }
  EXPECT_TRUE(display.lines.empty());
  EXPECT_TRUE(display.calls.empty());
  EXPECT_EQ(g_CurrentMinute.load(), 0);
  EXPECT_EQ(g_NetStats[0][70].numcars, 0);
}

TEST_F(Handler, MarksAtAMinuteOutsideTheStoresAreNotWritten)
{
  g_CurrentMinute = 5000;
  EXPECT_EQ(Apply(Message(MSG_ODE_STARTED)), 0);
  EXPECT_TRUE(g_ModuleRunning[kModuleODE]);
}

TEST_F(Handler, ADroppedMessageOnlyLogsItsReason)
{
  FetchedMessage m = Message(MSG_NOWSIM_ENDED);
  m.dropReason = "Message 9 dropped: no record store (the system is not initialized).";
  g_ModuleRunning[kModuleNowsim] = true;
  EXPECT_EQ(ApplyMessage(m, display), 0);
  EXPECT_EQ(display.lines, (Lines{{m.dropReason, true}}));
  EXPECT_TRUE(display.calls.empty());
  EXPECT_TRUE(g_ModuleRunning[kModuleNowsim]);
}

// Copies share their values until one of them is edited; a borrowed array
// edited holds values of its own.
TEST(RecordArrays, EditsStayWithTheEditedCopy)
{
  RecordArray<float> a = {1, 2};
  RecordArray<float> b = a;
  EXPECT_EQ(b.data(), a.data());
  b.push_back(3);
  b[0] = 9;
  EXPECT_EQ(a, (RecordArray<float>{1, 2}));
  EXPECT_EQ(b, (RecordArray<float>{9, 2, 3}));

  auto reply = std::make_shared<const std::vector<float>>(std::vector<float>{4, 5});
  RecordArray<float> lent(reply->data(), reply->size(), reply);
  RecordArray<float> edited = lent;
  edited[1] = 6;
  EXPECT_TRUE(lent.Borrowed());
  EXPECT_FALSE(edited.Borrowed());
  EXPECT_EQ(lent.data(), reply->data());
  EXPECT_EQ(edited, (RecordArray<float>{4, 6}));

  RecordArray<float> moved = std::move(edited);
  EXPECT_EQ(moved, (RecordArray<float>{4, 6}));
  EXPECT_TRUE(edited.empty());  // a moved-from array is empty
}

// ---------------------------------------------------------------- NOWSIM ended

TEST_F(Handler, NowsimEndedFillsTheEstimation)
{
  g_ModuleRunning[kModuleNowsim] = true;
  ASSERT_EQ(Apply(Message(MSG_NOWSIM_ENDED, {RTStat(4200), RTLink(kLinks, 3)})), 0);
  const int m = 70;  // 4200 s
  EXPECT_EQ(display.lines, (Lines{{"NOWSIM simulation ended.", true},
                                  {"Updating display from NOWSIM.", false},
                                  {"NOWSIM Time: 70", true},
                                  {"Finished updating display from NOWSIM", false}}));
  EXPECT_EQ(display.calls, (std::vector<std::string>{"views", "previews"}));
  EXPECT_EQ(g_CurrentMinute.load(), m);
  EXPECT_EQ(display.minutes[IResultDisplay::kEstimationView], m);
  EXPECT_FALSE(g_ModuleRunning[kModuleNowsim]);

  const NetStatRecord& s = g_NetStats[kSourceEstimate][m];
  EXPECT_EQ(s.numcars, 321);
  EXPECT_DOUBLE_EQ(s.AvgDen, 11.5);
  EXPECT_DOUBLE_EQ(s.AvgSpeed, 42.25);
  EXPECT_DOUBLE_EQ(s.AvgStop, 1.75);

  for (int i = 0; i < kLinks; ++i) {
    EXPECT_DOUBLE_EQ(Series(i, kMeasureDensity, kSourceEstimate, m), LinkValue(0, i));
    EXPECT_DOUBLE_EQ(Series(i, kMeasureSpeed, kSourceEstimate, m), LinkValue(1, i));
    EXPECT_DOUBLE_EQ(Series(i, kMeasureQueue, kSourceEstimate, m), 25.0);  // percent of the length
    EXPECT_DOUBLE_EQ(Series(i, kMeasureFlow, kSourceEstimate, m), LinkValue(3, i));
  }

  // OD: size 3, slot 70 / 5 = 14, table[i][j] = F[4][j * 3 + i].
  EXPECT_EQ(g_Project.m_ODSize, 3);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      EXPECT_DOUBLE_EQ(g_Project.ODEntry(14, i, j), j * 3 + i) << i << "," << j;

  EXPECT_EQ(g_EstimationClock.nMinute, m);
  EXPECT_DOUBLE_EQ(g_EstimationClock.dMinute, m);
  // No prediction stage yet: the window (0, 0) pulls the offset to -70.
  EXPECT_EQ(g_PredictionOffset.load(), -70);
  EXPECT_DOUBLE_EQ(g_PredictionClock.dMinute, 0);
  EXPECT_EQ(display.minutes[IResultDisplay::kPredictionView0], 0);
  EXPECT_EQ(display.minutes[IResultDisplay::kPredictionView1], 0);
}

TEST(HandlerRules, MinuteOfTime)
{
  struct Case
  {
    float time;
    bool ok;
    int minute;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {0, true, 0},      {4200, true, 70},          {86399, true, 1439}, {86400, true, 0},
      {90000, true, 60}, {59.9f, true, 0},          {1e30f, true, -1},   {-1, false, 0},
      {-0.5f, false, 0}, {std::nanf(""), false, 0}, {inf, false, 0},     {-inf, false, 0},
  };
  for (const Case& c : cases) {
    int m = -99;
    EXPECT_EQ(MinuteOfTime(c.time, m), c.ok) << c.time;
    if (c.ok && c.minute >= 0) {
      EXPECT_EQ(m, c.minute) << c.time;
    }
    if (c.ok) {
      EXPECT_TRUE(m >= 0 && m < 1440) << c.time << " gave " << m;
    }
  }
}

TEST(HandlerRules, PredictionOffsetStaysInTheStage)
{
  EXPECT_EQ(ClampPredictionOffset(20, 120, 100, 130), 10);
  EXPECT_EQ(ClampPredictionOffset(2, 120, 125, 160), 5);
  EXPECT_EQ(ClampPredictionOffset(7, 120, 100, 130), 7);
}

TEST_F(Handler, NowsimClampsTheOffsetOnlyAfterMinuteTen)
{
  g_PredictionClock.nWindowStart = 100;
  g_PredictionClock.nWindowEnd = 130;
  g_PredictionOffset = 20;
  ASSERT_EQ(Apply(Message(MSG_NOWSIM_ENDED, {RTStat(120 * 60), RTLink(kLinks, 0)})), 0);
  EXPECT_EQ(g_PredictionOffset.load(), 10);
  EXPECT_DOUBLE_EQ(g_PredictionClock.dMinute, 130);
  EXPECT_EQ(display.minutes[IResultDisplay::kPredictionView0], 130);

  g_PredictionOffset = 20;
  ASSERT_EQ(Apply(Message(MSG_NOWSIM_ENDED, {RTStat(10 * 60), RTLink(kLinks, 0)})), 0);
  EXPECT_EQ(g_PredictionOffset.load(), 20);
  EXPECT_EQ(display.minutes[IResultDisplay::kPredictionView1], 30);
}

// Records of a NOWSIM end that do not fit: what is skipped, what is kept.
TEST_F(Handler, NowsimRecordsThatDoNotFit)
{
  const char* const kLinkSkip = "Skipped GUIRTLINKDATA link values";
  const char* const kODSkip = "Skipped GUIRTLINKDATA OD matrix";
  const char* const kStatSkip = "Skipped GUIRTSTATDATA: the record lacks";
  struct Case
  {
    const char* name;
    std::function<void(PlainRecord& stat, PlainRecord& links)> change;
    std::vector<const char*> skips;  // start of each skip line
    bool minute;                     // the minute, clock and statistics were taken
    bool links;                      // link values written
    bool od;                         // OD size and matrix taken
  };
  const Case cases[] = {
      {"fits", [](PlainRecord&, PlainRecord&) {}, {}, true, true, true},
      {"link arrays shorter",
       [](PlainRecord&, PlainRecord& l) { l.F[1].pop_back(); },
       {kLinkSkip},
       true,
       false,
       true},
      {"link arrays longer",
       [](PlainRecord&, PlainRecord& l) {
         for (int f = 0; f < 4; ++f)
           l.F[f].push_back(1);
       },
       {kLinkSkip},
       true,
       false,
       true},
      {"link count of another network",
       [](PlainRecord&, PlainRecord& l) { l.L[0][0] = kLinks + 1; },
       {"Skipped GUIRTLINKDATA link values: 5 links in the record, 4 in the network"},
       true,
       false,
       true},
      {"empty link count",
       [](PlainRecord&, PlainRecord& l) { l.L[0].clear(); },
       {kLinkSkip},
       true,
       false,
       true},
      {"no counts at all",
       [](PlainRecord&, PlainRecord& l) { l.L.clear(); },
       {kLinkSkip, kODSkip},
       true,
       false,
       false},
      {"only three arrays",
       [](PlainRecord&, PlainRecord& l) { l.F.resize(3); },
       {kLinkSkip, kODSkip},
       true,
       false,
       false},
      {"zones above 120",
       [](PlainRecord&, PlainRecord& l) { l.L[1][0] = 121; },
       {"Skipped GUIRTLINKDATA OD matrix: zone count 121 outside 0 to 120"},
       true,
       true,
       false},
      {"negative zones", [](PlainRecord&, PlainRecord& l) { l.L[1][0] = -2; }, {kODSkip}, true, true, false},
      {"short OD matrix",
       [](PlainRecord&, PlainRecord& l) { l.F[4].pop_back(); },
       {kODSkip},
       true,
       true,
       false},
      {"no OD matrix", [](PlainRecord&, PlainRecord& l) { l.F.resize(4); }, {kODSkip}, true, true, false},
      {"time_now NaN",
       [](PlainRecord& s, PlainRecord&) { s.F[3][0] = std::nanf(""); },
       {"Skipped GUIRTSTATDATA: time_now nan"},
       false,
       false,
       false},
      {"time_now negative",
       [](PlainRecord& s, PlainRecord&) { s.F[3][0] = -60; },
       {"Skipped GUIRTSTATDATA: time_now -60"},
       false,
       false,
       false},
      {"no time_now", [](PlainRecord& s, PlainRecord&) { s.F.resize(3); }, {kStatSkip}, false, false, false},
      {"empty time_now",
       [](PlainRecord& s, PlainRecord&) { s.F[3].clear(); },
       {kStatSkip},
       false,
       false,
       false},
      {"no numcars", [](PlainRecord& s, PlainRecord&) { s.L.clear(); }, {kStatSkip}, false, false, false},
  };
  for (const Case& c : cases) {
    ResetWorld(kLinks);
    g_Project.SetODSize(7);
    PlainRecord stat = RTStat(4200);
    PlainRecord links = RTLink(kLinks, 2);
    c.change(stat, links);
    RecordingDisplay d;
    FetchedMessage m = Message(MSG_NOWSIM_ENDED, {stat, links});
    ASSERT_EQ(ApplyMessage(m, d), 0) << c.name;
    const std::vector<std::string> skips = d.Skips();
    ASSERT_EQ(skips.size(), c.skips.size()) << c.name;
    for (std::size_t k = 0; k < skips.size(); ++k)
      EXPECT_EQ(skips[k].rfind(c.skips[k], 0), 0u) << c.name << ": " << skips[k];
    EXPECT_EQ(g_CurrentMinute.load(), c.minute ? 70 : 0) << c.name;
    EXPECT_EQ(g_NetStats[0][70].numcars, c.minute ? 321 : 0) << c.name;
    EXPECT_EQ(Series(1, kMeasureSpeed, kSourceEstimate, 70), c.links ? LinkValue(1, 1) : 0.0) << c.name;
    EXPECT_EQ(g_Project.m_ODSize, c.od ? 2 : 7) << c.name;
    EXPECT_EQ(g_Project.ODEntry(14, 1, 1), c.od ? 3.0 : 0.0) << c.name;
    g_Project.SetODEntry(14, 1, 1, 0.0);
  }
}

// ---------------------------------------------------------------- FORESIM ended

class Prediction : public Handler
{
protected:
  // The estimation view and prediction view 0 at minute m.
  void At(int m)
  {
    display.minutes[IResultDisplay::kEstimationView] = m;
    display.minutes[IResultDisplay::kPredictionView0] = m;
  }
};

TEST_F(Prediction, FirstInstanceFillsItsSourceAndRollsTheWindow)
{
  At(70);
  g_ModuleRunning[kModuleForesim] = true;
  FetchedMessage m =
      Message(MSG_FORESIM_ENDED, {PredLink(kKindPredLink, 3, kLinks), PredStat(kKindPredStat, 70, 3)});
  m.paths = std::make_unique<CTypedObArray<CPath>>();
  m.paths->Add(new CPath());
  m.paths->Add(new CPath());
  ASSERT_EQ(ApplyMessage(m, display), 0);

  EXPECT_EQ(display.lines, (Lines{{"FORESIM simulation ended.", true},
                                  {"Updating display from FORESIM.", false},
                                  {"Finished updating display from FORESIM.", false}}));
  EXPECT_EQ(display.calls, (std::vector<std::string>{"pred0", "views", "previews"}));
  EXPECT_FALSE(g_ModuleRunning[kModuleForesim]);
  EXPECT_EQ(g_CurrentMinute.load(), 70);
  EXPECT_EQ(g_PredictionOffset.load(), 10);
  EXPECT_EQ(g_PredictionClock.nWindowStart, 70);
  EXPECT_EQ(g_PredictionClock.nWindowEnd, 73);
  EXPECT_EQ(g_PredictionClock.nMinute, 70);
  EXPECT_EQ(g_ChartWindowStart.load(), 60);
  EXPECT_EQ(g_ChartWindowEnd.load(), 180);
  EXPECT_EQ(g_NetStats[kSourcePredict0][70].numcars, 654);
  EXPECT_DOUBLE_EQ(g_NetStats[kSourcePredict0][70].AvgSpeed, 33.0);
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    EXPECT_EQ(paths.List(0).GetSize(), 2);
    EXPECT_EQ(paths.List(1).GetSize(), 0);
  }
  // Step t at minute 70 + t; the last step again at 73. F[0] is speed, F[1]
  // density.
  for (int i = 0; i < kLinks; ++i) {
    for (int t = 0; t < 3; ++t) {
      EXPECT_DOUBLE_EQ(Series(i, kMeasureSpeed, kSourcePredict0, 70 + t), LinkValue(0, i, t));
      EXPECT_DOUBLE_EQ(Series(i, kMeasureDensity, kSourcePredict0, 70 + t), LinkValue(1, i, t));
      EXPECT_DOUBLE_EQ(Series(i, kMeasureQueue, kSourcePredict0, 70 + t), 50.0);
      EXPECT_DOUBLE_EQ(Series(i, kMeasureFlow, kSourcePredict0, 70 + t), LinkValue(3, i, t));
    }
    EXPECT_DOUBLE_EQ(Series(i, kMeasureSpeed, kSourcePredict0, 73), LinkValue(0, i, 2));
    EXPECT_DOUBLE_EQ(Series(i, kMeasureSpeed, kSourcePredict0, 74), 0.0);
    EXPECT_DOUBLE_EQ(Series(i, kMeasureSpeed, kSourcePredict1, 70), 0.0);
  }
}

TEST_F(Prediction, SecondInstanceFillsItsOwnSourceAndNeverRolls)
{
  At(70);
  g_ModuleRunning[kModuleForesim1] = true;
  ASSERT_EQ(Apply(Message(MSG_FORESIM1_ENDED,
                          {PredLink(kKindPredLink1, 2, kLinks), PredStat(kKindPredStat1, 70, 2)})),
            0);
  EXPECT_EQ(display.lines, (Lines{{"FORESIM_1 simulation ended.", true},
                                  {"Updating display from FORESIM_1.", false},
                                  {"Finished updating display from FORESIM1.", false}}));
  EXPECT_FALSE(g_ModuleRunning[kModuleForesim1]);
  EXPECT_EQ(g_ChartWindowStart.load(), 0);
  EXPECT_EQ(g_ChartWindowEnd.load(), 120);
  EXPECT_EQ(g_NetStats[kSourcePredict1][70].numcars, 654);
  EXPECT_EQ(g_NetStats[kSourcePredict0][70].numcars, 0);
  EXPECT_DOUBLE_EQ(Series(3, kMeasureFlow, kSourcePredict1, 71), LinkValue(3, 3, 1));
  EXPECT_DOUBLE_EQ(Series(3, kMeasureFlow, kSourcePredict1, 72), LinkValue(3, 3, 1));
  EXPECT_DOUBLE_EQ(Series(3, kMeasureFlow, kSourcePredict0, 71), 0.0);
}

TEST(HandlerRules, ChartWindowRoll)
{
  struct Case
  {
    int m, s, start, end, newStart, newEnd;
  };
  const Case cases[] = {
      {70, 70, 0, 120, 60, 180},     {70, 70, 1320, 1440, 1380, 60}, {10, 10, 1380, 60, 0, 120},
      {10, 10, 0, 120, 0, 120},      {9, 70, 0, 120, 0, 120},        {70, 71, 0, 120, 0, 120},
      {130, 130, 60, 180, 120, 240}, {70, -50, 0, 120, 60, 180},     {70, -49, 0, 120, 0, 120},
  };
  for (const Case& c : cases) {
    int start = c.start, end = c.end, rolled = -1;
    RollChartWindow(c.m, c.s, start, end, rolled);
    EXPECT_EQ(start, c.newStart) << c.m << " " << c.s;
    EXPECT_EQ(end, c.newEnd) << c.m << " " << c.s;
  }
}

// One stage reported twice (a prediction module that cycles every half
// minute reports each minute's stage twice) rolls the window once; the next
// hour's stage rolls it again.
TEST_F(Prediction, OneStageRollsTheWindowOnce)
{
  for (int m : {70, 70, 130}) {
    At(m);
    ASSERT_EQ(Apply(Message(MSG_FORESIM_ENDED,
                            {PredLink(kKindPredLink, 1, kLinks), PredStat(kKindPredStat, m, 1)})),
              0);
  }
  EXPECT_EQ(g_ChartWindowStart.load(), 120);
  EXPECT_EQ(g_ChartWindowEnd.load(), 240);
}

TEST_F(Prediction, StageOfLengthZeroWritesOnlyTheStatistics)
{
  At(70);
  ASSERT_EQ(
      Apply(Message(MSG_FORESIM_ENDED, {PredLink(kKindPredLink, 0, kLinks), PredStat(kKindPredStat, 70, 0)})),
      0);
  EXPECT_TRUE(display.Skips().empty());
  EXPECT_EQ(g_NetStats[kSourcePredict0][70].numcars, 654);
  EXPECT_DOUBLE_EQ(Series(0, kMeasureSpeed, kSourcePredict0, 70), 0.0);
  EXPECT_EQ(g_PredictionClock.nWindowEnd, 70);
}

TEST_F(Prediction, AStageStartOfADayOrMoreTakesTheCurrentMinute)
{
  At(200);
  ASSERT_EQ(Apply(Message(MSG_FORESIM_ENDED,
                          {PredLink(kKindPredLink, 2, kLinks), PredStat(kKindPredStat, 1500, 2)})),
            0);
  EXPECT_EQ(g_PredictionClock.nWindowStart, 200);
  EXPECT_DOUBLE_EQ(Series(2, kMeasureSpeed, kSourcePredict0, 201), LinkValue(0, 2, 1));
}

TEST_F(Prediction, TheCopyPastTheStageStaysInsideTheStores)
{
  At(4998);
  ASSERT_EQ(Apply(Message(MSG_FORESIM_ENDED,
                          {PredLink(kKindPredLink, 2, kLinks), PredStat(kKindPredStat, 2000, 2)})),
            0);
  EXPECT_TRUE(display.Skips().empty());
  EXPECT_DOUBLE_EQ(Series(0, kMeasureSpeed, kSourcePredict0, 4998), LinkValue(0, 0, 0));
  EXPECT_DOUBLE_EQ(Series(0, kMeasureSpeed, kSourcePredict0, 4999), LinkValue(0, 0, 1));
  EXPECT_EQ(g_NetStats[kSourcePredict0][4998].numcars, 654);
}

TEST_F(Prediction, RecordsThatDoNotFit)
{
  struct Case
  {
    const char* name;
    std::function<void(PlainRecord& links, PlainRecord& stat)> change;
    const char* skip;  // start of the one skip line
    bool stats;        // statistics written
    bool window;       // the clock's stage window taken
  };
  const Case cases[] = {
      {"stage longer than the steps", [](PlainRecord&, PlainRecord& s) { s.F[4][0] = 4; },
       "Skipped GUIPLINKDATA: stage of 4 minutes, 3 steps in the record", true, true},
      {"values per step of another network", [](PlainRecord& l, PlainRecord&) { l.L[1][0] = kLinks - 1; },
       "Skipped GUIPLINKDATA: 3 steps of 3 values, 4 links in the network", true, true},
      {"short speed array", [](PlainRecord& l, PlainRecord&) { l.F[0].pop_back(); },
       "Skipped GUIPLINKDATA: F[0] to F[3]", true, true},
      {"negative steps", [](PlainRecord& l, PlainRecord&) { l.L[0][0] = -3; }, "Skipped GUIPLINKDATA", true,
       true},
      {"huge steps", [](PlainRecord& l, PlainRecord&) { l.L[0][0] = 2147483647; }, "Skipped GUIPLINKDATA",
       true, true},
      {"no link record counts", [](PlainRecord& l, PlainRecord&) { l.L.resize(1); }, "Skipped GUIPLINKDATA",
       true, true},
      {"stage past the stores", [](PlainRecord&, PlainRecord& s) { s.F[4][0] = 4940; },
       "Skipped GUIPSTATDATA: stage start 70 and length 4940", true, false},
      {"negative stage start", [](PlainRecord&, PlainRecord& s) { s.F[3][0] = -5; },
       "Skipped GUIPSTATDATA: stage start -5", true, false},
      {"negative stage length", [](PlainRecord&, PlainRecord& s) { s.F[4][0] = -1; },
       "Skipped GUIPSTATDATA: stage start 70 and length -1", true, false},
      {"NaN stage start", [](PlainRecord&, PlainRecord& s) { s.F[3][0] = std::nanf(""); },
       "Skipped GUIPSTATDATA: stage start nan", true, false},
      {"huge stage length", [](PlainRecord&, PlainRecord& s) { s.F[4][0] = 1e20f; },
       "Skipped GUIPSTATDATA: stage start 70", true, false},
      {"no stage length", [](PlainRecord&, PlainRecord& s) { s.F.resize(4); },
       "Skipped GUIPSTATDATA: the record lacks", false, false},
  };
  for (const Case& c : cases) {
    ResetWorld(kLinks);
    RecordingDisplay d;
    d.minutes[0] = d.minutes[1] = 70;
    g_PredictionClock.nWindowStart = 1;
    g_PredictionClock.nWindowEnd = 2;
    PlainRecord links = PredLink(kKindPredLink, 3, kLinks);
    PlainRecord stat = PredStat(kKindPredStat, 70, 3);
    c.change(links, stat);
    FetchedMessage m = Message(MSG_FORESIM_ENDED, {links, stat});
    ASSERT_EQ(ApplyMessage(m, d), 0) << c.name;
    const std::vector<std::string> skips = d.Skips();
    ASSERT_EQ(skips.size(), 1u) << c.name;
    EXPECT_EQ(skips[0].rfind(c.skip, 0), 0u) << c.name << ": " << skips[0];
    EXPECT_EQ(g_NetStats[kSourcePredict0][70].numcars, c.stats ? 654 : 0) << c.name;
    EXPECT_EQ(g_PredictionClock.nWindowStart, c.window ? 70 : 1) << c.name;
    for (int i = 0; i < kLinks; ++i)
      EXPECT_DOUBLE_EQ(Series(i, kMeasureSpeed, kSourcePredict0, 70), 0.0) << c.name;
    EXPECT_EQ(d.calls.back(), "previews") << c.name;
  }
}

TEST_F(Prediction, PathsOfTheFileReplaceTheInstanceList)
{
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    paths.List(1).Add(new CPath());
    paths.List(1).Add(new CPath());
    paths.List(1).Add(new CPath());
  }
  At(70);
  // A file that went wrong after one path: the path stays, one error line.
  FetchedMessage m =
      Message(MSG_FORESIM1_ENDED, {PredLink(kKindPredLink1, 1, kLinks), PredStat(kKindPredStat1, 70, 1)});
  m.paths = std::make_unique<CTypedObArray<CPath>>();
  auto* p = new CPath();
  p->m_nClass = 0;
  m.paths->Add(p);
  m.pathResult.status = PathFileStatus::kBadEntry;
  ASSERT_EQ(ApplyMessage(m, display), 0);
  EXPECT_EQ(display.lines[2], (std::pair<std::string, bool>{kPathFileErrorText, true}));
  EXPECT_EQ(display.calls.front(), "pred1");
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    ASSERT_EQ(paths.List(1).GetSize(), 1);
    EXPECT_EQ(paths.List(1)[0], p);
  }

  // No file: the list is emptied, nothing logged, the view left alone.
  RecordingDisplay d;
  d.minutes[0] = d.minutes[1] = 70;
  FetchedMessage none =
      Message(MSG_FORESIM1_ENDED, {PredLink(kKindPredLink1, 1, kLinks), PredStat(kKindPredStat1, 70, 1)});
  ASSERT_EQ(ApplyMessage(none, d), 0);
  EXPECT_EQ(d.lines.size(), 3u);
  EXPECT_EQ(d.calls, (std::vector<std::string>{"views", "previews"}));
  LockedPathLists paths = g_PredictedPaths.Lock();
  EXPECT_EQ(paths.List(1).GetSize(), 0);
}

// ---------------------------------------------------------------- the order of the steps

// What the network views, the clock view and the charts paint from.
struct Painted
{
  int stageStart, stageEnd, predictionMinute;
  double predictionClock, estimationClock;
  int chartStart, chartEnd;
  int views[3];
  bool operator==(const Painted&) const = default;
};

void PrintTo(const Painted& p, std::ostream* os)
{
  *os << "stage " << p.stageStart << ".." << p.stageEnd << ", prediction minute " << p.predictionMinute
      << ", clocks " << p.predictionClock << " / " << p.estimationClock << ", chart " << p.chartStart << ".."
      << p.chartEnd << ", views " << p.views[0] << " " << p.views[1] << " " << p.views[2];
}

Painted Now(const IResultDisplay& d)
{
  return {g_PredictionClock.nWindowStart, g_PredictionClock.nWindowEnd,
          g_PredictionClock.nMinute,      g_PredictionClock.dMinute,
          g_EstimationClock.dMinute,      g_ChartWindowStart.load(),
          g_ChartWindowEnd.load(),        {d.ViewMinute(0), d.ViewMinute(1), d.ViewMinute(2)}};
}

// Takes what the views would paint from when they are told to repaint.
struct PaintingDisplay : RecordingDisplay
{
  std::vector<Painted> atRepaint;
  void InvalidateViews() override
  {
    atRepaint.push_back(Now(*this));
    RecordingDisplay::InvalidateViews();
  }
};

// The window thread paints between the steps of a message: while the link
// values are written nothing it paints from has moved, and when the views
// are told to repaint everything has.
TEST_F(Prediction, NothingPaintedMovesBeforeTheLinkValuesAreWritten)
{
  const Painted before = {60, 80, 5, 5, 0, 0, 120, {70, 70, 70}};
  struct Case
  {
    const char* name;
    long code;
    std::vector<PlainRecord> records;
    Painted after;
  };
  const Case cases[] = {
      {"NOWSIM at minute 71",
       MSG_NOWSIM_ENDED,
       {RTStat(71 * 60), RTLink(kLinks, 2)},
       {60, 80, 5, 71, 71, 0, 120, {71, 71, 71}}},
      {"FORESIM, stage 70 of 3 minutes",
       MSG_FORESIM_ENDED,
       {PredLink(kKindPredLink, 3, kLinks), PredStat(kKindPredStat, 70, 3)},
       {70, 73, 70, 5, 0, 60, 180, {70, 70, 70}}},
      {"FORESIM_1, stage 70 of 2 minutes",
       MSG_FORESIM1_ENDED,
       {PredLink(kKindPredLink1, 2, kLinks), PredStat(kKindPredStat1, 70, 2)},
       {70, 72, 70, 5, 0, 0, 120, {70, 70, 70}}},
  };
  for (const Case& c : cases) {
    ResetWorld(kLinks);
    g_PredictionClock.nWindowStart = 60;
    g_PredictionClock.nWindowEnd = 80;
    g_PredictionClock.nMinute = 5;
    g_PredictionClock.dMinute = 5;
    PaintingDisplay d;
    d.minutes[0] = d.minutes[1] = d.minutes[2] = 70;
    int offWindow = 0;
    for (ApplyStep& step : ApplySteps(std::make_shared<FetchedMessage>(Message(c.code, c.records)))) {
      if (step.onWindow) {
        step.onWindow(d);
        continue;
      }
      ++offWindow;
      EXPECT_EQ(Now(d), before) << c.name;
      step.offWindow();
    }
    EXPECT_EQ(offWindow, 1) << c.name;
    EXPECT_TRUE(d.Skips().empty()) << c.name;
    ASSERT_EQ(d.atRepaint.size(), 1u) << c.name;
    EXPECT_EQ(d.atRepaint[0], c.after) << c.name;
    EXPECT_EQ(Now(d), c.after) << c.name;
  }
}

// The network may change between the window step that checks a record and
// the step that writes it: the record is read as it was checked, and only
// the links of both are written.
TEST_F(Prediction, ANetworkChangedAfterTheCheckIsWrittenAsFarAsBothGo)
{
  for (int now : {kLinks - 1, kLinks + 2}) {
    ResetWorld(kLinks);
    RecordingDisplay d;
    d.minutes[0] = d.minutes[1] = 70;
    std::vector<ApplyStep> steps = ApplySteps(std::make_shared<FetchedMessage>(
        Message(MSG_FORESIM_ENDED, {PredLink(kKindPredLink, 3, kLinks), PredStat(kKindPredStat, 70, 3)})));
    ASSERT_EQ(steps.size(), 3u);
    ASSERT_TRUE(steps[0].onWindow && steps[1].offWindow && steps[2].onWindow);
    steps[0].onWindow(d);
    while (g_LineArray.GetSize() > now)
      g_LineArray.RemoveAt(g_LineArray.GetSize() - 1);
    while (g_LineArray.GetSize() < now)
      g_LineArray.Add(new CDrawLine());
    steps[1].offWindow();
    steps[2].onWindow(d);
    EXPECT_TRUE(d.Skips().empty()) << now;
    for (int i = 0; i < now; ++i)
      for (int t = 0; t < 3; ++t) {
        const bool checked = i < kLinks;
        EXPECT_DOUBLE_EQ(Series(i, kMeasureSpeed, kSourcePredict0, 70 + t),
                         checked ? LinkValue(0, i, t) : 0.0)
            << now << " links, link " << i << " step " << t;
        EXPECT_DOUBLE_EQ(Series(i, kMeasureFlow, kSourcePredict0, 70 + t), checked ? LinkValue(3, i, t) : 0.0)
            << now << " links, link " << i << " step " << t;
      }
  }
}

// ---------------------------------------------------------------- FARVET and NEARVET ended

TEST_F(Handler, FarvetEndedWritesItsValueAtTheCurrentMinute)
{
  g_CurrentMinute = 345;
  g_ModuleRunning[kModuleFarvet] = true;
  ASSERT_EQ(
      Apply(Message(MSG_FARVET_ENDED, {Record(kKindCCACorrection, {{kLinks}}, {{1, 2, 3, 4}, {0.375f}})})),
      0);
  EXPECT_EQ(display.lines, (Lines{{"FARVET ended.", true},
                                  {"Updating display from FARVET.", false},
                                  {"Finished updating display from FARVET.", false}}));
  EXPECT_EQ(display.calls, (std::vector<std::string>{"previews"}));
  EXPECT_FALSE(g_ModuleRunning[kModuleFarvet]);
  EXPECT_DOUBLE_EQ(g_FarvetPerMinute[345], 0.375);

  RecordingDisplay d;
  FetchedMessage missing =
      Message(MSG_FARVET_ENDED, {Record(kKindCCACorrection, {{kLinks}}, {{1, 2, 3, 4}})});
  ASSERT_EQ(ApplyMessage(missing, d), 0);
  EXPECT_EQ(d.Skips(), (std::vector<std::string>{"Skipped CCA_CORRECTION: the record has no F[1] value"}));
  EXPECT_DOUBLE_EQ(g_FarvetPerMinute[345], 0.375);
}

TEST_F(Handler, NearvetEndedWritesTheObservedLinks)
{
  g_CurrentMinute = 500;
  g_ModuleRunning[kModuleNearvet] = true;
  // Links 2 and 4 observed; flows, densities, speeds.
  PlainRecord st = Record(kKindSTLink, {{kLinks}, {2}, {2, 4}}, {{100, 400}, {20, 40}, {50, 45}});
  ASSERT_EQ(Apply(Message(MSG_NEARVET_ENDED,
                          {Record(kKindCCBUpdatedSpeed, {{kLinks}}, {{1, 1, 1, 1}, {0.625f}}), st})),
            0);
  EXPECT_EQ(display.lines, (Lines{{"NEARVET ended.", true},
                                  {"Updating display from NEARVET.", false},
                                  {"Finished updating display from NEARVET.", false}}));
  EXPECT_EQ(display.calls, (std::vector<std::string>{"previews"}));
  EXPECT_FALSE(g_ModuleRunning[kModuleNearvet]);
  EXPECT_DOUBLE_EQ(g_NearvetPerMinute[500], 0.625);
  EXPECT_DOUBLE_EQ(Series(1, kMeasureDensity, kSourceObserved, 500), 20);
  EXPECT_DOUBLE_EQ(Series(1, kMeasureSpeed, kSourceObserved, 500), 50);
  EXPECT_DOUBLE_EQ(Series(1, kMeasureFlow, kSourceObserved, 500), 100);
  EXPECT_DOUBLE_EQ(Series(3, kMeasureDensity, kSourceObserved, 500), 40);
  EXPECT_DOUBLE_EQ(Series(3, kMeasureFlow, kSourceObserved, 500), 400);
  EXPECT_DOUBLE_EQ(Series(0, kMeasureDensity, kSourceObserved, 500), 0);
}

TEST_F(Handler, NearvetRecordsThatDoNotFit)
{
  const PlainRecord ccb = Record(kKindCCBUpdatedSpeed, {{kLinks}}, {{1}, {0.5f}});
  struct Case
  {
    const char* name;
    PlainRecord st;
    std::vector<std::string> skips;
    double link2Density;  // link 2 (index 1) at the minute
  };
  const Case cases[] = {
      {"link numbers outside the network",
       Record(kKindSTLink, {{kLinks}, {4}, {0, 2, 5, -7}}, {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 9, 9, 9}}),
       {"Skipped GUISTLINKDATA: 3 observed link numbers outside 1 to 4"},
       6},
      {"count beyond the link numbers",
       Record(kKindSTLink, {{kLinks}, {3}, {2, 3}}, {{1, 2, 3}, {5, 6, 7}, {9, 9, 9}}),
       {"Skipped GUISTLINKDATA: 3 observed links, more than its arrays hold"},
       0},
      {"count beyond the speeds",
       Record(kKindSTLink, {{kLinks}, {2}, {2, 3}}, {{1, 2}, {5, 6}, {9}}),
       {"Skipped GUISTLINKDATA: 2 observed links, more than its arrays hold"},
       0},
      {"negative count",
       Record(kKindSTLink, {{kLinks}, {-1}, {}}, {{}, {}, {}}),
       {"Skipped GUISTLINKDATA: -1 observed links, more than its arrays hold"},
       0},
      {"no count",
       Record(kKindSTLink, {{kLinks}}, {}),
       {"Skipped GUISTLINKDATA: the record has no count of observed links"},
       0},
      {"no link numbers",
       Record(kKindSTLink, {{kLinks}, {1}}, {{1}, {2}, {3}}),
       {"Skipped GUISTLINKDATA: 1 observed links, more than its arrays hold"},
       0},
  };
  for (const Case& c : cases) {
    ResetWorld(kLinks);
    g_CurrentMinute = 600;
    RecordingDisplay d;
    FetchedMessage m = Message(MSG_NEARVET_ENDED, {ccb, c.st});
    ASSERT_EQ(ApplyMessage(m, d), 0) << c.name;
    EXPECT_EQ(d.Skips(), c.skips) << c.name;
    EXPECT_DOUBLE_EQ(g_NearvetPerMinute[600], 0.5) << c.name;
    EXPECT_DOUBLE_EQ(Series(1, kMeasureDensity, kSourceObserved, 600), c.link2Density) << c.name;
  }
}

// ---------------------------------------------------------------- values that are not finite

// NaN and infinite values of a record are no values: the link (or the
// store) keeps what it held, and each record gives one line, however many
// of its values were not finite.
TEST_F(Prediction, ValuesThatAreNotFiniteAreNoValues)
{
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const std::string kTail = " that is not finite, taken as no value";

  // NOWSIM at minute 70: link 1's density and queue, one OD cell and the
  // average speed.
  g_LineArray[1]->SetSeries(kMeasureDensity, kSourceEstimate, 70, 7.0);
  g_LineArray[1]->SetSeries(kMeasureQueue, kSourceEstimate, 70, 50.0);
  g_NetStats[kSourceEstimate][70].AvgSpeed = 9.0;
  g_Project.SetODEntry(14, 1, 1, -5.0);
  PlainRecord stat = RTStat(4200);
  stat.F[1][0] = nan;
  PlainRecord links = RTLink(kLinks, 2);
  links.F[0][1] = nan;
  links.F[2][1] = -inf;
  links.F[4][3] = inf;  // origin 1, destination 1
  ASSERT_EQ(Apply(Message(MSG_NOWSIM_ENDED, {stat, links})), 0);
  EXPECT_EQ(display.Skips(), (std::vector<std::string>{
                                 "Skipped GUIRTLINKDATA: 3 values that are not finite, taken as no value",
                                 "Skipped GUIRTSTATDATA: 1 value" + kTail}));
  EXPECT_EQ(Series(1, kMeasureDensity, kSourceEstimate, 70), 7.0);
  EXPECT_EQ(Series(1, kMeasureQueue, kSourceEstimate, 70), 50.0);
  EXPECT_EQ(Series(1, kMeasureSpeed, kSourceEstimate, 70), LinkValue(1, 1));
  EXPECT_EQ(Series(2, kMeasureDensity, kSourceEstimate, 70), LinkValue(0, 2));
  EXPECT_EQ(g_Project.ODEntry(14, 1, 1), -5.0);
  EXPECT_EQ(g_Project.ODEntry(14, 1, 0), 1.0);
  EXPECT_EQ(g_NetStats[kSourceEstimate][70].AvgSpeed, 9.0);
  EXPECT_EQ(g_NetStats[kSourceEstimate][70].AvgDen, 11.5);
  EXPECT_EQ(display.minutes[IResultDisplay::kEstimationView], 70);

  // FORESIM: link 2's speed at every step of a 3-minute stage, and its
  // copy at the stage's end, keep what they held.
  RecordingDisplay d;
  d.minutes[0] = d.minutes[1] = 70;
  for (int t = 70; t <= 73; ++t)
    g_LineArray[2]->SetSeries(kMeasureSpeed, kSourcePredict0, t, 33.0);
  PlainRecord steps = PredLink(kKindPredLink, 3, kLinks);
  for (int t = 0; t < 3; ++t)
    steps.F[0][static_cast<std::size_t>(t) * kLinks + 2] = nan;
  FetchedMessage pred = Message(MSG_FORESIM_ENDED, {steps, PredStat(kKindPredStat, 70, 3)});
  ASSERT_EQ(ApplyMessage(pred, d), 0);
  EXPECT_EQ(d.Skips(), (std::vector<std::string>{
                           "Skipped GUIPLINKDATA: 3 values that are not finite, taken as no value"}));
  for (int t = 70; t <= 73; ++t) {
    EXPECT_EQ(Series(2, kMeasureSpeed, kSourcePredict0, t), 33.0) << t;
    EXPECT_EQ(Series(1, kMeasureSpeed, kSourcePredict0, t), LinkValue(0, 1, std::min(t - 70, 2))) << t;
  }
  EXPECT_EQ(Series(2, kMeasureDensity, kSourcePredict0, 71), LinkValue(1, 2, 1));

  // NEARVET: its value and one observed density.
  RecordingDisplay n;
  g_CurrentMinute = 500;
  g_NearvetPerMinute[500] = 0.75;
  FetchedMessage near = Message(
      MSG_NEARVET_ENDED, {Record(kKindCCBUpdatedSpeed, {{kLinks}}, {{1}, {nan}}),
                          Record(kKindSTLink, {{kLinks}, {2}, {2, 4}}, {{100, 400}, {inf, 40}, {50, 45}})});
  ASSERT_EQ(ApplyMessage(near, n), 0);
  EXPECT_EQ(n.Skips(), (std::vector<std::string>{"Skipped CCB_UPDATED_SPEED: 1 value" + kTail,
                                                 "Skipped GUISTLINKDATA: 1 value" + kTail}));
  EXPECT_EQ(g_NearvetPerMinute[500], 0.75);
  EXPECT_EQ(Series(1, kMeasureDensity, kSourceObserved, 500), 0.0);
  EXPECT_EQ(Series(1, kMeasureSpeed, kSourceObserved, 500), 50.0);
  EXPECT_EQ(Series(3, kMeasureDensity, kSourceObserved, 500), 40.0);
}

}  // namespace
