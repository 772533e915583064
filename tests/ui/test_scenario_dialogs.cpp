// The scenario manager over temporary SQLite files (a full table, a missing
// database, a table with fewer than nine columns, a row with a bad name),
// its grid's columns at the dialog's size, and the strategy selection's file
// list, offscreen.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "CDlgScenarioMan.h"
#include "CDlgStrategySelction.h"
#include "DialogFixtures.h"
#include "DialogTestFixtures.h"
#include "TempFiles.h"

namespace fs = std::filesystem;
using namespace ui_fixtures;
using dialogs::RecordingPrompts;

namespace {

class ScenarioDialogs : public ::testing::Test
{
protected:
  void SetUp() override
  {
    App();
    fs::create_directories(run.dir / "predict");
    fs::create_directories(run.dir / "predict1");
    fs::create_directories(run.dir / "estimate");
    WriteAll(run.File("predict1/vms.dat"), "0\n");
    WriteAll(run.File("predict1/pricing.dat"), "prices\n");
  }

  // Writes ScenarioManager.db with one table and its rows, through a
  // connection of its own.
  void MakeDatabase(const std::vector<std::string>& statements)
  {
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test-writer");
      db.setDatabaseName(QString::fromStdString(run.File("ScenarioManager.db")));
      ASSERT_TRUE(db.open());
      for (const std::string& s : statements) {
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QString::fromStdString(s))) << s << ": " << q.lastError().text().toStdString();
      }
      db.close();
    }
    QSqlDatabase::removeDatabase("test-writer");
  }

  static const char* FullTable()
  {
    return "create table Scen_Man (Name text, VMSFile text, IncidentFile text, WorkZoneFile text, "
           "PricingFile text, "
           "Description text, Author text, Created text, Instance text)";
  }

  TempDir run;
  RecordingPrompts prompts;
};

TEST_F(ScenarioDialogs, RowFiledIntoItsFolder)
{
  MakeDatabase(
      {FullTable(), "insert into Scen_Man values ('S0', 'v0', 'N/A', 'N/A', 'N/A', '', '', '', 'FORESIM0')",
       "insert into Scen_Man values ('S1', 'vms_a', 'N/A', '', 'price', 'd', 'a', 'c', 'FORESIM1')"});
  CDlgScenarioMan dlg(run.dir, nullptr, &prompts);
  EXPECT_EQ(dlg.windowTitle(), "Scenario Manager");
  EXPECT_TRUE(prompts.messages.empty());
  const QString connection = dlg.ConnectionName();
  EXPECT_TRUE(QSqlDatabase::contains(connection));
  auto* grid = Child<QTableView>(&dlg, "scenarioGrid");
  ASSERT_EQ(grid->model()->rowCount(), 2);
  EXPECT_EQ(grid->model()->columnCount(), 9);
  grid->selectRow(1);
  dlg.show();
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(ReadAll(run.File("predict1/S1/vms_a.dat")), "0\n");
  EXPECT_EQ(ReadAll(run.File("predict1/S1/price.dat")), "prices\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(run.dir / "predict1/S1"), fs::directory_iterator()), 2);
  // The connection went with the dialog's closing.
  EXPECT_FALSE(QSqlDatabase::contains(connection));
}

TEST_F(ScenarioDialogs, AllNineColumnsShowWholeAtTheDialogsSize)
{
  MakeDatabase({FullTable(),
                "insert into Scen_Man values ('Scenario0', 'vms_scenario0', 'N/A', 'N/A', 'N/A', "
                "'First signs', 'operator', '2026-12-11', 'FORESIM0')"});
  CDlgScenarioMan dlg(run.dir, nullptr, &prompts);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  auto* grid = Child<QTableView>(&dlg, "scenarioGrid");
  QHeaderView* header = grid->horizontalHeader();
  ASSERT_EQ(grid->model()->columnCount(), 9);
  EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);  // nothing to scroll to
  for (int column = 0; column < 9; ++column) {
    SCOPED_TRACE(grid->model()->headerData(column, Qt::Horizontal).toString().toStdString());
    // Within the grid's view, and as wide as its header and its cells.
    const int left = grid->columnViewportPosition(column);
    EXPECT_GE(left, 0);
    EXPECT_LE(left + grid->columnWidth(column), grid->viewport()->width());
    EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column));
    EXPECT_GE(grid->columnWidth(column), static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(column));
  }
}

