// A small filled store and an information sheet over it: links with a few
// observed ones, the result stores reset, and hooks that record what the
// sheet asks of the rest of the console.
#pragma once

#include <QApplication>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "CDrawLine.h"
#include "CProject.h"
#include "GlobalArrays.h"
#include "ResultStores.h"
#include "SheetInfoModeless.h"
#include "UiTestApp.h"

namespace uitest {

// Resets every store the charts read.
inline void ResetStores()
{
  for (auto& source : g_NetStats)
    for (auto& record : source)
      record = NetStatRecord{};
  for (double& v : g_FarvetPerMinute)
    v = 0.0;
  for (double& v : g_NearvetPerMinute)
    v = 0.0;
  ClearModuleFlags();
  g_EstimationClock = ClockRecord{};
  g_PredictionClock = ClockRecord{};
  g_ChartWindowStart = 0;
  g_ChartWindowEnd = 120;
  g_Project.SetODSize(0);
  g_SelectedLinks.clear();
  g_LineArray.RemoveAll();
}

class InfoSheetTest : public ::testing::Test
{
protected:
  void SetUp() override { ResetStores(); }
  void TearDown() override
  {
    sheet.reset();
    ResetStores();
  }

  // Links 1->2, 2->3, ...; the positions in `observed` have observations.
  void MakeLinks(int count, std::vector<int> observed = {})
  {
    for (int i = 0; i < count; ++i) {
      auto* link = new CDrawLine;
      link->m_nFromNode = i + 1;
      link->m_nToNode = i + 2;
      g_LineArray.Add(link);
    }
    for (int i : observed)
      g_LineArray[i]->m_bObserved = true;
  }

  void MakeSheet()
  {
    InfoSheetHooks hooks;
    hooks.isDataLoaded = [this] { return dataLoaded; };
    hooks.estimationMinute = [this] { return estimationMinute; };
    hooks.selectLink = [this](int link) {
      selectedLinks.push_back(link);
      g_SelectedLinks = {g_LineArray[link]};
    };
    hooks.sheetHidden = [this] { ++hiddenCalls; };
    sheet = std::make_unique<CSheetInfoModeless>(hooks);
    sheet->resize(900, 760);
  }

  // Shows the sheet on a page and lets it paint.
  void ShowPage(QWidget* page)
  {
    if (!sheet)
      MakeSheet();
    sheet->show();
    sheet->Pages()->setCurrentWidget(page);
    QApplication::processEvents();
  }

  bool dataLoaded = true;
  int estimationMinute = 0;
  std::vector<int> selectedLinks;
  int hiddenCalls = 0;
  std::unique_ptr<CSheetInfoModeless> sheet;
};

}  // namespace uitest
