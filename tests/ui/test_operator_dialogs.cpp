// The incident, VMS, work zone and link property dialogs offscreen: their
// opening state, Add updating their lists (and sending), what Esc and the
// close box do, and the files written when they close.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

#include "CDlgIncident.h"
#include "CDlgVMSInput.h"
#include "CDlgWorkzone.h"
#include "DialogFixtures.h"
#include "DialogTestFixtures.h"
#include "LinkPropertiesDlg.h"
#include "ResultStores.h"

using namespace ui_fixtures;

namespace {

class OperatorDialogs : public dialogs::LoadedNetwork
{
protected:
  void SetUp() override
  {
    App();
    LoadedNetwork::SetUp();
  }
};

TEST_F(OperatorDialogs, IncidentOpeningStateAndNames)
{
  CDlgIncident dlg(sender, nullptr, &prompts);
  EXPECT_EQ(dlg.windowTitle(), "Incident Input");
  EXPECT_EQ(dlg.accessibleName(), "Incident Input");
  auto* links = Child<QListWidget>(&dlg, "linkList");
  EXPECT_EQ(links->accessibleName(), "Link List:");
  EXPECT_EQ(Lines(links).front(), "Link No.1   10->  20");
  EXPECT_EQ(links->currentRow(), 0);
  EXPECT_EQ(Child<QComboBox>(&dlg, "startTime")->currentText(), "0:01");
  EXPECT_EQ(Child<QComboBox>(&dlg, "endTime")->currentText(), "0:10");
  EXPECT_EQ(Child<QComboBox>(&dlg, "severity")->currentText(), "0.3");
  EXPECT_EQ(Child<QComboBox>(&dlg, "severity")->accessibleName(), "Severity:");
  for (const char* text : {"Add", "Change", "Delete", "OK"})
    EXPECT_EQ(ButtonNamed(&dlg, text)->accessibleName(), text);
}

TEST_F(OperatorDialogs, IncidentEscAndCloseBoxAddNothing)
{
  {
    CDlgIncident dlg(sender, nullptr, &prompts);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
  }
  {
    CDlgIncident dlg(sender, nullptr, &prompts);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_TRUE(dlg.close());  // the window's close box
    EXPECT_FALSE(dlg.isVisible());
  }
  EXPECT_EQ(g_IncidentArray.GetSize(), 0);
  EXPECT_TRUE(sender.sent.empty());
}

TEST_F(OperatorDialogs, IncidentAddChangeDeleteUpdateTheList)
{
  CDlgIncident dlg(sender, nullptr, &prompts);
  dlg.show();
  auto* incidents = Child<QListWidget>(&dlg, "incidentList");
  auto* links = Child<QListWidget>(&dlg, "linkList");
  QTest::mouseClick(ButtonNamed(&dlg, "Add"), Qt::LeftButton);
  links->setCurrentRow(3);
  Child<QComboBox>(&dlg, "severity")->setCurrentIndex(9);
  QTest::mouseClick(ButtonNamed(&dlg, "Add"), Qt::LeftButton);
  EXPECT_EQ(Lines(incidents), (std::vector<std::string>{
                                  "Link No.   1:   10->  20, Time:[0:01,0:10], Severity:0.3",
                                  "Link No.   4:   30->  40, Time:[0:01,0:10], Severity:1.0",
                              }));
  EXPECT_EQ(incidents->currentRow(), 1);
  EXPECT_EQ(sender.Codes(), (std::vector<int>{42, 42}));

  // Choosing a line shows its incident in the controls.
  incidents->setCurrentRow(0);
  EXPECT_EQ(links->currentRow(), 0);
  EXPECT_EQ(Child<QComboBox>(&dlg, "severity")->currentText(), "0.3");

  Child<QComboBox>(&dlg, "endTime")->setCurrentIndex(0);  // minute 1: not after the start
  QTest::mouseClick(ButtonNamed(&dlg, "Change"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages,
            (std::vector<std::string>{" Please ensure that the start time is before the end time!"}));
  Child<QComboBox>(&dlg, "endTime")->setCurrentIndex(59);
  QTest::mouseClick(ButtonNamed(&dlg, "Change"), Qt::LeftButton);
  EXPECT_EQ(Lines(incidents)[0], "Link No.   1:   10->  20, Time:[0:01,1:00], Severity:0.3");
  EXPECT_EQ(incidents->currentRow(), 0);
  EXPECT_EQ(sender.Codes(), (std::vector<int>{42, 42, 43, 42}));

  QTest::mouseClick(ButtonNamed(&dlg, "Delete"), Qt::LeftButton);
  EXPECT_EQ(incidents->count(), 1);
  QTest::mouseClick(ButtonNamed(&dlg, "Delete"), Qt::LeftButton);
  EXPECT_EQ(incidents->count(), 0);
  EXPECT_EQ(incidents->currentRow(), -1);
  QTest::mouseClick(ButtonNamed(&dlg, "Delete"), Qt::LeftButton);  // nothing selected
  EXPECT_EQ(sender.Codes(), (std::vector<int>{42, 42, 43, 42, 43, 43}));
}

TEST_F(OperatorDialogs, VMSAddSendsForTheEstimationAndOnlyOKClosesAndWritesPredictionLists)
{
  std::vector<int> chosenLinks;
  int redraws = 0;
  VMSDialogHooks hooks{[&](int link) { chosenLinks.push_back(link); }, [&] { ++redraws; }};
  CDlgVMSInput dlg(sender, hooks, nullptr, &prompts);
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), "VMS Data Input Dialog");
  EXPECT_EQ(Child<QLabel>(&dlg, "caption1")->text(), "Speed threshold");
  EXPECT_EQ(Child<QLineEdit>(&dlg, "param1")->text(), "40");
  EXPECT_EQ(Child<QLineEdit>(&dlg, "param1")->accessibleName(), "Speed threshold");
  EXPECT_EQ(Child<QComboBox>(&dlg, "endTime")->currentText(), "100");
  EXPECT_FALSE(ButtonNamed(&dlg, "Input Sub-path")->isEnabled());
  EXPECT_FALSE(Child<QComboBox>(&dlg, "instance")->isEnabled());

