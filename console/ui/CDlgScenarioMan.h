// "Scenario Manager": shows the rows of table Scen_Man of the run
// directory's ScenarioManager.db (SQLite, read-only) and, on OK, files the
// current input files of the row's prediction instance into a folder named
// after the row's scenario (see ScenarioFiles.h). A missing database is
// reported (it is never created); a name that cannot be used and a failed
// folder or copy are reported and the dialog stays open. The database
// connection is removed when the dialog closes.
//
// The main frame's Input "Scenario Management" command (always offered):
//
//   CDlgScenarioMan dlg(".", this);   // the run directory: the working directory
//   dlg.exec();
#pragma once

#include <QString>
#include <filesystem>
#include <vector>

#include "DialogWidgets.h"
#include "ScenarioFiles.h"

class QSqlQueryModel;
class QTableView;

// Name of the scenario database in the run directory.
extern const char kScenarioDatabaseName[];

class CDlgScenarioMan : public OperatorDialog
{
  Q_OBJECT
public:
  explicit CDlgScenarioMan(std::filesystem::path runDir = ".", QWidget* parent = nullptr,
                           IOperatorPrompts* prompts = nullptr);
  ~CDlgScenarioMan() override;

  void accept() override;
  void done(int result) override;

  // The name of this dialog's database connection (empty once removed).
  const QString& ConnectionName() const { return m_connection; }

private:
  void OpenTable();
  void CloseTable();
  void FitGridToColumns();
  std::vector<std::string> CurrentRowCells() const;

  std::filesystem::path m_runDir;
  QString m_connection;
  QSqlQueryModel* m_model;
  QTableView* m_grid;
};
