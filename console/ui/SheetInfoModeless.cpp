#include "SheetInfoModeless.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "InfoPreview.h"
#include "PageConsistencyChecking.h"
#include "PageExecutionStatus.h"
#include "PageNetworkPerformance.h"
#include "PageODTable.h"
#include "PageTDLink.h"

CSheetInfoModeless::CSheetInfoModeless(InfoSheetHooks hooks, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_hooks(CompleteInfoSheetHooks(std::move(hooks)))
{
  setWindowTitle(kCaption);
  setModal(false);
  m_pTabs = new QTabWidget(this);
  m_pPageODTable = new CPageODTable(m_hooks);
  m_pPageTDLink = new CPageTDLink(m_hooks);
  m_pPagePerformance = new CPageNetworkPerformance(m_hooks);
  m_pPageConsistency = new CPageConsistencyChecking(m_hooks);
  m_pPageExecutionStatus = new CPageExecutionStatus(m_hooks);
  m_pTabs->addTab(m_pPageODTable, "Temporal Demand");
  m_pTabs->addTab(m_pPageTDLink, "Link Information");
  m_pTabs->addTab(m_pPagePerformance, "Overall Network Performance");
  m_pTabs->addTab(m_pPageConsistency, "Consistency Checking");
  m_pTabs->addTab(m_pPageExecutionStatus, "System Execution Status");
  m_pTabs->setCurrentIndex(0);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pTabs);
}

void CSheetInfoModeless::RefreshPreviews()
{
  QWidget* order[] = {m_pPageExecutionStatus->StatusChart(),
                      m_pPageTDLink->LinkChart(),
                      m_pPagePerformance->PerformanceChart(),
                      m_pPageConsistency->ConsistencyChart(),
                      m_pPageODTable->ODChart(),
                      m_pPageExecutionStatus->StatusChart()};
  for (QWidget* chart : order) {
    if (chart->isVisible())
      chart->repaint();
  }
}

void CSheetInfoModeless::ShowODPair(int origin, int destination)
{
  show();
  raise();
  m_pTabs->setCurrentWidget(m_pPageODTable);
  m_pPageODTable->SetODPair(origin, destination);
}

void CSheetInfoModeless::reject()
{
  QDialog::reject();
  m_hooks->sheetHidden();
}
