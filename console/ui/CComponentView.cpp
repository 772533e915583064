#include "CComponentView.h"

#include <algorithm>

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "CDrawLine.h"
#include "ConsoleWindows.h"
#include "DebugLog.h"
#include "GlobalArrays.h"
#include "GuiThread.h"

CComponentView* g_pComponentView = nullptr;

namespace {

// The prediction radios' display modes, in their order.
constexpr int kPredictionModes[4] = {1, 2, 3, 5};

// The property list's columns are at least this wide.
constexpr int kMinColumnWidth = 100;
// The widest line of a run: the launcher's for the naming service, with a
// process id of seven digits. The message list shows it whole.
std::string WidestProgressLine()
{
  return StartedProgramLine("naming_service.bat", "Naming_Service", 4194304);
}

// Width of the widest text, padded for the cell's margins.
int ColumnWidth(const QFontMetrics& metrics, const std::vector<std::string>& texts)
{
  int widest = 0;
  for (const std::string& t : texts)
    widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(t)));
  return std::max(kMinColumnWidth, widest + 2 * metrics.averageCharWidth());
}

QRadioButton* Radio(const char* text, const char* name, QLayout* layout)
{
  auto* b = new QRadioButton(text);
  b->setObjectName(name);
  b->setAccessibleName(text);
  b->setAutoExclusive(false);  // the panel sets the marks itself, all may be clear
  layout->addWidget(b);
  return b;
}

QCheckBox* Check(const char* text, const char* name, QLayout* layout)
{
  auto* b = new QCheckBox(text);
  b->setObjectName(name);
  b->setAccessibleName(text);
  layout->addWidget(b);
  return b;
}

// The message list. A list view forgets its layout when lines are inserted
// and lays them out again at the next turn of the event loop; a paint in
// between would draw an empty list, which stays on the screen while the
// window thread applies a module's results. So a paint lays out first.
class MessageList : public QListWidget
{
protected:
  void paintEvent(QPaintEvent* event) override
  {
    executeDelayedItemsLayout();
    QListWidget::paintEvent(event);
  }
};

}  // namespace

