#include "CDlgScenarioMan.h"
#include "StringPrintf.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <system_error>

#include "DialogLists.h"

using namespace dialog_widgets;

const char kScenarioDatabaseName[] = "ScenarioManager.db";

CDlgScenarioMan::CDlgScenarioMan(std::filesystem::path runDir, QWidget* parent, IOperatorPrompts* prompts)
    : OperatorDialog("Scenario Manager", parent, prompts), m_runDir(std::move(runDir)),
      m_model(new QSqlQueryModel(this)), m_grid(new QTableView(this))
{
  m_grid->setObjectName("scenarioGrid");
  m_grid->setAccessibleName("Scen_Man");
  m_grid->setModel(m_model);
  m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
  QPushButton* ok = Button("OK", this);
  QPushButton* cancel = Button("Cancel", this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_grid);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &CDlgScenarioMan::accept);
  connect(cancel, &QPushButton::clicked, this, &CDlgScenarioMan::reject);
  OpenTable();
}

CDlgScenarioMan::~CDlgScenarioMan()
{
  CloseTable();
}

void CDlgScenarioMan::OpenTable()
{
  const std::filesystem::path file = m_runDir / kScenarioDatabaseName;
  // SQLite would create a missing file: look first.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    Prompts().ShowMessage(StringPrintf("The scenario table %s cannot be found.", kScenarioDatabaseName));
    return;
  }
  m_connection = QString("ScenarioManager-%1").arg(reinterpret_cast<quintptr>(this), 0, 16);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_connection);
    db.setDatabaseName(QString::fromStdString(file.string()));
    db.setConnectOptions("QSQLITE_OPEN_READONLY");
    if (!db.open()) {
      Prompts().ShowMessage(StringPrintf("The scenario table %s cannot be opened: %s", kScenarioDatabaseName,
                                         db.lastError().text().toStdString().c_str()));
      return;
    }
    m_model->setQuery("select * from Scen_Man", db);
  }
  if (m_model->lastError().isValid()) {
    Prompts().ShowMessage(StringPrintf("The table Scen_Man cannot be read: %s",
                                       m_model->lastError().text().toStdString().c_str()));
    return;
  }
  if (m_model->columnCount() < kScenarioCells)
    Prompts().ShowMessage(kTooFewColumnsMessage);
  FitGridToColumns();
  if (m_model->rowCount() > 0)
    m_grid->selectRow(0);
}

void CDlgScenarioMan::FitGridToColumns()
{
  // Each column as wide as its header and its cells; the grid as wide as
  // all of them (as far as the screen allows), so that no column hides.
  m_grid->resizeColumnsToContents();
  int width = 2 * m_grid->frameWidth() + m_grid->verticalHeader()->sizeHint().width() +
              m_grid->verticalScrollBar()->sizeHint().width();
  for (int column = 0; column < m_model->columnCount(); ++column)
    width += m_grid->columnWidth(column);
  if (const QScreen* s = screen())
    width = std::min(width, s->availableGeometry().width() - 40);
  m_grid->setMinimumWidth(width);
}

void CDlgScenarioMan::CloseTable()
{
  if (m_connection.isEmpty())
    return;
  m_model->clear();
  {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(m_connection);
  m_connection.clear();
}

std::vector<std::string> CDlgScenarioMan::CurrentRowCells() const
{
  std::vector<std::string> cells;
  const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
  if (rows.isEmpty())
    return cells;
  const int row = rows.front().row();
  for (int col = 0; col < m_model->columnCount(); ++col)
    cells.push_back(m_model->data(m_model->index(row, col)).toString().toStdString());
  return cells;
}

void CDlgScenarioMan::accept()
{
  const std::vector<std::string> cells = CurrentRowCells();
  if (cells.empty()) {  // no row: nothing to file
    OperatorDialog::accept();
    return;
  }
  ScenarioPlan plan;
  std::string message;
  switch (PlanScenario(cells, plan, message)) {
  case ScenarioPlanStatus::kReady:
    if (!CarryOutScenarioPlan(plan, m_runDir, Prompts()))
      return;
    break;
  case ScenarioPlanStatus::kNoInstance: Prompts().ShowMessage(message); break;
  case ScenarioPlanStatus::kRefused: Prompts().ShowMessage(message); return;
  }
  OperatorDialog::accept();
}

void CDlgScenarioMan::done(int result)
{
  CloseTable();
  OperatorDialog::done(result);
}
