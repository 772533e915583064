// The modeless information sheet "VORLANTIS-Q Information" with its five
// pages in order: OD table, link information, network performance,
// consistency checking, execution status. Closing it only hides it; the
// main frame's Plots command shows and hides it.
//
// Each page owns its chart (Qt parent ownership, once); the sheet reaches
// them through the pages.
//
//   auto* sheet = new CSheetInfoModeless(hooks, frame);  // no window shown yet
//   sheet->show();                                      // Plots
//   sheet->RefreshPreviews();                           // from CMainFrame::RefreshPreviews
//   sheet->ShowODPair(origin, destination);             // from the OD tool
#pragma once

#include <QDialog>
#include <memory>

#include "InfoSheetHooks.h"

class CPageODTable;
class CPageTDLink;
class CPageNetworkPerformance;
class CPageConsistencyChecking;
class CPageExecutionStatus;
class QTabWidget;

class CSheetInfoModeless : public QDialog
{
  Q_OBJECT
public:
  static constexpr const char* kCaption = "VORLANTIS-Q Information";

  explicit CSheetInfoModeless(InfoSheetHooks hooks, QWidget* parent = nullptr);

  // Repaints at once, in this order, every chart that is on screen: the
  // status window, the link, performance, consistency and OD charts, the
  // status window again. A chart on a hidden page or a hidden sheet costs
  // nothing. (The main frame then runs CollectODPairPaths.)
  void RefreshPreviews();
  // The OD tool's pick: shows the sheet with the OD page active, selects
  // the two zone positions in its lists and repaints the OD chart.
  void ShowODPair(int origin, int destination);

  QTabWidget* Pages() const { return m_pTabs; }
  CPageODTable* ODTablePage() const { return m_pPageODTable; }
  CPageTDLink* TDLinkPage() const { return m_pPageTDLink; }
  CPageNetworkPerformance* PerformancePage() const { return m_pPagePerformance; }
  CPageConsistencyChecking* ConsistencyPage() const { return m_pPageConsistency; }
  CPageExecutionStatus* ExecutionStatusPage() const { return m_pPageExecutionStatus; }

public slots:
  // Close box and Escape: hide and tell the main frame.
  void reject() override;

private:
  std::shared_ptr<const InfoSheetHooks> m_hooks;
  QTabWidget* m_pTabs;
  CPageODTable* m_pPageODTable;
  CPageTDLink* m_pPageTDLink;
  CPageNetworkPerformance* m_pPagePerformance;
  CPageConsistencyChecking* m_pPageConsistency;
  CPageExecutionStatus* m_pPageExecutionStatus;
};
