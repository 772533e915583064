// The link page "Link Information": the link list (every link, or only the
// links with observations), the measure radios, the time range and Max Y
// of the link chart. Choosing a line selects its link in the views and the
// control panel through the sheet's selectLink hook.
#pragma once

#include "InfoPage.h"
#include "InfoPageLogic.h"

class CInfoPreviewWndLink;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QListWidget;
class QRadioButton;

class CPageTDLink : public CInfoPage
{
  Q_OBJECT
public:
  static constexpr int kChartTop = 140;

  CPageTDLink(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent = nullptr);

  CInfoPreviewWndLink* LinkChart() const { return m_pLinkChart; }
  QListWidget* LinkList() const { return m_pLinks; }
  QListWidget* MaxYList() const { return m_pMaxY; }
  QCheckBox* ObservedOnlyBox() const { return m_pObservedOnly; }
  // The radio of a measure (1 density, 2 speed, 3 queue).
  QRadioButton* MeasureRadio(int measure) const;
  QLabel* UnitText() const { return m_pUnit; }

  bool ObservedOnly() const { return m_bObservedOnly != 0; }
  int MaxYIndex() const;
  const LinkListModel& ListModel() const { return m_list; }
  // Makes the line of a link position the list's selection without running
  // the list's handler; nothing when the list does not show the link.
  void ShowLinkLine(int link);

protected:
  void OnInitDialog() override;

private:
  void FillLinkList();
  void OnLinkLineChanged(int line);
  void OnMeasure(int measure);
  void OnObservedOnly(bool checked);

  int m_bObservedOnly = 0;  // "Show links with obs only"
  LinkListModel m_list;
  QListWidget* m_pLinks;
  QButtonGroup* m_pMeasures;
  QListWidget* m_pMaxY;
  QLabel* m_pUnit;
  QCheckBox* m_pObservedOnly;
  CInfoPreviewWndLink* m_pLinkChart;
};