  auto* vms = Child<QListWidget>(&dlg, "vmsList");
  QTest::mouseClick(ButtonNamed(&dlg, "Add"), Qt::LeftButton);
  EXPECT_EQ(Lines(vms),
            (std::vector<std::string>{
                "Speed Advisory: Link No.1: 10->20, Time:[ 0,100], Threshold:40, Percentage:10%"}));
  EXPECT_EQ(vms->currentRow(), 0);
  EXPECT_EQ(sender.Codes(), (std::vector<int>{44}));

  // The link list's choice goes to the views.
  Child<QListWidget>(&dlg, "linkList")->setCurrentRow(1);
  EXPECT_EQ(chosenLinks, (std::vector<int>{1}));

  // The detour radios set their controls.
  QTest::mouseClick(RadioNamed(&dlg, "Mandatory Detour"), Qt::LeftButton);
  EXPECT_TRUE(ButtonNamed(&dlg, "Input Sub-path")->isEnabled());
  EXPECT_FALSE(Child<QLineEdit>(&dlg, "param1")->isEnabled());
  QTest::mouseClick(ButtonNamed(&dlg, "Add"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages,
            (std::vector<std::string>{" Please ensure that the sub-path contains at least one link!"}));
  QTest::mouseClick(RadioNamed(&dlg, "Congestion Warning"), Qt::LeftButton);
  EXPECT_EQ(Child<QLineEdit>(&dlg, "param1")->text(), "100");

  // FORESIM: kept, not sent; the instance list chooses the list shown.
  QTest::mouseClick(RadioNamed(&dlg, "FORESIM"), Qt::LeftButton);
  EXPECT_TRUE(Child<QComboBox>(&dlg, "instance")->isEnabled());
  EXPECT_EQ(vms->count(), 0);
  Child<QComboBox>(&dlg, "instance")->setCurrentIndex(1);
  QTest::mouseClick(ButtonNamed(&dlg, "Add"), Qt::LeftButton);
  EXPECT_EQ(Lines(vms),
            (std::vector<std::string>{"Congestion Warning: Link No.2: 20->30, Time:[ 0,100], Response "
                                      "rate: 100%, Path pref. 1"}));
  EXPECT_EQ(sender.Codes(), (std::vector<int>{44}));
  EXPECT_EQ(g_VMSArrayPredict1.GetSize(), 1);

  // Esc and the close box leave the dialog open and write nothing.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  QTest::keyClick(&dlg, Qt::Key_Escape);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_FALSE(dlg.close());  // the window's close box
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_FALSE(std::filesystem::exists("predict1/vms.dat"));

  // OK closes it and writes the changed instance's file only.
  const int redrawsBefore = redraws;
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(ReadAll("predict1/vms.dat"), "1\n      3     20     30    100      1   0.0  100.0 \n");
  EXPECT_FALSE(std::filesystem::exists("predict/vms.dat"));
  EXPECT_GT(redraws, redrawsBefore);
}

TEST_F(OperatorDialogs, WorkZoneAddUpdatesTheListAndChecksItsEdits)
{
  CDlgWorkzone dlg(sender, nullptr, nullptr, &prompts);
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), "Work Zone Input ");
  EXPECT_EQ(Child<QComboBox>(&dlg, "capacity")->currentText(), "0.03");
  EXPECT_EQ(Child<QLineEdit>(&dlg, "speedLimit")->text(), "50");
  EXPECT_EQ(Child<QLineEdit>(&dlg, "dischargeRate")->accessibleName(), "Queue Discharge Rate: (veh/hr/ln)");
  auto* zones = Child<QListWidget>(&dlg, "workZoneList");
  QTest::mouseClick(ButtonNamed(&dlg, "Add"), Qt::LeftButton);
  EXPECT_EQ(Lines(zones),
            (std::vector<std::string>{
                "Link No.   1:   10->  20, Time:[ 1,10], CapRed:0.03, SpdLimit:50, DisRate:1300"}));
  EXPECT_EQ(zones->currentRow(), 0);
  EXPECT_EQ(sender.Codes(), (std::vector<int>{46}));

  Child<QLineEdit>(&dlg, "speedLimit")->setText("101");
  QTest::mouseClick(ButtonNamed(&dlg, "Add"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{"Please enter an integer between 0 and 100."}));
  EXPECT_EQ(zones->count(), 1);
  EXPECT_EQ(sender.Codes(), (std::vector<int>{46}));
}