CComponentView::CComponentView(QWidget* parent) : QScrollArea(parent)
{
  g_pComponentView = this;
  setObjectName("componentView");
  setAccessibleName("Control Panel");
  setWidgetResizable(true);
  auto* form = new QWidget;
  auto* column = new QVBoxLayout(form);
  column->setContentsMargins(4, 4, 4, 4);

  auto* attributes = new QGroupBox("Network Attributes");
  attributes->setAccessibleName("Network Attributes");
  auto* al = new QVBoxLayout(attributes);
  m_zones = Check("Zones", "zones", al);
  m_busRoutes = Check("Bus Routes", "busRoutes", al);
  m_signals = Check("Signals", "signals", al);
  column->addWidget(attributes);

  auto* current = new QGroupBox("Current Condition");
  current->setAccessibleName("Current Condition");
  auto* cl = new QVBoxLayout(current);
  m_current[0] = Radio("Density", "currentDensity", cl);
  m_current[1] = Radio("Speed", "currentSpeed", cl);
  m_current[2] = Radio("Queue Length", "currentQueue", cl);
  column->addWidget(current);

  auto* prediction = new QGroupBox("State Prediction");
  prediction->setAccessibleName("State Prediction");
  auto* pl = new QVBoxLayout(prediction);
  m_prediction[0] = Radio("Density", "predictionDensity", pl);
  m_prediction[1] = Radio("Speed", "predictionSpeed", pl);
  m_prediction[2] = Radio("Queue Length", "predictionQueue", pl);
  m_prediction[3] = Radio("Travel Time", "travelTime", pl);
  column->addWidget(prediction);

  // The property list: a link's ten rows, each one line, all shown; the
  // captions stand over their columns. The list keeps the width of the
  // names and of the usual values (the type names, "--", four digits and
  // two decimals); a wider value widens its column and the list scrolls
  // sideways (InitPropertyList).
  m_PropList = new QTableWidget(0, 2);
  m_PropList->setObjectName("propertyList");
  m_PropList->setAccessibleName("Name Value");
  m_PropList->horizontalHeader()->hide();
  m_PropList->verticalHeader()->hide();
  m_PropList->setShowGrid(true);
  m_PropList->setWordWrap(false);
  m_PropList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_PropList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_PropList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // By pixels: by columns, a value wider than the list could not be shown whole.
  m_PropList->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  const QFontMetrics metrics(m_PropList->font());
  std::vector<std::string> values = {"--", "0000.00"};
  for (int type = 0; type <= 7; ++type)
    values.emplace_back(LinkTypeName(type));
  m_columnWidth[0] = ColumnWidth(metrics, {std::begin(kLinkPropertyNames), std::end(kLinkPropertyNames)});
  m_columnWidth[1] = ColumnWidth(metrics, values);
  QHeaderView* rowHeader = m_PropList->verticalHeader();
  rowHeader->setSectionResizeMode(QHeaderView::Fixed);
  rowHeader->setMinimumSectionSize(1);
  rowHeader->setDefaultSectionSize(metrics.height() + 6);
  const int frame = 2 * m_PropList->frameWidth();
  m_rowsHeight = kLinkPropertyRows * rowHeader->defaultSectionSize() + frame;
  m_PropList->setFixedSize(m_columnWidth[0] + m_columnWidth[1] + frame, m_rowsHeight);

  auto* captions = new QHBoxLayout;
  captions->setSpacing(0);
  captions->setContentsMargins(m_PropList->frameWidth(), 0, 0, 0);
  const char* const captionTexts[2] = {"Name", "Value"};
  for (int i = 0; i < 2; ++i) {
    auto* caption = new QLabel(captionTexts[i]);
    caption->setObjectName(i == 0 ? "nameCaption" : "valueCaption");
    caption->setFixedWidth(m_columnWidth[i]);
    // As far in as the cells' texts.
    caption->setIndent(m_PropList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_PropList) +
                       1);
    captions->addWidget(caption);
  }
  captions->addStretch(1);
  column->addLayout(captions);
  column->addWidget(m_PropList);

  m_wndMessages = new MessageList;
  m_wndMessages->setObjectName("messageList");
  m_wndMessages->setAccessibleName("Messages");
  m_wndMessages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_wndMessages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_wndMessages->setMinimumHeight(120);
  // Wide enough for the run's progress lines.
  const QFontMetrics lineMetrics(m_wndMessages->font());
  m_wndMessages->setMinimumWidth(lineMetrics.horizontalAdvance(QString::fromStdString(WidestProgressLine())) +
                                 2 * lineMetrics.averageCharWidth() +
                                 m_wndMessages->verticalScrollBar()->sizeHint().width() +
                                 2 * m_wndMessages->frameWidth());
  // The list only grows during a run. Every layout of a list of lines of
  // their own sizes measures every line, and selecting the new line forces
  // one layout per line: a long run froze the window. So the lines share one
  // size, which the list takes from its last line (each new line carries the
  // width of the longest line so far, for the horizontal scroll), and the
  // selection of the last line is made once per turn of the event loop,
  // however many lines came in it.
  m_wndMessages->setUniformItemSizes(true);
  column->addWidget(m_wndMessages, 1);
  setWidget(form);

  for (int i = 0; i < 3; ++i)
    connect(m_current[i], &QRadioButton::clicked, this, [this, i] { SetEstimationDisplayMode(i + 1); });
  for (int i = 0; i < 4; ++i)
    connect(m_prediction[i], &QRadioButton::clicked, this,
            [this, mode = kPredictionModes[i]] { SetPredictionDisplayMode(mode); });
  connect(m_zones, &QCheckBox::clicked, this, [this] { Toggle(&::ToggleZones); });
  connect(m_busRoutes, &QCheckBox::clicked, this, [this] { Toggle(&::ToggleBusRoutes); });
  connect(m_signals, &QCheckBox::clicked, this, [this] { Toggle(&::ToggleSignals); });

  // Lines logged from any thread reach the message list on this thread.
  SetDebugLogPanel([](const std::string& line) {
    RunOnGui([line] {
      if (g_pComponentView)
        g_pComponentView->AddMessage(line);
    });
  });
  InitPropertyList();
  ApplyMarks();
}

CComponentView::~CComponentView()
{
  SetDebugLogPanel(nullptr);
  if (g_pComponentView == this)
    g_pComponentView = nullptr;
}

