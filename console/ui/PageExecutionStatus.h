// The execution status page "System Execution Status": the module status
// window and no controls.
#pragma once

#include "InfoPage.h"

class CStatusPreviewWnd;

class CPageExecutionStatus : public CInfoPage
{
  Q_OBJECT
public:
  static constexpr int kChartTop = 20;

  CPageExecutionStatus(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent = nullptr);

  CStatusPreviewWnd* StatusChart() const { return m_pStatusChart; }

protected:
  void OnInitDialog() override {}

private:
  CStatusPreviewWnd* m_pStatusChart;
};
