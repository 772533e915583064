// The control panel: the display options of the three network views (the
// layer check boxes, the current-condition and prediction radios), the
// property list of the selected node or link, and the message list of the
// bring-up steps and the running system. The rules are in
// ControlPanelLogic.h; this widget binds them and repaints the views.
#pragma once

#include <QScrollArea>
#include <string>
#include <vector>

#include "ControlPanelLogic.h"

class QCheckBox;
class QListWidget;
class QRadioButton;
class QTableWidget;

class CComponentView : public QScrollArea
{
  Q_OBJECT
public:
  explicit CComponentView(QWidget* parent = nullptr);
  ~CComponentView() override;

  // Display modes of the estimation view (1 density, 2 speed, 3 queue) and
  // of the prediction views (also 5 travel time); the views repaint.
  void SetEstimationDisplayMode(int mode);
  void SetPredictionDisplayMode(int mode);
  // Layers and measure off for a view kind (Specify Origin).
  void ResetDisplayOptions(int viewKind);
  // Checks or clears the "Zones" box (Load Data checks it).
  void CheckZones(bool checked);

  // The rows of the link selected last, at the estimation view's source
  // and minute; nothing changes without a selected link.
  void ShowLinkProperties();
  // Any rows (a node's, for instance) into the property list.
  void SetPropertyRows(std::vector<PropertyRow> rows);
  const std::vector<PropertyRow>& PropertyRows() const { return m_PropRows; }
  // Rebuilds the list from the rows; a value wider than the usual ones
  // widens its column, and the list scrolls sideways to show it whole.
  void InitPropertyList();

  // Appends a line to the message list; the last line is selected (and
  // scrolled to) at the next turn of the event loop.
  void AddMessage(const std::string& text);
  int MessageCount() const;

  const PanelMarks& Marks() const { return m_marks; }
  // Width the whole form needs, scroll bar included.
  int FormWidth() const;

private:
  void ApplyMarks();
  void Toggle(void (*toggle)(const ViewSet&, PanelMarks&));

  PanelMarks m_marks;
  std::vector<PropertyRow> m_PropRows;
  QCheckBox* m_zones = nullptr;
  QCheckBox* m_busRoutes = nullptr;
  QCheckBox* m_signals = nullptr;
  QRadioButton* m_current[3] = {};     // density, speed, queue
  QRadioButton* m_prediction[4] = {};  // density, speed, queue, travel time
  QTableWidget* m_PropList = nullptr;
  int m_columnWidth[2] = {};  // the names', and the usual values'
  int m_rowsHeight = 0;       // the list's height for its ten rows
  QListWidget* m_wndMessages = nullptr;
  int m_messageWidth = 0;            // width of the longest line, in pixels
  bool m_selectLastPending = false;  // the last line is to be selected
};
