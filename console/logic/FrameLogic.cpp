#include "FrameLogic.h"

#include "Commands.h"
#include "NetworkViewModel.h"
#include "ResultStores.h"

bool AdvanceChartWindow(int& start, int& end)
{
  if (end >= 1440)
    return false;
  start += 60;
  end += 60;
  return true;
}

bool BringBackChartWindow(int& start, int& end)
{
  if (start < 60)
    return false;
  start -= 60;
  end -= 60;
  return true;
}

PaneSizes PredictionLayoutSizes(int layout, int h)
{
  switch (layout) {
  case 0: return {h, 0};
  case 1: return {0, h};
  default: return {h / 3, 0};
  }
}

int NextPredictionLayout(int layout)
{
  return layout == 0 ? 1 : layout == 1 ? 2 : 0;
}

PaneSizes OutputViewSizes(bool optionSet, int h)
{
  if (optionSet)
    return {h, 0};
  return {static_cast<int>(h * 7.5 / 10), h / 15};
}

PaneSizes ComponentViewSizes(bool optionSet, int w)
{
  if (optionSet)
    return {static_cast<int>((w / 8) * 6.5), w / 8};
  return {w, 0};
}

PlotsStep PlotsAction(bool sheetHasWindow, bool& sheetHidden)
{
  if (!sheetHasWindow) {
    sheetHidden = false;
    return PlotsStep::Create;
  }
  if (sheetHidden) {
    sheetHidden = false;
    return PlotsStep::Show;
  }
  sheetHidden = true;
  return PlotsStep::Hide;
}

std::optional<FrameRepaint> ApplyFrameCommand(int id, int& systemState, const ViewSet& views, int startMinute)
{
  FrameRepaint repaint;
  switch (id) {
  case kCmdAdvanceClock:
  case kCmdBringBackClock: {
    int start = g_ChartWindowStart, end = g_ChartWindowEnd;
    if (id == kCmdAdvanceClock ? AdvanceChartWindow(start, end) : BringBackChartWindow(start, end)) {
      g_ChartWindowStart = start;
      g_ChartWindowEnd = end;
      repaint.clockView = true;
    }
    return repaint;
  }
  case kCmdPauseSimulation:
    systemState = kStatePaused;
    repaint.networkViews = true;
    return repaint;
  case kCmdRewindSimulation:
    for (NetworkViewModel* v : {views.prediction0, views.prediction1})
      if (v)
        v->m_nMinute = 0;
    g_EstimationClock = ClockRecord{};
    g_PredictionClock = ClockRecord{};
    repaint.networkViews = true;
    repaint.clockView = true;
    return repaint;
  case kCmdShowRTData:
    if (views.estimation) {
      views.estimation->m_nMinute = startMinute;
      repaint.estimationView = true;
    }
    return repaint;
  default: return std::nullopt;
  }
}