TEST_F(OperatorDialogs, LinkPropertiesAddAndOK)
{
  g_CurrentMinute = 5;
  LinkPropertiesDlg dlg(".", nullptr, &prompts);
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), "Link Property Modification");
  EXPECT_EQ(Child<QSpinBox>(&dlg, "lanes")->value(), 2);
  EXPECT_EQ(Child<QComboBox>(&dlg, "linkType")->currentText(), "Freeway");
  auto* mods = Child<QListWidget>(&dlg, "modList");
  Child<QListWidget>(&dlg, "linkList")->setCurrentRow(1);  // 20->30, an "On Ramp"
  EXPECT_EQ(Child<QComboBox>(&dlg, "linkType")->currentText(), "On Ramp");
  Child<QSpinBox>(&dlg, "lanes")->setValue(3);
  QTest::mouseClick(ButtonNamed(&dlg, "Add"), Qt::LeftButton);
  EXPECT_EQ(Lines(mods), (std::vector<std::string>{"Link No.   2:   20->  30, Time:[0:01,0:10]"}));
  EXPECT_EQ(mods->currentRow(), 0);
  // Minute 5 lies in the record's window: not deleted.
  QTest::mouseClick(ButtonNamed(&dlg, "Delete"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{
                                  " Please ensure that the selected link is not within current time range"}));
  EXPECT_EQ(mods->count(), 1);
  QTest::mouseClick(ButtonNamed(&dlg, "OK"), Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(ReadAll("estimate/new_network.dat"),
            "1\n     20        30      1.0     10.0      2000    3   1    1800    2200\n");
  g_CurrentMinute = 0;
}

}  // namespace
