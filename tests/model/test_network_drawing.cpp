// One network view drawn whole: the layers in their order, what the options
// switch on and off, the VMS list of each view, the marks' minute taken from
// the options, the store inputs a view takes before a paint, the title text,
// and the predicted-path lists' lock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "CProject.h"
#include "GlobalArrays.h"
#include "NetworkDrawing.h"
#include "RecordingDrawTarget.h"
#include "ScenarioObjects.h"

using fixtures::RecordingTarget;

namespace {

// One object of every layer, each with an op of its own in the recording:
// a selected link 1->2 (node indices 0 -> 1), a camera, a node, a vehicle of
// source 0 on the link, a followed vehicle of source 1, a bus route and a
// route of another kind, a work zone, a VMS in the estimation list and two
// in the second prediction list, an incident (all in force at minutes 0 to
// 100), a path in the first predicted list and an OD zone.
class WholeView : public ::testing::Test
{
protected:
  void SetUp() override
  {
    auto* link = new CDrawLine;
    link->m_nFromNode = 1;
    link->m_nToNode = 2;
    link->m_nFromIndex = 0;
    link->m_nToIndex = 1;
    link->m_nSelectMark = 2;
    link->SetShape({{0, 0}, {100, 0}});
    g_LineArray.Add(link);
    auto* cam = new CDrawCCTV;
    cam->m_ptIcon = {45, 0};
    g_CCTVArray.Add(cam);
    auto* node = new CDrawNode;
    node->m_ptPos = {0, 0};
    g_NodeArray.Add(node);
    auto* car = new CVehicle;
    car->m_Trajectory = {{0, 100.0, 0.0, 0.0}, {1, 0.0, 100.0, 0.0}};
    g_VehicleArray.Add(car);
    auto* followed = new CVehicle;
    followed->m_nSource = 1;
    followed->m_nPathFlag = 1;
    followed->m_Trajectory = car->m_Trajectory;
    g_VehicleArray.Add(followed);
    g_Project.m_Paths.Add(RouteOfKind(0));
    g_Project.m_Paths.Add(RouteOfKind(1));
    auto* wz = new CWorkZone;
    wz->m_nFromNode = 1;
    wz->m_nToNode = 2;
    wz->m_fEnd = 100;
    g_WorkZoneArray.Add(wz);
    g_VMSArray.Add(SignOnTheLink());
    g_VMSArrayPredict1.Add(SignOnTheLink());
    g_VMSArrayPredict1.Add(SignOnTheLink());
    auto* inc = new CIncident;
    inc->m_nFromNode = 1;
    inc->m_nToNode = 2;
    inc->m_fEnd = 100;
    g_IncidentArray.Add(inc);
    {
      LockedPathLists paths = g_PredictedPaths.Lock();
      paths.List(0).Add(new CPath);
    }
    auto* zone = new CODZone;
    for (IntPoint p : {IntPoint{0, 0}, IntPoint{10, 0}, IntPoint{10, 10}})
      zone->AddPoint(p);
    g_ZoneArray.Add(zone);

    view.bDataLoaded = true;
    view.objects.bShowCCTV = true;
    view.objects.bShowVehicles = true;
    view.objects.bShowBusRoutes = true;
    view.objects.dMarkMinute = 50;
    view.objects.dClockMinute = 50;
    view.paths.bShowPaths0 = true;
  }
  void TearDown() override
  {
    g_Project.ClearNetworkArrays();
    g_VehicleArray.RemoveAll();
    g_Project.m_Paths.RemoveAll();
    g_WorkZoneArray.RemoveAll();
    g_ZoneArray.RemoveAll();
    LockedPathLists paths = g_PredictedPaths.Lock();
    paths.List(0).RemoveAll();
  }
  static CPath* RouteOfKind(int kind)
  {
    auto* p = new CPath;
    p->m_Nodes = {0, 1};
    p->m_nNodeCount = 2;
    p->m_nSegmentStyle = kind;
    return p;
  }
  static CVMS* SignOnTheLink()
  {
    auto* s = new CVMS;
    s->m_nType = 1;
    s->m_nFromNode = 1;
    s->m_nToNode = 2;
    s->m_dEnd = 100;
    return s;
  }
  // The layers in the order drawn, one name per op that marks a layer.
  std::vector<std::string> Layers()
  {
    RecordingTarget t;
    {
      LockedPathLists paths = g_PredictedPaths.Lock();
      DrawNetwork(view, paths, t);
    }
    const std::vector<std::pair<std::string, std::string>> marks = {
        {RecordingTarget::Pen(DrawPen::LinkSelected), "link"},
        {"bmp 232", "camera"},
        {RecordingTarget::Brush(DrawBrush::Node), "node"},
        {RecordingTarget::Brush(DrawBrush::NodeGrey), "node"},  // with the vehicle layer on
        {RecordingTarget::Brush(DrawBrush::VehicleGreen), "vehicle"},
        {RecordingTarget::Brush(DrawBrush::VehicleYellow), "vehicle of another source"},
        {RecordingTarget::Pen(DrawPen::PathYellowGreen), "followed route"},
        {RecordingTarget::Pen(DrawPen::PathDotted), "bus route"},
        {RecordingTarget::Pen(DrawPen::PathGreen), "route of another kind"},
        {"bmp 225", "work zone"},
        {"bmp 172", "vms"},
        {"bmp 167", "incident"},
        {"custom pen", "path"},
        {"polygon", "zone"},
    };
    std::vector<std::string> layers;
    for (const std::string& op : t.ops)
      for (const auto& [prefix, name] : marks)
        if (op == prefix || op.rfind(prefix + " ", 0) == 0)
          layers.push_back(name);
    return layers;
  }
  NetworkViewOptions view;
};

}  // namespace

