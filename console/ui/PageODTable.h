// The OD table page "Temporal Demand": origin, destination, time range and
// Max Y of the OD chart. Any change of its five lists repaints the chart at
// once; the OD tool of the network views hands it its zone pick.
#pragma once

#include "InfoPage.h"

class CInfoPreviewWndOD;
class QListWidget;

class CPageODTable : public CInfoPage
{
  Q_OBJECT
public:
  static constexpr int kChartTop = 110;

  CPageODTable(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent = nullptr);

  CInfoPreviewWndOD* ODChart() const { return m_pODChart; }
  QListWidget* OriginList() const { return m_pOrigin; }
  QListWidget* DestinationList() const { return m_pDestination; }
  QListWidget* MaxYList() const { return m_pMaxY; }
  // Selected positions; -1 when a list has none.
  int OriginIndex() const;
  int DestinationIndex() const;
  int MaxYIndex() const;

  // Zone positions picked with the OD tool: selects them (a position the
  // lists lack leaves its list as it is) and repaints the chart.
  void SetODPair(int origin, int destination);

protected:
  void OnInitDialog() override;

private:
  QListWidget* m_pOrigin;
  QListWidget* m_pDestination;
  QListWidget* m_pMaxY;
  CInfoPreviewWndOD* m_pODChart;
};
