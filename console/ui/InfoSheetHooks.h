// What the information sheet, its pages and its charts take from the rest
// of the console. The main frame fills it when it builds the sheet; an
// empty function takes the default given with it.
//
//   InfoSheetHooks hooks;
//   hooks.isDataLoaded = [] { return g_bDataLoaded; };
//   hooks.selectLink = [](int link) { /* select in the views, show in the control panel */ };
//   hooks.sheetHidden = [frame] { frame->m_bInfoSheetHidden = 1; };
//   hooks.chartFont = estimationView->m_fontSmall;
//   auto* sheet = new CSheetInfoModeless(hooks, frame);
#pragma once

#include <QFont>
#include <functional>
#include <memory>
#include <optional>

struct InfoSheetHooks
{
  // The loaded project has been handed to the views (g_bDataLoaded). The
  // performance, OD and consistency charts draw only while it is true.
  // Default: the project is loaded.
  std::function<bool()> isDataLoaded;
  // The estimation view's minute, up to which the estimation, observation,
  // performance and consistency curves run. Default: the estimation clock's
  // minute.
  std::function<int()> estimationMinute;
  // The operator chose a link (by its position) in the link page's list:
  // select it in the estimation view (which makes it the last selected
  // link), invalidate the three network views and show the link in the
  // control panel. Default: nothing.
  std::function<void(int link)> selectLink;
  // The operator hid the sheet with its close box (or Escape). Default:
  // nothing.
  std::function<void()> sheetHidden;
  // Font of the chart labels: the estimation view's small font. Default:
  // the application font at 12 pixels.
  std::optional<QFont> chartFont;
};

// The hooks with every empty function replaced by its default.
std::shared_ptr<const InfoSheetHooks> CompleteInfoSheetHooks(InfoSheetHooks hooks);