TEST_F(ScenarioDialogs, MissingDatabaseIsNotCreated)
{
  CDlgScenarioMan dlg(run.dir, nullptr, &prompts);
  EXPECT_EQ(prompts.messages,
            (std::vector<std::string>{"The scenario table ScenarioManager.db cannot be found."}));
  EXPECT_FALSE(fs::exists(run.dir / "ScenarioManager.db"));
  dlg.show();
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);  // nothing to file
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(ScenarioDialogs, TableWithFewerThanNineColumns)
{
  MakeDatabase({"create table Scen_Man (Name text, VMSFile text, Instance text)",
                "insert into Scen_Man values ('S1', 'v', 'FORESIM1')"});
  CDlgScenarioMan dlg(run.dir, nullptr, &prompts);
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{"The table Scen_Man has fewer than nine columns."}));
  dlg.show();
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages.size(), 2u);
  EXPECT_TRUE(dlg.isVisible());  // refused: the dialog stays
  EXPECT_FALSE(fs::exists(run.dir / "predict1/S1"));
  QTest::mouseClick(ButtonNamed(&dlg, "Cancel"), Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(ScenarioDialogs, BadNamesAndMissingTable)
{
  MakeDatabase({FullTable(), "insert into Scen_Man values ('../up', 'v', '', '', '', '', '', '', 'FORESIM1')",
                "insert into Scen_Man values ('S2', 'v', 'i', '', '', '', '', '', 'FORESIM1')",
                "insert into Scen_Man values ('S3', 'v', '', '', '', '', '', '', 'FORESIM7')"});
  CDlgScenarioMan dlg(run.dir, nullptr, &prompts);
  dlg.show();
  auto* grid = Child<QTableView>(&dlg, "scenarioGrid");
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages.back(), "The scenario name \"../up\" cannot be used as a folder name.");
  EXPECT_TRUE(dlg.isVisible());
  // A failed copy (no predict1/incident.dat) is reported; the dialog stays.
  grid->selectRow(1);
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages.back(),
            "Cannot copy predict1/incident.dat to predict1/S2/i.dat: No such file or directory");
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(fs::exists(run.dir / "predict1/S2/v.dat"));
  // No instance: the message, then the dialog closes.
  grid->selectRow(2);
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages.back(), " Please specify the FORESIM name ! ");
  EXPECT_FALSE(dlg.isVisible());

  prompts.Clear();
  MakeDatabase({"drop table Scen_Man"});
  CDlgScenarioMan empty(run.dir, nullptr, &prompts);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].rfind("The table Scen_Man cannot be read: ", 0), 0u) << prompts.messages[0];
}

TEST_F(ScenarioDialogs, StrategySelectAllAndCopy)
{
  for (const char* name : {"incident.dat", "control.dat", "workzone.dat", "TrafficFlowModel.dat"})
    WriteAll((run.dir / "predict1" / name).string(), name);
  CDlgStrategySelction dlg(run.dir, nullptr, &prompts);
  EXPECT_EQ(dlg.windowTitle(), "Strategy selection from FORESIM ");
  auto* files = Child<QListWidget>(&dlg, "fileList");
  EXPECT_EQ(Lines(files), (std::vector<std::string>{"incident.dat", "control.dat", "vms.dat", "workzone.dat",
                                                    "TrafficFlowModel.dat"}));
  EXPECT_EQ(files->accessibleName(), "Please select sceanrio files to NOWSIM ");
  EXPECT_EQ(files->selectedItems().size(), 1);
  dlg.show();
  auto* all = dlg.findChild<QCheckBox*>();
  ASSERT_TRUE(all);
  all->setChecked(true);
  EXPECT_EQ(files->selectedItems().size(), 5);
  all->setChecked(false);
  EXPECT_EQ(files->selectedItems().size(), 0);
  files->item(1)->setSelected(true);
  files->item(2)->setSelected(true);
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);
  EXPECT_EQ(prompts.questions,
            (std::vector<std::string>{"Are you selecting control.dat vms.dat in FORESIM1"}));
  EXPECT_EQ(prompts.infos.size(), 2u);
  EXPECT_EQ(ReadAll(run.File("estimate/new_control.dat")), "control.dat");
  EXPECT_EQ(ReadAll(run.File("estimate/new_vms.dat")), "0\n");
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(ScenarioDialogs, StrategyMissingSourceKeepsTheDialogOpen)
{
  CDlgStrategySelction dlg(run.dir, nullptr, &prompts);
  dlg.show();
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);  // incident.dat, absent
  EXPECT_EQ(prompts.messages,
            (std::vector<std::string>{
                "Source file predict1/incident.dat cannot be found. Please check your selection."}));
  EXPECT_TRUE(dlg.isVisible());
}

}  // namespace