void CComponentView::ApplyMarks()
{
  for (int i = 0; i < 3; ++i)
    m_current[i]->setChecked(m_marks.currentMode == i + 1);
  for (int i = 0; i < 4; ++i)
    m_prediction[i]->setChecked(m_marks.predictionMode == kPredictionModes[i]);
  m_zones->setChecked(m_marks.zonesBox);
  m_busRoutes->setChecked(m_marks.busRoutesBox);
  m_signals->setChecked(m_marks.signalsBox);
}

void CComponentView::SetEstimationDisplayMode(int mode)
{
  ::SetEstimationDisplayMode(CurrentViews(), mode, m_marks);
  ApplyMarks();
  // The ramp of every view's legend may have changed with it.
  InvalidateNetworkViews();
}

void CComponentView::SetPredictionDisplayMode(int mode)
{
  ::SetPredictionDisplayMode(CurrentViews(), mode, m_marks);
  ApplyMarks();
  InvalidatePredictionViews();
}

void CComponentView::ResetDisplayOptions(int viewKind)
{
  ::ResetDisplayOptions(CurrentViews(), viewKind, m_marks);
  ApplyMarks();
}

void CComponentView::CheckZones(bool checked)
{
  m_marks.zonesBox = checked;
  ApplyMarks();
}

void CComponentView::Toggle(void (*toggle)(const ViewSet&, PanelMarks&))
{
  toggle(CurrentViews(), m_marks);
  ApplyMarks();
  InvalidateNetworkViews();
}

void CComponentView::ShowLinkProperties()
{
  const NetworkViewModel* est = CurrentViews().estimation;
  if (g_SelectedLinks.empty() || !est)
    return;
  SetPropertyRows(LinkPropertyRows(*g_SelectedLinks.back(), est->Source(), est->m_nMinute));
}

void CComponentView::SetPropertyRows(std::vector<PropertyRow> rows)
{
  m_PropRows = std::move(rows);
  InitPropertyList();
}

void CComponentView::InitPropertyList()
{
  m_PropList->clear();
  m_PropList->setColumnCount(2);
  m_PropList->setColumnWidth(0, m_columnWidth[0]);
  // The value column as wide as the widest value, never narrower than the
  // usual ones. Wider than that, it no longer fits in the list, which then
  // scrolls sideways: its bar is added below the rows, which stay whole.
  const QFontMetrics metrics(m_PropList->font());
  std::vector<std::string> values;
  for (const PropertyRow& row : m_PropRows)
    values.push_back(row.second);
  const int valueWidth = std::max(m_columnWidth[1], ColumnWidth(metrics, values));
  const bool scrolls = valueWidth > m_columnWidth[1];
  m_PropList->setColumnWidth(1, valueWidth);
  m_PropList->setHorizontalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  m_PropList->setFixedHeight(m_rowsHeight +
                             (scrolls ? m_PropList->horizontalScrollBar()->sizeHint().height() : 0));
  m_PropList->setRowCount(static_cast<int>(m_PropRows.size()));
  for (int i = 0; i < static_cast<int>(m_PropRows.size()); ++i) {
    m_PropList->setItem(i, 0, new QTableWidgetItem(QString::fromStdString(m_PropRows[i].first)));
    m_PropList->setItem(i, 1, new QTableWidgetItem(QString::fromStdString(m_PropRows[i].second)));
  }
}

void CComponentView::AddMessage(const std::string& text)
{
  const QString line = QString::fromStdString(text);
  const QFontMetrics metrics(m_wndMessages->font());
  m_messageWidth = std::max(m_messageWidth, metrics.horizontalAdvance(line) + 2 * metrics.averageCharWidth());
  auto* item = new QListWidgetItem(line);
  item->setSizeHint(QSize(m_messageWidth, metrics.height() + 2));
  m_wndMessages->addItem(item);
  if (!m_selectLastPending) {
    m_selectLastPending = true;
    QTimer::singleShot(0, this, [this] {
      m_selectLastPending = false;
      m_wndMessages->setCurrentRow(m_wndMessages->count() - 1);
    });
  }
}

int CComponentView::FormWidth() const
{
  return widget()->sizeHint().width() + verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
}

int CComponentView::MessageCount() const
{
  return m_wndMessages->count();
}