TEST_F(WholeView, LayersInTheirOrder)
{
  EXPECT_EQ(Layers(),
            (std::vector<std::string>{"link", "camera", "node", "vehicle", "followed route", "bus route",
                                      "work zone", "vms", "incident", "path", "zone"}));
}

TEST_F(WholeView, TheTwoPartsMakeTheWhole)
{
  auto* second = new CDrawLine;
  second->SetShape({{0, 10}, {100, 10}});
  g_LineArray.Add(second);
  LockedPathLists paths = g_PredictedPaths.Lock();
  RecordingTarget whole, parts;
  DrawNetwork(view, paths, whole);
  DrawNetworkLinks(view, 1, 7, parts);  // the ranges' order is the caller's; an end past the array stops
  RecordingTarget first;
  DrawNetworkLinks(view, -3, 1, first);
  DrawNetworkAfterLinks(view, paths, parts);
  first.ops.insert(first.ops.end(), parts.ops.begin(), parts.ops.end());
  EXPECT_EQ(first.ops, whole.ops);
  view.bDataLoaded = false;
  RecordingTarget none;
  DrawNetworkLinks(view, 0, 2, none);
  DrawNetworkAfterLinks(view, paths, none);
  EXPECT_TRUE(none.ops.empty());
}

TEST_F(WholeView, WhatTheOptionsChange)
{
  struct Case
  {
    const char* name;
    void (*change)(NetworkViewOptions&);
    std::vector<std::string> expected;
  } cases[] = {
      {"data not loaded: nothing", [](NetworkViewOptions& v) { v.bDataLoaded = false; }, {}},
      {"layers off",
       [](NetworkViewOptions& v) {
         v.objects.bShowCCTV = v.objects.bShowVehicles = v.objects.bShowBusRoutes = false;
         v.paths.bShowPaths0 = v.bShowZones = false;
       },
       {"link", "node", "followed route", "work zone", "vms", "incident"}},
      {"marks out of force at the options' minute",
       [](NetworkViewOptions& v) { v.objects.dMarkMinute = 101; },
       {"link", "camera", "node", "vehicle", "followed route", "bus route", "path", "zone"}},
      {"the second prediction view draws its own VMS list",
       [](NetworkViewOptions& v) { v.nViewKind = kViewPrediction1; },
       {"link", "camera", "node", "vehicle", "followed route", "bus route", "work zone", "vms", "vms",
        "incident", "path", "zone"}},
      {"the first prediction view draws the estimation list",
       [](NetworkViewOptions& v) { v.nViewKind = kViewPrediction0; },
       {"link", "camera", "node", "vehicle", "followed route", "bus route", "work zone", "vms", "incident",
        "path", "zone"}},
      {"vehicles of the view's source only",
       [](NetworkViewOptions& v) { v.objects.nSource = 1; },
       {"link", "camera", "node", "vehicle of another source", "followed route", "bus route", "work zone",
        "vms", "incident", "path", "zone"}},
      {"the second list shown, the first not",
       [](NetworkViewOptions& v) {
         v.paths.bShowPaths0 = false;
         v.paths.bShowPaths1 = true;
       },
       {"link", "camera", "node", "vehicle", "followed route", "bus route", "work zone", "vms", "incident",
        "zone"}},
  };
  const NetworkViewOptions base = view;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view = base;
    c.change(view);
    EXPECT_EQ(Layers(), c.expected);
  }
}

