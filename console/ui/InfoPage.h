// Base of the five information pages: the page's controls above, its chart
// below, and the first-show step. When a page is first shown it grows by
// 300 pixels, fills its lists and selects their first items, and its chart
// appears; until then the chart stays hidden and costs nothing.
//
// Lists are filled and selected by the program with their handlers held
// off: only the operator's changes run the handlers.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "ChartGeometry.h"
#include "DialogWidgets.h"
#include "InfoSheetHooks.h"

class CChartWnd;
class QBoxLayout;
class QLabel;
class QListWidget;

// The pages fill and select their lists as the dialogs do: handlers held
// off, a row outside the list selects none.
using dialog_widgets::FillList;
using dialog_widgets::SelectRow;

class CInfoPage : public QWidget
{
  Q_OBJECT
public:
  static constexpr int kGrowth = 300;          // pixels added at the first show
  static constexpr int kChartMinHeight = 160;  // chart height before that

  CInfoPage(int chartTop, std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent);

  // The first-show step, unless it ran.
  void EnsureInitialized();
  bool IsInitialized() const { return m_bInitialized; }
  CChartWnd* Chart() const { return m_pChart; }
  int ChartTop() const { return m_nChartTop; }

  // Begin and End lists of the chart pages (none on the status page).
  QListWidget* BeginList() const { return m_pBegin; }
  QListWidget* EndList() const { return m_pEnd; }
  // The time range that the Begin and End lists choose.
  TimeRange Range() const;

protected:
  // Fills the lists and makes their first selections.
  virtual void OnInitDialog() = 0;
  // The chart, a child of the page kept hidden until the first show.
  void SetChart(CChartWnd* chart);
  // The area above the chart, for the page's controls.
  QWidget* Controls() const { return m_pControls; }
  // A list under its caption in a column of the layout; the caption is
  // the list's accessible name.
  QListWidget* AddList(QBoxLayout* row, const QString& caption, int width);
  // Begin and End lists in the row.
  void AddTimeLists(QBoxLayout* row);
  // Fills Begin and End and selects the chart time window.
  void FillTimeLists();
  // Repaints the chart at once (nothing while it is hidden).
  void RepaintChart();
  // Invalidates the chart.
  void InvalidateChart();

  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  std::shared_ptr<const InfoSheetHooks> m_hooks;

private:
  void PlaceChildren();

  int m_nChartTop;
  bool m_bInitialized = false;
  QWidget* m_pControls;
  CChartWnd* m_pChart = nullptr;
  QListWidget* m_pBegin = nullptr;
  QListWidget* m_pEnd = nullptr;
};
