#include "InfoPreview.h"

#include <QPainter>

#include "CDrawLine.h"
#include "CProject.h"
#include "GlobalArrays.h"
#include "PageConsistencyChecking.h"
#include "PageNetworkPerformance.h"
#include "PageODTable.h"
#include "PageTDLink.h"
#include "ResultStores.h"

// Every SetupScale below reads the stores without a lock: the message
// handler writes them on the GUI thread (see ChartWnd.h).

namespace {

// What the performance and consistency charts take from their page.
template <class Input>
Input MinMaxChartInput(const CMinMaxPage& page, const InfoSheetHooks& hooks, const ScreenRect& client)
{
  Input in;
  in.client = client;
  in.range = page.Range();
  in.measure = page.Measure();
  in.minYIndex = page.MinYIndex();
  in.maxYIndex = page.MaxYIndex();
  in.estimationMinute = hooks.estimationMinute();
  in.dataLoaded = hooks.isDataLoaded();
  return in;
}

}  // namespace

// ---- link chart --------------------------------------------------------------

CInfoPreviewWndLink::CInfoPreviewWndLink(CPageTDLink* page, std::shared_ptr<const InfoSheetHooks> hooks)
    : CChartWnd(std::move(hooks), page), m_pPage(page)
{}

LinkChartInput CInfoPreviewWndLink::SetupScale(const ScreenRect& client) const
{
  LinkChartInput in;
  in.client = client;
  in.range = m_pPage->Range();
  in.measure = m_nMeasure;
  in.maxYIndex = m_pPage->MaxYIndex();
  in.link = g_SelectedLinks.empty() ? nullptr : g_SelectedLinks.back();
  in.estimationMinute = m_hooks->estimationMinute();
  in.predictionStart = g_PredictionClock.nWindowStart;
  in.predictionEnd = g_PredictionClock.nWindowEnd;
  return in;
}

void CInfoPreviewWndLink::DrawChart(QPainter& painter, const ScreenRect& client)
{
  LinkChartInput in = SetupScale(client);
  // The list follows the selected link (its handler held off).
  if (in.link && !m_pPage->ObservedOnly())
    m_pPage->ShowLinkLine(in.link->m_nIndex);
  PaintChartPicture(painter, BuildLinkChart(in));
}

// ---- performance chart ----------------------------------------------------------

CInfoPreviewWndPerformance::CInfoPreviewWndPerformance(CPageNetworkPerformance* page,
                                                       std::shared_ptr<const InfoSheetHooks> hooks)
    : CChartWnd(std::move(hooks), page), m_pPage(page)
{}

PerformanceChartInput CInfoPreviewWndPerformance::SetupScale(const ScreenRect& client) const
{
  auto in = MinMaxChartInput<PerformanceChartInput>(*m_pPage, *m_hooks, client);
  in.stats = g_NetStats[kSourceEstimate];
  return in;
}

void CInfoPreviewWndPerformance::DrawChart(QPainter& painter, const ScreenRect& client)
{
  PaintChartPicture(painter, BuildPerformanceChart(SetupScale(client)));
}

// ---- OD chart ----------------------------------------------------------------------

CInfoPreviewWndOD::CInfoPreviewWndOD(CPageODTable* page, std::shared_ptr<const InfoSheetHooks> hooks)
    : CChartWnd(std::move(hooks), page), m_pPage(page)
{}

ODChartInput CInfoPreviewWndOD::SetupScale(const ScreenRect& client) const
{
  ODChartInput in;
  in.client = client;
  in.range = m_pPage->Range();
  in.maxYIndex = m_pPage->MaxYIndex();
  in.origin = m_pPage->OriginIndex();
  in.destination = m_pPage->DestinationIndex();
  in.chartWindowEnd = g_ChartWindowEnd;
  in.project = &g_Project;
  in.dataLoaded = m_hooks->isDataLoaded();
  return in;
}

void CInfoPreviewWndOD::DrawChart(QPainter& painter, const ScreenRect& client)
{
  PaintChartPicture(painter, BuildODChart(SetupScale(client)));
}

// ---- consistency chart ---------------------------------------------------------------

CInfoPreviewWndCstCheck::CInfoPreviewWndCstCheck(CPageConsistencyChecking* page,
                                                 std::shared_ptr<const InfoSheetHooks> hooks)
    : CChartWnd(std::move(hooks), page), m_pPage(page)
{}

ConsistencyChartInput CInfoPreviewWndCstCheck::SetupScale(const ScreenRect& client) const
{
  auto in = MinMaxChartInput<ConsistencyChartInput>(*m_pPage, *m_hooks, client);
  in.farvet = g_FarvetPerMinute;
  in.nearvet = g_NearvetPerMinute;
  return in;
}

void CInfoPreviewWndCstCheck::DrawChart(QPainter& painter, const ScreenRect& client)
{
  PaintChartPicture(painter, BuildConsistencyChart(SetupScale(client)));
}

// ---- module status window ----------------------------------------------------------------

CStatusPreviewWnd::CStatusPreviewWnd(QWidget* page, std::shared_ptr<const InfoSheetHooks> hooks)
    : CChartWnd(std::move(hooks), page)
{}

StatusChartInput CStatusPreviewWnd::SetupScale(const ScreenRect& client) const
{
  StatusChartInput in;
  in.client = client;
  in.windowStart = g_ChartWindowStart;
  in.windowEnd = g_ChartWindowEnd;
  in.currentMinute = g_EstimationClock.dMinute;
  in.marks = g_ModuleStartMarks;
  return in;
}

void CStatusPreviewWnd::DrawChart(QPainter& painter, const ScreenRect& client)
{
  PaintChartPicture(painter, BuildStatusChart(SetupScale(client)));
}
