// Base of the network performance and consistency checking pages: measure
// radios in a "MOE:" group, Begin and End, and Min Y / Max Y lists whose
// items follow the measure and are remembered per measure
// (MinMaxSelections). Choosing a radio, Begin, End, Min Y or Max Y
// repaints the chart at once.
#pragma once

#include <initializer_list>
#include <utility>

#include "InfoPage.h"
#include "InfoPageLogic.h"

class QButtonGroup;
class QListWidget;
class QRadioButton;
class QVBoxLayout;

class CMinMaxPage : public CInfoPage
{
  Q_OBJECT
public:
  QListWidget* MinYList() const { return m_pMinY; }
  QListWidget* MaxYList() const { return m_pMaxY; }
  QRadioButton* MeasureRadio(int measure) const;

  int Measure() const { return m_sel.Measure(); }
  int MinYIndex() const;
  int MaxYIndex() const;
  // Checks the measure's radio, shows its text, refills Min Y and Max Y
  // with its items, selects the remembered ones and repaints the chart.
  void SetMeasure(int measure);

protected:
  CMinMaxPage(int chartTop, MinMaxSelections selections, std::shared_ptr<const InfoSheetHooks> hooks,
              QWidget* parent);
  // The "MOE:" group with one radio per (text, measure), in order; returns
  // the group's column for more controls.
  QVBoxLayout* AddMeasureGroup(QBoxLayout* row, std::initializer_list<std::pair<const char*, int>> radios,
                               int stretch);
  // Begin, End, Min Y and Max Y.
  void AddRangeLists(QBoxLayout* row);

  virtual MinMaxItems ItemsFor(int measure) const = 0;
  // The page's text for a measure.
  virtual void ShowMeasureText(int measure) = 0;
  void OnInitDialog() override;

private:
  MinMaxSelections m_sel;
  QButtonGroup* m_pMeasures;
  QListWidget* m_pMinY = nullptr;
  QListWidget* m_pMaxY = nullptr;
};
