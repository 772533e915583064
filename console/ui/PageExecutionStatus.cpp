#include "PageExecutionStatus.h"

#include "InfoPreview.h"

CPageExecutionStatus::CPageExecutionStatus(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent)
    : CInfoPage(kChartTop, std::move(hooks), parent)
{
  m_pStatusChart = new CStatusPreviewWnd(this, m_hooks);
  SetChart(m_pStatusChart);
}