TEST_F(WholeView, APickedPathIsDrawnAgainOnTop)
{
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    paths.List(0).Add(new CPath);
    paths.List(0)[0]->m_nOwnPen = 1;
  }
  EXPECT_EQ(Layers(),
            (std::vector<std::string>{"link", "camera", "node", "vehicle", "followed route", "bus route",
                                      "work zone", "vms", "incident", "path", "path", "path", "zone"}));
}

TEST(NetworkDrawing, StoreInputsOfEachView)
{
  const ClockRecord savedEstimation = g_EstimationClock, savedPrediction = g_PredictionClock;
  const double savedRatio = g_LinkShapeRatio;
  g_EstimationClock.dMinute = 12.5;
  g_PredictionClock.dMinute = 34.0;
  g_LinkShapeRatio = 0.25;
  struct Case
  {
    int kind;
    double clockMinute;
  } cases[] = {{kViewCurrentCondition, 12.5}, {kViewPrediction0, 34.0}, {kViewPrediction1, 34.0}};
  for (const Case& c : cases) {
    NetworkViewOptions v;
    v.nViewKind = c.kind;
    TakeStoreInputs(v);
    EXPECT_EQ(v.objects.dMarkMinute, 12.5) << c.kind;  // every view: the estimation clock
    EXPECT_EQ(v.objects.dClockMinute, c.clockMinute) << c.kind;
    EXPECT_EQ(v.objects.dLinkShapeRatio, 0.25) << c.kind;
  }
  g_EstimationClock = savedEstimation;
  g_PredictionClock = savedPrediction;
  g_LinkShapeRatio = savedRatio;
}

TEST(NetworkDrawing, TitleTextOfEachView)
{
  ClockRecord estimation, prediction;
  estimation.nMinute = 605;  // folded into 10:05 in the copy
  prediction.nHour = 7;
  prediction.nMinute = 5;
  EXPECT_EQ(ViewTitleText(kViewCurrentCondition, estimation, prediction), " Current Condition [10:05] ");
  EXPECT_EQ(ViewTitleText(kViewPrediction0, estimation, prediction), " State Prediction (0)[07:05] ");
  EXPECT_EQ(ViewTitleText(kViewPrediction1, estimation, prediction), " State Prediction (1)[07:05] ");
  EXPECT_EQ(estimation.nMinute, 605);
}

TEST(PredictedPathLists, OneHolderAtATimeAndNoSecondLockOnItsThread)
{
  using namespace std::chrono_literals;
  LockedPathLists held = g_PredictedPaths.Lock();
  // A second lock on the holding thread would wait for itself.
  EXPECT_THROW(g_PredictedPaths.Lock(), std::logic_error);
  std::atomic<bool> got{false};
  std::thread other([&got] {
    LockedPathLists p = g_PredictedPaths.Lock();
    got = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(got.load());  // still waiting for the holder
  {
    LockedPathLists moved = std::move(held);  // the lock goes with the object
  }
  other.join();
  EXPECT_TRUE(got.load());
  LockedPathLists again = g_PredictedPaths.Lock();  // free again on this thread
  EXPECT_TRUE(again.List(0).IsEmpty());
}
